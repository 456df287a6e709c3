#include "record_file.h"

#include "io_error.h"

#include <QFileInfo>
#include <limits>

namespace zelvora {

namespace {
QString shortName(const QFile &file)
{
    return QFileInfo(file.fileName()).fileName();
}
} // namespace

bool RecordFile::open(const QString &path, int recordSize)
{
    close();
    m_file.setFileName(path);
    m_recordSize = recordSize > 0 ? recordSize : 1;
    m_position = 0;
    m_readCount = 0;
    if (!QFileInfo(path).isFile())
        return false;
    return m_file.open(QIODevice::ReadOnly);
}

void RecordFile::close()
{
    if (m_file.isOpen())
        m_file.close();
}

int RecordFile::count() const
{
    if (!m_file.isOpen())
        return 0;
    const qint64 records = m_file.size() / m_recordSize;
    return static_cast<int>(std::min<qint64>(records, std::numeric_limits<int>::max()));
}

void RecordFile::seek(int index)
{
    if (!m_file.isOpen())
        throw IoError(QStringLiteral("File non aperto: %1").arg(m_file.fileName()));
    const int records = count();
    if (index < 0 || index > records)
        throw IoError(QStringLiteral("Record %1 fuori dal file %2 (%3 record)")
                          .arg(index + 1)
                          .arg(shortName(m_file))
                          .arg(records));
    m_position = index;
}

QByteArray RecordFile::readNext()
{
    if (!m_file.isOpen())
        throw IoError(QStringLiteral("File non aperto: %1").arg(m_file.fileName()));
    if (m_position >= count())
        throw IoError(QStringLiteral("Lettura oltre la fine del file %1").arg(shortName(m_file)));
    if (!m_file.seek(static_cast<qint64>(m_position) * m_recordSize))
        throw IoError(QStringLiteral("Errore di posizionamento nel file %1: %2")
                          .arg(shortName(m_file), m_file.errorString()));
    QByteArray record = m_file.read(m_recordSize);
    if (record.size() != m_recordSize)
        throw IoError(QStringLiteral("Errore di lettura del file %1: %2")
                          .arg(shortName(m_file), m_file.errorString()));
    ++m_position;
    ++m_readCount;
    return record;
}

QByteArray RecordFile::readAt(int index)
{
    seek(index);
    return readNext();
}

} // namespace zelvora

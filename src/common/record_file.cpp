#include "record_file.h"

#include "io_error.h"

#include <QFile>
#include <QFileInfo>
#include <limits>

namespace zelvora {

namespace {
QString shortName(const QString &name)
{
    return QFileInfo(name).fileName();
}
} // namespace

RecordFile::RecordFile() = default;
RecordFile::~RecordFile() = default;

bool RecordFile::open(const QString &path, int recordSize)
{
    start(path, recordSize);
    if (!QFileInfo(path).isFile())
        return false;
    m_ownedFile = std::make_unique<QFile>(path);
    if (!m_ownedFile->open(QIODevice::ReadOnly) || !attach(m_ownedFile.get())) {
        m_ownedFile.reset();
        return false;
    }
    return true;
}

bool RecordFile::open(QIODevice *device, int recordSize, const QString &name)
{
    start(name, recordSize);
    if (!device)
        return false;
    if (!device->isOpen() && !device->open(QIODevice::ReadOnly))
        return false;
    return attach(device);
}

void RecordFile::start(const QString &name, int recordSize)
{
    close();
    m_name = name;
    m_recordSize = recordSize > 0 ? recordSize : 1;
    m_position = 0;
    m_readCount = 0;
}

bool RecordFile::attach(QIODevice *device)
{
    if (!device->isReadable() || device->isSequential())
        return false;
    m_device = device;
    return true;
}

void RecordFile::close()
{
    m_device = nullptr;
    m_ownedFile.reset();
}

bool RecordFile::isOpen() const
{
    return m_device != nullptr;
}

int RecordFile::count() const
{
    if (!m_device)
        return 0;
    const qint64 records = std::max<qint64>(m_device->size(), 0) / m_recordSize;
    return static_cast<int>(std::min<qint64>(records, std::numeric_limits<int>::max()));
}

void RecordFile::seek(int index)
{
    if (!m_device)
        throw IoError(QStringLiteral("File non aperto: %1").arg(m_name));
    const int records = count();
    if (index < 0 || index > records)
        throw IoError(QStringLiteral("Record %1 fuori dal file %2 (%3 record)")
                          .arg(static_cast<qint64>(index) + 1)
                          .arg(shortName(m_name))
                          .arg(records));
    m_position = index;
}

QByteArray RecordFile::readNext()
{
    if (!m_device)
        throw IoError(QStringLiteral("File non aperto: %1").arg(m_name));
    if (m_position >= count())
        throw IoError(QStringLiteral("Lettura oltre la fine del file %1").arg(shortName(m_name)));
    if (!m_device->seek(static_cast<qint64>(m_position) * m_recordSize))
        throw IoError(QStringLiteral("Errore di posizionamento nel file %1: %2")
                          .arg(shortName(m_name), m_device->errorString()));
    QByteArray record = m_device->read(m_recordSize);
    if (record.size() != m_recordSize)
        throw IoError(QStringLiteral("Errore di lettura del file %1: %2")
                          .arg(shortName(m_name), m_device->errorString()));
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

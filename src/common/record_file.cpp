#include "record_file.h"

#include "io_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <limits>

namespace zelvora {

RecordFile::RecordFile() = default;
RecordFile::~RecordFile() = default;
RecordFile::RecordFile(RecordFile &&) noexcept = default;
RecordFile &RecordFile::operator=(RecordFile &&) noexcept = default;

bool RecordFile::open(const QString &path, int recordSize)
{
    start(path, recordSize);
    if (!QFileInfo(path).isFile())
        return false;
    m_file = std::make_unique<QFile>(path);
    m_open = m_file->open(QIODevice::ReadOnly);
    if (!m_open)
        m_file.reset();
    return m_open;
}

void RecordFile::open(QByteArray bytes, int recordSize, const QString &name)
{
    start(name, recordSize);
    m_bytes = std::move(bytes);
    m_open = true;
}

void RecordFile::start(const QString &name, int recordSize)
{
    close();
    m_name = name;
    m_recordSize = recordSize > 0 ? recordSize : 1;
    m_position = 0;
    m_readCount = 0;
}

void RecordFile::close()
{
    m_file.reset(); // unmaps
    m_map = nullptr;
    m_mapped = 0;
    m_bytes.clear();
    m_open = false;
}

QString RecordFile::name() const
{
    return QFileInfo(m_name).fileName();
}

QByteArrayView RecordFile::bytes() const
{
    if (!m_file)
        return m_bytes;
    const qint64 size = std::max<qint64>(m_file->size(), 0);
    if (size > m_mapped) {
        if (m_map)
            m_file->unmap(const_cast<uchar *>(m_map));
        m_map = m_file->map(0, size);
        m_mapped = m_map ? size : 0;
        if (!m_map)
            throw IoError(QStringLiteral("Errore di lettura del file %1: %2").arg(name(), m_file->errorString()));
    }
    return {m_map, std::min(size, m_mapped)};
}

int RecordFile::countOf(QByteArrayView bytes) const
{
    return static_cast<int>(std::min<qint64>(bytes.size() / m_recordSize, std::numeric_limits<int>::max()));
}

int RecordFile::count() const
{
    return m_open ? countOf(bytes()) : 0;
}

void RecordFile::requireOpen() const
{
    if (!m_open)
        throw IoError(QStringLiteral("File non aperto: %1").arg(m_name));
}

void RecordFile::throwOutside(int index) const
{
    throw IoError(QStringLiteral("Record %1 fuori dal file %2 (%3 record)")
                      .arg(static_cast<qint64>(index) + 1)
                      .arg(name())
                      .arg(count()));
}

bool RecordFile::atEnd() const
{
    if (!m_open)
        return true;
    const int records = count();
    // Sought past an end that has since moved back: the seek's error.
    if (m_position > records)
        throwOutside(m_position);
    return m_position == records;
}

void RecordFile::seek(int index)
{
    requireOpen();
    if (index < 0 || index > count())
        throwOutside(index);
    m_position = index;
}

std::optional<QByteArray> RecordFile::readIfInside(int index) const
{
    const QByteArrayView all = m_open ? bytes() : QByteArrayView();
    if (index < 0 || index >= countOf(all))
        return std::nullopt;
    const char *record = all.data() + qsizetype(index) * m_recordSize;
    m_position = index + 1;
    ++m_readCount;
    // Records in memory stay where they are; a mapping may move when the
    // file grows, so a mapped record is copied.
    return m_file ? QByteArray(record, m_recordSize) : QByteArray::fromRawData(record, m_recordSize);
}

QByteArray RecordFile::readNext()
{
    requireOpen();
    if (std::optional<QByteArray> record = readIfInside(m_position))
        return *record;
    if (m_position > count())
        throwOutside(m_position);
    throw IoError(QStringLiteral("Lettura oltre la fine del file %1").arg(name()));
}

QByteArray RecordFile::readAt(int index)
{
    seek(index);
    return readNext();
}

QByteArray RecordFile::at(int index) const
{
    if (std::optional<QByteArray> record = readIfInside(index))
        return *record;
    throwOutside(index);
}

QByteArray RecordFile::number(int recordNo, const QString &what) const
{
    if (recordNo >= 1)
        if (std::optional<QByteArray> record = readIfInside(recordNo - 1))
            return *record;
    throw IoError(QStringLiteral("%1 %2 fuori dal file %3 (%4 record)").arg(what).arg(recordNo).arg(name()).arg(count()));
}

QByteArray RecordFile::readAll()
{
    requireOpen();
    const QByteArrayView all = bytes();
    m_position = countOf(all);
    m_readCount += m_position;
    return all.first(qsizetype(m_position) * m_recordSize).toByteArray();
}

std::optional<QByteArray> readWholeFile(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw IoError(QStringLiteral("Errore di lettura del file %1: %2")
                          .arg(QFileInfo(path).fileName(), file.errorString()));
    return bytes;
}

DataFileReader folderReader(const QString &folder)
{
    return [dir = QDir(folder)](const QString &name) { return readWholeFile(dir.filePath(name)); };
}

} // namespace zelvora

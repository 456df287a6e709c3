#include "record_file.h"

#include "io_error.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <limits>
#include <unistd.h>

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
        m_device = nullptr;
        return false;
    }
    m_handle = m_ownedFile->handle();
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
    takeCount();
    return true;
}

void RecordFile::close()
{
    m_device = nullptr;
    m_handle = -1;
    m_ownedFile.reset();
    m_count = 0;
    m_heldRecords = 0;
    m_next = -1;
}

bool RecordFile::isOpen() const
{
    return m_device != nullptr;
}

int RecordFile::count() const
{
    return takeCount();
}

int RecordFile::takeCount() const
{
    if (!m_device)
        return m_count = 0;
    const qint64 records = std::max<qint64>(m_device->size(), 0) / m_recordSize;
    return m_count = static_cast<int>(std::min<qint64>(records, std::numeric_limits<int>::max()));
}

void RecordFile::requireOpen() const
{
    if (!m_device)
        throw IoError(QStringLiteral("File non aperto: %1").arg(m_name));
}

void RecordFile::throwOutside(int index) const
{
    throw IoError(QStringLiteral("Record %1 fuori dal file %2 (%3 record)")
                      .arg(static_cast<qint64>(index) + 1)
                      .arg(shortName(m_name))
                      .arg(m_count));
}

void RecordFile::throwPastEnd() const
{
    throw IoError(QStringLiteral("Lettura oltre la fine del file %1").arg(shortName(m_name)));
}

// Reads up to `size` bytes at `offset`: how many it got, fewer where the
// file ends, -1 when the device cannot go to `offset`; errors throw.
qint64 RecordFile::readBytes(char *data, qint64 size, qint64 offset) const
{
    if (m_handle < 0) {
        if (!m_device->seek(offset))
            return -1;
        const qint64 got = m_device->read(data, size);
        if (got < 0)
            throw IoError(QStringLiteral("Errore di lettura del file %1: %2")
                              .arg(shortName(m_name), m_device->errorString()));
        return got;
    }
    // One system call per read; Qt's seek and buffered read cost three.
    qint64 got = 0;
    while (got < size) {
        const ssize_t n = ::pread(m_handle, data + got, size_t(size - got), off_t(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw IoError(QStringLiteral("Errore di lettura del file %1: %2")
                              .arg(shortName(m_name), qt_error_string(errno)));
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

// Reads `records` records from `index` on into m_held, which keeps its
// storage from one read to the next. Short when the file ended before them;
// errors throw. Nothing is held but after a whole read.
RecordFile::Read RecordFile::readRecords(int index, int records) const
{
    m_heldRecords = 0;
    const qint64 size = qint64(records) * m_recordSize;
    if (m_held.size() != size)
        m_held.resize(size);
    const qint64 got = readBytes(m_held.data(), size, qint64(index) * m_recordSize);
    if (got < 0)
        return Read::NoSeek;
    if (got != size)
        return Read::Short;
    m_heldFrom = index;
    m_heldRecords = records;
    return Read::Whole;
}

// Brings the record at `index` into m_held. Reading on in order, or again
// from the record just handed out (a search reads the key it lands on, then
// the page from there), reads ahead: a list reading on in order gets its page
// in one system call instead of one a record; when that read comes back short
// (the file has shrunk) the record on its own finds out how far. Past the
// count known, or when the file ends early, the size is taken again first:
// PastEnd when the file really ends at or before `index`, whose count m_count
// then holds.
RecordFile::Load RecordFile::load(int index) const
{
    const auto loaded = [&] {
        m_next = index + 1;
        return Load::Loaded;
    };
    if (index >= m_heldFrom && index < m_heldFrom + m_heldRecords)
        return loaded();
    const int ahead = std::min(kReadAhead, m_count - index);
    if (ahead >= 2 && (index == m_next || index + 1 == m_next) && readRecords(index, ahead) == Read::Whole)
        return loaded();
    if (index < m_count && readRecords(index, 1) == Read::Whole)
        return loaded();
    takeCount();
    if (index >= m_count)
        return Load::PastEnd;
    const Read read = readRecords(index, 1);
    if (read == Read::Whole)
        return loaded();
    if (read == Read::NoSeek)
        throw IoError(QStringLiteral("Errore di posizionamento nel file %1: %2")
                          .arg(shortName(m_name), m_device->errorString()));
    throw IoError(QStringLiteral("Errore di lettura del file %1: %2")
                      .arg(shortName(m_name), m_device->errorString()));
}

QByteArray RecordFile::take()
{
    QByteArray record(m_held.constData() + qsizetype(m_position - m_heldFrom) * m_recordSize, m_recordSize);
    // A record read on its own is read afresh when asked for again.
    if (m_heldRecords == 1)
        m_heldRecords = 0;
    ++m_position;
    ++m_readCount;
    return record;
}

bool RecordFile::atEnd() const
{
    if (!m_device)
        return true;
    if (load(m_position) == Load::Loaded)
        return false;
    // Sought past an end that has since moved back: the seek's error.
    if (m_position > m_count)
        throwOutside(m_position);
    return true;
}

void RecordFile::seek(int index)
{
    requireOpen();
    if (index < 0 || index > m_count) {
        takeCount();
        if (index < 0 || index > m_count)
            throwOutside(index);
    }
    // What was read ahead is not kept across a move: a page read after a
    // seek comes from the file as it is then. Where the last record read
    // ended is kept: it only tells when to read ahead.
    m_heldRecords = 0;
    m_position = index;
}

QByteArray RecordFile::readNext()
{
    requireOpen();
    if (load(m_position) == Load::PastEnd) {
        if (m_position > m_count)
            throwOutside(m_position);
        throwPastEnd();
    }
    return take();
}

QByteArray RecordFile::readAt(int index)
{
    seek(index);
    return readNext();
}

QByteArray RecordFile::readAll()
{
    requireOpen();
    const int records = takeCount();
    const qint64 total = static_cast<qint64>(records) * m_recordSize;
    QByteArray all(total, Qt::Uninitialized);
    const qint64 got = readBytes(all.data(), total, 0);
    m_heldRecords = 0;
    m_next = -1;
    if (got != total) {
        // The file changed under the read: record by record, which reports
        // the failure as a single read does.
        all.clear();
        seek(0);
        for (int i = 0; i < records; ++i)
            all += readNext();
        return all;
    }
    m_position = records;
    m_readCount += records;
    return all;
}

std::optional<QByteArray> RecordFile::readIfInside(int index)
{
    requireOpen();
    if (index < 0 || load(index) == Load::PastEnd)
        return std::nullopt;
    m_position = index;
    return take();
}

} // namespace zelvora

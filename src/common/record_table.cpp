#include "record_table.h"

#include "io_error.h"
#include "record_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <limits>

namespace zelvora {

RecordTable::RecordTable() = default;
RecordTable::RecordTable(RecordTable &&) noexcept = default;
RecordTable &RecordTable::operator=(RecordTable &&) noexcept = default;
RecordTable::~RecordTable() = default;

RecordTable::RecordTable(QByteArray bytes, int recordSize, const QString &name)
    : m_bytes(std::move(bytes)), m_recordSize(std::max(recordSize, 1)), m_name(QFileInfo(name).fileName())
{
    m_count = int(std::min<qsizetype>(m_bytes.size() / m_recordSize, std::numeric_limits<int>::max()));
}

RecordTable::RecordTable(std::unique_ptr<RecordFile> file)
    : m_file(std::move(file)), m_recordSize(m_file->recordSize()), m_name(QFileInfo(m_file->fileName()).fileName())
{
}

int RecordTable::count() const
{
    return m_file ? m_file->count() : m_count;
}

qint64 RecordTable::reads() const
{
    return m_file ? m_file->readCount() : m_reads;
}

QByteArray RecordTable::all() const
{
    return m_file ? m_file->readAll() : m_bytes;
}

QByteArray RecordTable::at(int index) const
{
    if (m_file && index >= 0)
        if (std::optional<QByteArray> record = m_file->readIfInside(index))
            return *record;
    if (m_file || index < 0 || index >= m_count)
        throw IoError(QStringLiteral("Record %1 fuori dal file %2 (%3 record)")
                          .arg(qint64(index) + 1)
                          .arg(m_name)
                          .arg(count()));
    ++m_reads;
    return QByteArray::fromRawData(m_bytes.constData() + qsizetype(index) * m_recordSize, m_recordSize);
}

QByteArray RecordTable::number(int recordNo, const QString &what) const
{
    if (recordNo >= 1 && (m_file || recordNo <= m_count))
        if (const std::optional<QByteArray> record = m_file ? m_file->readIfInside(recordNo - 1) : at(recordNo - 1))
            return *record;
    throw IoError(QStringLiteral("%1 %2 fuori dal file %3 (%4 record)").arg(what).arg(recordNo).arg(m_name).arg(count()));
}

DataFileReader folderReader(const QString &folder)
{
    return [dir = QDir(folder)](const QString &name) -> std::optional<QByteArray> {
        const QString path = dir.filePath(name);
        if (!QFileInfo(path).isFile())
            return std::nullopt;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw IoError(QStringLiteral("Errore di lettura del file %1: %2").arg(name, file.errorString()));
        return bytes;
    };
}

} // namespace zelvora

#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace zelvora {

// A data file of fixed-size records read whole into memory: the one way the
// core reads its files. Its record count is its size divided by the record
// size, rounded down, so stray trailing bytes are never read. Every record
// handed out is counted, so that tests can count the work of a query.
class RecordTable
{
public:
    RecordTable() = default;
    // `name` stands for the file in messages.
    RecordTable(QByteArray bytes, int recordSize, const QString &name);

    bool isEmpty() const { return m_count == 0; }
    int count() const { return m_count; }
    const QString &name() const { return m_name; }
    // Every byte of the file, as read.
    const QByteArray &bytes() const { return m_bytes; }

    // The record at a 0-based index, which the table keeps alive; an index
    // outside the file is an IoError.
    QByteArray at(int index) const;
    // The same for a stored 1-based record number; `what` names the number in
    // the message ("Numero di località", "Nota").
    QByteArray number(int recordNo, const QString &what) const;

    qint64 reads() const { return m_reads; }

private:
    QByteArray m_bytes;
    int m_recordSize = 1;
    int m_count = 0;
    QString m_name;
    mutable qint64 m_reads = 0;
};

// Reads a data file by its name: its bytes, nothing when it is not there.
// A file that is there but cannot be read is an IoError.
using DataFileReader = std::function<std::optional<QByteArray>(const QString &name)>;

// The files of a folder, opened by their full path.
DataFileReader folderReader(const QString &folder);

} // namespace zelvora

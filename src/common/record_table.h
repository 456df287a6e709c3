#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace zelvora {

class RecordFile;

// A data file of fixed-size records as the core reads it: whole into memory,
// or, for a window that keeps its files open and must see them as they are
// at each read, from an open record file. Its record count is its size
// divided by the record size, rounded down, so stray trailing bytes are
// never read. Every record handed out is counted, so that tests can count
// the work of a query.
class RecordTable
{
public:
    RecordTable();
    // `name` stands for the file in messages.
    RecordTable(QByteArray bytes, int recordSize, const QString &name);
    // The records of an open file, which the table owns.
    explicit RecordTable(std::unique_ptr<RecordFile> file);
    RecordTable(RecordTable &&) noexcept;
    RecordTable &operator=(RecordTable &&) noexcept;
    ~RecordTable();

    int count() const;
    const QString &name() const { return m_name; }
    // Every record of the file, in one read.
    QByteArray all() const;
    // The open file, with its read position, if the records come from one.
    RecordFile *file() const { return m_file.get(); }

    // The record at a 0-based index, which the table keeps alive; an index
    // outside the file is an IoError.
    QByteArray at(int index) const;
    // The same for a stored 1-based record number; `what` names the number in
    // the message ("Numero di località", "Nota").
    QByteArray number(int recordNo, const QString &what) const;

    qint64 reads() const;

private:
    std::unique_ptr<RecordFile> m_file;
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

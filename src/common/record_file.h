#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QFile;

namespace zelvora {

// A data file that is a plain sequence of fixed-size records without header.
// Its record count is its size divided by the record size, rounded down, so
// stray trailing bytes are never read. Files are opened read-only: the program
// never writes its data and must work from a read-only install.
//
// A file is read one way: mapped into memory, and kept open. Every read
// takes the file's size first, so a file that changes size while open is
// seen as it is at each read: every answer and every error is what its size
// then gives, and nothing is ever read outside it. The records may also be
// bytes in memory (a whole file read by the caller, a test's crafted bytes),
// read the same way.
//
// seek() and readNext() throw IoError on any failure, as do at() and number()
// for a record the file does not hold.
class RecordFile
{
public:
    RecordFile();
    ~RecordFile();
    RecordFile(RecordFile &&) noexcept;
    RecordFile &operator=(RecordFile &&) noexcept;

    // Opens an existing file; false when it is missing or cannot be read. An
    // earlier opening of this object is released first.
    bool open(const QString &path, int recordSize);
    // Reads the records of `bytes`; `name` stands for them in messages.
    void open(QByteArray bytes, int recordSize, const QString &name);
    void close();
    bool isOpen() const { return m_open; }

    QString fileName() const { return m_name; }
    // The file's name without its folder, as messages give it.
    QString name() const;
    int count() const;
    int position() const { return m_position; }
    // Whether the position is at the end of the file; throws IoError like
    // seek() when the file has shrunk below a position it was sought to.
    bool atEnd() const;

    // Positions the file at a 0-based record index; `count()` is allowed and
    // stands at the end.
    void seek(int index);
    // Reads the record at the position and moves on to the next one.
    QByteArray readNext();
    // seek() then readNext().
    QByteArray readAt(int index);
    // The record at `index` when the file holds it, the position then on the
    // record after it; nothing when it does not (or is not open), the
    // position left as it was. Lets a caller report a number outside the
    // file in its own words.
    std::optional<QByteArray> readIfInside(int index) const;
    // The record at `index`; one the file does not hold is an IoError.
    QByteArray at(int index) const;
    // The same for a stored 1-based record number; `what` names the number
    // in the message ("Numero di località", "Nota").
    QByteArray number(int recordNo, const QString &what) const;

    // Every whole record of the file, in one read (an index loaded whole);
    // the position then stands at the end.
    QByteArray readAll();

    // Records read since the file was opened; lets tests count the work that a
    // keystroke or a page move costs.
    qint64 readCount() const { return m_readCount; }

private:
    void start(const QString &name, int recordSize);
    void requireOpen() const;
    // The bytes as they are now: the file mapped whole (mapped again when it
    // has grown), or the records in memory.
    QByteArrayView bytes() const;
    int countOf(QByteArrayView bytes) const;
    [[noreturn]] void throwOutside(int index) const;

    std::unique_ptr<QFile> m_file;
    QByteArray m_bytes;
    QString m_name;
    int m_recordSize = 1;
    bool m_open = false;
    // Reading a record moves the position and counts, const as the records
    // themselves are; the mapping follows the file's size.
    mutable int m_position = 0;
    mutable qint64 m_readCount = 0;
    mutable const uchar *m_map = nullptr;
    mutable qint64 m_mapped = 0;
};

// Reads a data file by its name: its bytes, nothing when it is not there.
// A file that is there but cannot be read is an IoError.
using DataFileReader = std::function<std::optional<QByteArray>(const QString &name)>;

// The files of a folder, opened by their full path.
DataFileReader folderReader(const QString &folder);
// One file's bytes, as a folder reader reads it.
std::optional<QByteArray> readWholeFile(const QString &path);

} // namespace zelvora

#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <memory>
#include <optional>

class QFile;

namespace zelvora {

// A data file that is a plain sequence of fixed-size records without header.
// Its record count is its size divided by the record size, rounded down, so
// stray trailing bytes are never read. Files are opened read-only: the program
// never writes its data and must work from a read-only install.
//
// The records may also come from any random-access device (a QBuffer in
// memory, say): a file is one such device that the record file opens and
// owns; every read goes through the same steps whatever the device.
//
// seek() and readNext() throw IoError on any failure; nothing is ever read
// outside the file.
//
// The record count is taken at opening and kept: asking the file's size at
// every read cost more than the read. A file that changes size while open is
// still seen as it is: a read that comes back short, and a position past the
// count known, take the size again before anything is reported, so every
// answer and every error is what a fresh size would give. count() always
// takes the size again.
class RecordFile
{
public:
    RecordFile();
    ~RecordFile();
    RecordFile(const RecordFile &) = delete;
    RecordFile &operator=(const RecordFile &) = delete;

    // Opens an existing file; false when it is missing or cannot be read. An
    // earlier opening of this object is released first.
    bool open(const QString &path, int recordSize);
    // Reads the records of `device`, which the caller keeps alive until
    // close() or another open(). A closed device is opened read-only; an open
    // one must be readable. A sequential device (a pipe, a socket) cannot
    // seek and is refused. `name` stands for the device in messages.
    bool open(QIODevice *device, int recordSize, const QString &name);
    void close();
    bool isOpen() const;

    QString fileName() const { return m_name; }
    int recordSize() const { return m_recordSize; }
    int count() const;
    int position() const { return m_position; }
    // Whether the position is at the end of the file. May read the record at
    // the position (kept for readNext()), so it throws IoError like seek()
    // when the file has shrunk below a position it was sought to.
    bool atEnd() const;

    // Positions the file at a 0-based record index; `count()` is allowed and
    // stands at the end.
    void seek(int index);
    // Reads the record at the position and moves on to the next one.
    QByteArray readNext();
    // seek() then readNext().
    QByteArray readAt(int index);
    // The record at `index` when the file holds it, nothing when it does not
    // (the position is then left as it was); other failures throw IoError.
    // Lets a caller report a number outside the file in its own words.
    std::optional<QByteArray> readIfInside(int index);

    // Every record of the file, one after the other, in one read (an index
    // loaded whole); the position then stands at the end. Fails as readNext()
    // would, record by record.
    QByteArray readAll();

    // Records read since the file was opened; lets tests count the work that a
    // keystroke or a page move costs.
    qint64 readCount() const { return m_readCount; }

private:
    enum class Load { Loaded, PastEnd };
    enum class Read { Whole, Short, NoSeek };
    void start(const QString &name, int recordSize);
    bool attach(QIODevice *device);
    void requireOpen() const;
    int takeCount() const;
    [[noreturn]] void throwOutside(int index) const;
    [[noreturn]] void throwPastEnd() const;
    Load load(int index) const;
    Read readRecords(int index, int records) const;
    qint64 readBytes(char *data, qint64 size, qint64 offset) const;
    QByteArray take();

    std::unique_ptr<QFile> m_ownedFile;
    QIODevice *m_device = nullptr;
    int m_handle = -1; // the owned file's descriptor, read with pread()
    QString m_name;
    int m_recordSize = 1;
    int m_position = 0;
    qint64 m_readCount = 0;
    // The count as last taken; it stays valid across const calls.
    mutable int m_count = 0;
    // The records held: one record read on its own (atEnd() reads the one
    // at the position for readNext(); handing it out lets it go), or, once
    // reading goes on in order (the record after the last one loaded is
    // asked for, or that one again), up to kReadAhead records read ahead in
    // one read: at most a page and its look-ahead. A seek drops them.
    static constexpr int kReadAhead = 9;
    mutable QByteArray m_held;
    mutable int m_heldFrom = 0;
    mutable int m_heldRecords = 0;
    mutable int m_next = -1; // the record after the last one loaded
};

} // namespace zelvora

#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <memory>

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
    bool atEnd() const { return m_position >= count(); }

    // Positions the file at a 0-based record index; `count()` is allowed and
    // stands at the end.
    void seek(int index);
    // Reads the record at the position and moves on to the next one.
    QByteArray readNext();
    // seek() then readNext().
    QByteArray readAt(int index);

    // Records read since the file was opened; lets tests count the work that a
    // keystroke or a page move costs.
    qint64 readCount() const { return m_readCount; }

private:
    void start(const QString &name, int recordSize);
    bool attach(QIODevice *device);

    std::unique_ptr<QFile> m_ownedFile;
    QIODevice *m_device = nullptr;
    QString m_name;
    int m_recordSize = 1;
    int m_position = 0;
    qint64 m_readCount = 0;
};

} // namespace zelvora

#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace zelvora {

// A data file that is a plain sequence of fixed-size records without header.
// Its record count is its size divided by the record size, rounded down, so
// stray trailing bytes are never read. Files are opened read-only: the program
// never writes its data and must work from a read-only install.
//
// seek() and readNext() throw IoError on any failure; nothing is ever read
// outside the file.
class RecordFile
{
public:
    RecordFile() = default;
    RecordFile(const RecordFile &) = delete;
    RecordFile &operator=(const RecordFile &) = delete;

    // Opens an existing file; false when it is missing or cannot be read. An
    // earlier opening of this object is released first.
    bool open(const QString &path, int recordSize);
    void close();
    bool isOpen() const { return m_file.isOpen(); }

    QString fileName() const { return m_file.fileName(); }
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
    QFile m_file;
    int m_recordSize = 1;
    int m_position = 0;
    qint64 m_readCount = 0;
};

} // namespace zelvora

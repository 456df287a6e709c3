#pragma once

// The parts both workbook readers share: the zip archive, one inflated part
// with its size limit, and the reader's state. Only the workbook readers
// include this.
#include "common/workbook.h"

#include <QIODevice>
#include <QXmlStreamReader>
#include <memory>

namespace zelvora {

namespace workbook {

class Archive;

// One part of the archive, inflated as it is read, that fails (reads -1)
// once it has given `limit` bytes: a part that inflates without end (a zip
// bomb) ends there, and exceeded() tells why. A damaged part (its data, or
// its checksum at the end) fails too.
class Part : public QIODevice
{
public:
    Part(Archive *archive, qint64 limit);
    ~Part() override;
    bool isSequential() const override { return true; }
    bool exceeded() const { return m_exceeded; }

protected:
    qint64 readData(char *data, qint64 size) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    Archive *m_archive;
    qint64 m_left;
    bool m_exceeded = false;
    bool m_ended = false;
};

// A zip archive read from a seekable device, through zlib's minizip; one
// part open at a time (opening one closes the one before).
class Archive
{
public:
    explicit Archive(QIODevice *device);
    ~Archive();
    bool open();
    QString error() const { return m_error; }
    // The part named `name`, or nullptr when the archive has none (or it
    // cannot be inflated).
    std::unique_ptr<Part> part(const QString &name, qint64 limit);

private:
    friend class Part;
    QIODevice *m_device;
    void *m_zip = nullptr;
    Part *m_open = nullptr;
    QString m_error;
};

// A text attribute whatever its namespace prefix.
QString attribute(const QXmlStreamReader &xml, QStringView name);

} // namespace workbook

// What both formats share: the archive, the error, and a cell's place and
// length.
class WorkbookReader::Format
{
public:
    Format(QIODevice *device, WorkbookReader::Limits limits) : archive(device), limits(limits) {}
    virtual ~Format() = default;
    // Reads what the format needs before the first row, the archive open.
    virtual bool open() = 0;
    virtual std::optional<WorkbookRow> next() = 0;

    // Ends the reading with `message` (the first one stays).
    std::nullopt_t fail(const QString &message);
    // Opens the archive's part `name` into `part`, for `xml` to read; false,
    // ending the reading with `missing`, when the archive has no such part.
    bool openPart(std::unique_ptr<workbook::Part> &part, QXmlStreamReader &xml, const QString &name,
                  const QString &missing);
    // The end of the sheet read from `part` through `xml`: a fault if it
    // stopped short (the part too large, or its XML damaged).
    std::nullopt_t endOfPart(const workbook::Part &part, const QXmlStreamReader &xml);
    // Cuts a cell over the field limit to the limit, marking its row.
    static void keepCell(WorkbookRow &row, QString &text);
    // Puts a cell in its column, the columns before it empty.
    static void putCell(WorkbookRow &row, int column, QString text);
    static bool hasText(const WorkbookRow &row);

    workbook::Archive archive;
    WorkbookReader::Limits limits;
    QString error;
};

namespace workbook {
std::unique_ptr<WorkbookReader::Format> odsFormat(QIODevice *device, WorkbookReader::Limits limits);
}

} // namespace zelvora

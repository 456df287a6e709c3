#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QIODevice;

namespace zelvora {

// The spreadsheet formats a list may come in: Excel's Office Open XML
// workbook and the OpenDocument spreadsheet of LibreOffice and the public
// administration. Both are a zip archive of XML parts.
enum class WorkbookFormat { Xlsx, Ods };

// The workbook format a file name says (.xlsx, .ods, in any case), if any.
std::optional<WorkbookFormat> workbookFormatOf(const QString &fileName);

// One row of a sheet: its cells as the spreadsheet shows them (numbers as
// written, dates as day/month/year), the empty ones between them empty.
struct WorkbookRow
{
    QStringList cells;
    QString error; // why the row cannot be used, empty when it can
    int line = 0;  // its row number in the sheet, from 1
};

// The most bytes a sheet, its shared texts and any other part of a workbook
// may inflate to; beyond, the workbook is refused.
struct WorkbookLimits
{
    qint64 sheetBytes = qint64(512) << 20;
    qint64 sharedBytes = qint64(128) << 20;
    qint64 partBytes = qint64(16) << 20;
};

// Reads the first sheet of a workbook row by row, without holding the sheet
// whole: the XML is inflated and parsed as the rows are asked for. Empty rows
// are skipped. Whatever the bytes, the reader ends in a row or in an error
// message, in memory bounded by the limits below: a file that is no zip
// archive, a missing or unreadable sheet, a part that inflates beyond its
// limit (a zip bomb), more rows than a sheet may have. A cell longer than a
// list's field is cut and its row carries the error.
class WorkbookReader
{
public:
    using Limits = WorkbookLimits;

    // Reads `device`, which must stay open and readable while the reader
    // lives.
    WorkbookReader(QIODevice *device, WorkbookFormat format, Limits limits = {});
    ~WorkbookReader();
    WorkbookReader(const WorkbookReader &) = delete;
    WorkbookReader &operator=(const WorkbookReader &) = delete;

    // Opens the archive and finds the first sheet (and, in an .xlsx, reads
    // its shared texts and styles); false with error() when it cannot.
    bool open();
    // The next row that holds a text; nothing at the end of the sheet or on
    // an error that ends the reading (error() then says why).
    std::optional<WorkbookRow> next();
    // Why the workbook cannot be read (further), empty while it can.
    QString error() const;

    // A cell longer than this (in UTF-8 bytes, as a list's field) makes its
    // row invalid; only this much of it is kept.
    static constexpr int kLongestField = 1000;
    // The most rows and columns a sheet may have (Excel's own limits).
    static constexpr int kMaxRows = 1048576;
    static constexpr int kMaxColumns = 16384;

    class Format;

private:
    std::unique_ptr<Format> m_format;
};

} // namespace zelvora

#pragma once

#include "common/address_check.h"
#include "common/csv_list.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>

class QTemporaryFile;

namespace zelvora {

class WorkbookReader;

// The check of an address list, a step at a time, so that a program can
// drive it row by row (from a worker thread: each object is used by one
// thread): open a list, find or choose its columns, read a row, check it,
// write it back as the list is written.

// The fields of an address a check reads, in the order --colonne names them.
// The house number may have a column of its own, as registers often give it.
enum ListField { kLocalityField, kProvinceField, kCapField, kAddressField, kNumberField, kListFields };

// The columns that hold each field: an index into a row's fields, -1 for none.
struct ListColumns
{
    std::array<int, kListFields> index{-1, -1, -1, -1, -1};

    // Found by their headers' names, case, accents and signs ignored
    // (localita, comune, citta...; pv, prov, provincia...; cap, zip...; via,
    // indirizzo, address...; civico, numero civico, housenumber...).
    static ListColumns detect(const QStringList &header);
    // As the user names them, by header or by number from 1; an empty name
    // leaves its field out. Throws Error for a name that is no column.
    static ListColumns named(const QStringList &header, const QStringList &names);
};

// One row of a list as read.
struct ListRow
{
    int line = 0;       // the line it starts on, from 1
    QStringList fields; // decoded; none when the row cannot be taken apart
    QString error;      // why the row cannot be read, empty when it can
    QByteArray raw;     // its bytes as read, to write it back as it came
};

// How a list is written: what its rows are written back in.
struct ListFormat
{
    ListEncoding encoding = ListEncoding::Utf8;
    char separator = ';';
    bool crlf = false;
    bool bom = false;

    QString decode(const QByteArray &bytes) const;
    // A character the encoding cannot hold is written as '?'.
    QByteArray encode(const QString &text) const;
    // The header line and a row as read, with `added` fields after them.
    QByteArray header(const QByteArray &raw, const QStringList &added) const;
    QByteArray row(const ListRow &row, int fields, const QStringList &added) const;
};

// A list opened for checking: a CSV file, or standard input ("-"), read as
// it is needed. The encoding, when not given, is found by reading the input
// through once (standard input is kept in a temporary file meanwhile); the
// separator from the header line. A file named .xlsx or .ods is the first
// sheet of a workbook (common/workbook.h); its rows are written back as a
// CSV list in UTF-8 with semicolons, CR LF and a byte order mark, as
// spreadsheets read it.
class AddressList
{
public:
    // Throws Error with a message for the user when the list cannot be read
    // or has no header line.
    explicit AddressList(const QString &path, std::optional<ListEncoding> encoding = {});
    ~AddressList();

    const QStringList &header() const { return m_header; }
    const QByteArray &rawHeader() const { return m_rawHeader; }
    const ListFormat &format() const { return m_format; }

    // The next row; nothing at the end. Throws IoError when reading fails
    // (or a workbook turns out damaged).
    std::optional<ListRow> next();
    bool isWorkbook() const { return m_workbook != nullptr; }

private:
    ListEncoding detectEncoding();
    void openWorkbook();
    QByteArray rawOf(const QStringList &fields) const;

    QFile m_file;
    std::unique_ptr<QTemporaryFile> m_copy; // of standard input
    std::unique_ptr<CsvReader> m_reader;
    std::unique_ptr<WorkbookReader> m_workbook;
    ListFormat m_format;
    QStringList m_header;
    QByteArray m_rawHeader;
};

// The names of the columns a checked row gets after its own.
const QStringList &verdictColumns();
// A verdict as those columns.
QStringList verdictFields(const Verdict &verdict);

// The colour that marks an outcome (0xRRGGBB), in the list window and in a
// saved workbook: light fills, on which the outcome's text stays readable.
// Green for OK, yellow for a code missing, orange for one out of date, red
// for a wrong one, blue for a name not found, grey for a row not checked.
quint32 outcomeColour(Verdict::Outcome outcome);

// Checks one row: a row that cannot be read, that lacks the locality's field
// or whose fields no name of the data can match (too long, characters the
// data cannot hold, control characters) is invalid; any other row is checked
// by `check`. `headerFields` is the header's number of fields.
Verdict checkRow(AddressCheck &check, const ListColumns &columns, const ListRow &row, int headerFields);

} // namespace zelvora

#pragma once

#include "common/address_check.h"
#include "common/csv_list.h"
#include "common/workbook.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>

namespace zelvora {

// The columns an address list is checked by: locality (required), province,
// postal code and address (street and house number), as column numbers
// from 0, -1 where the list has none.
struct ListColumns
{
    enum Wanted { Locality, Province, Cap, Address, kWanted };
    std::array<int, kWanted> column{-1, -1, -1, -1};
};

// The columns of a list with the header `header`: by their names (case,
// accents, spaces and signs set aside: "localita", "comune", "citta"...), or
// as `given` names them, by header name or number from 1, an empty one
// left out. Nothing, with `error`, when a given one is not in the header or
// the locality's column is missing.
// The columns found by their names alone, the locality's too if there.
ListColumns columnsByName(const QStringList &header);
std::optional<ListColumns> findListColumns(const QStringList &header, const QStringList &given, QString *error);

// One row of a list, its cells decoded.
struct ListRow
{
    QStringList cells;
    QString error; // why the row cannot be checked (it is RIGA NON VALIDA), empty when it can
    int line = 0;  // its line in the file, or its row in the sheet
};

// Checks one row by its columns: a row that cannot be read, lacks the
// locality's field, holds a character the data cannot or a field longer than
// any in the data is RIGA NON VALIDA with the reason; any other goes through
// the address check.
Verdict checkListRow(AddressCheck &check, const ListRow &row, const ListColumns &columns);

// The colour that marks an outcome (0xRRGGBB), in the list window and in a
// saved workbook: light fills, on which the outcome's text stays readable.
// Green for OK, yellow for a code missing, orange for one out of date, red
// for a wrong one, blue for a name not found, grey for a row not checked.
quint32 outcomeColour(Verdict::Outcome outcome);

// The columns a checked list gains, after its own.
inline const QStringList kCheckColumns{"esito", "cap_proposto", "localita_trovata", "pv_trovata", "nota"};

// The texts of those columns for a verdict.
QStringList checkCells(const Verdict &verdict);

// The list to check, read one row at a time from a file: a CSV or text file
// (its encoding, separator and line ends found as in csv_list.h), or the
// first sheet of an .xlsx or .ods workbook (by the file's suffix). The file
// is only ever read.
class AddressListReader
{
public:
    explicit AddressListReader(const QString &fileName);
    ~AddressListReader();

    // Opens the file and reads the header; false, with error(), when it
    // cannot.
    bool open(std::optional<ListEncoding> encoding = std::nullopt);
    const QStringList &header() const { return m_header; }
    // The next row; nothing at the end, or when reading cannot go on
    // (error() then says why).
    std::optional<ListRow> next();
    QString error() const { return m_error; }

    bool isWorkbook() const { return m_workbook != nullptr; }
    // A CSV list's own way of writing, for writing it again the same way.
    ListEncoding encoding() const { return m_encoding; }
    char separator() const { return m_separator; }
    bool bom() const { return m_csv && m_csv->bom(); }
    bool crlf() const { return m_csv && m_csv->crlf(); }

    QString decode(const QByteArray &bytes) const;
    QByteArray encode(const QString &text) const;

private:
    bool openCsv(std::optional<ListEncoding> encoding);
    bool openWorkbook(WorkbookFormat format);

    QFile m_file;
    std::unique_ptr<CsvReader> m_csv;
    std::unique_ptr<WorkbookReader> m_workbook;
    QStringList m_header;
    QString m_error;
    ListEncoding m_encoding = ListEncoding::Utf8;
    char m_separator = ';';
};

} // namespace zelvora

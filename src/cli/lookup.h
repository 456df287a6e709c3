#pragma once

#include "common/locality_database.h"
#include "common/street_directory.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace zelvora::cli {

// What a lookup searches: the localities in one of the search modes, or,
// without a mode, the streets of one city.
using SearchKind = std::optional<SearchMode>;

// One output column: its title in aligned output, its name in CSV and JSON,
// the capacity of its field in the data files, and whether it holds a code
// that must stay text (leading zeros).
struct Column
{
    QString title;
    QString key;
    int capacity = 0;
    bool code = false;
};

struct LookupResult
{
    enum Status {
        Found,    // some record begins with the whole text
        NotFound, // none does: `matched` is the longest beginning of it that some record has
        BadInput, // the text cannot be searched: `message` says why
    };
    Status status = NotFound;
    QString text;    // the text searched, in upper case
    QString matched;
    QString message;
    bool tooLong = false;    // BadInput: longer than the field searched
    QList<QStringList> rows; // one value per column of columns()
};

// Looks texts up in the data files with the windows' incremental search: the
// same prefix index and order files, the same search. The first record whose
// key begins with the text is the first row, and the records after it follow
// in the order file's order.
//
// The locality files are read whole when the lookup is made, so that a long
// run of lookups reads no file; a city's street files stay open. Making it throws Error with a message for the user
// when a needed file is missing or the city is unknown; a damaged file throws
// IoError from find().
class Lookup
{
public:
    // `city`: the street directory's city, as listed in the street window
    // (case, accents and punctuation ignored) or by the base name of its
    // files; only without a mode. `details` adds every field.
    Lookup(SearchKind kind, const QString &dataFolder, const QString &city, bool details);

    const QList<Column> &columns() const { return m_columns; }
    // Longest text that can be searched: the capacity of the key field.
    int keyCapacity() const { return m_keyCapacity; }
    // Things the user should know that do not stop the lookup (a missing notes
    // file, a missing province table).
    const QStringList &warnings() const { return m_warnings; }

    // The first `limit` records from the first match, or with `limit` < 0
    // every record that begins with the text.
    LookupResult find(const QString &text, int limit) const;

private:
    void openLocalities(const QString &dataFolder);
    void openStreets(const QString &dataFolder, const QString &city);
    bool streets() const { return !m_kind; }
    int recordCount() const;
    QString key(int index) const;
    QStringList readRow(int index) const;
    QStringList localityRow(int index) const;

    SearchKind m_kind;
    SearchMode m_mode; // of the localities
    bool m_details;
    QList<Column> m_columns;
    int m_keyCapacity = 0;
    QStringList m_warnings;
    LocalityDatabase m_localities;
    StreetDirectory m_streets;
};

} // namespace zelvora::cli

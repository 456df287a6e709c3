#pragma once

#include "common/incremental_search.h"
#include "common/record_file.h"
#include "locality/locality_files.h"
#include "streets/street_files.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace zelvora::cli {

// What a lookup searches: localities by name, by postal code or by province,
// or the streets of one city.
enum class SearchKind { Locality, Cap, Province, Street };

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
    QList<QStringList> rows; // one value per column of columns()
};

// Looks texts up in the data files with the windows' incremental search: the
// same prefix index and order files, the same search. The first record whose
// key begins with the text is the first row, and the records after it follow
// in the order file's order.
//
// The files stay open for the life of the object, and every key read is kept,
// so that a long run of lookups reads each record at most once. Opening
// throws Error with a message for the user when a needed file is missing or
// the city is unknown; a damaged file throws IoError from find().
class Lookup : private SearchSource
{
public:
    // `city`: the street directory's city, as listed in the street window
    // (case, accents and punctuation ignored) or by the base name of its
    // files; only for SearchKind::Street. `details` adds every field.
    Lookup(SearchKind kind, const QString &dataFolder, const QString &city, bool details);
    ~Lookup();

    const QList<Column> &columns() const { return m_columns; }
    // Longest text that can be searched: the capacity of the key field.
    int keyCapacity() const { return m_keyCapacity; }
    // Things the user should know that do not stop the lookup (a missing notes
    // file, a missing province table).
    const QStringList &warnings() const { return m_warnings; }

    // The first `limit` records from the first match, or with `limit` < 0
    // every record that begins with the text.
    LookupResult find(const QString &text, int limit);

    // Reads every record of the searched files into memory, in one pass
    // through each file, for a long run of lookups; the notes of streets are
    // still read as needed.
    void preload();

private:
    void openLocalities(const QString &dataFolder);
    void openStreets(const QString &dataFolder, const QString &city);
    // SearchSource
    const PrefixIndex &prefixIndex() const override { return m_streets ? m_streets->prefixIndex() : m_prefixIndex; }
    int recordCount() const override { return m_recordCount; }
    int keyLength() const override { return m_keyLength; }
    QString key(int index) override;
    QStringList readRow(int index);
    QByteArray recordAt(RecordFile &file, const std::vector<QByteArray> &memory, int index);
    LocalityRecord localityNo(int localityNo);
    StreetRecord street(int index);

    SearchKind m_kind;
    bool m_details;
    QList<Column> m_columns;
    int m_keyLength = 3;
    int m_keyCapacity = 0;
    QStringList m_warnings;

    RecordFile m_localities;
    RecordFile m_order; // postal-code or province order
    PrefixIndex m_prefixIndex;
    int m_recordCount = 0;
    QHash<QString, QString> m_provinceNames;
    std::unique_ptr<StreetFiles> m_streets;

    // Every record, once preload() has read them.
    std::vector<QByteArray> m_localityRecords;
    std::vector<QByteArray> m_orderRecords;
    std::vector<StreetRecord> m_streetRecords;

    // Keys already read, by 0-based index in the order file.
    std::vector<QString> m_keys;
    std::vector<bool> m_keyRead;

};

} // namespace zelvora::cli

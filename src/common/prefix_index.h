#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace zelvora {

class RecordFile;

// One group of records whose keys begin alike: 6 bytes, a short string of
// capacity 3 and the 1-based number of the group's first record. The locality
// indexes and the street index share it.
struct PrefixIndexEntry
{
    static constexpr int kSize = 6;
    static constexpr int kPrefixCapacity = 3;
    static constexpr int kFirstRecordOffset = 4;
};

// Reads a whole index, from its first entry to its last, into two parallel
// lists: the prefixes, and the first record numbers as decimal text. Both are
// emptied first. Nothing is sorted or checked: the file's order is the lists'.
void loadPrefixIndex(RecordFile &index, QStringList &prefixes, QStringList &firstRecords);
// The same, with the lists' texts kept in `text` instead of one allocation
// each: `text` is emptied, then holds every prefix and number one after the
// other, and each entry of the lists is a view into it. The lists, and any
// copy of their entries, are valid while `text` is neither changed nor
// destroyed; the caller keeps it beside them. An index is loaded at every
// opening: 2,920 allocations and frees fewer for the locality index.
void loadPrefixIndex(RecordFile &index, QStringList &prefixes, QStringList &firstRecords, QString &text);

// 1-based first and last record of a group of the order file.
struct Group
{
    int first = 0;
    int last = 0;
    friend bool operator==(const Group &, const Group &) = default;
};

// The group of the first entry, in list order, whose prefix begins with
// `typed`; it runs to the record before the next entry's first, or to the
// order file's last record for the last entry. An empty text matches nothing.
// With `inOrder` (the prefixes known to ascend, prefixesInOrder()), the entry
// is found by halving the list instead of going through it: the same answer.
std::optional<Group> findGroup(const QStringList &prefixes, const QStringList &firstRecords,
                               const QString &typed, int recordCount, bool inOrder = false);

// Whether every prefix sorts after the one before it in code page 1252 byte
// order, as the data compiler writes them.
bool prefixesInOrder(const QStringList &prefixes);

} // namespace zelvora

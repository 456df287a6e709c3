#pragma once

#include <QByteArrayView>
#include <QStringView>
#include <array>
#include <optional>
#include <vector>

namespace zelvora {

// One group of records whose keys begin alike: 6 bytes, a short string of
// capacity 3 and the 1-based number of the group's first record. The locality
// indexes and the street index share it.
struct PrefixIndexEntry
{
    static constexpr int kSize = 6;
    static constexpr int kPrefixCapacity = 3;
    static constexpr int kFirstRecordOffset = 4;
};

// 1-based first and last record of a group of the order file.
struct Group
{
    int first = 0;
    int last = 0;
    friend bool operator==(const Group &, const Group &) = default;
};

// A prefix index in memory, entry by entry in file order: each entry's prefix
// and the 1-based number of its group's first record, as numbers. Nothing is
// sorted or checked: the file's order is the index's.
class PrefixIndex
{
public:
    struct Entry
    {
        std::array<QChar, PrefixIndexEntry::kPrefixCapacity> characters{};
        int length = 0;
        int firstRecord = 0;
        QStringView prefix() const { return {characters.data(), length}; }
    };

    PrefixIndex() = default;
    // The entries of a whole index file; a partial last entry is left out.
    explicit PrefixIndex(QByteArrayView file);

    int size() const { return static_cast<int>(m_entries.size()); }
    bool isEmpty() const { return m_entries.empty(); }
    const Entry &at(int i) const { return m_entries[size_t(i)]; }
    // Whether every prefix sorts after the one before it in code page 1252
    // byte order, as the data compiler writes them.
    bool inOrder() const { return m_inOrder; }

    // The group of the first entry, in index order, whose prefix begins with
    // `typed`; it runs to the record before the next entry's first, or to the
    // order file's last record (`recordCount`) for the last entry. An empty
    // text matches nothing. An index in order is searched by halving it,
    // which finds the same entry.
    std::optional<Group> group(QStringView typed, int recordCount) const;

private:
    std::vector<Entry> m_entries;
    bool m_inOrder = true;
};

} // namespace zelvora

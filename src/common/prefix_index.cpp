#include "prefix_index.h"

#include "short_string.h"

#include <algorithm>

namespace zelvora {

PrefixIndex::PrefixIndex(QByteArrayView file)
{
    const qsizetype entries = file.size() / PrefixIndexEntry::kSize;
    m_entries.resize(size_t(entries));
    for (qsizetype i = 0; i < entries; ++i) {
        const char *record = file.data() + i * PrefixIndexEntry::kSize;
        Entry &entry = m_entries[size_t(i)];
        const int length = std::min<int>(static_cast<unsigned char>(record[0]), PrefixIndexEntry::kPrefixCapacity);
        entry.length = int(decodeCp1252(QByteArrayView(record + 1, length), entry.characters.data())
                           - entry.characters.data());
        entry.firstRecord = readRecordNumber(record + PrefixIndexEntry::kFirstRecordOffset);
        if (i > 0 && compareCp1252(m_entries[size_t(i - 1)].prefix(), entry.prefix()) >= 0)
            m_inOrder = false;
    }
}

std::optional<Group> PrefixIndex::group(QStringView typed, int recordCount) const
{
    if (typed.isEmpty())
        return std::nullopt;
    auto found = m_entries.end();
    if (m_inOrder) {
        // In ascending order, every entry before the first one not less than
        // the text is less than it and so cannot begin with it.
        found = std::lower_bound(m_entries.begin(), m_entries.end(), typed, [](const Entry &entry, QStringView text) {
            return compareCp1252(entry.prefix(), text) < 0;
        });
        if (found != m_entries.end() && !found->prefix().startsWith(typed))
            found = m_entries.end();
    } else {
        found = std::find_if(m_entries.begin(), m_entries.end(),
                             [&](const Entry &entry) { return entry.prefix().startsWith(typed); });
    }
    if (found == m_entries.end())
        return std::nullopt;
    const auto next = found + 1;
    return Group{found->firstRecord, next != m_entries.end() ? next->firstRecord - 1 : recordCount};
}

} // namespace zelvora

#include "incremental_search.h"

#include "prefix_index.h"

namespace zelvora {

void IncrementalSearch::search(const QString &text, const SearchIndex &index, const SearchRules &rules)
{
    if (text == m_lastText)
        return;
    if (started)
        started();
    m_lastText = text;
    m_prefix = text.left(rules.keyLength);

    // The group of the first index entry that begins with the prefix; with an
    // empty text, the order file from its beginning.
    int first = 1;
    int last = 1;
    if (const std::optional<Group> group = findGroup(index.prefixes, index.firstRecords, m_prefix,
                                                     index.recordCount)) {
        first = group->first;
        last = group->last;
    } else if (!text.isEmpty()) {
        // No key begins so: the prefix less its last character goes back.
        m_prefix.chop(1);
        takeBack(m_prefix, index, rules);
        return;
    }
    showPage(first - 1);
    if (text.size() <= rules.keyLength)
        return;

    // Refine within the group: the first record whose key begins with the text.
    for (int n = first; n <= last; ++n) {
        if (readKey(n - 1).startsWith(text)) {
            showPage(n - 1);
            return;
        }
    }
    takeBack(text.chopped(1), index, rules);
}

void IncrementalSearch::takeBack(const QString &text, const SearchIndex &index, const SearchRules &rules)
{
    // A field that notifies its change has searched the text already, and
    // this search then finds it equal to the last one.
    const QString now = putBack ? putBack(text) : text;
    search(now, index, rules);
}

} // namespace zelvora

#include "incremental_search.h"

#include "short_string.h"

namespace zelvora {

void IncrementalSearch::search(const QString &text, SearchSource &source)
{
    if (text == m_lastText)
        return;
    if (started)
        started();
    m_lastText = text;
    const int keyLength = source.keyLength();
    m_prefix = text.left(keyLength);

    // The group of the first index entry that begins with the prefix; with an
    // empty text, the order file from its beginning.
    int first = 1;
    int last = 1;
    const PrefixIndex &index = source.prefixIndex();
    if (const std::optional<Group> group = index.group(m_prefix, source.recordCount())) {
        first = group->first;
        last = group->last;
    } else if (!text.isEmpty()) {
        // No key begins so: the prefix less its last character goes back.
        m_prefix.chop(1);
        takeBack(m_prefix, source);
        return;
    }
    if (text.size() <= keyLength) {
        // A text no longer than the key starts every search afresh: the
        // field emptied when its window changes files, a new word typed.
        m_found = {};
        showPage(first - 1);
        return;
    }

    // Refine within the group: the page from the first record whose key
    // begins with the text. The group's page is not shown first, as the
    // match's page replaces it at once, and a take-back shows the page of the
    // shorter text.
    // Typing on: the keys before the last match are less than the text it
    // matched, and so less than this longer one.
    const bool continues = m_found.record > 0 && text.startsWith(m_found.text) && m_found.first == first
                           && m_found.last == last && m_found.index == &index
                           && m_found.recordCount == source.recordCount();
    if (const std::optional<int> match = continues ? firstMatch(source, text, m_found.record, last, true)
                                                   : firstMatch(source, text, first, last, false)) {
        m_found = {text, *match, first, last, &index, source.recordCount()};
        showPage(*match - 1);
        return;
    }
    takeBack(text.chopped(1), source);
}

std::optional<int> IncrementalSearch::firstMatch(SearchSource &source, const QString &text, int from, int last,
                                                 bool tryFrom)
{
    // The order files are sorted in code page 1252 byte order, so the keys
    // that begin with the text follow each other, and the first of them is
    // the first key not less than the text: found by halving the group,
    // about log2(group) reads. The halving stays inside the group and ends
    // whatever the keys hold; in a group out of order it may find another
    // key that begins with the text, or none, but never one that does not.
    int low = from;
    int high = last + 1; // the answer lies in [low, high]; high: none in the group
    QString candidate;   // the key of record `high`, once read
    // Typing on usually leaves the first match where it was: its key is
    // tried first, one read.
    if (tryFrom && low <= last) {
        QString key = source.key(low - 1);
        if (compareCp1252(key, text) >= 0) {
            high = low;
            candidate = std::move(key);
        } else {
            ++low;
        }
    }
    while (low < high) {
        const int middle = low + (high - low) / 2;
        QString key = source.key(middle - 1);
        if (compareCp1252(key, text) < 0) {
            low = middle + 1;
        } else {
            high = middle;
            candidate = std::move(key);
        }
    }
    if (high <= last && candidate.startsWith(text))
        return high;
    return std::nullopt;
}

void IncrementalSearch::takeBack(const QString &text, SearchSource &source)
{
    // A field that notifies its change has searched the text already, and
    // this search then finds it equal to the last one.
    const QString now = putBack ? putBack(text) : text;
    search(now, source);
}

Found findText(const QString &text, SearchSource &source)
{
    Found found;
    IncrementalSearch search;
    search.showPage = [&](int start) { found.start = start; };
    search.search(text, source);
    found.text = search.lastText();
    return found;
}

Found findText(const QString &text, const PrefixIndex &index, int recordCount, int keyLength,
               const std::function<QString(int index)> &key)
{
    struct Source : SearchSource
    {
        const PrefixIndex &index;
        int records, length;
        const std::function<QString(int)> &keyOf;
        Source(const PrefixIndex &i, int r, int l, const std::function<QString(int)> &k)
            : index(i), records(r), length(l), keyOf(k) {}
        const PrefixIndex &prefixIndex() const override { return index; }
        int recordCount() const override { return records; }
        int keyLength() const override { return length; }
        QString key(int at) override { return keyOf(at); }
    } source(index, recordCount, keyLength, key);
    return findText(text, source);
}

} // namespace zelvora

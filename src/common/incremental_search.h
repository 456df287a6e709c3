#pragma once

#include "common/prefix_index.h"

#include <QString>
#include <functional>
#include <optional>

namespace zelvora {

// What an incremental search searches: an order file's prefix index, its
// record count, how many leading characters the index tells apart, and the
// key of each record.
class SearchSource
{
public:
    virtual ~SearchSource() = default;
    virtual const PrefixIndex &prefixIndex() const = 0;
    virtual int recordCount() const = 0;
    // A text no longer than this is never refined within its group.
    virtual int keyLength() const = 0;
    // The key of the order file's record at a 0-based index.
    virtual QString key(int index) = 0;
};

// The incremental search behind a search field, without any widget, so that a
// window and a program without windows can both use it.
//
// Each new text of the field finds the first index group whose prefix begins
// with the text's first `keyLength` characters and shows the page from the
// group's first record. A longer text is refined within the group instead:
// the order file is sorted, so the first record whose key begins with the
// whole text is found by halving the group, and the page is shown from there.
// A character that no key continues is taken back: the search asks for a
// shorter text to be put back into the field. Putting text back into a field
// usually raises the field's change notification at once, which searches the
// shorter text from inside this run; either way the shorter text is searched
// once, and a text equal to the last one searched is never searched again.
class IncrementalSearch
{
public:
    // A new text is being searched (not a repeat of the last one).
    std::function<void()> started;
    // Show the page whose first row is the record at a 0-based index.
    std::function<void(int start)> showPage;
    // Put a shorter text back into the field, caret at its end; returns the
    // field's text afterwards. Without it the shorter text is searched as it is.
    std::function<QString(const QString &text)> putBack;

    void search(const QString &text, SearchSource &source);

    // The last text searched, and its first `keyLength` characters.
    const QString &lastText() const { return m_lastText; }
    const QString &prefix() const { return m_prefix; }

private:
    // The 1-based number of the group's first record whose key begins with
    // `text`, nothing when none does. `from` is the first record that can
    // hold it: the group's first, or the match of a text that `text`
    // continues, whose key is then tried first (`tryFrom`).
    std::optional<int> firstMatch(SearchSource &source, const QString &text, int from, int last, bool tryFrom);
    void takeBack(const QString &text, SearchSource &source);

    QString m_lastText;
    QString m_prefix;
    // The last refined text found, where, and in which group of which index:
    // a text that continues it can only be found from there on.
    struct Found
    {
        QString text;
        int record = 0;
        int first = 0;
        int last = 0;
        const PrefixIndex *index = nullptr;
        int recordCount = 0;
    } m_found;
};

// A search without a field, as a program without windows makes it: the
// longest beginning of `text` that some key has, and the 0-based record of
// the first key that begins with it (the first record for an empty text).
struct Found
{
    QString text;
    int start = 0;
};
Found findText(const QString &text, SearchSource &source);
// The same over an index, the records it groups, and their keys.
Found findText(const QString &text, const PrefixIndex &index, int recordCount, int keyLength,
               const std::function<QString(int index)> &key);

} // namespace zelvora

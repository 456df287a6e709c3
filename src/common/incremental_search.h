#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace zelvora {

// The in-memory prefix index of an order file and the file's record count.
struct SearchIndex
{
    const QStringList &prefixes;
    const QStringList &firstRecords; // 1-based record numbers, as decimal text
    int recordCount;
    // The prefixes ascend (prefixesInOrder()): the group is found by halving.
    bool inOrder = false;
};

// What differs between the searches that use the mechanism.
struct SearchRules
{
    // Leading characters that the prefix index tells apart: a text no longer
    // than this is never refined within its group.
    int keyLength = 3;
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
    // The last text searched and its first `keyLength` characters: kept by
    // the user of the search, which shares them with the rest of its window.
    IncrementalSearch(QString &lastText, QString &prefix) : m_lastText(lastText), m_prefix(prefix) {}

    // The key of the order file's record at a 0-based index.
    std::function<QString(int index)> readKey;
    // A new text is being searched (not a repeat of the last one).
    std::function<void()> started;
    // Show the page whose first row is the record at a 0-based index.
    std::function<void(int start)> showPage;
    // Put a shorter text back into the field, caret at its end; returns the
    // field's text afterwards.
    std::function<QString(const QString &text)> putBack;

    void search(const QString &text, const SearchIndex &index, const SearchRules &rules);

    QString lastText() const { return m_lastText; }

private:
    // The 1-based number of the group's first record whose key begins with
    // `text`, nothing when none does. `from` is the first record that can
    // hold it: the group's first, or the match of a text that `text`
    // continues, whose key is then tried first (`tryFrom`).
    std::optional<int> firstMatch(const QString &text, int from, int last, bool tryFrom);
    void takeBack(const QString &text, const SearchIndex &index, const SearchRules &rules);

    QString &m_lastText;
    QString &m_prefix;
    // The last refined text found, where, and in which group of which index:
    // a text that continues it can only be found from there on.
    struct Found
    {
        QString text;
        int record = 0;
        int first = 0;
        int last = 0;
        const QStringList *prefixes = nullptr;
        int recordCount = 0;
    } m_found;
};

} // namespace zelvora

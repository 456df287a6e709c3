#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <unordered_map>
#include <vector>

namespace zelvora {

// Names as people type them, made comparable with the names of the data:
// upper case without accents; apostrophes, hyphens, dots and other signs as
// spaces; the usual abbreviations written out (S. SAN, S.TA SANTA, SS.
// SANTI, M. MONTE, C. CASTEL) and SAN, SANTO, SANTA, SANTI, SANT' all taken
// as one word; numbers in figures, words or Roman numerals written as
// figures (XX, VENTI and 20 are one word; SECONDO and II are 2).
// `places` says whether M. and C. stand for MONTE and CASTEL, as in the names
// of places; in the names of streets they are initials of given names.
QStringList nameWords(const QString &name, bool places = true);

// The text in upper case, its accents taken away (Cantù: CANTU): the first
// step of every comparison of names.
QString foldedUpper(const QString &text);

// The words of nameWords() joined without spaces: two spellings of one name
// ("Sant'Angelo", "S. ANGELO"; "CANTU'", "Cantù") have one key.
QString nameKey(const QString &name, bool places = true);
QString nameKey(const QStringList &words);

// The number a word stands for, written in figures ("XX", "VENTI", "20" give
// "20"), or the word itself when it is not a number.
QString numberWord(const QString &word);
// The value of an Italian number word, cardinal (VENTI) or ordinal (SECONDO,
// UNDICESIMO, SECONDA), or 0.
int numberWordValue(const QString &word);
bool isOrdinalWord(const QString &word);

// The edit distance (insertions, deletions, substitutions) between a and b,
// or limit + 1 as soon as it is known to exceed `limit`.
int editDistance(QStringView a, QStringView b, int limit);

// The closest names to a name: by key, nearest edit distance first (a name
// of the same key first of all: "XX SETTEMBRE" is close to "VENTI
// SETTEMBRE"), and names that hold every typed word whole count as near as
// one typing error.
// Items are numbered by the caller; several items may share a name.
class NameSuggester
{
public:
    void add(const QString &name, int item);
    // The same with the name's words already taken apart by nameWords().
    void add(const QStringList &words, int item);

    // Up to `count` items, nearest first; items whose name is equally near
    // keep the order they were added in. `preferred` says which items go
    // first among the equally near ones (the same province, say).
    QList<int> suggest(const QString &typed, int count = 3, const std::function<bool(int)> &preferred = {}) const;

private:
    struct Entry
    {
        QString key;
        QStringList words;
        QList<int> items;
    };
    // Every entry within reach of a key, with its distance.
    std::vector<std::pair<int, int>> nearest(const QString &key, const QStringList &words) const;
    // The entries that hold every word, at distance 0 (the key itself) or 1.
    QHash<int, int> holdingEveryWord(const QString &key, const QStringList &words) const;
    // Adds the entries within `limit` edits of the key, each at its distance.
    void addWithinDistance(const QString &key, int limit, QHash<int, int> &distance) const;

    static constexpr qsizetype kCacheSize = 4096;
    static constexpr std::size_t kKept = 64; // nearest entries kept for a key

    std::vector<Entry> m_entries;
    mutable QHash<QString, std::vector<std::pair<int, int>>> m_cache;
    mutable std::vector<int> m_shared; // pieces an entry shares with the key, while it is counted
    QHash<QString, int> m_byKey;
    QHash<QString, QList<int>> m_byWord;    // entries holding a word
    std::unordered_map<quint64, std::vector<int>> m_byTrigram; // entries whose key holds three letters
};

} // namespace zelvora

#include "name_match.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <array>

namespace zelvora {

namespace {

// The ordinals from PRIMO to VENTITREESIMO, as kings and popes are written
// (VITTORIO EMANUELE SECONDO, PAPA GIOVANNI VENTITREESIMO), and their
// feminine forms.
const QHash<QString, int> &ordinalWords()
{
    static const QHash<QString, int> words = [] {
        QHash<QString, int> table;
        const QStringList ordinals{"PRIMO",           "SECONDO",        "TERZO",           "QUARTO",
                                   "QUINTO",          "SESTO",          "SETTIMO",         "OTTAVO",
                                   "NONO",            "DECIMO",         "UNDICESIMO",      "DODICESIMO",
                                   "TREDICESIMO",     "QUATTORDICESIMO", "QUINDICESIMO",   "SEDICESIMO",
                                   "DICIASSETTESIMO", "DICIOTTESIMO",   "DICIANNOVESIMO",  "VENTESIMO",
                                   "VENTUNESIMO",     "VENTIDUESIMO",   "VENTITREESIMO"};
        for (int o = 0; o < ordinals.size(); ++o) {
            table.insert(ordinals.at(o), o + 1);
            table.insert(ordinals.at(o).chopped(1) + u'A', o + 1);
        }
        return table;
    }();
    return words;
}

// Italian number words from 1 to 99 ("VENTUNO", "TRENTOTTO"), accents taken
// away ("VENTITRE"), and the ordinals.
const QHash<QString, int> &numberWords()
{
    static const QHash<QString, int> words = [] {
        QHash<QString, int> table = ordinalWords();
        const QStringList units{"", "UNO", "DUE", "TRE", "QUATTRO", "CINQUE", "SEI", "SETTE", "OTTO", "NOVE"};
        const QStringList teens{"DIECI", "UNDICI", "DODICI", "TREDICI", "QUATTORDICI", "QUINDICI", "SEDICI",
                                "DICIASSETTE", "DICIOTTO", "DICIANNOVE"};
        const QStringList tens{"VENTI", "TRENTA", "QUARANTA", "CINQUANTA", "SESSANTA", "SETTANTA", "OTTANTA",
                               "NOVANTA"};
        for (int u = 1; u < 10; ++u)
            table.insert(units.at(u), u);
        for (int t = 0; t < 10; ++t)
            table.insert(teens.at(t), 10 + t);
        for (int t = 0; t < tens.size(); ++t) {
            const QString &ten = tens.at(t);
            table.insert(ten, 20 + 10 * t);
            for (int u = 1; u < 10; ++u) {
                const QString &unit = units.at(u);
                // The tens lose their last vowel before UNO and OTTO.
                const QString joined = unit.startsWith(u'U') || unit.startsWith(u'O') ? ten.chopped(1) + unit : ten + unit;
                table.insert(joined, 20 + 10 * t + u);
            }
        }
        return table;
    }();
    return words;
}

// A Roman numeral of I, V and X, at least two letters (a single letter is
// more often an initial), in its usual form; 0 when the word is not one.
int romanNumber(const QString &word)
{
    if (word.size() < 2 || word.size() > 8
        || !std::all_of(word.begin(), word.end(), [](QChar c) { return c == u'I' || c == u'V' || c == u'X'; }))
        return 0;
    static const QRegularExpression form(QStringLiteral("^X{0,3}(IX|IV|V?I{0,3})$"));
    if (!form.match(word).hasMatch())
        return 0;
    // A letter before a greater one is taken away (IX, IV).
    const auto digit = [&](qsizetype i) {
        return i >= word.size() ? 0 : word.at(i) == u'X' ? 10 : word.at(i) == u'V' ? 5 : 1;
    };
    int value = 0;
    for (qsizetype i = 0; i < word.size(); ++i)
        value += digit(i) < digit(i + 1) ? -digit(i) : digit(i);
    return value;
}

} // namespace

int numberWordValue(const QString &word)
{
    return numberWords().value(word, 0);
}

bool isOrdinalWord(const QString &word)
{
    return ordinalWords().contains(word);
}

QString numberWord(const QString &word)
{
    if (!word.isEmpty() && std::all_of(word.begin(), word.end(), [](QChar c) { return c.isDigit(); })) {
        QString digits = word;
        while (digits.size() > 1 && digits.startsWith(u'0'))
            digits.remove(0, 1);
        return digits;
    }
    if (const int roman = romanNumber(word))
        return QString::number(roman);
    if (const auto found = numberWords().constFind(word); found != numberWords().constEnd())
        return QString::number(*found);
    return word;
}

QString foldedUpper(const QString &text)
{
    // Most names are plain upper-case ASCII: the accents and the case are
    // only looked at where there are some.
    bool ascii = true;
    bool lower = false;
    for (const QChar c : text) {
        ascii = ascii && c.unicode() < 0x80;
        lower = lower || (c >= u'a' && c <= u'z');
    }
    if (ascii)
        return lower ? text.toUpper() : text;
    QString plain = text.normalized(QString::NormalizationForm_D);
    plain.removeIf([](QChar c) { return c.category() == QChar::Mark_NonSpacing; });
    return plain.toUpper();
}

QStringList nameWords(const QString &name, bool places)
{
    QString plain = foldedUpper(name);
    const bool dot = plain.contains(u'.');
    // Abbreviations written with a dot: S.TA, S.TO, SS., S.
    if (dot) {
        static const QRegularExpression saintAbbreviation(QStringLiteral("\\b(S\\.\\s*T[AO]|SS\\.|S\\.)"));
        plain.replace(saintAbbreviation, QStringLiteral(" SAN "));
    }
    QStringList words;
    const auto take = [&](qsizetype start, qsizetype end) {
        if (end == start)
            return;
        QString word = plain.mid(start, end - start);
        static const QSet<QString> saints{"SAN", "SANTO", "SANTA", "SANTI", "SANT", "SS", "STA", "STO"};
        if (word.at(0) == u'S' && word.size() <= 5 && saints.contains(word))
            word = QStringLiteral("S");
        else if (places && word == u"M")
            word = QStringLiteral("MONTE");
        else if (places && word == u"C")
            word = QStringLiteral("CASTEL");
        else
            word = numberWord(word);
        words << word;
    };
    qsizetype start = 0;
    for (qsizetype i = 0; i < plain.size(); ++i) {
        if (!plain.at(i).isLetterOrNumber()) {
            take(start, i);
            start = i + 1;
        }
    }
    take(start, plain.size());
    return words;
}

QString nameKey(const QStringList &words)
{
    return words.join(QString());
}

QString nameKey(const QString &name, bool places)
{
    return nameKey(nameWords(name, places));
}

int editDistance(QStringView a, QStringView b, int limit)
{
    if (std::abs(a.size() - b.size()) > limit)
        return limit + 1;
    // Two rows of the distance table; names are short, so they live on the
    // stack unless a name is not.
    constexpr qsizetype kShort = 64;
    int shortRows[2][kShort + 1];
    std::vector<int> longRows;
    int *previous = shortRows[0];
    int *current = shortRows[1];
    if (b.size() > kShort) {
        longRows.resize(2 * (b.size() + 1));
        previous = longRows.data();
        current = longRows.data() + b.size() + 1;
    }
    for (qsizetype j = 0; j <= b.size(); ++j)
        previous[j] = static_cast<int>(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        current[0] = static_cast<int>(i);
        int rowBest = current[0];
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int substitution = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
            rowBest = std::min(rowBest, current[j]);
        }
        if (rowBest > limit)
            return limit + 1;
        std::swap(previous, current);
    }
    return std::min(previous[b.size()], limit + 1);
}

namespace {

// The edit distance from one key to many names, a column of the distance
// table at a time in the bits of one word (Myers' bit-parallel algorithm):
// for keys of at most 64 characters, all below U+0100; otherwise the table
// is filled cell by cell.
class DistanceFrom
{
public:
    explicit DistanceFrom(QStringView key) : m_key(key)
    {
        m_fast = key.size() <= 64 && std::all_of(key.begin(), key.end(), [](QChar c) { return c.unicode() < 0x100; });
        if (!m_fast)
            return;
        m_peq.fill(0);
        for (qsizetype i = 0; i < key.size(); ++i)
            m_peq[key[i].unicode()] |= quint64(1) << i;
    }

    int to(QStringView text, int limit) const
    {
        if (std::abs(text.size() - m_key.size()) > limit)
            return limit + 1;
        if (!m_fast || m_key.isEmpty())
            return editDistance(m_key, text, limit);
        const qsizetype m = m_key.size();
        const quint64 last = quint64(1) << (m - 1);
        quint64 pv = ~quint64(0);
        quint64 mv = 0;
        int score = static_cast<int>(m);
        for (const QChar c : text) {
            const quint64 eq = c.unicode() < 0x100 ? m_peq[c.unicode()] : 0;
            const quint64 xv = eq | mv;
            const quint64 xh = (((eq & pv) + pv) ^ pv) | eq;
            quint64 ph = mv | ~(xh | pv);
            quint64 mh = pv & xh;
            if (ph & last)
                ++score;
            else if (mh & last)
                --score;
            ph = (ph << 1) | 1;
            mh <<= 1;
            pv = mh | ~(xv | ph);
            mv = ph & xv;
        }
        return std::min(score, limit + 1);
    }

private:
    QStringView m_key;
    bool m_fast = false;
    std::array<quint64, 256> m_peq{};
};

// The three-letter pieces of a key with two signs before and after it, so
// that a short key has pieces too and each edit spoils at most three; each
// piece packed into one number.
std::vector<quint64> trigramsOf(const QString &key)
{
    const QString padded = QStringLiteral("##") + key + QStringLiteral("##");
    std::vector<quint64> pieces;
    for (qsizetype i = 0; i + 3 <= padded.size(); ++i) {
        const quint64 piece = (quint64(padded.at(i).unicode()) << 32) | (quint64(padded.at(i + 1).unicode()) << 16)
                              | padded.at(i + 2).unicode();
        if (std::find(pieces.begin(), pieces.end(), piece) == pieces.end())
            pieces.push_back(piece);
    }
    return pieces;
}

} // namespace

void NameSuggester::add(const QString &name, int item)
{
    add(nameWords(name), item);
}

void NameSuggester::add(const QStringList &words, int item)
{
    const QString key = nameKey(words);
    if (key.isEmpty())
        return;
    if (const auto found = m_byKey.constFind(key); found != m_byKey.constEnd()) {
        m_entries[*found].items << item;
        return;
    }
    const int entry = static_cast<int>(m_entries.size());
    m_entries.push_back({key, words, {item}});
    m_byKey.insert(key, entry);
    QStringList distinct = words;
    distinct.removeDuplicates();
    for (const QString &w : std::as_const(distinct))
        m_byWord[w] << entry;
    for (const quint64 trigram : trigramsOf(key))
        m_byTrigram[trigram].push_back(entry);
}

QList<int> NameSuggester::suggest(const QString &typed, int count, const std::function<bool(int)> &preferred) const
{
    const QStringList words = nameWords(typed);
    const QString key = nameKey(words);
    if (key.isEmpty() || m_entries.empty())
        return {};
    // A long list repeats its mistakes: the nearest names of a key are kept,
    // up to a bound, so that memory stays flat however long the list.
    const QString cacheKey = key + u'|' + words.join(u' ');
    std::vector<std::pair<int, int>> near; // entry, distance
    if (const auto cached = m_cache.constFind(cacheKey); cached != m_cache.constEnd()) {
        near = *cached;
    } else {
        near = nearest(key, words);
        if (m_cache.size() >= kCacheSize)
            m_cache.clear();
        m_cache.insert(cacheKey, near);
    }

    struct Candidate
    {
        int distance;
        bool preferred;
        qsizetype lengthGap;
        int entry;
        int item;
    };
    std::vector<Candidate> candidates;
    for (const auto &[entry, d] : near) {
        const Entry &e = m_entries[entry];
        for (const int item : e.items)
            candidates.push_back({d, preferred && preferred(item), std::abs(e.key.size() - key.size()), entry, item});
    }
    std::sort(candidates.begin(), candidates.end(), [](const Candidate &a, const Candidate &b) {
        return std::tie(a.distance, b.preferred, a.lengthGap, a.entry, a.item)
               < std::tie(b.distance, a.preferred, b.lengthGap, b.entry, b.item);
    });
    QList<int> items;
    for (std::size_t i = 0; i < candidates.size() && items.size() < count; ++i)
        items << candidates[i].item;
    return items;
}

QHash<int, int> NameSuggester::holdingEveryWord(const QString &key, const QStringList &words) const
{
    // Names that hold every typed word whole are as near as one typing error.
    QHash<int, int> distance;
    if (words.isEmpty())
        return distance;
    QList<int> holding = m_byWord.value(words.first());
    for (qsizetype i = 1; i < words.size() && !holding.isEmpty(); ++i) {
        const QList<int> with = m_byWord.value(words.at(i));
        QList<int> both;
        std::set_intersection(holding.begin(), holding.end(), with.begin(), with.end(), std::back_inserter(both));
        holding = both;
    }
    for (const int entry : std::as_const(holding))
        distance.insert(entry, m_entries[entry].key == key ? 0 : 1);
    return distance;
}

void NameSuggester::addWithinDistance(const QString &key, int limit, QHash<int, int> &distance) const
{
    // Names within the edit distance: only those that share enough of the
    // key's three-letter pieces to be within the limit are compared.
    const DistanceFrom from(key);
    const auto consider = [&](int entry) {
        if (const int d = from.to(m_entries[entry].key, limit); d <= limit)
            distance[entry] = std::min(distance.value(entry, d), d);
    };
    // Each edit spoils at most three pieces of the padded key.
    // Pieces that most names hold ("SAN", "##S") are not counted: each piece
    // left out lowers the count a name must reach by one.
    // The commonest go first, as long as a name must still share one piece.
    const std::vector<quint64> pieces = trigramsOf(key);
    std::vector<const std::vector<int> *> lists;
    for (const quint64 trigram : pieces) {
        const auto found = m_byTrigram.find(trigram);
        if (found != m_byTrigram.end())
            lists.push_back(&found->second);
    }
    std::sort(lists.begin(), lists.end(), [](auto a, auto b) { return a->size() > b->size(); });
    int needed = static_cast<int>(pieces.size()) - 3 * limit;
    constexpr std::size_t kCommon = 500;
    std::size_t skipped = 0;
    while (needed > 2 && skipped < lists.size() && lists[skipped]->size() > kCommon) {
        ++skipped;
        --needed;
    }
    lists.erase(lists.begin(), lists.begin() + static_cast<qsizetype>(skipped));
    if (needed <= 0) {
        for (int entry = 0; entry < static_cast<int>(m_entries.size()); ++entry)
            if (std::abs(m_entries[entry].key.size() - key.size()) <= limit)
                consider(entry);
        return;
    }
    m_shared.resize(m_entries.size());
    std::vector<int> touched;
    for (const std::vector<int> *list : lists) {
        for (const int entry : *list) {
            if (m_shared[entry]++ == 0)
                touched.push_back(entry);
        }
    }
    for (const int entry : touched) {
        if (m_shared[entry] >= needed)
            consider(entry);
        m_shared[entry] = 0;
    }
}

std::vector<std::pair<int, int>> NameSuggester::nearest(const QString &key, const QStringList &words) const
{
    // The further a name may be, the longer the text typed.
    const int limit = key.size() <= 4 ? 1 : key.size() <= 8 ? 2 : 3;
    QHash<int, int> distance = holdingEveryWord(key, words); // entry -> its distance
    addWithinDistance(key, limit, distance);
    // The nearest few are kept: a short word held by thousands of names
    // would otherwise fill the memory of the cache.
    std::vector<std::pair<int, int>> near(distance.constKeyValueBegin(), distance.constKeyValueEnd());
    const auto closer = [&](const std::pair<int, int> &a, const std::pair<int, int> &b) {
        const auto gap = [&](int entry) { return std::abs(m_entries[entry].key.size() - key.size()); };
        return std::tuple(a.second, gap(a.first), a.first) < std::tuple(b.second, gap(b.first), b.first);
    };
    if (near.size() > kKept) {
        std::nth_element(near.begin(), near.begin() + kKept, near.end(), closer);
        near.resize(kKept);
    }
    return near;
}

} // namespace zelvora

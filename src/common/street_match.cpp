#include "street_match.h"

#include "common/address_rules.h"
#include "common/cities.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>

namespace zelvora {

using namespace addressrules;

namespace {

// ---------------------------------------------------------------------------
// House numbers
// ---------------------------------------------------------------------------

// The letters from `at` on, as one word.
QStringView letterRun(QStringView text, qsizetype at)
{
    qsizetype end = at;
    while (end < text.size() && text[end].isLetter())
        ++end;
    return text.mid(at, end - at);
}

qsizetype skipSpaces(QStringView text, qsizetype at)
{
    while (at < text.size() && text[at].isSpace())
        ++at;
    return at;
}

// The figures from `at` on as a number, and where they end; -1 when there
// are none or too many for a house number.
std::pair<int, qsizetype> figuresAt(QStringView text, qsizetype at)
{
    qsizetype end = at;
    while (end < text.size() && text[end].isDigit())
        ++end;
    if (end == at || end - at > 6)
        return {-1, at};
    return {text.mid(at, end - at).toInt(), end};
}

// What may follow a house number's figures: R or ROSSO (red numbers), BIS,
// TER, QUATER, or one letter ("12A", "12 A", "12/A", "5 A/B"). Returns
// where it ends, `at` when nothing of the kind follows.
qsizetype readNumberTail(QStringView text, qsizetype at, HouseNumber &h)
{
    const qsizetype start = skipSpaces(text, at);
    const bool slash = start < text.size() && text[start] == u'/';
    const qsizetype word = slash ? skipSpaces(text, start + 1) : start;
    const QStringView letters = letterRun(text, word);
    if (letters.isEmpty())
        return at;
    if (!slash && (letters == u"R" || letters == u"ROSSO")) {
        h.red = true;
    } else if (letters == u"BIS" || letters == u"TER" || letters == u"QUATER") {
        h.suffix = letters.toString();
    } else if (letters.size() == 1 && (h.suffix.isEmpty() || slash)) {
        // A letter and a full stop start the next part: "12 P. 3" (the floor).
        if (word + 1 < text.size() && text[word + 1] == u'.')
            return at;
        h.suffix += (h.suffix.isEmpty() ? QString() : QStringLiteral("/")) + letters.toString();
    } else {
        return at;
    }
    return word + letters.size();
}

// A house number read from `at` of an upper-case text, and where it ends.
HouseNumber readHouseNumberAt(QStringView text, qsizetype at, qsizetype &end)
{
    HouseNumber h;
    end = at;
    at = skipSpaces(text, at);
    // N., N°, NR, NUM., CIV., CIVICO before the number.
    const QStringView lead = letterRun(text, at);
    if (lead == u"N" || lead == u"NR" || lead == u"NUM" || lead == u"CIV" || lead == u"CIVICO") {
        at += lead.size();
        while (at < text.size() && (text[at] == u'.' || text[at] == u'\u00B0' || text[at] == u'\u00BA' || text[at].isSpace()))
            ++at;
    }
    const qsizetype first = at;
    const auto [number, figuresEnd] = figuresAt(text, at);
    if (number < 0)
        return h;
    h.number = h.last = number;
    at = readNumberTail(text, figuresEnd, h);
    // Further numbers after / or -: a range or list when they grow, else
    // the lower number after a slash is a part of the first ("1769/24").
    for (;;) {
        const qsizetype sign = skipSpaces(text, at);
        if (sign >= text.size() || (text[sign] != u'/' && text[sign] != u'-'))
            break;
        const auto [next, nextEnd] = figuresAt(text, skipSpaces(text, sign + 1));
        if (next < 0) {
            const qsizetype tail = readNumberTail(text, at, h);
            if (tail == at)
                break;
            at = tail;
            continue;
        }
        if (next > h.last) {
            h.last = next;
            h.sameSide = h.sameSide && (next - h.number) % 2 == 0;
        } else if (text[sign] == u'/' && h.suffix.isEmpty() && h.last == h.number) {
            h.suffix = QString::number(next);
        } else {
            break;
        }
        at = readNumberTail(text, nextEnd, h);
    }
    h.text = text.mid(first, at - first).trimmed().toString();
    end = at;
    return h;
}

// The words of two letters or more that are no particles: a designation and
// a name have two.
int namedWords(QStringView text)
{
    int named = 0;
    for (qsizetype i = 0; i < text.size();) {
        const QStringView word = letterRun(text, i);
        named += word.size() >= 2 && !isParticle(word);
        i += std::max<qsizetype>(word.size(), 1);
    }
    return named;
}

// Whether the number at `at` follows a part of a building written after a
// word of the street's name ("VIA ROSSI INT. 2", "VIALE DELLE SCIENZE ED
// 12"): that part's own number. A word that opens the name is the name's
// ("VIA DELLA SCALA 12").
bool afterBuildingPart(QStringView text, qsizetype at)
{
    qsizetype end = at;
    while (end > 0 && !text[end - 1].isLetterOrNumber())
        --end;
    qsizetype begin = end;
    while (begin > 0 && text[begin - 1].isLetter())
        --begin;
    return begin < end && isBuildingPart(text.mid(begin, end - begin)) && namedWords(text.left(begin)) >= 2;
}

// Whether what follows a number shows it to be the house number: nothing,
// a dash or bracket, or a word that ends a house number ("113 INT. 2").
bool endsNumber(QStringView rest)
{
    return rest.isEmpty() || rest.startsWith(u'-') || rest.startsWith(u'(') || endsHouseNumber(letterRun(rest, 0));
}

// The house number of an address: after its first comma, or the first
// figures after the street's name that nothing but the house number's own
// signs follow, or a word that ends it ("VIA SABOTINO 36/38", "VIA
// IPPONIO130", "VIA ROMA N.3", "VIA CRESCENZAGO 113 INT. 2"). A kilometre
// ("KM 12,400"), a part of a building's number ("INT. 2") and an address
// without number (SNC) give none.
HouseNumber houseNumberIn(const QString &upper, qsizetype *start = nullptr)
{
    static const QRegularExpression kilometre(QStringLiteral("\\bKM\\.?\\s*\\d+$"));
    static const QRegularExpression noNumber(QStringLiteral("\\bSNC\\b"));
    if (upper.contains(u"SNC") && noNumber.match(upper).hasMatch())
        return {};
    const qsizetype comma = upper.indexOf(u',');
    const QStringView street = QStringView(upper).left(comma >= 0 ? comma : upper.size());
    const bool km = street.contains(u"KM") && kilometre.match(street).hasMatch();
    qsizetype end = 0;
    const auto found = [start](const HouseNumber &h, qsizetype from) {
        if (start)
            *start = from;
        return h;
    };
    if (comma >= 0 && !km) {
        const HouseNumber h = readHouseNumberAt(upper, comma + 1, end);
        if (h.number > 0)
            return found(h, comma + 1);
    }
    for (qsizetype i = 1; i < street.size() && !km; ++i) {
        // A number starts after a space or sign, or glued to a word's letters.
        if (!street[i].isDigit() || street[i - 1].isDigit())
            continue;
        if (street.left(i).trimmed().endsWith(u"KM") || street.left(i).endsWith(u"KM."))
            break;
        if (afterBuildingPart(street, i))
            continue;
        const HouseNumber h = readHouseNumberAt(street, i, end);
        if (h.number > 0 && endsNumber(street.mid(end).trimmed()))
            return found(h, i);
    }
    return {};
}

// ---------------------------------------------------------------------------
// Words
// ---------------------------------------------------------------------------

// The text in upper case without accents; the signs that words write
// together (F.LLI, S.TA, C/O, S/N) written out.
QString plainText(const QString &text)
{
    QString plain = foldedUpper(text);
    if (plain.contains(u'.') || plain.contains(u'/')) {
        // Each with the letters it needs, to look for it only where it may be.
        struct Joined
        {
            QStringView needs;
            QRegularExpression pattern;
            QString replacement;
        };
        static const QList<Joined> joined{
            {u"LLI", QRegularExpression(QStringLiteral("\\bF\\.\\s*LLI\\b")), QStringLiteral("FRATELLI")},
            {u"SC", QRegularExpression(QStringLiteral("\\bF\\.\\s*SC([OA])\\b")), QStringLiteral("FRANCESC\\1")},
            {u"S.", QRegularExpression(QStringLiteral("\\bS\\.\\s*T([AO])\\b")), QStringLiteral("SANT\\1")},
            {u"P.", QRegularExpression(QStringLiteral("\\bP\\.\\s*TA\\b")), QStringLiteral("PORTA")},
            {u"C/O", QRegularExpression(QStringLiteral("\\bC/O\\b")), QStringLiteral(" PRESSO ")},
            {u"N", QRegularExpression(QStringLiteral("\\bS\\.?\\s*N\\.?\\s*C\\b\\.?|\\bS/N\\b|\\bS\\.N\\.")),
             QStringLiteral(" SNC ")},
        };
        for (const Joined &j : joined)
            if (plain.contains(j.needs))
                plain.replace(j.pattern, j.replacement);
    }
    static const QRegularExpression withoutNumber(QStringLiteral("\\bSENZA\\s+NUMERO\\b"));
    if (plain.contains(u"SENZA"))
        plain.replace(withoutNumber, QStringLiteral(" SNC "));
    return plain;
}

// A word of the text, with the signs around it that the split reads.
struct Token
{
    QString text;
    bool dotted = false;      // a full stop or slash follows it
    bool breakBefore = false; // a comma, semicolon, bracket or " - " comes before it
    StreetWord word{};        // the word as compared, once the tokens are made
    bool number() const { return text.at(0).isDigit(); }
};

// A word as compared: its key is one spelling of its forms.
StreetWord wordOf(const Token &token)
{
    // Saints, however written, are S.
    static const QSet<QStringView> saints{u"S",     u"SAN", u"SANTO", u"SANTA",      u"SANT",       u"SANTI",
                                          u"STA",   u"STO", u"SS",    u"SANTISSIMO", u"SANTISSIMA", u"SANTISSIMI",
                                          u"SANTISSIME"};
    StreetWord w;
    w.text = token.text;
    const bool single = w.text.size() == 1 && w.text.at(0).isLetter();
    w.initial = token.dotted || (single && !isParticle(w.text));
    if (w.text.at(0) == u'S' && saints.contains(w.text)) {
        w.key = QStringLiteral("S");
        return w;
    }
    if (w.text.at(0).isDigit() || !w.initial) {
        w.key = w.text == u"I" ? QStringLiteral("1") : numberWord(w.text);
        if (w.key != w.text)
            return w;
    }
    const QStringView whole = wholeWord(w.text, token.dotted);
    if (!whole.isEmpty()) {
        w.key = whole.toString();
        w.initial = false;
        return w;
    }
    const QStringView given = w.initial ? QStringView() : givenNameKey(w.text);
    w.key = given.isEmpty() ? w.text : given.toString();
    return w;
}

// The words of a plain text: letters and figures, apart at every other sign
// and where figures follow two letters or more ("IPPONIO130").
QList<Token> tokensOf(const QString &plain)
{
    QList<Token> tokens;
    bool pendingBreak = false;
    qsizetype start = -1;
    const auto close = [&](qsizetype end) {
        if (start >= 0) {
            tokens.append({plain.mid(start, end - start), false, pendingBreak});
            pendingBreak = false;
            start = -1;
        }
    };
    for (qsizetype i = 0; i < plain.size(); ++i) {
        const QChar c = plain.at(i);
        if (c.isLetterOrNumber()) {
            if (start >= 0 && c.isDigit() && plain.at(i - 1).isLetter() && i - start >= 2)
                close(i);
            if (start < 0)
                start = i;
            continue;
        }
        close(i);
        if ((c == u'.' || c == u'/') && !tokens.isEmpty() && i > 0 && plain.at(i - 1).isLetterOrNumber())
            tokens.last().dotted = true;
        const bool spacedDash = c == u'-' && i > 0 && plain.at(i - 1).isSpace()
                                && (i + 1 == plain.size() || plain.at(i + 1).isSpace() || plain.at(i + 1).isDigit());
        if (c == u',' || c == u';' || c == u'(' || spacedDash)
            pendingBreak = true;
    }
    close(plain.size());
    // GIAMBATTISTA and its forms are GIOVANNI BATTISTA.
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const QString &t = tokens.at(i).text;
        if (t == u"GIAMBATTISTA" || t == u"GIANBATTISTA" || t == u"GIOVANBATTISTA") {
            tokens[i].text = QStringLiteral("GIOVANNI");
            tokens.insert(i + 1, {QStringLiteral("BATTISTA"), tokens.at(i).dotted, false});
            tokens[i].dotted = false;
        }
    }
    // N. glued to the name before a number: "SANTA LUCIAN.3".
    for (qsizetype i = 0; i + 1 < tokens.size(); ++i) {
        Token &t = tokens[i];
        if (t.dotted && t.text.size() >= 4 && t.text.endsWith(u'N') && t.text.at(0).isLetter() && tokens.at(i + 1).number()) {
            t.text.chop(1);
            t.dotted = false;
            tokens.insert(i + 1, {QStringLiteral("N"), true, false});
        }
    }
    for (Token &t : tokens)
        t.word = wordOf(t);
    return tokens;
}

QList<StreetWord> wordsOf(const QList<Token> &tokens, qsizetype from, qsizetype to)
{
    QList<StreetWord> words;
    words.reserve(to - from);
    for (qsizetype i = from; i < to; ++i)
        words.append(tokens.at(i).word);
    // V or X ending a name after a name is a pope's or king's number (PIO V).
    if (words.size() >= 2 && !tokens.at(to - 1).dotted && (words.last().text == u"V" || words.last().text == u"X")
        && words.at(words.size() - 2).text.size() >= 3 && !words.at(words.size() - 2).text.at(0).isDigit()) {
        words.last().key = words.last().text == u"V" ? QStringLiteral("5") : QStringLiteral("10");
        words.last().initial = false;
    }
    return words;
}

QList<StreetWord> wordsOf(const QString &text)
{
    const QList<Token> tokens = tokensOf(plainText(text));
    return wordsOf(tokens, 0, tokens.size());
}

// The words written as one: their letters as written, numbers in figures
// (MONTEGRAPPA, GIANGIACOMO for GIAN GIACOMO).
QString glued(const QList<StreetWord> &words)
{
    QString text;
    for (const StreetWord &w : words)
        text += w.key.at(0).isDigit() || w.key == u"S" ? w.key : w.text;
    return text;
}

QStringList keysOf(const QList<StreetWord> &words)
{
    QStringList keys;
    keys.reserve(words.size());
    for (const StreetWord &w : words)
        keys << w.key;
    return keys;
}

QString keysInOrder(const QList<StreetWord> &words)
{
    return keysOf(words).join(u' ');
}

QString keysInAnyOrder(const QList<StreetWord> &words)
{
    QStringList keys = keysOf(words);
    keys.sort();
    return keys.join(u' ');
}

// D. and D/ stand for DI, DA, DEL, DELLA ("CONCA D/NAVIGLIO", "GIOVANNI
// D.PROCIDA"): a particle however written.
bool isParticleWord(const StreetWord &w)
{
    return (!w.initial || w.text == u"D") && isParticle(w.text);
}

QList<StreetWord> withoutTitles(const QList<StreetWord> &words)
{
    QList<StreetWord> kept;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const bool first = i == 0 && words.size() > 1;
        if (!isTitle(words.at(i).text, first) && !isTitle(words.at(i).key, first))
            kept.append(words.at(i));
    }
    return kept;
}

// The words that tell streets apart: particles left out, and the particles
// left out before each word kept ("DA" of a birthplace).
QList<StreetWord> contentOf(const QList<StreetWord> &words, QStringList *dropped = nullptr)
{
    QList<StreetWord> kept;
    QString before;
    for (const StreetWord &w : words) {
        if (isParticleWord(w)) {
            before += (before.isEmpty() ? QString() : QStringLiteral(" ")) + w.text;
            continue;
        }
        kept.append(w);
        if (dropped)
            *dropped << before;
        before.clear();
    }
    return kept;
}

// ---------------------------------------------------------------------------
// Loose comparison
// ---------------------------------------------------------------------------

// Whether a word of an address and a word of a street name the same thing:
// the same key, a short form of the other, or an initial of it.
bool wordsFit(const StreetWord &typed, const StreetWord &word)
{
    if (typed.key == word.key || isShortFormOf(typed.text, word.text) || isShortFormOf(word.text, typed.text))
        return true;
    if (typed.initial && !typed.text.at(0).isDigit() && word.text.startsWith(typed.text))
        return true;
    return word.initial && !word.text.at(0).isDigit() && typed.text.startsWith(word.text);
}

// Whether the typed words from `from` on can each take a street word of their
// own that they fit (`fits`), among those `owner` leaves free (-1; -2 is
// taken by a word before `from`): one augmenting path per typed word.
bool canAssign(const QList<QList<int>> &fits, qsizetype from, QList<int> owner)
{
    QList<bool> seen;
    const auto augment = [&](const auto &self, int t) -> bool {
        for (const int j : fits.at(t)) {
            if (seen[j] || owner[j] == -2)
                continue;
            seen[j] = true;
            if (owner[j] == -1 || self(self, owner[j])) {
                owner[j] = t;
                return true;
            }
        }
        return false;
    };
    for (qsizetype t = from; t < fits.size(); ++t) {
        seen.fill(false, owner.size());
        if (!augment(augment, static_cast<int>(t)))
            return false;
    }
    return true;
}

// Each typed word takes a street word of its own that it fits: for each in
// turn the first that leaves the others an assignment, which is the one a
// search in that order finds first, without trying every order when none
// exists (an address that repeats its words). used[i] is typed word i's.
bool assign(const QList<StreetWord> &typed, const QList<StreetWord> &words, QList<int> &used)
{
    QList<QList<int>> fits(typed.size());
    for (qsizetype i = 0; i < typed.size(); ++i)
        for (int j = 0; j < words.size(); ++j)
            if (wordsFit(typed.at(i), words.at(j)))
                fits[i] << j;
    QList<int> owner(words.size(), -1);
    for (qsizetype i = 0; i < typed.size(); ++i) {
        const auto free = [&](int j) {
            owner[j] = -2;
            if (canAssign(fits, i + 1, owner))
                return true;
            owner[j] = -1;
            return false;
        };
        const auto j = std::find_if(fits.at(i).begin(), fits.at(i).end(), [&](int j) { return owner[j] == -1 && free(j); });
        if (j == fits.at(i).end())
            return false;
        used << *j;
    }
    return true;
}

// Whether the street words left over are given names an address may leave
// out: at most two, none a word that sets a street apart, and either all
// before the name's last word, which is typed whole (the surname: "VIA
// MAZZINI" for GIUSEPPE MAZZINI, "PERGOLESI G." for GIOVANNI BATTISTA
// PERGOLESI), or together at its end right after its first word, typed whole
// ("VIA GARIBALDI" for GARIBALDI GIUSEPPE).
bool leftOutAreGivenNames(const QList<StreetWord> &typed, const QList<StreetWord> &words, const QStringList &dropped,
                          const QList<int> &used)
{
    QList<int> left;
    for (int j = 0; j < words.size(); ++j)
        if (!used.contains(j))
            left << j;
    if (left.isEmpty())
        return true;
    if (left.size() > 2)
        return false;
    const auto ordinalAtEnd = [&](int j) { return j == words.size() - 1 && isOrdinalWord(words.at(j).text); };
    for (const int j : left) {
        const QString &w = words.at(j).text;
        if (!ordinalAtEnd(j) && (w.size() < 3 || !w.at(0).isLetter() || words.at(j).key.at(0).isDigit() || setsApart(w)))
            return false;
    }
    const int last = static_cast<int>(words.size()) - 1;
    const auto typedWhole = [&](int j) {
        const qsizetype i = used.indexOf(j);
        return i >= 0
               && (typed.at(i).text == words.at(j).text || (!typed.at(i).initial && typed.at(i).key == words.at(j).key));
    };
    if (left.last() < last)
        return typedWhole(last);
    // The number of a king or pope: CORSO VITTORIO EMANUELE for VITTORIO
    // EMANUELE SECONDO.
    if (left.size() == 1 && last >= 2 && isOrdinalWord(words.at(last).text))
        return typedWhole(last - 1);
    if (left.first() == last - left.size() + 1 && left.first() > 0) {
        // Given names follow the surname, or "DA" of a birthplace ("SPARANO
        // DA BARI"): DELLA FERROVIA A SAN LORENZO is not DELLA FERROVIA.
        const QString &before = dropped.value(left.first());
        return (before.isEmpty() || before == u"DA") && typedWhole(0);
    }
    return false;
}

bool looseFit(const QList<StreetWord> &typed, const QList<StreetWord> &words, const QStringList &dropped)
{
    if (typed.isEmpty() || words.isEmpty() || typed.size() > words.size())
        return false;
    // At least one word that is more than an initial: typed whole, or a
    // short form of four letters or more (GIOV., or a name cut short).
    const bool whole = std::any_of(typed.begin(), typed.end(), [](const StreetWord &w) {
        return w.text.size() >= (w.initial ? 4 : 3) && !w.key.at(0).isDigit();
    });
    if (!whole)
        return false;
    QList<int> used;
    return assign(typed, words, used) && leftOutAreGivenNames(typed, words, dropped, used);
}

// The steps of the comparison, each tried only when the one before finds
// nothing: the whole text alike; the same words in any order; the same
// without particles; the same written as one word; loosely (initials,
// given names left out); without particles and titles; loosely without titles.
enum Step { kText, kAllWords, kContent, kGlued, kGluedAll, kCore };

StreetMatcher::Match matchOf(const QList<int> &streets)
{
    StreetMatcher::Match m;
    if (streets.size() == 1)
        m.street = streets.first();
    else
        m.alternatives = streets;
    return m;
}

// Whether two words differ by one slip of the keys: a letter added, left
// out or changed, or two letters swapped (MELANIA for MELAINA).
bool oneSlipApart(QStringView a, QStringView b)
{
    if (a.size() < b.size())
        std::swap(a, b);
    if (a.size() - b.size() > 1 || a == b)
        return false;
    qsizetype i = 0;
    while (i < b.size() && a[i] == b[i])
        ++i;
    if (a.size() != b.size())
        return a.mid(i + 1) == b.mid(i);
    if (a.mid(i + 1) == b.mid(i + 1))
        return true;
    return i + 1 < a.size() && a[i] == b[i + 1] && a[i + 1] == b[i] && a.mid(i + 2) == b.mid(i + 2);
}

void addOnce(QList<int> &list, const QList<int> &more)
{
    for (const int i : more)
        if (!list.contains(i))
            list << i;
}

} // namespace

// ---------------------------------------------------------------------------
// The streets
// ---------------------------------------------------------------------------

struct StreetMatcher::Entry
{
    QString designation;      // the key of its words: "VIA", "STRADA STATALE"
    QList<StreetWord> words;
    QList<StreetWord> content; // particles left out
    QStringList dropped;       // the particles left out before each content word
};

struct StreetMatcher::Candidate
{
    QString designation;
    QList<StreetWord> words;
    bool operator==(const Candidate &other) const
    {
        const auto same = [](const StreetWord &a, const StreetWord &b) { return a.key == b.key && a.initial == b.initial; };
        return designation == other.designation
               && std::equal(words.begin(), words.end(), other.words.begin(), other.words.end(), same);
    }
};

StreetMatcher::StreetMatcher(std::vector<Street> streets, int cityRow) : m_streets(std::move(streets))
{
    m_entries.reserve(m_streets.size());
    for (int step = 0; step < kSteps; ++step) {
        m_next[step].reserve(m_streets.size());
        m_first[step].reserve(static_cast<qsizetype>(m_streets.size()));
    }
    QHash<QString, QString> designationKeys;
    const auto addDesignation = [&](const QString &d) {
        if (!d.isEmpty() && !m_designations.whole.contains(d)) {
            m_designations.all << d;
            m_designations.whole.insert(d);
            m_designations.firstWords.insert(d.section(u' ', 0, 0));
        }
    };
    for (int i = 0; i < static_cast<int>(m_streets.size()); ++i) {
        index(i, designationKeys);
        addDesignation(m_entries.back().designation);
        m_designations.own.insert(m_entries.back().designation);
    }
    // Those written in every city, so that one this city lacks is still read
    // as a designation (and may be taken for another).
    for (const QStringView d : commonDesignations())
        addDesignation(keysInOrder(wordsOf(d.toString())));
    m_wordKeys = m_byWord.keys();
    std::sort(m_wordKeys.begin(), m_wordKeys.end());
    std::sort(m_designations.all.begin(), m_designations.all.end(), [](const QString &a, const QString &b) {
        return a.count(u' ') != b.count(u' ') ? a.count(u' ') > b.count(u' ') : a < b;
    });
    if (cityRow >= 0 && cityRow < static_cast<int>(cityTable.size())) {
        m_cadastralCode = cityTable[cityRow].cadastralCode.toString();
        for (int row = 0; row < static_cast<int>(cityTable.size()); ++row)
            if (cityTable[row].cadastralCode == m_cadastralCode)
                m_cityNames += cityNames(row);
        std::sort(m_cityNames.begin(), m_cityNames.end(),
                  [](const QString &a, const QString &b) { return a.size() > b.size(); });
    }
}

StreetMatcher::~StreetMatcher() = default;

void StreetMatcher::index(int i, QHash<QString, QString> &designationKeys)
{
    const Street &s = m_streets[i];
    Entry e;
    auto designation = designationKeys.constFind(s.designation);
    if (designation == designationKeys.constEnd())
        designation = designationKeys.insert(s.designation, keysInOrder(wordsOf(s.designation)));
    e.designation = *designation;
    e.words = wordsOf(s.name);
    e.content = contentOf(e.words, &e.dropped);
    const QString keys[kSteps] = {keysInOrder(e.words),    keysInAnyOrder(e.words), keysInAnyOrder(e.content),
                                  glued(e.content),        glued(e.words),          keysInAnyOrder(withoutTitles(e.content))};
    for (int step = 0; step < kSteps; ++step) {
        m_next[step].push_back(-1);
        if (keys[step].isEmpty())
            continue;
        // Each key names its streets as a chain, the last added first.
        m_next[step][i] = m_first[step].value(keys[step], -1);
        m_first[step].insert(keys[step], i);
    }
    for (qsizetype w = 0; w < e.content.size(); ++w) {
        const StreetWord &word = e.content.at(w);
        const bool again = std::any_of(e.content.begin(), e.content.begin() + w,
                                       [&](const StreetWord &before) { return before.key == word.key; });
        if (!word.initial && !again)
            m_byWord[word.key] << i;
    }
    m_entries.push_back(std::move(e));
}

QString StreetMatcher::label(int index) const
{
    const Street &s = m_streets[index];
    return s.designation.isEmpty() ? s.name : s.designation + u' ' + s.name;
}

QList<int> StreetMatcher::lookup(int step, const QString &designation, const QString &key) const
{
    QList<int> streets;
    for (int i = m_first[step].value(key, -1); i >= 0; i = m_next[step][i])
        if (designation.isEmpty() || m_entries[i].designation == designation)
            streets.prepend(i);
    return streets;
}

QList<int> StreetMatcher::streetsWithWord(const StreetWord &w) const
{
    if (!w.initial)
        return m_byWord.value(w.key);
    // A word cut short: the streets of every word it begins.
    QList<int> streets;
    for (auto at = std::lower_bound(m_wordKeys.begin(), m_wordKeys.end(), w.key);
         at != m_wordKeys.end() && at->startsWith(w.key); ++at)
        streets += m_byWord.value(*at);
    std::sort(streets.begin(), streets.end());
    streets.erase(std::unique(streets.begin(), streets.end()), streets.end());
    return streets;
}

QList<int> StreetMatcher::looseSteps(const QString &designation, const QList<StreetWord> &typed, bool titles) const
{
    // The rarest word typed whole, or else cut short after four letters or
    // more, names the streets worth comparing.
    QList<int> fewest;
    bool any = false;
    for (const bool initials : {false, true}) {
        for (const StreetWord &w : typed) {
            if (w.initial != initials || (initials && w.text.size() < 4))
                continue;
            const QList<int> with = streetsWithWord(w);
            if (with.isEmpty())
                return {};
            if (!any || with.size() < fewest.size())
                fewest = with;
            any = true;
        }
        if (any)
            break;
    }
    QList<int> result;
    for (const int i : std::as_const(fewest)) {
        const Entry &e = m_entries[i];
        if (!designation.isEmpty() && e.designation != designation)
            continue;
        const bool fit = titles ? looseFit(typed, e.content, e.dropped) : looseFit(typed, withoutTitles(e.content), {});
        if (fit)
            result << i;
    }
    return result;
}

QList<int> StreetMatcher::steps(const QString &designation, const QList<StreetWord> &words, Pass pass) const
{
    const QList<StreetWord> content = contentOf(words);
    QList<int> f;
    if (pass != Pass::Loose) {
        f = lookup(kText, designation, keysInOrder(words));
        if (f.isEmpty())
            f = lookup(kAllWords, designation, keysInAnyOrder(words));
        if (f.isEmpty())
            f = lookup(kContent, designation, keysInAnyOrder(content));
        if (f.isEmpty())
            f = lookup(kGlued, designation, glued(content));
        if (f.isEmpty())
            f = lookup(kGluedAll, designation, glued(words));
    }
    if (!f.isEmpty() || pass == Pass::Exact)
        return f;
    const QList<StreetWord> core = withoutTitles(content);
    f = looseSteps(designation, content, true);
    if (f.isEmpty())
        f = lookup(kCore, designation, keysInAnyOrder(core));
    if (f.isEmpty())
        f = looseSteps(designation, core, false);
    return f;
}

StreetMatcher::Match StreetMatcher::firstMatch(const QList<Candidate> &list, Pass pass) const
{
    for (const Candidate &c : list)
        if (const Match m = matchOf(steps(c.designation, c.words, pass)); m.any())
            return m;
    return {};
}

void StreetMatcher::makeSuggester() const
{
    if (m_suggester)
        return;
    m_suggester = std::make_unique<NameSuggester>();
    for (int i = 0; i < static_cast<int>(m_entries.size()); ++i)
        m_suggester->add(keysOf(m_entries[i].content), i);
}

QList<int> StreetMatcher::nearOfDesignation(const QString &designation, const QList<StreetWord> &words) const
{
    makeSuggester();
    // A street of the written designation one letter away may be the one
    // meant, mistyped (in a name long enough for a slip to be one).
    const QStringList keys = keysOf(contentOf(words));
    const QString key = keys.join(QString());
    QList<int> found;
    if (key.size() < 8)
        return found;
    for (const int i : m_suggester->suggest(keys.join(u' '), 8)) {
        const Entry &e = m_entries[i];
        if (e.designation == designation && editDistance(key, keysOf(e.content).join(QString()), 1) <= 1)
            found << i;
    }
    return found;
}

StreetMatcher::Match StreetMatcher::otherDesignation(const Candidate &candidate) const
{
    Match m;
    const QList<int> any = steps(QString(), candidate.words, Pass::All);
    if (any.isEmpty())
        return m;
    QList<int> local;
    QList<int> family;
    for (const int i : any) {
        const QString &d = m_entries[i].designation;
        if (isLocalDesignation(m_cadastralCode, d))
            local << i;
        else if (sameFamily(candidate.designation, d))
            family << i;
    }
    const QList<int> &taken = !local.isEmpty() ? local : family;
    if (taken.isEmpty()) {
        m.otherDesignations = any;
        return m;
    }
    // VIA for a VIALE and a LARGO of that name, or for a VIALE when a VIA
    // of a name one letter away may be the one meant: either.
    const QList<int> near = nearOfDesignation(candidate.designation, candidate.words);
    if (taken.size() == 1 && near.isEmpty()) {
        m.street = taken.first();
        m.writtenDesignation = candidate.designation;
    } else {
        m.alternatives = taken + near;
    }
    return m;
}

QStringList StreetMatcher::nearWords(const QString &key) const
{
    // Another last vowel makes another word, not a slip: AURELIA is no
    // AURELIO, AVERSANA no AVERSANO.
    const auto vowel = [](QChar c) { return QStringView(u"AEIOU").contains(c); };
    const auto otherEnding = [&](const QString &word) {
        return word.size() == key.size() && vowel(word.back()) && vowel(key.back())
               && QStringView(word).chopped(1) == QStringView(key).chopped(1);
    };
    // Words one slip apart share the word, or it with one letter left out:
    // every word of the city is indexed under those once, when first needed.
    const auto variants = [](const QString &word) {
        QStringList list{word};
        for (qsizetype i = 0; i < word.size(); ++i)
            list << QString(word).remove(i, 1);
        return list;
    };
    if (m_slips.isEmpty()) {
        for (int w = 0; w < static_cast<int>(m_wordKeys.size()); ++w)
            if (!m_wordKeys.at(w).at(0).isDigit())
                for (const QString &v : variants(m_wordKeys.at(w)))
                    m_slips[v] << w;
    }
    QList<int> seen;
    QStringList near;
    for (const QString &v : variants(key)) {
        for (const int w : m_slips.value(v)) {
            const QString &word = m_wordKeys.at(w);
            if (!seen.contains(w) && oneSlipApart(word, key) && !otherEnding(word))
                near << word;
            seen << w;
        }
    }
    return near;
}

StreetMatcher::Match StreetMatcher::mistyped(const Candidate &c) const
{
    // A word long enough for a slip to be one, read as each word of the city
    // one slip away (TIBERO for TIBERIO, TOLSTOJ for TOLSTOI), the
    // designation as written: first a word that no street of the city holds;
    // then one that some street holds (MELANIA for MELAINA) but names none
    // alone, when the whole name then fits a street as it stands.
    QList<int> found;
    for (const bool known : {false, true}) {
        for (qsizetype i = 0; i < c.words.size(); ++i) {
            const StreetWord &w = c.words.at(i);
            if (w.initial || w.key.size() < 6 || !w.key.at(0).isLetter() || m_byWord.contains(w.key) != known
                || isParticleWord(w))
                continue;
            // A word that names a street alone is written on purpose: VIA
            // SALARIA VECCHIA is no VIA DELLA SALARA VECCHIA.
            if (known && !lookup(kContent, QString(), w.key).isEmpty())
                continue;
            const QStringList near = nearWords(w.key);
            if (near.size() > 3)
                continue;
            for (const QString &key : near) {
                Candidate fixed = c;
                fixed.words[i].text = fixed.words[i].key = key;
                addOnce(found, steps(c.designation, fixed.words, known ? Pass::Exact : Pass::All));
            }
        }
        if (!found.isEmpty())
            break;
    }
    return matchOf(found);
}

StreetMatcher::Match StreetMatcher::ordinalLeftOut(const Candidate &c) const
{
    // The first, second... of several streets of one name, written without
    // its ordinal ("VICO SAN FRANCESCO DELLA SCARPA" for VICO PRIMO and VICO
    // SECONDO SAN FRANCESCO DELLA SCARPA): each is a candidate; one alone
    // is no proof that the street without ordinal is missing.
    static const QList<StreetWord> ordinals = wordsOf(QStringLiteral("PRIMO SECONDO TERZO QUARTO QUINTO SESTO SETTIMO OTTAVO NONO DECIMO"));
    if (std::any_of(c.words.cbegin(), c.words.cend(), [](const StreetWord &w) { return w.key.at(0).isDigit(); }))
        return {};
    QList<int> found;
    for (const StreetWord &ordinal : ordinals)
        addOnce(found, steps(c.designation, QList<StreetWord>{ordinal} + c.words, Pass::Exact));
    return found.size() >= 2 ? matchOf(found) : Match{};
}

StreetMatcher::Match StreetMatcher::placeAfterName(const Candidate &c) const
{
    // The district written after the name, as Napoli writes it ("VIA STADERA
    // A POGGIOREALE", "SALITA SCUDILLO ALLA SANITA'") or named ("VIA GAETANO
    // BRUNO RIONE ASCARELLI", "ZONA LAGHETTO"): the words before it, when
    // they fit one street as they stand and keep a word of four letters
    // typed whole.
    static const QSet<QString> marks{"A", "AL", "ALLA", "ALLO", "AI", "AGLI", "ALLE", "RIONE", "ZONA", "QUARTIERE"};
    for (qsizetype k = 1; k + 1 < c.words.size(); ++k) {
        if (!marks.contains(c.words.at(k).text))
            continue;
        const QList<StreetWord> kept = c.words.mid(0, k);
        if (std::none_of(kept.cbegin(), kept.cend(),
                         [](const StreetWord &w) { return !w.initial && w.text.size() >= 4 && !isParticleWord(w); }))
            continue;
        if (const QList<int> f = steps(c.designation, kept, Pass::Exact); f.size() == 1)
            return matchOf(f);
    }
    return {};
}

StreetMatcher::Match StreetMatcher::extraGivenName(const Candidate &c) const
{
    // A given name that the archive does not write (VIALE CARLO MARX for
    // VIALE MARX, VIA ANTONIO GIUSEPPE BERTOLA for VIA ANTONIO BERTOLA): the
    // rest must then be a street's whole name, or any surname would do.
    QList<int> found;
    const auto named = [](const StreetWord &w) { return w.text.size() >= 3 && !isParticleWord(w); };
    for (qsizetype i = 0; i < c.words.size(); ++i) {
        const StreetWord &w = c.words.at(i);
        // A given name before DA, DI is a person named by a place (ANTONIO DA
        // RECANATI), which the place alone does not name.
        const bool ofPlace = i + 1 < c.words.size() && isParticleWord(c.words.at(i + 1));
        if (w.initial || ofPlace || !(isGivenName(w.text) || isGivenName(w.key)))
            continue;
        QList<StreetWord> rest = c.words;
        rest.removeAt(i);
        if (std::any_of(rest.begin(), rest.end(), named))
            addOnce(found, steps(c.designation, rest, Pass::Exact));
    }
    return matchOf(found);
}

StreetMatcher::Match StreetMatcher::findCandidates(const QList<Candidate> &list) const
{
    // Every reading the strict way first, then the loose way: a reading that
    // fits exactly beats one that fits loosely.
    for (const Pass pass : {Pass::Exact, Pass::Loose})
        if (const Match m = firstMatch(list, pass); m.any())
            return m;
    Match none;
    for (const Candidate &c : list) {
        if (c.designation.isEmpty())
            continue;
        const Match m = otherDesignation(c);
        if (m.any())
            return m;
        if (none.otherDesignations.isEmpty())
            none.otherDesignations = m.otherDesignations;
    }
    // A name that fits no street as written, nor under another designation:
    // a given name too many, a word mistyped, an ordinal left out or the
    // district written after the name.
    if (!none.otherDesignations.isEmpty())
        return none;
    for (const auto pass : {&StreetMatcher::extraGivenName, &StreetMatcher::mistyped, &StreetMatcher::ordinalLeftOut,
                            &StreetMatcher::placeAfterName}) {
        for (const Candidate &c : list)
            if (const Match m = (this->*pass)(c); m.any())
                return m;
    }
    return none;
}

namespace {

// An address written at a corner ("VIA CELENTANO, 1 - ANG. VIA PADOVA, 194",
// "VIA VOLUSIA (ANGOLO VIA CASSIA, 1056), 1", "VIA SQUILLACE 84 AD ANGOLO
// CON VIA TAURIANOVA 80", "VIALE GUIDONI/CARRAIA"): the first street with
// its number, and the corner street with its own; the corner empty when the
// address names none.
struct CornerParts
{
    QString first;
    QString corner;
};

CornerParts cornerParts(const QString &plain)
{
    static const QRegularExpression marker(
        QStringLiteral("(?:\\bAD\\s+|\\bALL\\W?\\s*)?\\bANG(?:OLO)?\\b\\.?/?\\s*(?:\\bCON\\b)?"));
    // Two names parted by a slash: no street's name holds one.
    static const QRegularExpression slash(QStringLiteral("(?<=[A-Z']{3})\\s*/\\s*(?=[A-Z]{3})"));
    if (plain.contains(u'/')) {
        const QRegularExpressionMatch m = slash.match(plain);
        if (m.hasMatch() && namedWords(QStringView(plain).left(m.capturedStart())) >= 2)
            return {plain.left(m.capturedStart()), plain.mid(m.capturedEnd())};
    }
    if (!plain.contains(u"ANG"))
        return {plain, {}};
    for (auto it = marker.globalMatch(plain); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (namedWords(QStringView(plain).left(m.capturedStart())) < 2)
            continue;
        // A corner in brackets ends at the closing one; what follows it is
        // the first street's again.
        const qsizetype open = plain.lastIndexOf(u'(', m.capturedStart());
        const qsizetype shut = open >= 0 ? plain.indexOf(u')', open) : -1;
        if (open >= 0 && (shut < 0 || shut > m.capturedStart())) {
            const qsizetype end = shut < 0 ? plain.size() : shut;
            return {plain.left(open) + u' ' + plain.mid(end + 1), plain.mid(m.capturedEnd(), end - m.capturedEnd())};
        }
        return {plain.left(m.capturedStart()), plain.mid(m.capturedEnd())};
    }
    return {plain, {}};
}

} // namespace

StreetMatcher::Match StreetMatcher::find(const QString &designation, const QString &name, bool lastWordCut) const
{
    const QString plain = plainText(name);
    const CornerParts parts = cornerParts(plain);
    if (parts.corner.trimmed().isEmpty())
        return findPlain(designation, plain, lastWordCut);
    const Match first = findPlain(designation, parts.first, lastWordCut);
    if (first.any())
        return first;
    const Match corner = findPlain(QString(), parts.corner, false);
    return corner.any() ? corner : first;
}

StreetMatcher::Match StreetMatcher::findPlain(const QString &designation, const QString &plain, bool lastWordCut) const
{
    qsizetype start = 0;
    const HouseNumber number = houseNumberIn(plain, &start);
    // A list names one street at many numbers, and the same address may come
    // again: the match of each text is kept, up to a bound. The whole text is
    // the key: the words read around a house number ("48/A/A" beside "48/A")
    // may change the match, which must not depend on the rows before.
    const QString key = designation + (lastWordCut ? u'\x1' : u'\x2') + plain;
    if (const auto cached = m_cache.constFind(key); cached != m_cache.constEnd()) {
        Match m = *cached;
        m.houseNumber = ownNumber(m, number, plain.left(start));
        return m;
    }
    // A road by its number is found by its number or the street it is;
    // most other addresses the strict way as they are written: the other
    // readings are made only for the rest.
    const std::optional<Match> road = designation.isEmpty() ? findRoad(plain, lastWordCut) : std::nullopt;
    Match m = road ? *road : firstMatch(candidates(designation, plain, lastWordCut, false), Pass::Exact);
    if (!road && !m.any())
        m = findCandidates(candidates(designation, plain, lastWordCut, true));
    // C. for CORSO, when no given name C. fits: "C. PRINCIPE ODDONE".
    static const QRegularExpression corso(QStringLiteral("^\\s*C\\.\\s*(?=[A-Z]{2})"));
    if (!m.any() && m.otherDesignations.isEmpty() && designation.isEmpty()
        && plain.startsWith(u'C') && corso.match(plain).hasMatch())
        m = findCandidates(candidates(designation, QString(plain).replace(corso, QStringLiteral("CORSO ")), lastWordCut, true));
    if (m_cache.size() >= kCacheSize)
        m_cache.clear();
    m_cache.insert(key, m);
    m.houseNumber = ownNumber(m, number, plain.left(start));
    return m;
}

HouseNumber StreetMatcher::ownNumber(const Match &m, const HouseNumber &number, QStringView before) const
{
    // The number that ends the name of the street found is the name's
    // ("STRADA STATALE 18", "ISOLA A1", "TRAVERSA VIA NAZIONALE 3"), unless
    // the address writes it before: "S.DA STATALE 18 18".
    if (m.street < 0 || number.number <= 0 || number.last != number.number)
        return number;
    const QString figures = QString::number(number.number);
    const QString &name = m_streets[m.street].name;
    const bool endsName = name.endsWith(figures) && (name.size() == figures.size() || !name.at(name.size() - figures.size() - 1).isDigit());
    const bool writtenBefore = before.trimmed().endsWith(figures);
    // A road's number that opens its name, written as the address's first
    // number: "STATALE 106 JONICA" for STRADA STATALE 106 JONICA.
    const bool opensName = name.startsWith(figures + u' ') && !std::any_of(before.cbegin(), before.cend(), [](QChar c) { return c.isDigit(); });
    return (endsName && !writtenBefore) || opensName ? HouseNumber{} : number;
}

QList<int> StreetMatcher::suggest(const QString &address) const
{
    makeSuggester();
    return m_suggester->suggest(keysOf(contentOf(split(address).words)).join(u' '));
}

// ---------------------------------------------------------------------------
// Taking an address apart
// ---------------------------------------------------------------------------

namespace {

bool isTailWord(const QString &word)
{
    return word.size() == 1 || word == u"BIS" || word == u"TER" || word == u"QUATER" || word == u"ROSSO"
           || word == u"NERO";
}

// Where the street part of the name ends: before a comma, semicolon,
// bracket or " - "; before the words that end a street, after a word of the
// name proper.
qsizetype streetEnd(const QList<Token> &tokens, qsizetype from)
{
    bool named = false;
    for (qsizetype i = from; i < tokens.size(); ++i) {
        const Token &t = tokens.at(i);
        if (i > from && t.breakBefore)
            return i;
        if (named) {
            const bool numberFollows = i + 1 == tokens.size() || tokens.at(i + 1).number();
            if (endsStreet(t.text) || (endsStreetBeforeNumber(t.text) && numberFollows))
                return i;
        }
        if (t.text.size() >= 2 && t.text.at(0).isLetter() && t.text.at(1).isLetter() && !isParticle(t.text))
            named = true;
    }
    return tokens.size();
}

// Where the words at the end of those from `from` to `end` that are figures
// or what follows them (a letter, BIS, ROSSO) start; the first is kept.
qsizetype numberRunStart(const QList<Token> &tokens, qsizetype from, qsizetype end)
{
    while (end - 1 > from && (tokens.at(end - 1).number() || isTailWord(tokens.at(end - 1).text)))
        --end;
    return end;
}

// Where the house number at the end of a street part starts: the first
// figure of that run; `end` when there is none.
qsizetype houseNumberStart(const QList<Token> &tokens, qsizetype from, qsizetype end)
{
    for (qsizetype i = numberRunStart(tokens, from, end); i < end; ++i)
        if (tokens.at(i).number())
            return i;
    return end;
}

// The first figure after a word of the name proper: everything from there
// on is a house number and what follows it ("57- TORRE A MARE").
qsizetype firstNumberAfterName(const QList<Token> &tokens, qsizetype from, qsizetype end)
{
    bool named = false;
    for (qsizetype i = from; i < end; ++i) {
        if (named && tokens.at(i).number())
            return i;
        if (tokens.at(i).text.size() >= 3 && !tokens.at(i).number())
            named = true;
    }
    return end;
}

// The designation written at `at`: a short form (V.LE, P.ZZA, C/SO) or a
// designation of the city written whole; its key and the words it takes.
std::pair<QString, qsizetype> designationAt(const QList<Token> &tokens, qsizetype at, const StreetMatcher::Designations &designations)
{
    if (at + 1 >= tokens.size())
        return {};
    const Token &first = tokens.at(at);
    if (first.dotted && at + 2 < tokens.size() && tokens.at(at + 1).text.at(0).isLetter()) {
        const QStringView two = designationShortForm(first.text + tokens.at(at + 1).text, tokens.at(at + 1).dotted,
                                                     tokens.at(at + 2).number());
        if (!two.isEmpty())
            return {two.toString(), 2};
    }
    const QStringView one = designationShortForm(first.text, first.dotted, tokens.at(at + 1).number());
    if (!one.isEmpty())
        return {one.toString(), 1};
    // The designation of the city that takes the most words.
    std::pair<QString, qsizetype> longest;
    if (!designations.firstWords.contains(first.text)
        && !designations.firstWords.contains(first.text + tokens.at(at + 1).text))
        return longest;
    for (const QString &d : designations.all) {
        const qsizetype n = d.count(u' ') + 1;
        if (at + n >= tokens.size() || !d.startsWith(first.text))
            continue;
        QStringList written;
        for (qsizetype i = at; i < at + n; ++i)
            written << tokens.at(i).text;
        if (written.join(u' ') == d && n > longest.second)
            longest = {d, n};
        // Written in two words: LUNGO DORA for LUNGODORA.
        else if (n == 1 && at + 2 < tokens.size() && first.text + tokens.at(at + 1).text == d && longest.second < 2)
            longest = {d, 2};
    }
    return longest;
}

// A designation glued to another or to a word of a designation, as forms
// export them: "VIAPRIVATA" (VIA PRIVATA), "VIALUNGOMARE" (LUNGOMARE).
QString gluedDesignation(const QString &word, const StreetMatcher::Designations &designations)
{
    for (const QString &d : designations.all) {
        if (d.contains(u' ') || word.size() <= d.size() + 2 || !word.startsWith(d))
            continue;
        const QString rest = word.mid(d.size());
        if (designations.whole.contains(rest))
            return rest;
        if (designations.whole.contains(d + u' ' + rest))
            return d + u' ' + rest;
    }
    return {};
}

// The designations written from `at` on, whole, short or glued, with where
// the name starts: one of several words also as its first word with the
// others in the name ("VIA NUOVA AGNANO" for VIA NUOVA DI AGNANO), none when
// none is written. A designation written again ("Via VIA GENOVA") is read as
// a designation written into the name.
QList<std::pair<QString, qsizetype>> designationsAt(const QList<Token> &tokens, qsizetype at,
                                                   const StreetMatcher::Designations &designations)
{
    auto [d, n] = designationAt(tokens, at, designations);
    if (n == 0 && at + 1 < tokens.size() && !tokens.at(at).number()) {
        d = gluedDesignation(tokens.at(at).text, designations);
        n = d.isEmpty() ? 0 : 1;
    }
    QList<std::pair<QString, qsizetype>> found{{d, at + n}};
    if (n > 1 && d.count(u' ') + 1 == n && designations.whole.contains(tokens.at(at).text))
        found.append({tokens.at(at).text, at + 1});
    return found;
}

// A designation glued to the name ("VIACASSIA"): the tokens with the two
// apart, or none.
QList<Token> designationUnglued(const QList<Token> &tokens, const StreetMatcher::Designations &designations)
{
    if (tokens.isEmpty() || tokens.first().number())
        return {};
    const QString &word = tokens.first().text;
    for (const QString &d : designations.all) {
        if (!d.contains(u' ') && d.size() >= 3 && word.size() >= d.size() + 4 && word.startsWith(d)) {
            QList<Token> apart = tokens;
            apart[0].text = d;
            apart[0].dotted = false;
            apart[0].word = wordOf(apart[0]);
            apart.insert(1, {word.mid(d.size()), tokens.first().dotted, false});
            apart[1].word = wordOf(apart[1]);
            return apart;
        }
    }
    return {};
}

// A state, provincial or regional road written by its number at the start
// of an address ("SS 5 TIBURTINA", "S.S.114 ORIENTALE SICULA", "STATALE 16
// BIS ADRIATICA", "STRADA PROVINCIALE 55", or as the fuel register writes
// them, "114 Orientale Sicula, Km. 15,300"): the road's designation, where
// its number stands and where the words after it (BIS, TER, DIR kept with
// the number) start; number -1 when the address starts with none.
struct RoadNumber
{
    QString designation;
    qsizetype number = -1;
    qsizetype after = -1;
};

RoadNumber roadNumberAt(const QList<Token> &tokens)
{
    const auto is = [&](qsizetype i, QStringView word) { return i < tokens.size() && tokens.at(i).text == word; };
    static const QHash<QString, QString> kinds{
        {QStringLiteral("S"), QStringLiteral("STRADA STATALE")},
        {QStringLiteral("P"), QStringLiteral("STRADA PROVINCIALE")},
        {QStringLiteral("R"), QStringLiteral("STRADA REGIONALE")}};
    qsizetype at = is(0, u"STRADA") ? 1 : 0;
    QString kind;
    if (is(at, u"S") && (is(at + 1, u"S") || is(at + 1, u"P") || is(at + 1, u"R"))) {
        kind = tokens.at(at + 1).text; // S.S., S.P., S.R.
        at += 2;
    } else if (is(at, u"SS") || is(at, u"SP") || is(at, u"SR")) {
        kind = tokens.at(at++).text.mid(1);
    } else if (is(at, u"STATALE") || is(at, u"PROVINCIALE") || is(at, u"REGIONALE")) {
        kind = tokens.at(at++).text.left(1);
    } else if (at == 0 && tokens.size() >= 3 && tokens.first().number() && !tokens.at(1).number()) {
        // The number and the name, then a kilometre after a comma.
        for (qsizetype i = 2; i < tokens.size() && kind.isEmpty(); ++i)
            if (tokens.at(i).text == u"KM" && tokens.at(i).breakBefore)
                kind = QStringLiteral("S");
    }
    if (kind.isEmpty())
        return {};
    if (is(at, u"N") || is(at, u"NR"))
        ++at;
    if (at >= tokens.size() || !tokens.at(at).number())
        return {};
    RoadNumber road{kinds.value(kind), at, at + 1};
    if (is(road.after, u"BIS") || is(road.after, u"TER") || is(road.after, u"DIR"))
        ++road.after;
    return road;
}

// The words of a city's name written at `at`: how many, or 0.
qsizetype cityNameAt(const QList<Token> &tokens, const QStringList &names, qsizetype at)
{
    const auto same = [](const Token &a, const Token &b) { return a.text == b.text; };
    for (const QString &name : names) {
        const QList<Token> words = tokensOf(plainText(name));
        const qsizetype n = words.size();
        if (n > 0 && n < tokens.size() && at + n <= tokens.size()
            && std::equal(words.begin(), words.end(), tokens.begin() + at, same))
            return n;
    }
    return 0;
}

// The address without the city's name written before the street, after it,
// or between it and its house number ("VIALE MARCONI ROMA 644"); empty when
// it names no city there.
QList<QList<Token>> withoutCityName(const QList<Token> &tokens, const QStringList &names)
{
    QList<QList<Token>> found;
    if (const qsizetype n = cityNameAt(tokens, names, 0))
        found << tokens.mid(n);
    const qsizetype end = numberRunStart(tokens, 0, tokens.size());
    for (qsizetype at = 1; at < end; ++at) {
        const qsizetype n = cityNameAt(tokens, names, at);
        if (n > 0 && at + n == end) {
            found << tokens.mid(0, at) + tokens.mid(at + n);
            break;
        }
    }
    return found;
}

} // namespace

// The readings of an address, in the order they are tried.
class StreetMatcher::Readings
{
public:
    Readings(const QList<Token> &tokens, const Designations &designations, bool lastWordCut)
        : m_tokens(tokens), m_designations(designations), m_lastWordCut(lastWordCut)
    {
    }

    QList<Candidate> list;

    // Every way of reading the street part from `from` on: as it stands, cut
    // where the street ends, without its house number, cut at its first
    // number; each also with a designation written into the name.
    void add(const QString &designation, qsizetype from)
    {
        const qsizetype end = streetEnd(m_tokens, from);
        const qsizetype number = houseNumberStart(m_tokens, from, end);
        const qsizetype firstNumber = firstNumberAfterName(m_tokens, from, end);
        // A name that ends in a number before the house number: "VIA DEL
        // PLEBISCITO 1866 85".
        const qsizetype lastNumber = end - 1 > number && m_tokens.at(end - 1).number() ? end - 1 : end;
        // A designation written into the name: "VIA" + "CORSO MAZZINI".
        const auto [inner, n] = designationAt(m_tokens, from, m_designations);
        for (const qsizetype to : {m_tokens.size(), end, number, lastNumber, firstNumber}) {
            addOne(designation, from, to);
            if (!designation.isEmpty() && n > 0)
                addOne(inner, from + n, to);
        }
    }

    // The readings from `from` on under the designation given apart, or
    // under each one written there when none is given.
    void read(const std::optional<QString> &given, qsizetype from)
    {
        if (given) {
            add(*given, from);
            return;
        }
        for (const auto &[designation, at] : designationsAt(m_tokens, from, m_designations))
            add(designation, at);
    }

    // An ordinal before the designation: "1' TRAVERSA PRIVATA X" is the
    // TRAVERSA PRIVATA X, or the first of them.
    QList<Candidate> ordinalFirst() const
    {
        if (m_tokens.size() <= 2 || !m_tokens.first().number() || designationAt(m_tokens, 1, m_designations).second == 0)
            return {};
        QList<Token> moved = m_tokens.mid(1);
        const auto [designation, at] = designationsAt(moved, 0, m_designations).first();
        Readings after(moved, m_designations, m_lastWordCut);
        after.add(designation, at);
        moved.insert(at, m_tokens.first());
        Readings numbered(moved, m_designations, m_lastWordCut);
        numbered.add(designationsAt(moved, 0, m_designations).first().first, at);
        return numbered.list + after.list;
    }

private:
    void addOne(const QString &designation, qsizetype from, qsizetype to)
    {
        if (from >= to)
            return;
        Candidate c{designation, wordsOf(m_tokens, from, to)};
        // A saint written short names no street alone: "SS KM 114" is no
        // VIA DEL SANTO (VIA SANTA is a street).
        if (std::all_of(c.words.cbegin(), c.words.cend(),
                        [](const StreetWord &w) { return w.key == u"S" && w.text.size() <= 3; }))
            return;
        // A name cut short may end in a word cut short, or in a letter of it.
        if (m_lastWordCut && c.words.size() > 1 && c.words.last().text.size() == 1)
            c.words.removeLast();
        if (m_lastWordCut && c.words.size() > 1)
            c.words.last().initial = true;
        if (!list.contains(c))
            list.append(c);
    }

    const QList<Token> &m_tokens;
    const Designations &m_designations;
    bool m_lastWordCut;
};

QList<StreetMatcher::Candidate> StreetMatcher::candidates(const QString &given, const QString &plain,
                                                          bool lastWordCut, bool every) const
{
    const QList<Token> tokens = tokensOf(plain);
    const std::optional<QString> designation =
        given.isEmpty() ? std::nullopt : std::optional(keysInOrder(wordsOf(given)));
    Readings readings(tokens, m_designations, lastWordCut);
    readings.read(designation, 0);
    if (!every)
        return readings.list;
    const QList<std::pair<QString, qsizetype>> written = designationsAt(tokens, 0, m_designations);
    if (!designation) {
        // A designation that no street of the city has may be the first word
        // of the name: "BORGO PALAZZO" for VIA BORGO PALAZZO.
        const QString &first = written.first().first;
        if (!first.isEmpty() && !m_designations.own.contains(first) && !tokens.first().dotted)
            readings.add(QString(), 0);
        // A road's kind after its designation, which the archive leaves out:
        // "STRADA COMUNALE DI SOLFAGNANO" for STRADA DI SOLFAGNANO.
        for (const auto &[d, at] : written)
            if (!d.isEmpty() && at + 1 < tokens.size() && isRoadKind(tokens.at(at).text))
                readings.add(d, at + 1);
    }
    // The city's name written before or after the street.
    for (const QList<Token> &without : withoutCityName(tokens, m_cityNames)) {
        Readings inner(without, m_designations, lastWordCut);
        inner.read(designation, 0);
        readings.list += inner.list;
    }
    // A designation given apart is the street's: the readings below look
    // for one in the text.
    if (designation)
        return readings.list;
    readings.list += readings.ordinalFirst();
    // A designation glued to the name.
    if (written.first().first.isEmpty()) {
        const QList<Token> apart = designationUnglued(tokens, m_designations);
        if (!apart.isEmpty()) {
            Readings unglued(apart, m_designations, lastWordCut);
            unglued.add(apart.first().text, 1);
            readings.list += unglued.list;
        }
    }
    // What stands before the street: a shop, a shopping centre, "in care of":
    // the street from the next designation on.
    for (qsizetype k = 1; k + 1 < tokens.size(); ++k) {
        const Token &t = tokens.at(k);
        if ((t.text.size() >= 2 || t.dotted) && designationAt(tokens, k, m_designations).second > 0) {
            readings.read(std::nullopt, k);
            break;
        }
    }
    return readings.list;
}

std::optional<StreetMatcher::Match> StreetMatcher::findRoad(const QString &plain, bool lastWordCut) const
{
    // Most addresses open with a designation that no road's number follows.
    const QStringView start = QStringView(plain).trimmed().left(1);
    if (start.isEmpty() || !(start.at(0).isDigit() || start == u"S" || start == u"P" || start == u"R"))
        return std::nullopt;
    const QList<Token> tokens = tokensOf(plain);
    const RoadNumber road = roadNumberAt(tokens);
    if (road.number < 0)
        return std::nullopt;
    // The road under its number, with the words after it or without them
    // (STRADA STATALE 106 JONICA, STRADA STATALE 114), else the only road of
    // that number whatever its name adds ("SS 106" for STRADA STATALE 106
    // JONICA); several are each a candidate.
    Readings numbered(tokens, m_designations, lastWordCut);
    numbered.list << Candidate{road.designation, wordsOf(tokens, road.number, road.after)};
    numbered.add(road.designation, road.number);
    Match m = firstMatch(numbered.list, Pass::Exact);
    if (!m.any()) {
        const int number = tokens.at(road.number).text.toInt();
        QList<int> same;
        for (const int i : m_byWord.value(tokens.at(road.number).word.key)) {
            const Entry &e = m_entries[i];
            if (e.designation == road.designation && !e.words.isEmpty() && e.words.first().text.toInt() == number
                && (e.words.size() == 1 || !isTailWord(e.words.at(1).text)))
                same << i;
        }
        m = matchOf(same);
    }
    // A city without such a road names the street it is, found as it stands:
    // "STATALE 148 PONTINA" for VIA PONTINA (a VIA before any other of that
    // name), "SS 11 VIA BRESCIANA".
    if (m.any() || road.after >= tokens.size() || tokens.at(road.after).number())
        return m;
    const QList<Token> rest = tokens.mid(road.after);
    Readings name(rest, m_designations, lastWordCut);
    const bool designated = !designationsAt(rest, 0, m_designations).first().first.isEmpty();
    if (!designated)
        name.add(QStringLiteral("VIA"), 0);
    name.read(std::nullopt, 0);
    m = firstMatch(name.list, Pass::Exact);
    // With its designation written, the street is read as any address is
    // ("SS 11 VIA BRESCIANA" for STRADA BRESCIANA); without, the name of a
    // road is no one's given names, so only as it stands.
    if (!m.any() && designated)
        m = findCandidates(name.list);
    return m;
}

AddressWords StreetMatcher::split(const QString &address) const
{
    AddressWords result;
    const QString plain = cornerParts(plainText(address)).first;
    const QList<Token> tokens = tokensOf(plain);
    const auto [designation, at] = designationsAt(tokens, 0, m_designations).first();
    const qsizetype end = streetEnd(tokens, at);
    result.designation = designation;
    result.words = wordsOf(tokens, at, houseNumberStart(tokens, at, end));
    result.houseNumber = houseNumberIn(plain);
    return result;
}

} // namespace zelvora

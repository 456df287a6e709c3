#include "street_match.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>

namespace zelvora {

namespace {

bool isTitle(const QString &word)
{
    static const QSet<QString> titles{"GENERALE", "MONSIGNORE", "DON",    "PROFESSORE", "DOTTORE",
                                      "AVVOCATO", "ONOREVOLE",  "PADRE",  "CARDINALE",  "PAPA",
                                      "BEATO",    "CAPITANO",   "TENENTE", "COLONNELLO", "MAGGIORE",
                                      "AMMIRAGLIO", "INGEGNERE", "MAESTRO", "CAVALIERE"};
    return titles.contains(word);
}

// F.LLI, which the words alone would split into F and LLI.
void writeOutBrothers(QString &text)
{
    if (text.contains(u'.')) {
        static const QRegularExpression brothers(QStringLiteral("\\bF\\.\\s*LLI\\b"),
                                                 QRegularExpression::CaseInsensitiveOption);
        text.replace(brothers, QStringLiteral("FRATELLI"));
    }
}

// The words of a street name as compared: particles left out, short forms of
// titles and given names written out.
QStringList streetWords(const QString &name)
{
    static const QSet<QString> particles{"DE", "DEL", "DELLA", "DEI", "DI", "D", "DELLE", "DEGLI", "DELLO", "DELL"};
    static const QHash<QString, QString> shortForms{
        {"GEN", "GENERALE"}, {"MONS", "MONSIGNORE"}, {"PROF", "PROFESSORE"}, {"DOTT", "DOTTORE"},
        {"DOT", "DOTTORE"},  {"AVV", "AVVOCATO"},    {"ON", "ONOREVOLE"},    {"ING", "INGEGNERE"},
        {"CAV", "CAVALIERE"}, {"CAP", "CAPITANO"},   {"TEN", "TENENTE"},     {"COL", "COLONNELLO"},
        {"CARD", "CARDINALE"}, {"GIOV", "GIOVANNI"}, {"GIUS", "GIUSEPPE"},   {"FLLI", "FRATELLI"},
        {"FRLLI", "FRATELLI"}, {"MAGG", "MAGGIORE"}, {"AMM", "AMMIRAGLIO"}, {"P", "PADRE"}};
    QString text = name;
    writeOutBrothers(text);
    QStringList words;
    for (QString word : nameWords(text, false)) {
        if (particles.contains(word))
            continue;
        words << shortForms.value(word, word);
    }
    return words;
}

// A word of an address fits a word of a street: the same word, or its
// initial.
bool fits(const QString &typed, const QString &word)
{
    return typed == word || (typed.size() == 1 && word.startsWith(typed));
}

// How well the words of an address fit a street's: 0 when some typed word
// fits none of them; 2 when every word of the street is used too (titles
// aside); 1 when some were left out (given names, titles). A title typed
// may fit nothing. Every word is
// used at most once, in any order; a word typed whole is matched before an
// initial.
int fitness(const QStringList &typed, const QStringList &words)
{
    std::vector<bool> used(words.size());
    bool wholeWord = false;
    for (int pass = 0; pass < 2; ++pass) {
        for (const QString &t : typed) {
            if ((t.size() == 1) != (pass == 1))
                continue;
            bool found = false;
            for (qsizetype i = 0; i < words.size() && !found; ++i) {
                if (!used[i] && fits(t, words.at(i))) {
                    used[i] = true;
                    found = true;
                    if (t.size() >= 3 && !isTitle(t))
                        wholeWord = true;
                }
            }
            // A title written may be one the street's name leaves out.
            if (!found && !isTitle(t))
                return 0;
        }
    }
    if (!wholeWord)
        return 0;
    for (qsizetype i = 0; i < words.size(); ++i)
        if (!used[i] && !isTitle(words.at(i)))
            return 1;
    return 2;
}

// The letters from `at` on, as one upper-case word.
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

// The house number of an address: after its first comma, or the figures
// that end its street part ("VIA SABOTINO 36/38", "VIA IPPONIO130",
// "VIA ROMA N.3"), when nothing but the house number's own signs follows. A
// kilometre ("KM 12,400") is no house number.
HouseNumber houseNumberIn(const QString &address)
{
    static const QRegularExpression kilometre(QStringLiteral("\\bKM\\.?\\s*\\d+$"));
    const QString upper = address.toUpper();
    const qsizetype comma = upper.indexOf(u',');
    const QStringView street = QStringView(upper).left(comma >= 0 ? comma : upper.size());
    const bool km = kilometre.match(street).hasMatch();
    qsizetype end = 0;
    if (comma >= 0 && !km) {
        const HouseNumber h = readHouseNumberAt(upper, comma + 1, end);
        if (h.number > 0)
            return h;
    }
    for (qsizetype i = 1; i < street.size() && !km; ++i) {
        // A number starts after a space or sign, or glued to a word's letters.
        if (!street[i].isDigit() || street[i - 1].isDigit())
            continue;
        if (street.left(i).trimmed().endsWith(u"KM") || street.left(i).endsWith(u"KM."))
            break;
        const HouseNumber h = readHouseNumberAt(street, i, end);
        const QStringView rest = street.mid(end).trimmed();
        if (h.number > 0 && (rest.isEmpty() || rest.startsWith(u'-') || rest.startsWith(u'(')))
            return h;
    }
    return {};
}

} // namespace

HouseNumber readHouseNumber(QStringView written)
{
    const QString upper = written.toString().toUpper();
    qsizetype end = 0;
    return readHouseNumberAt(upper, 0, end);
}

StreetMatcher::StreetMatcher(std::vector<Street> streets) : m_streets(std::move(streets))
{
    QSet<QString> designations;
    QHash<QString, QStringList> designationWords; // each designation taken apart once
    m_entries.reserve(m_streets.size());
    for (int i = 0; i < static_cast<int>(m_streets.size()); ++i) {
        const Street &s = m_streets[i];
        Entry e;
        e.words = streetWords(s.name);
        e.key = nameKey(e.words);
        auto known = designationWords.constFind(s.designation);
        if (known == designationWords.constEnd())
            known = designationWords.insert(s.designation, nameWords(s.designation, false));
        const QStringList &designation = *known;
        e.designation = nameKey(designation);
        if (!designation.isEmpty() && !designations.contains(e.designation)) {
            designations.insert(e.designation);
            m_designations << designation;
        }
        m_byKey[e.key] << i;
        QStringList seen;
        for (const QString &w : std::as_const(e.words)) {
            if (w.size() >= 2 && !seen.contains(w))
                m_byWord[w] << i;
            seen << w;
        }
        m_entries.push_back(std::move(e));
    }
    std::sort(m_designations.begin(), m_designations.end(),
              [](const QStringList &a, const QStringList &b) { return a.size() > b.size(); });
}

StreetMatcher::~StreetMatcher() = default;

QString StreetMatcher::label(int index) const
{
    const Street &s = m_streets[index];
    return s.designation.isEmpty() ? s.name : s.designation + u' ' + s.name;
}

AddressWords StreetMatcher::split(const QString &address) const
{
    AddressWords result;
    // The house number and what follows come after the first comma.
    QString text = address.section(u',', 0, 0).toUpper();
    // Designations written short, with or without their dots.
    static const QList<std::pair<QRegularExpression, QString>> abbreviations{
        {QRegularExpression(QStringLiteral("^\\s*P\\.?\\s*Z?ZA\\b\\.?")), QStringLiteral("PIAZZA ")},
        {QRegularExpression(QStringLiteral("^\\s*P\\.?\\s*LE\\b\\.?")), QStringLiteral("PIAZZALE ")},
        {QRegularExpression(QStringLiteral("^\\s*V\\.?\\s*LE\\b\\.?")), QStringLiteral("VIALE ")},
        {QRegularExpression(QStringLiteral("^\\s*C\\.?\\s*SO\\b\\.?")), QStringLiteral("CORSO ")},
        {QRegularExpression(QStringLiteral("^\\s*L\\.?\\s*GO\\b\\.?")), QStringLiteral("LARGO ")},
        {QRegularExpression(QStringLiteral("^\\s*S\\.?\\s*DA\\b\\.?")), QStringLiteral("STRADA ")},
        {QRegularExpression(QStringLiteral("^\\s*STR\\b\\.?")), QStringLiteral("STRADA ")},
        {QRegularExpression(QStringLiteral("^\\s*VIC\\b\\.?")), QStringLiteral("VICOLO ")},
        {QRegularExpression(QStringLiteral("^\\s*V\\.")), QStringLiteral("VIA ")},
        {QRegularExpression(QStringLiteral("^\\s*V\\s+")), QStringLiteral("VIA ")},
    };
    for (const auto &[pattern, designation] : abbreviations) {
        const QRegularExpressionMatch m = pattern.match(text);
        if (m.hasMatch()) {
            text = designation + text.mid(m.capturedEnd());
            break;
        }
    }
    writeOutBrothers(text);
    QStringList words = nameWords(text, false);
    // The designation, as this city's streets write it.
    for (const QStringList &designation : m_designations) {
        if (words.size() > designation.size() && words.mid(0, designation.size()) == designation) {
            result.designation = nameKey(designation);
            words.remove(0, designation.size());
            break;
        }
    }
    // House number, SNC, KM and the parts of a building are cut.
    static const QSet<QString> cuts{"SNC", "KM",      "N",    "NR",        "NUM",      "CIVICO", "SCALA", "SC",
                                    "INT", "INTERNO", "PIANO", "PALAZZINA", "EDIFICIO", "LOTTO",  "ISOLATO"};
    for (qsizetype i = 1; i < words.size(); ++i) {
        if (cuts.contains(words.at(i))) {
            words.resize(i);
            break;
        }
    }
    const auto isNumber = [](const QString &w) { return !w.isEmpty() && w.at(0).isDigit(); };
    if (words.size() > 2 && words.last().size() == 1 && isNumber(words.at(words.size() - 2)))
        words.removeLast(); // 12/A, 12 B
    if (words.size() > 1 && isNumber(words.last()))
        words.removeLast();
    result.words = streetWords(words.join(u' '));
    result.houseNumber = houseNumberIn(address);
    return result;
}

StreetMatcher::Match StreetMatcher::find(const QString &address) const
{
    Match match;
    const AddressWords typed = split(address);
    match.houseNumber = typed.houseNumber;
    if (typed.words.isEmpty())
        return match;
    // The streets that fit at each level, best first: the same words, every
    // word used, some of the street's words left out.
    QList<int> levels[3];
    const QString key = nameKey(typed.words);
    levels[0] = m_byKey.value(key);
    // The rarest whole word typed names the streets worth comparing.
    const QList<int> *fewest = nullptr;
    for (const QString &w : typed.words) {
        if (w.size() < 2 || isTitle(w))
            continue;
        const auto found = m_byWord.constFind(w);
        if (found == m_byWord.constEnd()) {
            fewest = nullptr;
            break;
        }
        if (!fewest || found->size() < fewest->size())
            fewest = &*found;
    }
    if (fewest) {
        for (const int i : *fewest) {
            const int f = fitness(typed.words, m_entries[i].words);
            if (f == 2 && m_entries[i].key != key)
                levels[1] << i;
            else if (f == 1)
                levels[2] << i;
        }
    }
    // A designation written must be the street's: "VIA MAZZINI" is not
    // "PIAZZA MAZZINI". The streets of other designations are only named.
    QList<int> otherDesignations;
    for (QList<int> &level : levels) {
        if (!typed.designation.isEmpty()) {
            QList<int> same;
            for (const int i : std::as_const(level))
                (m_entries[i].designation == typed.designation ? same : otherDesignations) << i;
            level = same;
        }
        if (level.isEmpty())
            continue;
        if (level.size() == 1)
            match.street = level.first();
        else
            match.alternatives = level.mid(0, 3);
        return match;
    }
    match.otherDesignations = otherDesignations.mid(0, 3);
    return match;
}

QList<int> StreetMatcher::suggest(const QString &address) const
{
    if (!m_suggester) {
        m_suggester = std::make_unique<NameSuggester>();
        for (int i = 0; i < static_cast<int>(m_streets.size()); ++i)
            m_suggester->add(m_entries[i].words.join(u' '), i);
    }
    return m_suggester->suggest(split(address).words.join(u' '));
}

} // namespace zelvora

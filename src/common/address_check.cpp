#include "address_check.h"

#include "common/address_rules.h"
#include "common/error.h"
#include "common/locality_database.h"
#include "common/record_file.h"
#include "common/street_directory.h"
#include "common/changes_file.h"
#include "common/locality_files.h"
#include "common/street_files.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <limits>

namespace zelvora {

namespace {

// A locality as lists write it besides its name: with its province in
// brackets (Vigonza (PD)), or in both its languages (Bolzano/Bozen,
// Bolzano - Bozen). Each reading gives a name and the province it names.
struct LocalityReading
{
    QString name;
    QString pv;
};

QList<LocalityReading> otherReadings(const QString &locality)
{
    static const QRegularExpression bracket(QStringLiteral("^(.*\\S)\\s*\\(\\s*([A-Za-z]{2})\\s*\\)$"));
    static const QRegularExpression languages(QStringLiteral("\\s*/\\s*|\\s+-\\s+"));
    QList<LocalityReading> readings;
    LocalityReading whole{locality.trimmed(), {}};
    if (const QRegularExpressionMatch m = bracket.match(whole.name); m.hasMatch()) {
        whole = {m.captured(1), m.captured(2).toUpper()};
        readings << whole;
    }
    if (const QStringList parts = whole.name.split(languages, Qt::SkipEmptyParts); parts.size() == 2)
        for (const QString &part : parts)
            readings.append({part, whole.pv});
    return readings;
}

// A word of a locality's name as lists of the Milanese hinterland cut it
// short: "M.se" (MILANESE, MONZESE) keeps the start and the end of the word,
// "D." (DUGNANO) its start, and the letters of "S/N" (SUL NAVIGLIO) and
// "S.G." (SAN GIULIANO) start a word each; a word not cut is written whole.
struct ShortWord
{
    QString start;
    QString end;
    bool whole = true;

    bool fits(const QString &word) const
    {
        return whole ? word == start
                     : word.size() > start.size() + end.size() && word.startsWith(start) && word.endsWith(end);
    }
};

// The words of a locality's name as a name cut short is compared with them:
// MONTECATINI-TERME is two words, as Montecatini T. writes it.
QStringList shortFormWords(const QString &name)
{
    static const QRegularExpression separators(QStringLiteral("[ -]"));
    return foldedUpper(name).split(separators, Qt::SkipEmptyParts);
}

// The words of a name that cuts at least one word short and writes at least
// one whole (of three letters or more); none for any other name.
QList<ShortWord> shortWords(const QString &locality)
{
    static const QRegularExpression initials(QStringLiteral("^[A-Z](/[A-Z])+$|^([A-Z]\\.){2,}$"));
    static const QRegularExpression cut(QStringLiteral("^([A-Z]+)\\.([A-Z]*)$"));
    static const QRegularExpression whole(QStringLiteral("^[A-Z']+$"));
    static const QRegularExpression marks(QStringLiteral("[/.]"));
    const QString upper = foldedUpper(locality);
    QList<ShortWord> words;
    bool cutShort = false;
    bool wholeWord = false;
    for (const QString &w : upper.split(u' ', Qt::SkipEmptyParts)) {
        if (initials.match(w).hasMatch()) {
            for (const QString &letter : w.split(marks, Qt::SkipEmptyParts))
                words.append({letter, {}, false});
            cutShort = true;
        } else if (const QRegularExpressionMatch m = cut.match(w); m.hasMatch()) {
            words.append({m.captured(1), m.captured(2), false});
            cutShort = true;
        } else if (whole.match(w).hasMatch()) {
            words.append({w, {}, true});
            wholeWord = wholeWord || w.size() >= 3;
        } else {
            return {};
        }
    }
    return cutShort && wholeWord ? words : QList<ShortWord>();
}

QString missingFile(const QString &path)
{
    return QStringLiteral("File dei dati mancante: %1").arg(QDir::toNativeSeparators(path));
}

// Codes as a list: at most this many are written, then how many more.
QString codeList(const QStringList &codes)
{
    constexpr int kShown = 12;
    if (codes.size() <= kShown)
        return codes.join(u' ');
    return codes.mid(0, kShown).join(u' ') + QStringLiteral(" (e altri %1)").arg(codes.size() - kShown);
}

// The streets of a city but the records the data compiler adds under another
// written form of a name (XX SETTEMBRE (VENTI SETTEMBRE)), which are the same
// street; `records` gets the record of each street kept.
std::vector<StreetMatcher::Street> withoutAliases(std::vector<StreetMatcher::Street> streets, std::vector<int> &records)
{
    QSet<std::pair<QString, QString>> aliases;
    for (const StreetMatcher::Street &s : streets)
        for (const QString &alias : addressrules::aliasNames(s.name, StreetRecord::kStreet.capacity))
            aliases.insert({alias, s.designation});
    std::vector<StreetMatcher::Street> kept;
    kept.reserve(streets.size());
    records.clear();
    for (std::size_t i = 0; i < streets.size(); ++i) {
        if (!aliases.isEmpty() && aliases.contains({streets[i].name, streets[i].designation}))
            continue;
        kept.push_back(std::move(streets[i]));
        records.push_back(static_cast<int>(i));
    }
    return kept;
}

// The verdict of a street's code by the evidence for the address's house
// number. A code is wrong only where evidence covers that number and says
// another; where none does, the street's codes say what they can.
void judgeByNumber(Verdict &v, const QList<HouseEvidenceEntry> &evidence, const QString &streetCap,
                   const HouseNumber &house, const QString &cap, QStringView generic)
{
    QStringList codes = entryCodes(evidence);
    if (!streetCap.isEmpty() && !codes.contains(streetCap))
        codes.prepend(streetCap);
    const int number = house.red ? 0 : house.number;
    const QList<HouseEvidenceEntry> at = evidenceAt(evidence, house);
    const QStringList atCodes = entryCodes(at);
    // No code, or the city's catch-all, which no street has.
    if (cap.isEmpty() || cap == generic) {
        v.outcome = cap.isEmpty() ? Verdict::CapMissing : Verdict::CapGeneric;
        v.cap = codeList(atCodes.isEmpty() ? codes : atCodes);
        return;
    }
    if (atCodes.contains(cap)) {
        v.outcome = Verdict::Ok;
        return;
    }
    if (!at.isEmpty()) {
        v.outcome = Verdict::CapWrong;
        v.cap = codeList(atCodes);
        v.note += QStringLiteral(": ") + nearestEvidence(at, number);
        return;
    }
    const bool registered = fromRegister(evidence);
    // One code: a register's, or, without a number, the only one seen.
    if (codes.size() == 1 && (registered || (number == 0 && cap == codes.first()))) {
        v.outcome = cap == codes.first() ? Verdict::Ok : Verdict::CapWrong;
        if (v.outcome == Verdict::CapWrong)
            v.cap = codes.first();
        return;
    }
    // Without a number, only a register's ranges cover the whole street:
    // points leave codes unseen between them.
    if (number == 0 && registered && !codes.contains(cap)) {
        v.outcome = Verdict::CapWrong;
        v.cap = codeList(codes);
        return;
    }
    v.outcome = codes.contains(cap) ? Verdict::CapOfStreet : Verdict::CapUnconfirmed;
    v.cap = codeList(codes);
    if (number == 0)
        v.note += QStringLiteral(": senza civico");
    else if (!evidence.isEmpty())
        v.note += QStringLiteral(": n. %1 non verificato, il più vicino %2").arg(number).arg(nearestEvidence(evidence, number));
    else
        v.note += QStringLiteral(": n. %1 non verificato").arg(number);
}

} // namespace

QStringList entryCodes(const QList<HouseEvidenceEntry> &entries)
{
    QStringList codes;
    for (const HouseEvidenceEntry &e : entries)
        codes << e.cap;
    codes.sort();
    codes.removeDuplicates();
    return codes;
}

QString nearestEvidence(const QList<HouseEvidenceEntry> &entries, int number)
{
    // How far an entry's numbers are from `number`; 0 when it covers it.
    const auto distanceTo = [number](const HouseEvidenceEntry &e) {
        return e.covers(number) ? 0 : number < e.first ? e.first - number : number > e.last ? number - e.last : 1;
    };
    int best = std::numeric_limits<int>::max();
    for (const HouseEvidenceEntry &e : entries)
        best = std::min(best, distanceTo(e));
    QStringList nearest;
    for (const HouseEvidenceEntry &e : entries)
        if (distanceTo(e) == best && nearest.size() < 2)
            nearest << QStringLiteral("%1 al n. %2").arg(e.cap, e.numbersText());
    return nearest.join(QStringLiteral(", "));
}

QList<HouseEvidenceEntry> evidenceAt(const QList<HouseEvidenceEntry> &entries, const HouseNumber &house)
{
    // Genova's red numbers are a numbering of their own, which no source tells apart.
    QList<HouseEvidenceEntry> at;
    if (house.red || house.number <= 0)
        return at;
    for (const HouseEvidenceEntry &e : entries)
        if (e.covers(house.number))
            at.append(e);
    return at;
}

bool fromRegister(const QList<HouseEvidenceEntry> &entries)
{
    const quint16 cityPoints = evidencefile::sourceBit(u"torino_city");
    return std::any_of(entries.begin(), entries.end(),
                       [&](const HouseEvidenceEntry &e) { return e.isRange || (e.sources & cityPoints); });
}

QString Verdict::text(Outcome outcome)
{
    static constexpr QStringView texts[] = {
        u"OK",
        u"CAP MANCANTE",
        u"CAP ERRATO",
        u"CAP VARIATO",
        u"CAP GENERICO",
        u"COMUNE NON PIÙ ESISTENTE",
        u"PROVINCIA ERRATA",
        u"PROVINCIA VARIATA",
        u"LOCALITÀ SCONOSCIUTA",
        u"VIA SCONOSCIUTA",
        u"VIA SENZA CAP NEI DATI APERTI",
        u"CAP DELLA VIA, CIVICO NON VERIFICATO",
        u"CAP NON CONFERMATO",
        u"RIGA NON VALIDA",
    };
    static_assert(std::size(texts) == kOutcomes, "one text for each outcome, in the order of Outcome");
    // An outcome outside the enumeration reads as the last text, never outside the table.
    return texts[outcome >= 0 && outcome < kOutcomes ? outcome : InvalidRow].toString();
}

AddressCheck::AddressCheck(const QString &dataFolder) : m_dataFolder(dataFolder)
{
    using namespace localityfiles;
    const QDir folder(dataFolder);
    LocalityDatabase db;
    if (!db.open(dataFolder))
        throw Error(missingFile(folder.filePath(kLocalities)));
    if (db.openMode(SearchMode::Cap) == kCapOrder)
        throw Error(missingFile(folder.filePath(kCapOrder)));

    const int count = db.count();
    m_localities.reserve(count);
    for (int i = 0; i < count; ++i) {
        const LocalityRecord r = db.record(i);
        QStringList words = nameWords(r.locality);
        m_localities.push_back({r.locality, r.pv, {}, nameKey(words)});
        m_byKey[m_localities.back().key] << i;
        m_words.push_back(std::move(words));
    }
    // Every code of every locality, from the postal-code order.
    for (int at = 0; at < db.orderCount(SearchMode::Cap); ++at) {
        const CapOrderEntry e = CapOrderEntry::decode(db.orderRecord(SearchMode::Cap, at));
        if (e.localityNo >= 1 && e.localityNo <= count && !m_localities[e.localityNo - 1].codes.contains(e.cap))
            m_localities[e.localityNo - 1].codes << e.cap;
    }
    for (Locality &l : m_localities)
        l.codes.sort();

    // By the name of a province, the last of its names in cap.pv wins.
    if (db.openProvinces()) {
        const ProvinceTable &provinces = db.provinces();
        for (qsizetype i = 0; i < provinces.provinceCodes.size(); ++i)
            m_provinceByName.insert(nameKey(provinces.provinceNames.at(i)), provinces.provinceCodes.at(i));
    } else {
        m_warnings << missingFile(folder.filePath(kProvinces)) + QStringLiteral(": province solo per sigla");
    }

    loadChanges(folder.filePath(changesfile::kChanges));

    // The cities of the street directory under the names of their localities.
    for (int row = 0; row < static_cast<int>(cityTable.size()); ++row)
        m_cityByKey.insert(nameKey(cityTable[row].displayName.toString()), row);
    if (const auto regcal = cityRowOfFileBase(u"regcal"))
        m_cityByKey.insert(nameKey(QStringLiteral("REGGIO DI CALABRIA")), *regcal);
    if (const auto mestre = cityRowOfFileBase(u"mestre"))
        m_cityByKey.insert(nameKey(QStringLiteral("MESTRE")), *mestre);
}

AddressCheck::~AddressCheck() = default;

void AddressCheck::loadChanges(const QString &path)
{
    const std::optional<QByteArray> file = readWholeFile(path);
    if (!file) {
        m_warnings << missingFile(path)
                          + QStringLiteral(": codi e province cambiati, altri nomi e comuni soppressi non riconosciuti");
        return;
    }
    RecordFile changes;
    changes.open(*file, ChangeRecord::kSize, path);
    for (int at = 0; at < changes.count(); ++at) {
        const ChangeRecord r = ChangeRecord::decode(changes.at(at));
        if (r.kind.size() != 1)
            continue;
        const Change change{r.pv, r.cap, r.newCap, r.newLocality, r.newPv, r.year};
        m_changes[r.kind + nameKey(r.locality)] << change;
        // A frazione with a code of its own, under its municipality too.
        if (r.kind == QLatin1Char(ChangeRecord::kFraction) && !r.cap.isEmpty())
            m_changes[QLatin1Char(kFrazioniOf) + nameKey(r.newLocality)] << Change{r.newPv, r.cap, {}, r.locality, r.pv, {}};
    }
}

const QList<AddressCheck::Change> &AddressCheck::changesOf(char kind, const QString &key) const
{
    static const QList<Change> none;
    const auto found = m_changes.constFind(QLatin1Char(kind) + key);
    return found == m_changes.constEnd() ? none : *found;
}

const AddressCheck::Change *AddressCheck::changeOfCode(char kind, const QString &key, const QString &pv,
                                                       const QString &cap) const
{
    const QList<Change> &changes = changesOf(kind, key);
    const auto found =
        std::find_if(changes.begin(), changes.end(), [&](const Change &c) { return c.pv == pv && c.oldCap == cap; });
    return found == changes.end() ? nullptr : &*found;
}

QList<int> AddressCheck::shortenedNames(const QString &locality, const QString &pv) const
{
    const QList<ShortWord> written = shortWords(locality);
    // The names that hold the longest word written whole are the ones to try.
    const auto longest = std::max_element(written.begin(), written.end(), [](const ShortWord &a, const ShortWord &b) {
        return (a.whole ? a.start.size() : 0) < (b.whole ? b.start.size() : 0);
    });
    if (longest == written.end())
        return {};
    if (m_rowsByWord.isEmpty())
        for (int row = 0; row < int(m_localities.size()); ++row)
            for (const QString &word : shortFormWords(m_localities[size_t(row)].name))
                m_rowsByWord[word] << row;
    QList<int> found;
    QSet<QString> keys;
    for (const int row : m_rowsByWord.value(longest->start)) {
        const Locality &l = m_localities[size_t(row)];
        if ((!pv.isEmpty() && l.pv != pv) || keys.contains(l.key))
            continue;
        const QStringList words = shortFormWords(l.name);
        if (std::equal(written.begin(), written.end(), words.begin(), words.end(),
                       [](const ShortWord &w, const QString &word) { return w.fits(word); })) {
            found << row;
            keys.insert(l.key);
        }
    }
    return found;
}

// The rows a name finds. Under another name of a locality (BOZEN, REGGIO
// EMILIA), the rows of the locality it stands for: the rows under the other
// name itself are there for the windows' search. The name of a municipality
// that has merged into another stands for none: the merger is named.
QList<int> AddressCheck::rowsNamed(const QString &key, const QString &pv) const
{
    QList<int> rows = m_byKey.value(key);
    const QList<Change> &names = changesOf(ChangeRecord::kName, key);
    if (names.isEmpty())
        return rows;
    rows.removeIf([&](int i) {
        return std::any_of(names.begin(), names.end(), [&](const Change &c) { return c.pv == m_localities[i].pv; });
    });
    const QList<Change> &mergers = changesOf(ChangeRecord::kMerged, key);
    if (std::any_of(mergers.begin(), mergers.end(), [&](const Change &c) { return pv.isEmpty() || c.pv == pv; }))
        return rows;
    for (const Change &c : names)
        for (const int i : inProvince(m_byKey.value(nameKey(c.newLocality)), c.newPv))
            if (!rows.contains(i))
                rows << i;
    return rows;
}

QList<int> AddressCheck::inProvince(const QList<int> &localities, const QString &pv) const
{
    QList<int> found;
    for (const int i : localities)
        if (m_localities[i].pv == pv)
            found << i;
    return found;
}

QStringList AddressCheck::codesOf(const QList<int> &localities) const
{
    QStringList codes;
    for (const int i : localities)
        codes += m_localities[i].codes;
    codes.sort();
    codes.removeDuplicates();
    return codes;
}

QStringList AddressCheck::provincesOf(const QList<int> &localities) const
{
    QStringList provinces;
    for (const int i : localities)
        provinces << m_localities[i].pv;
    provinces.sort();
    provinces.removeDuplicates();
    return provinces;
}

QStringList AddressCheck::suggestLocalities(const QString &name, const QString &pv) const
{
    QStringList names;
    const auto samePv = [&](int i) { return !pv.isEmpty() && m_localities[i].pv == pv; };
    if (!m_suggester) {
        m_suggester = std::make_unique<NameSuggester>();
        for (int i = 0; i < static_cast<int>(m_words.size()); ++i)
            m_suggester->add(m_words[i], i);
    }
    for (const int i : m_suggester->suggest(name, 3, samePv))
        names << QStringLiteral("%1 (%2)").arg(m_localities[i].name, m_localities[i].pv);
    return names;
}

QStringList AddressCheck::suggestStreets(int cityRow, const QString &name)
{
    QStringList names;
    if (const StreetMatcher *streets = streetsOf(cityRow))
        for (const int i : streets->suggest(name))
            names << streets->label(i);
    return names;
}

StreetFound AddressCheck::findStreet(int cityRow, const QString &address)
{
    StreetFound found;
    const StreetMatcher *streets = streetsOf(cityRow);
    if (!streets)
        return found;
    const StreetMatcher::Match match = streets->find(address);
    // A street found as written is the one; one taken under another
    // designation gives way to a street of another part of the municipality
    // found as written (VIALE SAN MARCO of Mestre, not the SESTIERE SAN
    // MARCO of the historic centre).
    if (match.street >= 0 && match.writtenDesignation.isEmpty())
        return streetFound(cityRow, match, match.street);
    found.match = match;
    found.cityRow = cityRow;
    // Several streets of its own part fit: the other parts do not decide.
    if (!match.alternatives.isEmpty())
        return found;
    // The other rows of the street directory that are parts of the same municipality.
    for (int other = 0; other < static_cast<int>(cityTable.size()); ++other) {
        if (other == cityRow || cityTable[other].cadastralCode != cityTable[cityRow].cadastralCode)
            continue;
        const StreetMatcher *theirs = streetsOf(other);
        const StreetMatcher::Match there = theirs ? theirs->find(address) : StreetMatcher::Match{};
        if (there.street >= 0 && (match.street < 0 || there.writtenDesignation.isEmpty()))
            return streetFound(other, there, there.street);
    }
    return match.street >= 0 ? streetFound(cityRow, match, match.street) : found;
}

QList<StreetFound> AddressCheck::findStreets(int cityRow, const QString &address)
{
    const StreetFound found = findStreet(cityRow, address);
    if (found.match.street >= 0)
        return {found};
    QList<StreetFound> each;
    for (const int street : found.match.alternatives)
        each.append(streetFound(found.cityRow, found.match, street));
    return each;
}

StreetFound AddressCheck::streetFound(int cityRow, const StreetMatcher::Match &match, int street) const
{
    const StreetMatcher &streets = *m_cities[cityRow];
    StreetFound found{match, m_records[cityRow][street], streets.street(street), streets.label(street), {}, cityRow};
    if (const HouseEvidence *evidence = m_evidence[cityRow].get())
        found.evidence = evidence->entries(found.record);
    return found;
}

const StreetMatcher *AddressCheck::streetsOf(int cityRow)
{
    if (cityRow < 0 || cityRow >= static_cast<int>(cityTable.size()))
        return nullptr;
    if (m_cityRead[cityRow])
        return m_cities[cityRow].get();
    m_cityRead[cityRow] = true;
    const CityFiles files = findCityFiles(m_dataFolder, cityRow);
    if (files.outcome == CityOutcome::NotOpened) {
        m_warnings << missingCityFilesText(files);
        return nullptr;
    }
    StreetDirectory directory;
    directory.open(files, StreetDirectory::Reading::Whole);
    std::vector<StreetMatcher::Street> streets;
    streets.reserve(directory.count());
    for (int i = 0; i < directory.count(); ++i) {
        const StreetRecord r = directory.record(i);
        // A note number outside the notes is no note here.
        const bool noted = r.noteNo >= 1 && r.noteNo <= directory.noteCount();
        streets.push_back({r.street, r.designation, r.cap, noted ? directory.note(r) : QString()});
    }
    m_cities[cityRow] = std::make_unique<StreetMatcher>(withoutAliases(std::move(streets), m_records[cityRow]), cityRow);
    // The city's house-number evidence beside its street file, when it has
    // one; a damaged one is left out with a warning, and the city is checked
    // by street.
    if (QFileInfo::exists(files.evidence)) {
        auto evidence = std::make_unique<HouseEvidence>();
        if (evidence->open(files.evidence, directory.count()))
            m_evidence[cityRow] = std::move(evidence);
        else
            m_warnings << evidence->error();
    }
    return m_cities[cityRow].get();
}

Verdict AddressCheck::check(const QString &locality, const QString &pvText, const QString &capText,
                            const QString &address)
{
    Verdict v;
    QString key = nameKey(locality);
    if (key.isEmpty()) {
        v.outcome = Verdict::InvalidRow;
        v.note = QStringLiteral("manca la località");
        return v;
    }
    // The province by its abbreviation or by its name.
    QString pv = pvText.trimmed().toUpper();
    if (pv.size() > 2)
        pv = m_provinceByName.value(nameKey(pv), pv);
    const QString cap = capText.trimmed();
    QList<int> found = rowsNamed(key, pv);
    for (const LocalityReading &r : found.isEmpty() ? otherReadings(locality) : QList<LocalityReading>()) {
        const QString pvOf = pv.isEmpty() ? r.pv : pv;
        if (found = rowsNamed(nameKey(r.name), pvOf); !found.isEmpty()) {
            key = nameKey(r.name);
            pv = pvOf;
            break;
        }
    }
    // Words cut short (San Donato M.se): the one locality they fit, or the
    // one of those that has the row's code (Paderno D. 20037, not D'ADDA).
    QList<int> shortened = found.isEmpty() ? shortenedNames(locality, pv) : QList<int>();
    if (shortened.size() > 1) {
        QList<int> withCode = shortened;
        withCode.removeIf([&](int i) { return !codesOf(rowsNamed(m_localities[size_t(i)].key, pv)).contains(cap); });
        if (withCode.size() == 1)
            shortened = withCode;
    }
    if (shortened.size() == 1) {
        key = m_localities[size_t(shortened.first())].key;
        found = rowsNamed(key, pv);
    }
    if (found.isEmpty())
        return unknownLocality(locality, key, pv, shortened);

    // Without a province, the code may tell which of the places of that name
    // the row is.
    const bool manyProvinces = provincesOf(found).size() > 1;
    if (pv.isEmpty() && manyProvinces)
        pv = provinceOfCode(found, cap);
    const QList<int> matches = pv.isEmpty() ? found : inProvince(found, pv);
    if (matches.isEmpty() || (pv.isEmpty() && manyProvinces))
        return wrongProvince(found, pv, pvText, cap);
    // The name as the municipality writes it (CANTÙ), rather than its
    // spelling with an apostrophe (CANTU'), when the data hold both.
    const auto shown = std::find_if(matches.begin(), matches.end(),
                                    [&](int i) { return !m_localities[i].name.endsWith(u'\''); });
    const int first = shown != matches.end() ? *shown : matches.first();
    v.locality = m_localities[first].name;
    v.pv = m_localities[first].pv;
    if (!checkStreetOf(v, m_localities[first].key, cap, address))
        checkCode(v, matches, cap);
    // A row under another name is checked as the locality it names.
    if (!changesOf(ChangeRecord::kName, key).isEmpty() && nameKey(v.locality) != key)
        v.note = QStringLiteral("nome ufficiale: %1").arg(v.locality) + (v.note.isEmpty() ? QString() : " - " + v.note);
    return v;
}

// The one province of the rows that have or had the code, or none.
QString AddressCheck::provinceOfCode(const QList<int> &rows, const QString &cap) const
{
    // The changes that name a code the locality had, or a frazione's.
    static constexpr char kinds[] = {ChangeRecord::kCodeChanged, ChangeRecord::kGeneric, kFrazioniOf};
    const auto had = [&](int i) {
        return std::any_of(std::begin(kinds), std::end(kinds), [&](char kind) {
            return changeOfCode(kind, m_localities[i].key, m_localities[i].pv, cap) != nullptr;
        });
    };
    QString found;
    for (const int i : rows) {
        if (!m_localities[i].codes.contains(cap) && !had(i))
            continue;
        if (!found.isEmpty() && found != m_localities[i].pv)
            return {};
        found = m_localities[i].pv;
    }
    return found;
}

// A name that no row has: a municipality that has since merged, else the
// closest names.
Verdict AddressCheck::unknownLocality(const QString &locality, const QString &key, const QString &pv,
                                      const QList<int> &fitting) const
{
    Verdict v;
    const QList<Change> &mergers = changesOf(ChangeRecord::kMerged, key);
    const auto merger = std::find_if(mergers.begin(), mergers.end(),
                                     [&](const Change &c) { return pv.isEmpty() || c.pv == pv; });
    if (merger != mergers.end() || mergers.size() == 1) {
        const Change &c = merger != mergers.end() ? *merger : mergers.first();
        v.outcome = Verdict::MunicipalityGone;
        if (c.newLocality.isEmpty()) {
            v.note = QStringLiteral("comune soppresso dopo il 2020: le fonti non dicono in quale comune è confluito");
            return v;
        }
        v.locality = c.newLocality;
        v.pv = c.newPv;
        v.cap = codeList(codesOf(inProvince(m_byKey.value(nameKey(c.newLocality)), c.newPv)));
        v.note = QStringLiteral("fuso in %1 (%2)").arg(c.newLocality, c.newPv);
        return v;
    }
    v.outcome = Verdict::LocalityUnknown;
    QStringList suggestions;
    for (const int i : fitting.mid(0, 3))
        suggestions << QStringLiteral("%1 (%2)").arg(m_localities[size_t(i)].name, m_localities[size_t(i)].pv);
    if (suggestions.isEmpty())
        suggestions = suggestLocalities(locality, pv);
    if (!suggestions.isEmpty())
        v.note = QStringLiteral("forse: %1").arg(suggestions.join(QStringLiteral(", ")));
    return v;
}

// The locality is not in the province written: in a province it was in
// before (Lissone in MI until 2009), its code still checked against the
// province of today; else in what provinces it is.
Verdict AddressCheck::wrongProvince(const QList<int> &found, const QString &pv, const QString &pvText,
                                    const QString &cap) const
{
    Verdict v;
    v.locality = m_localities[found.first()].name;
    for (const int i : found) {
        for (const Change &c : changesOf(ChangeRecord::kProvince, m_localities[i].key)) {
            if (pv.isEmpty() || c.pv != pv || c.newPv != m_localities[i].pv)
                continue;
            Verdict code;
            code.locality = m_localities[i].name;
            code.pv = c.newPv;
            checkCode(code, inProvince(found, c.newPv), cap);
            v = code;
            v.outcome = Verdict::ProvinceChanged;
            v.note = (c.year.isEmpty() ? QStringLiteral("provincia %1: ora %2")
                                       : QStringLiteral("provincia %1 fino al %3: ora %2"))
                         .arg(c.pv, c.newPv, c.year);
            if (code.outcome != Verdict::Ok)
                v.note += " - " + Verdict::text(code.outcome) + (code.note.isEmpty() ? QString() : ": " + code.note);
            return v;
        }
    }
    const QStringList provinces = provincesOf(found);
    v.outcome = Verdict::ProvinceWrong;
    v.pv = provinces.join(u' ');
    if (provinces.size() == 1) {
        const QStringList codes = codesOf(found);
        if (!codes.contains(cap))
            v.cap = codeList(codes);
    }
    v.note = pv.isEmpty() ? QStringLiteral("provincia mancante")
                          : QStringLiteral("%1 non è in provincia di %2").arg(v.locality, pvText.trimmed());
    return v;
}

// An address in a city of the street directory is checked against its
// street's code; false when there is no address or no street directory.
bool AddressCheck::checkStreetOf(Verdict &v, const QString &key, const QString &cap, const QString &address)
{
    if (address.trimmed().isEmpty())
        return false;
    const auto city = m_cityByKey.constFind(key);
    if (city == m_cityByKey.constEnd())
        return false;
    const StreetMatcher *streets = streetsOf(*city);
    if (!streets)
        return false;
    const StreetFound found = findStreet(*city, address);
    const StreetMatcher::Match &m = found.match;
    if (m.street < 0) {
        v.outcome = Verdict::StreetUnknown;
        QStringList names;
        const QList<int> named = !m.alternatives.isEmpty()      ? m.alternatives
                                 : !m.otherDesignations.isEmpty() ? m.otherDesignations
                                                                  : streets->suggest(address);
        for (const int i : named)
            names << streets->label(i);
        if (!names.isEmpty())
            v.note = (m.alternatives.isEmpty() ? QStringLiteral("forse: %1") : QStringLiteral("più vie: %1"))
                         .arg(names.join(QStringLiteral(", ")));
        return true;
    }
    const StreetMatcher::Street &s = found.street;
    v.note = found.label;
    // Taken under another designation than the one written.
    if (!m.writtenDesignation.isEmpty())
        v.note += QStringLiteral(" (scritto %1)").arg(m.writtenDesignation);
    v.city = found.cityRow;
    v.street = found.record;
    if (m_evidence[found.cityRow] && (!s.cap.isEmpty() || !found.evidence.isEmpty())) {
        judgeByNumber(v, found.evidence, s.cap, m.houseNumber, cap, cityTable[found.cityRow].genericCap);
        return true;
    }
    if (s.cap.isEmpty()) {
        v.outcome = Verdict::StreetWithoutCap;
        if (!s.note.isEmpty())
            v.note += QStringLiteral(": ") + s.note;
        return true;
    }
    v.outcome = cap.isEmpty() ? Verdict::CapMissing : cap == s.cap ? Verdict::Ok : Verdict::CapWrong;
    if (v.outcome != Verdict::Ok)
        v.cap = s.cap;
    return true;
}

// The code of the locality found: one of its codes (OK), its old catch-all
// or another code it had, a frazione's code, or wrong. A frazione without a
// code of its own is checked against its municipality's codes.
void AddressCheck::checkCode(Verdict &v, const QList<int> &matches, const QString &cap) const
{
    const QString key = m_localities[matches.first()].key;
    if (codesOf(matches).isEmpty()) {
        for (const Change &c : changesOf(ChangeRecord::kFraction, key)) {
            if (c.pv == v.pv && c.oldCap.isEmpty()) {
                const QString municipality = nameKey(c.newLocality);
                checkCodes(v, matches, inProvince(m_byKey.value(municipality), c.newPv), municipality, cap);
                v.note = QStringLiteral("frazione di %1").arg(c.newLocality) + (v.note.isEmpty() ? QString() : " - " + v.note);
                return;
            }
        }
    }
    checkCodes(v, matches, matches, key, cap);
}

// The code against the codes of `rows` (those of the locality, or of its
// municipality), the changes under `key`.
void AddressCheck::checkCodes(Verdict &v, const QList<int> &matches, const QList<int> &rows, const QString &key,
                              const QString &cap) const
{
    const QStringList codes = codesOf(rows);
    if (checkOtherCode(v, key, codes, cap))
        return;
    // Most codes are right: look for it before any list is made.
    for (const int i : rows) {
        if (!cap.isEmpty() && m_localities[i].codes.contains(cap)) {
            v.outcome = Verdict::Ok;
            // Of the localities a name stands for (OSTIA), the one with that code.
            if (matches.contains(i) && m_localities[i].key != nameKey(v.locality))
                v.locality = m_localities[i].name;
            return;
        }
    }
    if (cap.isEmpty()) {
        v.outcome = Verdict::CapMissing;
        v.cap = codeList(codes);
        if (codes.isEmpty())
            v.note = QStringLiteral("nessun codice nei dati aperti");
        return;
    }
    v.outcome = Verdict::CapWrong;
    v.cap = codeList(codes);
    // A spreadsheet that read the code as a number took its leading zeros.
    if (cap.size() < 5 && std::all_of(cap.begin(), cap.end(), [](QChar c) { return c.isDigit(); })
        && codes.contains(cap.rightJustified(5, u'0')))
        v.note = QStringLiteral("zeri iniziali persi");
}

// A code that is not simply one of the locality's: its old catch-all (a
// street-directory city keeps its generic code among its codes, which the
// windows show), a frazione's own code, or a code it had before.
bool AddressCheck::checkOtherCode(Verdict &v, const QString &key, const QStringList &codes, const QString &cap) const
{
    if (cap.isEmpty())
        return false;
    if (const Change *c = changeOfCode(ChangeRecord::kGeneric, key, v.pv, cap)) {
        v.outcome = c->year.isEmpty() ? Verdict::CapGeneric : Verdict::CapChanged;
        v.cap = codeList(codes);
        v.note = c->year.isEmpty() ? QStringLiteral("%1 è il CAP generico: ora un CAP per zona").arg(cap)
                                   : QStringLiteral("%1 sostituito dai CAP di zona nel %2").arg(cap, c->year);
        return true;
    }
    if (codes.contains(cap))
        return false;
    if (const Change *c = changeOfCode(kFrazioniOf, key, v.pv, cap)) {
        v.outcome = Verdict::Ok;
        v.note = QStringLiteral("frazione %1").arg(c->newLocality);
        return true;
    }
    if (const Change *c = changeOfCode(ChangeRecord::kCodeChanged, key, v.pv, cap)) {
        v.outcome = Verdict::CapChanged;
        v.cap = c->newCap;
        v.note = QStringLiteral("%1 sostituito da %2").arg(c->oldCap, c->newCap)
                 + (c->year.isEmpty() ? QString() : QStringLiteral(" nel %1").arg(c->year));
        return true;
    }
    return false;
}

} // namespace zelvora

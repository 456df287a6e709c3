#include "address_check.h"

#include "common/error.h"
#include "common/io_error.h"
#include "common/record_file.h"
#include "locality/changes_file.h"
#include "locality/locality_files.h"
#include "streets/street_files.h"

#include <QDir>
#include <algorithm>

namespace zelvora {

namespace {

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

} // namespace

QString Verdict::text(Outcome outcome)
{
    switch (outcome) {
    case Ok:
        return QStringLiteral("OK");
    case CapMissing:
        return QStringLiteral("CAP MANCANTE");
    case CapWrong:
        return QStringLiteral("CAP ERRATO");
    case CapChanged:
        return QStringLiteral("CAP VARIATO");
    case MunicipalityGone:
        return QStringLiteral("COMUNE NON PIÙ ESISTENTE");
    case ProvinceWrong:
        return QStringLiteral("PROVINCIA ERRATA");
    case LocalityUnknown:
        return QStringLiteral("LOCALITÀ SCONOSCIUTA");
    case StreetUnknown:
        return QStringLiteral("VIA SCONOSCIUTA");
    case StreetWithoutCap:
        return QStringLiteral("VIA SENZA CAP NEI DATI APERTI");
    case InvalidRow:
        break;
    }
    return QStringLiteral("RIGA NON VALIDA");
}

AddressCheck::AddressCheck(const QString &dataFolder) : m_dataFolder(dataFolder)
{
    using namespace localityfiles;
    const QDir folder(dataFolder);
    RecordFile localities;
    if (!localities.open(folder.filePath(kLocalities), LocalityRecord::kSize))
        throw Error(missingFile(folder.filePath(kLocalities)));
    RecordFile capOrder;
    if (!capOrder.open(folder.filePath(kCapOrder), CapOrderEntry::kSize))
        throw Error(missingFile(folder.filePath(kCapOrder)));

    const QByteArray all = localities.readAll();
    const int count = static_cast<int>(all.size() / LocalityRecord::kSize);
    m_localities.reserve(count);
    for (int i = 0; i < count; ++i) {
        const LocalityRecord r = LocalityRecord::decode(all.mid(qsizetype(i) * LocalityRecord::kSize, LocalityRecord::kSize));
        m_localities.push_back({r.locality, r.pv, {}});
        QStringList words = nameWords(r.locality);
        m_byKey[nameKey(words)] << i;
        m_words.push_back(std::move(words));
    }
    // Every code of every locality, from the postal-code order.
    const QByteArray entries = capOrder.readAll();
    for (qsizetype at = 0; at + CapOrderEntry::kSize <= entries.size(); at += CapOrderEntry::kSize) {
        const CapOrderEntry e = CapOrderEntry::decode(entries.mid(at, CapOrderEntry::kSize));
        if (e.localityNo >= 1 && e.localityNo <= count && !m_localities[e.localityNo - 1].codes.contains(e.cap))
            m_localities[e.localityNo - 1].codes << e.cap;
    }
    for (Locality &l : m_localities)
        l.codes.sort();

    RecordFile provinces;
    if (provinces.open(folder.filePath(kProvinces), ProvinceRecord::kSize)) {
        QStringList codes;
        QStringList names;
        loadProvinceTable(provinces, codes, names);
        for (qsizetype i = 0; i < codes.size(); ++i)
            m_provinceByName.insert(nameKey(names.at(i)), codes.at(i));
    } else {
        m_warnings << missingFile(folder.filePath(kProvinces)) + QStringLiteral(": province solo per sigla");
    }

    RecordFile changes;
    if (changes.open(folder.filePath(changesfile::kChanges), ChangeRecord::kSize)) {
        const QByteArray records = changes.readAll();
        for (qsizetype at = 0; at + ChangeRecord::kSize <= records.size(); at += ChangeRecord::kSize) {
            const ChangeRecord r = ChangeRecord::decode(records.mid(at, ChangeRecord::kSize));
            const Change change{r.pv, r.cap, r.newCap, r.newLocality, r.newPv};
            if (r.kind == QLatin1Char(ChangeRecord::kCodeChanged))
                m_codeChanges[nameKey(r.locality)] << change;
            else if (r.kind == QLatin1Char(ChangeRecord::kMerged))
                m_mergers[nameKey(r.locality)] << change;
        }
    } else {
        m_warnings << missingFile(folder.filePath(changesfile::kChanges))
                          + QStringLiteral(": codi cambiati e comuni soppressi non riconosciuti");
    }

    // The cities of the street directory under the names of their localities.
    for (int row = 0; row < static_cast<int>(cityTable.size()); ++row)
        m_cityByKey.insert(nameKey(cityTable[row].displayName.toString()), row);
    if (const auto regcal = cityRowOfFileBase(u"regcal"))
        m_cityByKey.insert(nameKey(QStringLiteral("REGGIO DI CALABRIA")), *regcal);
    if (const auto mestre = cityRowOfFileBase(u"mestre"))
        m_cityByKey.insert(nameKey(QStringLiteral("MESTRE")), *mestre);
}

AddressCheck::~AddressCheck() = default;

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
    if (cityRow < 0 || cityRow >= static_cast<int>(cityTable.size()))
        return names;
    if (const StreetMatcher *streets = streetsOf(cityRow))
        for (const int i : streets->suggest(name))
            names << streets->label(i);
    return names;
}

const StreetMatcher *AddressCheck::streetsOf(int cityRow)
{
    if (m_cityRead[cityRow])
        return m_cities[cityRow].get();
    m_cityRead[cityRow] = true;
    const CityFiles files = findCityFiles(m_dataFolder, cityRow);
    if (files.outcome == CityOutcome::NotOpened) {
        m_warnings << missingCityFilesText(files);
        return nullptr;
    }
    // The streets and their notes, each file in one read.
    RecordFile streetsFile;
    if (!streetsFile.open(files.streets, StreetRecord::kSize))
        throw IoError(QStringLiteral("Impossibile aprire %1").arg(QDir::toNativeSeparators(files.streets)));
    std::vector<QString> notes;
    if (files.outcome == CityOutcome::Opened) {
        RecordFile notesFile;
        if (notesFile.open(files.notes, StreetNote::kSize)) {
            const QByteArray all = notesFile.readAll();
            for (qsizetype at = 0; at + StreetNote::kSize <= all.size(); at += StreetNote::kSize)
                notes.push_back(StreetNote::decode(all.mid(at, StreetNote::kSize)).text);
        }
    }
    const QByteArray all = streetsFile.readAll();
    std::vector<StreetMatcher::Street> streets;
    streets.reserve(all.size() / StreetRecord::kSize);
    for (qsizetype at = 0; at + StreetRecord::kSize <= all.size(); at += StreetRecord::kSize) {
        const StreetRecord r = StreetRecord::decode(all.mid(at, StreetRecord::kSize));
        const bool noted = r.noteNo >= 1 && r.noteNo <= static_cast<int>(notes.size());
        streets.push_back({r.street, r.designation, r.cap, noted ? notes[r.noteNo - 1] : QString()});
    }
    m_cities[cityRow] = std::make_unique<StreetMatcher>(std::move(streets));
    return m_cities[cityRow].get();
}

Verdict AddressCheck::check(const QString &locality, const QString &pvText, const QString &capText,
                            const QString &address)
{
    Verdict v;
    const QString key = nameKey(locality);
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
    const QList<int> found = m_byKey.value(key);

    if (found.isEmpty()) {
        const QList<Change> mergers = m_mergers.value(key);
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
        const QStringList suggestions = suggestLocalities(locality, pv);
        if (!suggestions.isEmpty())
            v.note = QStringLiteral("forse: %1").arg(suggestions.join(QStringLiteral(", ")));
        return v;
    }

    QStringList provinces;
    for (const int i : found)
        if (!provinces.contains(m_localities[i].pv))
            provinces << m_localities[i].pv;
    provinces.sort();
    const QList<int> matches = pv.isEmpty() ? found : inProvince(found, pv);
    v.locality = m_localities[found.first()].name;
    if (matches.isEmpty() || (pv.isEmpty() && provinces.size() > 1)) {
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
    // The name as the municipality writes it (CANTÙ), rather than its
    // spelling with an apostrophe (CANTU'), when the data hold both.
    const auto shown = std::find_if(matches.begin(), matches.end(),
                                    [&](int i) { return !m_localities[i].name.endsWith(u'\''); });
    const int first = shown != matches.end() ? *shown : matches.first();
    v.locality = m_localities[first].name;
    v.pv = m_localities[first].pv;

    if (!address.trimmed().isEmpty()) {
        if (const auto city = m_cityByKey.constFind(key); city != m_cityByKey.constEnd()) {
            if (const StreetMatcher *streets = streetsOf(*city)) {
                const StreetMatcher::Match m = streets->find(address);
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
                    return v;
                }
                const StreetMatcher::Street &s = streets->street(m.street);
                v.note = streets->label(m.street);
                v.city = *city;
                v.street = m.street;
                if (s.cap.isEmpty()) {
                    v.outcome = Verdict::StreetWithoutCap;
                    if (!s.note.isEmpty())
                        v.note += QStringLiteral(": ") + s.note;
                    return v;
                }
                v.outcome = cap.isEmpty() ? Verdict::CapMissing : cap == s.cap ? Verdict::Ok : Verdict::CapWrong;
                if (v.outcome != Verdict::Ok)
                    v.cap = s.cap;
                return v;
            }
        }
    }

    // Most codes are right: look for it before any list is made.
    for (const int i : matches) {
        if (!cap.isEmpty() && m_localities[i].codes.contains(cap)) {
            v.outcome = Verdict::Ok;
            return v;
        }
    }
    const QStringList codes = codesOf(matches);
    if (cap.isEmpty()) {
        v.outcome = Verdict::CapMissing;
        v.cap = codeList(codes);
        if (codes.isEmpty())
            v.note = QStringLiteral("nessun codice nei dati aperti");
        return v;
    }
    for (const Change &c : m_codeChanges.value(key)) {
        if (c.pv == v.pv && c.oldCap == cap) {
            v.outcome = Verdict::CapChanged;
            v.cap = c.newCap;
            v.note = QStringLiteral("%1 sostituito da %2").arg(c.oldCap, c.newCap);
            return v;
        }
    }
    v.outcome = Verdict::CapWrong;
    v.cap = codeList(codes);
    // A spreadsheet that read the code as a number took its leading zeros.
    if (cap.size() < 5 && std::all_of(cap.begin(), cap.end(), [](QChar c) { return c.isDigit(); })
        && codes.contains(cap.rightJustified(5, u'0')))
        v.note = QStringLiteral("zeri iniziali persi");
    return v;
}

} // namespace zelvora

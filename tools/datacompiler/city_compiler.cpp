#include "city_compiler.h"

#include "field_encoder.h"

#include "common/address_rules.h"
#include "common/short_string.h"
#include "common/street_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>

namespace zelvora::datac {

namespace {

struct Street
{
    QByteArray street, designation, cityTag, cap, agency, note;
    qsizetype source = -1; // the row of CitySource::streets
};

// Upper case as the search field types it: every letter that has an upper
// case in code page 1252 has it. A letter without one there (ß, µ) stays.
bool isUpperCase(const QString &text)
{
    for (const QChar c : text) {
        const QString upper = QString(c).toUpper();
        if (upper != c && upper.size() == 1 && encodeCp1252(upper))
            return false;
    }
    return true;
}

// A street named with a number in words is found under the number as people
// write it too (XX SETTEMBRE for VENTI SETTEMBRE): one more record each, with
// the street's designation, code and note, its name saying which street it
// is. As many as the street file can address.
void addAliases(const CitySource &city, QList<Street> &streets)
{
    QSet<std::pair<QString, QString>> named;
    for (const StreetSource &s : city.streets)
        named.insert({s.street, s.designation});
    for (qsizetype i = 0, count = streets.size(); i < count && streets.size() < kMaxRecordNumber; ++i) {
        const StreetSource &s = city.streets.at(i);
        for (const QString &alias : addressrules::aliasNames(s.street, StreetRecord::kStreet.capacity)) {
            const auto encoded = encodeCp1252(alias);
            if (!encoded || named.contains({alias, s.designation}) || streets.size() >= kMaxRecordNumber)
                continue;
            Street extra = streets.at(i);
            extra.street = *encoded;
            streets.append(extra);
        }
    }
}

// A house number of the evidence source, 0 to the file's largest.
int houseNumber(const QString &text, bool &ok)
{
    const int number = text.toInt(&ok);
    ok = ok && number >= 0 && number <= EvidenceRecord::kMaxNumber;
    return number;
}

HouseEvidenceEntry evidenceEntry(const QStringList &f, int line, FieldEncoder &enc)
{
    HouseEvidenceEntry e;
    bool firstOk = false, lastOk = false;
    e.first = houseNumber(f.at(0), firstOk);
    e.last = houseNumber(f.at(1), lastOk);
    if (!firstOk || !lastOk || e.first > e.last)
        enc.fault(line, QStringLiteral("house numbers \"%1\"-\"%2\" are not a range of 0 to %3")
                            .arg(f.at(0), f.at(1)).arg(EvidenceRecord::kMaxNumber));
    static const QStringList parities{QStringLiteral("T"), QStringLiteral("D"), QStringLiteral("P")};
    if (!parities.contains(f.at(2)))
        enc.fault(line, QStringLiteral("parity \"%1\" is not D, P or T").arg(f.at(2)));
    e.parity = static_cast<Parity>(std::max<qsizetype>(0, parities.indexOf(f.at(2))));
    e.cap = f.at(3);
    if (!isPostalCode(e.cap))
        enc.fault(line, QStringLiteral("postal code \"%1\" is not five digits").arg(e.cap));
    for (const QString &label : f.at(4).split(u'+')) {
        const quint16 bit = evidencefile::sourceBit(label);
        if (bit == 0)
            enc.fault(line, QStringLiteral("unknown source \"%1\"").arg(label));
        e.sources |= bit;
    }
    e.isRange = f.at(5) == u"R";
    if (f.at(5) != u"R" && f.at(5) != u"P")
        enc.fault(line, QStringLiteral("kind \"%1\" is not R or P").arg(f.at(5)));
    else if (!e.isRange && (e.first != e.last || e.parity != Parity::All))
        enc.fault(line, QStringLiteral("a point has one house number and parity T"));
    return e;
}

// The evidence file: every entry under each street record whose source row
// it names, in street order, then number order.
QByteArray compileEvidence(const CitySource &city, const QList<Street> &streets, FieldEncoder &enc)
{
    QHash<std::pair<QString, QString>, qsizetype> rowOf;
    for (qsizetype i = 0; i < city.streets.size(); ++i)
        rowOf.insert({city.streets.at(i).street, city.streets.at(i).designation}, i);
    QHash<qsizetype, QList<const EvidenceSource *>> bySource;
    for (const EvidenceSource &e : city.evidence) {
        const auto row = rowOf.find({e.street, e.designation});
        if (row == rowOf.end())
            enc.fault(e.line, QStringLiteral("street \"%1\" (%2) is not in %3")
                                        .arg(e.street, e.designation, QFileInfo(city.file).fileName()));
        else
            bySource[row.value()].append(&e);
    }
    using Key = std::tuple<int, int, int, QByteArray>;
    QList<Key> records;
    for (qsizetype r = 0; r < streets.size(); ++r)
        for (const EvidenceSource *e : bySource.value(streets.at(r).source)) {
            records.append({static_cast<int>(r + 1), e->entry.first, e->entry.last,
                            encodeEvidenceRecord(static_cast<int>(r + 1), e->entry)});
        }
    // The reader's order: street, numbers, then the rest of the record.
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    QByteArray file;
    for (const Key &record : std::as_const(records))
        file.append(std::get<3>(record));
    return file;
}

} // namespace

void readEvidenceSource(const QString &csv, CitySource &city, QList<Fault> &faults)
{
    evidenceFromTable(readCsv(csv, faults), csv, city, faults);
}

void evidenceFromTable(const CsvTable &table, const QString &file, CitySource &city, QList<Fault> &faults)
{
    city.hasEvidence = true;
    city.evidenceFile = file;
    FieldEncoder enc(faults, file);
    const QList<qsizetype> c = columns(
        table, {"street", "designation", "first", "last", "parity", "cap", "sources", "kind"}, file, faults);
    for (const CsvRow &row : table.rows) {
        checkFieldCount(table, row, file, faults);
        QStringList fields;
        for (qsizetype i = 2; i < c.size(); ++i)
            fields.append(field(row, c.at(i)));
        city.evidence.append({field(row, c[0]), field(row, c[1]), evidenceEntry(fields, row.line, enc), row.line});
    }
}

CitySource readCitySource(const QString &csv, QList<Fault> &faults)
{
    return citySourceFromTable(readCsv(csv, faults), csv, faults);
}

CitySource citySourceFromTable(const CsvTable &table, const QString &file, QList<Fault> &faults)
{
    CitySource city;
    city.file = file;
    const QList<qsizetype> c =
        columns(table, {"street", "designation", "city_tag", "cap", "agency", "note"}, file, faults);
    for (const CsvRow &row : table.rows) {
        checkFieldCount(table, row, file, faults);
        city.streets.append({field(row, c[0]), field(row, c[1]), field(row, c[2]), field(row, c[3]),
                             field(row, c[4]), field(row, c[5]), row.line});
    }
    return city;
}

DataFiles compileCity(const CitySource &city, const QString &base, QList<Fault> &faults)
{
    const qsizetype faultsBefore = faults.size();
    FieldEncoder enc(faults, city.file);

    QList<Street> streets;
    for (const StreetSource &s : city.streets) {
        Street st;
        if (s.street.isEmpty())
            enc.fault(s.line, QStringLiteral("empty street name"));
        else if (!isUpperCase(s.street))
            enc.fault(s.line, QStringLiteral("street \"%1\" is not in upper case").arg(s.street));
        st.street = enc.encode(s.street, StreetRecord::kStreet.capacity, s.line, "street");
        st.designation = enc.encode(s.designation, StreetRecord::kDesignation.capacity, s.line, "designation");
        st.cityTag = enc.encode(s.cityTag, StreetRecord::kCityTag.capacity, s.line, "city_tag");
        st.cap = enc.encode(s.cap, StreetRecord::kCap.capacity, s.line, "cap");
        st.agency = enc.encode(s.agency, StreetRecord::kAgency.capacity, s.line, "agency");
        st.note = enc.encode(s.note, StreetNote::kText.capacity, s.line, "note");
        if (!s.cap.isEmpty() && !isPostalCode(s.cap))
            enc.fault(s.line, QStringLiteral("postal code \"%1\" is not five digits").arg(s.cap));
        st.source = streets.size();
        streets.append(st);
    }
    enc.checkCount(base + streetfiles::kStreetsSuffix, streets.size());
    if (faults.size() > faultsBefore)
        return {};
    addAliases(city, streets);

    // In street order; equal names in an order of their other fields, so the
    // same streets give the same bytes whatever the order of the source.
    std::sort(streets.begin(), streets.end(), [](const Street &a, const Street &b) {
        return std::tie(a.street, a.designation, a.cityTag, a.cap, a.agency, a.note)
               < std::tie(b.street, b.designation, b.cityTag, b.cap, b.agency, b.note);
    });

    // One note record per distinct text, numbered in the order of first use.
    QHash<QByteArray, int> noteNumbers;
    QByteArray civ;
    QByteArray loc;
    QList<QByteArray> names;
    for (const Street &s : std::as_const(streets)) {
        int noteNo = 0;
        if (!s.note.isEmpty()) {
            noteNo = noteNumbers.value(s.note);
            if (noteNo == 0) {
                noteNo = static_cast<int>(noteNumbers.size() + 1);
                noteNumbers.insert(s.note, noteNo);
                QByteArray record(StreetNote::kSize, '\0');
                put(record, StreetNote::kText, s.note);
                civ.append(record);
            }
        }
        QByteArray record(StreetRecord::kSize, '\0');
        put(record, StreetRecord::kStreet, s.street);
        put(record, StreetRecord::kDesignation, s.designation);
        put(record, StreetRecord::kCityTag, s.cityTag);
        put(record, StreetRecord::kCap, s.cap);
        put(record, StreetRecord::kAgency, s.agency);
        writeRecordNumber(record.data() + StreetRecord::kNoteNoOffset, noteNo);
        loc.append(record);
        names.append(s.street);
    }

    DataFiles files;
    if (city.hasEvidence) {
        const qsizetype before = faults.size();
        FieldEncoder evidenceEnc(faults, city.evidenceFile);
        const QByteArray evidence = compileEvidence(city, streets, evidenceEnc);
        if (faults.size() > before)
            return {};
        files[base + evidencefile::kSuffix] = evidence;
    }
    files[base + streetfiles::kStreetsSuffix] = loc;
    files[base + streetfiles::kIndexSuffix] = buildPrefixIndex(names, streetfiles::kKeyLength);
    files[base + streetfiles::kNotesSuffix] = civ;
    return files;
}

bool compileCityFolder(const CitySource &city, const QString &folder, const QString &base, QList<Fault> &faults)
{
    if (!writeDataFiles(compileCity(city, base, faults), folder, faults))
        return false;
    // Without evidence the city has no evidence file, not one of its streets of before.
    const QString stale = QDir(folder).filePath(base + evidencefile::kSuffix);
    if (!city.hasEvidence && QFile::exists(stale) && !QFile::remove(stale)) {
        faults.append({stale, 0, QStringLiteral("cannot remove the house-number file of before")});
        return false;
    }
    return true;
}

} // namespace zelvora::datac

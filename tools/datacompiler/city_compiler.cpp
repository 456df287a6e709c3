#include "city_compiler.h"

#include "field_encoder.h"

#include "common/address_rules.h"
#include "common/short_string.h"
#include "streets/street_files.h"

#include <QHash>
#include <QSet>
#include <algorithm>

namespace zelvora::datac {

namespace {

struct Street
{
    QByteArray street, designation, cityTag, cap, agency, note;
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

} // namespace

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
    files[base + streetfiles::kStreetsSuffix] = loc;
    files[base + streetfiles::kIndexSuffix] = buildPrefixIndex(names, streetfiles::kKeyLength);
    files[base + streetfiles::kNotesSuffix] = civ;
    return files;
}

bool compileCityFolder(const CitySource &city, const QString &folder, const QString &base, QList<Fault> &faults)
{
    const DataFiles files = compileCity(city, base, faults);
    if (files.isEmpty())
        return false;
    return writeDataFiles(files, folder, faults);
}

} // namespace zelvora::datac

#include "locality_compiler.h"

#include "field_encoder.h"

#include "common/short_string.h"
#include "locality/locality_files.h"

#include <algorithm>
#include <tuple>
#include <numeric>

namespace zelvora::datac {

namespace {

struct Locality
{
    QByteArray locality, pv, agency, cap, bil, note;
    QStringList codes;
    int line = 0;
};

QByteArray localityRecord(const Locality &l)
{
    QByteArray record(LocalityRecord::kSize, '\0');
    put(record, LocalityRecord::kLocality, l.locality);
    put(record, LocalityRecord::kPv, l.pv);
    put(record, LocalityRecord::kAgency, l.agency);
    put(record, LocalityRecord::kCap, l.cap);
    put(record, LocalityRecord::kBil, l.bil);
    put(record, LocalityRecord::kNote, l.note);
    return record;
}

} // namespace

Sources readSources(const QString &localitiesCsv, const QString &provincesCsv, QList<Fault> &faults)
{
    const CsvTable localities = readCsv(localitiesCsv, faults);
    const CsvTable provinces = readCsv(provincesCsv, faults);
    return sourcesFromTables(localities, localitiesCsv, provinces, provincesCsv, faults);
}

Sources sourcesFromTables(const CsvTable &localities, const QString &localitiesFile, const CsvTable &provinces,
                          const QString &provincesFile, QList<Fault> &faults)
{
    Sources sources;
    sources.localitiesFile = localitiesFile;
    sources.provincesFile = provincesFile;

    const QStringList localityColumns{"locality", "province", "agency", "cap", "bil", "note", "codes"};
    const QList<qsizetype> lc = columns(localities, localityColumns, localitiesFile, faults);
    for (const CsvRow &row : localities.rows) {
        checkFieldCount(localities, row, localitiesFile, faults);
        sources.localities.append({field(row, lc[0]), field(row, lc[1]), field(row, lc[2]),
                                   field(row, lc[3]), field(row, lc[4]), field(row, lc[5]),
                                   field(row, lc[6]).split(u' ', Qt::SkipEmptyParts), row.line});
    }

    const QList<qsizetype> pc = columns(provinces, {"province", "name"}, provincesFile, faults);
    for (const CsvRow &row : provinces.rows) {
        checkFieldCount(provinces, row, provincesFile, faults);
        sources.provinces.append({field(row, pc[0]), field(row, pc[1]), row.line});
    }
    return sources;
}

DataFiles compileLocalities(const Sources &sources, QList<Fault> &faults)
{
    const qsizetype faultsBefore = faults.size();
    FieldEncoder enc(faults, sources.localitiesFile);

    QList<Locality> localities;
    for (const LocalitySource &s : sources.localities) {
        Locality l;
        l.line = s.line;
        if (s.locality.isEmpty())
            enc.fault(s.line, QStringLiteral("empty locality name"));
        l.locality = enc.encode(s.locality.toUpper(), LocalityRecord::kLocality.capacity, s.line, "locality");
        l.pv = enc.encode(s.province.toUpper(), LocalityRecord::kPv.capacity, s.line, "province");
        l.agency = enc.encode(s.agency, LocalityRecord::kAgency.capacity, s.line, "agency");
        l.cap = enc.encode(s.cap, LocalityRecord::kCap.capacity, s.line, "cap");
        l.bil = enc.encode(s.bil, LocalityRecord::kBil.capacity, s.line, "bil");
        l.note = enc.encode(s.note, LocalityRecord::kNote.capacity, s.line, "note");
        if (!s.cap.isEmpty() && !isPostalCode(s.cap))
            enc.fault(s.line, QStringLiteral("postal code \"%1\" is not five digits").arg(s.cap));
        QStringList codes = s.codes;
        if (!s.cap.isEmpty())
            codes.append(s.cap);
        for (const QString &code : std::as_const(s.codes))
            if (!isPostalCode(code))
                enc.fault(s.line, QStringLiteral("postal code \"%1\" in codes is not five digits").arg(code));
        codes.sort();
        codes.removeDuplicates();
        l.codes = codes;
        localities.append(l);
    }
    enc.checkCount(localityfiles::kLocalities, localities.size());

    // localita.loc in name order, then province and postal code; rows equal
    // in those go in the order of their other fields, so the same rows give
    // the same bytes whatever their order in the source.
    std::stable_sort(localities.begin(), localities.end(), [](const Locality &a, const Locality &b) {
        return std::tie(a.locality, a.pv, a.cap, a.agency, a.bil, a.note, a.codes)
               < std::tie(b.locality, b.pv, b.cap, b.agency, b.bil, b.note, b.codes);
    });

    DataFiles files;
    QByteArray loc;
    QList<QByteArray> names;
    for (const Locality &l : std::as_const(localities)) {
        loc.append(localityRecord(l));
        names.append(l.locality);
    }
    files[localityfiles::kLocalities] = loc;
    files[localityfiles::kLocalityIndex] = buildPrefixIndex(names, 3);

    // locacap.cod: one entry for every postal code of every locality.
    struct CapEntry { QByteArray cap; int localityNo; };
    QList<CapEntry> capEntries;
    for (qsizetype i = 0; i < localities.size(); ++i)
        for (const QString &code : localities.at(i).codes)
            capEntries.append({code.toLatin1(), static_cast<int>(i + 1)});
    std::stable_sort(capEntries.begin(), capEntries.end(), [](const CapEntry &a, const CapEntry &b) {
        return cp1252Less(a.cap, b.cap);
    });
    enc.checkCount(localityfiles::kCapOrder, capEntries.size());
    QByteArray capOrder;
    QList<QByteArray> caps;
    for (const CapEntry &e : std::as_const(capEntries)) {
        QByteArray record(CapOrderEntry::kSize, '\0');
        put(record, CapOrderEntry::kCap, e.cap);
        writeRecordNumber(record.data() + CapOrderEntry::kLocalityNoOffset, e.localityNo);
        capOrder.append(record);
        caps.append(e.cap);
    }
    files[localityfiles::kCapOrder] = capOrder;
    files[localityfiles::kCapIndex] = buildPrefixIndex(caps, 3);

    // locapv.cod: grouped by province, in name order within a province.
    QList<int> byProvince(localities.size());
    std::iota(byProvince.begin(), byProvince.end(), 0);
    std::stable_sort(byProvince.begin(), byProvince.end(), [&](int a, int b) {
        return cp1252Less(localities.at(a).pv, localities.at(b).pv);
    });
    QByteArray pvOrder;
    QList<QByteArray> pvs;
    for (int i : std::as_const(byProvince)) {
        QByteArray record(PvOrderEntry::kSize, '\0');
        put(record, PvOrderEntry::kKey, localities.at(i).pv);
        writeRecordNumber(record.data() + PvOrderEntry::kLocalityNoOffset, i + 1);
        pvOrder.append(record);
        pvs.append(localities.at(i).pv);
    }
    files[localityfiles::kPvOrder] = pvOrder;
    files[localityfiles::kPvIndex] = buildPrefixIndex(pvs, 2);

    // cap.pv in abbreviation order.
    FieldEncoder penc(faults, sources.provincesFile);
    QList<std::pair<QByteArray, QByteArray>> provinces;
    QMap<QByteArray, int> seen;
    for (const ProvinceSource &p : sources.provinces) {
        const QByteArray pv = penc.encode(p.province.toUpper(), ProvinceRecord::kPv.capacity, p.line, "province");
        const QByteArray name = penc.encode(p.name, ProvinceRecord::kName.capacity, p.line, "name");
        if (p.province.isEmpty())
            penc.fault(p.line, QStringLiteral("empty province abbreviation"));
        else if (seen.contains(pv))
            penc.fault(p.line, QStringLiteral("province \"%1\" already given on line %2")
                                   .arg(p.province)
                                   .arg(seen.value(pv)));
        else
            seen.insert(pv, p.line);
        provinces.append({pv, name});
    }
    penc.checkCount(localityfiles::kProvinces, provinces.size());
    std::stable_sort(provinces.begin(), provinces.end(),
                     [](const auto &a, const auto &b) { return cp1252Less(a.first, b.first); });
    QByteArray capPv;
    for (const auto &[pv, name] : std::as_const(provinces)) {
        QByteArray record(ProvinceRecord::kSize, '\0');
        put(record, ProvinceRecord::kPv, pv);
        put(record, ProvinceRecord::kName, name);
        capPv.append(record);
    }
    files[localityfiles::kProvinces] = capPv;

    if (faults.size() > faultsBefore)
        return {};
    return files;
}

bool compileDataFolder(const Sources &sources, const QString &folder, QList<Fault> &faults)
{
    const DataFiles files = compileLocalities(sources, faults);
    if (files.isEmpty())
        return false;
    return writeDataFiles(files, folder, faults);
}

} // namespace zelvora::datac

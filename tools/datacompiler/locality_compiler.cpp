#include "locality_compiler.h"

#include "field_encoder.h"

#include "common/short_string.h"
#include "common/locality_files.h"

#include <algorithm>
#include <tuple>

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

namespace {

Locality encodeLocality(const LocalitySource &s, FieldEncoder &enc)
{
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
    return l;
}

// An order file of records that name a locality by its 1-based number, with
// its prefix index on the keys given.
struct OrderEntry
{
    QByteArray key;
    int localityNo;
};

void addOrder(DataFiles &files, const QList<OrderEntry> &entries, int recordSize, TextField key, int noOffset,
              const QString &orderFile, const QString &indexFile, int keyLength)
{
    QByteArray order;
    QList<QByteArray> keys;
    for (const OrderEntry &e : entries) {
        QByteArray record(recordSize, '\0');
        put(record, key, e.key);
        writeRecordNumber(record.data() + noOffset, e.localityNo);
        order.append(record);
        keys.append(e.key);
    }
    files[orderFile] = order;
    files[indexFile] = buildPrefixIndex(keys, keyLength);
}

// locacap.cod: one entry for every postal code of every locality.
// locapv.cod: grouped by province, in name order within a province.
void addOrders(DataFiles &files, const QList<Locality> &localities, FieldEncoder &enc)
{
    QList<OrderEntry> caps;
    QList<OrderEntry> pvs;
    for (qsizetype i = 0; i < localities.size(); ++i) {
        for (const QString &code : localities.at(i).codes)
            caps.append({code.toLatin1(), static_cast<int>(i + 1)});
        pvs.append({localities.at(i).pv, static_cast<int>(i + 1)});
    }
    const auto less = [](const OrderEntry &a, const OrderEntry &b) { return cp1252Less(a.key, b.key); };
    std::stable_sort(caps.begin(), caps.end(), less);
    std::stable_sort(pvs.begin(), pvs.end(), less);
    enc.checkCount(localityfiles::kCapOrder, caps.size());
    addOrder(files, caps, CapOrderEntry::kSize, CapOrderEntry::kCap, CapOrderEntry::kLocalityNoOffset,
             localityfiles::kCapOrder, localityfiles::kCapIndex, 3);
    addOrder(files, pvs, PvOrderEntry::kSize, PvOrderEntry::kKey, PvOrderEntry::kLocalityNoOffset,
             localityfiles::kPvOrder, localityfiles::kPvIndex, 2);
}

// cap.pv in abbreviation order.
QByteArray provincesFile(const Sources &sources, QList<Fault> &faults)
{
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
    return capPv;
}

} // namespace

DataFiles compileLocalities(const Sources &sources, QList<Fault> &faults)
{
    const qsizetype faultsBefore = faults.size();
    FieldEncoder enc(faults, sources.localitiesFile);
    QList<Locality> localities = encodeRows(sources.localities, enc, localityfiles::kLocalities, encodeLocality);

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
    addOrders(files, localities, enc);
    files[localityfiles::kProvinces] = provincesFile(sources, faults);

    if (faults.size() > faultsBefore)
        return {};
    return files;
}

bool compileDataFolder(const Sources &sources, const QString &folder, QList<Fault> &faults)
{
    return writeDataFiles(compileLocalities(sources, faults), folder, faults);
}

} // namespace zelvora::datac

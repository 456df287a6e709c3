// The data compiler's validation on any sources: a locality set (localities
// and provinces), a city or the changes. Sources with a fault build nothing;
// sources without one build files that the program's readers accept as they
// are, and the same bytes whatever the order of the rows.
#include "fuzz_target.h"

#include "common/io_error.h"
#include "common/prefix_index.h"
#include "common/record_file.h"
#include "common/short_string.h"
#include "datacompiler/changes_compiler.h"
#include "datacompiler/city_compiler.h"
#include "datacompiler/locality_compiler.h"
#include "common/changes_file.h"
#include "common/locality_files.h"
#include "common/search_modes.h"
#include "common/street_files.h"

#include <algorithm>

using namespace zelvora;
using namespace zelvora::datac;

namespace {

template <typename T>
QList<T> reversed(QList<T> list)
{
    std::reverse(list.begin(), list.end());
    return list;
}

// An index as the readers load it: entries in ascending order of their
// prefixes, each naming the first record of its group inside the order file.
void checkIndex(const QByteArray &indexBytes, const QList<QByteArray> &keys, int keyLength)
{
    const PrefixIndex index(indexBytes);
    int previous = 0;
    QByteArray previousPrefix;
    for (int i = 0; i < index.size(); ++i) {
        const int first = index.at(i).firstRecord;
        FUZZ_CHECK(first > previous && first <= keys.size());
        const QByteArray prefix = encodeCp1252(index.at(i).prefix().toString()).value_or(QByteArray());
        FUZZ_CHECK(prefix == keys.at(first - 1).left(keyLength));
        FUZZ_CHECK(i == 0 || previousPrefix < prefix);
        previous = first;
        previousPrefix = prefix;
    }
    FUZZ_CHECK(keys.isEmpty() == index.isEmpty());
}

void checkOrder(const QByteArray &bytes, int recordSize, int numberOffset, int localities)
{
    for (qsizetype at = 0; at + recordSize <= bytes.size(); at += recordSize) {
        const int localityNo = readRecordNumber(bytes.constData() + at + numberOffset);
        FUZZ_CHECK(localityNo >= 1 && localityNo <= localities);
    }
}

// What `compile` builds from sources read without a fault (`readFaults`
// empty); none when it lists a fault, as it builds files exactly when it
// lists none. The same sources in the opposite order (`reverse`) build the
// same bytes.
template <typename Source, typename Compile, typename Reverse>
DataFiles compiled(Source source, const QList<Fault> &readFaults, Compile compile, Reverse reverse)
{
    if (!readFaults.isEmpty())
        return {};
    QList<Fault> faults;
    const DataFiles files = compile(source, faults);
    FUZZ_CHECK(files.isEmpty() == !faults.isEmpty());
    if (files.isEmpty())
        return {};
    reverse(source);
    QList<Fault> again;
    FUZZ_CHECK(compile(source, again) == files);
    return files;
}

// Every record of a compiled file, decoded; the file holds whole records only.
template <typename Record>
QList<Record> decodeAll(const QByteArray &bytes)
{
    FUZZ_CHECK(bytes.size() % Record::kSize == 0);
    QList<Record> records;
    for (qsizetype at = 0; at < bytes.size(); at += Record::kSize)
        records.append(Record::decode(bytes.mid(at, Record::kSize)));
    return records;
}

void compileLocalitySet(const QList<QByteArray> &parts)
{
    QList<Fault> faults;
    const CsvTable localities = parseCsv(parts.value(0), QStringLiteral("localities.csv"), faults);
    const CsvTable provinces = parseCsv(parts.value(1), QStringLiteral("provinces.csv"), faults);
    const Sources sources = sourcesFromTables(localities, QStringLiteral("localities.csv"), provinces,
                                              QStringLiteral("provinces.csv"), faults);
    const DataFiles files = compiled(sources, faults, compileLocalities, [](Sources &s) {
        s.localities = reversed(s.localities);
        s.provinces = reversed(s.provinces);
    });
    if (files.isEmpty())
        return;

    const QList<LocalityRecord> loc = decodeAll<LocalityRecord>(files.value(localityfiles::kLocalities));
    FUZZ_CHECK(loc.size() == sources.localities.size());
    QList<QByteArray> names;
    for (const LocalityRecord &record : loc)
        names.append(encodeCp1252(record.locality).value());
    FUZZ_CHECK(std::is_sorted(names.begin(), names.end()));
    checkIndex(files.value(localityfiles::kLocalityIndex), names, searchModeInfo(SearchMode::Locality).keyLength);

    const QByteArray capOrder = files.value(localityfiles::kCapOrder);
    checkOrder(capOrder, CapOrderEntry::kSize, CapOrderEntry::kLocalityNoOffset, names.size());
    QList<QByteArray> caps;
    for (const CapOrderEntry &entry : decodeAll<CapOrderEntry>(capOrder))
        caps.append(entry.cap.toLatin1());
    FUZZ_CHECK(std::is_sorted(caps.begin(), caps.end()));
    checkIndex(files.value(localityfiles::kCapIndex), caps, searchModeInfo(SearchMode::Cap).keyLength);

    const QByteArray pvOrder = files.value(localityfiles::kPvOrder);
    FUZZ_CHECK(pvOrder.size() == sources.localities.size() * PvOrderEntry::kSize);
    checkOrder(pvOrder, PvOrderEntry::kSize, PvOrderEntry::kLocalityNoOffset, names.size());
    QList<QByteArray> pvs;
    for (qsizetype at = 0; at < pvOrder.size(); at += PvOrderEntry::kSize)
        pvs.append(pvOrder.mid(at + 1, static_cast<unsigned char>(pvOrder.at(at))));
    checkIndex(files.value(localityfiles::kPvIndex), pvs, searchModeInfo(SearchMode::Province).keyLength);
}

void compileOneCity(const QByteArray &csv)
{
    QList<Fault> faults;
    const CsvTable table = parseCsv(csv, QStringLiteral("roma.csv"), faults);
    const CitySource city = citySourceFromTable(table, QStringLiteral("roma.csv"), faults);
    const DataFiles files = compiled(
        city, faults, [](const CitySource &c, QList<Fault> &f) { return compileCity(c, QStringLiteral("roma"), f); },
        [](CitySource &c) { c.streets = reversed(c.streets); });
    if (files.isEmpty())
        return;

    // The program opens the city and finds every note.
    StreetFiles opened;
    opened.open(files.value(QStringLiteral("roma.loc")), files.value(QStringLiteral("roma.lox")),
                files.value(QStringLiteral("roma.civ")), QStringLiteral("roma"));
    FUZZ_CHECK(opened.streetCount() == city.streets.size());
    for (int i = 0; i < opened.streetCount(); ++i)
        (void)opened.note(opened.readStreet(i));
}

// Every record a known kind with its texts as the source wrote them.
void compileChangeSet(const QByteArray &csv)
{
    QList<Fault> faults;
    const CsvTable table = parseCsv(csv, QStringLiteral("changes.csv"), faults);
    const ChangesSource source = changesSourceFromTable(table, QStringLiteral("changes.csv"), faults);
    const DataFiles files = compiled(source, faults, compileChanges,
                                     [](ChangesSource &s) { s.changes = reversed(s.changes); });
    if (files.isEmpty())
        return;
    const QList<ChangeRecord> changes = decodeAll<ChangeRecord>(files.value(changesfile::kChanges));
    FUZZ_CHECK(changes.size() == source.changes.size());
    for (const ChangeRecord &change : changes)
        FUZZ_CHECK(change.kind.size() == 1 && QStringLiteral("CFGPNZ").contains(change.kind));
}

} // namespace

ZELVORA_FUZZ_TARGET(compile)
{
    // A first byte that chooses (even: localities, 2 in 4 the changes; odd:
    // a city), then the sources.
    if (size < 1)
        return 0;
    const QByteArray rest = QByteArray::fromRawData(reinterpret_cast<const char *>(data + 1),
                                                    static_cast<qsizetype>(size - 1));
    if (data[0] % 4 == 2)
        compileChangeSet(rest);
    else if (data[0] % 2 == 0)
        compileLocalitySet(fuzz::splitInput(data + 1, size - 1, 2));
    else
        compileOneCity(rest);
    return 0;
}

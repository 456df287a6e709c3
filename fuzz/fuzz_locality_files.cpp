// The locality files on any bytes: localita.loc, the two order files whose
// entries name its records, and the province table. A stored record number
// outside localita.loc must be an IoError, never a read outside it.
#include "fuzz_target.h"

#include "common/io_error.h"
#include "common/locality_database.h"
#include "common/record_file.h"
#include "common/locality_files.h"

using namespace zelvora;

namespace {

void checkLocality(const LocalityRecord &record)
{
    for (const auto &text : LocalityRecord::kTexts)
        FUZZ_CHECK((record.*text.member).size() <= text.capacity);
}

// Reads the locality an order entry names; true when it was inside the file.
bool readNamed(RecordFile &localities, int localityNo)
{
    try {
        checkLocality(readLocalityNo(localities, localityNo));
        FUZZ_CHECK(localityNo >= 1 && localityNo <= localities.count());
        return true;
    } catch (const IoError &) {
        FUZZ_CHECK(localityNo < 1 || localityNo > localities.count());
        return false;
    }
}

} // namespace

ZELVORA_FUZZ_TARGET(locality_files)
{
    // localita.loc, locacap.cod, locapv.cod, cap.pv
    const QList<QByteArray> parts = fuzz::splitInput(data, size, 4);
    RecordFile localities, capOrder, pvOrder;
    localities.open(parts.value(0), LocalityRecord::kSize, localityfiles::kLocalities);
    capOrder.open(parts.value(1), CapOrderEntry::kSize, localityfiles::kCapOrder);
    pvOrder.open(parts.value(2), PvOrderEntry::kSize, localityfiles::kPvOrder);

    localities.seek(0);
    while (!localities.atEnd())
        checkLocality(LocalityRecord::decode(localities.readNext()));

    // The order files are read as the results list reads them: the entry at
    // the read position, then the locality it names.
    capOrder.seek(0);
    while (!capOrder.atEnd()) {
        const CapOrderEntry entry = CapOrderEntry::decode(capOrder.readNext());
        FUZZ_CHECK(entry.cap.size() <= CapOrderEntry::kCap.capacity);
        readNamed(localities, entry.localityNo);
    }
    pvOrder.seek(0);
    while (!pvOrder.atEnd())
        readNamed(localities, PvOrderEntry::decode(pvOrder.readNext()).localityNo);

    const ProvinceTable provinces = ProvinceTable::fromBytes(parts.value(3));
    const qsizetype count = parts.value(3).size() / ProvinceRecord::kSize;
    FUZZ_CHECK(provinces.provinceCodes.size() == count && provinces.provinceNames.size() == count);
    for (const QString &name : provinces.provinceNames)
        FUZZ_CHECK(name.size() <= ProvinceRecord::kName.capacity);
    return 0;
}

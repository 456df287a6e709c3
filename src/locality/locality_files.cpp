#include "locality_files.h"

#include "common/io_error.h"
#include "common/record_file.h"
#include "common/short_string.h"

#include <QFileInfo>

namespace zelvora {

namespace {
QString text(const QByteArray &record, TextField field)
{
    return readText(record.constData(), field);
}
} // namespace

LocalityRecord LocalityRecord::decode(const QByteArray &record)
{
    return {text(record, kLocality), text(record, kPv),  text(record, kAgency),
            text(record, kCap),      text(record, kBil), text(record, kNote)};
}

CapOrderEntry CapOrderEntry::decode(const QByteArray &record)
{
    return {text(record, kCap), readRecordNumber(record.constData() + kLocalityNoOffset)};
}

PvOrderEntry PvOrderEntry::decode(const QByteArray &record)
{
    return {readRecordNumber(record.constData() + kLocalityNoOffset)};
}

ProvinceRecord ProvinceRecord::decode(const QByteArray &record)
{
    return {text(record, kPv), text(record, kName)};
}

void loadProvinceTable(RecordFile &file, QStringList &codes, QStringList &names)
{
    const int records = file.count();
    file.seek(0);
    for (int i = 0; i < records; ++i) {
        const ProvinceRecord province = ProvinceRecord::decode(file.readNext());
        codes.append(province.pv);
        names.append(province.name);
    }
}

LocalityRecord readLocalityNo(RecordFile &localities, int localityNo)
{
    return LocalityRecord::decode(readLocalityRecord(localities, localityNo));
}

QByteArray readLocalityRecord(RecordFile &localities, int localityNo)
{
    const std::optional<QByteArray> record = localities.readIfInside(localityNo - 1);
    if (localityNo < 1 || !record)
        throw IoError(QStringLiteral("Numero di località %1 fuori dal file %2 (%3 record)")
                          .arg(localityNo)
                          .arg(QFileInfo(localities.fileName()).fileName())
                          .arg(localities.count()));
    return *record;
}

} // namespace zelvora

#include "locality_files.h"

#include "common/record_file.h"
#include "common/short_string.h"

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

QByteArray readLocalityRecord(const RecordFile &localities, int localityNo)
{
    return localities.number(localityNo, QStringLiteral("Numero di località"));
}

} // namespace zelvora

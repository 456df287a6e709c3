#include "locality_files.h"

#include "common/record_file.h"
#include "common/short_string.h"

namespace zelvora {

CapOrderEntry CapOrderEntry::decode(const QByteArray &record)
{
    return {readText(record.constData(), kCap), readRecordNumber(record.constData() + kLocalityNoOffset)};
}

PvOrderEntry PvOrderEntry::decode(const QByteArray &record)
{
    return {readRecordNumber(record.constData() + kLocalityNoOffset)};
}

QByteArray readLocalityRecord(const RecordFile &localities, int localityNo)
{
    return localities.number(localityNo, QStringLiteral("Numero di località"));
}

} // namespace zelvora

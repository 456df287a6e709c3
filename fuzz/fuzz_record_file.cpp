// A record file on any bytes, read with any record size: the count, every
// record, seeks inside and outside, and short strings and record numbers
// decoded from every record.
#include "fuzz_target.h"

#include "common/io_error.h"
#include "common/record_file.h"
#include "common/short_string.h"

#include <climits>

using namespace zelvora;

ZELVORA_FUZZ_TARGET(record_file)
{
    if (size < 3)
        return 0;
    // Two bytes of settings, then the file.
    const int recordSize = data[0] % 200; // 0 is taken as 1
    const int capacity = data[1];
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data + 2),
                                                     static_cast<qsizetype>(size - 2));
    RecordFile file;
    file.open(bytes, recordSize, QStringLiteral("fuzz.dat"));
    const int step = recordSize > 0 ? recordSize : 1;
    FUZZ_CHECK(file.count() == bytes.size() / step);

    // Every record, in order, is the file's bytes at its place.
    file.seek(0);
    for (int i = 0; i < file.count(); ++i) {
        const QByteArray record = file.readNext();
        FUZZ_CHECK(record == bytes.mid(qsizetype(i) * step, step));
        // A short string that fits the record, and its record number field.
        const int fieldCapacity = std::min(capacity, step - 1);
        if (fieldCapacity >= 0) {
            const QString text = readShortString(record.constData(), fieldCapacity);
            FUZZ_CHECK(text.size() <= fieldCapacity);
        }
        if (step >= 2) {
            const int number = readRecordNumber(record.constData() + step - 2);
            FUZZ_CHECK(number >= -32768 && number <= kMaxRecordNumber);
        }
    }
    FUZZ_CHECK(file.atEnd());
    FUZZ_CHECK(file.readCount() == file.count());
    try {
        file.readNext();
        FUZZ_CHECK(false); // a read past the end must fail
    } catch (const IoError &) {
    }

    // Positions taken from the file itself, as a damaged record number would
    // give them: outside the file every seek fails and nothing moves.
    const int count = file.count();
    const int probes[] = {-1, 0, count - 1, count, count + 1, INT_MAX, INT_MIN,
                          bytes.size() >= 2 ? readRecordNumber(bytes.constData()) : 0};
    for (const int index : probes) {
        const int before = file.position();
        try {
            const QByteArray record = file.readAt(index);
            FUZZ_CHECK(index >= 0 && index < count);
            FUZZ_CHECK(record.size() == step);
        } catch (const IoError &) {
            FUZZ_CHECK(index < 0 || index >= count);
            if (index < 0 || index > count)
                FUZZ_CHECK(file.position() == before);
        }
    }

    // Text in the file decodes whatever its bytes; what encodes back is the
    // same bytes.
    const QString text = decodeCp1252(QByteArrayView(bytes).first(std::min<qsizetype>(bytes.size(), 255)));
    if (const std::optional<QByteArray> encoded = encodeCp1252(text))
        FUZZ_CHECK(decodeCp1252(*encoded) == text);
    (void)toUpperCp1252(text);
    return 0;
}

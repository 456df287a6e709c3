// A city's house-number evidence on any bytes, for a street file of as many
// streets as the first byte says: the file opens or is refused with a
// reason, and an open file gives every street's entries, each sound.
#include "fuzz_target.h"

#include "common/house_evidence.h"

using namespace zelvora;

ZELVORA_FUZZ_TARGET(house_evidence)
{
    if (size == 0)
        return 0;
    const int streetCount = data[0] == 0xff ? -1 : data[0];
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), static_cast<qsizetype>(size - 1));
    HouseEvidence evidence;
    if (!evidence.open(bytes, QStringLiteral("roma.evi"), streetCount)) {
        FUZZ_CHECK(!evidence.error().isEmpty() && !evidence.isOpen() && evidence.entries(0).isEmpty());
        return 0;
    }
    FUZZ_CHECK(evidence.entryCount() * EvidenceRecord::kSize == bytes.size());
    const int streets = streetCount >= 0 ? streetCount : 32767;
    qsizetype seen = 0;
    for (int i = -1; i <= std::min(streets, 300); ++i) {
        const QList<HouseEvidenceEntry> entries = evidence.entries(i);
        seen += entries.size();
        for (qsizetype k = 0; k < entries.size(); ++k) {
            const HouseEvidenceEntry &e = entries.at(k);
            FUZZ_CHECK(e.first <= e.last && e.cap.size() == 5 && e.sources != 0);
            FUZZ_CHECK(!e.sourceLabels().isEmpty());
            FUZZ_CHECK(e.covers(e.first) || e.parity != Parity::All);
            FUZZ_CHECK(e.isRange || e.first == e.last);
            FUZZ_CHECK(k == 0 || entries.at(k - 1).first <= e.first);
        }
    }
    // Every entry belongs to a street of the street file.
    FUZZ_CHECK(streetCount < 0 || streetCount > 300 || seen == evidence.entryCount());
    return 0;
}

// A prefix index on any bytes over an order file on any bytes, with typed
// texts: the index loads, every group is looked up, and the incremental
// search runs each text, refining within the groups by reading the order
// file. Reads that the index sends outside the order file are IoErrors.
#include "fuzz_target.h"

#include "common/incremental_search.h"
#include "common/io_error.h"
#include "common/prefix_index.h"
#include "common/record_file.h"
#include "locality/locality_files.h"
#include "locality/search_modes.h"

#include <QBuffer>

using namespace zelvora;

ZELVORA_FUZZ_TARGET(prefix_index)
{
    // Key length, then the index, the order file (localita.loc records) and
    // the typed texts, one per line.
    if (size < 1)
        return 0;
    const int keyLength = searchModeInfo(data[0] % 2 == 0 ? SearchMode::Locality : SearchMode::Province).keyLength;
    const QList<QByteArray> parts = fuzz::splitInput(data + 1, size - 1, 3);
    QBuffer indexBuffer, orderBuffer;
    indexBuffer.setData(parts.value(0));
    orderBuffer.setData(parts.value(1));
    RecordFile index, order;
    FUZZ_CHECK(index.open(&indexBuffer, PrefixIndexEntry::kSize, QStringLiteral("fuzz.lox")));
    FUZZ_CHECK(order.open(&orderBuffer, LocalityRecord::kSize, QStringLiteral("fuzz.loc")));

    QStringList prefixes, firstRecords;
    loadPrefixIndex(index, prefixes, firstRecords);
    FUZZ_CHECK(prefixes.size() == index.count() && firstRecords.size() == index.count());
    for (const QString &prefix : std::as_const(prefixes)) {
        FUZZ_CHECK(prefix.size() <= PrefixIndexEntry::kPrefixCapacity);
        if (prefix.isEmpty())
            continue;
        const std::optional<Group> group = findGroup(prefixes, firstRecords, prefix, order.count());
        FUZZ_CHECK(group.has_value());
    }

    QString lastText, searchPrefix;
    IncrementalSearch search(lastText, searchPrefix);
    QList<int> pages;
    search.readKey = [&](int at) { return LocalityRecord::decode(order.readAt(at)).locality; };
    search.showPage = [&](int start) { pages.append(start); };
    const QList<QByteArray> texts = parts.value(2).split('\n');
    for (const QByteArray &typed : texts) {
        const QString text = QString::fromLatin1(typed).left(40);
        pages.clear();
        QString shown = text;
        search.putBack = [&](const QString &shorter) {
            FUZZ_CHECK(shorter.size() < shown.size());
            shown = shorter;
            return shorter;
        };
        try {
            search.search(text, {prefixes, firstRecords, order.count()}, {keyLength});
            // What stays in the field is a beginning of what was typed.
            FUZZ_CHECK(text.startsWith(search.lastText()));
        } catch (const IoError &) {
        }
        FUZZ_CHECK(pages.size() <= 2 * (text.size() + 1));
    }
    return 0;
}

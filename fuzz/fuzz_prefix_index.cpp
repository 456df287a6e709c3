// A prefix index on any bytes over an order file on any bytes, with typed
// texts: the index loads, every group is looked up, and the incremental
// search runs each text, refining within the groups by reading the order
// file. Reads that the index sends outside the order file are IoErrors.
#include "fuzz_target.h"

#include "common/incremental_search.h"
#include "common/io_error.h"
#include "common/prefix_index.h"
#include "common/record_file.h"
#include "common/locality_files.h"
#include "common/search_modes.h"


using namespace zelvora;

ZELVORA_FUZZ_TARGET(prefix_index)
{
    // Key length, then the index, the order file (localita.loc records) and
    // the typed texts, one per line.
    if (size < 1)
        return 0;
    const int keyLength = searchModeInfo(data[0] % 2 == 0 ? SearchMode::Locality : SearchMode::Province).keyLength;
    const QList<QByteArray> parts = fuzz::splitInput(data + 1, size - 1, 3);
    RecordFile index, order;
    index.open(parts.value(0), PrefixIndexEntry::kSize, QStringLiteral("fuzz.lox"));
    order.open(parts.value(1), LocalityRecord::kSize, QStringLiteral("fuzz.loc"));

    const PrefixIndex prefixes(index.readAll());
    FUZZ_CHECK(prefixes.size() == index.count());
    for (int i = 0; i < prefixes.size(); ++i) {
        const QStringView prefix = prefixes.at(i).prefix();
        FUZZ_CHECK(prefix.size() <= PrefixIndexEntry::kPrefixCapacity);
        if (!prefix.isEmpty())
            FUZZ_CHECK(prefixes.group(prefix, order.count()).has_value());
    }

    // The order file as the search reads it.
    struct Order : SearchSource
    {
        const PrefixIndex &index;
        RecordFile &file;
        int length;
        Order(const PrefixIndex &i, RecordFile &f, int l) : index(i), file(f), length(l) {}
        const PrefixIndex &prefixIndex() const override { return index; }
        int recordCount() const override { return file.count(); }
        int keyLength() const override { return length; }
        QString key(int at) override { return LocalityRecord::decode(file.readAt(at)).locality; }
    } source(prefixes, order, keyLength);
    IncrementalSearch search;
    QList<int> pages;
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
            search.search(text, source);
            // What stays in the field is a beginning of what was typed.
            FUZZ_CHECK(text.startsWith(search.lastText()));
        } catch (const IoError &) {
        }
        FUZZ_CHECK(pages.size() <= 2 * (text.size() + 1));
    }
    return 0;
}

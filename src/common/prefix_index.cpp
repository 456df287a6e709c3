#include "prefix_index.h"

#include "record_file.h"
#include "short_string.h"

#include <algorithm>
#include <charconv>

namespace zelvora {

namespace {

// Calls add(prefix bytes, first record) for every entry of a whole index read
// in one (`all`), in file order.
template <typename Add>
void forEachEntry(const QByteArray &all, int size, Add add)
{
    for (qsizetype at = 0; at + size <= all.size(); at += size) {
        const char *record = all.constData() + at;
        const int length = std::min<int>(static_cast<unsigned char>(record[0]), PrefixIndexEntry::kPrefixCapacity);
        add(QByteArrayView(record + 1, length), readRecordNumber(record + PrefixIndexEntry::kFirstRecordOffset));
    }
}

// The longest record number as decimal text: "-32768".
constexpr int kNumberCapacity = 6;

} // namespace

void loadPrefixIndex(RecordFile &index, QStringList &prefixes, QStringList &firstRecords)
{
    prefixes.clear();
    firstRecords.clear();
    // One read for the whole index: it is loaded at every opening.
    forEachEntry(index.readAll(), index.recordSize(), [&](QByteArrayView prefix, int first) {
        prefixes.append(decodeCp1252(prefix));
        firstRecords.append(QString::number(first));
    });
}

void loadPrefixIndex(RecordFile &index, QStringList &prefixes, QStringList &firstRecords, QString &text)
{
    prefixes.clear();
    firstRecords.clear();
    const QByteArray all = index.readAll();
    const qsizetype entries = all.size() / index.recordSize();
    prefixes.reserve(entries);
    firstRecords.reserve(entries);
    // Made whole at once and written in place: the characters the views show
    // never move. Cut to what was written at the end, which moves nothing.
    text = QString(entries * (PrefixIndexEntry::kPrefixCapacity + kNumberCapacity), Qt::Uninitialized);
    QChar *const begin = text.data();
    QChar *out = begin;
    forEachEntry(all, index.recordSize(), [&](QByteArrayView prefix, int first) {
        QChar *from = out;
        out = decodeCp1252(prefix, out);
        prefixes.append(QString::fromRawData(from, out - from));
        from = out;
        char digits[kNumberCapacity];
        const char *end = std::to_chars(digits, digits + kNumberCapacity, first).ptr;
        for (const char *digit = digits; digit != end; ++digit)
            *out++ = QLatin1Char(*digit);
        firstRecords.append(QString::fromRawData(from, out - from));
    });
    text.truncate(out - begin);
}

bool prefixesInOrder(const QStringList &prefixes)
{
    for (qsizetype i = 1; i < prefixes.size(); ++i)
        if (compareCp1252(prefixes.at(i - 1), prefixes.at(i)) >= 0)
            return false;
    return true;
}

namespace {

// A first record number of the index list, as QString::toInt reads it; plain
// digits, which is what the list holds, are read without the locale-aware
// conversion, a tenth of a batch lookup's time.
int recordNumber(const QString &text)
{
    if (text.isEmpty() || text.size() > 9)
        return text.toInt();
    int number = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return text.toInt();
        number = number * 10 + (c.unicode() - u'0');
    }
    return number;
}

} // namespace

std::optional<Group> findGroup(const QStringList &prefixes, const QStringList &firstRecords,
                               const QString &typed, int recordCount, bool inOrder)
{
    if (typed.isEmpty())
        return std::nullopt;
    const qsizetype entries = std::min(prefixes.size(), firstRecords.size());
    const auto group = [&](qsizetype i) {
        const int first = recordNumber(firstRecords.at(i));
        const int last = i + 1 < entries ? recordNumber(firstRecords.at(i + 1)) - 1 : recordCount;
        return Group{first, last};
    };
    if (inOrder) {
        // In ascending order, every entry before the first one not less than
        // the text is less than it and so cannot begin with it.
        const auto end = prefixes.begin() + entries;
        const auto at = std::lower_bound(prefixes.begin(), end, typed, [](const QString &prefix, const QString &text) {
            return compareCp1252(prefix, text) < 0;
        });
        if (at != end && at->startsWith(typed))
            return group(at - prefixes.begin());
        return std::nullopt;
    }
    const QChar firstCharacter = typed.front();
    for (qsizetype i = 0; i < entries; ++i) {
        // Most entries differ in their first character: a long run of
        // searches (a batch lookup) spends its time here.
        const QString &prefix = prefixes.at(i);
        if (prefix.isEmpty() || prefix.front() != firstCharacter || !prefix.startsWith(typed))
            continue;
        return group(i);
    }
    return std::nullopt;
}

} // namespace zelvora

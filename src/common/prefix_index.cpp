#include "prefix_index.h"

#include "record_file.h"
#include "short_string.h"

namespace zelvora {

PrefixIndexEntry PrefixIndexEntry::decode(const QByteArray &record)
{
    return {readShortString(record.constData(), kPrefixCapacity),
            readRecordNumber(record.constData() + kFirstRecordOffset)};
}

void loadPrefixIndex(RecordFile &index, QStringList &prefixes, QStringList &firstRecords)
{
    prefixes.clear();
    firstRecords.clear();
    // One read for the whole index: it is loaded at every opening.
    const QByteArray all = index.readAll();
    const int size = index.recordSize();
    for (qsizetype at = 0; at + size <= all.size(); at += size) {
        const PrefixIndexEntry entry = PrefixIndexEntry::decode(QByteArray::fromRawData(all.constData() + at, size));
        prefixes.append(entry.prefix);
        firstRecords.append(QString::number(entry.firstRecord));
    }
}

std::optional<Group> findGroup(const QStringList &prefixes, const QStringList &firstRecords,
                               const QString &typed, int recordCount)
{
    if (typed.isEmpty())
        return std::nullopt;
    const qsizetype entries = std::min(prefixes.size(), firstRecords.size());
    const QChar firstCharacter = typed.front();
    for (qsizetype i = 0; i < entries; ++i) {
        // Most entries differ in their first character: a long run of
        // searches (a batch lookup) spends its time here.
        const QString &prefix = prefixes.at(i);
        if (prefix.isEmpty() || prefix.front() != firstCharacter || !prefix.startsWith(typed))
            continue;
        const int first = firstRecords.at(i).toInt();
        const int last = i + 1 < entries ? firstRecords.at(i + 1).toInt() - 1 : recordCount;
        return Group{first, last};
    }
    return std::nullopt;
}

} // namespace zelvora

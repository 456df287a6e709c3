#include "common/house_evidence.h"

#include "common/short_string.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <tuple>

namespace zelvora {

namespace {

const char *recordAt(const QByteArray &bytes, qsizetype i)
{
    return bytes.constData() + i * EvidenceRecord::kSize;
}

int streetNoOf(const char *record)
{
    return readRecordNumber(record + EvidenceRecord::kStreetNoOffset);
}

HouseEvidenceEntry decode(const char *record)
{
    HouseEvidenceEntry entry;
    entry.first = qFromLittleEndian<quint16>(record + EvidenceRecord::kFirstOffset);
    entry.last = qFromLittleEndian<quint16>(record + EvidenceRecord::kLastOffset);
    const auto flags = static_cast<quint8>(record[EvidenceRecord::kFlagsOffset]);
    entry.parity = static_cast<Parity>(flags & 0x03);
    entry.isRange = (flags & EvidenceRecord::kRangeFlag) != 0;
    entry.cap = QString::fromLatin1(record + EvidenceRecord::kCapOffset, 5);
    entry.sources = qFromLittleEndian<quint16>(record + EvidenceRecord::kSourcesOffset);
    return entry;
}

constexpr qsizetype kMaxProblems = 20;

// The problem of one record on its own, empty when it is sound.
QString recordProblem(const char *record, int streetCount)
{
    const int streetNo = streetNoOf(record);
    if (streetNo < 1 || (streetCount >= 0 && streetNo > streetCount))
        return QStringLiteral("street number %1 outside the street file (%2 records)").arg(streetNo).arg(streetCount);
    const auto flags = static_cast<quint8>(record[EvidenceRecord::kFlagsOffset]);
    if ((flags & ~(EvidenceRecord::kRangeFlag | 0x03)) != 0 || (flags & 0x03) == 0x03)
        return QStringLiteral("unknown parity or kind %1").arg(flags);
    const HouseEvidenceEntry entry = decode(record);
    if (entry.first > entry.last)
        return QStringLiteral("first number %1 after the last %2").arg(entry.first).arg(entry.last);
    if (!entry.isRange && (entry.first != entry.last || entry.parity != Parity::All))
        return QStringLiteral("a point with the numbers of a range");
    for (const QChar c : entry.cap)
        if (c < u'0' || c > u'9')
            return QStringLiteral("postal code is not five digits");
    const quint16 known = static_cast<quint16>((1u << evidencefile::kSources.size()) - 1);
    if (entry.sources == 0 || (entry.sources & ~known) != 0)
        return QStringLiteral("unknown sources %1").arg(entry.sources);
    return {};
}

// The order of the records: street, numbers, then the rest of the record.
auto orderKey(const char *record)
{
    const HouseEvidenceEntry e = decode(record);
    return std::make_tuple(streetNoOf(record), e.first, e.last,
                           QByteArray(record + EvidenceRecord::kFlagsOffset,
                                      EvidenceRecord::kSize - EvidenceRecord::kFlagsOffset));
}

} // namespace

quint16 evidencefile::sourceBit(QStringView label)
{
    const auto found = std::find(kSources.begin(), kSources.end(), label);
    return found == kSources.end() ? 0 : static_cast<quint16>(1u << (found - kSources.begin()));
}

bool HouseEvidenceEntry::covers(int number) const
{
    if (number < first || number > last)
        return false;
    return parity == Parity::Odd ? number % 2 == 1 : parity != Parity::Even || number % 2 == 0;
}

QStringList HouseEvidenceEntry::sourceLabels() const
{
    QStringList labels;
    for (size_t i = 0; i < evidencefile::kSources.size(); ++i)
        if (sources & (1u << i))
            labels.append(evidencefile::kSources[i].toString());
    return labels;
}

QString HouseEvidenceEntry::numbersText() const
{
    if (first == last)
        return QString::number(first);
    const QString numbers = QStringLiteral("%1-%2").arg(first).arg(last);
    return parity == Parity::Odd ? numbers + QStringLiteral(" dispari")
           : parity == Parity::Even ? numbers + QStringLiteral(" pari")
                                    : numbers;
}

QByteArray encodeEvidenceRecord(int streetNo, const HouseEvidenceEntry &entry)
{
    QByteArray record(EvidenceRecord::kSize, '\0');
    writeRecordNumber(record.data() + EvidenceRecord::kStreetNoOffset, streetNo);
    qToLittleEndian<quint16>(entry.first, record.data() + EvidenceRecord::kFirstOffset);
    qToLittleEndian<quint16>(entry.last, record.data() + EvidenceRecord::kLastOffset);
    record[EvidenceRecord::kFlagsOffset] =
        static_cast<char>(static_cast<quint8>(entry.parity) | (entry.isRange ? EvidenceRecord::kRangeFlag : 0));
    const QByteArray cap = entry.cap.toLatin1().leftJustified(5, '\0', true);
    std::copy(cap.begin(), cap.end(), record.begin() + EvidenceRecord::kCapOffset);
    qToLittleEndian<quint16>(entry.sources, record.data() + EvidenceRecord::kSourcesOffset);
    return record;
}

QStringList evidenceFileProblems(const QByteArray &bytes, int streetCount)
{
    QStringList problems;
    if (bytes.size() % EvidenceRecord::kSize != 0)
        problems.append(QStringLiteral("%1 stray bytes after the last whole record")
                            .arg(bytes.size() % EvidenceRecord::kSize));
    const qsizetype count = bytes.size() / EvidenceRecord::kSize;
    for (qsizetype i = 0; i < count && problems.size() < kMaxProblems; ++i) {
        QString problem = recordProblem(recordAt(bytes, i), streetCount);
        if (problem.isEmpty() && i > 0 && !(orderKey(recordAt(bytes, i - 1)) < orderKey(recordAt(bytes, i))))
            problem = QStringLiteral("out of order or repeated");
        if (!problem.isEmpty())
            problems.append(QStringLiteral("record %1: %2").arg(i + 1).arg(problem));
    }
    return problems;
}

bool HouseEvidence::open(const QString &path, int streetCount)
{
    close();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("%1: cannot be opened: %2").arg(path, file.errorString());
        return false;
    }
    // Far more than any city holds: a larger file is no evidence file, and is not read into memory.
    constexpr qint64 kMaxBytes = qint64(64) << 20;
    if (file.size() > kMaxBytes) {
        m_error = QStringLiteral("%1: damaged house-number file: %2 bytes").arg(path).arg(file.size());
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_error = QStringLiteral("%1: cannot be read: %2").arg(path, file.errorString());
        return false;
    }
    return open(bytes, path, streetCount);
}

bool HouseEvidence::open(const QByteArray &bytes, const QString &name, int streetCount)
{
    close();
    const QStringList problems = evidenceFileProblems(bytes, streetCount);
    if (!problems.isEmpty()) {
        m_error = QStringLiteral("%1: damaged house-number file: %2").arg(name, problems.first());
        return false;
    }
    m_bytes = bytes;
    m_open = true;
    return true;
}

void HouseEvidence::close()
{
    m_bytes.clear();
    m_error.clear();
    m_open = false;
}

QList<HouseEvidenceEntry> HouseEvidence::entries(int index) const
{
    QList<HouseEvidenceEntry> result;
    if (index < 0 || index >= kMaxRecordNumber)
        return result;
    const int streetNo = index + 1;
    // The records are in street order: the first of the street by halving.
    // (Written out: clang 14, which builds the fuzz targets, cannot compile
    // libstdc++ 12's std::views::iota.)
    qsizetype low = 0;
    qsizetype high = entryCount();
    while (low < high) {
        const qsizetype mid = low + (high - low) / 2;
        if (streetNoOf(recordAt(m_bytes, mid)) < streetNo)
            low = mid + 1;
        else
            high = mid;
    }
    for (qsizetype i = low; i < entryCount() && streetNoOf(recordAt(m_bytes, i)) == streetNo; ++i)
        result.append(decode(recordAt(m_bytes, i)));
    return result;
}

} // namespace zelvora

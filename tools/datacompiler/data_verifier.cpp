#include "data_verifier.h"

#include "common/house_evidence.h"
#include "common/prefix_index.h"
#include "common/short_string.h"
#include "common/changes_file.h"
#include "common/locality_files.h"
#include "common/street_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <iterator>

namespace zelvora::datac {

namespace {

// One data file loaded whole, with its records.
struct LoadedFile
{
    QString name;
    QByteArray bytes;
    int recordSize = 1;
    bool present = false;

    int count() const { return static_cast<int>(bytes.size() / recordSize); }
    const char *record(int i) const { return bytes.constData() + qsizetype(i) * recordSize; }
};

class Verifier
{
public:
    explicit Verifier(QString folder) : m_dir(std::move(folder)) {}

    LoadedFile load(const QString &name, int recordSize)
    {
        LoadedFile file{name, {}, recordSize, false};
        QFile f(m_dir.filePath(name));
        if (!f.open(QIODevice::ReadOnly)) {
            fault(name, QStringLiteral("missing or unreadable"));
            return file;
        }
        file.bytes = f.readAll();
        file.present = true;
        const qsizetype stray = file.bytes.size() % recordSize;
        if (stray != 0)
            fault(name, QStringLiteral("%1 stray bytes after the last whole record").arg(stray));
        if (file.count() > kMaxRecordNumber)
            fault(name, QStringLiteral("%1 records; at most %2 can be addressed")
                            .arg(file.count())
                            .arg(kMaxRecordNumber));
        m_report.lines.append(QStringLiteral("%1: %2 records").arg(name).arg(file.count()));
        return file;
    }

    void checkStrings(const LoadedFile &file, const QList<TextField> &fields)
    {
        for (int i = 0; i < file.count(); ++i)
            for (const TextField &field : fields) {
                const int length = static_cast<unsigned char>(file.record(i)[field.offset]);
                if (length > field.capacity)
                    fault(file.name, QStringLiteral("record %1: a text of %2 characters in a field of %3")
                                         .arg(i + 1)
                                         .arg(length)
                                         .arg(field.capacity));
            }
    }

    template <typename Record>
    void checkTexts(const LoadedFile &file)
    {
        checkStrings(file, {Record::kTexts.begin(), Record::kTexts.end()});
    }

    // A stored record number must name a record of `target`.
    bool checkRecordNumber(const LoadedFile &file, int record, int number, const LoadedFile &target)
    {
        if (number >= 1 && number <= target.count())
            return true;
        fault(file.name, QStringLiteral("record %1: record number %2 outside %3 (%4 records)")
                             .arg(record + 1)
                             .arg(number)
                             .arg(target.name)
                             .arg(target.count()));
        return false;
    }

    void checkSorted(const LoadedFile &file, const QList<QByteArray> &keys)
    {
        for (qsizetype i = 1; i < keys.size(); ++i)
            if (keys.at(i) < keys.at(i - 1)) {
                fault(file.name, QStringLiteral("record %1 is out of order").arg(i + 1));
                return;
            }
    }

    // Entries in ascending order, each group's records sharing its prefix,
    // the groups following each other and covering the whole order file.
    void checkIndex(const LoadedFile &index, const LoadedFile &order, const QList<QByteArray> &keys,
                    int keyLength)
    {
        if (!index.present || !order.present)
            return;
        checkStrings(index, {TextField{0, PrefixIndexEntry::kPrefixCapacity}});
        const int entries = index.count();
        if (entries == 0 && !keys.isEmpty()) {
            fault(index.name, QStringLiteral("empty, but %1 has records").arg(order.name));
            return;
        }
        int expectedFirst = 1;
        QByteArray previous;
        for (int i = 0; i < entries; ++i) {
            const char *entry = index.record(i);
            const int length = std::min<int>(static_cast<unsigned char>(entry[0]),
                                             PrefixIndexEntry::kPrefixCapacity);
            const QByteArray prefix(entry + 1, length);
            const int first = readRecordNumber(entry + PrefixIndexEntry::kFirstRecordOffset);
            if (i > 0 && !(previous < prefix))
                fault(index.name, QStringLiteral("entry %1 (\"%2\") is not after the entry before it")
                                      .arg(i + 1)
                                      .arg(decodeCp1252(prefix)));
            previous = prefix;
            if (first != expectedFirst) {
                fault(index.name, QStringLiteral("entry %1 (\"%2\") starts at record %3 where its group begins at %4")
                                      .arg(i + 1)
                                      .arg(decodeCp1252(prefix))
                                      .arg(first)
                                      .arg(expectedFirst));
                return;
            }
            const int last = i + 1 < entries
                                 ? readRecordNumber(index.record(i + 1) + PrefixIndexEntry::kFirstRecordOffset) - 1
                                 : static_cast<int>(keys.size());
            if (last < first || last > keys.size()) {
                fault(index.name, QStringLiteral("entry %1 (\"%2\") has no records in %3")
                                      .arg(i + 1)
                                      .arg(decodeCp1252(prefix))
                                      .arg(order.name));
                return;
            }
            for (int r = first; r <= last; ++r)
                if (keys.at(r - 1).left(keyLength) != prefix) {
                    fault(index.name, QStringLiteral("entry %1 (\"%2\"): record %3 of %4 does not belong to it")
                                          .arg(i + 1)
                                          .arg(decodeCp1252(prefix))
                                          .arg(r)
                                          .arg(order.name));
                    return;
                }
            expectedFirst = last + 1;
        }
    }

    void fault(const QString &file, const QString &message) { m_report.faults.append({file, 0, message}); }

    VerifyReport run()
    {
        checkLocalities();
        checkChanges();
        checkZone();
        return m_report;
    }

private:
    void checkLocalities()
    {
        using namespace localityfiles;
        const LoadedFile loc = load(kLocalities, LocalityRecord::kSize);
        checkTexts<LocalityRecord>(loc);
        QList<QByteArray> names, pvOfLocality;
        for (int i = 0; i < loc.count(); ++i) {
            names.append(shortBytes(loc.record(i), LocalityRecord::kLocality));
            pvOfLocality.append(shortBytes(loc.record(i), LocalityRecord::kPv));
        }
        checkSorted(loc, names);
        checkIndex(load(kLocalityIndex, PrefixIndexEntry::kSize), loc, names, 3);

        const LoadedFile capOrder = load(kCapOrder, CapOrderEntry::kSize);
        checkStrings(capOrder, {CapOrderEntry::kCap});
        QList<QByteArray> caps;
        for (int i = 0; i < capOrder.count(); ++i) {
            caps.append(shortBytes(capOrder.record(i), CapOrderEntry::kCap));
            checkRecordNumber(capOrder, i, readRecordNumber(capOrder.record(i) + CapOrderEntry::kLocalityNoOffset), loc);
        }
        checkSorted(capOrder, caps);
        checkIndex(load(kCapIndex, PrefixIndexEntry::kSize), capOrder, caps, 3);

        const LoadedFile pvOrder = load(kPvOrder, PvOrderEntry::kSize);
        QList<QByteArray> pvs;
        for (int i = 0; i < pvOrder.count(); ++i) {
            const int no = readRecordNumber(pvOrder.record(i) + PvOrderEntry::kLocalityNoOffset);
            pvs.append(checkRecordNumber(pvOrder, i, no, loc) ? pvOfLocality.at(no - 1) : QByteArray());
        }
        checkIndex(load(kPvIndex, PrefixIndexEntry::kSize), pvOrder, pvs, 2);

        const LoadedFile provinces = load(kProvinces, ProvinceRecord::kSize);
        checkTexts<ProvinceRecord>(provinces);
    }

    // The changes, when there are some (the windows do without them): texts
    // within their fields, a known kind, in the order of the compiler.
    void checkChanges()
    {
        if (!QFileInfo::exists(m_dir.filePath(changesfile::kChanges))) {
            m_report.lines.append(QStringLiteral("%1: no changes").arg(changesfile::kChanges));
            return;
        }
        const LoadedFile changes = load(changesfile::kChanges, ChangeRecord::kSize);
        checkTexts<ChangeRecord>(changes);
        static constexpr char kinds[] = {ChangeRecord::kCodeChanged, ChangeRecord::kMerged, ChangeRecord::kGeneric,
                                         ChangeRecord::kProvince,    ChangeRecord::kName,   ChangeRecord::kFraction};
        QList<QByteArray> records;
        for (int i = 0; i < changes.count(); ++i) {
            const QByteArray kind = shortBytes(changes.record(i), ChangeRecord::kKind);
            if (kind.size() != 1 || std::find(std::begin(kinds), std::end(kinds), kind.at(0)) == std::end(kinds))
                fault(changes.name, QStringLiteral("record %1: unknown kind").arg(i + 1));
            records.append(QByteArray(changes.record(i), ChangeRecord::kSize));
        }
        checkSorted(changes, records);
    }

    // Every city that has a file in the zone folder, when there is one.
    void checkZone()
    {
        using namespace streetfiles;
        const QDir zone(m_dir.filePath(kZoneFolder));
        if (!zone.exists()) {
            m_report.lines.append(QStringLiteral("%1: no street directory").arg(kZoneFolder));
            return;
        }
        QStringList bases;
        for (const QString &name : zone.entryList({'*' + kStreetsSuffix, '*' + kIndexSuffix, '*' + kNotesSuffix,
                                                   '*' + evidencefile::kSuffix},
                                                  QDir::Files, QDir::Name)) {
            const QString base = QFileInfo(name).completeBaseName();
            if (!bases.contains(base))
                bases.append(base);
        }
        QStringList missing;
        for (const City &city : cityTable)
            if (!bases.contains(city.fileBase.toString()))
                missing.append(city.fileBase.toString());
        for (const QString &base : std::as_const(bases)) {
            if (!cityRowOfFileBase(base))
                fault(kZoneFolder + u'/' + base, QStringLiteral("not a city of the street directory"));
            checkCity(kZoneFolder + u'/' + base);
        }
        m_report.lines.append(QStringLiteral("%1: %2 of %3 cities")
                                  .arg(kZoneFolder)
                                  .arg(cityTable.size() - missing.size())
                                  .arg(cityTable.size()));
        if (!missing.isEmpty())
            m_report.lines.append(QStringLiteral("%1: no files for %2").arg(kZoneFolder, missing.join(u", ")));
    }

    // The street file in street order, every note number inside the notes
    // file, the index consistent with the street file.
    void checkCity(const QString &base)
    {
        using namespace streetfiles;
        const LoadedFile loc = load(base + kStreetsSuffix, StreetRecord::kSize);
        checkTexts<StreetRecord>(loc);
        const LoadedFile civ = load(base + kNotesSuffix, StreetNote::kSize);
        checkTexts<StreetNote>(civ);
        QList<QByteArray> names;
        for (int i = 0; i < loc.count(); ++i) {
            names.append(shortBytes(loc.record(i), StreetRecord::kStreet));
            const int noteNo = readRecordNumber(loc.record(i) + StreetRecord::kNoteNoOffset);
            if (noteNo > 0)
                checkRecordNumber(loc, i, noteNo, civ);
        }
        checkSorted(loc, names);
        checkIndex(load(base + kIndexSuffix, PrefixIndexEntry::kSize), loc, names, kKeyLength);
        checkEvidence(base + evidencefile::kSuffix, loc);
    }

    // The house-number evidence, when the city has it: whole records in
    // order, each naming a street of the street file, with a five-digit code.
    void checkEvidence(const QString &name, const LoadedFile &loc)
    {
        QFile file(m_dir.filePath(name));
        if (!file.exists())
            return;
        if (!file.open(QIODevice::ReadOnly)) {
            fault(name, QStringLiteral("unreadable"));
            return;
        }
        const QByteArray bytes = file.readAll();
        for (const QString &problem : evidenceFileProblems(bytes, loc.present ? loc.count() : -1))
            fault(name, problem);
        m_report.lines.append(
            QStringLiteral("%1: %2 records").arg(name).arg(bytes.size() / EvidenceRecord::kSize));
    }

    static QByteArray shortBytes(const char *record, TextField field)
    {
        const int length = std::min<int>(static_cast<unsigned char>(record[field.offset]), field.capacity);
        return QByteArray(record + field.offset + 1, length);
    }

    QDir m_dir;
    VerifyReport m_report;
};

} // namespace

VerifyReport verifyDataFolder(const QString &folder)
{
    return Verifier(folder).run();
}

} // namespace zelvora::datac

#include "changes_compiler.h"

#include "field_encoder.h"

#include "locality/changes_file.h"

#include <algorithm>

namespace zelvora::datac {

ChangesSource readChangesSource(const QString &csv, QList<Fault> &faults)
{
    return changesSourceFromTable(readCsv(csv, faults), csv, faults);
}

ChangesSource changesSourceFromTable(const CsvTable &table, const QString &file, QList<Fault> &faults)
{
    ChangesSource source;
    source.file = file;
    const QList<qsizetype> c = columns(
        table, {"kind", "locality", "province", "cap", "new_locality", "new_province", "new_cap"}, file, faults);
    for (const CsvRow &row : table.rows) {
        checkFieldCount(table, row, file, faults);
        source.changes.append({field(row, c[0]), field(row, c[1]), field(row, c[2]), field(row, c[3]),
                               field(row, c[4]), field(row, c[5]), field(row, c[6]), row.line});
    }
    return source;
}

DataFiles compileChanges(const ChangesSource &source, QList<Fault> &faults)
{
    const qsizetype faultsBefore = faults.size();
    FieldEncoder enc(faults, source.file);
    QList<QByteArray> records;
    for (const ChangeSource &s : source.changes) {
        QByteArray record(ChangeRecord::kSize, '\0');
        QByteArray kind;
        if (s.kind == u"cap") {
            kind = QByteArray(1, ChangeRecord::kCodeChanged);
            if (!isPostalCode(s.cap) || !isPostalCode(s.newCap))
                enc.fault(s.line, QStringLiteral("a code change needs the old and the new code, five digits each"));
        } else if (s.kind == u"merged") {
            kind = QByteArray(1, ChangeRecord::kMerged);
            if (!s.cap.isEmpty() || !s.newCap.isEmpty())
                enc.fault(s.line, QStringLiteral("a merger has no code"));
            if (s.newLocality.isEmpty() != s.newProvince.isEmpty())
                enc.fault(s.line, QStringLiteral("a merger names the new municipality with its province, or neither"));
        } else {
            enc.fault(s.line, QStringLiteral("unknown kind \"%1\": \"cap\" or \"merged\"").arg(s.kind));
        }
        if (s.locality.isEmpty() || s.province.isEmpty())
            enc.fault(s.line, QStringLiteral("empty locality or province"));
        put(record, ChangeRecord::kKind, kind);
        put(record, ChangeRecord::kLocality,
            enc.encode(s.locality.toUpper(), ChangeRecord::kLocality.capacity, s.line, "locality"));
        put(record, ChangeRecord::kPv, enc.encode(s.province.toUpper(), ChangeRecord::kPv.capacity, s.line, "province"));
        put(record, ChangeRecord::kCap, enc.encode(s.cap, ChangeRecord::kCap.capacity, s.line, "cap"));
        put(record, ChangeRecord::kNewLocality,
            enc.encode(s.newLocality.toUpper(), ChangeRecord::kNewLocality.capacity, s.line, "new_locality"));
        put(record, ChangeRecord::kNewPv,
            enc.encode(s.newProvince.toUpper(), ChangeRecord::kNewPv.capacity, s.line, "new_province"));
        put(record, ChangeRecord::kNewCap, enc.encode(s.newCap, ChangeRecord::kNewCap.capacity, s.line, "new_cap"));
        records.append(record);
    }
    enc.checkCount(changesfile::kChanges, records.size());
    if (faults.size() > faultsBefore)
        return {};
    // The same rows give the same bytes whatever their order in the source.
    std::sort(records.begin(), records.end(), cp1252Less);
    DataFiles files;
    files[changesfile::kChanges] = records.join();
    return files;
}

bool compileChangesFolder(const ChangesSource &source, const QString &folder, QList<Fault> &faults)
{
    const DataFiles files = compileChanges(source, faults);
    if (files.isEmpty())
        return false;
    return writeDataFiles(files, folder, faults);
}

} // namespace zelvora::datac

#include "changes_compiler.h"

#include "field_encoder.h"

#include "common/changes_file.h"

#include <algorithm>

namespace zelvora::datac {

namespace {

bool isYear(const QString &text)
{
    return text.isEmpty() || (text.size() == 4 && std::all_of(text.begin(), text.end(), [](QChar c) {
                                  return c >= u'0' && c <= u'9';
                              }));
}

// What each kind of change must name: its record's kind byte, or a fault.
QByteArray kindOf(const ChangeSource &s, FieldEncoder &enc)
{
    const auto need = [&](bool ok, const char *what) {
        if (!ok)
            enc.fault(s.line, QString::fromLatin1(what));
    };
    const bool codes = s.cap.isEmpty() && s.newCap.isEmpty();
    const bool named = !s.newLocality.isEmpty() && !s.newProvince.isEmpty();
    if (s.kind == u"cap") {
        need(isPostalCode(s.cap) && isPostalCode(s.newCap),
             "a code change needs the old and the new code, five digits each");
        return QByteArray(1, ChangeRecord::kCodeChanged);
    }
    if (s.kind == u"merged") {
        need(codes, "a merger has no code");
        need(s.newLocality.isEmpty() == s.newProvince.isEmpty(),
             "a merger names the new municipality with its province, or neither");
        return QByteArray(1, ChangeRecord::kMerged);
    }
    if (s.kind == u"generic") {
        need(isPostalCode(s.cap) && s.newCap.isEmpty() && s.newLocality.isEmpty(),
             "a catch-all code names its code alone, five digits");
        return QByteArray(1, ChangeRecord::kGeneric);
    }
    if (s.kind == u"province") {
        need(codes && !s.newProvince.isEmpty() && s.newProvince != s.province,
             "a former province names the province of today, and no code");
        return QByteArray(1, ChangeRecord::kProvince);
    }
    if (s.kind == u"name") {
        need(codes && named, "another name names the locality it stands for with its province, and no code");
        return QByteArray(1, ChangeRecord::kName);
    }
    if (s.kind == u"fraction") {
        need(named && s.newCap.isEmpty() && (s.cap.isEmpty() || isPostalCode(s.cap)),
             "a frazione names its municipality with its province, and at most its own code");
        return QByteArray(1, ChangeRecord::kFraction);
    }
    enc.fault(s.line, QStringLiteral("unknown kind \"%1\": \"cap\", \"merged\", \"generic\", \"province\", "
                                     "\"name\" or \"fraction\"")
                          .arg(s.kind));
    return {};
}

QByteArray changeRecord(const ChangeSource &s, FieldEncoder &enc)
{
    QByteArray record(ChangeRecord::kSize, '\0');
    put(record, ChangeRecord::kKind, kindOf(s, enc));
    if (s.locality.isEmpty() || s.province.isEmpty())
        enc.fault(s.line, QStringLiteral("empty locality or province"));
    if (!isYear(s.year))
        enc.fault(s.line, QStringLiteral("the year is four digits, or empty"));
    const auto text = [&](TextField field, const QString &value, const char *column) {
        put(record, field, enc.encode(value, field.capacity, s.line, QString::fromLatin1(column)));
    };
    text(ChangeRecord::kLocality, s.locality.toUpper(), "locality");
    text(ChangeRecord::kPv, s.province.toUpper(), "province");
    text(ChangeRecord::kCap, s.cap, "cap");
    text(ChangeRecord::kNewLocality, s.newLocality.toUpper(), "new_locality");
    text(ChangeRecord::kNewPv, s.newProvince.toUpper(), "new_province");
    text(ChangeRecord::kNewCap, s.newCap, "new_cap");
    text(ChangeRecord::kYear, s.year, "year");
    return record;
}

} // namespace

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
    const qsizetype year = table.header.indexOf(QStringLiteral("year")); // a column the first files lacked
    for (const CsvRow &row : table.rows) {
        checkFieldCount(table, row, file, faults);
        source.changes.append({field(row, c[0]), field(row, c[1]), field(row, c[2]), field(row, c[3]),
                               field(row, c[4]), field(row, c[5]), field(row, c[6]), field(row, year), row.line});
    }
    return source;
}

DataFiles compileChanges(const ChangesSource &source, QList<Fault> &faults)
{
    const qsizetype faultsBefore = faults.size();
    FieldEncoder enc(faults, source.file);
    QList<QByteArray> records = encodeRows(source.changes, enc, changesfile::kChanges, changeRecord);
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
    return writeDataFiles(compileChanges(source, faults), folder, faults);
}

} // namespace zelvora::datac

#include "field_encoder.h"

#include "common/short_string.h"

#include <algorithm>

namespace zelvora::datac {

bool cp1252Less(const QByteArray &a, const QByteArray &b)
{
    // QByteArray compares bytes as unsigned char, which is code page order.
    return a < b;
}

bool isPostalCode(const QString &text)
{
    return text.size() == 5 && std::all_of(text.begin(), text.end(), [](QChar c) {
               return c >= u'0' && c <= u'9';
           });
}

QByteArray FieldEncoder::encode(const QString &value, int capacity, int line, const QString &column)
{
    const std::optional<QByteArray> bytes = encodeCp1252(value);
    if (!bytes) {
        fault(line, QStringLiteral("%1 \"%2\" holds a character that code page 1252 cannot hold").arg(column, value));
        return {};
    }
    if (bytes->size() > capacity) {
        fault(line, QStringLiteral("%1 \"%2\" is %3 characters long; the field holds %4")
                        .arg(column, value)
                        .arg(bytes->size())
                        .arg(capacity));
        return bytes->left(capacity);
    }
    return *bytes;
}

void FieldEncoder::checkCount(const QString &what, qsizetype count)
{
    if (count > kMaxRecordNumber)
        fault(0, QStringLiteral("%1 would hold %2 records; at most %3 can be addressed")
                     .arg(what)
                     .arg(count)
                     .arg(kMaxRecordNumber));
}

void put(QByteArray &record, TextField field, const QByteArray &bytes)
{
    writeShortString(record.data() + field.offset, field.capacity, bytes);
}

QList<qsizetype> columns(const CsvTable &table, const QStringList &wanted, const QString &file,
                         QList<Fault> &faults)
{
    QList<qsizetype> positions;
    for (const QString &name : wanted) {
        const qsizetype at = table.header.indexOf(name);
        if (at < 0 && !table.header.isEmpty())
            faults.append({file, 1, QStringLiteral("missing column \"%1\"").arg(name)});
        positions.append(at);
    }
    return positions;
}

QString field(const CsvRow &row, qsizetype column)
{
    return column >= 0 && column < row.fields.size() ? row.fields.at(column).trimmed() : QString();
}

void checkFieldCount(const CsvTable &table, const CsvRow &row, const QString &file, QList<Fault> &faults)
{
    if (row.fields.size() != table.header.size())
        faults.append({file, row.line,
                       QStringLiteral("%1 fields where the header has %2").arg(row.fields.size()).arg(table.header.size())});
}

} // namespace zelvora::datac

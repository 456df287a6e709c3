#include "csv_reader.h"

#include "common/csv_list.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <cstring>

namespace zelvora::datac {

QString Fault::toString() const
{
    if (line > 0)
        return QStringLiteral("%1:%2: %3").arg(file).arg(line).arg(message);
    if (!file.isEmpty())
        return QStringLiteral("%1: %2").arg(file, message);
    return message;
}

CsvTable readCsv(const QString &path, QList<Fault> &faults)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        faults.append({path, 0, QStringLiteral("cannot read: %1").arg(file.errorString())});
        return {};
    }
    return parseCsv(file.readAll(), path, faults);
}

CsvTable parseCsv(const QByteArray &bytes, const QString &fileName, QList<Fault> &faults)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    (void)QString(utf8.decode(bytes));
    if (utf8.hasError()) {
        faults.append({fileName, 0, QStringLiteral("not valid UTF-8")});
        return {};
    }
    // Carriage returns count for nothing, wherever they are.
    QByteArray text = bytes;
    text.replace('\r', QByteArrayView());
    qsizetype position = 0;
    CsvReader reader(
        [&](char *data, qsizetype size) {
            const qsizetype n = std::min(size, text.size() - position);
            memcpy(data, text.constData() + position, n);
            position += n;
            return n;
        },
        ',', {});
    QList<CsvRow> rows;
    while (const std::optional<CsvRecord> record = reader.next()) {
        if (record->quoteOpen)
            faults.append({fileName, record->line, QStringLiteral("unterminated quoted field")});
        CsvRow row{record->line, {}};
        for (const QByteArray &field : record->fields)
            row.fields << QString::fromUtf8(field);
        // A line of one empty field, quoted or not, is blank.
        if (row.fields.size() > 1 || !row.fields.first().isEmpty())
            rows.append(row);
    }
    CsvTable table;
    if (rows.isEmpty()) {
        faults.append({fileName, 0, QStringLiteral("no header line")});
        return table;
    }
    table.header = rows.takeFirst().fields;
    table.rows = rows;
    return table;
}

} // namespace zelvora::datac

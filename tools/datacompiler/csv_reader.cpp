#include "csv_reader.h"

#include <QFile>
#include <QStringDecoder>

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
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        faults.append({fileName, 0, QStringLiteral("not valid UTF-8")});
        return {};
    }
    if (text.startsWith(QChar(0xfeff)))
        text.remove(0, 1);

    QList<CsvRow> rows;
    CsvRow row;
    QString field;
    bool quoted = false;     // inside a quoted field
    bool fieldStarted = false;
    int line = 1;
    row.line = 1;

    auto endField = [&] {
        row.fields.append(field);
        field.clear();
        fieldStarted = false;
    };
    auto endRow = [&] {
        endField();
        const bool blank = row.fields.size() == 1 && row.fields.first().isEmpty();
        if (!blank)
            rows.append(row);
        row = CsvRow{};
    };

    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text.at(i + 1) == u'"') {
                    field.append(u'"');
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == u'\n')
                    ++line;
                if (c != u'\r')
                    field.append(c);
            }
            continue;
        }
        if (c == u'"' && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else if (c == u',') {
            endField();
        } else if (c == u'\r') {
            // part of a CRLF line end
        } else if (c == u'\n') {
            endRow();
            ++line;
            row.line = line;
        } else {
            field.append(c);
            fieldStarted = true;
        }
    }
    if (quoted)
        faults.append({fileName, row.line, QStringLiteral("unterminated quoted field")});
    if (!field.isEmpty() || !row.fields.isEmpty())
        endRow();

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

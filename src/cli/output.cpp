#include "output.h"

#include <algorithm>

namespace zelvora::cli {

namespace {

void appendCsvField(QString &text, const QString &value, bool code)
{
    // A code is quoted even without special characters, so that spreadsheets
    // that read quoted fields as text keep its leading zeros.
    const bool quote = code || std::any_of(value.begin(), value.end(), [](QChar c) {
        return c == u',' || c == u'"' || c == u'\n' || c == u'\r';
    });
    if (!quote) {
        text += value;
        return;
    }
    text += u'"';
    if (value.contains(u'"'))
        text += QString(value).replace(u'"', QStringLiteral("\"\""));
    else
        text += value;
    text += u'"';
}

} // namespace

QString jsonString(const QString &value)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : value) {
        if (c == u'"' || c == u'\\')
            out += u'\\' + QString(c);
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + u'"';
}

OutputWriter::OutputWriter(OutputFormat format, QList<Column> columns, bool batch)
    : m_format(format), m_columns(std::move(columns)), m_batch(batch)
{
}

QByteArray OutputWriter::begin() const
{
    QStringList fields;
    for (const Column &column : m_columns)
        fields << (m_format == OutputFormat::Csv ? column.key : column.title);
    switch (m_format) {
    case OutputFormat::Csv:
        return fields.join(u',').toUtf8() + "\r\n";
    case OutputFormat::Json:
        return m_batch ? QByteArray() : QByteArray("[");
    case OutputFormat::Aligned:
        break;
    }
    // The title line of aligned output is a row of its own.
    return line(fields);
}

QByteArray OutputWriter::line(const QStringList &values) const
{
    // Built in place: a batch writes a line for every name, and the
    // temporaries of joining strings cost more than finding the name.
    static const QString empty;
    QString text;
    text.reserve(160);
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        const Column &column = m_columns.at(i);
        const QString &value = i < values.size() ? values.at(i) : empty;
        switch (m_format) {
        case OutputFormat::Aligned:
            if (i + 1 < m_columns.size())
                text += value.leftJustified(std::max<int>(column.capacity, column.title.size())) + QStringLiteral("  ");
            else
                text += value;
            break;
        case OutputFormat::Csv:
            if (i)
                text += u',';
            appendCsvField(text, value, column.code);
            break;
        case OutputFormat::Json:
            text += (i ? QStringLiteral(",") : QStringLiteral("{")) + jsonString(column.key) + u':' + jsonString(value);
            break;
        }
    }
    if (m_format == OutputFormat::Aligned) {
        // Empty last columns leave no padding behind.
        while (text.endsWith(u' '))
            text.chop(1);
        text += u'\n';
        return text.toUtf8();
    }
    if (m_format == OutputFormat::Csv) {
        text += QLatin1StringView("\r\n");
        return text.toUtf8();
    }
    return (text + u'}').toUtf8();
}

QByteArray OutputWriter::row(const QStringList &values)
{
    if (m_format != OutputFormat::Json)
        return line(values);
    if (m_batch)
        return line(values) + '\n';
    // Inside the array, one object per line.
    return (m_rows++ ? QByteArray(",\n") : QByteArray("\n")) + line(values);
}

QByteArray OutputWriter::end() const
{
    if (m_format != OutputFormat::Json || m_batch)
        return {};
    return m_rows ? QByteArray("\n]\n") : QByteArray("]\n");
}

} // namespace zelvora::cli

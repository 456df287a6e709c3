#pragma once

#include "cli/lookup.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace zelvora::cli {

// A text as a JSON string, quotes included.
QString jsonString(const QString &value);

enum class OutputFormat {
    Aligned, // columns as wide as their fields, under a title line
    Csv,     // RFC 4180: a header line, CRLF line ends, codes always quoted
    Json,    // an array of objects; in a batch, one object per line
};

// Turns result rows into UTF-8 output lines. Every line is complete on its
// own, so a batch can write each result as soon as it has it.
class OutputWriter
{
public:
    OutputWriter(OutputFormat format, QList<Column> columns, bool batch);

    QByteArray begin() const;
    QByteArray row(const QStringList &values);
    QByteArray end() const;

private:
    QByteArray line(const QStringList &values) const;

    OutputFormat m_format;
    QList<Column> m_columns;
    bool m_batch;
    int m_rows = 0;
};

} // namespace zelvora::cli

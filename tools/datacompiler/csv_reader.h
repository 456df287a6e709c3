#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace zelvora::datac {

// A fault in a source or data file, with the place it was found.
struct Fault
{
    QString file;
    int line = 0; // 0 when the fault is not tied to a line
    QString message;

    QString toString() const;
};

struct CsvRow
{
    int line = 0; // line number of the row's first line in the file
    QStringList fields;
};

struct CsvTable
{
    QStringList header;
    QList<CsvRow> rows;
};

// Reads a UTF-8 CSV file (RFC 4180: comma separated, fields in double quotes
// may hold commas, doubled quotes and line breaks). Empty lines are skipped.
// The first row is the header. Faults are appended to `faults`.
CsvTable readCsv(const QString &path, QList<Fault> &faults);
CsvTable parseCsv(const QByteArray &bytes, const QString &fileName, QList<Fault> &faults);

} // namespace zelvora::datac

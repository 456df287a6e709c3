#pragma once

#include "csv_reader.h"

#include "common/record_layout.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace zelvora::datac {

// Byte-order comparison of code page 1252 text, the order of every data file.
bool cp1252Less(const QByteArray &a, const QByteArray &b);

// Five digits, nothing else.
bool isPostalCode(const QString &text);

// Encodes source text into fields, collecting every fault with its file and
// line: a character code page 1252 cannot hold, a text longer than its field.
class FieldEncoder
{
public:
    FieldEncoder(QList<Fault> &faults, QString file) : m_faults(faults), m_file(std::move(file)) {}

    // The field's bytes; on a fault the fault is listed and the text cut to fit.
    QByteArray encode(const QString &value, int capacity, int line, const QString &column);

    void fault(int line, const QString &message) { m_faults.append({m_file, line, message}); }

    // A file of `count` records whose numbers are stored in 16 bits.
    void checkCount(const QString &what, qsizetype count);

private:
    QList<Fault> &m_faults;
    QString m_file;
};

// Each source row encoded by `encode(row, enc)`, in the order of the rows;
// `file`, which holds one record a row, must be able to number them.
template <typename Row, typename Encode>
auto encodeRows(const QList<Row> &rows, FieldEncoder &enc, const QString &file, Encode encode)
{
    QList<decltype(encode(rows.first(), enc))> encoded;
    for (const Row &row : rows)
        encoded.append(encode(row, enc));
    enc.checkCount(file, encoded.size());
    return encoded;
}

// Writes `bytes` as the short string `field` of `record`.
void put(QByteArray &record, TextField field, const QByteArray &bytes);

// The columns of a source table: where each wanted name stands in the header
// (-1 when missing, which is a fault on line 1), whatever their order.
QList<qsizetype> columns(const CsvTable &table, const QStringList &wanted, const QString &file,
                         QList<Fault> &faults);
// The trimmed text of a column of a row; empty when the column is missing.
QString field(const CsvRow &row, qsizetype column);
// A row must have as many fields as the header.
void checkFieldCount(const CsvTable &table, const CsvRow &row, const QString &file, QList<Fault> &faults);

} // namespace zelvora::datac

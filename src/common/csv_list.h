#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace zelvora {

// The two encodings of the lists spreadsheets write.
enum class ListEncoding { Utf8, Windows1252 };

// Whether `bytes` are UTF-8 throughout (a sequence cut at the end counts as
// UTF-8: the rest may follow).
bool isUtf8(QByteArrayView bytes);

// The separator of a list, from its header line: the one of ';', ',' and tab
// found most often outside quotes (';' when none is, as Italian spreadsheets
// write).
char detectSeparator(QByteArrayView headerLine);

// One record of a CSV list (RFC 4180: fields in double quotes may hold the
// separator, doubled quotes and line breaks).
struct CsvRecord
{
    QByteArray raw;        // the record's bytes as read, without its line end
    QList<QByteArray> fields;
    QString error;         // why the record cannot be read, empty when it can
    int line = 0;          // the line it starts on, from 1
};

// Reads the records of a list, from input that comes in pieces (a file or a
// pipe) and is never held whole. A record whose quotes are never closed ends
// at its first line, and reading goes on at the next line.
class CsvListReader
{
public:
    // `read` fills at most `size` bytes and returns how many, 0 at the end.
    explicit CsvListReader(std::function<qsizetype(char *, qsizetype)> read);

    void setSeparator(char separator) { m_separator = separator; }
    // The first line of the input, without its line end and without a UTF-8
    // byte order mark, which bom() then reports; read before any record.
    QByteArray peekFirstLine();
    bool bom() const { return m_bom; }
    // Whether the first line ended with CR LF.
    bool crlf() const { return m_crlf; }

    // The next record; nothing at the end of the input. Empty lines are
    // skipped.
    std::optional<CsvRecord> next();

    // Fields longer than this make their record invalid.
    static constexpr qsizetype kLongestField = 1000;
    // A record longer than this is taken as one whose quotes were never closed.
    static constexpr qsizetype kLongestRecord = 65536;

private:
    bool fill();

    std::function<qsizetype(char *, qsizetype)> m_read;
    QByteArray m_buffer;
    qsizetype m_position = 0;
    bool m_ended = false;
    bool m_started = false;
    bool m_bom = false;
    bool m_crlf = false;
    char m_separator = ';';
    int m_line = 1;
};

// Writes one field as the list writes its fields: in quotes when it holds the
// separator, a quote or a line break.
QByteArray csvQuote(const QByteArray &field, char separator);

} // namespace zelvora

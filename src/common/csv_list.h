#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace zelvora {

// The two encodings of the lists spreadsheets write.
enum class ListEncoding { Utf8, Windows1252 };

// The separator of a list, from its header line: the one of ';', ',' and tab
// found most often outside quotes (';' when none is, as Italian spreadsheets
// write).
char detectSeparator(QByteArrayView headerLine);

// One record of a CSV file (RFC 4180: fields in double quotes may hold the
// separator, doubled quotes and line breaks).
struct CsvRecord
{
    QByteArray raw; // the record's bytes as read, without its line end; cut at the record limit
    QList<QByteArray> fields; // none when the record cannot be taken apart
    QString error;  // why the record cannot be read, empty when it can
    int line = 0;   // the line it starts on, from 1
    bool quoteOpen = false; // a quote was never closed
};

// Reads the records of a CSV file from input that comes in pieces (a file or
// a pipe), in time linear in its size. Empty lines are skipped. A quote opens
// a field only at the field's start; text after a closing quote stays in the
// field and makes the record invalid.
//
// With limits (a list to check), the reader keeps at most the record limit of
// input: a field longer than the field limit is not kept whole and makes its
// record invalid; a record whose quotes are still open at the record limit or
// at the end of the input ends at the line where its last quote opened, and
// reading goes on at the next line; any other record longer than the limit
// ends at the end of its line. Without limits (the data sources, read whole),
// a quote never closed runs to the end of the input.
class CsvReader
{
public:
    struct Limits
    {
        qsizetype field = 0;  // 0: none
        qsizetype record = 0; // 0: none
    };
    static constexpr Limits kListLimits{1000, 65536};

    // `read` fills at most `size` bytes and returns how many, 0 at the end.
    CsvReader(std::function<qsizetype(char *, qsizetype)> read, char separator, Limits limits);

    void setSeparator(char separator) { m_separator = separator; }
    // The first line of the input, without its line end and without a UTF-8
    // byte order mark, which bom() then reports; read before any record.
    QByteArray peekFirstLine();
    bool bom() const { return m_bom; }
    // Whether the first line ended with CR LF.
    bool crlf() const { return m_crlf; }

    std::optional<CsvRecord> next();
    // The next line as it is, quotes and all, without its line end; empty
    // lines too. A line longer than the record limit is cut there, with an
    // error, and reading goes on at the next line.
    std::optional<CsvRecord> nextLine();

private:
    enum class Scan { FieldStart, Unquoted, Quoted, QuoteInQuoted };
    void start();
    bool fill();
    void skipLine();
    qsizetype scan();
    CsvRecord take(qsizetype end, qsizetype resume);
    CsvRecord takeUnclosed(qsizetype end);
    void split(CsvRecord &record) const;

    std::function<qsizetype(char *, qsizetype)> m_read;
    char m_separator;
    Limits m_limits;
    QByteArray m_buffer;     // the input read and not yet dropped
    qsizetype m_start = 0;   // where the current record starts in it
    qsizetype m_scanned = 0; // how far the current record has been scanned
    Scan m_scan = Scan::FieldStart;
    qsizetype m_quoteLineEnd = -1; // the first line end after the quote last opened
    bool m_skipping = false; // the rest of a line cut at the record limit is dropped
    bool m_ended = false;
    bool m_started = false;
    bool m_bom = false;
    bool m_crlf = false;
    int m_line = 1;
};

// Writes one field as the list writes its fields: in quotes when it holds the
// separator, a quote or a line break.
QByteArray csvQuote(const QByteArray &field, char separator);

} // namespace zelvora

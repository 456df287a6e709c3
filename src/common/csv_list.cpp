#include "csv_list.h"

#include <algorithm>
#include <cstring>

namespace zelvora {

char detectSeparator(QByteArrayView headerLine)
{
    int semicolons = 0;
    int commas = 0;
    int tabs = 0;
    bool quoted = false;
    for (const char c : headerLine) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == ';')
            ++semicolons;
        else if (!quoted && c == ',')
            ++commas;
        else if (!quoted && c == '\t')
            ++tabs;
    }
    if (tabs > semicolons && tabs > commas)
        return '\t';
    if (commas > semicolons)
        return ',';
    return ';';
}

CsvReader::CsvReader(std::function<qsizetype(char *, qsizetype)> read, char separator, Limits limits)
    : m_read(std::move(read)), m_separator(separator), m_limits(limits)
{
}

bool CsvReader::fill()
{
    if (m_ended)
        return false;
    // What is taken goes, once for every piece read: the record being read
    // moves to the front.
    if (m_start > 0) {
        m_buffer.remove(0, m_start);
        m_scanned -= m_start;
        if (m_quoteLineEnd >= 0)
            m_quoteLineEnd -= m_start;
        m_start = 0;
    }
    // Pieces as large as what is kept, so that a long record is moved a
    // bounded number of times per byte.
    const qsizetype before = m_buffer.size();
    const qsizetype piece = std::max<qsizetype>(65536, before);
    m_buffer.resize(before + piece);
    const qsizetype got = m_read(m_buffer.data() + before, piece);
    m_buffer.resize(before + std::max<qsizetype>(got, 0));
    m_ended = got <= 0;
    return got > 0;
}

void CsvReader::start()
{
    if (m_started)
        return;
    m_started = true;
    while (m_buffer.size() < 3 && fill()) {
    }
    if (m_buffer.startsWith("\xEF\xBB\xBF")) {
        m_bom = true;
        m_start = m_scanned = 3;
    }
}

QByteArray CsvReader::peekFirstLine()
{
    start();
    for (;;) {
        const qsizetype end = m_buffer.indexOf('\n', m_start);
        const qsizetype kept = (end >= 0 ? end : m_buffer.size()) - m_start;
        if (end >= 0 || (m_limits.record && kept >= m_limits.record) || !fill()) {
            QByteArray line = m_buffer.mid(m_start, m_limits.record ? std::min(kept, m_limits.record) : kept);
            m_crlf = end >= 0 && line.endsWith('\r');
            if (line.endsWith('\r'))
                line.chop(1);
            return line;
        }
    }
}

void CsvReader::skipLine()
{
    while (m_skipping) {
        const qsizetype end = m_buffer.indexOf('\n', m_start);
        m_start = m_scanned = end >= 0 ? end + 1 : m_buffer.size();
        if (end >= 0)
            ++m_line;
        m_skipping = end < 0 && fill();
    }
}

CsvRecord CsvReader::take(qsizetype end, qsizetype resume)
{
    CsvRecord record;
    record.line = m_line;
    qsizetype rawEnd = end;
    if (rawEnd > m_start && m_buffer.at(rawEnd - 1) == '\r')
        --rawEnd;
    record.raw = m_buffer.mid(m_start, rawEnd - m_start);
    m_line += static_cast<int>(std::count(m_buffer.cbegin() + m_start, m_buffer.cbegin() + resume, '\n'));
    m_start = m_scanned = resume;
    m_scan = Scan::FieldStart;
    m_quoteLineEnd = -1;
    return record;
}

CsvRecord CsvReader::takeUnclosed(qsizetype end)
{
    // With limits, the record ends at the line where its quote opened; the
    // scan goes on after it, where that quote counted for nothing.
    CsvRecord record;
    if (m_limits.record && m_quoteLineEnd >= 0) {
        record = take(m_quoteLineEnd, m_quoteLineEnd + 1);
    } else {
        record = take(end, m_scanned);
        m_skipping = m_limits.record; // the rest of its line
        if (!m_limits.record)
            split(record);
    }
    record.error = QStringLiteral("virgolette non chiuse");
    record.quoteOpen = true;
    return record;
}

void CsvReader::split(CsvRecord &record) const
{
    const QByteArray &raw = record.raw;
    const char *data = raw.constData();
    const qsizetype end = raw.size();
    const auto nextSeparator = [&](qsizetype from) {
        const void *at = memchr(data + from, m_separator, end - from);
        return at ? static_cast<const char *>(at) - data : end;
    };
    qsizetype i = 0;
    for (;;) {
        QByteArray field;
        qsizetype stop;
        if (i < end && data[i] == '"') {
            // A quoted field: the pieces between quotes, a doubled quote
            // standing for one; a quote never closed runs to the end.
            qsizetype at = i + 1;
            for (;;) {
                const void *quote = memchr(data + at, '"', end - at);
                const qsizetype q = quote ? static_cast<const char *>(quote) - data : end;
                field.append(data + at, q - at);
                at = std::min(q + 1, end);
                if (q + 1 >= end || data[q + 1] != '"')
                    break;
                field += '"';
                ++at;
            }
            stop = nextSeparator(at);
            if (stop > at) {
                if (record.error.isEmpty())
                    record.error = QStringLiteral("virgolette non bilanciate");
                field.append(data + at, stop - at);
            }
        } else {
            stop = nextSeparator(i);
            field = QByteArray(data + i, stop - i);
        }
        if (m_limits.field && field.size() > m_limits.field) {
            if (record.error.isEmpty())
                record.error =
                    QStringLiteral("campo troppo lungo (%1 byte, al massimo %2)").arg(field.size()).arg(m_limits.field);
            field.truncate(m_limits.field);
        }
        record.fields << std::move(field);
        if (stop >= end)
            return;
        i = stop + 1;
    }
}

qsizetype CsvReader::scan()
{
    // Up to one byte past the record limit: a record that long is too long.
    const char *data = m_buffer.constData();
    const qsizetype size =
        m_limits.record ? std::min(m_buffer.size(), m_start + m_limits.record + 1) : m_buffer.size();
    qsizetype i = m_scanned;
    qsizetype end = -1;
    while (i < size && end < 0) {
        const char c = data[i];
        switch (m_scan) {
        case Scan::FieldStart:
            if (c == '"') {
                m_scan = Scan::Quoted;
                m_quoteLineEnd = -1;
                ++i;
                break;
            }
            m_scan = Scan::Unquoted;
            [[fallthrough]];
        case Scan::Unquoted:
            if (c == '\n')
                end = i;
            else if (c == m_separator)
                m_scan = Scan::FieldStart;
            ++i;
            break;
        case Scan::Quoted: {
            const void *quote = memchr(data + i, '"', size - i);
            const qsizetype q = quote ? static_cast<const char *>(quote) - data : size;
            if (m_quoteLineEnd < 0)
                if (const void *line = memchr(data + i, '\n', q - i))
                    m_quoteLineEnd = static_cast<const char *>(line) - data;
            if (quote)
                m_scan = Scan::QuoteInQuoted;
            i = quote ? q + 1 : size;
            break;
        }
        case Scan::QuoteInQuoted:
            // A doubled quote, or the closing one: then as if unquoted.
            m_scan = c == '"' ? Scan::Quoted : Scan::Unquoted;
            i += c == '"';
            break;
        }
    }
    m_scanned = i;
    return end;
}

std::optional<CsvRecord> CsvReader::next()
{
    start();
    for (;;) {
        skipLine();
        const qsizetype end = scan();
        const bool open = m_scan == Scan::Quoted || m_scan == Scan::QuoteInQuoted;
        CsvRecord record;
        if (end >= 0) {
            record = take(end, end + 1);
            split(record);
        } else if (m_limits.record && m_scanned - m_start > m_limits.record) {
            if (open)
                return takeUnclosed(m_start + m_limits.record);
            record = take(m_start + m_limits.record, m_scanned);
            m_skipping = true; // the rest of its line
            record.error = QStringLiteral("riga troppo lunga (oltre %1 byte)").arg(m_limits.record);
            return record;
        } else if (fill()) {
            continue;
        } else if (m_start >= m_buffer.size()) {
            return std::nullopt;
        } else if (m_scan == Scan::Quoted) {
            return takeUnclosed(m_buffer.size());
        } else {
            record = take(m_buffer.size(), m_buffer.size());
            split(record);
        }
        if (!record.raw.isEmpty())
            return record; // an empty line is no record
    }
}

std::optional<CsvRecord> CsvReader::nextLine()
{
    start();
    skipLine();
    for (;;) {
        const qsizetype end = m_buffer.indexOf('\n', m_scanned);
        if (end >= 0 && (!m_limits.record || end - m_start <= m_limits.record))
            return take(end, end + 1);
        m_scanned = m_buffer.size();
        if (m_limits.record && m_buffer.size() - m_start > m_limits.record) {
            const qsizetype cut = m_start + m_limits.record;
            CsvRecord record = take(cut, cut);
            m_skipping = true;
            record.error = QStringLiteral("riga troppo lunga (oltre %1 byte)").arg(m_limits.record);
            return record;
        }
        if (fill())
            continue;
        if (m_start >= m_buffer.size())
            return std::nullopt;
        return take(m_buffer.size(), m_buffer.size());
    }
}

QByteArray csvQuote(const QByteArray &field, char separator)
{
    if (!field.contains(separator) && !field.contains('"') && !field.contains('\n') && !field.contains('\r'))
        return field;
    QByteArray quoted = field;
    quoted.replace("\"", "\"\"");
    return '"' + quoted + '"';
}

} // namespace zelvora

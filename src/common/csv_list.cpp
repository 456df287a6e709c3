#include "csv_list.h"

#include <QStringDecoder>

namespace zelvora {

bool isUtf8(QByteArrayView bytes)
{
    qsizetype i = 0;
    const qsizetype n = bytes.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        unsigned min = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            min = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            min = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            min = 0x10000;
        } else {
            return false;
        }
        unsigned value = c & (0xFF >> (length + 1));
        for (int k = 1; k < length; ++k) {
            if (i + k >= n)
                return true; // cut at the end of the piece
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            value = (value << 6) | (next & 0x3F);
        }
        if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

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

CsvListReader::CsvListReader(std::function<qsizetype(char *, qsizetype)> read) : m_read(std::move(read)) {}

bool CsvListReader::fill()
{
    if (m_ended)
        return false;
    if (m_position > 0) {
        m_buffer.remove(0, m_position);
        m_position = 0;
    }
    const qsizetype before = m_buffer.size();
    m_buffer.resize(before + 65536);
    const qsizetype got = m_read(m_buffer.data() + before, 65536);
    m_buffer.resize(before + std::max<qsizetype>(got, 0));
    if (got <= 0)
        m_ended = true;
    return got > 0;
}

QByteArray CsvListReader::peekFirstLine()
{
    if (!m_started) {
        m_started = true;
        while (m_buffer.size() < 3 && fill()) {
        }
        if (m_buffer.startsWith("\xEF\xBB\xBF")) {
            m_bom = true;
            m_position = 3;
        }
    }
    for (;;) {
        const qsizetype end = m_buffer.indexOf('\n', m_position);
        if (end >= 0) {
            QByteArray line = m_buffer.mid(m_position, end - m_position);
            m_crlf = line.endsWith('\r');
            if (m_crlf)
                line.chop(1);
            return line;
        }
        if (m_buffer.size() - m_position > kLongestRecord || !fill())
            return m_buffer.mid(m_position, kLongestRecord);
    }
}

std::optional<CsvRecord> CsvListReader::next()
{
    peekFirstLine();
    for (;;) {
        // Parse one record from the buffer; when the buffer ends before the
        // record does, read more and parse it again from its start.
        CsvRecord record;
        record.line = m_line;
        const char *data = m_buffer.constData();
        const qsizetype size = m_buffer.size();
        qsizetype i = m_position;
        int lines = 0;
        enum { Incomplete, Complete, Unclosed } state = Incomplete;
        const auto addField = [&](QByteArray field) {
            if (field.size() > kLongestField && record.error.isEmpty())
                record.error = QStringLiteral("campo troppo lungo (%1 byte, al massimo %2)")
                                   .arg(field.size())
                                   .arg(kLongestField);
            record.fields << std::move(field);
        };
        while (state == Incomplete) {
            QByteArray field;
            if (i < size && data[i] == '"') {
                // A quoted field: pieces up to each quote, a doubled quote
                // standing for one.
                qsizetype at = i + 1;
                bool closed = false;
                while (at < size) {
                    const char *quote = static_cast<const char *>(memchr(data + at, '"', size - at));
                    const qsizetype q = quote ? quote - data : size;
                    for (qsizetype k = at; k < q; ++k)
                        lines += data[k] == '\n';
                    field.append(data + at, q - at);
                    if (!quote || (q + 1 >= size && !m_ended)) {
                        at = size; // more input needed (a doubled quote may follow)
                        break;
                    }
                    if (q + 1 < size && data[q + 1] == '"') {
                        field += '"';
                        at = q + 2;
                        continue;
                    }
                    closed = true;
                    at = q + 1;
                    break;
                }
                if (!closed) {
                    if (at - m_position > kLongestRecord || (m_ended && at >= size))
                        state = Unclosed;
                    break;
                }
                i = at;
                // After the closing quote: the separator or the line's end.
                qsizetype end = i;
                while (end < size && data[end] != m_separator && data[end] != '\n')
                    ++end;
                if (end == size && !m_ended)
                    break;
                const QByteArray after = QByteArray(data + i, end - i);
                if (!after.isEmpty() && after != "\r") {
                    if (record.error.isEmpty())
                        record.error = QStringLiteral("virgolette non bilanciate");
                    field += after.endsWith('\r') ? after.chopped(1) : after;
                }
                i = end;
            } else {
                qsizetype end = i;
                while (end < size && data[end] != m_separator && data[end] != '\n')
                    ++end;
                if (end == size && !m_ended)
                    break;
                qsizetype stop = end;
                if ((end == size || data[end] == '\n') && stop > i && data[stop - 1] == '\r')
                    --stop;
                field = QByteArray(data + i, stop - i);
                i = end;
            }
            addField(std::move(field));
            if (i >= size) {
                state = Complete; // the end of the input ends the last record
            } else if (data[i] == '\n') {
                ++i;
                state = Complete;
            } else {
                ++i; // the separator
                if (i >= size && !m_ended)
                    break;
                if (i >= size)
                    addField({}), state = Complete;
            }
        }
        if (state == Incomplete) {
            if (fill())
                continue;
            if (m_position >= m_buffer.size())
                return std::nullopt;
            if (!m_ended)
                continue;
            continue; // parse again, now that the input has ended
        }
        if (state == Unclosed) {
            // The record ends at its first line; reading goes on after it.
            const qsizetype end = m_buffer.indexOf('\n', m_position);
            const qsizetype stop = end >= 0 ? end : m_buffer.size();
            record.raw = m_buffer.mid(m_position, stop - m_position);
            if (record.raw.endsWith('\r'))
                record.raw.chop(1);
            record.fields.clear();
            record.error = QStringLiteral("virgolette non chiuse");
            m_position = end >= 0 ? end + 1 : m_buffer.size();
            ++m_line;
            return record;
        }
        qsizetype rawEnd = i;
        if (rawEnd > m_position && data[rawEnd - 1] == '\n')
            --rawEnd;
        if (rawEnd > m_position && data[rawEnd - 1] == '\r')
            --rawEnd;
        record.raw = m_buffer.mid(m_position, rawEnd - m_position);
        m_position = i;
        m_line += lines + 1;
        if (record.raw.isEmpty()) {
            if (m_position >= m_buffer.size() && m_ended)
                return std::nullopt;
            continue; // an empty line is no record
        }
        return record;
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

#include "csv_list.h"

#include <QStringDecoder>

namespace zelvora::cli {

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
        bool complete = false;
        bool unclosed = false;
        QByteArray field;
        bool fieldQuoted = false;
        bool afterQuote = false;
        bool inQuotes = false;
        const auto endField = [&] {
            if (field.size() > kLongestField && record.error.isEmpty())
                record.error = QStringLiteral("campo troppo lungo (%1 byte, al massimo %2)")
                                   .arg(field.size())
                                   .arg(kLongestField);
            record.fields << field;
            field.clear();
            fieldQuoted = false;
            afterQuote = false;
        };
        while (i < size) {
            const char c = data[i];
            if (inQuotes) {
                if (c == '"') {
                    if (i + 1 >= size && !m_ended)
                        break; // a doubled quote may follow
                    if (i + 1 < size && data[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    inQuotes = false;
                    afterQuote = true;
                    ++i;
                    continue;
                }
                if (c == '\n')
                    ++lines;
                field += c;
                ++i;
                if (i - m_position > kLongestRecord) {
                    unclosed = true;
                    break;
                }
                continue;
            }
            if (c == '\n') {
                if (!field.isEmpty() && field.endsWith('\r') && !afterQuote)
                    field.chop(1);
                endField();
                complete = true;
                ++i;
                break;
            }
            if (c == m_separator) {
                endField();
                ++i;
                continue;
            }
            if (c == '"' && field.isEmpty() && !fieldQuoted && !afterQuote) {
                inQuotes = true;
                fieldQuoted = true;
                ++i;
                continue;
            }
            if (afterQuote && c != '\r' && record.error.isEmpty())
                record.error = QStringLiteral("virgolette non bilanciate");
            if (!(afterQuote && c == '\r'))
                field += c;
            ++i;
        }
        if (!complete && !unclosed) {
            if (fill())
                continue;
            // The end of the input ends the last record.
            if (i < m_position || (m_position >= size))
                return std::nullopt;
            if (inQuotes) {
                unclosed = true;
            } else {
                if (field.endsWith('\r'))
                    field.chop(1);
                endField();
                complete = true;
            }
        }
        if (unclosed) {
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
        if (record.raw.isEmpty())
            continue; // an empty line is no record
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

} // namespace zelvora::cli

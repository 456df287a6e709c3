// The first table of an OpenDocument spreadsheet (.ods): content.xml, its
// rows and cells as LibreOffice shows them (the cell's paragraphs), rows and
// cells written once with a repeat count.
#include "workbook_parts.h"

namespace zelvora::workbook {

namespace {

const QString kTable = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString kText = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString kOffice = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");

QString attributeOf(const QXmlStreamReader &xml, const QString &ns, const QString &name)
{
    return xml.attributes().value(ns, name).toString();
}

int repeatOf(const QXmlStreamReader &xml, const QString &name)
{
    const QString value = attributeOf(xml, kTable, name);
    return value.isEmpty() ? 1 : std::max(1, value.toInt());
}

class OdsFormat : public WorkbookReader::Format
{
public:
    using Format::Format;

    bool open() override
    {
        if (!openPart(m_content, m_xml, QStringLiteral("content.xml"),
                      QStringLiteral("non è un foglio di calcolo .ods (manca content.xml)")))
            return false;
        m_xml.setNamespaceProcessing(true);
        return true;
    }

    std::optional<WorkbookRow> next() override
    {
        if (!error.isEmpty())
            return std::nullopt;
        if (m_repeats > 0) {
            --m_repeats;
            return repeated();
        }
        while (!m_xml.atEnd() && !m_tableEnded) {
            const auto token = m_xml.readNext();
            if (token == QXmlStreamReader::EndElement && m_inTable && m_xml.name() == u"table"
                && m_xml.namespaceUri() == kTable) {
                m_tableEnded = true;
            } else if (token == QXmlStreamReader::StartElement && m_xml.namespaceUri() == kTable) {
                if (m_xml.name() == u"table")
                    m_inTable = true;
                else if (m_inTable && m_xml.name() == u"table-row")
                    if (std::optional<WorkbookRow> row = readRow())
                        return row;
            }
            if (!error.isEmpty())
                return std::nullopt;
        }
        return endOfTable();
    }

private:
    std::optional<WorkbookRow> endOfTable()
    {
        endOfPart(*m_content, m_xml); // a content cut short says so, not that it has no table
        return m_inTable ? std::nullopt : fail(QStringLiteral("il foglio di calcolo non ha tabelle"));
    }

    // A row (its repeats counted); nothing when it holds no text.
    std::optional<WorkbookRow> readRow()
    {
        const int repeat = repeatOf(m_xml, QStringLiteral("number-rows-repeated"));
        WorkbookRow row;
        row.line = m_line + 1;
        int column = 0;
        int pendingEmpty = 0; // empty cells written before, placed once a text follows
        while (m_xml.readNextStartElement()) {
            if (m_xml.namespaceUri() != kTable
                || (m_xml.name() != u"table-cell" && m_xml.name() != u"covered-table-cell")) {
                m_xml.skipCurrentElement();
                continue;
            }
            const int cells = repeatOf(m_xml, QStringLiteral("number-columns-repeated"));
            const QString text = readCell();
            if (text.isEmpty()) {
                pendingEmpty = static_cast<int>(std::min<qint64>(qint64(pendingEmpty) + cells, WorkbookReader::kMaxColumns));
                continue;
            }
            column += pendingEmpty;
            pendingEmpty = 0;
            for (int c = 0; c < cells && column <= WorkbookReader::kMaxColumns; ++c)
                putCell(row, column++, text);
        }
        if (m_xml.hasError())
            return std::nullopt; // a row cut short is not a row
        if (qint64(m_line) + repeat > WorkbookReader::kMaxRows && hasText(row))
            return fail(QStringLiteral("il foglio ha più di %1 righe").arg(WorkbookReader::kMaxRows));
        m_line = static_cast<int>(std::min<qint64>(qint64(m_line) + repeat, WorkbookReader::kMaxRows + 1));
        if (!hasText(row))
            return std::nullopt;
        m_repeats = repeat - 1;
        m_last = row;
        return row;
    }

    // The copies of a row written once with a repeat count.
    WorkbookRow repeated()
    {
        WorkbookRow row = m_last;
        row.line = m_line - m_repeats;
        return row;
    }

    // A cell's text: its paragraphs, one a line; without any, its value.
    QString readCell()
    {
        const QString value = attributeOf(m_xml, kOffice, QStringLiteral("value"));
        const QString date = attributeOf(m_xml, kOffice, QStringLiteral("date-value"));
        const QString flag = attributeOf(m_xml, kOffice, QStringLiteral("boolean-value"));
        QStringList paragraphs;
        while (m_xml.readNextStartElement()) {
            if (m_xml.namespaceUri() == kText && (m_xml.name() == u"p" || m_xml.name() == u"h"))
                paragraphs << readParagraph();
            else
                m_xml.skipCurrentElement(); // notes, drawings, nested tables
        }
        if (!paragraphs.isEmpty())
            return paragraphs.join(u'\n');
        if (!date.isEmpty())
            return date;
        if (!flag.isEmpty())
            return flag == u"true" ? QStringLiteral("VERO") : QStringLiteral("FALSO");
        return value;
    }

    // A paragraph's text with its spans and links, spaces (<text:s
    // text:c="n"/>), tabs and line breaks; notes inside it are left out. Kept
    // up to one character over the field limit.
    QString readParagraph()
    {
        QString text;
        int depth = 1;
        while (depth > 0 && !m_xml.atEnd()) {
            const auto token = m_xml.readNext();
            if (token == QXmlStreamReader::Characters) {
                text += m_xml.text();
            } else if (token == QXmlStreamReader::EndElement) {
                --depth;
            } else if (token == QXmlStreamReader::StartElement) {
                if (m_xml.namespaceUri() == kOffice && m_xml.name() == u"annotation") {
                    m_xml.skipCurrentElement();
                    continue;
                }
                if (m_xml.name() == u"s")
                    text += QString(std::clamp(attributeOf(m_xml, kText, QStringLiteral("c")).toInt(), 1, WorkbookReader::kLongestField + 1), u' ');
                else if (m_xml.name() == u"tab")
                    text += u'\t';
                else if (m_xml.name() == u"line-break")
                    text += u'\n';
                ++depth;
            }
            if (text.size() > WorkbookReader::kLongestField)
                text.truncate(WorkbookReader::kLongestField + 1);
        }
        return text;
    }

    std::unique_ptr<Part> m_content;
    QXmlStreamReader m_xml;
    WorkbookRow m_last;
    int m_repeats = 0;
    int m_line = 0;
    bool m_inTable = false;
    bool m_tableEnded = false;
};

} // namespace

std::unique_ptr<WorkbookReader::Format> odsFormat(QIODevice *device, WorkbookReader::Limits limits)
{
    return std::make_unique<OdsFormat>(device, limits);
}

} // namespace zelvora::workbook

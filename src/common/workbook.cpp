#include "workbook.h"

#include "workbook_parts.h"

#include <QDate>
#include <QHash>
#include <QSet>
#include <QXmlStreamReader>
#include <cmath>

namespace zelvora {

std::optional<WorkbookFormat> workbookFormatOf(const QString &fileName)
{
    if (fileName.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive))
        return WorkbookFormat::Xlsx;
    if (fileName.endsWith(QStringLiteral(".ods"), Qt::CaseInsensitive))
        return WorkbookFormat::Ods;
    return std::nullopt;
}

namespace {

using workbook::Archive;
using workbook::attribute;
using workbook::Part;

// "AB12" -> 27 (columns from 0); -1 when the reference has no letters.
int columnOf(QStringView reference)
{
    int column = 0;
    int letters = 0;
    for (const QChar c : reference) {
        if (c < u'A' || c > u'Z')
            break;
        column = column * 26 + (c.unicode() - 'A' + 1);
        if (++letters > 3)
            return WorkbookReader::kMaxColumns;
    }
    return letters ? column - 1 : -1;
}

// Whether a number format shows a date: the built-in date formats, or a
// format of its own that holds a day or a year outside quotes and brackets.
bool isDateFormat(int id, const QString &code)
{
    if ((id >= 14 && id <= 22) || (id >= 45 && id <= 47))
        return true;
    if (code.isEmpty())
        return false;
    bool quoted = false;
    int bracket = 0;
    for (const QChar c : code) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && c == u'[')
            ++bracket;
        else if (!quoted && c == u']' && bracket)
            --bracket;
        else if (!quoted && !bracket && (c == u'd' || c == u'D' || c == u'y' || c == u'Y'))
            return true;
    }
    return false;
}

// A number as a spreadsheet writes it without a format: whole numbers in
// full, others with up to 15 significant digits.
QString numberText(const QString &value)
{
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return value;
    if (number == std::floor(number) && std::fabs(number) < 1e15)
        return QString::number(static_cast<qint64>(number));
    return QString::number(number, 'g', 15);
}

// A date serial number as day/month/year, with the time when it has one.
QString dateText(const QString &value, bool from1904)
{
    bool ok = false;
    const double serial = value.toDouble(&ok);
    if (!ok || !std::isfinite(serial) || serial < 0 || serial > 2958466)
        return numberText(value);
    const qint64 day = static_cast<qint64>(std::floor(serial));
    // Day 60 of the 1900 system is a 29 February 1900 that never was.
    const QDate base = from1904 ? QDate(1904, 1, 1) : day < 61 ? QDate(1899, 12, 31) : QDate(1899, 12, 30);
    QString text = base.addDays(day).toString(QStringLiteral("dd/MM/yyyy"));
    const int seconds = static_cast<int>(std::lround((serial - std::floor(serial)) * 86400));
    if (seconds > 0 && seconds < 86400)
        text += QTime(0, 0).addSecs(seconds).toString(seconds % 60 ? QStringLiteral(" HH:mm:ss") : QStringLiteral(" HH:mm"));
    return text;
}

// The texts of a shared or inline string (<t>, or rich-text runs <r><t>),
// without the phonetic guides (<rPh>), up to one character over the field
// limit (so that the cell is known to be over it).
QString readRichText(QXmlStreamReader &xml)
{
    QString text;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == u"rPh")
                xml.skipCurrentElement();
            else if (xml.name() == u"t")
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
            else
                ++depth;
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
        if (text.size() > WorkbookReader::kLongestField)
            text.truncate(WorkbookReader::kLongestField + 1);
    }
    return text;
}

} // namespace

namespace {

// The first worksheet of an Office Open XML workbook (.xlsx).
class XlsxFormat : public WorkbookReader::Format
{
public:
    using Format::Format;

    bool open() override
    {
        return readWorkbook() && readStyles() && readSharedStrings()
               && openPart(m_sheet, m_xml, m_sheetName, QStringLiteral("manca il primo foglio (%1)").arg(m_sheetName));
    }

    std::optional<WorkbookRow> next() override
    {
        if (!error.isEmpty())
            return std::nullopt;
        while (!m_xml.atEnd()) {
            if (m_xml.readNext() != QXmlStreamReader::StartElement || m_xml.name() != u"row")
                continue;
            // A row without its number, or out of order, follows the one
            // before.
            const qint64 given = attribute(m_xml, u"r").toLongLong();
            m_line = static_cast<int>(given > m_line ? std::min<qint64>(given, WorkbookReader::kMaxRows + 1) : m_line + 1);
            if (m_line > WorkbookReader::kMaxRows)
                return fail(QStringLiteral("il foglio ha più di %1 righe").arg(WorkbookReader::kMaxRows));
            WorkbookRow row = readRow();
            if (m_xml.hasError())
                break; // a row cut short is not a row
            if (!error.isEmpty())
                return std::nullopt;
            if (hasText(row))
                return row;
        }
        return endOfPart(*m_sheet, m_xml);
    }

private:
    WorkbookRow readRow()
    {
        WorkbookRow row;
        row.line = m_line;
        int column = -1;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() != u"c") {
                m_xml.skipCurrentElement();
                continue;
            }
            const int named = columnOf(attribute(m_xml, u"r"));
            column = named >= 0 ? named : column + 1;
            const QString type = attribute(m_xml, u"t");
            const int style = attribute(m_xml, u"s").toInt();
            putCell(row, column, readCell(type, style));
        }
        return row;
    }

    QString readCell(const QString &type, int style)
    {
        QString value;
        QString inlineText;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"v")
                value = m_xml.readElementText(QXmlStreamReader::IncludeChildElements);
            else if (m_xml.name() == u"is")
                inlineText = readRichText(m_xml);
            else
                m_xml.skipCurrentElement();
        }
        if (type == u"s") {
            const qsizetype index = value.toLongLong();
            return index >= 0 && index < m_strings.size() ? m_strings.at(index) : QString();
        }
        if (type == u"inlineStr")
            return inlineText;
        if (type == u"b")
            return value == u"1" ? QStringLiteral("VERO") : QStringLiteral("FALSO");
        if (type == u"str" || type == u"e" || type == u"d")
            return value;
        return m_dateStyles.contains(style) ? dateText(value, m_1904) : numberText(value);
    }

    bool readWorkbook();
    bool readStyles();
    bool readSharedStrings();
    QHash<QString, QString> relationships();

    QString m_sheetName = QStringLiteral("xl/worksheets/sheet1.xml");
    QString m_sharedName = QStringLiteral("xl/sharedStrings.xml");
    QString m_stylesName = QStringLiteral("xl/styles.xml");
    std::unique_ptr<Part> m_sheet;
    QXmlStreamReader m_xml;
    QStringList m_strings;
    QSet<int> m_dateStyles;
    bool m_1904 = false;
    int m_line = 0;
};

// The workbook's parts of type `...Type` -> their names in the archive.
QHash<QString, QString> XlsxFormat::relationships()
{
    QHash<QString, QString> targets;
    const std::unique_ptr<Part> rels = archive.part(QStringLiteral("xl/_rels/workbook.xml.rels"), limits.partBytes);
    if (!rels)
        return targets;
    QXmlStreamReader xml(rels.get());
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"Relationship")
            continue;
        QString target = attribute(xml, u"Target");
        target = target.startsWith(u'/') ? target.mid(1) : QStringLiteral("xl/") + target;
        targets.insert(attribute(xml, u"Id"), target);
        targets.insert(attribute(xml, u"Type").section(u'/', -1), target);
    }
    return targets;
}

bool XlsxFormat::readWorkbook()
{
    const std::unique_ptr<Part> book = archive.part(QStringLiteral("xl/workbook.xml"), limits.partBytes);
    if (!book)
        return fail(QStringLiteral("non è una cartella di lavoro .xlsx (manca xl/workbook.xml)")), false;
    QXmlStreamReader xml(book.get());
    QString firstSheet;
    while (!xml.atEnd() && firstSheet.isEmpty()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"workbookPr")
            m_1904 = attribute(xml, u"date1904") == u"1" || attribute(xml, u"date1904") == u"true";
        else if (xml.name() == u"sheet")
            firstSheet = attribute(xml, u"id");
    }
    if (firstSheet.isEmpty())
        return fail(QStringLiteral("la cartella di lavoro non ha fogli")), false;
    const QHash<QString, QString> targets = relationships();
    m_sheetName = targets.value(firstSheet, m_sheetName);
    m_sharedName = targets.value(QStringLiteral("sharedStrings"), m_sharedName);
    m_stylesName = targets.value(QStringLiteral("styles"), m_stylesName);
    return true;
}

// The cell styles whose number format shows a date.
bool XlsxFormat::readStyles()
{
    const std::unique_ptr<Part> styles = archive.part(m_stylesName, limits.partBytes);
    if (!styles)
        return true; // no styles: every number is a number
    QXmlStreamReader xml(styles.get());
    QHash<int, QString> codes;
    bool inCellStyles = false;
    int style = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == u"cellXfs")
            inCellStyles = false;
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"numFmt")
            codes.insert(attribute(xml, u"numFmtId").toInt(), attribute(xml, u"formatCode"));
        else if (xml.name() == u"cellXfs")
            inCellStyles = true;
        else if (inCellStyles && xml.name() == u"xf") {
            const int id = attribute(xml, u"numFmtId").toInt();
            if (isDateFormat(id, codes.value(id)))
                m_dateStyles.insert(style);
            ++style;
        }
    }
    return true;
}

bool XlsxFormat::readSharedStrings()
{
    const std::unique_ptr<Part> shared = archive.part(m_sharedName, limits.sharedBytes);
    if (!shared)
        return true; // a sheet of numbers and inline texts only
    QXmlStreamReader xml(shared.get());
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"si") {
            m_strings.append(readRichText(xml));
        }
    }
    if (shared->exceeded())
        return fail(QStringLiteral("i testi del foglio sono troppi (oltre %1 MB decompressi)").arg(limits.sharedBytes >> 20)), false;
    if (xml.hasError())
        return fail(QStringLiteral("i testi del foglio sono danneggiati (%1)").arg(xml.errorString())), false;
    return true;
}

} // namespace

WorkbookReader::WorkbookReader(QIODevice *device, WorkbookFormat format, Limits limits)
{
    if (format == WorkbookFormat::Xlsx)
        m_format = std::make_unique<XlsxFormat>(device, limits);
    else
        m_format = workbook::odsFormat(device, limits);
}

WorkbookReader::~WorkbookReader() = default;

bool WorkbookReader::open()
{
    if (!m_format->archive.open())
        return m_format->fail(m_format->archive.error()), false;
    return m_format->open();
}

std::optional<WorkbookRow> WorkbookReader::next()
{
    return m_format->next();
}

QString WorkbookReader::error() const
{
    return m_format->error;
}

} // namespace zelvora

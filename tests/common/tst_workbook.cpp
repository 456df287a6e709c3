// Workbooks: the first sheet of an .xlsx and the first table of an .ods read
// row by row from archives made here from literal XML (shared and inline
// texts, numbers, dates by their style, gaps, repeats, notes), and every
// damage ending in its message: not a zip, a missing part, a broken sheet, a
// cell over the field limit, too many rows or columns, a part that inflates
// past its limit. Then a list written as .xlsx and read back cell by cell,
// with its bold frozen header and its outcome fills.
#include "common/workbook.h"
#include "common/workbook_writer.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>
#include <QTemporaryFile>
#include <minizip/unzip.h>
#include <minizip/zip.h>

using namespace zelvora;

namespace {

using Parts = QList<QPair<QString, QByteArray>>;

// A zip archive of the given parts, deflated.
QByteArray zipOf(const Parts &parts)
{
    QTemporaryFile file;
    if (!file.open())
        return {};
    zipFile zip = zipOpen64(QFile::encodeName(file.fileName()).constData(), APPEND_STATUS_CREATE);
    for (const auto &[name, bytes] : parts) {
        if (zipOpenNewFileInZip64(zip, name.toUtf8().constData(), nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6, 1)
                != ZIP_OK
            || zipWriteInFileInZip(zip, bytes.constData(), static_cast<unsigned>(bytes.size())) != ZIP_OK
            || zipCloseFileInZip(zip) != ZIP_OK)
            return {};
    }
    zipClose(zip, nullptr);
    return file.readAll();
}

// A part of the archive in a file, whole.
QByteArray partOf(const QString &archive, const char *name)
{
    unzFile zip = unzOpen64(QFile::encodeName(archive).constData());
    QByteArray bytes;
    if (zip && unzLocateFile(zip, name, 1) == UNZ_OK && unzOpenCurrentFile(zip) == UNZ_OK) {
        char buffer[4096];
        int got;
        while ((got = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0)
            bytes.append(buffer, got);
        unzCloseCurrentFile(zip);
    }
    if (zip)
        unzClose(zip);
    return bytes;
}

const QByteArray kWorkbook = R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"
 xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><workbookPr/><sheets>
 <sheet name="Elenco" sheetId="1" r:id="rId7"/><sheet name="Altro" sheetId="2" r:id="rId1"/></sheets></workbook>)";
const QByteArray kRelationships = R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
 <Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>
 <Relationship Id="rId7" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="/xl/worksheets/elenco.xml"/>
 <Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="testi.xml"/>
</Relationships>)";
const QByteArray kShared = R"(<sst><si><t>comune</t></si><si><t>cap</t></si>
 <si><r><t>Ro</t></r><r><rPr><b/></rPr><t>ma</t></r><rPh><t>ROMA</t></rPh></si><si><t xml:space="preserve"> via  Po </t></si></sst>)";
// Cell styles 0 general, 1 a built-in date, 2 a date and time of its own,
// 3 a number of its own with "d" only in quotes.
const QByteArray kStyles = R"(<styleSheet><numFmts count="2"><numFmt numFmtId="164" formatCode="dd/mm/yyyy hh:mm"/>
 <numFmt numFmtId="165" formatCode="0&quot; d&quot;"/></numFmts><cellXfs count="4"><xf numFmtId="0"/><xf numFmtId="14"/>
 <xf numFmtId="164"/><xf numFmtId="165"/></cellXfs></styleSheet>)";

QByteArray sheetOf(const QByteArray &rows)
{
    return "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" + rows
           + "</sheetData></worksheet>";
}

QByteArray xlsx(const QByteArray &rows, const QByteArray &sheetName = "xl/worksheets/elenco.xml")
{
    return zipOf({{"xl/workbook.xml", kWorkbook},
                  {"xl/_rels/workbook.xml.rels", kRelationships},
                  {"xl/testi.xml", kShared},
                  {"xl/styles.xml", kStyles},
                  {"xl/worksheets/sheet1.xml", sheetOf("<row><c t=\"inlineStr\"><is><t>secondo foglio</t></is></c></row>")},
                  {sheetName, sheetOf(rows)}});
}

QByteArray odsOf(const QByteArray &tables)
{
    return zipOf({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                  {"content.xml",
                   R"(<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0">
 <office:body><office:spreadsheet>)" + tables
                       + "</office:spreadsheet></office:body></office:document-content>"}});
}

QByteArray cell(const QByteArray &text, const QByteArray &attributes = {})
{
    return "<table:table-cell " + attributes + "><text:p>" + text + "</text:p></table:table-cell>";
}

// Every row as "line: cell|cell", a row's error as "line! error", and the
// reader's final error as "! error".
QStringList readAll(const QByteArray &bytes, WorkbookFormat format, WorkbookReader::Limits limits = {})
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    WorkbookReader reader(&buffer, format, limits);
    QStringList rows;
    if (reader.open()) {
        while (const std::optional<WorkbookRow> row = reader.next()) {
            rows << QStringLiteral("%1: %2").arg(row->line).arg(row->cells.join(u'|'));
            if (!row->error.isEmpty())
                rows << QStringLiteral("%1! %2").arg(row->line).arg(row->error);
        }
    }
    if (!reader.error().isEmpty())
        rows << "! " + reader.error();
    return rows;
}

const QByteArray kLong(1200, 'a');

// A row of the table of sheets read, its format first and in its name.
QTestData &sheetRow(WorkbookFormat format, const char *name)
{
    return QTest::addRow("%s: %s", format == WorkbookFormat::Xlsx ? "xlsx" : "ods", name) << int(format);
}

} // namespace

class TestWorkbook : public QObject
{
    Q_OBJECT

private slots:
    // The first sheet of a workbook of either format, row by row.
    void firstSheetReads_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("rows");
        sheetRow(WorkbookFormat::Xlsx, "shared, inline, rich texts and numbers, gaps kept, empty rows skipped")
            << xlsx(R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="C1" t="s"><v>1</v></c></row>
 <row r="3"><c r="A3" t="s"><v>2</v></c><c r="B3" t="inlineStr"><is><t>RM</t></is></c><c r="C3"><v>184</v></c>
 <c r="D3" t="s"><v>3</v></c></row><row r="4"><c r="A4"/></row><row r="5" spans="1:3"><c><v>1.5</v></c><c><v>2E+3</v></c></row>)")
            << QStringList{"1: comune||cap", "3: Roma|RM|184| via  Po ", "5: 1.5|2000"};
        sheetRow(WorkbookFormat::Xlsx, "dates by their style, booleans, formulas, errors")
            << xlsx(R"(<row r="2"><c r="A2" s="1"><v>46000</v></c><c r="B2" s="2"><v>46000.5</v></c><c r="C2" s="3"><v>7</v></c>
 <c r="D2" t="b"><v>1</v></c><c r="E2" t="str"><f>A1</f><v>testo</v></c><c r="F2" t="e"><v>#N/D</v></c><c r="G2" s="1"><v>1</v></c></row>)")
            << QStringList{"2: 09/12/2025|09/12/2025 12:00|7|VERO|testo|#N/D|01/01/1900"};
        sheetRow(WorkbookFormat::Xlsx, "a cell over the field limit is cut and its row marked")
            << xlsx("<row r=\"1\"><c t=\"inlineStr\"><is><t>" + kLong + "</t></is></c><c t=\"inlineStr\"><is><t>RM</t></is></c></row>")
            << QStringList{"1: " + QString(1000, u'a') + "|RM", "1! campo troppo lungo (oltre 1000 byte)"};
        sheetRow(WorkbookFormat::Xlsx, "a cell past the last column")
            << xlsx(R"(<row r="1"><c r="A1" t="inlineStr"><is><t>x</t></is></c><c r="XFE1"><v>1</v></c></row>)")
            << QStringList{"1: x", "1! oltre 16384 colonne"};
        sheetRow(WorkbookFormat::Xlsx, "a row past the last one")
            << xlsx(R"(<row r="1"><c><v>1</v></c></row><row r="1048577"><c><v>2</v></c></row>)")
            << QStringList{"1: 1", "! il foglio ha più di 1048576 righe"};
        sheetRow(WorkbookFormat::Xlsx, "a broken sheet")
            << xlsx(R"(<row r="1"><c><v>1</v></c></row><row r="2"><c><v>2)")
            << QStringList{"1: 1", "! il foglio è danneggiato (Opening and ending tag mismatch.)"};
        sheetRow(WorkbookFormat::Xlsx, "the first sheet missing") << xlsx("", "xl/worksheets/altro.xml")
                                                 << QStringList{"! manca il primo foglio (xl/worksheets/elenco.xml)"};
        sheetRow(WorkbookFormat::Xlsx, "no workbook part") << zipOf({{"content.xml", "<x/>"}})
                                          << QStringList{"! non è una cartella di lavoro .xlsx (manca xl/workbook.xml)"};
        sheetRow(WorkbookFormat::Xlsx, "a workbook without sheets")
            << zipOf({{"xl/workbook.xml", "<workbook><sheets/></workbook>"}}) << QStringList{"! la cartella di lavoro non ha fogli"};
        sheetRow(WorkbookFormat::Xlsx, "not a zip") << QByteArray("comune;cap\nROMA;00184\n")
                                   << QStringList{"! non è un file .xlsx o .ods valido (non è un archivio zip leggibile)"};
        sheetRow(WorkbookFormat::Xlsx, "an empty file") << QByteArray("")
                                       << QStringList{"! non è un file .xlsx o .ods valido (non è un archivio zip leggibile)"};
        const QByteArray header = "<table:table-row>" + cell("comune") + cell("pv") + cell("cap")
                                  + "<table:table-cell table:number-columns-repeated=\"16000\"/></table:table-row>";
        sheetRow(WorkbookFormat::Ods, "paragraphs, spaces, repeats, covered cells; the first table only")
            << odsOf("<table:table table:name=\"Elenco\">" + header
                     + "<table:table-row table:number-rows-repeated=\"2\">" + cell("SAN<text:s text:c=\"2\"/><text:span>VITO</text:span>")
                     + "<table:covered-table-cell/>" + cell("00184", "office:value-type=\"float\" office:value=\"184\"")
                     + "</table:table-row><table:table-row table:number-rows-repeated=\"1000000\"><table:table-cell/></table:table-row>"
                     + "<table:table-row>" + cell("X", "table:number-columns-repeated=\"3\"")
                     + "<table:table-cell office:value-type=\"float\" office:value=\"7\"/></table:table-row></table:table>"
                     + "<table:table table:name=\"Altro\"><table:table-row>" + cell("altro") + "</table:table-row></table:table>")
            << QStringList{"1: comune|pv|cap", "2: SAN  VITO||00184", "3: SAN  VITO||00184", "1000004: X|X|X|7"};
        sheetRow(WorkbookFormat::Ods, "notes left out, two paragraphs, a tab, a date, an empty cell between")
            << odsOf("<table:table><table:table-row><table:table-cell><office:annotation><text:p>nota</text:p></office:annotation>"
                     "<text:p>a<text:tab/>b</text:p><text:p>c</text:p></table:table-cell><table:table-cell/>"
                     "<table:table-cell office:value-type=\"date\" office:date-value=\"2025-12-09\"/></table:table-row></table:table>")
            << QStringList{"1: a\tb\nc||2025-12-09"};
        sheetRow(WorkbookFormat::Ods, "a cell over the field limit")
            << odsOf("<table:table><table:table-row>" + cell(kLong) + "</table:table-row></table:table>")
            << QStringList{"1: " + QString(1000, u'a'), "1! campo troppo lungo (oltre 1000 byte)"};
        sheetRow(WorkbookFormat::Ods, "a row repeated past the last one")
            << odsOf("<table:table><table:table-row table:number-rows-repeated=\"1048577\">" + cell("x")
                     + "</table:table-row></table:table>")
            << QStringList{"! il foglio ha più di 1048576 righe"};
        sheetRow(WorkbookFormat::Ods, "a cell repeated past the last column")
            << odsOf("<table:table><table:table-row>" + cell("x", "table:number-columns-repeated=\"100000\"")
                     + "</table:table-row></table:table>")
            << QStringList{"1: " + QStringList(16384, "x").join(u'|'), "1! oltre 16384 colonne"};
        sheetRow(WorkbookFormat::Ods, "no table") << odsOf("") << QStringList{"! il foglio di calcolo non ha tabelle"};
        sheetRow(WorkbookFormat::Ods, "damaged before any table: the damage is told")
            << odsOf("<broken>") << QStringList{"! il foglio è danneggiato (Opening and ending tag mismatch.)"};
        sheetRow(WorkbookFormat::Ods, "no content part") << zipOf({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}})
                                         << QStringList{"! non è un foglio di calcolo .ods (manca content.xml)"};
        sheetRow(WorkbookFormat::Ods, "not a zip") << QByteArray("PK\x03\x04 rotto")
                                   << QStringList{"! non è un file .xlsx o .ods valido (non è un archivio zip leggibile)"};
    }
    void firstSheetReads()
    {
        QFETCH(int, format);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, rows);
        QVERIFY(!bytes.isNull());
        QCOMPARE(readAll(bytes, WorkbookFormat(format)), rows);
    }

    // A part that inflates past its limit ends the reading, whatever comes
    // after: 3 MB of spaces in a few kilobytes, against a limit of 1 MB.
    void partInflatingPastItsLimitIsRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("error");
        const QByteArray spaces(3 << 20, ' ');
        QTest::newRow("xlsx sheet") << xlsx("<row><c><v>1</v></c></row>" + spaces) << int(WorkbookFormat::Xlsx)
                                    << "! il foglio è troppo grande (oltre 1 MB decompresso)";
        QTest::newRow("xlsx texts") << zipOf({{"xl/workbook.xml", kWorkbook}, {"xl/sharedStrings.xml", "<sst>" + spaces}})
                                    << int(WorkbookFormat::Xlsx) << "! i testi del foglio sono troppi (oltre 1 MB decompressi)";
        QTest::newRow("ods") << odsOf("<table:table>" + spaces + "</table:table>") << int(WorkbookFormat::Ods)
                             << "! il foglio è troppo grande (oltre 1 MB decompresso)";
    }
    void partInflatingPastItsLimitIsRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, format);
        QFETCH(QString, error);
        QVERIFY(bytes.size() < 100000);
        const WorkbookReader::Limits limits{1 << 20, 1 << 20, 1 << 20};
        const QStringList rows = readAll(bytes, WorkbookFormat(format), limits);
        QCOMPARE(rows.last(), error);
    }

    void writtenListReadsBackCellByCell()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("esito.xlsx");
        const QList<QStringList> rows{{"comune", "cap", "esito"},
                                      {"Roma", "00184", "OK"},
                                      {"Aosta", "", "CAP MANCANTE"},
                                      {"Sàn Vito", "07010", "CAP ERRATO"}};
        XlsxListWriter writer(file);
        QVERIFY(writer.begin(rows.first()));
        for (int r = 1; r < rows.size(); ++r)
            QVERIFY(writer.addRow(rows.at(r), 2, r == 3 ? 0xFFC7CEu : 0xC6EFCEu));
        QVERIFY2(writer.finish(), qPrintable(writer.error()));

        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray bytes = written.readAll();
        QStringList expected;
        for (int r = 0; r < rows.size(); ++r)
            expected << QStringLiteral("%1: %2").arg(r + 1).arg(rows.at(r).join(u'|'));
        QCOMPARE(readAll(bytes, WorkbookFormat::Xlsx), expected);

        // The header frozen and bold, the fills the outcomes' colours.
        const QByteArray sheet = partOf(file, "xl/worksheets/sheet1.xml");
        QVERIFY(sheet.contains("<pane ySplit=\"1\" topLeftCell=\"A2\" activePane=\"bottomLeft\" state=\"frozen\"/>"));
        QVERIFY(sheet.contains("<autoFilter ref=\"A1:C4\"/>"));
        const QByteArray styles = partOf(file, "xl/styles.xml");
        QVERIFY(styles.contains("<b/>"));
        QVERIFY(styles.contains("FFFFC7CE") && styles.contains("FFC6EFCE"));
    }

    void listWrittenNowhereLeavesNoFile()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("manca/esito.xlsx");
        XlsxListWriter writer(file);
        QVERIFY(writer.begin({"comune"}));
        QVERIFY(writer.addRow({"Roma"}));
        QVERIFY(!writer.finish());
        QVERIFY(writer.error().startsWith("impossibile scrivere il file " + file));
        QVERIFY(!QFileInfo::exists(file));
    }
};

QTEST_GUILESS_MAIN(TestWorkbook)
#include "tst_workbook.moc"

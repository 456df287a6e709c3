#include "seeds.h"

#include "fuzz_target.h"

#include "datacompiler/city_compiler.h"
#include "datacompiler/locality_compiler.h"
#include "common/locality_files.h"

#include "common/workbook_writer.h"

#include <QTemporaryFile>
#include <cstdlib>
#include <minizip/zip.h>

namespace zelvora::fuzz {

namespace {

const QByteArray kLocalitiesCsv =
    "locality,province,agency,cap,bil,note,codes\n"
    "ROMA,RM,,00100,,,00118 00199\n"
    "ROCCA DI PAPA,RM,,00040,,,\n"
    "ROCCAGORGA,LT,,04010,,,\n"
    "AGLI\xc3\x88,TO,,10011,,,\n"
    "MESTRE,VE,VENEZIA,30170,,\"Frazione di VENEZIA\",30171 30172\n"
    "MILANO,MI,,20100,,,20121\n"
    "MILANO MARITTIMA,RA,CERVIA,48015,CERVIA,,\n"
    "ZUBIENA,BI,,13888,,,\n"
    "ZUCCARELLO,SV,,17039,,Nota,\n";
const QByteArray kProvincesCsv =
    "province,name\n"
    "RM,Roma\nLT,Latina\nTO,Torino\nVE,Venezia\nMI,Milano\nRA,Ravenna\nBI,Biella\nSV,Savona\n";
const QByteArray kChangesCsv =
    "kind,locality,province,cap,new_locality,new_province,new_cap,year\n"
    "cap,SEGRATE,MI,20090,,,20054,2020\n"
    "merged,CASTEGNERO,VI,,CASTEGNERO NANTO,VI,,\n"
    "generic,MODENA,MO,41100,,,,\n"
    "province,LISSONE,MI,,LISSONE,MB,,2009\n"
    "name,BOZEN,BZ,,BOLZANO,BZ,,\n"
    "fraction,MARINA DI RAVENNA,RA,,RAVENNA,RA,,\n"
    "fraction,BOSA MARINA,OR,08013,BOSA,OR,,\n";
const QByteArray kCityCsv =
    "street,designation,city_tag,cap,agency,note\n"
    "GARIBALDI GIUSEPPE,VIA,,00153,,\"1-25, 2-30\"\n"
    "GARIBALDI GIUSEPPE,PIAZZA,,00165,,\n"
    "APPIA NUOVA,VIA,,00179,,\"1-99\"\n"
    "APPIA ANTICA,VIA,,00178,ROMA 83,\"1-99\"\n"
    "ZANARDELLI,VIA,,00186,,\n"
    "CORSO,VIA DEL,,00186,,\"N. 1\"\n";

const QByteArray kEvidenceCsv =
    "street,designation,first,last,parity,cap,sources,kind\n"
    "GARIBALDI GIUSEPPE,VIA,1,25,D,00153,schools,R\n"
    "GARIBALDI GIUSEPPE,VIA,2,30,P,00153,milano_register+offices,R\n"
    "CORSO,VIA DEL,1,1,T,00186,schools+pharmacy_register,P\n"
    "CORSO,VIA DEL,18,18,T,00187,libraries,P\n";

datac::DataFiles compiled()
{
    QList<datac::Fault> faults;
    const datac::CsvTable localities = datac::parseCsv(kLocalitiesCsv, QStringLiteral("localities.csv"), faults);
    const datac::CsvTable provinces = datac::parseCsv(kProvincesCsv, QStringLiteral("provinces.csv"), faults);
    const datac::Sources sources = datac::sourcesFromTables(localities, QStringLiteral("localities.csv"), provinces,
                                                            QStringLiteral("provinces.csv"), faults);
    const datac::DataFiles files = datac::compileLocalities(sources, faults);
    datac::CitySource city =
        datac::citySourceFromTable(datac::parseCsv(kCityCsv, QStringLiteral("roma.csv"), faults),
                                   QStringLiteral("roma.csv"), faults);
    datac::evidenceFromTable(datac::parseCsv(kEvidenceCsv, QStringLiteral("roma.evi.csv"), faults),
                             QStringLiteral("roma.evi.csv"), city, faults);
    datac::DataFiles all = files;
    const datac::DataFiles streets = datac::compileCity(city, QStringLiteral("roma"), faults);
    for (auto it = streets.cbegin(); it != streets.cend(); ++it)
        all.insert(it.key(), it.value());
    FUZZ_CHECK(faults.isEmpty());
    return all;
}

// A zip archive of the given parts, stored uncompressed, so that the
// fuzzer's changes reach the XML inside.
QByteArray storedZip(const QList<QPair<const char *, QByteArray>> &parts)
{
    QTemporaryFile file;
    FUZZ_CHECK(file.open());
    zipFile zip = zipOpen64(QFile::encodeName(file.fileName()).constData(), APPEND_STATUS_CREATE);
    FUZZ_CHECK(zip);
    for (const auto &[name, bytes] : parts) {
        FUZZ_CHECK(zipOpenNewFileInZip64(zip, name, nullptr, nullptr, 0, nullptr, 0, nullptr, 0, 0, 0) == ZIP_OK);
        FUZZ_CHECK(zipWriteInFileInZip(zip, bytes.constData(), static_cast<unsigned>(bytes.size())) == ZIP_OK);
        FUZZ_CHECK(zipCloseFileInZip(zip) == ZIP_OK);
    }
    zipClose(zip, nullptr);
    return file.readAll();
}

QList<QByteArray> xlsxSeeds()
{
    const QByteArray workbook = R"(<workbook xmlns:r="r"><workbookPr date1904="0"/><sheets><sheet r:id="rId1"/></sheets></workbook>)";
    const QByteArray rels = R"(<Relationships><Relationship Id="rId1" Target="worksheets/sheet1.xml"/>)"
                            R"(<Relationship Id="rId2" Type="x/sharedStrings" Target="sharedStrings.xml"/></Relationships>)";
    const QByteArray shared = "<sst><si><t>comune</t></si><si><r><t>RO</t></r><r><t>MA</t></r><rPh><t>x</t></rPh></si></sst>";
    const QByteArray styles = R"(<styleSheet><numFmts><numFmt numFmtId="164" formatCode="d/m/yy"/></numFmts>)"
                              R"(<cellXfs><xf numFmtId="0"/><xf numFmtId="164"/></cellXfs></styleSheet>)";
    const QByteArray sheet = R"(<worksheet><sheetData><row r="1"><c r="A1" t="s"><v>0</v></c><c r="C1" t="inlineStr">)"
                             R"(<is><t>cap</t></is></c></row><row r="3"><c r="A3" t="s"><v>1</v></c><c r="B3" s="1"><v>45000.25</v></c>)"
                             R"(<c r="C3"><v>184</v></c><c t="b"><v>1</v></c><c t="str"><f>A1</f><v>x</v></c></row></sheetData></worksheet>)";
    QList<QByteArray> seeds{storedZip({{"xl/workbook.xml", workbook}, {"xl/_rels/workbook.xml.rels", rels},
                                       {"xl/sharedStrings.xml", shared}, {"xl/styles.xml", styles},
                                       {"xl/worksheets/sheet1.xml", sheet}})};
    // One written by the program itself, deflated.
    QTemporaryFile file;
    FUZZ_CHECK(file.open());
    XlsxListWriter writer(file.fileName());
    FUZZ_CHECK(writer.begin({"comune", "cap", "esito"}) && writer.addRow({"Roma", "00184", "OK"}, 2, 0xC6EFCE)
               && writer.finish());
    seeds << file.readAll();
    return seeds;
}

QByteArray odsSeed()
{
    const QByteArray content = R"(<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
                               R"( xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0")"
                               R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"><office:body><office:spreadsheet>)"
                               R"(<table:table><table:table-row><table:table-cell><text:p>comune</text:p></table:table-cell>)"
                               R"(<table:table-cell table:number-columns-repeated="2"/><table:table-cell><text:p>cap</text:p>)"
                               R"(</table:table-cell></table:table-row><table:table-row table:number-rows-repeated="3">)"
                               R"(<table:table-cell><text:p>SAN<text:s text:c="2"/><text:span>VITO</text:span></text:p>)"
                               R"(<office:annotation><text:p>n</text:p></office:annotation></table:table-cell><table:covered-table-cell/>)"
                               R"(<table:table-cell office:value-type="float" office:value="184"/></table:table-row>)"
                               R"(</table:table></office:spreadsheet></office:body></office:document-content>)";
    return storedZip({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}, {"content.xml", content}});
}

} // namespace

QMap<QString, QList<QByteArray>> seedInputs()
{
    using namespace localityfiles;
    const datac::DataFiles f = compiled();
    QMap<QString, QList<QByteArray>> seeds;

    // Record sizes and a short string's capacity, then a file.
    seeds["record_file"] = {QByteArray(1, char(LocalityRecord::kSize)) + char(39) + f.value(kLocalities),
                            QByteArray(1, char(6)) + char(3) + f.value(kLocalityIndex),
                            QByteArray(1, char(104)) + char(40) + f.value(QStringLiteral("roma.loc")),
                            QByteArray(1, char(24)) + char(2) + f.value(kProvinces)};
    seeds["locality_files"] = {
        joinParts({f.value(kLocalities), f.value(kCapOrder), f.value(kPvOrder), f.value(kProvinces)})};
    seeds["prefix_index"] = {
        QByteArray(1, '\0') + joinParts({f.value(kLocalityIndex), f.value(kLocalities), "R\nRO\nROC\nROCCAG\nMIL\nZZ\n"})};
    seeds["street_files"] = {joinParts({f.value(QStringLiteral("roma.loc")), f.value(QStringLiteral("roma.lox")),
                                        f.value(QStringLiteral("roma.civ"))}),
                             joinParts({f.value(QStringLiteral("roma.loc")), f.value(QStringLiteral("roma.lox"))})};
    // The number of streets, or 0xff for a count not known; then the file.
    seeds["house_evidence"] = {QByteArray(1, char(6)) + f.value(QStringLiteral("roma.evi")),
                               QByteArray(1, char(0xff)) + f.value(QStringLiteral("roma.evi"))};
    seeds["csv"] = {kLocalitiesCsv, kProvincesCsv, kCityCsv, kEvidenceCsv};
    seeds["xlsx"] = xlsxSeeds();
    seeds["ods"] = {odsSeed()};
    seeds["compile"] = {QByteArray(1, '\0') + joinParts({kLocalitiesCsv, kProvincesCsv}),
                        QByteArray(1, '\1') + kCityCsv, QByteArray(1, '\2') + kChangesCsv};
    // Type "ROC", page down and up, thumb to the end, click, switch to the
    // postal codes and type "00", switch to the provinces and type "RM".
    static const char steps[] = "\x00R\x00O\x00" "C" "\x04\x02\x04\x03\x05\x01\x07\xff\x08\x03"
                            "\x09\x01\x00" "0\x00" "0\x04\x00\x09\x02\x00R\x00M\x05\x03\x03\x00" "A";
    const QByteArray script(steps, sizeof steps - 1);
    seeds["session"] = {joinParts({script, f.value(kLocalities), f.value(kLocalityIndex), f.value(kCapOrder),
                                   f.value(kCapIndex), f.value(kPvOrder), f.value(kPvIndex)})};
    // The main window: type "ROC", page down and up, thumb to the end, click
    // a row, open its details, the postal codes with "00", a page down, the
    // provinces with "RM", a wheel notch, the focus away and back; then the
    // street window: Roma, "GA", page down, details, a line down, Esc, "Z",
    // a city without files, Roma again, leave; back in the main window the
    // localities, "M", backspace, Enter.
    const QList<int> windowSteps{0, 'R', 0, 'O', 0, 'C', 5, 2, 5, 3, 8, 255, 9, 3, 5, 7, 11, 1, 0, '0', 0, '0',
                                 6, 3, 11, 2, 0, 'R', 0, 'M', 10, 1, 13, 12,
                                 11, 1, 0, 'G', 0, 'A', 5, 2, 5, 7, 6, 1, 3, 0, 'Z', 11, 0, 11, 1, 12,
                                 11, 0, 0, 'M', 2, 4};
    QByteArray windowScript;
    for (const int step : windowSteps)
        windowScript.append(char(step));
    const QList<QByteArray> folder{windowScript,           f.value(kLocalities), f.value(kLocalityIndex),
                                   f.value(kCapOrder),     f.value(kCapIndex),   f.value(kPvOrder),
                                   f.value(kPvIndex),      f.value(kProvinces),  f.value(QStringLiteral("roma.loc")),
                                   f.value(QStringLiteral("roma.lox")), f.value(QStringLiteral("roma.civ"))};
    // The whole folder; without the street directory; with a folder in the
    // place of the locality index and Roma without its notes.
    QList<QByteArray> damaged = folder.first(10);
    damaged[2] = "/";
    seeds["window_session"] = {joinParts(folder), joinParts(folder.first(8)), joinParts(damaged)};
    // Lists: semicolons with quotes over lines, commas with CR LF and a byte
    // order mark, tabs in Windows-1252 with a quote never closed; each after
    // the byte that sets the size of the pieces read.
    seeds["list"] = {QByteArray("\x07") + "comune;pv;cap;via\nRoma;RM;00184;\"Via Nazionale, 12\"\n\n\"Ro\nma\";RM;;x\n",
                     QByteArray("\x45") + "\xEF\xBB\xBFlocalita,cap\r\nCant\xC3\xB9,22063\r\n\"a\"\"b\",\"c\"x\r\n",
                     QByteArray("\x82") + "citta\tcap\nCant\xF9\t22063\n\"Roma\t00184\nMilano\t20121\n;;;;;;\n"};
    // Rows of locality, province, code and address, tab-separated: a street
    // of Roma, a code out of date, names people write, a province by name.
    seeds["address"] = {"Roma\tRM\t00184\tVia Nazionale 12\nRoma\tRM\t00100\tVia G. Garibaldi, 36/38\n"
                        "Cant\xC3\xB9\tCO\t22063\t\nReggio Emilia\tRE\t42121\t\nBozen\tBZ\t39100\tVia Museo 1\n",
                        "Milano\tMilano\t20121\tC.so Buenos Aires 5\nLissone\tMI\t20035\t\nRavenna\tRA\t48122\t\n"
                        "Segrate\tMI\t20090\t\nS. Angelo\t\t\t\nTorino\tTO\t10121\tP.zza Castello 1 int. 4\n"};
    seeds["names"] = {"SANT'ANGELO\nS. ANGELO\nVENTI SETTEMBRE\nXX Settembre\nCant\xC3\xB9\nCANTU'\nROCCA DI PAPA\n"
                      "Rocca Papa\nMONTE SAN SAVINO\nM. S. Savino\nSECONDO\nII\n"};
    seeds["streets"] = {"VIA|GARIBALDI GIUSEPPE|00153\nPIAZZA|GARIBALDI GIUSEPPE|00165\nVIALE|MAZZINI GIUSEPPE|00195\n"
                        "VIA|XX SETTEMBRE|00187\nVIA DEL|CORSO|00186\nLARGO|MAZZINI|00100\n"
                        "Via G. Garibaldi, 36/38\nV.le Mazzini 12/A\nvia venti settembre snc\nCorso 6R-8R\n"
                        "VIA#MAZZINI\nVIA#GARIB#\npiazza garibaldi km 3\n",
                        "\nVIA|APPIA NUOVA|00179\nVIA|APPIA ANTICA|00178\nVia Appia Nuova 15 bis\nappia 3\nRoma Via Appia Antica\n"};
    return seeds;
}

} // namespace zelvora::fuzz

// The data compiler: reading CSV sources, validating them with the place of
// every fault, and the exact bytes of the files it writes.
#include "datacompiler/csv_reader.h"
#include "datacompiler/data_compiler.h"
#include "support/fixtures.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace zelvora;
using namespace zelvora::datac;

namespace {
const QByteArray kLocalityHeader = "locality,province,agency,cap,bil,note,codes\n";
const QByteArray kProvinceHeader = "province,name\n";

QByteArray record(std::initializer_list<std::pair<int, QByteArray>> fields, int size)
{
    QByteArray bytes(size, '\0');
    for (const auto &[offset, text] : fields) {
        bytes[offset] = char(text.size());
        bytes.replace(offset + 1, text.size(), text);
    }
    return bytes;
}
} // namespace

class TestDataCompiler : public QObject
{
    Q_OBJECT

    // Writes the two sources, compiles them into a fresh folder, returns the faults.
    QStringList compileCsv(const QByteArray &localities, const QByteArray &provinces, QTemporaryDir &dir)
    {
        test::writeAll(dir.filePath("localities.csv"), localities);
        test::writeAll(dir.filePath("provinces.csv"), provinces);
        QList<Fault> faults;
        const Sources sources = readSources(dir.filePath("localities.csv"), dir.filePath("provinces.csv"), faults);
        if (faults.isEmpty())
            compileDataFolder(sources, dir.filePath("out"), faults);
        QStringList texts;
        for (const Fault &fault : faults)
            texts << QStringLiteral("%1:%2: %3").arg(QFileInfo(fault.file).fileName()).arg(fault.line).arg(fault.message);
        return texts;
    }

private slots:
    void faultsNameTheirFileAndLine_data()
    {
        QTest::addColumn<QByteArray>("localities");
        QTest::addColumn<QByteArray>("provinces");
        QTest::addColumn<QString>("fault");
        const QByteArray ok = "ROMA,RM,,00100,,,\n";
        const QByteArray rm = kProvinceHeader + "RM,ROMA\n";
        QTest::newRow("name longer than its field")
            << kLocalityHeader + ok + QByteArray(40, 'A') + ",RM,,00100,,,\n" << rm
            << "localities.csv:3: locality \"" + QString(40, 'A') + "\" is 40 characters long; the field holds 39";
        QTest::newRow("character outside code page 1252")
            << kLocalityHeader + "SAVOGNA,GO,,34070,SOVODNJE OB SOČI,,\n" << rm
            << "localities.csv:2: bil \"SOVODNJE OB SOČI\" holds a character that code page 1252 cannot hold";
        QTest::newRow("postal code of four digits")
            << kLocalityHeader + ok + ok + "ROMA,RM,,0010,,,\n" << rm
            << "localities.csv:4: postal code \"0010\" is not five digits";
        QTest::newRow("postal code with letters")
            << kLocalityHeader + "ROMA,RM,,0010A,,,\n" << rm
            << "localities.csv:2: postal code \"0010A\" is not five digits";
        QTest::newRow("bad code in the codes column")
            << kLocalityHeader + "ROMA,RM,,00100,,,00118 0014\n" << rm
            << "localities.csv:2: postal code \"0014\" in codes is not five digits";
        QTest::newRow("note longer than its field")
            << kLocalityHeader + "ROMA,RM,,00100,," + QByteArray(35, 'N') + ",\n" << rm
            << "localities.csv:2: note \"" + QString(35, 'N') + "\" is 35 characters long; the field holds 34";
        QTest::newRow("duplicate province")
            << kLocalityHeader + ok << kProvinceHeader + "RM,ROMA\nMI,MILANO\nrm,ROMA CAPITALE\n"
            << "provinces.csv:4: province \"rm\" already given on line 2";
        QTest::newRow("province name longer than its field")
            << kLocalityHeader + ok << kProvinceHeader + "BT,BARLETTA-ANDRIA-TRANI\n"
            << "provinces.csv:2: name \"BARLETTA-ANDRIA-TRANI\" is 21 characters long; the field holds 20";
        QTest::newRow("row with a field too many")
            << kLocalityHeader + "ROMA,RM,,00100,,,,\n" << rm
            << "localities.csv:2: 8 fields where the header has 7";
        QTest::newRow("missing column")
            << QByteArray("locality,province,cap\nROMA,RM,00100\n") << rm
            << "localities.csv:1: missing column \"agency\"";
        QTest::newRow("line numbers count the lines inside quoted fields")
            << kLocalityHeader + "\"ROMA\",RM,,00100,,\"TWO\nLINES\",\n\"MILANO, MI\",MI,,2010,,,\n" << rm
            << "localities.csv:4: postal code \"2010\" is not five digits";
    }
    void faultsNameTheirFileAndLine()
    {
        QFETCH(QByteArray, localities);
        QFETCH(QByteArray, provinces);
        QFETCH(QString, fault);
        QTemporaryDir dir;
        const QStringList faults = compileCsv(localities, provinces, dir);
        QVERIFY2(faults.contains(fault), qPrintable(faults.join('\n')));
        QVERIFY2(!QDir(dir.filePath("out")).exists(), "nothing is written when a source has a fault");
    }

    void everyFaultIsListedNotOnlyTheFirst()
    {
        QTemporaryDir dir;
        const QStringList faults = compileCsv(kLocalityHeader + "A,RM,,1,,,\nB,RM,,2,,,\nC,RM,,3,,,\n",
                                              kProvinceHeader, dir);
        QCOMPARE(faults.size(), 3);
    }

    void tooManyRecordsToAddress()
    {
        Sources sources;
        for (int i = 0; i < 32768; ++i)
            sources.localities.append({.locality = QStringLiteral("L%1").arg(i), .province = "RM", .cap = "00100"});
        QList<Fault> faults;
        QVERIFY(compileLocalities(sources, faults).isEmpty());
        QCOMPARE(faults.size(), 2); // localita.loc, and locacap.cod that lists every one of them
        QVERIFY(faults.first().message.contains("32768 records"));
    }

    void quotedFieldsAreRead()
    {
        QList<Fault> faults;
        const CsvTable table = parseCsv("a,b,c\r\n\"x, y\",\"say \"\"hi\"\"\",\"two\nlines\"\r\n\r\nlast,,\n", "t.csv", faults);
        QVERIFY(faults.isEmpty());
        QCOMPARE(table.header, QStringList({"a", "b", "c"}));
        QCOMPARE(table.rows.size(), 2);
        QCOMPARE(table.rows[0].fields, QStringList({"x, y", "say \"hi\"", "two\nlines"}));
        QCOMPARE(table.rows[1].fields, QStringList({"last", "", ""}));
        QCOMPARE(table.rows[1].line, 5);
        parseCsv("a\n\"open", "t.csv", faults);
        QCOMPARE(faults.size(), 1);
    }

    void writesTheExactBytes()
    {
        QTemporaryDir dir;
        QVERIFY(test::buildDataFolder(
            dir.path(),
            {{.locality = "ROMA", .province = "RM", .cap = "00100", .note = "CAP PER VIA", .codes = {"00144"}},
             {.locality = "RO", .province = "FE", .cap = "44030"},
             {.locality = "ROMANO", .province = "BG", .agency = "ROMANO", .cap = "24058", .bil = "RUMA"}},
            {{.province = "RM", .name = "ROMA"}, {.province = "BG", .name = "BERGAMO"}}));
        const auto file = [&](const char *name) { return test::readAll(dir.filePath(name)); };

        QCOMPARE(file("localita.loc"),
                 record({{0, "RO"}, {40, "FE"}, {43, ""}, {86, "44030"}, {92, ""}, {126, ""}}, 161)
                     + record({{0, "ROMA"}, {40, "RM"}, {86, "00100"}, {126, "CAP PER VIA"}}, 161)
                     + record({{0, "ROMANO"}, {40, "BG"}, {43, "ROMANO"}, {86, "24058"}, {92, "RUMA"}}, 161));
        QCOMPARE(file("localita.lox"), QByteArray("\x02RO\0\x01\0" "\x03ROM\x02\0", 12));
        QCOMPARE(file("locacap.cod"), QByteArray("\x05" "00100\x02\0" "\x05" "00144\x02\0"
                                                 "\x05" "24058\x03\0" "\x05" "44030\x01\0", 32));
        QCOMPARE(file("locacap.cox"), QByteArray("\x03" "001\x01\0" "\x03" "240\x03\0" "\x03" "440\x04\0", 18));
        QCOMPARE(file("locapv.cod"), QByteArray("\x02" "BG\0\x03\0" "\x02" "FE\0\x01\0" "\x02" "RM\0\x02\0", 18));
        QCOMPARE(file("locapv.cox"), QByteArray("\x02" "BG\0\x01\0" "\x02" "FE\0\x02\0" "\x02" "RM\0\x03\0", 18));
        QCOMPARE(file("cap.pv"), record({{0, "BG"}, {3, "BERGAMO"}}, 24) + record({{0, "RM"}, {3, "ROMA"}}, 24));
    }

    void sameSourcesGiveIdenticalFiles()
    {
        QList<LocalitySource> rows{{.locality = "PISA", .province = "PI", .cap = "56100", .codes = {"56122", "56121"}},
                                   {.locality = "PIANA", .province = "CE", .cap = "81010"},
                                   {.locality = "PISA", .province = "AA", .cap = "00001"},
                                   {.locality = "ÈVE", .province = "AO", .cap = "11100"}};
        QTemporaryDir first, second;
        QVERIFY(test::buildDataFolder(first.path(), rows, {{.province = "PI", .name = "PISA"}}));
        std::reverse(rows.begin(), rows.end());
        QVERIFY(test::buildDataFolder(second.path(), rows, {{.province = "PI", .name = "PISA"}}));
        const QStringList names = QDir(first.path()).entryList(QDir::Files);
        QCOMPARE(names.size(), 7);
        for (const QString &name : names)
            QVERIFY2(test::readAll(first.filePath(name)) == test::readAll(second.filePath(name)), qPrintable(name));
    }
};

QTEST_GUILESS_MAIN(TestDataCompiler)
#include "tst_data_compiler.moc"

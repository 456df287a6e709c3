// The data compiler: reading CSV sources, validating them with the place of
// every fault, and the exact bytes of the files it writes.
#include "datacompiler/csv_reader.h"
#include "datacompiler/data_compiler.h"
#include "support/fixtures.h"
#include "common/street_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace zelvora;
using namespace zelvora::datac;

namespace {
const QByteArray kLocalityHeader = "locality,province,agency,cap,bil,note,codes\n";
const QByteArray kProvinceHeader = "province,name\n";
const QByteArray kCityHeader = "street,designation,city_tag,cap,agency,note\n";

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

    // Writes a city's source, compiles it into a fresh folder, returns the faults.
    QStringList compileCityCsv(const QByteArray &csv, QTemporaryDir &dir)
    {
        test::writeAll(dir.filePath("roma.csv"), csv);
        QList<Fault> faults;
        const CitySource city = readCitySource(dir.filePath("roma.csv"), faults);
        if (faults.isEmpty())
            compileCityFolder(city, dir.filePath("zone"), "roma", faults);
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

    void cityFaultsNameTheirLine_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("fault"); // empty: the city compiles
        const QByteArray ok = "GARIBALDI GIUSEPPE,VIA,,00185,,\n";
        QTest::newRow("street longer than its field")
            << kCityHeader + ok + QByteArray(41, 'A') + ",VIA,,00185,,\n"
            << "roma.csv:3: street \"" + QString(41, 'A') + "\" is 41 characters long; the field holds 40";
        QTest::newRow("district code of three characters")
            << kCityHeader + ok + ok + "ROMA,VIA,M10,00185,,\n"
            << "roma.csv:4: city_tag \"M10\" is 3 characters long; the field holds 2";
        QTest::newRow("note longer than its field")
            << kCityHeader + "ROMA,VIA,,00185,," + QByteArray(71, 'N') + "\n"
            << "roma.csv:2: note \"" + QString(71, 'N') + "\" is 71 characters long; the field holds 70";
        QTest::newRow("postal code of four digits")
            << kCityHeader + ok + "ROMA,VIA,,0018,,\n" << "roma.csv:3: postal code \"0018\" is not five digits";
        QTest::newRow("street in lower case")
            << kCityHeader + "Garibaldi,VIA,,00185,,\n" << "roma.csv:2: street \"Garibaldi\" is not in upper case";
        QTest::newRow("accented letter in lower case")
            << kCityHeader + "CITTà,VIA,,00185,,\n" << "roma.csv:2: street \"CITTà\" is not in upper case";
        QTest::newRow("letters without a code page upper case stay as they are")
            << kCityHeader + "STRAßE µ À,VIA,,,,\n" << QString();
        QTest::newRow("character outside code page 1252")
            << kCityHeader + ok + "ŁÓDŹ,VIA,,00185,,\n"
            << "roma.csv:3: street \"ŁÓDŹ\" holds a character that code page 1252 cannot hold";
        QTest::newRow("empty street name") << kCityHeader + ",VIA,,00185,,\n" << "roma.csv:2: empty street name";
        QTest::newRow("a column the street file does not hold is read past")
            << QByteArray("source,street,designation,city_tag,cap,agency,note\nschools,ROMA,VIA,,00185,,\n")
            << QString();
    }
    void cityFaultsNameTheirLine()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QString, fault);
        QTemporaryDir dir;
        const QStringList faults = compileCityCsv(csv, dir);
        if (fault.isEmpty()) {
            QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
            QVERIFY(QFile::exists(dir.filePath("zone/roma.loc")));
            return;
        }
        QVERIFY2(faults.contains(fault), qPrintable(faults.join('\n')));
        QVERIFY2(!QDir(dir.filePath("zone")).exists(), "nothing is written when a source has a fault");
    }

    void evidenceFaultsNameTheirLine_data()
    {
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<QString>("fault"); // empty: the city compiles with its evidence
        QTest::newRow("a register's range") << QByteArray("ROMA,VIA,1,99,D,00185,schools+offices,R") << QString();
        QTest::newRow("a street the city does not have")
            << QByteArray("ROMA,PIAZZA,1,1,T,00185,schools,P") << "roma.evi.csv:3: street \"ROMA\" (PIAZZA) is not in roma.csv";
        QTest::newRow("first number after the last")
            << QByteArray("ROMA,VIA,9,1,T,00185,schools,R") << "roma.evi.csv:3: house numbers \"9\"-\"1\" are not a range of 0 to 65535";
        QTest::newRow("a number beyond the file's")
            << QByteArray("ROMA,VIA,1,70000,T,00185,schools,R") << "roma.evi.csv:3: house numbers \"1\"-\"70000\" are not a range of 0 to 65535";
        QTest::newRow("unknown parity")
            << QByteArray("ROMA,VIA,1,9,X,00185,schools,R") << "roma.evi.csv:3: parity \"X\" is not D, P or T";
        QTest::newRow("code of four digits")
            << QByteArray("ROMA,VIA,1,9,T,0018,schools,R") << "roma.evi.csv:3: postal code \"0018\" is not five digits";
        QTest::newRow("unknown source")
            << QByteArray("ROMA,VIA,1,9,T,00185,schools+gossip,R") << "roma.evi.csv:3: unknown source \"gossip\"";
        QTest::newRow("unknown kind") << QByteArray("ROMA,VIA,1,9,T,00185,schools,X") << "roma.evi.csv:3: kind \"X\" is not R or P";
        QTest::newRow("a point over several numbers")
            << QByteArray("ROMA,VIA,1,9,T,00185,schools,P") << "roma.evi.csv:3: a point has one house number and parity T";
    }
    void evidenceFaultsNameTheirLine()
    {
        QFETCH(QByteArray, row);
        QFETCH(QString, fault);
        QTemporaryDir dir;
        test::writeAll(dir.filePath("roma.csv"), kCityHeader + "ROMA,VIA,,00185,,\nXX SETTEMBRE,VIA,,00187,,\n");
        test::writeAll(dir.filePath("roma.evi.csv"), "street,designation,first,last,parity,cap,sources,kind\n"
                                                     "XX SETTEMBRE,VIA,2,2,T,00187,offices,P\n" + row + "\n");
        QList<Fault> faults;
        CitySource city = readCitySource(dir.filePath("roma.csv"), faults);
        readEvidenceSource(dir.filePath("roma.evi.csv"), city, faults);
        if (faults.isEmpty())
            compileCityFolder(city, dir.filePath("zone"), "roma", faults);
        QStringList texts;
        for (const Fault &f : faults)
            texts << QStringLiteral("%1:%2: %3").arg(QFileInfo(f.file).fileName()).arg(f.line).arg(f.message);
        if (fault.isEmpty()) {
            QVERIFY2(texts.isEmpty(), qPrintable(texts.join('\n')));
            // ROMA (record 1) then XX SETTEMBRE (record 2): the entries follow the street file's order.
            const QByteArray evi = test::readAll(dir.filePath("zone/roma.evi"));
            QCOMPARE(evi.size(), 2 * EvidenceRecord::kSize);
            QCOMPARE(evi.left(2), QByteArray("\x01\0", 2));
            QCOMPARE(evi.mid(EvidenceRecord::kSize, 2), QByteArray("\x02\0", 2));
            return;
        }
        QVERIFY2(texts.contains(fault), qPrintable(texts.join('\n')));
        QVERIFY2(!QDir(dir.filePath("zone")).exists(), "nothing is written when a source has a fault");
    }

    void changesCompileToSortedRecordsOrNameTheirFault_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("fault"); // empty: compiles
        const QByteArray header = "kind,locality,province,cap,new_locality,new_province,new_cap\n";
        const QByteArray years = "kind,locality,province,cap,new_locality,new_province,new_cap,year\n";
        QTest::newRow("every kind, out of order")
            << years + "merged,LIRIO,PV,,,,,\nprovince,LISSONE,MI,,LISSONE,MB,,2009\nname,BOZEN,BZ,,BOLZANO,BZ,,\n"
                       "fraction,MARINA DI RAVENNA,RA,,RAVENNA,RA,,\ngeneric,MODENA,MO,41100,,,,\n"
                       "cap,Segrate,MI,20090,,,20054,2020\n"
            << "";
        QTest::newRow("a file of the first edition, without years") << header + "merged,LIRIO,PV,,,,\n" << "";
        QTest::newRow("a catch-all without its code")
            << years + "generic,MODENA,MO,,,,,\n" << "changes.csv:2: a catch-all code names its code alone";
        QTest::newRow("a former province with a code")
            << years + "province,LISSONE,MI,20035,LISSONE,MB,,\n" << "changes.csv:2: a former province names";
        QTest::newRow("a former province that is today's")
            << years + "province,LISSONE,MB,,LISSONE,MB,,\n" << "changes.csv:2: a former province names";
        QTest::newRow("another name that names no locality")
            << years + "name,BOZEN,BZ,,,,,\n" << "changes.csv:2: another name names the locality";
        QTest::newRow("a frazione with a new code")
            << years + "fraction,MARINA DI RAVENNA,RA,,RAVENNA,RA,48122,\n" << "changes.csv:2: a frazione names";
        QTest::newRow("a year that is no year")
            << years + "cap,SEGRATE,MI,20090,,,20054,2020/5\n" << "changes.csv:2: the year is four digits";
        QTest::newRow("a code change without its new code")
            << header + "cap,SEGRATE,MI,20090,,,\n" << "changes.csv:2: a code change needs the old and the new code";
        QTest::newRow("a merger with a code") << header + "cap,SEGRATE,MI,20090,,,20054\nmerged,LIRIO,PV,27040,,,\n"
                                              << "changes.csv:3: a merger has no code";
        QTest::newRow("a merger into a municipality without its province")
            << header + "merged,NANTO,VI,,CASTEGNERO NANTO,,\n" << "changes.csv:2: a merger names the new municipality";
        QTest::newRow("unknown kind") << header + "nome,ROMA,RM,,,,\n" << "changes.csv:2: unknown kind \"nome\"";
    }

    void changesCompileToSortedRecordsOrNameTheirFault()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QString, fault);
        QTemporaryDir dir;
        test::writeAll(dir.filePath("changes.csv"), csv);
        QList<Fault> faults;
        const ChangesSource source = readChangesSource(dir.filePath("changes.csv"), faults);
        QVERIFY(faults.isEmpty());
        const bool written = compileChangesFolder(source, dir.filePath("out"), faults);
        const QString data = dir.filePath("out/variazioni.dat");
        if (!fault.isEmpty()) {
            QVERIFY(!written);
            QVERIFY(!faults.isEmpty());
            QVERIFY2(faults.first().toString().contains(fault), qPrintable(faults.first().toString()));
            QVERIFY(!QFile::exists(data));
            return;
        }
        QVERIFY(written);
        if (!csv.contains("generic")) {
            QCOMPARE(test::readAll(data), record({{0, "F"}, {2, "LIRIO"}, {42, "PV"}}, 105));
            return;
        }
        // Sorted by kind, then name, whatever the source's order; names upper case.
        QCOMPARE(test::readAll(data),
                 record({{0, "C"}, {2, "SEGRATE"}, {42, "MI"}, {45, "20090"}, {94, "20054"}, {100, "2020"}}, 105)
                     + record({{0, "F"}, {2, "LIRIO"}, {42, "PV"}}, 105)
                     + record({{0, "G"}, {2, "MODENA"}, {42, "MO"}, {45, "41100"}}, 105)
                     + record({{0, "N"}, {2, "BOZEN"}, {42, "BZ"}, {51, "BOLZANO"}, {91, "BZ"}}, 105)
                     + record({{0, "P"}, {2, "LISSONE"}, {42, "MI"}, {51, "LISSONE"}, {91, "MB"}, {100, "2009"}}, 105)
                     + record({{0, "Z"}, {2, "MARINA DI RAVENNA"}, {42, "RA"}, {51, "RAVENNA"}, {91, "RA"}}, 105));
    }

    void cityOfTooManyStreetsToAddress()
    {
        CitySource city;
        for (int i = 0; i < 32768; ++i)
            city.streets.append({.street = QStringLiteral("S%1").arg(i), .designation = "VIA"});
        QList<Fault> faults;
        QVERIFY(compileCity(city, "roma", faults).isEmpty());
        QCOMPARE(faults.size(), 1);
        QVERIFY(faults.first().message.contains("32768 records"));
    }

    // A street named with a number in words gets a record under each form
    // people write it in, with its designation, code and note.
    void streetsNamedWithNumbersInWordsAreFoundAsWritten_data()
    {
        QTest::addColumn<QString>("street");
        QTest::addColumn<QStringList>("aliases");
        QTest::newRow("a date: Roman numerals and figures")
            << "VENTI SETTEMBRE" << QStringList{"20 SETTEMBRE (VENTI SETTEMBRE)", "XX SETTEMBRE (VENTI SETTEMBRE)"};
        QTest::newRow("a king's ordinal, too long for the name: the number's words")
            << "VITTORIO EMANUELE SECONDO" << QStringList{"VITTORIO EMANUELE II (SECONDO)"};
        QTest::newRow("a pope's") << "PAPA GIOVANNI VENTITREESIMO" << QStringList{"PAPA GIOVANNI XXIII (VENTITREESIMO)"};
        QTest::newRow("a pope's ordinal") << "INNOCENZO UNDICESIMO" << QStringList{"INNOCENZO XI (INNOCENZO UNDICESIMO)"};
        QTest::newRow("an ordinal that opens the name is no king's") << "SECONDO TRONCO" << QStringList{};
        QTest::newRow("a number that is no date") << "TRE CANTONI" << QStringList{};
    }

    void streetsNamedWithNumbersInWordsAreFoundAsWritten()
    {
        QFETCH(QString, street);
        QFETCH(QStringList, aliases);
        QTemporaryDir dir;
        QVERIFY(test::buildCity(dir.path(), "roma", {{.street = street, .designation = "VIA", .cap = "00187", .note = "1-9"},
                                                     {.street = "ROMA", .designation = "VIA"}}));
        const QByteArray loc = test::readAll(dir.filePath(QStringLiteral("zone/roma.loc")));
        QStringList found;
        for (qsizetype at = 0; at + StreetRecord::kSize <= loc.size(); at += StreetRecord::kSize) {
            const StreetRecord r = StreetRecord::decode(loc.mid(at, StreetRecord::kSize));
            if (r.street != street && r.street != u"ROMA") {
                found << r.street;
                QCOMPARE(r.designation + u' ' + r.cap + u' ' + QString::number(r.noteNo), QStringLiteral("VIA 00187 1"));
            }
        }
        found.sort();
        QCOMPARE(found, aliases);
    }

    void noStreetIsAddedBeyondTheRecordsAFileCanAddress()
    {
        CitySource city;
        for (int i = 0; i < 32766; ++i)
            city.streets.append({.street = QStringLiteral("S%1").arg(i), .designation = "VIA"});
        city.streets.append(StreetSource{.street = "VENTI SETTEMBRE", .designation = "VIA"});
        QList<Fault> faults;
        const DataFiles files = compileCity(city, "roma", faults);
        QVERIFY(faults.isEmpty());
        QCOMPARE(files.value("roma.loc").size(), qsizetype(32767) * StreetRecord::kSize);
    }

    void cityWritesTheExactBytes()
    {
        QList<StreetSource> streets{{.street = "ROMA", .designation = "VIA", .cityTag = "M1", .cap = "00185", .note = "1-9"},
                                    {.street = "ÈRE", .designation = "VIA", .cap = "00100", .agency = "ROMA 4"},
                                    {.street = "ROMA", .designation = "PIAZZA", .cap = "00184", .note = "TUTTI"},
                                    {.street = "ROMAGNA", .designation = "VIA", .note = "1-9"}};
        QTemporaryDir first, second;
        QVERIFY(test::buildCity(first.path(), "roma", streets));
        std::reverse(streets.begin(), streets.end());
        QVERIFY(test::buildCity(second.path(), "roma", streets));
        const auto file = [&](const char *name) { return test::readAll(first.filePath(QStringLiteral("zone/") + name)); };
        const auto street = [](std::initializer_list<std::pair<int, QByteArray>> fields, char noteNo) {
            QByteArray bytes = record(fields, 104);
            bytes[102] = noteNo;
            return bytes;
        };
        // Street order is code page byte order (È is 0xC8, after R); equal
        // names follow their designations; notes are shared by their text.
        QCOMPARE(file("roma.loc"),
                 street({{0, "ROMA"}, {41, "PIAZZA"}, {70, "00184"}}, 1)
                     + street({{0, "ROMA"}, {41, "VIA"}, {67, "M1"}, {70, "00185"}}, 2)
                     + street({{0, "ROMAGNA"}, {41, "VIA"}}, 2)
                     + street({{0, "\xc8RE"}, {41, "VIA"}, {70, "00100"}, {76, "ROMA 4"}}, 0));
        QCOMPARE(file("roma.lox"), QByteArray("\x03ROM\x01\0" "\x03\xc8RE\x04\0", 12));
        QCOMPARE(file("roma.civ"), record({{0, "TUTTI"}}, 71) + record({{0, "1-9"}}, 71));
        for (const char *name : {"roma.loc", "roma.lox", "roma.civ"})
            QVERIFY2(file(name) == test::readAll(second.filePath(QStringLiteral("zone/") + name)), name);
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
        // A quote never closed runs to the end, where a line end is no row's;
        // carriage returns count for nothing, even inside quotes.
        const CsvTable open = parseCsv("a\r\nx\"y\r\n\"open\r\n\"\"more,", "t.csv", faults);
        QCOMPARE(faults.size(), 2);
        QCOMPARE(faults.last().toString(), QStringLiteral("t.csv:3: unterminated quoted field"));
        QCOMPARE(open.rows.size(), 2);
        QCOMPARE(open.rows[0].fields, QStringList{"x\"y"});
        QCOMPARE(open.rows[1].fields, QStringList{"open\n\"more,"});
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

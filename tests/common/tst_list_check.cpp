// The list check a step at a time, as a program drives it row by row: the
// list opened, its columns found or chosen, each row with the line it starts
// on and its verdict, whatever the bytes.
#include "common/error.h"
#include "common/list_check.h"
#include "support/fixtures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace zelvora;

class TestListCheck : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString list(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("elenco.csv"));
        test::writeAll(path, bytes);
        return path;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(test::buildDataFolder(m_dir.path(), {{"CANTÙ", "CO", "", "22063"}, {"ROMA", "RM", "", "00187"}},
                                      {{"CO", "COMO"}, {"RM", "ROMA"}}));
    }

    void givesEachRowItsLineAndVerdict_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QList<int>>("lines");
        QTest::addColumn<QStringList>("outcomes");
        const QByteArray header = "comune;cap\n";
        const QString ok = QStringLiteral("OK");
        const QString invalid = QStringLiteral("RIGA NON VALIDA");
        QTest::newRow("line breaks in quotes and empty lines count")
            << header + "\"Ro\nma\";00187\n\n\r\nCantù;22063\n" << QList<int>{2, 6} << QStringList{ok, ok};
        QTest::newRow("a quote never closed, then the next line")
            << header + "\"Roma;00187\nCantù;22063" << QList<int>{2, 3} << QStringList{invalid, ok};
        QTest::newRow("a quote never closed after a closed one over two lines")
            << header + "\"Ro\nma\";\"00187\nCantù;22063\n" << QList<int>{2, 4} << QStringList{invalid, ok};
        QTest::newRow("a line over the limit")
            << header + QByteArray(70000, 'x') + "\nCantù;22063\n" << QList<int>{2, 3} << QStringList{invalid, ok};
        QTest::newRow("a quote open past the limit, on one line")
            << header + '"' + QByteArray(200000, ';') + "\nCantù;22063\n" << QList<int>{2, 3} << QStringList{invalid, ok};
        QTest::newRow("a NUL byte, Windows-1252, an empty locality, a short row")
            << header + "Ro" + '\0' + "ma;00187\nCant\xF9;22063\n;\nRoma\n" << QList<int>{2, 3, 4, 5}
            << QStringList{invalid, ok, invalid, "CAP MANCANTE"};
        QTest::newRow("100,000 columns, then the next line")
            << header + "Roma;00187" + QByteArray(";x").repeated(100000) + "\nCantù;22063\n" << QList<int>{2, 3}
            << QStringList{invalid, ok};
        QTest::newRow("a line of separators only, a field over the field limit")
            << header + QByteArray(30000, ';') + "\nRoma;" + QByteArray(5000, '0') + "\nCantù;22063\n"
            << QList<int>{2, 3, 4} << QStringList{invalid, invalid, ok};
        QTest::newRow("NUL bytes in quotes and on a line of their own")
            << header + "\"Ro" + '\0' + "ma\";00187\n" + '\0' + "\nCantù;22063\n" << QList<int>{2, 3, 4}
            << QStringList{invalid, invalid, ok};
        QTest::newRow("invalid UTF-8 after a byte order mark, then a valid row")
            << "\xEF\xBB\xBF" + header + "Cant\xF9;22063\nRoma;00187\n" << QList<int>{2, 3} << QStringList{invalid, ok};
        QList<int> afterQuote{2};
        QStringList afterQuoteOutcomes{invalid};
        for (int line = 3; line < 20003; ++line) {
            afterQuote << line;
            afterQuoteOutcomes << ok;
        }
        QTest::newRow("a quote never closed, then 20,000 rows")
            << header + "\"Roma;00187\n" + QByteArray("Cantù;22063\n").repeated(20000) << afterQuote
            << afterQuoteOutcomes;
    }

    void givesEachRowItsLineAndVerdict()
    {
        QFETCH(QByteArray, input);
        QFETCH(QList<int>, lines);
        QFETCH(QStringList, outcomes);
        AddressList addresses(list(input));
        QCOMPARE(addresses.header(), QStringList({"comune", "cap"}));
        const ListColumns columns = ListColumns::detect(addresses.header());
        AddressCheck check(m_dir.path());
        QList<int> readLines;
        QStringList readOutcomes;
        while (const std::optional<ListRow> row = addresses.next()) {
            QVERIFY(row->raw.size() <= CsvReader::kListLimits.record);
            for (const QString &field : std::as_const(row->fields))
                QVERIFY(field.size() <= CsvReader::kListLimits.field);
            readLines << row->line;
            readOutcomes << Verdict::text(checkRow(check, columns, *row, 2).outcome);
        }
        QCOMPARE(readLines, lines);
        QCOMPARE(readOutcomes, outcomes);
    }

    void columnsAreFoundOrChosen()
    {
        const QStringList header{"Cliente", "C.A.P.", "Località", "Prov.", "Indirizzo", "N. civico"};
        QCOMPARE(ListColumns::detect(header).index, (std::array<int, kListFields>{2, 3, 1, 4, 5}));
        QCOMPARE(ListColumns::named(header, {"5", "", "cliente"}).index,
                 (std::array<int, kListFields>{4, -1, 0, -1, -1}));
        QVERIFY_THROWS_EXCEPTION(Error, ListColumns::named(header, {"telefono"}));
    }

    void writesRowsBackAsTheListIsWritten()
    {
        AddressList addresses(list("comune\tcap\r\nCant\xF9\r\n\"a\"b\t1\r\n"));
        const ListFormat &format = addresses.format();
        QCOMPARE(format.encoding, ListEncoding::Windows1252);
        QCOMPARE(format.separator, '\t');
        QCOMPARE(format.header(addresses.rawHeader(), {"esito"}), QByteArray("comune\tcap\tesito\r\n"));
        QCOMPARE(format.row(*addresses.next(), 2, {"LOCALITÀ", "a\tb"}), QByteArray("Cant\xF9\t\tLOCALIT\xC0\t\"a\tb\"\r\n"));
        QCOMPARE(format.row(*addresses.next(), 2, {"x"}), QByteArray("\"a\"b\t1\tx\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestListCheck)
#include "tst_list_check.moc"

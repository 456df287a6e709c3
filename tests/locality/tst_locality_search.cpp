// The three search modes and the incremental search, driven through the
// real main window: typing into Cerca and reading the grid.
#include "support/controls.h"
#include "support/main_window_fixture.h"

#include <QLabel>

using namespace zelvora;
using namespace zelvora::test;

namespace {
QList<LocalitySource> towns()
{
    return {{.locality = "RO", .province = "FE", .cap = "44030"},
            {.locality = "ROASCHIA", .province = "CN", .cap = "12010"},
            {.locality = "ROMA", .province = "RM", .cap = "00100", .note = "CAP PER VIA: VEDI ZONE POSTALI",
             .codes = {"00118", "00144", "00199"}},
            {.locality = "ROMAGNANO SESIA", .province = "NO", .cap = "28078"},
            {.locality = "ROMANO CANAVESE", .province = "TO", .cap = "10090"},
            {.locality = "ROMENO", .province = "TN", .cap = "38010"},
            {.locality = "RONCO", .province = "TN", .cap = "38050"},
            {.locality = "SAN MARCO", .province = "SA", .cap = "84050"},
            {.locality = "SANTA MARIA", .province = "CE", .cap = "81010"},
            {.locality = "TORINO", .province = "TO", .cap = "10100"},
            {.locality = "TRENTO", .province = "TN", .cap = "", .note = "CAP DA 38121 A 38123",
             .codes = {"38121", "38122", "38123"}},
            {.locality = "ÈVE", .province = "AO", .cap = "11020"}};
}
} // namespace

class TestLocalitySearch : public QObject
{
    Q_OBJECT

private slots:
    void typingShowsTheFirstMatchOn_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("first");
        QTest::newRow("one character: first group in index order") << "R" << "R" << "RO";
        QTest::newRow("three characters: the exact group") << "ROM" << "ROM" << "ROMA";
        QTest::newRow("refined within the group") << "ROMAN" << "ROMAN" << "ROMANO CANAVESE";
        QTest::newRow("lower case becomes upper case") << "romag" << "ROMAG" << "ROMAGNANO SESIA";
        QTest::newRow("accented letter") << QString::fromUtf8("è") << QString::fromUtf8("È") << QString::fromUtf8("ÈVE");
        QTest::newRow("fourth character no name continues is taken back") << "ROMX" << "ROM" << "ROMA";
        QTest::newRow("sixth character taken back to the group's match") << "ROMANZ" << "ROMAN" << "ROMANO CANAVESE";
        QTest::newRow("unknown first character is taken back") << "X" << "" << "RO";
        QTest::newRow("text inside a key is no match") << "OMA" << "" << "RO";
        QTest::newRow("space in a name") << "SAN " << "SAN " << "SAN MARCO";
    }
    void typingShowsTheFirstMatchOn()
    {
        QFETCH(QString, typed);
        QFETCH(QString, field);
        QFETCH(QString, first);
        MainWindowFixture f;
        QVERIFY(f.open(towns()));
        f.type(typed);
        QCOMPARE(f.cerca()->text(), field);
        QCOMPARE(f.cerca()->cursorPosition(), field.size());
        QCOMPARE(f.firstName(), first);
        QVERIFY(f.boxes.requests.isEmpty());
    }

    void groupSmallerThanAPageIsFollowedByTheNextGroups()
    {
        MainWindowFixture f;
        QVERIFY(f.open(towns()));
        f.type("RON");
        QCOMPARE(f.names(), QStringList({"RONCO", "SAN MARCO", "SANTA MARIA", "TORINO", "TRENTO", "ÈVE"}));
        QCOMPARE(f.window->rows().value(4).note(), "CAP DA 38121 A 38123");
        QCOMPARE(f.window->rows().size(), 6);
    }

    void pastedTextIsCutToWhatAKeyBeginsWith()
    {
        MainWindowFixture f;
        QVERIFY(f.open(towns()));
        f.cerca()->insert("ROXANA"); // as a paste: one change of the whole text
        QCOMPARE(f.cerca()->text(), "RO");
        QCOMPARE(f.firstName(), "RO");
        f.cerca()->clear();
        f.cerca()->insert("QQQQ");
        QCOMPARE(f.cerca()->text(), "");
        QCOMPARE(f.firstName(), "RO");
    }

    void escapeEmptiesTheFieldAndEnterGoesToTheGrid()
    {
        MainWindowFixture f;
        QVERIFY(f.open(towns()));
        f.type("TOR");
        QCOMPARE(f.firstName(), "TORINO");
        const qint64 before = f.reads();
        f.key(Qt::Key_Escape, f.cerca());
        QCOMPARE(f.cerca()->text(), "");
        QCOMPARE(f.firstName(), "RO");
        QVERIFY(f.reads() > before);
        // Esc in an empty field changes nothing.
        const qint64 again = f.reads();
        f.key(Qt::Key_Escape, f.cerca());
        QCOMPARE(f.reads(), again);
        f.key(Qt::Key_Return, f.cerca());
        QVERIFY(f.grid()->hasFocus());
        QVERIFY(f.grid()->isHighlighted(0, 0));
    }

    void repeatedTextIsNeverSearchedTwice()
    {
        MainWindowFixture f;
        QVERIFY(f.open(towns()));
        f.type("ROM");
        const qint64 before = f.reads();
        f.cerca()->setText("ROM");
        QCOMPARE(f.reads(), before);
    }

    void postalCodeModeFindsAnyCodeOfACity()
    {
        MainWindowFixture f;
        QVERIFY(f.open(towns()));
        test::control<QAction>(f.window, "perCAP1")->trigger();
        QCOMPARE(test::control<QLabel>(f.window, "Label2")->text(), "C.A.P.");
        QCOMPARE(hintOf(f.cerca()), "Immetti il C.A.P. anche parziale da ricercare");
        QCOMPARE(f.cerca()->maxLength(), 5);
        QVERIFY(f.cerca()->hasFocus());
        f.type("00144");
        QCOMPARE(f.firstName(), "ROMA");
        QCOMPARE(f.grid()->cell(2, 0), "00100");
        f.cerca()->clear();
        f.type("38122");
        QCOMPARE(f.firstName(), "TRENTO");
        QCOMPARE(f.grid()->cell(1, 0), "TN");
        QCOMPARE(f.names().mid(1, 2), QStringList({"TRENTO", "RO"})); // 38123, then 44030
        f.cerca()->clear();
        f.type("38124");
        QCOMPARE(f.cerca()->text(), "3812");
        QCOMPARE(f.firstName(), "TRENTO");
    }

    void provinceModeCutsAnUnknownAbbreviation()
    {
        MainWindowFixture f;
        QVERIFY(f.open(towns()));
        test::control<QAction>(f.window, "perProvincia1")->trigger();
        QCOMPARE(test::control<QLabel>(f.window, "Label2")->text(), "Provincia");
        QCOMPARE(hintOf(f.cerca()), "Immetti la Provincia (PV) da ricercare");
        QCOMPARE(f.cerca()->maxLength(), 2);
        f.type("TN");
        QCOMPARE(f.names().mid(0, 3), QStringList({"ROMENO", "RONCO", "TRENTO"}));
        f.cerca()->clear();
        f.type("TX");
        QCOMPARE(f.cerca()->text(), "T");
        QCOMPARE(f.firstName(), "ROMENO"); // TN is the first province beginning with T
        f.cerca()->clear();
        f.type("QQ");
        QCOMPARE(f.cerca()->text(), "");
    }

    void scrollBarAfterASwitchOfMode()
    {
        QList<LocalitySource> many = numberedLocalities(30);
        MainWindowFixture f;
        QVERIFY(f.open(many));
        QCOMPARE(f.scrollBar()->position(), 0);
        QCOMPARE(f.scrollBar()->maximum(), 30);
        QCOMPARE(f.grid()->rowCountValue(), 8);
        test::control<QAction>(f.window, "perCAP1")->trigger();
        QCOMPARE(f.scrollBar()->position(), 9);
        QCOMPARE(f.grid()->rowCountValue(), 8);
        // The ninth record is read and kept beyond the grid's rows.
        QCOMPARE(f.window->rows().size(), 9);
        QCOMPARE(f.grid()->cell(0, 8), "P008");
        QCOMPARE(f.window->state().currentRecord, 9);
        test::control<QAction>(f.window, "perProvincia1")->trigger();
        QCOMPARE(f.scrollBar()->position(), 9);
        test::control<QAction>(f.window, "perLocalit1")->trigger();
        QCOMPARE(f.scrollBar()->position(), 0);
        QCOMPARE(test::control<QLabel>(f.window, "Label2")->text(), QString::fromUtf8("Località"));
    }

    void switchingEmptiesTheFieldAndShowsTheStart()
    {
        MainWindowFixture f;
        QVERIFY(f.open(towns()));
        f.type("TOR");
        test::control<QAction>(f.window, "perCAP1")->trigger();
        QCOMPARE(f.cerca()->text(), "");
        QCOMPARE(f.firstName(), "ROMA"); // 00100 comes first in postal-code order
        QCOMPARE(f.window->state().searchMode(), "cap");
        QCOMPARE(f.window->search().lastSearchText(), "");
    }

    void recordReadsPerKeystroke()
    {
        MainWindowFixture f;
        QVERIFY(f.open(numberedLocalities(40)));
        qint64 before = f.reads();
        f.type("P");
        QVERIFY(f.reads() - before <= 9);
        before = f.reads();
        f.type("02");
        QVERIFY(f.reads() - before <= 18);
        // A text longer than the key halves its group of 10 (at most 2 log2
        // of it), then reads the page of the match.
        before = f.reads();
        f.type("7");
        QCOMPARE(f.firstName(), "P027");
        QVERIFY(f.reads() - before <= 2 * 4 + 8);

        test::control<QAction>(f.window, "perCAP1")->trigger();
        before = f.reads();
        f.type("2");
        QVERIFY(f.reads() - before <= 18);
    }

    void missingFilesOfAModeKeepThePreviousMode_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("menu"); // 1 postal code, 2 province
        QTest::addColumn<QString>("message");
        QTest::newRow("locacap.cod") << "locacap.cod" << 1
            << QString::fromUtf8("L'indice delle località per C.A.P. (locacap.cod) è mancante!\r"
                                 "Non è possibile eseguire la ricerca per C.A.P.");
        QTest::newRow("locacap.cox") << "locacap.cox" << 1
            << QString::fromUtf8("L'indice delle località per C.A.P. (locacap.cox) è mancante!\r"
                                 "Non è possibile eseguire la ricerca per C.A.P.");
        QTest::newRow("locapv.cod") << "locapv.cod" << 2
            << QString::fromUtf8("L'indice delle località per Provincia (locapv.cod) è mancante!\r"
                                 "Non è possibile eseguire la ricerca per Provincia.");
        QTest::newRow("locapv.cox, without the final full stop") << "locapv.cox" << 2
            << QString::fromUtf8("L'indice delle località per Provincia (locapv.cox) è mancante!\r"
                                 "Non è possibile eseguire la ricerca per Provincia");
    }
    void missingFilesOfAModeKeepThePreviousMode()
    {
        QFETCH(QString, file);
        QFETCH(int, menu);
        QFETCH(QString, message);
        MainWindowFixture f;
        QVERIFY(f.open(towns(), {}, [&](const QString &dir) { QFile::remove(dir + "/" + file); }));
        f.boxes.requests.clear();
        f.type("TOR");
        (menu == 1 ? test::control<QAction>(f.window, "perCAP1") : test::control<QAction>(f.window, "perProvincia1"))->trigger();
        QCOMPARE(f.boxes.requests, QList<MessageRequest>({{message, "Zelvora", MessageIcon::Error}}));
        QCOMPARE(f.window->state().searchMode(), "localita");
        QCOMPARE(test::control<QLabel>(f.window, "Label2")->text(), QString::fromUtf8("Località"));
        QCOMPARE(f.cerca()->text(), "TOR");
        // The locality search still works.
        f.type("I");
        QCOMPARE(f.firstName(), "TORINO");
    }

    void missingLocalityIndexAtStartUpPagesTheWholeFile_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("first"); // record of the first row afterwards
        QTest::newRow("the first page at start") << "" << 0;
        QTest::newRow("a typed character is taken back") << "type" << 0;
        QTest::newRow("page down at the last row") << "page" << 8;
        QTest::newRow("down at the last row") << "down" << 1;
        QTest::newRow("thumb released in the middle") << "thumb" << 20;
        QTest::newRow("thumb released at the end") << "end" << 32;
    }
    void missingLocalityIndexAtStartUpPagesTheWholeFile()
    {
        QFETCH(QString, action);
        QFETCH(int, first);
        MainWindowFixture f;
        QVERIFY(f.open(numberedLocalities(40), {}, [](const QString &dir) { QFile::remove(dir + "/localita.lox"); }));
        QCOMPARE(f.boxes.requests.size(), 1);
        QCOMPARE(f.boxes.requests[0].text,
                 QString::fromUtf8("L'indice delle località (localita.lox) è mancante!\r"
                                   "Non è possibile eseguire la ricerca per Località"));
        QCOMPARE(f.boxes.requests[0].icon, MessageIcon::Error);
        QCOMPARE(f.scrollBar()->maximum(), 40);
        if (action == "type") {
            f.type("P");
            QCOMPARE(f.cerca()->text(), "");
            QCOMPARE(f.window->rows().size(), 8);
        } else if (action == "page" || action == "down") {
            f.focusGrid();
            for (int i = 0; i < 7; ++i)
                f.key(Qt::Key_Down);
            f.key(action == "page" ? Qt::Key_PageDown : Qt::Key_Down);
        } else if (!action.isEmpty()) {
            f.scrollBar()->setSliderDown(true);
            f.scrollBar()->setSliderPosition(action == "end" ? 40 : 20);
            f.scrollBar()->setSliderDown(false);
        }
        QCOMPARE(f.names(), numberedNames(first, first + 7));
        QCOMPARE(f.boxes.requests.size(), 1);
    }

    void errorInTheFirstSearchOfASwitchAbandonsIt()
    {
        MainWindowFixture f;
        QVERIFY(f.open(numberedLocalities(40)));
        test::control<QAction>(f.window, "perCAP1")->trigger();
        f.type("27030");
        QCOMPARE(f.firstName(), "P030");
        // localita.loc loses all but two records while the program runs: the
        // postal-code entries from the third on name localities past its end,
        // and so do those of the province order.
        QVERIFY(QFile::resize(f.dir.filePath("localita.loc"), 2 * LocalityRecord::kSize));
        test::control<QAction>(f.window, "perProvincia1")->trigger();
        QCOMPARE(f.boxes.requests.size(), 1);
        QCOMPARE(f.boxes.requests[0].text,
                 QString::fromUtf8("Numero di località 3 fuori dal file localita.loc (2 record)"));
        QCOMPARE(f.window->state().searchMode(), "cap");
        QCOMPARE(test::control<QLabel>(f.window, "Label2")->text(), "C.A.P.");
        QCOMPARE(hintOf(f.cerca()), "Immetti il C.A.P. anche parziale da ricercare");
        QCOMPARE(f.cerca()->maxLength(), 5);
    }

    void damagedFilesEndTheActionWithTheErrorReport()
    {
        MainWindowFixture f;
        // A postal-code entry that names a locality past the end of localita.loc,
        // and an index group that starts past the end of its file.
        QVERIFY(f.open(towns(), {}, [](const QString &dir) {
            QByteArray cod = readAll(dir + "/locacap.cod");
            cod[6] = char(99);
            writeAll(dir + "/locacap.cod", cod);
            QByteArray lox = readAll(dir + "/localita.lox");
            const qsizetype last = lox.size() - 2;
            lox[last] = char(120);
            writeAll(dir + "/localita.lox", lox);
        }));
        QVERIFY(f.boxes.requests.isEmpty());
        f.type(QString::fromUtf8("È"));
        QCOMPARE(f.boxes.requests.size(), 1);
        QCOMPARE(f.boxes.requests[0].caption, "Zelvora");
        QCOMPARE(f.boxes.requests[0].icon, MessageIcon::Error);
        QVERIFY(f.boxes.requests[0].text.contains("localita.loc"));
        test::control<QAction>(f.window, "perCAP1")->trigger();
        QCOMPARE(f.boxes.requests.size(), 2);
        QVERIFY(f.boxes.requests[1].text.contains("99"));
        // The program goes on.
        test::control<QAction>(f.window, "perLocalit1")->trigger();
        f.type("TOR");
        QCOMPARE(f.firstName(), "TORINO");
    }
};

QTEST_MAIN(TestLocalitySearch)
#include "tst_locality_search.moc"

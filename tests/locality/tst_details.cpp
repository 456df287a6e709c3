// The locality details dialog, opened from the results list, and its printout.
#include "locality/details_dialog.h"
#include "support/controls.h"
#include "support/main_window_fixture.h"
#include "support/seams.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>

using namespace zelvora;
using namespace zelvora::test;

namespace {
QList<LocalitySource> records()
{
    return {{.locality = "ALFA", .province = "TO", .agency = "TORINO CENTRO", .cap = "10100", .bil = "ALPHA",
             .note = "NOTA ALFA"},
            {.locality = "BETA", .province = "TO", .agency = "", .cap = "10010", .note = "SOLO NOTE"},
            {.locality = "GAMMA", .province = "TO", .agency = "UFFICIO GAMMA", .cap = "10020"},
            {.locality = "DELTA", .province = "", .cap = "10030"},
            {.locality = "EPSILON", .province = "ZZ", .cap = ""},
            {.locality = "ZETA", .province = "R", .cap = "00100"}};
}
QList<ProvinceSource> provinces()
{
    return {{.province = "TO", .name = "TORINO"}, {.province = "RM", .name = "ROMA"}, {.province = "RI", .name = "RIETI"}};
}

QString pdfText(const QString &pdf)
{
    QProcess process;
    process.start("pdftotext", {"-layout", pdf, "-"});
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput());
}
} // namespace

class TestDetails : public QObject
{
    Q_OBJECT

    // Opens the details of the locality named `name` with Enter on its row.
    static void openDetails(MainWindowFixture &f, const QString &name, std::function<void(TDettagli *)> inspect)
    {
        f.type(name);
        QCOMPARE(f.firstName(), name);
        f.focusGrid();
        bool seen = false;
        onNextModal([&](QDialog *dialog) {
            auto *details = qobject_cast<TDettagli *>(dialog);
            QVERIFY(details);
            seen = true;
            inspect(details);
        });
        f.key(Qt::Key_Return, f.grid());
        QVERIFY(seen);
        // The window manager gives the focus back to the main window.
        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    }

private slots:
    // The bundled data hold a record under each name people write; the
    // search by name finds it and its details name the official locality.
    void namesPeopleWriteLeadToTheOfficialLocality_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("fields"); // EBil, EPv, ECap, ENot
        QTest::newRow("public offices' spelling")
            << "REGGIO EMILIA" << QStringList{"REGGIO NELL'EMILIA", "RE", "VEDI NOTE", "NOME UFFICIALE: REGGIO NELL'EMILIA"};
        QTest::newRow("second-language name") << "BOZEN" << QStringList{"BOLZANO", "BZ", "39100", "NOME UFFICIALE: BOLZANO"};
        QTest::newRow("an everyday form")
            << "CASSANO ALLO IONIO" << QStringList{"CASSANO ALL'IONIO", "CS", "87011", "NOME UFFICIALE: CASSANO ALL'IONIO"};
        QTest::newRow("a frazione without its municipality's name")
            << "MILANO MARITTIMA" << QStringList{"CERVIA MILANO MARITTIMA", "RA", "48015", "VEDI CERVIA MILANO MARITTIMA"};
    }
    void namesPeopleWriteLeadToTheOfficialLocality()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, fields);
        MainWindowFixture f;
        QVERIFY(f.openOn(QStringLiteral(ZELVORA_DATA_FOLDER)));
        openDetails(f, typed, [&](TDettagli *d) {
            QStringList shown;
            for (const char *name : {"EBil", "EPv", "ECap", "ENot"})
                shown << test::control<Edit>(d, name)->text();
            QCOMPARE(shown, fields);
        });
    }

    void fullRecordShowsEveryField()
    {
        MainWindowFixture f;
        QVERIFY(f.open(records(), provinces()));
        openDetails(f, "ALFA", [](TDettagli *d) {
            QCOMPARE(d->windowTitle(), "Dettagli Zelvora");
            QCOMPARE(d->size(), QSize(396, 225));
            QCOMPARE(test::control<Edit>(d, "ELoc")->text(), "ALFA");
            QCOMPARE(test::control<Edit>(d, "EBil")->text(), "ALPHA");
            QVERIFY(test::control<Edit>(d, "EBil")->isVisible());
            QCOMPARE(test::control<Edit>(d, "EPv")->text(), "TO");
            QCOMPARE(test::control<Edit>(d, "EPro")->text(), "TORINO");
            QCOMPARE(test::control<Edit>(d, "ECap")->text(), "10100");
            QCOMPARE(test::control<Edit>(d, "ERec")->text(), "TORINO CENTRO");
            QCOMPARE(test::control<Edit>(d, "ENot")->text(), "NOTA ALFA");
            QCOMPARE(d->focusWidget(), test::control<QPushButton>(d, "OKButton"));
        });
        QCOMPARE(f.window->state().lastRow, 0);
    }

    void compactLayouts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("agencyRow");
        QTest::addColumn<bool>("notesRow");
        QTest::addColumn<int>("notesTop");
        QTest::newRow("both present") << "ALFA" << 225 << true << true << 136;
        QTest::newRow("notes without agency move up") << "BETA" << 201 << false << true << 112;
        QTest::newRow("agency without notes") << "GAMMA" << 201 << true << false << 136;
        QTest::newRow("neither: 48 pixels shorter") << "DELTA" << 177 << false << false << 136;
    }
    void compactLayouts()
    {
        QFETCH(QString, name);
        QFETCH(int, height);
        QFETCH(bool, agencyRow);
        QFETCH(bool, notesRow);
        QFETCH(int, notesTop);
        MainWindowFixture f;
        QVERIFY(f.open(records(), provinces()));
        openDetails(f, name, [&](TDettagli *d) {
            QCOMPARE(d->height(), height);
            QCOMPARE(test::control<QFrame>(d, "Panel1")->height(), 170 - (225 - height));
            QCOMPARE(test::control<QPushButton>(d, "OKButton")->y(), 188 - (225 - height));
            QCOMPARE(test::control<QPushButton>(d, "Stampa")->y(), 188 - (225 - height));
            QCOMPARE(test::control<Edit>(d, "ERec")->isVisible(), agencyRow);
            QCOMPARE(test::control<QLabel>(d, "LRec")->isVisible(), agencyRow);
            QCOMPARE(test::control<Edit>(d, "ENot")->isVisible(), notesRow);
            QCOMPARE(test::control<QLabel>(d, "LNot")->isVisible(), notesRow);
            QCOMPARE(test::control<Edit>(d, "ENot")->y(), notesTop);
            QCOMPARE(test::control<QLabel>(d, "LNot")->y(), notesTop + 2);
        });
    }

    void showRules()
    {
        MainWindowFixture f;
        QVERIFY(f.open(records(), provinces()));
        openDetails(f, "EPSILON", [](TDettagli *d) {
            QCOMPARE(test::control<Edit>(d, "ECap")->text(), "VEDI NOTE");
            QVERIFY(!test::control<Edit>(d, "EBil")->isVisible()); // no empty field under the name
            QVERIFY(test::control<Edit>(d, "EPro")->isVisible());  // an unknown province: visible, empty
            QCOMPARE(test::control<Edit>(d, "EPro")->text(), "");
        });
        f.cerca()->setFocus();
        f.cerca()->clear();
        openDetails(f, "DELTA", [](TDettagli *d) {
            QVERIFY(!test::control<QLabel>(d, "LPv")->isVisible());
            QVERIFY(!test::control<Edit>(d, "EPv")->isVisible());
            QVERIFY(!test::control<Edit>(d, "EPro")->isVisible());
        });
        f.cerca()->setFocus();
        f.cerca()->clear();
        // "R" begins both RI and RM (in this order in cap.pv): the last match wins.
        openDetails(f, "ZETA", [](TDettagli *d) { QCOMPARE(test::control<Edit>(d, "EPro")->text(), "ROMA"); });
    }

    void withoutProvinceTableTheNameStaysHidden()
    {
        MainWindowFixture f;
        QVERIFY(f.open(records(), provinces(), [](const QString &dir) { QFile::remove(dir + "/cap.pv"); }));
        QCOMPARE(f.boxes.requests.size(), 1); // the missing table, at start-up only
        openDetails(f, "ALFA", [](TDettagli *d) {
            QVERIFY(test::control<Edit>(d, "EPv")->isVisible());
            QVERIFY(!test::control<Edit>(d, "EPro")->isVisible());
            QCOMPARE(test::control<Edit>(d, "EPro")->text(), "");
        });
        QCOMPARE(f.boxes.requests.size(), 1);
    }

    void printsThePageToPdf()
    {
        MainWindowFixture f;
        QVERIFY(f.open(records(), provinces()));
        const QString pdf = f.dir.filePath("page.pdf");
        RecordingPrinting printer(pdf);
        openDetails(f, "DELTA", [](TDettagli *d) {
            test::control<QPushButton>(d, "Stampa")->click();
            // Esc leaves the dialog open; only "&Esci" closes it.
            QTest::keyClick(d->focusWidget(), Qt::Key_Escape);
            QVERIFY(d->isVisible());
            d->findChild<QPushButton *>("OKButton")->click();
            QVERIFY(!d->isVisible());
        });
        QCOMPARE(printer.dialogs, 1);
        QCOMPARE(printer.printer().docName(), "Stampa C.A.P.");
        const QString text = pdfText(pdf);
        for (const char *expected : {"Zelvora", "Località :", "DELTA", "Provincia :", "C.A.P. :", "10030",
                                     "Agenzia recapito :", "Note :"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        QVERIFY(f.boxes.requests.isEmpty());
    }

    void cancellingThePrintDialogPrintsNothing()
    {
        MainWindowFixture f;
        QVERIFY(f.open(records(), provinces()));
        const QString pdf = f.dir.filePath("none.pdf");
        RecordingPrinting printer(pdf);
        printer.answer = false;
        openDetails(f, "ALFA", [](TDettagli *d) {
            test::control<QPushButton>(d, "Stampa")->click();
            QVERIFY(d->isVisible());
        });
        QCOMPARE(printer.dialogs, 1);
        QVERIFY(!QFile::exists(pdf));
    }

    void printerErrorReachesTheErrorReportAndTheDialogStays()
    {
        MainWindowFixture f;
        QVERIFY(f.open(records(), provinces()));
        RecordingPrinting printer(f.dir.filePath("no/such/folder/page.pdf"));
        openDetails(f, "ALFA", [&](TDettagli *d) {
            test::control<QPushButton>(d, "Stampa")->click();
            QVERIFY(d->isVisible());
            QCOMPARE(f.boxes.requests.size(), 1);
            QCOMPARE(f.boxes.requests[0].caption, "Zelvora");
            QCOMPARE(f.boxes.requests[0].icon, MessageIcon::Error);
        });
    }

    void printLinesFollowTheFieldsAsTheyAre()
    {
        MainWindowFixture f;
        QVERIFY(f.open(records(), provinces()));
        // An empty province prints three spaces; hidden rows print empty values.
        openDetails(f, "DELTA", [](TDettagli *d) {
            const QList<PrintLine> lines = d->printLines();
            QCOMPARE(lines.size(), 6);
            QCOMPARE(lines[1].value, "");
            QCOMPARE(lines[2].label, "Provincia :");
            QCOMPARE(lines[2].value, "   ");
            QCOMPARE(lines[4].label, "Agenzia recapito :");
            QCOMPARE(lines[4].value, "");
        });
        f.cerca()->setFocus();
        f.cerca()->clear();
        openDetails(f, "EPSILON", [](TDettagli *d) {
            QCOMPARE(d->printLines()[2].value, "   ZZ");
            QCOMPARE(d->printLines()[3].value, "VEDI NOTE");
        });
    }
};

QTEST_MAIN(TestDetails)
#include "tst_details.moc"

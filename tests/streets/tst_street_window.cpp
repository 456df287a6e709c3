// The street directory window on small cities made by the compiler: choosing a
// city, the incremental search, what the street list reads and shows at the
// ends of a city, the street details and their printout, and the round trip
// from the main window.
#include "streets/street_details.h"
#include "streets/street_window.h"
#include "support/main_window_fixture.h"
#include "support/seams.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>

using namespace zelvora;
using namespace zelvora::test;

namespace {
// Sorted: ALFA, BETA, GAMMA, VIADOTTO, VIALE MARE, VIANELLO, VIOLA, ZETA.
const QList<StreetSource> kMestre{
    {.street = "VIALE MARE", .designation = "VIALE", .cityTag = "me", .cap = "30171", .note = "1-99"},
    {.street = "ALFA", .designation = "VIA", .cityTag = "ME", .cap = "30172", .agency = "MESTRE 1", .note = "TUTTI"},
    {.street = "BETA", .designation = "VIA", .cityTag = "ME", .cap = "30173", .agency = "MESTRE 2"},
    {.street = "GAMMA", .designation = "PIAZZA", .cityTag = "ME", .cap = "30174"},
    {.street = "VIADOTTO", .designation = "VIA", .cityTag = "ME", .cap = "30175"},
    {.street = "VIANELLO", .designation = "CALLE", .cityTag = "ME", .cap = "30176"},
    {.street = "VIOLA", .designation = "VIA", .cityTag = "ME", .cap = "30177"},
    {.street = "ZETA", .designation = "VIA", .cityTag = "ME", .cap = "30178"},
};
const QList<StreetSource> kShort{{.street = "UNO"}, {.street = "DUE"}, {.street = "TRE"}};

// S000 to S199, each with a note of its own.
QList<StreetSource> numberedStreets()
{
    QList<StreetSource> streets;
    for (int i = 0; i < 200; ++i)
        streets.append({.street = QStringLiteral("S%1").arg(i, 3, 10, QLatin1Char('0')), .designation = "VIA",
                        .cityTag = "NU", .cap = "10100", .note = QStringLiteral("CIVICI %1").arg(i)});
    return streets;
}
QString numbered(int i)
{
    return QStringLiteral("S%1").arg(i, 3, 10, QLatin1Char('0'));
}

// A main window on its data folder with the cities Venezia-Mestre, Reggio
// Calabria (3 streets) and Torino (200 streets), and a street window over it.
struct Fixture : MainWindowFixture
{
    std::unique_ptr<TZone> zone;

    bool open(const std::function<void(const QString &)> &damage = {})
    {
        const bool built = MainWindowFixture::open(numberedLocalities(3), {}, [&](const QString &folder) {
            if (!buildCity(folder, "mestre", kMestre) || !buildCity(folder, "regcal", kShort)
                || !buildCity(folder, "torino", numberedStreets()))
                qFatal("city fixtures");
            if (damage)
                damage(folder);
        });
        if (!built)
            return false;
        // In the main window's place, as "&Zone Postali" opens it.
        zone = std::make_unique<TZone>(window.get());
        window->hide();
        zone->show();
        zone->activateWindow();
        return QTest::qWaitFor([this] { return QApplication::activeWindow() == zone.get(); });
    }
    // Picks a city from the list with the keyboard, as a user would.
    void pick(const QString &city) const
    {
        QComboBox *list = zone->ComboBox1;
        list->setCurrentIndex(list->findText(city) - 1);
        QTest::keyClick(list, Qt::Key_Down);
    }
    QString streetAt(int row) const { return zone->StringGrid2->cell(0, row); }
    QStringList streets() const
    {
        QStringList names;
        for (int row = 0; row < zone->StringGrid2->rowCountValue(); ++row)
            names << streetAt(row);
        return names;
    }
    void typeStreet(const QString &text) const
    {
        for (const QChar c : text)
            QTest::keyClick(zone->CercaZona, c.toLatin1());
    }
    void keyStreets(Qt::Key key) const { QTest::keyClick(QApplication::focusWidget(), key); }
};

QStringList numberedRange(int first, int count)
{
    QStringList names;
    for (int i = first; i < first + count; ++i)
        names << numbered(i);
    return names;
}
} // namespace

class TestStreetWindow : public QObject
{
    Q_OBJECT

private slots:
    void pickingACity_data()
    {
        QTest::addColumn<QString>("city");
        QTest::addColumn<QString>("removed"); // file of the zone folder taken away
        QTest::addColumn<QString>("message"); // its text, the folder's path as %1
        QTest::addColumn<bool>("opened");
        QTest::addColumn<QString>("genericCap");
        QTest::addColumn<QString>("firstStreet");
        QTest::newRow("Venezia-Mestre opens mestre") << "Venezia-Mestre" << "" << "" << true << "30170" << "ALFA";
        QTest::newRow("Reggio Calabria opens regcal") << "Reggio Calabria" << "" << "" << true << "89100" << "DUE";
        QTest::newRow("missing index")
            << "Venezia-Mestre" << "mestre.lox" << "Il file %1/mestre.loc\ro il file %1/mestre.lox\rè mancante !"
            << false << "30170" << "";
        QTest::newRow("missing notes")
            << "Venezia-Mestre" << "mestre.civ"
            << "Il file %1/mestre.civ\rè mancante !\rNon verranno visualizzati i numeri civici e le note." << true
            << "30170" << "ALFA";
    }
    void pickingACity()
    {
        QFETCH(QString, city);
        QFETCH(QString, removed);
        QFETCH(QString, message);
        QFETCH(bool, opened);
        QFETCH(QString, genericCap);
        QFETCH(QString, firstStreet);
        Fixture f;
        QVERIFY(f.open([&](const QString &folder) { QFile::remove(folder + "/zone/" + removed); }));
        TZone *z = f.zone.get();
        // At first only the picture, "Città" with its list, "&Esci" and the status line.
        for (QWidget *shown : {(QWidget *)z->Image1, (QWidget *)z->Label2, (QWidget *)z->ComboBox1,
                               (QWidget *)z->BitBtn1, (QWidget *)z->ZoneHint})
            QVERIFY(shown->isVisible());
        const QList<QWidget *> cityControls{z->LCapGen, z->ECapGen, z->Label1, z->CercaZona, z->Panel2};
        for (QWidget *hidden : cityControls)
            QVERIFY(!hidden->isVisible());
        QCOMPARE(z->ComboBox1->count(), 28);
        QCOMPARE(z->ComboBox1->currentText(), "");

        // A city that opens first, so that a failing pick has a city to undo.
        f.pick("Torino");
        QCOMPARE(f.streetAt(0), "S000");
        f.typeStreet("S1");
        f.pick(city);
        QCOMPARE(z->ECapGen->text(), genericCap);
        QCOMPARE(f.boxes.requests.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(f.boxes.requests[0].text, message.arg(f.dir.filePath("zone")));
            QCOMPARE(f.boxes.requests[0].caption, "Ricerca Vie e/o Piazze");
            QCOMPARE(f.boxes.requests[0].icon, MessageIcon::Error);
        }
        for (QWidget *control : cityControls)
            QCOMPARE(control->isVisible(), opened);
        QCOMPARE(z->ComboBox1->y(), opened ? 20 : 48);
        QCOMPARE(z->Label2->y(), opened ? 23 : 51);
        QCOMPARE(z->CercaZona->text(), "");
        QCOMPARE(z->files().isOpen(), opened);
        if (opened) {
            QCOMPARE(f.streetAt(0), firstStreet);
            QCOMPARE(z->ScrollBar2->maximum(), z->files().streetCount());
            QCOMPARE(z->ScrollBar2->position(), 0);
            QVERIFY(z->CercaZona->hasFocus());
        }
    }

    void incrementalSearch_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("first"); // the street on row 0
        QTest::newRow("a first letter no street begins with") << "K" << "" << "ALFA";
        QTest::newRow("three letters: the group") << "VIA" << "VIA" << "VIADOTTO";
        QTest::newRow("VIAL refines within the group") << "VIAL" << "VIAL" << "VIALE MARE";
        QTest::newRow("VIAX goes back to VIA") << "VIAX" << "VIA" << "VIADOTTO";
        QTest::newRow("two letters: the first group") << "VI" << "VI" << "VIADOTTO";
        QTest::newRow("a letter taken back at once") << "GX" << "G" << "GAMMA";
    }
    void incrementalSearch()
    {
        QFETCH(QString, typed);
        QFETCH(QString, field);
        QFETCH(QString, first);
        Fixture f;
        QVERIFY(f.open());
        f.pick("Venezia-Mestre");
        f.typeStreet(typed);
        QCOMPARE(f.zone->CercaZona->text(), field);
        QCOMPARE(f.zone->lastStreetSearch, field);
        QCOMPARE(f.streetAt(0), first);
        QCOMPARE(f.zone->StringGrid2->row(), 0);
    }

    void searchFieldKeys()
    {
        Fixture f;
        QVERIFY(f.open());
        f.pick("Torino");
        f.typeStreet("S150");
        QCOMPARE(f.streetAt(0), "S150");
        QCOMPARE(f.zone->ScrollBar2->position(), 148); // two before the street found
        f.keyStreets(Qt::Key_Return);
        QVERIFY(f.zone->StringGrid2->hasFocus());
        // Tab goes between the search field and the grid only.
        f.keyStreets(Qt::Key_Tab);
        QVERIFY(f.zone->CercaZona->hasFocus());
        f.keyStreets(Qt::Key_Tab);
        QVERIFY(f.zone->StringGrid2->hasFocus());
        f.keyStreets(Qt::Key_Escape);
        QVERIFY(f.zone->CercaZona->hasFocus());
        f.keyStreets(Qt::Key_Escape);
        QCOMPARE(f.zone->CercaZona->text(), "");
        QCOMPARE(f.streets(), numberedRange(0, 7));
        QVERIFY(f.zone->isVisible()); // Esc never closes the window
    }

    // What is the street list's own: its offsets for seven rows, the ends of
    // a city of 200 streets and what a page reads there.
    void pageMoves_data()
    {
        QTest::addColumn<int>("first"); // street on row 0 before the move
        QTest::addColumn<int>("row");   // the selected row then
        QTest::addColumn<int>("key");   // 0: the thumb released at `thumb`
        QTest::addColumn<int>("thumb");
        QTest::addColumn<int>("newFirst");
        QTest::addColumn<int>("newRow");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("reads"); // street records; notes read as many
        const int down = Qt::Key_Down, up = Qt::Key_Up, pageDown = Qt::Key_PageDown, pageUp = Qt::Key_PageUp;
        QTest::newRow("down at the last row of the first page") << 0 << 6 << down << 0 << 1 << 6 << 8 << 7;
        QTest::newRow("down at the end shows the same streets") << 193 << 6 << down << 0 << 193 << 6 << 200 << 13;
        QTest::newRow("page down near the end: the last seven") << 190 << 6 << pageDown << 0 << 193 << 6 << 200 << 10;
        QTest::newRow("up at row 0: one street back") << 100 << 0 << up << 0 << 99 << 0 << 99 << 7;
        QTest::newRow("page up at row 0: seven back") << 100 << 0 << pageUp << 0 << 93 << 0 << 93 << 7;
        QTest::newRow("page up held at the first street") << 3 << 0 << pageUp << 0 << 0 << 0 << 0 << 7;
        QTest::newRow("thumb within the first 2%") << 100 << 0 << 0 << 3 << 0 << 0 << 0 << 7;
        QTest::newRow("thumb just past the first 2%") << 100 << 0 << 0 << 4 << 4 << 0 << 4 << 7;
        QTest::newRow("thumb within the last 1%") << 100 << 0 << 0 << 199 << 193 << 0 << 193 << 8;
        QTest::newRow("thumb with fewer than seven after it") << 100 << 0 << 0 << 196 << 193 << 0 << 193 << 11;
    }
    void pageMoves()
    {
        QFETCH(int, first);
        QFETCH(int, row);
        QFETCH(int, key);
        QFETCH(int, thumb);
        QFETCH(int, newFirst);
        QFETCH(int, newRow);
        QFETCH(int, position);
        QFETCH(int, reads);
        Fixture f;
        QVERIFY(f.open());
        f.pick("Torino");
        f.typeStreet(numbered(first));
        QCOMPARE(f.streets(), numberedRange(first, 7));
        f.keyStreets(Qt::Key_Return);
        for (int i = 0; i < row; ++i)
            f.keyStreets(Qt::Key_Down);
        const qint64 streetsBefore = f.zone->files().streetReads();
        const qint64 notesBefore = f.zone->files().noteReads();
        ScrollBar *bar = f.zone->ScrollBar2;
        if (key) {
            f.keyStreets(Qt::Key(key));
        } else {
            bar->setSliderDown(true);
            bar->setSliderPosition(thumb);
            bar->setSliderDown(false);
        }
        QCOMPARE(f.streets(), numberedRange(newFirst, 7));
        QCOMPARE(f.zone->StringGrid2->row(), newRow);
        QCOMPARE(bar->position(), position);
        QCOMPARE(f.zone->files().streetReads() - streetsBefore, reads);
        QCOMPARE(f.zone->files().noteReads() - notesBefore, reads);
        QTRY_COMPARE(f.zone->Edit1->text(), QStringLiteral("CIVICI %1").arg(newFirst + newRow));
        QVERIFY(f.zone->Edit1->isVisible());
    }

    void aCityOfThreeStreetsPagesWithinItsFile()
    {
        Fixture f;
        QVERIFY(f.open());
        f.pick("Reggio Calabria");
        QCOMPARE(f.streets(), QStringList({"DUE", "TRE", "UNO"}));
        f.keyStreets(Qt::Key_Return);
        for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_PageDown, Qt::Key_PageDown,
                            Qt::Key_Up, Qt::Key_Up, Qt::Key_PageUp, Qt::Key_PageUp, Qt::Key_Down}) {
            f.keyStreets(key);
            QCOMPARE(f.streets(), QStringList({"DUE", "TRE", "UNO"}));
        }
        for (int thumb : {0, 2, 3}) {
            f.zone->ScrollBar2->setSliderDown(true);
            f.zone->ScrollBar2->setSliderPosition(thumb);
            f.zone->ScrollBar2->setSliderDown(false);
            QCOMPARE(f.streets(), QStringList({"DUE", "TRE", "UNO"}));
        }
        QVERIFY(f.boxes.requests.isEmpty()); // no read outside the file
    }

    void streetDetails_data()
    {
        QTest::addColumn<QString>("street");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("agencyRow");
        QTest::addColumn<bool>("notesRow");
        QTest::addColumn<int>("notesTop");
        QTest::addColumn<QString>("cityLine");
        QTest::newRow("note and agency") << "ALFA" << 257 << true << true << 163 << "VENEZIA-MESTRE   ME";
        QTest::newRow("note without agency moves up") << "VIALE MARE" << 226 << false << true << 132
                                                      << "VENEZIA-MESTRE   ME";
        QTest::newRow("agency without note") << "BETA" << 226 << true << false << 163 << "VENEZIA-MESTRE   ME";
        QTest::newRow("neither: 62 pixels shorter") << "GAMMA" << 195 << false << false << 163
                                                    << "VENEZIA-MESTRE   ME";
    }
    void streetDetails()
    {
        QFETCH(QString, street);
        QFETCH(int, height);
        QFETCH(bool, agencyRow);
        QFETCH(bool, notesRow);
        QFETCH(int, notesTop);
        QFETCH(QString, cityLine);
        Fixture f;
        QVERIFY(f.open());
        f.pick("Venezia-Mestre");
        f.typeStreet(street.left(4));
        f.keyStreets(Qt::Key_Return);
        bool seen = false;
        onNextModal([&](QDialog *dialog) {
            auto *d = qobject_cast<TDettagliZone *>(dialog);
            QVERIFY(d);
            seen = true;
            QCOMPARE(d->windowTitle(), "Dettagli ricerca Vie o Piazze");
            QCOMPARE(d->height(), height);
            QCOMPARE(d->Panel1->height(), 197 - (257 - height));
            QCOMPARE(d->OKButton->y(), 217 - (257 - height));
            QCOMPARE(d->Stampa->y(), 217 - (257 - height));
            QCOMPARE(d->EUffCon->isVisible(), agencyRow);
            QCOMPARE(d->LUffCon->isVisible(), agencyRow);
            QCOMPARE(d->ECivZon->isVisible(), notesRow);
            QCOMPARE(d->LCivZon->isVisible(), notesRow);
            QCOMPARE(d->ECivZon->y(), notesTop);
            QCOMPARE(d->ECitZon->text(), cityLine);
            QCOMPARE(d->ELocZon->text(), street);
            QCOMPARE(d->focusWidget(), d->OKButton);
        });
        f.keyStreets(Qt::Key_Return);
        QVERIFY(seen);
        // Back in the grid, the row of the details highlighted again.
        f.zone->activateWindow();
        QTRY_VERIFY(f.zone->StringGrid2->isHighlighted(1, 0));
    }

    void printoutPutsTheNotesBeforeThePostalCode()
    {
        Fixture f;
        QVERIFY(f.open());
        f.pick("Venezia-Mestre");
        f.typeStreet("VIAL");
        const QString pdf = f.dir.filePath("street.pdf");
        RecordingPrinting printer(pdf);
        f.keyStreets(Qt::Key_Return);
        QList<PrintLine> printed;
        onNextModal([&](QDialog *dialog) {
            auto *details = static_cast<TDettagliZone *>(dialog);
            printed = details->printLines();
            details->Stampa->click();
        });
        f.keyStreets(Qt::Key_Return);
        // On a 600 dots per inch page: labels at the left, values at 1133,
        // the street name alone on the third line.
        QList<QStringList> placed;
        for (const PrintItem &item : layoutDetailsPage({false, 4800, 6800, 600}, "Zelvora", printed).items)
            if (item.kind == PrintItem::Kind::Text)
                placed << QStringList{item.text, QString::number(item.x), QString::number(item.y)};
        QCOMPARE(placed, (QList<QStringList>{{"Zelvora", "309", "288"},
                                             {"Città :", "309", "690"},
                                             {"Località :", "309", "893"},
                                             {"Note :", "309", "1298"},
                                             {"C.A.P. :", "309", "1500"},
                                             {"Agenzia recapito :", "309", "1703"},
                                             {"VENEZIA-MESTRE   ME", "1133", "690"},
                                             {"VIALE", "1133", "893"},
                                             {"VIALE MARE", "1133", "1095"},
                                             {"1-99", "1133", "1298"},
                                             {"30171", "1133", "1500"},
                                             {"", "1133", "1703"}}));
        QCOMPARE(printer.dialogs, 1);
        QCOMPARE(printer.printer().docName(), "Stampa C.A.P.");
        QProcess text;
        text.start("pdftotext", {"-layout", pdf, "-"});
        QVERIFY(text.waitForFinished());
        QStringList lines;
        for (const QString &line : QString::fromUtf8(text.readAllStandardOutput()).split('\n'))
            if (!line.simplified().isEmpty())
                lines << line.simplified();
        // Every label, the hidden agency's too; the street without a label.
        QCOMPARE(lines, QStringList({"Zelvora", "Città : VENEZIA-MESTRE ME", "Località : VIALE", "VIALE MARE",
                                     "Note : 1-99", "C.A.P. : 30171", "Agenzia recapito :"}));
        QVERIFY(f.boxes.requests.isEmpty());
    }

    void accessibleNamesAndStatusLineHints()
    {
        Fixture f;
        QVERIFY(f.open());
        TZone *z = f.zone.get();
        f.pick("Venezia-Mestre");
        const QList<QPair<QWidget *, QString>> hints{
            {z->ComboBox1, "Seleziona la città di cui vuoi lo stradario"},
            {z->CercaZona, "Immetti la via o piazza, anche parziale, da ricercare"},
            {z->StringGrid2, "Doppio click o Invio per dettagli"},
            {z->BitBtn1, "Ritorna a Zelvora"},
            {z->Panel4, ""}};
        for (const auto &[control, hint] : hints) {
            QTest::mouseMove(z, control->mapTo(z, control->rect().center()));
            QTRY_COMPARE(z->ZoneHint->text(), hint);
        }
        QVERIFY(z->mouseInside());
        auto details = std::make_unique<TDettagliZone>(z);
        for (QWidget *window : {static_cast<QWidget *>(z), static_cast<QWidget *>(details.get())})
            for (QWidget *control : window->findChildren<QWidget *>()) {
                if (control->objectName().isEmpty() || control->objectName().startsWith("qt_"))
                    continue;
                QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
                QVERIFY2(accessible && !accessible->text(QAccessible::Name).isEmpty(),
                         qPrintable(control->objectName()));
            }
    }

    void zonePostaliTakesTheMainWindowsPlace()
    {
        Fixture f;
        QVERIFY(f.open());
        f.zone.reset();
        f.window->streetWindowFactory = [](QWidget *owner) { return std::make_unique<TZone>(owner); };
        bool seen = false;
        onNextModal([&](QDialog *dialog) {
            auto *zone = qobject_cast<TZone *>(dialog);
            QVERIFY(zone);
            seen = true;
            QVERIFY(!f.window->isVisible());
            QTRY_VERIFY(zone->ComboBox1->hasFocus());
            zone->BitBtn1->click();
            QCOMPARE(zone->result(), int(QDialog::Accepted));
        });
        f.window->Stradari1->trigger();
        QVERIFY(seen);
        QVERIFY(f.window->isVisible());
        QVERIFY(f.window->findChildren<TZone *>().isEmpty());
        f.window->activateWindow();
        QTRY_VERIFY(f.cerca()->hasFocus());
    }
};

QTEST_MAIN(TestStreetWindow)
#include "tst_street_window.moc"

// The street directory window on small cities made by the compiler: choosing a
// city, the incremental search, what the street list reads and shows at the
// ends of a city, the street details and their printout, and the round trip
// from the main window.
#include "streets/street_details.h"
#include "streets/street_window.h"
#include "support/controls.h"
#include "support/main_window_fixture.h"
#include "support/seams.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QScrollBar>
#include <QPushButton>

using namespace zelvora;
using namespace zelvora::test;

namespace {
// Sorted: ALFA, BETA, GAMMA, VIADOTTO, VIALE MARE, VIANELLO, VIOLA, ZETA.
const QList<StreetSource> kMestre{
    {.street = "VIALE MARE", .designation = "VIALE", .cityTag = "me", .cap = "30171", .note = "1-99"},
    {.street = "ALFA", .designation = "VIA", .cityTag = "ME", .cap = "30172", .agency = "MESTRE 1", .note = "TUTTI"},
    {.street = "BETA"},
    {.street = "GAMMA"},
    {.street = "VIADOTTO"},
    {.street = "VIANELLO"},
    {.street = "VIOLA"},
    {.street = "ZETA"}};

QString numbered(int i)
{
    return QStringLiteral("S%1").arg(i, 3, 10, QLatin1Char('0'));
}
QStringList numberedRange(int first, int count)
{
    QStringList names;
    for (int i = first; i < first + count; ++i)
        names << numbered(i);
    return names;
}

// Roma's streets named with numbers in words, as the archive writes them.
const QList<StreetSource> kRoma{{.street = "VENTI SETTEMBRE", .designation = "VIA", .cap = "00187"},
                                {.street = "VENTIMIGLIA", .designation = "VIA", .cap = "00182"},
                                {.street = "XXI APRILE", .designation = "VIALE", .cap = "00162"}};
// Where VIA VENTI SETTEMBRE's codes were seen: a register's range and a point.
const QList<EvidenceSource> kRomaEvidence{
    {"VENTI SETTEMBRE", "VIA", {.first = 1, .last = 99, .parity = Parity::Odd, .cap = "00187", .sources = 1, .isRange = true}},
    {"VENTI SETTEMBRE", "VIA", {.first = 2, .last = 2, .cap = "00185", .sources = 16}}};

// A main window whose data folder holds Venezia-Mestre, Reggio Calabria (three
// streets), Roma (three) and Torino (S000 to S199, each with a note of its
// own), and the street window in its place.
struct Fixture : MainWindowFixture
{
    std::unique_ptr<TZone> zone;

    bool open(const QString &removed = {})
    {
        QList<StreetSource> torino;
        for (int i = 0; i < 200; ++i)
            torino.append({.street = numbered(i), .note = QStringLiteral("CIVICI %1").arg(i)});
        const bool built = MainWindowFixture::open(numberedLocalities(3), {}, [&](const QString &folder) {
            if (!buildCity(folder, "mestre", kMestre) || !buildCity(folder, "torino", torino)
                || !buildCity(folder, "regcal", {{.street = "UNO"}, {.street = "DUE"}, {.street = "TRE"}})
                || !buildCity(folder, "roma", kRoma, kRomaEvidence))
                qFatal("city fixtures");
            if (!removed.isEmpty())
                QFile::remove(folder + "/zone/" + removed);
        });
        if (!built)
            return false;
        zone = std::make_unique<TZone>(window->settings(), window.get());
        window->hide();
        zone->show();
        zone->activateWindow();
        return QTest::qWaitFor([this] { return QApplication::activeWindow() == zone.get(); });
    }
    // Picks a city from the list with the keyboard, as a user would.
    void pick(const QString &city) const
    {
        auto *cities = test::control<QComboBox>(zone, "ComboBox1");
        cities->setCurrentIndex(cities->findText(city) - 1);
        QTest::keyClick(cities, Qt::Key_Down);
    }
    QStringList streets() const
    {
        QStringList names;
        for (int row = 0; row < test::control<StringGrid>(zone, "StringGrid2")->rowCountValue(); ++row)
            names << test::control<StringGrid>(zone, "StringGrid2")->cell(0, row);
        return names;
    }
    void typeStreet(const QString &text) const { QTest::keyClicks(test::control<Edit>(zone, "CercaZona"), text); }
    void press(Qt::Key key) const { QTest::keyClick(QApplication::focusWidget(), key); }
};
} // namespace

class TestStreetWindow : public QObject
{
    Q_OBJECT

private slots:
    void pickingACity_data()
    {
        QTest::addColumn<QString>("city");
        QTest::addColumn<QString>("removed"); // file of the zone folder taken away
        QTest::addColumn<QString>("message"); // the zone folder's path as %1
        QTest::addColumn<QString>("genericCap");
        QTest::addColumn<QString>("firstStreet"); // empty: not opened
        QTest::newRow("Venezia-Mestre opens mestre") << "Venezia-Mestre" << "" << "" << "30170" << "ALFA";
        QTest::newRow("Reggio Calabria opens regcal") << "Reggio Calabria" << "" << "" << "89100" << "DUE";
        QTest::newRow("missing index") << "Venezia-Mestre" << "mestre.lox"
                                       << "Il file %1/mestre.loc\ro il file %1/mestre.lox\rè mancante !" << "30170"
                                       << "";
        QTest::newRow("missing notes")
            << "Venezia-Mestre" << "mestre.civ"
            << "Il file %1/mestre.civ\rè mancante !\rNon verranno visualizzati i numeri civici e le note." << "30170"
            << "ALFA";
    }
    void pickingACity()
    {
        QFETCH(QString, city);
        QFETCH(QString, removed);
        QFETCH(QString, message);
        QFETCH(QString, genericCap);
        QFETCH(QString, firstStreet);
        Fixture f;
        QVERIFY(f.open(removed));
        TZone *z = f.zone.get();
        // At first only the picture, "Città" with its list, "&Esci" and the status line.
        for (const char *shown : {"Image1", "Label2", "ComboBox1", "BitBtn1", "ZoneHint"})
            QVERIFY(test::control(z, shown)->isVisible());
        QList<QWidget *> cityControls;
        for (const char *name : {"LCapGen", "ECapGen", "Label1", "CercaZona", "Panel2"})
            cityControls << test::control(z, name);
        for (QWidget *hidden : cityControls)
            QVERIFY(!hidden->isVisible());
        QCOMPARE(test::control<QComboBox>(z, "ComboBox1")->count(), 28);
        QCOMPARE(test::control<QComboBox>(z, "ComboBox1")->currentText(), "");

        // A city that opens first, so that a failing pick has a city to undo.
        f.pick("Torino");
        f.typeStreet("S1");
        f.pick(city);
        const bool opened = !firstStreet.isEmpty();
        QCOMPARE(test::control<Edit>(z, "ECapGen")->text(), genericCap);
        QCOMPARE(f.boxes.requests.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(f.boxes.requests[0].text, message.arg(f.dir.filePath("zone")));
            QCOMPARE(f.boxes.requests[0].caption, "Ricerca Vie e/o Piazze");
        }
        for (QWidget *control : cityControls)
            QCOMPARE(control->isVisible(), opened);
        QCOMPARE(test::control<QComboBox>(z, "ComboBox1")->y(), opened ? 20 : 48);
        QCOMPARE(test::control<QLabel>(z, "Label2")->y(), opened ? 23 : 51);
        QCOMPARE(test::control<Edit>(z, "CercaZona")->text(), "");
        QCOMPARE(z->files().isOpen(), opened);
        if (opened) {
            QCOMPARE(f.streets().first(), firstStreet);
            QCOMPARE(test::control<ScrollBar>(z, "ScrollBar2")->maximum(), z->files().streetCount());
            QCOMPARE(test::control<ScrollBar>(z, "ScrollBar2")->position(), 0);
            QVERIFY(test::control<Edit>(z, "CercaZona")->hasFocus());
        }
    }

    // What the search field keeps of what is typed, and the street on the
    // first row with its designation. A street the archive names with a
    // number in words is found as people write the number.
    void incrementalSearch_data()
    {
        QTest::addColumn<QString>("city");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("first"); // the street on row 0
        QTest::addColumn<QString>("designation");
        const QString mestre = QStringLiteral("Venezia-Mestre");
        QTest::newRow("a first letter no street begins with") << mestre << "K" << "" << "ALFA" << "VIA";
        QTest::newRow("VIAL refines within the group of VIA") << mestre << "VIAL" << "VIAL" << "VIALE MARE" << "VIALE";
        QTest::newRow("VIAX goes back to VIA") << mestre << "VIAX" << "VIA" << "VIADOTTO" << "";
        QTest::newRow("two letters: the first group") << mestre << "VI" << "VI" << "VIADOTTO" << "";
        QTest::newRow("a letter taken back at once") << mestre << "GX" << "G" << "GAMMA" << "";
        QTest::newRow("Esc empties the field: the first page") << mestre << "VIAL\x1b" << "" << "ALFA" << "VIA";
        QTest::newRow("a number in Roman numerals")
            << "Roma" << "XX SE" << "XX SE" << "XX SETTEMBRE (VENTI SETTEMBRE)" << "VIA";
        QTest::newRow("a number in figures") << "Roma" << "20 SE" << "20 SE" << "20 SETTEMBRE (VENTI SETTEMBRE)" << "VIA";
        QTest::newRow("a number in words, as the archive writes it")
            << "Roma" << "VENTI S" << "VENTI S" << "VENTI SETTEMBRE" << "VIA";
        QTest::newRow("a name in Roman numerals stays as it is") << "Roma" << "XXI" << "XXI" << "XXI APRILE" << "VIALE";
    }
    void incrementalSearch()
    {
        QFETCH(QString, city);
        QFETCH(QString, typed);
        QFETCH(QString, field);
        QFETCH(QString, first);
        QFETCH(QString, designation);
        Fixture f;
        QVERIFY(f.open());
        f.pick(city);
        f.typeStreet(typed);
        QCOMPARE(test::control<Edit>(f.zone, "CercaZona")->text(), field);
        QCOMPARE(f.streets().first(), first);
        QCOMPARE(test::control<StringGrid>(f.zone, "StringGrid2")->cell(1, 0), designation);
    }

    // The street list's own: the ends of a city of 200 streets, a step back
    // from the page's first row, and what a page reads, notes included.
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
        const int down = Qt::Key_Down, up = Qt::Key_Up;
        QTest::newRow("down at the end shows the same streets") << 193 << 6 << down << 0 << 193 << 6 << 200 << 13;
        QTest::newRow("up at row 0: one street back") << 100 << 0 << up << 0 << 99 << 0 << 99 << 7;
        QTest::newRow("thumb within the first 2%") << 100 << 0 << 0 << 3 << 0 << 0 << 0 << 7;
        QTest::newRow("thumb within the last 1%") << 100 << 0 << 0 << 199 << 193 << 0 << 193 << 8;
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
        f.press(Qt::Key_Return);
        for (int i = 0; i < row; ++i)
            f.press(Qt::Key_Down);
        const qint64 streetsBefore = f.zone->files().streetReads();
        const qint64 notesBefore = f.zone->files().noteReads();
        ScrollBar *bar = test::control<ScrollBar>(f.zone, "ScrollBar2");
        if (key) {
            f.press(Qt::Key(key));
        } else {
            bar->setSliderDown(true);
            bar->setSliderPosition(thumb);
            bar->setSliderDown(false);
        }
        QCOMPARE(f.streets(), numberedRange(newFirst, 7));
        QCOMPARE(test::control<StringGrid>(f.zone, "StringGrid2")->row(), newRow);
        QCOMPARE(bar->position(), position);
        QCOMPARE(f.zone->files().streetReads() - streetsBefore, reads);
        QCOMPARE(f.zone->files().noteReads() - notesBefore, reads);
        QTRY_COMPARE(test::control<Edit>(f.zone, "Edit1")->text(), QStringLiteral("CIVICI %1").arg(newFirst + newRow));
    }

    void aCityOfThreeStreetsPagesWithinItsFile()
    {
        Fixture f;
        QVERIFY(f.open());
        f.pick("Reggio Calabria");
        f.press(Qt::Key_Return);
        for (int step : QList<int>{0, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_Up,
                         Qt::Key_Up, Qt::Key_PageUp, Qt::Key_PageUp, -2, -3}) {
            if (step > 0) {
                f.press(Qt::Key(step));
            } else {
                test::control<ScrollBar>(f.zone, "ScrollBar2")->setSliderDown(true);
                test::control<ScrollBar>(f.zone, "ScrollBar2")->setSliderPosition(-step);
                test::control<ScrollBar>(f.zone, "ScrollBar2")->setSliderDown(false);
            }
            QCOMPARE(f.streets(), QStringList({"DUE", "TRE", "UNO"}));
        }
        QVERIFY(f.boxes.requests.isEmpty()); // nothing read outside the file
        f.press(Qt::Key_Escape); // back to the search field, the window stays
        QVERIFY(test::control<Edit>(f.zone, "CercaZona")->hasFocus());
        f.press(Qt::Key_Escape);
        QVERIFY(f.zone->isVisible());
    }

    // The details of a street with several codes list where each was seen,
    // under the number-word record too; a street or city without evidence
    // shows none.
    void streetDetailsListTheEvidence_data()
    {
        QTest::addColumn<QString>("city");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("listed");
        const QStringList both{"00187   n. 1-99 dispari", "00185   n. 2"};
        QTest::newRow("the street") << "Roma" << "VENTI S" << both;
        QTest::newRow("its record in Roman numerals") << "Roma" << "XX SE" << both;
        QTest::newRow("a street without evidence") << "Roma" << "VENTIM" << QStringList();
        QTest::newRow("a city without evidence") << "Venezia-Mestre" << "VIALE M" << QStringList();
    }
    void streetDetailsListTheEvidence()
    {
        QFETCH(QString, city);
        QFETCH(QString, typed);
        QFETCH(QStringList, listed);
        Fixture f;
        QVERIFY(f.open());
        f.pick(city);
        f.typeStreet(typed);
        f.press(Qt::Key_Return);
        QStringList shown;
        onNextModal([&](QDialog *dialog) {
            if (auto *list = dialog->findChild<QListWidget *>("ECivCap"))
                for (int i = 0; i < list->count(); ++i)
                    shown << list->item(i)->text();
            dialog->findChild<QPushButton *>("OKButton")->click();
        });
        f.press(Qt::Key_Return);
        QCOMPARE(shown, listed);
    }

    void streetDetailsAndPrintout_data()
    {
        QTest::addColumn<QString>("street");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("notesTop"); // -1: the notes row hidden
        QTest::addColumn<QStringList>("values"); // printed beside the labels, top to bottom
        QTest::newRow("note without agency: 31 shorter, the notes moved up")
            << "VIALE MARE" << 226 << 132 << QStringList{"VENEZIA-MESTRE   ME", "VIALE", "VIALE MARE", "1-99", "30171", ""};
        QTest::newRow("neither: 62 shorter") << "GAMMA" << 195 << -1
                                             << QStringList{"VENEZIA-MESTRE   ", "", "GAMMA", "", "", ""};
    }
    void streetDetailsAndPrintout()
    {
        QFETCH(QString, street);
        QFETCH(int, height);
        QFETCH(int, notesTop);
        QFETCH(QStringList, values);
        Fixture f;
        QVERIFY(f.open());
        f.pick("Venezia-Mestre");
        f.typeStreet(street.left(4));
        f.press(Qt::Key_Return);
        RecordingPrinting printer(f.dir.filePath("street.pdf"));
        QList<PrintLine> printed;
        onNextModal([&](QDialog *dialog) {
            auto *d = qobject_cast<TDettagliZone *>(dialog);
            QVERIFY(d);
            QCOMPARE(d->height(), height);
            QCOMPARE(test::control<QPushButton>(d, "Stampa")->y(), 217 - (257 - height));
            QVERIFY(!test::control<Edit>(d, "EUffCon")->isVisible() && !test::control<QLabel>(d, "LUffCon")->isVisible());
            QCOMPARE(test::control<Edit>(d, "ECivZon")->isVisible() ? test::control<Edit>(d, "ECivZon")->y() : -1, notesTop);
            QCOMPARE(test::control<QLabel>(d, "LCivZon")->isVisible(), notesTop >= 0);
            for (QWidget *window : QList<QWidget *>{d, f.zone.get()})
                for (QWidget *control : window->findChildren<QWidget *>())
                    if (!control->objectName().isEmpty() && !control->objectName().startsWith("qt_"))
                        QVERIFY2(!QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name).isEmpty(),
                                 qPrintable(control->objectName()));
            printed = d->printLines();
            test::control<QPushButton>(d, "Stampa")->click();
            // Esc leaves the dialog open; only "&Esci" closes it.
            QTest::keyClick(d->focusWidget(), Qt::Key_Escape);
            QVERIFY(d->isVisible());
            d->findChild<QPushButton *>("OKButton")->click();
            QVERIFY(!d->isVisible());
        });
        f.press(Qt::Key_Return);
        QCOMPARE(printer.dialogs, 1);
        QVERIFY(QFileInfo(f.dir.filePath("street.pdf")).size() > 0);
        // Back in the grid, the row of the details highlighted again.
        f.zone->activateWindow();
        QTRY_VERIFY(test::control<StringGrid>(f.zone, "StringGrid2")->isHighlighted(1, 0));

        // On a 600 dots per inch page: every label, the hidden rows' too, the
        // notes before the postal code, the street name alone on the third line.
        QList<QStringList> placed;
        for (const PrintItem &item : layoutDetailsPage({false, 4800, 6800, 600}, "Zelvora", printed).items)
            if (item.kind == PrintItem::Kind::Text)
                placed << QStringList{item.text, QString::number(item.x), QString::number(item.y)};
        QList<QStringList> expected{{"Zelvora", "309", "288"},       {"Città :", "309", "690"},
                                    {"Località :", "309", "893"},    {"Note :", "309", "1298"},
                                    {"C.A.P. :", "309", "1500"},     {"Agenzia recapito :", "309", "1703"}};
        const QStringList ys{"690", "893", "1095", "1298", "1500", "1703"};
        for (int i = 0; i < values.size(); ++i)
            expected << QStringList{values[i], "1133", ys[i]};
        QCOMPARE(placed, expected);
    }

    // A street with several codes lists its numbers with their codes under
    // the fields and on paper, as many as the page holds; one code, as ever.
    void numbersWithTheirCodes_data()
    {
        QTest::addColumn<int>("count");    // numbers given, alternately of two codes
        QTest::addColumn<int>("codes");
        QTest::addColumn<int>("listed");   // in the dialog's list
        QTest::addColumn<QString>("last"); // the printout's last line
        QTest::newRow("one code: no list") << 3 << 1 << 0 << "";
        QTest::newRow("two codes, a page") << 4 << 2 << 4 << "30172   n. 4";
        QTest::newRow("the page is full") << 23 << 2 << 23 << "30171   n. 23";
        QTest::newRow("more than the page") << 30 << 2 << 30 << "... e altri 8 non stampati";
    }
    void numbersWithTheirCodes()
    {
        QFETCH(int, count);
        QFETCH(int, codes);
        QFETCH(int, listed);
        QFETCH(QString, last);
        QList<NumberCode> numbers;
        for (int i = 1; i <= count; ++i)
            numbers.append({QString::number(i), codes == 1 || i % 2 ? "30171" : "30172"});
        QTemporaryDir dir;
        RecordingPrinting printer(dir.filePath("street.pdf"));
        TDettagliZone d;
        StreetRecord street;
        street.street = "ALFA";
        street.designation = "VIA";
        street.cityTag = "ME";
        street.cap = "30171 30172";
        d.fill("VENEZIA-MESTRE", street, "TUTTI");
        const int height = d.height();
        d.showNumberCodes(numbers);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        auto *list = d.findChild<QListWidget *>("ECivCap");
        QCOMPARE(list ? list->count() : 0, listed);
        QCOMPARE(d.height(), listed ? height + 108 : height);
        if (list) {
            QCOMPARE(list->item(0)->text(), "30171   n. 1");
            QVERIFY(list->geometry().top() > test::control<Edit>(&d, "ECivZon")->geometry().bottom());
            QVERIFY(d.findChild<QPushButton *>("Stampa")->geometry().top() > list->mapTo(&d, list->rect().bottomLeft()).y());
            QCOMPARE(list->verticalScrollBar()->isVisible(), listed > 4);
        }
        const QList<PrintLine> printed = d.printLines();
        QCOMPARE(printed.size(), 6 + std::min(listed, int(TDettagliZone::kPrintedNumberLines)));
        QCOMPARE(listed ? printed.last().value : QString(), last);
        // The copy key copies the whole list, one line a number.
        const QStringList copied = d.copyText().split(u'\n');
        QCOMPARE(copied.size(), 5 + listed); // the five fields that hold a text, then the list
        if (listed)
            QCOMPARE(copied.last(), list->item(listed - 1)->text());
        // The whole list fits above the page's foot, the lower rule under it.
        const PageLayout page = layoutDetailsPage({false, 4800, 6800, 600}, "Zelvora", printed);
        QVERIFY(page.items.last().kind == PrintItem::Kind::Rule);
        for (const PrintItem &item : page.items)
            QVERIFY(item.y <= page.items.last().y && item.y < 6800);
        test::control<QPushButton>(&d, "Stampa")->click();
        QProcess text;
        text.start("pdftotext", {"-layout", dir.filePath("street.pdf"), "-"});
        text.waitForFinished();
        const QString pdf = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(pdf.simplified().contains(last.simplified()), qPrintable(pdf));
    }

    void zonePostaliTakesTheMainWindowsPlace()
    {
        Fixture f;
        QVERIFY(f.open());
        f.zone.reset();
        f.window->streetWindowFactory = [&f](QWidget *owner) { return std::make_unique<TZone>(f.window->settings(), owner); };
        bool seen = false;
        onNextModal([&](QDialog *dialog) {
            seen = qobject_cast<TZone *>(dialog) && !f.window->isVisible();
            QTRY_VERIFY(test::control<QComboBox>(static_cast<TZone *>(dialog), "ComboBox1")->hasFocus());
            test::control<QPushButton>(static_cast<TZone *>(dialog), "BitBtn1")->click();
        });
        test::control<QAction>(f.window, "Stradari1")->trigger();
        QVERIFY(seen);
        QVERIFY(f.window->isVisible());
        QVERIFY(f.window->findChildren<TZone *>().isEmpty());
        f.window->activateWindow();
        QTRY_VERIFY(f.cerca()->hasFocus());
    }

    void statusLineShowsTheHintUnderTheMouse_data()
    {
        QTest::addColumn<QString>("control"); // pointed at after "&Esci" (after the city list for "&Esci")
        QTest::addColumn<bool>("otherWindowActive");
        QTest::addColumn<QString>("line");
        const QString city = QString::fromUtf8("Seleziona la città di cui vuoi lo stradario");
        QTest::newRow("the city list") << "ComboBox1" << false << city;
        QTest::newRow("&Esci") << "BitBtn1" << false << "Ritorna a Zelvora";
        QTest::newRow("the search field") << "CercaZona" << false
                                          << "Immetti la via o piazza, anche parziale, da ricercare";
        QTest::newRow("the grid") << "StringGrid2" << false << "Doppio click o Invio per dettagli";
        QTest::newRow("a title without a hint clears it") << "Panel4" << false << "";
        QTest::newRow("another window active: the line stays") << "StringGrid2" << true << "Ritorna a Zelvora";
    }
    void statusLineShowsTheHintUnderTheMouse()
    {
        QFETCH(QString, control);
        QFETCH(bool, otherWindowActive);
        QFETCH(QString, line);
        Fixture f;
        QVERIFY(f.open());
        f.pick("Venezia-Mestre");
        TZone *zone = f.zone.get();
        auto *status = zone->findChild<QLabel *>("ZoneHint");
        auto *target = zone->findChild<QWidget *>(control);
        auto *start = zone->findChild<QWidget *>(control == "BitBtn1" ? "ComboBox1" : "BitBtn1");
        QVERIFY(status && target && start && target->isVisible());
        const auto pointAt = [zone](QWidget *w) { QTest::mouseMove(zone, w->mapTo(zone, w->rect().center())); };
        pointAt(start);
        QTRY_VERIFY(!status->text().isEmpty());
        const QString before = status->text();
        QWidget other;
        if (otherWindowActive) {
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
        }
        pointAt(target);
        if (otherWindowActive) {
            QTRY_COMPARE(Application::instance().hint(), "Doppio click o Invio per dettagli");
            QCOMPARE(status->text(), before);
        }
        QTRY_COMPARE(status->text(), line);
    }
};

QTEST_MAIN(TestStreetWindow)
#include "tst_street_window.moc"

// How the windows look and speak to a user: no text cut by its control, the
// grid under its column titles, the panels' bevels, windows centred on the
// screen, restoring a minimised window, the menu bar and the status line, the
// copy key, the toolkit's own dialogs in Italian.
#include "app/about_box.h"
#include "app/printing.h"
#include "app/toolkit/panel.h"
#include "locality/details_dialog.h"
#include "streets/street_window.h"
#include "support/main_window_fixture.h"
#include "support/seams.h"

#include <QClipboard>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>

using namespace zelvora;
using namespace zelvora::test;

namespace {

QList<LocalitySource> towns()
{
    return {{.locality = "ALFA", .province = "TO", .agency = "TORINO CENTRO", .cap = "10100", .bil = "ALPHA",
             .note = "NOTA ALFA"},
            {.locality = "BETA", .province = "TO", .cap = "10010"},
            {.locality = "GAMMA", .province = "RM", .agency = "", .cap = "00100", .note = "SOLO NOTE"},
            {.locality = "DELTA", .province = "RM", .cap = "00110"}};
}

QList<ProvinceSource> provinces()
{
    return {{.province = "TO", .name = "TORINO"}, {.province = "RM", .name = "ROMA"}};
}

QPoint centre(QWidget *window, QWidget *control)
{
    return control->mapTo(window, control->rect().center());
}

// The windows a user meets, each in the state a row of a table names.
enum class Shown { LocalityMode, CapMode, ProvinceMode, Details, CompactDetails, AboutBox, Streets, StreetDetails };

const QList<StreetSource> kStreets{
    {.street = "ALFA", .designation = "VIA", .cityTag = "ME", .cap = "30172", .agency = "MESTRE 1", .note = "TUTTI"},
    {.street = "BETA", .designation = "PIAZZA", .cap = "30171"},
    {.street = "GAMMA"}};

// The street window on Venezia-Mestre, opened from the main window's menu;
// `inspect` runs on it, or with `details`, on the details of its first street.
void withStreetWindow(MainWindowFixture &f, bool details, const std::function<void(QWidget *)> &inspect)
{
    f.window->streetWindowFactory = [](QWidget *owner) { return std::make_unique<TZone>(owner); };
    bool seen = false;
    onNextModal([&](QDialog *dialog) {
        auto *zone = qobject_cast<TZone *>(dialog);
        QVERIFY(zone);
        zone->ComboBox1->setCurrentIndex(zone->ComboBox1->findText("Venezia-Mestre") - 1);
        QTest::keyClick(zone->ComboBox1, Qt::Key_Down);
        QCOMPARE(zone->StringGrid2->cell(0, 0), "ALFA");
        if (!details) {
            seen = true;
            inspect(zone);
            return;
        }
        zone->StringGrid2->setFocus();
        onNextModal([&](QDialog *shown) {
            seen = true;
            inspect(shown);
        });
        QTest::keyClick(zone->StringGrid2, Qt::Key_Return);
    });
    f.window->Stradari1->trigger();
    QVERIFY(seen);
}

// Opens the window `shown` names and runs `inspect` on it while it is open.
void withWindow(Shown shown, const std::function<void(QWidget *)> &inspect)
{
    MainWindowFixture f;
    QVERIFY(f.open(towns(), provinces(), [](const QString &folder) { QVERIFY(buildCity(folder, "mestre", kStreets)); }));
    switch (shown) {
    case Shown::Streets:
    case Shown::StreetDetails:
        withStreetWindow(f, shown == Shown::StreetDetails, inspect);
        return;
    case Shown::LocalityMode:
        inspect(f.window.get());
        return;
    case Shown::CapMode:
        f.window->perCAP1->trigger();
        inspect(f.window.get());
        return;
    case Shown::ProvinceMode:
        f.window->perProvincia1->trigger();
        inspect(f.window.get());
        return;
    case Shown::Details:
    case Shown::CompactDetails: {
        // ALFA has every field, BETA neither agency nor notes.
        f.type(shown == Shown::Details ? "ALFA" : "BETA");
        f.focusGrid();
        bool seen = false;
        onNextModal([&](QDialog *dialog) {
            seen = true;
            inspect(dialog);
        });
        f.key(Qt::Key_Return, f.grid());
        QVERIFY(seen);
        return;
    }
    case Shown::AboutBox: {
        bool seen = false;
        onNextModal([&](QDialog *dialog) {
            seen = true;
            inspect(dialog);
        });
        f.window->InformazionesuZelvora1->trigger();
        QVERIFY(seen);
        return;
    }
    }
}

} // namespace

Q_DECLARE_METATYPE(Shown)

namespace {

void addWindowRows()
{
    QTest::addColumn<Shown>("shown");
    QTest::newRow("main window, by locality") << Shown::LocalityMode;
    QTest::newRow("main window, by postal code") << Shown::CapMode;
    QTest::newRow("main window, by province") << Shown::ProvinceMode;
    QTest::newRow("details") << Shown::Details;
    QTest::newRow("details, compact") << Shown::CompactDetails;
    QTest::newRow("about box") << Shown::AboutBox;
    QTest::newRow("street window") << Shown::Streets;
    QTest::newRow("street details") << Shown::StreetDetails;
}

// The pixel width a control's text needs, and the width the control gives it.
struct Fit
{
    QString what;
    int needed = 0;
    int available = 0;
};

QList<Fit> textFits(QWidget *window)
{
    QList<Fit> fits;
    for (QLabel *label : window->findChildren<QLabel *>()) {
        // Hidden ones too: the note label and the rows of a compact dialog
        // show in other states.
        if (label->text().isEmpty())
            continue;
        const QFontMetrics metrics(label->font());
        const int available = label->contentsRect().width() - 2 * label->margin() - std::max(label->indent(), 0);
        fits.append({label->objectName() + ": " + label->text(), metrics.horizontalAdvance(label->text()), available});
    }
    for (QPushButton *button : window->findChildren<QPushButton *>()) {
        if (!button->isVisibleTo(window))
            continue;
        const QString text = QString(button->text()).remove(u'&');
        const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
        const int margins = 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        fits.append({button->objectName() + ": " + text,
                     QFontMetrics(button->font()).horizontalAdvance(text) + icon + margins, button->width()});
    }
    return fits;
}

// The columns (or rows) of a scan line whose pixels differ from the cells'
// backgrounds, plain or highlighted: the grid lines, where the scan line
// crosses no text.
QList<int> lineCrossings(const QImage &image, bool vertical, int at, const QPalette &palette)
{
    QList<int> found;
    const int length = vertical ? image.height() : image.width();
    for (int i = 0; i < length; ++i) {
        const QRgb pixel = vertical ? image.pixel(at, i) : image.pixel(i, at);
        if (pixel != palette.color(QPalette::Base).rgb() && pixel != palette.color(QPalette::Highlight).rgb())
            found.append(i);
    }
    return found;
}

} // namespace

class TestWindowLook : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(setUpToolkit());
    }

    void noTextIsCutByItsControl_data() { addWindowRows(); }
    void noTextIsCutByItsControl()
    {
        QFETCH(Shown, shown);
        QStringList cut;
        int checked = 0;
        withWindow(shown, [&](QWidget *window) {
            for (const Fit &fit : textFits(window)) {
                ++checked;
                if (fit.needed > fit.available)
                    cut << QStringLiteral("%1 needs %2 pixels, has %3").arg(fit.what).arg(fit.needed).arg(fit.available);
            }
        });
        QCOMPARE(cut, QStringList());
        QVERIFY(checked >= 3);
    }

    void gridLinesLieUnderTheColumnTitles_data()
    {
        QTest::addColumn<Shown>("shown");
        QTest::addColumn<QString>("grid");
        QTest::addColumn<QStringList>("titles"); // every title whose right edge a visible line meets
        QTest::addColumn<int>("rows");
        QTest::newRow("localities") << Shown::LocalityMode << "StringGrid1" << QStringList{"Panel3", "Panel4"} << 8;
        QTest::newRow("streets") << Shown::Streets << "StringGrid2" << QStringList{"Panel4"} << 7;
    }
    void gridLinesLieUnderTheColumnTitles()
    {
        QFETCH(Shown, shown);
        QFETCH(QString, grid);
        QFETCH(QStringList, titles);
        QFETCH(int, rows);
        withWindow(shown, [&](QWidget *window) {
            auto *found = window->findChild<StringGrid *>(grid);
            QVERIFY(found);
            found->setRowCountValue(rows); // a full page, empty rows at the end
            const QImage image = found->grab().toImage();

            // Across the top pixel row of the cells, which no text reaches,
            // left of the scroll bar: one line under the right edge of each
            // title but the last, whose column the scroll bar covers.
            auto *scrollBar = found->parentWidget()->findChild<ScrollBar *>();
            const int visibleWidth = scrollBar->x() - found->x();
            QList<int> expected;
            for (const QString &title : titles)
                expected.append(window->findChild<QLabel *>(title)->geometry().right() - found->x());
            QCOMPARE(lineCrossings(image.copy(0, 0, visibleWidth, image.height()), false, 0, found->palette()), expected);

            // Down the first pixel column: a line after every 17 pixels of
            // row, and the last row reaching the bottom edge, no strip below.
            QList<int> lines;
            for (int line = 17; line < found->height(); line += 18)
                lines.append(line);
            QCOMPARE(lines.size(), rows - 1);
            QCOMPARE(lineCrossings(image, true, 0, found->palette()), lines);
            QCOMPARE(found->height() - 1 - lines.last(), 17);
        });
    }

    void panelsDrawTheirBevels_data()
    {
        // From the left edge inwards, then from the right edge inwards, at
        // half the panel's height, up to the first child: L light, D dark, F
        // the panel's own colour. (Grabbing a panel draws its children too.)
        QTest::addColumn<Shown>("shown");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QString>("fromLeft");
        QTest::addColumn<QString>("fromRight");
        QTest::newRow("search panel") << Shown::LocalityMode << "Panel2" << "LLFFFDDF" << "DDFFFLLF";
        QTest::newRow("results panel") << Shown::LocalityMode << "Panel1" << "LLFFFDD" << "DDFFFLL";
        QTest::newRow("status line") << Shown::LocalityMode << "CapHint" << "LDF" << "DLF";
        QTest::newRow("column title") << Shown::LocalityMode << "Panel3" << "LFF" << "DFF";
        QTest::newRow("details panel") << Shown::Details << "Panel1" << "DFLF" << "LFDF";
        QTest::newRow("about frame") << Shown::AboutBox << "Panel1" << "D" << "L";
        QTest::newRow("about cover") << Shown::AboutBox << "Panel4" << "LF" << "DF";
        QTest::newRow("about status line") << Shown::AboutBox << "InfoHint" << "DF" << "LF";
        QTest::newRow("street search panel") << Shown::Streets << "Panel1" << "LLFFFDD" << "DDFFFLL";
        QTest::newRow("street exit panel") << Shown::Streets << "Panel3" << "LFFFD" << "DFFFL";
        QTest::newRow("street status line") << Shown::Streets << "ZoneHint" << "LDF" << "DLF";
        QTest::newRow("street details panel") << Shown::StreetDetails << "Panel1" << "DFLF" << "LFDF";
    }
    void panelsDrawTheirBevels()
    {
        QFETCH(Shown, shown);
        QFETCH(QString, panel);
        QFETCH(QString, fromLeft);
        QFETCH(QString, fromRight);
        withWindow(shown, [&](QWidget *window) {
            auto *found = window->findChild<Panel *>(panel);
            QVERIFY(found);
            // Grabbed alone: the children are left out, the panel's own drawing stays.
            const QImage image = found->grab().toImage();
            const int y = image.height() / 2;
            auto code = [&](int x) {
                const QRgb pixel = image.pixel(x, y);
                const QPalette &palette = found->palette();
                if (pixel == palette.color(QPalette::Light).rgb())
                    return u'L';
                if (pixel == palette.color(QPalette::Dark).rgb())
                    return u'D';
                if (pixel == palette.color(QPalette::Window).rgb())
                    return u'F';
                return u'?';
            };
            QString left, right;
            for (int i = 0; i < fromLeft.size(); ++i) {
                left += code(i);
                right += code(image.width() - 1 - i);
            }
            QCOMPARE(left, fromLeft);
            QCOMPARE(right, fromRight);
        });
    }

    void windowsAreCentredOnTheScreen_data()
    {
        QTest::addColumn<Shown>("shown");
        QTest::newRow("main window") << Shown::LocalityMode;
        QTest::newRow("details") << Shown::Details;
        QTest::newRow("details, compact") << Shown::CompactDetails;
        QTest::newRow("about box") << Shown::AboutBox;
        QTest::newRow("street window") << Shown::Streets;
        QTest::newRow("street details") << Shown::StreetDetails;
    }
    void windowsAreCentredOnTheScreen()
    {
        QFETCH(Shown, shown);
        withWindow(shown, [&](QWidget *window) {
            const QPoint screen = window->screen()->geometry().center();
            const QPoint centre = window->frameGeometry().center();
            QVERIFY2((centre - screen).manhattanLength() <= 1,
                     qPrintable(QStringLiteral("centre %1,%2, screen %3,%4")
                                    .arg(centre.x()).arg(centre.y()).arg(screen.x()).arg(screen.y())));
        });
    }

    void restoringAMinimisedWindowKeepsTheRowAndTheNote()
    {
        MainWindowFixture f;
        QVERIFY(f.open(towns(), provinces()));
        f.focusGrid();
        QTRY_VERIFY(f.window->Edit1->isVisible());
        QVERIFY(f.grid()->isHighlighted(0, 0));
        f.window->setWindowState(Qt::WindowMinimized);
        f.window->setWindowState(Qt::WindowNoState);
        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        QVERIFY(f.grid()->hasFocus());
        QTRY_VERIFY(f.window->Edit1->isVisible());
        QVERIFY(f.grid()->isHighlighted(0, 0));
    }

    void pointingAtTheMenuBarKeepsTheLastHint()
    {
        MainWindowFixture f;
        QVERIFY(f.open(towns(), provinces()));
        TCapF *w = f.window.get();
        QTest::mouseMove(w, centre(w, f.grid()));
        QTRY_COMPARE(w->CapHint->text(), "Doppio click o Invio per dettagli");
        QTest::mouseMove(w, centre(w, w->menuBar()));
        QTRY_VERIFY(!w->mouseInside());
        QTest::qWait(0); // the hint is worked out when the application is idle
        QCOMPARE(w->CapHint->text(), "Doppio click o Invio per dettagli");
        QTest::mouseMove(w, centre(w, f.cerca()));
        QTRY_COMPARE(w->CapHint->text(), "Immetti la Località anche parziale da ricercare");
    }

    void copyKeyCopiesTheRowOrTheFields_data()
    {
        // The first row of each list, or the details opened from it.
        QTest::addColumn<Shown>("shown");
        QTest::addColumn<QString>("copied");
        QTest::newRow("locality row") << Shown::LocalityMode << "ALFA\tTO\t10100";
        QTest::newRow("locality details") << Shown::Details
                                          << "Località\tALFA\nALPHA\nProvincia\tTORINO   TO\nC.A.P.\t10100\n"
                                             "Agenzia recapito\tTORINO CENTRO\nNote\tNOTA ALFA";
        QTest::newRow("locality details, compact") << Shown::CompactDetails
                                                   << "Località\tBETA\nProvincia\tTORINO   TO\nC.A.P.\t10010";
        QTest::newRow("street row") << Shown::Streets << "ALFA\tVIA\t30172";
        QTest::newRow("street details") << Shown::StreetDetails
                                        << "Città\tVENEZIA-MESTRE   ME\nLocalità\tVIA\nALFA\nNote\tTUTTI\n"
                                           "C.A.P.\t30172\nAgenzia recapito\tMESTRE 1";
    }
    void copyKeyCopiesTheRowOrTheFields()
    {
        QFETCH(Shown, shown);
        QFETCH(QString, copied);
        QGuiApplication::clipboard()->clear();
        withWindow(shown, [&](QWidget *window) {
            QWidget *target = window->findChild<StringGrid *>();
            if (qobject_cast<QDialog *>(window) && !qobject_cast<TZone *>(window))
                target = window->focusWidget(); // the details' close button
            else
                target->setFocus();
            QVERIFY(target);
            QTest::keyClick(target, Qt::Key_C, Qt::ControlModifier);
        });
        QCOMPARE(QGuiApplication::clipboard()->text(), copied);
    }

    void toolkitDialogsSpeakItalian_data()
    {
        QTest::addColumn<bool>("printDialog");
        QTest::addColumn<QString>("italian");
        QTest::newRow("print dialog: title") << true << "Stampa";
        QTest::newRow("print dialog: cancel") << true << "Annulla";
        QTest::newRow("print dialog: properties") << true << "Proprietà";
        QTest::newRow("edit menu: copy") << false << "&Copia";
        QTest::newRow("edit menu: select all") << false << "Seleziona tutto";
    }
    void toolkitDialogsSpeakItalian()
    {
        QFETCH(bool, printDialog);
        QFETCH(QString, italian);
        QStringList texts;
        if (printDialog) {
            // The real print dialog, closed as soon as its texts are read.
            QPrinter printer;
            onNextModal([&](QDialog *dialog) {
                texts << dialog->windowTitle();
                for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>())
                    texts << QString(button->text()).remove(u'&');
                for (QLabel *label : dialog->findChildren<QLabel *>())
                    texts << QString(label->text()).remove(u'&');
            });
            QVERIFY(!printing().runPrintDialog(printer, nullptr));
        } else {
            MainWindowFixture f;
            QVERIFY(f.open(towns(), provinces()));
            f.type("ALFA");
            std::unique_ptr<QMenu> menu(f.cerca()->createStandardContextMenu());
            for (QAction *action : menu->actions())
                texts << action->text().section(u'\t', 0, 0);
        }
        QVERIFY2(texts.contains(italian), qPrintable(texts.join(" | ")));
    }

    void creditsShowOnlyConfiguredContacts_data()
    {
        QTest::addColumn<QString>("configured");
        QTest::addColumn<QString>("shown");
        QTest::newRow("nothing configured") << "" << "vedi la Guida (F1)";
        QTest::newRow("an address") << "info@example.org" << "info@example.org";
    }
    void creditsShowOnlyConfiguredContacts()
    {
        QFETCH(QString, configured);
        QFETCH(QString, shown);
        QCOMPARE(contactLine(configured.toUtf8().constData()), shown);
        // This build is configured with no contact: the credits say so.
        resetAboutBoxState();
        TAboutBox box;
        QStringList lines;
        for (const AboutPaintBox::Line &line : box.PaintBox1->lines())
            if (!line.text.trimmed().isEmpty())
                lines << line.text;
        const qsizetype email = lines.indexOf("E-mail");
        const qsizetype web = lines.indexOf("Web");
        QVERIFY(email >= 0 && web >= 0);
        QCOMPARE(lines.value(email + 1), contactLine(""));
        QCOMPARE(lines.value(web + 1), contactLine(""));
    }
};

QTEST_MAIN(TestWindowLook)
#include "tst_window_look.moc"

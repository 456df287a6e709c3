// How the windows look and speak to a user: no text cut by its control, the
// grid under its column titles, the panels' bevels, windows centred on the
// screen, restoring a minimised window, the menu bar and the status line, the
// copy key, the toolkit's own dialogs in Italian.
#include "app/about_box.h"
#include "app/printing.h"
#include "app/toolkit/panel.h"
#include "locality/details_dialog.h"
#include "support/main_window_fixture.h"
#include "support/seams.h"

#include <QClipboard>
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
enum class Shown { LocalityMode, CapMode, ProvinceMode, Details, CompactDetails, AboutBox };

// Opens the window `shown` names and runs `inspect` on it while it is open.
void withWindow(Shown shown, const std::function<void(QWidget *)> &inspect)
{
    MainWindowFixture f;
    QVERIFY(f.open(towns(), provinces()));
    switch (shown) {
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
// background: the grid lines, where the scan line crosses no text.
QList<int> lineCrossings(const QImage &image, bool vertical, int at, const QColor &background)
{
    QList<int> found;
    const int length = vertical ? image.height() : image.width();
    for (int i = 0; i < length; ++i) {
        const QColor pixel = vertical ? image.pixelColor(at, i) : image.pixelColor(i, at);
        if (pixel != background)
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

    void gridLinesLieUnderTheColumnTitles()
    {
        MainWindowFixture f;
        QVERIFY(f.open(towns(), provinces()));
        StringGrid *grid = f.grid();
        QCOMPARE(grid->rowCountValue(), 4);
        grid->setRowCountValue(8); // a full page: four empty rows more
        const QImage image = grid->grab().toImage();
        const QColor cyan = grid->palette().color(QPalette::Base);

        // Across the top pixel row of the cells, which no text reaches, left
        // of the scroll bar: one line under the right edge of each title but
        // the last, whose column the scroll bar covers.
        const int visibleWidth = f.scrollBar()->x() - grid->x();
        QList<int> expected;
        for (QLabel *title : {f.window->Panel3, f.window->Panel4})
            expected.append(title->geometry().right() - grid->x());
        QCOMPARE(lineCrossings(image.copy(0, 0, visibleWidth, image.height()), false, 0, cyan), expected);

        // Down the first pixel column: a line after every 17 pixels of row,
        // and the eighth row reaching the bottom edge, with no strip below.
        QList<int> rows;
        for (int line = 17; line < grid->height(); line += 18)
            rows.append(line);
        QCOMPARE(rows.size(), 7);
        QCOMPARE(lineCrossings(image, true, 0, cyan), rows);
        QCOMPARE(grid->height() - 1 - rows.last(), 17);
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
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("inDetails");
        QTest::addColumn<QString>("copied");
        QTest::newRow("row") << "GAMMA" << false << "GAMMA\tRM\t00100";
        QTest::newRow("details") << "ALFA" << true
                                 << "Località\tALFA\nALPHA\nProvincia\tTORINO   TO\nC.A.P.\t10100\n"
                                    "Agenzia recapito\tTORINO CENTRO\nNote\tNOTA ALFA";
        QTest::newRow("details, notes only") << "GAMMA" << true
                                             << "Località\tGAMMA\nProvincia\tROMA   RM\nC.A.P.\t00100\nNote\tSOLO NOTE";
    }
    void copyKeyCopiesTheRowOrTheFields()
    {
        QFETCH(QString, typed);
        QFETCH(bool, inDetails);
        QFETCH(QString, copied);
        MainWindowFixture f;
        QVERIFY(f.open(towns(), provinces()));
        QGuiApplication::clipboard()->clear();
        f.type(typed);
        f.focusGrid();
        if (!inDetails) {
            QTest::keyClick(f.grid(), Qt::Key_C, Qt::ControlModifier);
        } else {
            onNextModal([](QDialog *dialog) { QTest::keyClick(dialog->focusWidget(), Qt::Key_C, Qt::ControlModifier); });
            f.key(Qt::Key_Return, f.grid());
        }
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

// How the windows look to a user: centred, no text cut by its control, the
// grids under their column titles, the panels' bevels, a restored window and
// the menu bar leaving the state alone, the copy key, the about box's credits,
// the pictures drawn from their SVG sources, the menu bar extension's icon.
#include "app/about_box.h"
#include "app/toolkit/panel.h"
#include "streets/street_window.h"
#include "support/controls.h"
#include "support/windows.h"

#include <QClipboard>
#include <QMenuBar>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QSvgRenderer>
#include <QToolButton>

using namespace zelvora;
using namespace zelvora::test;

namespace {
// The rows (or columns) where a scan line of a grid's picture leaves the
// cells' plain and highlighted colours: its grid lines, where no text is.
QList<int> gridLines(const QImage &image, bool down, int at, const QPalette &palette)
{
    QList<int> found;
    for (int i = 0; i < (down ? image.height() : image.width()); ++i) {
        const QRgb pixel = down ? image.pixel(at, i) : image.pixel(i, at);
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
    void initTestCase() { QVERIFY(setUpToolkit()); }

    void eachWindowIsCentredAndCutsNoText_data() { addWindowRows(); }
    void eachWindowIsCentredAndCutsNoText()
    {
        QFETCH(Shown, shown);
        withWindow(shown, [](QWidget *window) {
            QCOMPARE(window->frameGeometry().center(), window->screen()->geometry().center());
            // Every caption, also of the controls hidden in this state, against its room.
            QStringList cut;
            for (QLabel *label : window->findChildren<QLabel *>())
                if (QFontMetrics(label->font()).horizontalAdvance(label->text()) > label->contentsRect().width())
                    cut << label->objectName();
            for (QPushButton *button : window->findChildren<QPushButton *>()) {
                const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
                const int margins = 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
                if (QFontMetrics(button->font()).horizontalAdvance(QString(button->text()).remove(u'&')) + icon
                        + margins > button->width())
                    cut << button->objectName();
            }
            QCOMPARE(cut, QStringList());
        });
    }

    void gridLinesLieUnderTheColumnTitles_data()
    {
        QTest::addColumn<Shown>("shown");
        QTest::addColumn<QStringList>("titles"); // left of the scroll bar, which covers the last column
        QTest::addColumn<int>("rows");
        QTest::newRow("localities") << Shown::MainWindow << QStringList{"Panel3", "Panel4"} << 8;
        QTest::newRow("streets") << Shown::Streets << QStringList{"Panel4"} << 7;
    }
    void gridLinesLieUnderTheColumnTitles()
    {
        QFETCH(Shown, shown);
        QFETCH(QStringList, titles);
        QFETCH(int, rows);
        withWindow(shown, [&](QWidget *window) {
            auto *grid = window->findChild<StringGrid *>();
            grid->setRowCountValue(rows); // a full page
            const int scrollBar = grid->parentWidget()->findChild<ScrollBar *>()->x() - grid->x();
            const QImage image = grid->grab().toImage();
            QList<int> columnLines, rowLines;
            for (const QString &title : titles)
                columnLines << window->findChild<QLabel *>(title)->geometry().right() - grid->x();
            // A line after every 17 pixels of row, the last row ending at the bottom edge.
            for (int y = 17; y < grid->height(); y += 18)
                rowLines << y;
            QCOMPARE(gridLines(image.copy(0, 0, scrollBar, image.height()), false, 0, grid->palette()), columnLines);
            QCOMPARE(gridLines(image, true, 0, grid->palette()), rowLines);
            QCOMPARE(rowLines.size(), rows - 1);
            QCOMPARE(grid->height() - 1 - rowLines.last(), 17);
        });
    }

    void panelsDrawTheirBevels_data()
    {
        // From the left and from the right edge inwards at half height, up to
        // the first child: L light, D dark, F the panel's own colour.
        QTest::addColumn<Shown>("shown");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QString>("fromLeft");
        QTest::addColumn<QString>("fromRight");
        QTest::newRow("search panel") << Shown::MainWindow << "Panel2" << "LLFFFDDF" << "DDFFFLLF";
        QTest::newRow("status line") << Shown::MainWindow << "CapHint" << "LDF" << "DLF";
        QTest::newRow("column title") << Shown::MainWindow << "Panel3" << "LFF" << "DFF";
        QTest::newRow("details panel") << Shown::Details << "Panel1" << "DFLF" << "LFDF";
        QTest::newRow("about status line") << Shown::AboutBox << "InfoHint" << "DF" << "LF";
        QTest::newRow("street exit panel") << Shown::Streets << "Panel3" << "LFFFD" << "DFFFL";
    }
    void panelsDrawTheirBevels()
    {
        QFETCH(Shown, shown);
        QFETCH(QString, panel);
        QFETCH(QString, fromLeft);
        QFETCH(QString, fromRight);
        withWindow(shown, [&](QWidget *window) {
            auto *found = window->findChild<Panel *>(panel);
            const QImage image = found->grab().toImage();
            const QPalette &palette = found->palette();
            QString left, right;
            for (int i = 0; i < fromLeft.size(); ++i)
                for (auto [x, into] : {std::pair{i, &left}, std::pair{image.width() - 1 - i, &right}}) {
                    const QRgb pixel = image.pixel(x, image.height() / 2);
                    *into += pixel == palette.color(QPalette::Light).rgb()  ? u'L'
                             : pixel == palette.color(QPalette::Dark).rgb() ? u'D'
                             : pixel == palette.color(QPalette::Window).rgb() ? u'F'
                                                                              : u'?';
                }
            QCOMPARE(left, fromLeft);
            QCOMPARE(right, fromRight);
        });
    }

    void restoredWindowAndMenuBarLeaveFocusNoteAndHint()
    {
        withWindow(Shown::MainWindow, [](QWidget *window) {
            auto *w = static_cast<TCapF *>(window);
            QTest::mouseMove(w, test::control<StringGrid>(w, "StringGrid1")->mapTo(w, QPoint(20, 20)));
            QTRY_COMPARE(test::control<QLabel>(w, "CapHint")->text(), "Doppio click o Invio per dettagli");
            QTest::keyClick(test::control<Edit>(w, "Cerca"), Qt::Key_Return);
            QTRY_VERIFY(test::control<Edit>(w, "Edit1")->isVisible()); // ALFA's note
            // The menu bar is no control with a hint: the last hint stays.
            QTest::mouseMove(w, w->menuBar()->geometry().center());
            QTRY_VERIFY(!w->mouseInside());
            QTest::qWait(0); // the hint is worked out when the application is idle
            QCOMPARE(test::control<QLabel>(w, "CapHint")->text(), "Doppio click o Invio per dettagli");
            // Restored from its minimised state, the window keeps focus, row and note.
            w->setWindowState(Qt::WindowMinimized);
            w->setWindowState(Qt::WindowNoState);
            w->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(w));
            QVERIFY(test::control<StringGrid>(w, "StringGrid1")->hasFocus());
            QVERIFY(test::control<Edit>(w, "Edit1")->isVisible());
            QVERIFY(test::control<StringGrid>(w, "StringGrid1")->isHighlighted(0, 0));
        });
    }

    void copyKeyCopiesTheRowOrTheFields_data()
    {
        // The first row of each list, or its details.
        QTest::addColumn<Shown>("shown");
        QTest::addColumn<QString>("copied");
        QTest::newRow("locality row") << Shown::MainWindow << "ALFA\tTO\t10100";
        QTest::newRow("locality details") << Shown::Details
                                          << "Località\tALFA\nALPHA\nProvincia\tTORINO   TO\nC.A.P.\t10100\n"
                                             "Agenzia recapito\tTORINO CENTRO\nNote\tNOTA ALFA";
        QTest::newRow("compact details") << Shown::CompactDetails << "Località\tBETA\nProvincia\tTORINO   TO\nC.A.P.\t10010";
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
        withWindow(shown, [](QWidget *window) {
            QWidget *target = window->focusWidget(); // a details dialog's close button
            if (auto *grid = window->findChild<StringGrid *>())
                (target = grid)->setFocus();
            QTest::keyClick(target, Qt::Key_C, Qt::ControlModifier);
        });
        QCOMPARE(QGuiApplication::clipboard()->text(), copied);
    }

    // The pictures are drawn from their SVG sources at build time, at the
    // window's size and at twice it; the same test runs on a screen of two
    // device pixels to a point.
    void picturesAreTheirDrawings_data()
    {
        QTest::addColumn<Shown>("shown");
        QTest::addColumn<QString>("picture"); // empty: the window's icon
        QTest::addColumn<QString>("drawing");
        QTest::addColumn<QSize>("size");
        const QString app = QStringLiteral(ZELVORA_SOURCE_DIR "/src/app/resources/");
        QTest::newRow("emblem") << Shown::MainWindow << "Image3" << app + "emblem.svg" << QSize(48, 48);
        QTest::newRow("title") << Shown::MainWindow << "Image4" << app + "title.svg" << QSize(127, 57);
        QTest::newRow("icon") << Shown::MainWindow << "" << app + "icon.svg" << QSize(64, 64);
        QTest::newRow("street map")
            << Shown::Streets << "Image1" << ZELVORA_SOURCE_DIR "/src/streets/resources/street.svg" << QSize(49, 49);
    }
    void picturesAreTheirDrawings()
    {
        QFETCH(Shown, shown);
        QFETCH(QString, picture);
        QFETCH(QString, drawing);
        QFETCH(QSize, size);
        withWindow(shown, [&](QWidget *window) {
            const QPixmap shownPixmap = picture.isEmpty() ? window->windowIcon().pixmap(size)
                                                          : window->findChild<QLabel *>(picture)->pixmap();
            QCOMPARE(shownPixmap.deviceIndependentSize(), QSizeF(size));
            QCOMPARE(shownPixmap.devicePixelRatio(), qApp->devicePixelRatio());
            QImage drawn(shownPixmap.size(), QImage::Format_ARGB32_Premultiplied);
            drawn.fill(Qt::transparent);
            // The drawing's text takes what it does not set from the
            // application's font, which the windows lay out without shaping;
            // the build draws it with Qt's defaults.
            const QFont windowsFont = QApplication::font();
            QFont shaped = windowsFont;
            shaped.setStyleStrategy(QFont::PreferDefault);
            QApplication::setFont(shaped);
            QPainter painter(&drawn);
            painter.setRenderHint(QPainter::Antialiasing);
            QSvgRenderer(drawing).render(&painter);
            painter.end();
            QApplication::setFont(windowsFont);
            drawn.setDevicePixelRatio(shownPixmap.devicePixelRatio());
            QCOMPARE(shownPixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied), drawn);
        });
    }

    // The menu bar's extension button reads its icon only when drawn: then
    // it is the platform style's own.
    void menuBarExtensionShowsTheStyleIcon()
    {
        withWindow(Shown::MainWindow, [](QWidget *window) {
            auto *extension = window->findChild<QToolButton *>("qt_menubar_ext_button");
            QVERIFY(extension);
            auto *style = qobject_cast<QProxyStyle *>(QApplication::style());
            QVERIFY(style);
            const QIcon own = style->baseStyle()->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
            QVERIFY(!extension->icon().isNull());
            QCOMPARE(extension->icon().availableSizes(), own.availableSizes());
            QCOMPARE(extension->icon().pixmap(16).toImage(), own.pixmap(16).toImage());
        });
    }

    void creditsPointToTheHelpForContactsNotConfigured()
    {
        // This build is configured with no web or e-mail address.
        resetAboutBoxState();
        TAboutBox box;
        QStringList lines;
        for (const AboutPaintBox::Line &line : test::control<AboutPaintBox>(&box, "PaintBox1")->lines())
            if (!line.text.trimmed().isEmpty())
                lines << line.text;
        QCOMPARE(lines.mid(lines.indexOf("E-mail")), QStringList({"E-mail", "vedi la Guida (F1)", "Web", "vedi la Guida (F1)"}));
        QCOMPARE(contactLine("info@example.org"), "info@example.org");
    }
};

QTEST_MAIN(TestWindowLook)
#include "tst_window_look.moc"

// The behaviours the windows rely on from the toolkit layer: edits, the
// string grid, the scroll bar, hints and mouse notifications.
#include "app/application.h"
#include "app/fonts.h"
#include "app/toolkit/edit.h"
#include "app/toolkit/scroll_bar.h"
#include "app/toolkit/string_grid.h"
#include "common/short_string.h"
#include "support/text_page.h"

#include <QAccessible>
#include <QDir>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QAccessibleTableInterface>
#include <QLabel>
#include <QContextMenuEvent>
#include <QTest>
#include <QTimer>

using namespace zelvora;

class TestToolkit : public QObject
{
    Q_OBJECT

private slots:
    void init() { Application::instance().reset(); }

    void windowsAndPrintoutFontsResolveToInstalledFonts()
    {
        installFontSubstitutes();
        const QFontInfo window(windowFont(11));
        QCOMPARE(window.family(), "Liberation Sans");
        QCOMPARE(window.pixelSize(), 11);
        QVERIFY(QFontInfo(windowFont(12, true)).bold());
        QCOMPARE(QFontInfo(QFont("Times New Roman")).family(), "Liberation Serif");
        // The windows' font looks for no other font to fill a gap: it must
        // hold every character of code page 1252, all the fields can show.
        const QFontMetrics metrics(windowFont(11));
        for (int byte = 0x20; byte <= 0xFF; ++byte) {
            const QChar c = decodeCp1252(QByteArray(1, char(byte))).at(0);
            if (c.isPrint() && c != QChar::ReplacementCharacter)
                QVERIFY2(metrics.inFont(c), qPrintable(QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0'))));
        }
    }

    // A tall scroll bar, in any state, is painted in bands on this thread:
    // the pixels the platform's style gives painting it whole, and no painting
    // thread started. It runs before any other test paints a scroll bar.
    void tallScrollBarPaintsTheSamePixelsOnThisThread_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("pressed");
        QTest::newRow("thumb at the top") << 300 << 0 << false;
        QTest::newRow("thumb inside, held") << 300 << 13 << true;
        QTest::newRow("thumb at the bottom, bands not even") << 161 << 40 << false;
    }
    void tallScrollBarPaintsTheSamePixelsOnThisThread()
    {
        QFETCH(int, height);
        QFETCH(int, value);
        QFETCH(bool, pressed);
        if (qApp->devicePixelRatio() != 1.0)
            QSKIP("drawn in bands at one device pixel to a point only");
        QVERIFY(setUpToolkit());
        const auto threads = [] { return QDir(QStringLiteral("/proc/self/task")).count(); };
        const qsizetype before = threads();
        const auto *toolkitStyle = qobject_cast<QProxyStyle *>(QApplication::style());
        QVERIFY(toolkitStyle);
        const std::unique_ptr<QStyle> plain(QStyleFactory::create(toolkitStyle->baseStyle()->name()));
        ScrollBar banded;
        QScrollBar whole(Qt::Vertical);
        whole.setStyle(plain.get());
        for (QScrollBar *bar : {static_cast<QScrollBar *>(&banded), &whole}) {
            bar->resize(17, height);
            bar->setPageStep(1);
            bar->setMaximum(40);
            bar->setValue(value);
            bar->setSliderDown(pressed);
        }
        const QImage bandedImage = banded.grab().toImage();
        QCOMPARE(threads(), before);
        QCOMPARE(bandedImage, whole.grab().toImage());
    }

    void editRaisesChangeSynchronouslyForADifferentText()
    {
        Edit edit;
        QStringList seen;
        connect(&edit, &Edit::changed, this, [&] { seen << edit.text(); });
        edit.setText("ROMA");
        QCOMPARE(seen, QStringList({"ROMA"})); // before setText returned
        edit.setText("ROMA");
        QCOMPARE(seen.size(), 1);
        edit.clear();
        QCOMPARE(seen, QStringList({"ROMA", ""}));
    }

    void editReentersWhenItsHandlerSetsTheText()
    {
        Edit edit;
        QStringList seen;
        connect(&edit, &Edit::changed, this, [&] {
            seen << edit.text();
            if (edit.text().size() > 2)
                edit.setText(edit.text().left(2));
        });
        edit.setText("ABCD");
        QCOMPARE(seen, QStringList({"ABCD", "AB"}));
        QCOMPARE(edit.text(), "AB");
    }

    void upperCaseEditTurnsTypedLettersBeforeTheNotification()
    {
        Edit edit;
        edit.setUpperCase(true);
        edit.setMaxLength(4);
        QStringList seen;
        connect(&edit, &Edit::changed, this, [&] { seen << edit.text(); });
        QTest::keyClicks(&edit, "ro");
        QKeyEvent accented(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("à"));
        QApplication::sendEvent(&edit, &accented);
        QTest::keyClicks(&edit, "mz");
        QCOMPARE(seen, QStringList({"R", "RO", QString::fromUtf8("ROÀ"), QString::fromUtf8("ROÀM")}));
        edit.clear();
        edit.insert("milano"); // pasted
        QCOMPARE(edit.text(), "MILA");
    }

    void upperCaseStaysInsideCodePage1252_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("field");
        QTest::newRow("sharp s has no capital there") << QString::fromUtf8("straße") << QString::fromUtf8("STRAßE");
        QTest::newRow("micro sign stays") << QString::fromUtf8("µm") << QString::fromUtf8("µM");
        QTest::newRow("plain letters and an accented one") << QString::fromUtf8("città z'") << QString::fromUtf8("CITTÀ Z'");
        QTest::newRow("y with diaeresis gets its capital") << QString::fromUtf8("ÿè") << QString::fromUtf8("ŸÈ");
    }
    void upperCaseStaysInsideCodePage1252()
    {
        QFETCH(QString, typed);
        QFETCH(QString, field);
        Edit edit;
        edit.setUpperCase(true);
        for (const QChar c : typed) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(&edit, &key);
        }
        QCOMPARE(edit.text(), field);
    }

    void editKeyNotificationComesBeforeTheFieldHandlesTheKey()
    {
        Edit edit;
        QString textAtKey;
        connect(&edit, &Edit::keyDown, this, [&](int key) {
            if (key == Qt::Key_X)
                textAtKey = edit.text();
        });
        QTest::keyClicks(&edit, "ab");
        QTest::keyClick(&edit, Qt::Key_X);
        QCOMPARE(textAtKey, "ab");
        QCOMPARE(edit.text(), "abx");
    }

    void gridNeverHasFewerThanOneRowAndKeepsHiddenCells()
    {
        test::TextPage page;
        StringGrid grid;
        grid.setColCount(3);
        grid.setPage(&page);
        grid.setRowCountValue(0);
        QCOMPARE(grid.rowCountValue(), 1);
        page.update(5, [](test::TextRow &row) { row.cells = {{}, "hidden"}; });
        QCOMPARE(grid.model()->rowCount(), 1);
        QCOMPARE(grid.cell(1, 5), "hidden");
        grid.setRowCountValue(6);
        QCOMPARE(grid.model()->index(5, 1).data().toString(), "hidden");
    }

    void gridOutlivesItsPage()
    {
        StringGrid grid;
        grid.setColCount(2);
        {
            test::TextPage page;
            grid.setPage(&page);
            page.append({{"ROMA", "RM"}, {}});
            QCOMPARE(grid.cell(1, 0), "RM");
        }
        // The page is gone: the grid shows empty cells and keeps its counts.
        QCOMPARE(grid.cell(1, 0), QString());
        grid.setRowCountValue(3);
        QCOMPARE(grid.rowCountValue(), 3);
        QCOMPARE(grid.colCount(), 2);
        test::TextPage next;
        grid.setPage(&next);
        QCOMPARE(grid.model()->rowCount(), 3);
    }

    void gridClickNotifications()
    {
        StringGrid grid;
        grid.setColCount(3);
        grid.setRowCountValue(8);
        grid.resize(300, 200);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        int clicks = 0;
        connect(&grid, &StringGrid::click, this, [&] { ++clicks; });

        grid.setRow(5);
        QCOMPARE(clicks, 1);
        grid.setRow(5); // the same row: nothing
        QCOMPARE(clicks, 1);
        // Shrinking below the selected row moves the selection silently.
        grid.setRowCountValue(3);
        QCOMPARE(grid.row(), 2);
        QCOMPARE(clicks, 1);
        grid.setRowCountValue(8);

        // The grid's own navigation raises it too, after the key notification.
        int rowAtKey = -1;
        connect(&grid, &StringGrid::keyDown, this, [&](int) { rowAtKey = grid.row(); });
        grid.setFocus();
        QTest::keyClick(&grid, Qt::Key_Down);
        QCOMPARE(rowAtKey, 2);
        QCOMPARE(grid.row(), 3);
        QCOMPARE(clicks, 2);

        // Every mouse click on a cell, also on the selected row.
        const QPoint cell = grid.visualRect(grid.model()->index(3, 0)).center();
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(clicks, 3);
    }

    void gridSelectionRectangle()
    {
        StringGrid grid;
        grid.setColCount(3);
        grid.setRowCountValue(8);
        grid.setSelection({0, 4, 2, 4});
        QCOMPARE(grid.row(), 4);
        QVERIFY(grid.isHighlighted(0, 4));
        QVERIFY(grid.isHighlighted(2, 4));
        QVERIFY(!grid.isHighlighted(0, 3));
        // Parked outside the columns: nothing is highlighted, the row is taken.
        grid.setSelection({3, 1, 3, 1});
        QCOMPARE(grid.row(), 1);
        for (int column = 0; column < 3; ++column)
            QVERIFY(!grid.isHighlighted(column, 1));
    }

    void gridDrawsEachCellThenNotifies()
    {
        test::TextPage page;
        StringGrid grid;
        grid.setColCount(3);
        grid.setPage(&page);
        grid.setRowCountValue(2);
        page.append({{"ROMA"}, {}});
        grid.resize(300, 100);
        QSet<QPair<int, int>> drawn;
        connect(&grid, &StringGrid::drawCell, this, [&](int column, int row, const QRect &) {
            drawn.insert({column, row});
        });
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QTRY_COMPARE(drawn.size(), 6);
    }

    void gridFocusNotificationsAndAccessibleCells()
    {
        QWidget window;
        auto *edit = new Edit(&window);
        auto *grid = new StringGrid(&window);
        grid->move(0, 40);
        grid->setColCount(2);
        test::TextPage page;
        grid->setPage(&page);
        page.append({{"ROMA", "RM"}, {}});
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QStringList events;
        connect(grid, &StringGrid::enter, this, [&] { events << "enter"; });
        connect(grid, &StringGrid::exit, this, [&] { events << "exit"; });
        grid->setFocus();
        edit->setFocus();
        QCOMPARE(events, QStringList({"enter", "exit"}));

        QAccessibleInterface *table = QAccessible::queryAccessibleInterface(grid);
        QVERIFY(table && table->tableInterface());
        QCOMPARE(table->tableInterface()->cellAt(0, 1)->text(QAccessible::Name), "RM");
    }

    void scrollBarProposesAndAdoptsThePosition_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("proposed");
        QTest::newRow("line up") << int(SB_LINEUP) << 9;
        QTest::newRow("line down") << int(SB_LINEDOWN) << 11;
        QTest::newRow("page up") << int(SB_PAGEUP) << 5;
        QTest::newRow("page down") << int(SB_PAGEDOWN) << 15;
        QTest::newRow("top") << int(SB_TOP) << 0;
        QTest::newRow("bottom") << int(SB_BOTTOM) << 40;
    }
    void scrollBarProposesAndAdoptsThePosition()
    {
        QFETCH(int, code);
        QFETCH(int, proposed);
        ScrollBar bar;
        bar.setMaximum(40);
        bar.setPageStep(5);
        bar.setPosition(10);
        QList<std::pair<int, int>> calls;
        bar.setScrollHandler([&](ScrollCode c, int &position) {
            calls.append({c, position});
            position = 33;
        });
        bar.scrollEvent(ScrollCode(code));
        QCOMPARE(calls, (QList<std::pair<int, int>>{{code, proposed}}));
        QCOMPARE(bar.position(), 33);
        bar.setPosition(2); // the program's own moves raise nothing
        QCOMPARE(calls.size(), 1);
    }

    void scrollBarMouseCodes()
    {
        ScrollBar bar;
        bar.resize(17, 161);
        bar.setMaximum(40);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QList<int> codes;
        bar.setScrollHandler([&](ScrollCode code, int &) { codes << code; });
        QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(8, 157)); // bottom arrow
        QCOMPARE(codes, QList<int>({SB_LINEDOWN, SB_ENDSCROLL}));
        QCOMPARE(bar.position(), 1);
        codes.clear();
        QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(8, 130)); // the trough below the thumb
        QCOMPARE(codes, QList<int>({SB_PAGEDOWN, SB_ENDSCROLL}));
        codes.clear();
        bar.setSliderDown(true);
        bar.setSliderPosition(20);
        bar.setSliderDown(false);
        QCOMPARE(codes, QList<int>({SB_THUMBTRACK, SB_THUMBPOSITION, SB_ENDSCROLL}));
        QCOMPARE(bar.position(), 20);
    }

    void scrollBarHasNoContextMenu()
    {
        ScrollBar bar;
        bar.resize(17, 161);
        bar.setMaximum(40);
        bar.setPosition(10);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QList<int> codes;
        bar.setScrollHandler([&](ScrollCode code, int &) { codes << code; });
        // A menu that opened would be closed by this, and seen.
        bool menuShown = false;
        QTimer::singleShot(0, [&] {
            if (QWidget *popup = QApplication::activePopupWidget()) {
                menuShown = true;
                popup->close();
            }
        });
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(8, 80), bar.mapToGlobal(QPoint(8, 80)));
        QApplication::sendEvent(&bar, &menu);
        QCoreApplication::processEvents();
        QVERIFY(!menuShown);
        QCOMPARE(bar.position(), 10);
        QVERIFY(codes.isEmpty());
    }

    void gridDoesNoSearchByTypedLetters()
    {
        test::TextPage page;
        StringGrid grid;
        grid.setColCount(2);
        grid.setPage(&page);
        grid.setRowCountValue(3);
        for (const char *name : {"ALFA", "BETA", "GAMMA"})
            page.append({{name}, {}});
        grid.show();
        QVERIFY(QTest::qWaitForWindowActive(&grid));
        QList<int> keys;
        connect(&grid, &StringGrid::keyDown, this, [&](int key) { keys << key; });
        QTest::keyClick(&grid, Qt::Key_G);
        QTest::keyClick(&grid, Qt::Key_B);
        QCOMPARE(grid.row(), 0);
        QCOMPARE(keys, QList<int>({Qt::Key_G, Qt::Key_B})); // still notified
        QTest::keyClick(&grid, Qt::Key_Down); // the arrows still move
        QCOMPARE(grid.row(), 1);
    }

    void hintOfTheControlOrItsNearestParent()
    {
        QWidget window;
        auto *panel = new QWidget(&window);
        panel->setGeometry(0, 0, 200, 100);
        auto *inner = new QLabel("x", panel);
        inner->setGeometry(10, 10, 50, 20);
        auto *plain = new QLabel("y", &window);
        plain->setGeometry(0, 120, 50, 20);
        setHint(panel, "Pannello");
        window.resize(200, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        Application &app = Application::instance();
        int notified = 0;
        app.setOnHint([&] { ++notified; });
        QList<bool> inside;
        app.watchMouse(&window, [&](bool in) { inside << in; });

        QTest::mouseMove(&window, QPoint(20, 20));
        QTRY_COMPARE(app.hint(), "Pannello"); // from the parent of the label
        QCOMPARE(notified, 1);
        QCOMPARE(inner->accessibleDescription(), QString());
        QCOMPARE(panel->accessibleDescription(), "Pannello");
        // From one control to another the mouse never leaves the window.
        inside.clear();
        QTest::mouseMove(&window, QPoint(20, 125));
        QTRY_COMPARE(app.hint(), QString());
        QVERIFY(!inside.isEmpty());
        QVERIFY(!inside.contains(false));
        // A control that moves away under a still mouse changes the hint.
        QTest::mouseMove(&window, QPoint(20, 20));
        QTRY_COMPARE(app.hint(), "Pannello");
        panel->move(0, 60);
        QTRY_COMPARE(app.hint(), QString());
        panel->move(0, 0);
        QTRY_COMPARE(app.hint(), "Pannello");
        QCOMPARE(notified, 5);
        // Installing another handler replaces the first.
        int other = 0;
        app.setOnHint([&] { ++other; });
        QTest::mouseMove(&window, QPoint(20, 125));
        QTRY_COMPARE(other, 1);
        QCOMPARE(notified, 5);
        // Leaving the window takes the mouse out of it.
        QTest::mouseMove(&window, QPoint(-40, -40));
        QTRY_COMPARE(inside.last(), false);
    }
};

QTEST_MAIN(TestToolkit)
#include "tst_toolkit.moc"

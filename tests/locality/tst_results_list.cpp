// The results list in the main window: paging through the locality files with
// the grid's keys and the scroll bar, the selection, the scroll bar's position
// and the note line in step. The paging table itself is the paged list's
// (tests/app/tst_paged_list.cpp).
#include "support/controls.h"
#include "support/main_window_fixture.h"

#include <QAbstractEventDispatcher>
#include <QLabel>

using namespace zelvora;
using namespace zelvora::test;

class TestResultsList : public QObject
{
    Q_OBJECT

    // Shows the page that starts at record `first` (typing its name), enters
    // the grid and moves the selection down to `row` with the grid's own keys.
    static void pageAt(MainWindowFixture &f, int first, int row)
    {
        f.type(QStringLiteral("P%1").arg(first, 3, 10, QLatin1Char('0')));
        f.focusGrid();
        for (int i = 0; i < row; ++i)
            f.key(Qt::Key_Down);
        QCOMPARE(f.grid()->row(), row);
    }

private slots:
    void pageMovesInPostalCodeModeReadTwoRecordsPerRow()
    {
        MainWindowFixture f;
        QVERIFY(f.open(numberedLocalities(40)));
        test::control<QAction>(f.window, "perCAP1")->trigger();
        f.focusGrid();
        f.key(Qt::Key_PageDown);
        const qint64 before = f.reads();
        f.key(Qt::Key_PageDown);
        QCOMPARE(f.reads() - before, 16);
        QCOMPARE(f.names(), numberedNames(8, 15));
    }

    void scrollBarArrowsAndTrough()
    {
        MainWindowFixture f;
        QVERIFY(f.open(numberedLocalities(40)));
        pageAt(f, 5, 7);
        f.cerca()->setFocus();
        // The bottom arrow of the scroll bar, clicked with the mouse.
        const QRect bar = f.scrollBar()->rect();
        QTest::mouseClick(f.scrollBar(), Qt::LeftButton, {}, QPoint(bar.width() / 2, bar.height() - 4));
        QVERIFY(f.grid()->hasFocus());
        QCOMPARE(f.names(), numberedNames(6, 13));
        QCOMPARE(f.scrollBar()->position(), 14);
        // A stay keeps the proposal: the position goes down by the line step.
        f.scrollBar()->scrollEvent(SB_LINEUP);
        QCOMPARE(f.grid()->row(), 6);
        QCOMPARE(f.scrollBar()->position(), 13);
        f.scrollBar()->scrollEvent(SB_PAGEUP);
        QCOMPARE(f.grid()->row(), 0);
        f.scrollBar()->scrollEvent(SB_PAGEUP);
        QCOMPARE(f.names(), numberedNames(0, 7));
        QCOMPARE(f.scrollBar()->position(), 0);
    }

    void clickOnARowMovesTheScrollBarByTheRowsMoved()
    {
        MainWindowFixture f;
        QVERIFY(f.open(numberedLocalities(40)));
        pageAt(f, 10, 2);
        const int before = f.scrollBar()->position();
        const QRect cell = f.grid()->visualRect(f.grid()->model()->index(5, 0));
        QTest::mouseClick(f.grid()->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(f.grid()->row(), 5);
        QCOMPARE(f.scrollBar()->position(), before + 3);
        QCOMPARE(f.window->state().lastRow, 5);
    }

    void noteLineWhileTheGridHasTheFocus()
    {
        MainWindowFixture f;
        QVERIFY(f.open(numberedLocalities(40)));
        f.type("P005"); // P005 has a note, P006 has none
        QVERIFY(!test::control<Edit>(f.window, "Edit1")->isVisible());
        f.focusGrid();
        QTRY_VERIFY(test::control<Edit>(f.window, "Edit1")->isVisible());
        QVERIFY(test::control<QLabel>(f.window, "Label1")->isVisible());
        QCOMPARE(test::control<Edit>(f.window, "Edit1")->text(), "NOTA 5");
        f.key(Qt::Key_Down);
        QTRY_VERIFY(!test::control<Edit>(f.window, "Edit1")->isVisible());
        QVERIFY(!test::control<QLabel>(f.window, "Label1")->isVisible());
        f.key(Qt::Key_Up);
        QTRY_VERIFY(test::control<Edit>(f.window, "Edit1")->isVisible());
        // Leaving the grid hides the note line and the highlight.
        f.key(Qt::Key_Escape);
        QVERIFY(f.cerca()->hasFocus());
        QVERIFY(!test::control<Edit>(f.window, "Edit1")->isVisible());
        QTRY_VERIFY(!f.grid()->isHighlighted(0, 0));
    }

    void highlightReturnsToTheRememberedRow()
    {
        MainWindowFixture f;
        QVERIFY(f.open(numberedLocalities(40)));
        pageAt(f, 10, 4);
        f.key(Qt::Key_Escape);
        QTRY_VERIFY(!f.grid()->isHighlighted(0, 4));
        QCOMPARE(f.grid()->row(), 4);
        f.key(Qt::Key_Tab, f.cerca());
        QVERIFY(f.grid()->hasFocus());
        QVERIFY(f.grid()->isHighlighted(0, 4));
        QVERIFY(f.grid()->isHighlighted(2, 4));
        // A new search forgets it: entering the grid highlights row 0.
        f.cerca()->setFocus();
        f.type("1");
        f.key(Qt::Key_Return, f.cerca());
        QCOMPARE(f.grid()->row(), 0);
        QVERIFY(f.grid()->isHighlighted(0, 0));
    }

    void escapeInTheGridReturnsToTheSearchField()
    {
        MainWindowFixture f;
        QVERIFY(f.open(numberedLocalities(40)));
        f.focusGrid();
        f.key(Qt::Key_Escape);
        QVERIFY(f.cerca()->hasFocus());
    }

    void aListShorterThanAPage()
    {
        MainWindowFixture f;
        QVERIFY(f.open(numberedLocalities(5)));
        f.focusGrid();
        for (Qt::Key key : {Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageUp,
                            Qt::Key_Up, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down}) {
            f.key(key);
            QCOMPARE(f.names(), numberedNames(0, 4));
        }
        f.scrollBar()->setSliderDown(true);
        f.scrollBar()->setSliderPosition(5);
        f.scrollBar()->setSliderDown(false);
        QCOMPARE(f.names(), numberedNames(0, 4));
        test::control<QAction>(f.window, "perCAP1")->trigger();
        QCOMPARE(f.names(), numberedNames(0, 4));
        QVERIFY(f.boxes.requests.isEmpty());
    }

    void damagedOrderFileWhilePaging()
    {
        MainWindowFixture f;
        QVERIFY(f.open(numberedLocalities(20), {}, [](const QString &dir) {
            QByteArray cod = readAll(dir + "/locacap.cod");
            cod[12 * 8 + 7] = char(0x80); // entry 13 names locality -32757
            writeAll(dir + "/locacap.cod", cod);
        }));
        test::control<QAction>(f.window, "perCAP1")->trigger();
        f.focusGrid();
        f.key(Qt::Key_PageDown);
        QCOMPARE(f.boxes.requests.size(), 0);
        f.key(Qt::Key_PageDown);
        QCOMPARE(f.boxes.requests.size(), 1);
        QCOMPARE(f.boxes.requests[0].caption, "Zelvora");
        // The rows read before the fault stay on screen.
        QCOMPARE(f.names(), numberedNames(8, 11));
    }

    void heldScrollBarStopsAtTheFirstError_data()
    {
        QTest::addColumn<int>("fromBottom"); // where the mouse holds the scroll bar
        QTest::addColumn<QStringList>("left"); // the rows read before the error
        QTest::newRow("bottom arrow: lines down") << 4 << numberedNames(11, 17);
        QTest::newRow("trough below the thumb: pages down") << 40 << QStringList{""};
    }
    void heldScrollBarStopsAtTheFirstError()
    {
        QFETCH(int, fromBottom);
        QFETCH(QStringList, left);
        MainWindowFixture f;
        QVERIFY(f.open(numberedLocalities(40), {}, [](const QString &dir) {
            QByteArray cod = readAll(dir + "/locacap.cod");
            cod[18 * 8 + 6] = char(99); // entry 18 names locality 99
            writeAll(dir + "/locacap.cod", cod);
        }));
        test::control<QAction>(f.window, "perCAP1")->trigger();
        f.type("27010");
        f.focusGrid();
        for (int i = 0; i < 7; ++i)
            f.key(Qt::Key_Down);
        ScrollBar *bar = f.scrollBar();
        const QPoint at(bar->width() / 2, bar->height() - fromBottom);
        QTest::mousePress(bar, Qt::LeftButton, {}, at);
        // The button held down: whatever repeat the scroll bar keeps running
        // fires now, several times, rather than being waited for.
        for (int repeat = 0; repeat < 3; ++repeat) {
            for (const auto &timer : QAbstractEventDispatcher::instance()->registeredTimers(bar)) {
                QTimerEvent tick(timer.timerId);
                QApplication::sendEvent(bar, &tick);
            }
        }
        QCOMPARE(f.boxes.requests.size(), 1);
        QCOMPARE(f.boxes.requests[0].text,
                 QString::fromUtf8("Numero di località 99 fuori dal file localita.loc (40 record)"));
        QCOMPARE(f.names(), left);
        QTest::mouseRelease(bar, Qt::LeftButton, {}, at);
        QCOMPARE(f.boxes.requests.size(), 1);
        // The scroll bar and the search work on.
        f.cerca()->clear();
        f.type("27020");
        f.focusGrid();
        f.key(Qt::Key_PageDown);
        f.key(Qt::Key_PageDown);
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 4));
        QCOMPARE(f.names(), numberedNames(29, 36));
        QCOMPARE(f.boxes.requests.size(), 1);
    }
};

QTEST_MAIN(TestResultsList)
#include "tst_results_list.moc"

// Paging through the results list with the grid's keys and the scroll bar,
// with the selection, the scroll bar's position and the note line in step.
#include "support/main_window_fixture.h"

#include <QLabel>

using namespace zelvora;
using namespace zelvora::test;

namespace {
QStringList numbered(int from, int to)
{
    QStringList names;
    for (int i = from; i <= to; ++i)
        names << QStringLiteral("P%1").arg(i, 3, 10, QLatin1Char('0'));
    return names;
}
} // namespace

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
    void keysPageThroughTheList_data()
    {
        QTest::addColumn<int>("first");      // record on row 0 before the key
        QTest::addColumn<int>("row");        // selected row before the key
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("newFirst");   // record on row 0 after the key
        QTest::addColumn<int>("newRow");
        QTest::addColumn<int>("position");   // the scroll bar's position after the key
        QTest::addColumn<int>("reads");      // records read by the key
        // 40 records: after typing, the scroll bar stands two before the
        // page's first record, and follows each move of the selection.
        QTest::newRow("down inside the page") << 5 << 3 << int(Qt::Key_Down) << 5 << 4 << 7 << 0;
        QTest::newRow("down at the last row") << 5 << 7 << int(Qt::Key_Down) << 6 << 7 << 14 << 8;
        QTest::newRow("down at the last row of the last page") << 32 << 7 << int(Qt::Key_Down) << 32 << 7 << 40 << 15;
        QTest::newRow("up inside the page") << 5 << 3 << int(Qt::Key_Up) << 5 << 2 << 5 << 0;
        QTest::newRow("up on row 1 moves without reading") << 5 << 1 << int(Qt::Key_Up) << 5 << 0 << 3 << 0;
        QTest::newRow("up at row 0") << 5 << 0 << int(Qt::Key_Up) << 4 << 0 << 4 << 8;
        QTest::newRow("up at row 0 of the first page") << 0 << 0 << int(Qt::Key_Up) << 0 << 0 << 0 << 8;
        QTest::newRow("page down first goes to the last row") << 5 << 2 << int(Qt::Key_PageDown) << 5 << 7 << 10 << 0;
        QTest::newRow("page down at the last row") << 5 << 7 << int(Qt::Key_PageDown) << 13 << 7 << 21 << 8;
        QTest::newRow("page down with fewer than a page after it") << 30 << 7 << int(Qt::Key_PageDown) << 32 << 7 << 40 << 10;
        QTest::newRow("page up first goes to row 0") << 5 << 4 << int(Qt::Key_PageUp) << 5 << 0 << 3 << 0;
        QTest::newRow("page up at row 0") << 20 << 0 << int(Qt::Key_PageUp) << 12 << 0 << 12 << 8;
        QTest::newRow("page up at row 0 held at the first record") << 3 << 0 << int(Qt::Key_PageUp) << 0 << 0 << 0 << 8;
    }
    void keysPageThroughTheList()
    {
        QFETCH(int, first);
        QFETCH(int, row);
        QFETCH(int, key);
        QFETCH(int, newFirst);
        QFETCH(int, newRow);
        QFETCH(int, position);
        QFETCH(int, reads);
        MainWindowFixture f;
        QVERIFY(f.open(numberedLocalities(40)));
        pageAt(f, first, row);
        QCOMPARE(f.names(), numbered(first, first + 7));
        const qint64 before = f.reads();
        f.key(Qt::Key(key));
        QCOMPARE(f.names(), numbered(newFirst, newFirst + 7));
        QCOMPARE(f.grid()->row(), newRow);
        QCOMPARE(f.scrollBar()->position(), position);
        QCOMPARE(f.reads() - before, reads);
        QVERIFY(f.grid()->isHighlighted(0, newRow));
        QVERIFY(f.boxes.requests.isEmpty());
    }

    void pageMovesInPostalCodeModeReadTwoRecordsPerRow()
    {
        MainWindowFixture f;
        QVERIFY(f.open(numberedLocalities(40)));
        f.window->perCAP1->trigger();
        f.focusGrid();
        f.key(Qt::Key_PageDown);
        const qint64 before = f.reads();
        f.key(Qt::Key_PageDown);
        QCOMPARE(f.reads() - before, 16);
        QCOMPARE(f.names(), numbered(8, 15));
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
        QCOMPARE(f.names(), numbered(6, 13));
        QCOMPARE(f.scrollBar()->position(), 14);
        // A stay keeps the proposal: the position goes down by the line step.
        f.scrollBar()->scrollEvent(SB_LINEUP);
        QCOMPARE(f.grid()->row(), 6);
        QCOMPARE(f.scrollBar()->position(), 13);
        f.scrollBar()->scrollEvent(SB_PAGEUP);
        QCOMPARE(f.grid()->row(), 0);
        f.scrollBar()->scrollEvent(SB_PAGEUP);
        QCOMPARE(f.names(), numbered(0, 7));
        QCOMPARE(f.scrollBar()->position(), 0);
    }

    void thumbJump_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("released");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("position");
        QTest::newRow("in the first fiftieth: first page") << 200 << 3 << 0 << 0;
        QTest::newRow("just past the first fiftieth") << 200 << 4 << 4 << 4;
        QTest::newRow("middle") << 200 << 150 << 150 << 150;
        QTest::newRow("in the last hundredth: last page") << 200 << 199 << 192 << 192;
        QTest::newRow("fewer than a page after it") << 200 << 195 << 192 << 192;
        QTest::newRow("the very end") << 200 << 200 << 192 << 192;
        QTest::newRow("fewer than 50 records: no first-page snap") << 40 << 0 << 0 << 0;
        QTest::newRow("fewer than 100 records: no last-page snap") << 99 << 98 << 91 << 91;
        QTest::newRow("fewer than 100 records, at the maximum") << 40 << 40 << 32 << 32;
    }
    void thumbJump()
    {
        QFETCH(int, records);
        QFETCH(int, released);
        QFETCH(int, first);
        QFETCH(int, position);
        MainWindowFixture f;
        QVERIFY(f.open(numberedLocalities(records)));
        ScrollBar *bar = f.scrollBar();
        bar->setSliderDown(true);
        bar->setSliderPosition(released); // dragging: nothing moves yet
        QCOMPARE(f.firstName(), "P000");
        bar->setSliderDown(false); // released
        QVERIFY(f.grid()->hasFocus());
        QCOMPARE(f.names(), numbered(first, first + 7));
        QCOMPARE(bar->position(), position);
        QCOMPARE(f.grid()->row(), 0);
    }

    void topAndBottomCommandsLeaveThePage()
    {
        MainWindowFixture f;
        QVERIFY(f.open(numberedLocalities(40)));
        pageAt(f, 10, 2);
        f.scrollBar()->scrollEvent(SB_BOTTOM);
        f.scrollBar()->scrollEvent(SB_TOP);
        QCOMPARE(f.names(), numbered(10, 17));
        QCOMPARE(f.grid()->row(), 2);
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
        QCOMPARE(searchState().lastRow, 5);
    }

    void noteLineWhileTheGridHasTheFocus()
    {
        MainWindowFixture f;
        QVERIFY(f.open(numberedLocalities(40)));
        f.type("P005"); // P005 has a note, P006 has none
        QVERIFY(!f.window->Edit1->isVisible());
        f.focusGrid();
        QTRY_VERIFY(f.window->Edit1->isVisible());
        QVERIFY(f.window->Label1->isVisible());
        QCOMPARE(f.window->Edit1->text(), "NOTA 5");
        f.key(Qt::Key_Down);
        QTRY_VERIFY(!f.window->Edit1->isVisible());
        QVERIFY(!f.window->Label1->isVisible());
        f.key(Qt::Key_Up);
        QTRY_VERIFY(f.window->Edit1->isVisible());
        // Leaving the grid hides the note line and the highlight.
        f.key(Qt::Key_Escape);
        QVERIFY(f.cerca()->hasFocus());
        QVERIFY(!f.window->Edit1->isVisible());
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
            QCOMPARE(f.names(), numbered(0, 4));
        }
        f.scrollBar()->setSliderDown(true);
        f.scrollBar()->setSliderPosition(5);
        f.scrollBar()->setSliderDown(false);
        QCOMPARE(f.names(), numbered(0, 4));
        f.window->perCAP1->trigger();
        QCOMPARE(f.names(), numbered(0, 4));
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
        f.window->perCAP1->trigger();
        f.focusGrid();
        f.key(Qt::Key_PageDown);
        QCOMPARE(f.boxes.requests.size(), 0);
        f.key(Qt::Key_PageDown);
        QCOMPARE(f.boxes.requests.size(), 1);
        QCOMPARE(f.boxes.requests[0].caption, "Zelvora");
        // The rows read before the fault stay on screen.
        QCOMPARE(f.names(), numbered(8, 11));
    }
};

QTEST_MAIN(TestResultsList)
#include "tst_results_list.moc"

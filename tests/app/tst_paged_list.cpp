// The paged list on its own, over an order file in memory: the paging table
// for the locality list's 8 rows and the street list's 7, the thumb's snap
// rules, the focus, the double click and the wheel.
#include "app/application.h"
#include "app/paged_list.h"
#include "app/toolkit/scroll_bar.h"
#include "app/toolkit/string_grid.h"
#include "common/io_error.h"
#include "support/recording_message_boxes.h"
#include "support/text_page.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <memory>

using namespace zelvora;

namespace {

QString name(int record)
{
    return QStringLiteral("R%1").arg(record, 3, 10, QLatin1Char('0'));
}

QStringList numbered(int from, int to)
{
    QStringList names;
    for (int i = from; i <= to; ++i)
        names << name(i);
    return names;
}

// An order file of `count` records in memory that counts its reads; reading
// past its end is an error, as on disk. Every fifth record has a note.
class MemoryPages : public PageSource
{
public:
    int count = 0;
    int columns = 3;
    int reads = 0;
    int failAt = -1; // a record whose read fails

    int readPosition() const override { return m_position; }
    void seek(int index) override { m_position = std::clamp(index, 0, count); }
    bool atEnd() const override { return m_position >= count; }
    void readRow() override
    {
        if (atEnd())
            throw IoError(QStringLiteral("read past the end"));
        if (m_position == failAt)
            throw IoError(QStringLiteral("read failed"));
        ++reads;
        const int record = m_position++;
        test::TextRow row{{name(record)}, record % 5 == 0 ? QStringLiteral("NOTA %1").arg(record) : QString()};
        for (int column = 1; column < columns; ++column)
            row.cells << QString::number(column);
        m_page.append(std::move(row));
    }
    StringGridModel &page() override { return m_page; }

private:
    int m_position = 0;
    test::TextPage m_page;
};

// A search field above a paged list, in a shown and active window.
struct ListFixture
{
    int currentRecord = 0;
    int recordCount = 0;
    int lastRow = 0;
    MemoryPages pages;
    test::RecordingMessageBoxes boxes;
    QWidget window;
    QLineEdit *field = new QLineEdit(&window);
    StringGrid *grid = new StringGrid(&window);
    ScrollBar *bar = new ScrollBar(&window);
    QLabel *noteLabel = new QLabel(QStringLiteral("Note:"), &window);
    QLineEdit *noteEdit = new QLineEdit(&window);
    std::unique_ptr<PagedList> list;
    int opened = -1;

    bool open(int records, int rows, int columns)
    {
        Application::instance().reset();
        pages.count = records;
        pages.columns = columns;
        recordCount = records;
        field->setGeometry(0, 0, 200, 20);
        noteLabel->setGeometry(0, 22, 40, 13);
        noteEdit->setGeometry(40, 22, 300, 13);
        grid->setGeometry(0, 40, 340, 17 * rows);
        grid->setColCount(columns);
        grid->setPage(&pages.page());
        bar->setGeometry(340, 40, 17, 17 * rows);
        list = std::make_unique<PagedList>(grid, bar, noteLabel, noteEdit, pages,
                                           PagingState{currentRecord, recordCount, lastRow, rows});
        list->onEscape = [this] { field->setFocus(); };
        list->onOpen = [this] { opened = grid->row(); };
        list->showFirstPage(false);
        bar->setPosition(0);
        bar->setMaximum(records);
        window.resize(360, 40 + 17 * rows);
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }

    QStringList names() const
    {
        QStringList names;
        for (int row = 0; row < grid->rowCountValue(); ++row)
            names << grid->cell(0, row);
        return names;
    }

    // The page of a search from record `first`, then the grid entered and
    // the selection moved down to `row` with the grid's own keys.
    void pageAt(int first, int row)
    {
        lastRow = 0;
        list->showSearchPage(first);
        grid->setFocus();
        for (int i = 0; i < row; ++i)
            QTest::keyClick(grid, Qt::Key_Down);
    }
};

} // namespace

class TestPagedList : public QObject
{
    Q_OBJECT

private slots:
    void keysPageThroughTheList_data()
    {
        QTest::addColumn<int>("rows");       // rows per page
        QTest::addColumn<int>("first");      // record on row 0 before the key
        QTest::addColumn<int>("row");        // selected row before the key
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("newFirst");   // record on row 0 after the key
        QTest::addColumn<int>("newRow");
        QTest::addColumn<int>("position");   // the scroll bar's position after the key
        QTest::addColumn<int>("reads");      // records read by the key
        // 40 records: after a search the scroll bar stands two before the
        // page's first record, and follows each move of the selection.
        const int down = Qt::Key_Down, up = Qt::Key_Up, pageDown = Qt::Key_PageDown, pageUp = Qt::Key_PageUp;
        QTest::newRow("8: down inside the page") << 8 << 5 << 3 << down << 5 << 4 << 7 << 0;
        QTest::newRow("8: down at the last row") << 8 << 5 << 7 << down << 6 << 7 << 14 << 8;
        QTest::newRow("8: down at the last row of the last page") << 8 << 32 << 7 << down << 32 << 7 << 40 << 15;
        QTest::newRow("8: up inside the page") << 8 << 5 << 3 << up << 5 << 2 << 5 << 0;
        QTest::newRow("8: up on row 1 moves without reading") << 8 << 5 << 1 << up << 5 << 0 << 3 << 0;
        QTest::newRow("8: up at row 0") << 8 << 5 << 0 << up << 4 << 0 << 4 << 8;
        QTest::newRow("8: up at row 0 of the first page") << 8 << 0 << 0 << up << 0 << 0 << 0 << 8;
        QTest::newRow("8: page down first goes to the last row") << 8 << 5 << 2 << pageDown << 5 << 7 << 10 << 0;
        QTest::newRow("8: page down at the last row") << 8 << 5 << 7 << pageDown << 13 << 7 << 21 << 8;
        QTest::newRow("8: page down with fewer than a page after it") << 8 << 30 << 7 << pageDown << 32 << 7 << 40 << 10;
        QTest::newRow("8: page up first goes to row 0") << 8 << 5 << 4 << pageUp << 5 << 0 << 3 << 0;
        QTest::newRow("8: page up at row 0") << 8 << 20 << 0 << pageUp << 12 << 0 << 12 << 8;
        QTest::newRow("8: page up at row 0 held at the first record") << 8 << 3 << 0 << pageUp << 0 << 0 << 0 << 8;
        QTest::newRow("7: down at the last row of the first page") << 7 << 0 << 6 << down << 1 << 6 << 8 << 7;
        QTest::newRow("7: down at the last row of the last page") << 7 << 33 << 6 << down << 33 << 6 << 40 << 13;
        QTest::newRow("7: up at row 0 of the first page") << 7 << 0 << 0 << up << 0 << 0 << 0 << 7;
        QTest::newRow("7: page down at the last row") << 7 << 5 << 6 << pageDown << 12 << 6 << 19 << 7;
        QTest::newRow("7: page down with fewer than a page after it") << 7 << 30 << 6 << pageDown << 33 << 6 << 40 << 10;
        QTest::newRow("7: page up at row 0 held at the first record") << 7 << 3 << 0 << pageUp << 0 << 0 << 0 << 7;
    }
    void keysPageThroughTheList()
    {
        QFETCH(int, rows);
        QFETCH(int, first);
        QFETCH(int, row);
        QFETCH(int, key);
        QFETCH(int, newFirst);
        QFETCH(int, newRow);
        QFETCH(int, position);
        QFETCH(int, reads);
        ListFixture f;
        QVERIFY(f.open(40, rows, 3));
        f.pageAt(first, row);
        QCOMPARE(f.grid->row(), row);
        QCOMPARE(f.names(), numbered(first, first + rows - 1));
        const int before = f.pages.reads;
        QTest::keyClick(f.grid, Qt::Key(key));
        QCOMPARE(f.names(), numbered(newFirst, newFirst + rows - 1));
        QCOMPARE(f.grid->row(), newRow);
        QCOMPARE(f.bar->position(), position);
        QCOMPARE(f.pages.reads - before, reads);
        QVERIFY(f.grid->isHighlighted(0, newRow));
        // The view's current row, where its own keys go on from, is the
        // selected row; its rows are shown from the first, whichever is
        // selected, though the last one's grid line does not fit.
        QCOMPARE(f.grid->currentIndex().row(), newRow);
        QCOMPARE(f.grid->visualRect(f.grid->model()->index(0, 0)).top(), 0);
        // The note line follows the selected row.
        QTRY_COMPARE(f.noteEdit->isVisibleTo(&f.window), (newFirst + newRow) % 5 == 0);
        QVERIFY(f.boxes.requests.isEmpty());
    }

    // A read that fails while a key fills the next page: the rows read stay,
    // the selection on the last of them, the scroll bar where the selection's
    // moves leave it, and the error goes to the report.
    void readFailingInsideAPageKeepsTheRowsRead_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("row"); // selected row of the page from record 5
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("failAt");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("newRow");
        QTest::addColumn<int>("position");
        QTest::newRow("8: page down, the fourth read fails")
            << 8 << 7 << int(Qt::Key_PageDown) << 16 << numbered(13, 15) << 2 << 5;
        QTest::newRow("8: down at the last row, the last read fails")
            << 8 << 7 << int(Qt::Key_Down) << 13 << numbered(6, 12) << 6 << 9;
        QTest::newRow("7: down at the last row, the first read fails")
            << 7 << 6 << int(Qt::Key_Down) << 6 << QStringList{QString()} << 0 << 9;
    }
    void readFailingInsideAPageKeepsTheRowsRead()
    {
        QFETCH(int, rows);
        QFETCH(int, row);
        QFETCH(int, key);
        QFETCH(int, failAt);
        QFETCH(QStringList, names);
        QFETCH(int, newRow);
        QFETCH(int, position);
        ListFixture f;
        QVERIFY(f.open(40, rows, 3));
        f.pageAt(5, row);
        f.pages.failAt = failAt;
        QTest::keyClick(f.grid, Qt::Key(key));
        QCOMPARE(f.names(), names);
        QCOMPARE(f.grid->row(), newRow);
        QCOMPARE(f.bar->position(), position);
        QCOMPARE(f.boxes.requests.size(), 1);
        QCOMPARE(f.boxes.requests[0].text, "read failed");
    }

    // A page shorter than the one before it: the grid, and the view's model
    // that the screen and a screen reader see, end with its rows and no more.
    void shorterPageLeavesOnlyItsRows_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("shown");
        QTest::newRow("8: the last four records") << 8 << 36 << 4;
        QTest::newRow("7: the last record") << 7 << 39 << 1;
        QTest::newRow("8: a full page") << 8 << 10 << 8;
    }
    void shorterPageLeavesOnlyItsRows()
    {
        QFETCH(int, rows);
        QFETCH(int, start);
        QFETCH(int, shown);
        ListFixture f;
        QVERIFY(f.open(40, rows, 3));
        f.pageAt(0, rows - 1);
        QSignalSpy changes(f.grid->model(), &QAbstractItemModel::dataChanged);
        f.list->showSearchPage(start);
        QCOMPARE(f.names(), numbered(start, start + shown - 1));
        QCOMPARE(f.grid->model()->rowCount(), shown);
        QCOMPARE(f.grid->row(), 0);
        QCOMPARE(f.grid->currentIndex().row(), 0);
        // The view is told once that every cell of the page changed.
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes[0][0].toModelIndex(), f.grid->model()->index(0, 0));
        QCOMPARE(changes[0][1].toModelIndex(), f.grid->model()->index(shown - 1, 2));
    }

    void thumbJump_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("released");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("position");
        QTest::newRow("8: in the first fiftieth: first page") << 8 << 200 << 3 << 0 << 0;
        QTest::newRow("8: just past the first fiftieth") << 8 << 200 << 4 << 4 << 4;
        QTest::newRow("8: middle") << 8 << 200 << 150 << 150 << 150;
        QTest::newRow("8: in the last hundredth: last page") << 8 << 200 << 199 << 192 << 192;
        QTest::newRow("8: fewer than a page after it") << 8 << 200 << 195 << 192 << 192;
        QTest::newRow("8: the very end") << 8 << 200 << 200 << 192 << 192;
        QTest::newRow("8: last hundredth of 1000: last page") << 8 << 1000 << 995 << 992 << 992;
        QTest::newRow("8: the last hundredth's edge of 1000") << 8 << 1000 << 990 << 990 << 990;
        QTest::newRow("8: just inside the last hundredth of 1000") << 8 << 1000 << 991 << 992 << 992;
        QTest::newRow("8: fewer than 50 records: no first-page snap") << 8 << 40 << 0 << 0 << 0;
        QTest::newRow("8: fewer than 50 records, released at 1") << 8 << 40 << 1 << 1 << 1;
        QTest::newRow("8: fewer than 100 records: no last-page snap") << 8 << 99 << 98 << 91 << 91;
        QTest::newRow("8: fewer than 100 records, at the maximum") << 8 << 40 << 40 << 32 << 32;
        QTest::newRow("7: in the last hundredth: last page") << 7 << 200 << 199 << 193 << 193;
        QTest::newRow("7: last hundredth of 1000: last page") << 7 << 1000 << 995 << 993 << 993;
        QTest::newRow("7: just inside the last hundredth of 1000") << 7 << 1000 << 991 << 993 << 993;
        QTest::newRow("7: fewer than a page after it") << 7 << 40 << 36 << 33 << 33;
    }
    void thumbJump()
    {
        QFETCH(int, rows);
        QFETCH(int, records);
        QFETCH(int, released);
        QFETCH(int, first);
        QFETCH(int, position);
        ListFixture f;
        QVERIFY(f.open(records, rows, 3));
        f.bar->setSliderDown(true);
        f.bar->setSliderPosition(released); // dragging: nothing moves yet
        QCOMPARE(f.names(), numbered(0, rows - 1));
        f.bar->setSliderDown(false); // released
        QVERIFY(f.grid->hasFocus());
        QCOMPARE(f.names(), numbered(first, first + rows - 1));
        QCOMPARE(f.bar->position(), position);
        QCOMPARE(f.grid->row(), 0);
        QVERIFY(f.boxes.requests.isEmpty());
    }

    void commandsThatLeaveThePageStillFocusTheGrid_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("code");
        QTest::newRow("8 rows: drag without release") << 8 << 4 << int(SB_THUMBTRACK);
        QTest::newRow("8 rows: top") << 8 << 4 << int(SB_TOP);
        QTest::newRow("7 rows: bottom") << 7 << 2 << int(SB_BOTTOM);
        QTest::newRow("7 rows: end of scrolling") << 7 << 2 << int(SB_ENDSCROLL);
    }
    void commandsThatLeaveThePageStillFocusTheGrid()
    {
        QFETCH(int, rows);
        QFETCH(int, columns);
        QFETCH(int, code);
        ListFixture f;
        QVERIFY(f.open(40, rows, columns));
        f.pageAt(10, 2);
        f.field->setFocus();
        QTRY_VERIFY(!f.grid->isHighlighted(0, 2)); // parked when the grid is painted
        const int reads = f.pages.reads;
        if (code == SB_THUMBTRACK) {
            f.bar->setSliderDown(true);
            f.bar->setSliderPosition(30);
        } else {
            f.bar->scrollEvent(ScrollCode(code));
        }
        QCOMPARE(f.names(), numbered(10, 9 + rows));
        QCOMPARE(f.pages.reads, reads);
        QVERIFY(f.grid->hasFocus());
        // The remembered row is highlighted again, across every column.
        QCOMPARE(f.grid->row(), 2);
        QVERIFY(f.grid->isHighlighted(0, 2));
        QVERIFY(f.grid->isHighlighted(columns - 1, 2));
    }

    void doubleClickOpensTheRowClicked()
    {
        ListFixture f;
        QVERIFY(f.open(40, 8, 3));
        const QRect cell = f.grid->visualRect(f.grid->model()->index(3, 1));
        QTest::mouseDClick(f.grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(f.opened, 3);
    }

    void wheelNotchIsALineOverTheGridAndTheScrollBar_data()
    {
        QTest::addColumn<bool>("overGrid");
        QTest::addColumn<int>("row");   // selected row before the notch
        QTest::addColumn<int>("delta"); // negative: towards the user, down
        QTest::addColumn<int>("newFirst");
        QTest::addColumn<int>("newRow");
        QTest::addColumn<int>("position");
        QTest::newRow("grid: down at the last row") << true << 7 << -120 << 11 << 7 << 19;
        QTest::newRow("grid: up at row 0") << true << 0 << 120 << 9 << 0 << 9;
        QTest::newRow("scroll bar: down at the last row") << false << 7 << -120 << 11 << 7 << 19;
        QTest::newRow("scroll bar: half a notch does nothing") << false << 7 << -60 << 10 << 7 << 15;
    }
    void wheelNotchIsALineOverTheGridAndTheScrollBar()
    {
        QFETCH(bool, overGrid);
        QFETCH(int, row);
        QFETCH(int, delta);
        QFETCH(int, newFirst);
        QFETCH(int, newRow);
        QFETCH(int, position);
        ListFixture f;
        QVERIFY(f.open(40, 8, 3));
        f.pageAt(10, row);
        QWidget *target = overGrid ? f.grid->viewport() : static_cast<QWidget *>(f.bar);
        const QPointF at(5, 5);
        QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &wheel);
        QCOMPARE(f.names(), numbered(newFirst, newFirst + 7));
        QCOMPARE(f.grid->row(), newRow);
        QCOMPARE(f.bar->position(), position);
    }
};

QTEST_MAIN(TestPagedList)
#include "tst_paged_list.moc"

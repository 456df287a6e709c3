#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <QTableView>
#include <functional>

namespace zelvora {

// What a StringGrid shows: its row and column counts and the text of each
// cell. The texts come from the rows of a PageModel; this base shows every
// cell empty.
class StringGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    void setRows(int rows) { resize(m_rows, rows, true); }
    void setColumns(int columns) { resize(m_columns, columns, false); }
    virtual QString cell(int /*column*/, int /*row*/) const { return {}; }
    // The texts Ctrl+C puts on the clipboard for a row: its cells, unless
    // the row holds more.
    virtual QStringList copied(int row) const;
    // The note a row carries, shown beside the grid while it is selected.
    virtual QString note(int /*row*/) const { return {}; }
    virtual void clearRows() {}

    // While held, changes raise no notification of their own: the release
    // raises one for the whole grid if anything changed. A page written row
    // by row then costs the view one repaint request instead of one per row.
    // Holds nest.
    void hold() { ++m_holds; }
    void release();

protected:
    // Row `row`'s texts changed (-1: every row's).
    void changed(int row);

private:
    // Sets the row or column count `count` to `wanted`, at least 1, telling
    // the views what was inserted or removed.
    void resize(int &count, int wanted, bool rows);

    int m_rows = 1;
    int m_columns = 1;
    int m_holds = 0;
    bool m_changedWhileHeld = false;
};

// A page of typed rows, each `Row` giving its cells' texts (`cell(column)`),
// what a copy of it holds (`copied()`) and its note (`note()`). The page may hold rows beyond
// the grid's row count: they are kept, and shown once the rows exist.
template <class Row>
class PageModel : public StringGridModel
{
public:
    using StringGridModel::StringGridModel;

    const QList<Row> &rows() const { return m_rows; }
    Row row(int row) const { return m_rows.value(row); }
    void append(Row row)
    {
        m_rows.append(std::move(row));
        changed(static_cast<int>(m_rows.size()) - 1);
    }
    // Changes row `row`, added if the page is shorter, through `change(Row &)`.
    template <class Change>
    void update(int row, Change change)
    {
        if (row < 0)
            return;
        if (m_rows.size() <= row)
            m_rows.resize(row + 1);
        change(m_rows[row]);
        changed(row);
    }
    void clearRows() override
    {
        m_rows.clear();
        changed(-1);
    }
    QString cell(int column, int row) const override
    {
        return row >= 0 && row < m_rows.size() ? m_rows.at(row).cell(column) : QString();
    }
    QStringList copied(int row) const override
    {
        return row >= 0 && row < m_rows.size() ? m_rows.at(row).copied() : QStringList();
    }
    QString note(int row) const override { return row >= 0 && row < m_rows.size() ? m_rows.at(row).note() : QString(); }

private:
    QList<Row> m_rows;
};

// A grid of text cells with whole-row selection and no scroll bars of its
// own, behaving as the windows expect:
// - it never has fewer than one row; when it shrinks below the selected row
//   the selection moves up to the last row without a click notification;
// - `click` is raised on every change of the selected row (mouse, the grid's
//   own arrow keys, or the program) and after every mouse click on a cell;
// - the copy key copies the selected row;
// - `keyDown` is raised before the grid's own navigation, which then follows;
//   the grid itself handles only the arrow keys up and down and the page
//   keys (no search by typed letters);
// - a wheel notch raises `wheel` (a line up or down) and scrolls nothing;
// - `enter` and `exit` follow the keyboard focus inside the window;
// - each cell is drawn by default (text two pixels in, the selected cells in
//   the highlight colours), then `drawCell` is raised;
// - the selection rectangle can be set freely; a rectangle outside the grid's
//   columns highlights nothing.
class StringGrid : public QTableView
{
    Q_OBJECT
public:
    struct Rect
    {
        int left = 0, top = 0, right = 0, bottom = 0;
        friend bool operator==(const Rect &, const Rect &) = default;
    };

    explicit StringGrid(QWidget *parent = nullptr);

    int colCount() const { return m_colCount; }
    void setColCount(int columns);
    int rowCountValue() const { return m_rowCount; }
    // Asking for fewer than one row leaves one row.
    void setRowCountValue(int rows);

    // While a page is refilled (emptied, then its rows added one by one), the
    // rows it loses leave the view only when the refill ends: a page refilled
    // to as many rows as before leaves the view's rows alone, where removing
    // and inserting them laid the whole view out again. The cells written
    // meanwhile are shown by one change notification when the refill ends.
    // rowCountValue(), the cells and the selected row follow every change
    // at once. Refills nest.
    void beginRefill();
    void endRefill();
    // A refill for the life of a scope.
    class Refill
    {
    public:
        explicit Refill(StringGrid *grid) : m_grid(grid) { m_grid->beginRefill(); }
        ~Refill() { m_grid->endRefill(); }
        Refill(const Refill &) = delete;
        Refill &operator=(const Refill &) = delete;

    private:
        StringGrid *m_grid;
    };

    // Shows `page` with the grid's row and column counts; a page that goes
    // before the grid leaves it showing empty cells.
    void setPage(StringGridModel *page);
    StringGridModel *page() const { return m_model; }
    QString cell(int column, int row) const { return m_model->cell(column, row); }

    // A column's width and the rows' height leave out the one-pixel grid
    // line drawn after each cell: a column of width 264 takes 265 pixels.
    int colWidth(int column) const { return columnWidth(column) - gridLineWidth(); }
    void setColWidth(int column, int width) { setColumnWidth(column, width + gridLineWidth()); }
    int defaultRowHeight() const { return m_defaultRowHeight; }
    void setDefaultRowHeight(int height);
    int gridLineWidth() const { return showGrid() ? 1 : 0; }

    // The selected row; setting a different one raises `click`.
    int row() const;
    void setRow(int row);

    Rect selection() const { return m_selection; }
    // Makes the rectangle's bottom row the selected row.
    void setSelection(Rect rect);
    bool isHighlighted(int column, int row) const;

    // Puts what the selected row of the page holds on the clipboard,
    // separated by tabs. The copy key does it.
    void copyRow() const;

    // The grid shows its rows from the first, and never scrolls to bring the
    // selected row into view: its rows are a page sized to fit, and the last
    // row's grid line, which the grid's height may leave out, is no reason
    // to shift every row up a pixel whenever the last row is selected.
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

signals:
    void click();
    void dblClick();
    void keyDown(int key);
    void wheel(bool down);
    void enter();
    void exit();
    void drawCell(int column, int row, const QRect &rect);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void moveCurrentSilently(int row);

    StringGridModel m_empty; // shown until a page is set
    StringGridModel *m_model = &m_empty;
    int m_defaultRowHeight = 17;
    Rect m_selection;
    bool m_silent = false;
    int m_rowCount = 1; // rows as the program sees them
    int m_colCount = 1;
    int m_refills = 0;
    // In a refill, the selected row as the program sees it while the view's
    // current row waits for the refill's end; -1 when they are the same.
    int m_heldRow = -1;
    int m_wheelDelta = 0;
};

} // namespace zelvora

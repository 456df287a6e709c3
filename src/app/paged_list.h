#pragma once

#include "app/toolkit/scroll_bar.h"

#include <QString>
#include <QStringList>
#include <functional>

class QLineEdit;
class QWidget;

namespace zelvora {

class StringGrid;

// Where the rows of a paged list come from: the active order file, read one
// record at a time from its read position. The source keeps the fields that
// the grid does not show in its own row lists.
class PageSource
{
public:
    virtual ~PageSource() = default;
    virtual int readPosition() const = 0;
    virtual void seek(int index) = 0;
    virtual bool atEnd() const = 0;
    // Reads the record at the read position, appends its hidden fields to the
    // row lists and returns the texts of the grid's columns.
    virtual QStringList readRow() = 0;
    virtual void clearRowLists() = 0;
    virtual QString note(int row) const = 0;
};

// The values a paged list shares with its window's search.
struct PagingState
{
    int &currentRecord; // counter in the order file
    int &recordCount;   // records of the order file
    int &lastRow;       // the grid row remembered while the grid has no focus
    int rowsPerPage;
};

// A window of at most `rowsPerPage` rows onto an order file on disk: only the
// rows on screen are in memory, and every move past the top or bottom edge of
// the page reads a fresh page. It drives a grid, its scroll bar and a note
// line (a label and a read-only field) that shows the selected row's note
// while the grid has the focus. The locality list and the street list are
// both one, with their own page size.
class PagedList
{
public:
    PagedList(StringGrid *grid, ScrollBar *scrollBar, QWidget *noteLabel, QLineEdit *noteEdit,
              PageSource &source, PagingState state);

    // The scroll bar's notification: stays on the page or reads a new one.
    void scroll(ScrollCode code, int &position);
    void keyDown(int key);
    void click();
    void enter();
    void exit();
    void drawCell();
    void appOnActivate();
    void showNote(const QString &text);

    // Empties the grid (one row remains) and the row lists.
    void clearPage();
    // Appends the record at the read position as grid row `row`.
    void appendRow(int row);
    // Reads the record at the read position into the cells of row `row`
    // without changing the row count: a row beyond it is kept, not shown.
    void readIntoRow(int row);

    std::function<void()> onEscape; // Esc in the grid
    std::function<void()> onOpen;   // Enter in the grid

private:
    void refillDown(ScrollCode code, int start, int &position);
    void refillUp(int start, int &position);
    void jump(int &position);
    void seekPage(int start);
    void writeCells(int row, const QStringList &cells);
    void highlightSelectedRow();
    void parkSelection();
    void setNoteLineVisible(bool visible);

    StringGrid *m_grid;
    ScrollBar *m_scrollBar;
    QWidget *m_noteLabel;
    QLineEdit *m_noteEdit;
    PageSource &m_source;
    PagingState m_state;
};

} // namespace zelvora

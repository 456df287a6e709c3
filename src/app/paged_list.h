#pragma once

#include "app/toolkit/scroll_bar.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

class QLineEdit;
class QWidget;

namespace zelvora {

class StringGrid;
class StringGridModel;

// Where the rows of a paged list come from: the active order file, read one
// record at a time from its read position into the rows of the page that the
// source keeps and the grid shows.
class PageSource
{
public:
    virtual ~PageSource() = default;
    virtual int readPosition() const = 0;
    virtual void seek(int index) = 0;
    virtual bool atEnd() const = 0;
    // Reads the record at the read position into a row appended to the page.
    virtual void readRow() = 0;
    virtual StringGridModel &page() = 0;
};

// The values a paged list shares with its window's search.
struct PagingState
{
    int &currentRecord; // counter in the order file
    int &recordCount;   // records of the order file
    int &lastRow;       // the grid row remembered while the grid has no focus
    int rowsPerPage;    // rows of a full page: the list's one source of it
};

// A window of at most `rowsPerPage` rows onto an order file on disk: only the
// rows on screen are in memory, and every move past the top or bottom edge of
// the page reads a fresh page. It drives a grid of any number of columns, its
// scroll bar and a note line (a label and a read-only field) that shows the
// selected row's note while the grid has the focus, and connects their
// notifications to itself; those that read the file run through the general
// error report. The locality list and the street list are both one, with
// their own page size; every page move is worked out from the page size.
class PagedList : public QObject
{
public:
    PagedList(StringGrid *grid, ScrollBar *scrollBar, QWidget *noteLabel, QLineEdit *noteEdit,
              PageSource &source, PagingState state);
    ~PagedList() override;

    int rowsPerPage() const { return m_state.rowsPerPage; }
    StringGrid *grid() const { return m_grid; }
    ScrollBar *scrollBar() const { return m_scrollBar; }

    // The first page, from record 0, stopping at the end of the file. With
    // `lookAhead`, one record more than a page holds is read: it stays in
    // the row lists and in the cells of the row after the grid's last,
    // without being shown, and the file goes back to just after the last row
    // shown while the record counter keeps counting it.
    void showFirstPage(bool lookAhead);
    // The page of a search: from record `start` (0-based), stopping at the
    // end of the file, row 0 selected, the scroll bar two records before
    // `start` (at least 0).
    void showSearchPage(int start);

    // The scroll bar's notification: stays on the page or reads a new one.
    void scroll(ScrollCode code, int &position);
    void keyDown(int key);
    void click();
    void enter();
    void exit();
    void drawCell();
    void appOnActivate();
    void showNote(const QString &text);
    void hideNoteLine() { setNoteLineVisible(false); }

    // Empties the grid (one row remains) and the page.
    void clearPage();

    std::function<void()> onEscape; // Esc in the grid
    std::function<void()> onOpen;   // Enter in the grid, or a double click

private:
    void appendRow(int row);
    void refillDown(ScrollCode code, int start, int &position);
    void refillUp(int start, int &position);
    void jump(int &position);
    void seekPage(int start);
    void highlightSelectedRow();
    void parkSelection();
    void setNoteLineVisible(bool visible);
    void setNoteText(const QString &text);
    QString note(int row) const;

    StringGrid *m_grid;
    QPointer<ScrollBar> m_scrollBar;
    QWidget *m_noteLabel;
    QLineEdit *m_noteEdit;
    PageSource &m_source;
    PagingState m_state;
};

} // namespace zelvora

#include "paged_list.h"

#include "app/error_report.h"
#include "app/toolkit/string_grid.h"

#include <QLineEdit>
#include <QScopeGuard>

namespace zelvora {

using Refill = StringGrid::Refill;

PagedList::PagedList(StringGrid *grid, ScrollBar *scrollBar, QWidget *noteLabel, QLineEdit *noteEdit,
                     PageSource &source, PagingState state)
    : m_grid(grid), m_scrollBar(scrollBar), m_noteLabel(noteLabel), m_noteEdit(noteEdit), m_source(source),
      m_state(state)
{
    m_scrollBar->setScrollHandler([this](ScrollCode code, int &position) {
        guarded([&] {
            try {
                scroll(code, position);
            } catch (...) {
                // The report's message box takes the button release: let go
                // of the scroll bar first, or its auto-repeat would page into
                // the same error again and again.
                m_scrollBar->release();
                throw;
            }
        });
    });
    connectGuarded(m_grid, &StringGrid::keyDown, this, &PagedList::keyDown);
    connectGuarded(m_grid, &StringGrid::click, this, &PagedList::click);
    connectGuarded(m_grid, &StringGrid::enter, this, &PagedList::enter);
    connectGuarded(m_grid, &StringGrid::exit, this, &PagedList::exit);
    connectGuarded(m_grid, &StringGrid::drawCell, this, &PagedList::drawCell);
    connectGuarded(m_grid, &StringGrid::dblClick, this, [this] {
        if (onOpen)
            onOpen();
    });
    // A wheel notch over the grid is a line up or down of the scroll bar.
    connect(m_grid, &StringGrid::wheel, this, [this](bool down) {
        m_scrollBar->scrollEvent(down ? SB_LINEDOWN : SB_LINEUP);
        m_scrollBar->scrollEvent(SB_ENDSCROLL);
    });
}

PagedList::~PagedList()
{
    // The controls may outlive the list while their window is taken apart:
    // they must not call back into it.
    if (m_scrollBar)
        m_scrollBar->setScrollHandler({});
}

void PagedList::showFirstPage(bool lookAhead)
{
    const Refill refill(m_grid);
    clearPage();
    seekPage(0);
    const int rows = m_state.rowsPerPage;
    const int limit = lookAhead ? rows + 1 : rows;
    int read = 0;
    while (read < limit && !m_source.atEnd()) {
        if (read < rows)
            appendRow(read);
        else
            m_source.readRow(); // kept in the page, not shown
        ++m_state.currentRecord;
        ++read;
    }
    if (read > rows)
        m_source.seek(m_state.currentRecord - 1);
}

void PagedList::showSearchPage(int start)
{
    const Refill refill(m_grid);
    clearPage();
    seekPage(start);
    for (int row = 1; row <= m_state.rowsPerPage && !m_source.atEnd(); ++row) {
        appendRow(row - 1);
        m_scrollBar->setPosition(m_state.currentRecord - (row + 1));
        ++m_state.currentRecord;
    }
}

void PagedList::clearPage()
{
    m_grid->setRowCountValue(0);
    m_source.page().clearRows();
}

void PagedList::appendRow(int row)
{
    // The record is read first: a read that fails adds no row.
    m_source.readRow();
    m_grid->setRowCountValue(row + 1);
}

void PagedList::seekPage(int start)
{
    // A page never starts before the first record, however short the file.
    m_state.currentRecord = std::max(start, 0);
    m_source.seek(m_state.currentRecord);
}

void PagedList::scroll(ScrollCode code, int &position)
{
    appOnActivate();
    m_grid->setFocus();

    const int r = m_grid->row();
    const int n = m_grid->rowCountValue();
    const int p = m_source.readPosition();
    const int rows = m_state.rowsPerPage;
    auto stay = [&](int row) {
        m_grid->setRow(row);
        showNote(note(m_grid->row()));
    };

    switch (code) {
    case SB_LINEDOWN:
        if (r < n - 1)
            stay(r + 1);
        else
            refillDown(code, p - rows + 1, position);
        break;
    case SB_LINEUP:
        if (r > 0)
            stay(r - 1);
        else
            refillUp(p - rows - 1, position);
        break;
    case SB_PAGEDOWN:
        if (r < n - 1)
            stay(n - 1);
        else
            refillDown(code, p, position);
        break;
    case SB_PAGEUP:
        if (r > 0)
            stay(0);
        else
            refillUp(p - 2 * rows, position);
        break;
    case SB_THUMBPOSITION:
        jump(position);
        break;
    default:
        // Dragging the thumb, the top and bottom commands and the end of a
        // scroll leave the page as it is.
        break;
    }
}

void PagedList::refillDown(ScrollCode code, int start, int &position)
{
    const Refill refill(m_grid);
    const int rows = m_state.rowsPerPage;
    int &current = m_state.currentRecord;
    const int count = m_state.recordCount;
    for (int pass = 0; pass < 2; ++pass) {
        clearPage();
        seekPage(start);
        int appended = 0;
        {
            // The selection follows each row read, but a move of the grid's
            // current row lays the whole view out again: it moves once, to the
            // last row. A read that fails moves it row by row as far as the
            // rows read, so that the scroll bar is left where it always was.
            bool complete = false;
            const auto follow = qScopeGuard([&] {
                for (int i = complete ? std::max(appended - 1, 0) : 0; i < appended; ++i)
                    m_grid->setRow(i);
            });
            for (int i = 0; i < rows; ++i) {
                if (code == SB_PAGEDOWN && current >= count)
                    break;
                if (m_source.atEnd())
                    break;
                ++current;
                appendRow(i);
                ++appended;
                if (current >= count)
                    break;
            }
            complete = true;
        }
        m_scrollBar->setPosition(current);
        position = current;
        if (appended == rows)
            break;
        // The end of the file came first: show its last full page instead.
        current = code == SB_LINEDOWN ? count - 1 : count - rows;
        m_source.seek(std::max(current, 0));
        start = code == SB_LINEDOWN ? m_source.readPosition() - rows + 1 : m_source.readPosition();
    }
    showNote(note(m_grid->row()));
}

void PagedList::refillUp(int start, int &position)
{
    const Refill refill(m_grid);
    clearPage();
    seekPage(start);
    int appended = 0;
    for (int i = 0; i < m_state.rowsPerPage && !m_source.atEnd(); ++i) {
        ++m_state.currentRecord;
        appendRow(i);
        ++appended;
    }
    position = m_state.currentRecord - appended;
    m_scrollBar->setPosition(position);
    showNote(note(0));
}

void PagedList::jump(int &position)
{
    const Refill refill(m_grid);
    const int count = m_state.recordCount;
    const int rows = m_state.rowsPerPage;
    int &current = m_state.currentRecord;
    int p = position;
    if (p < count / 50)
        p = 0;
    if (p > count - count / 100)
        p = count - 1;
    for (int pass = 0; pass < 2; ++pass) {
        clearPage();
        seekPage(std::min(p, count));
        int appended = 0;
        for (int i = 0; i < rows; ++i) {
            ++current;
            if (current > count || m_source.atEnd())
                break;
            appendRow(i);
            ++appended;
            if (current == count)
                break;
        }
        if (appended == rows)
            break;
        p = std::max(count - rows, 0);
    }
    m_scrollBar->setPosition(current);
    position = p;
    showNote(note(0));
}

void PagedList::keyDown(int key)
{
    const int r = m_grid->row();
    // The keys scroll as the scroll bar's commands do, from the selected row:
    // an arrow only past the first or the last row.
    const auto scrollFrom = [this](ScrollCode code, int position) { scroll(code, position); };
    switch (key) {
    case Qt::Key_Escape:
        if (onEscape)
            onEscape();
        break;
    case Qt::Key_Down:
        if (r + 1 >= m_grid->rowCountValue())
            scrollFrom(SB_LINEDOWN, r + 1);
        break;
    case Qt::Key_Up:
        if (r - 1 <= 0)
            scrollFrom(SB_LINEUP, r - 1);
        break;
    case Qt::Key_PageDown:
        scrollFrom(SB_PAGEDOWN, r);
        break;
    case Qt::Key_PageUp:
        scrollFrom(SB_PAGEUP, r);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (onOpen)
            onOpen();
        break;
    default:
        break;
    }
}

void PagedList::click()
{
    const int row = m_grid->row();
    m_scrollBar->setPosition(m_scrollBar->position() + (row - m_state.lastRow));
    m_state.lastRow = row;
}

void PagedList::enter()
{
    m_grid->setSelection({0, m_state.lastRow, m_grid->colCount() - 1, m_state.lastRow});
}

void PagedList::exit()
{
    m_state.lastRow = m_grid->row();
    setNoteLineVisible(false);
}

void PagedList::drawCell()
{
    const QString text = note(m_grid->row());
    setNoteLineVisible(!text.isEmpty() && m_grid->hasFocus());
    setNoteText(text);
    if (m_grid->hasFocus())
        highlightSelectedRow();
    else
        parkSelection();
}

void PagedList::appOnActivate()
{
    if (!m_grid->window()->isVisible())
        return;
    if (m_grid->hasFocus())
        highlightSelectedRow();
    else
        parkSelection();
}

QString PagedList::note(int row) const
{
    return m_source.page().note(row);
}

void PagedList::showNote(const QString &text)
{
    setNoteLineVisible(!text.isEmpty());
    setNoteText(text);
}

void PagedList::setNoteText(const QString &text)
{
    // Setting a line edit's text lays it out again even when it is the same:
    // on a line move through rows without notes that was most of the move,
    // and every cell drawn sets it again.
    if (m_noteEdit->text() != text)
        m_noteEdit->setText(text);
}

void PagedList::highlightSelectedRow()
{
    const int row = m_grid->row();
    m_grid->setSelection({0, row, m_grid->colCount() - 1, row});
}

void PagedList::parkSelection()
{
    // Columns the grid does not have: no cell is highlighted.
    const int column = m_grid->colCount();
    m_grid->setSelection({column, m_state.lastRow, column, m_state.lastRow});
}

void PagedList::setNoteLineVisible(bool visible)
{
    m_noteLabel->setVisible(visible);
    m_noteEdit->setVisible(visible);
}

} // namespace zelvora

#include "string_grid.h"

#include "scroll_bar.h"

#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QWheelEvent>

namespace zelvora {

namespace {

bool isWindowFocusChange(Qt::FocusReason reason)
{
    // Focus that comes and goes with the window's activation, or with a
    // pop-up, is no move of the focus between the window's controls.
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

// Default cell drawing, followed by the grid's draw-cell notification.
class CellDelegate : public QStyledItemDelegate
{
public:
    explicit CellDelegate(StringGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool highlighted = m_grid->isHighlighted(index.column(), index.row());
        const QPalette &palette = m_grid->palette();
        painter->save();
        painter->fillRect(option.rect, highlighted ? palette.highlight() : palette.base());
        painter->setPen(highlighted ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text));
        painter->setFont(m_grid->font());
        painter->drawText(option.rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                          index.data().toString());
        painter->restore();
        emit m_grid->drawCell(index.column(), index.row(), option.rect);
    }

private:
    StringGrid *m_grid;
};

} // namespace

int StringGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int StringGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant StringGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return {};
    return cell(index.column(), index.row());
}

void StringGridModel::resize(int &count, int wanted, bool rows)
{
    wanted = std::max(wanted, 1);
    if (wanted > count) {
        rows ? beginInsertRows({}, count, wanted - 1) : beginInsertColumns({}, count, wanted - 1);
        count = wanted;
        rows ? endInsertRows() : endInsertColumns();
    } else if (wanted < count) {
        rows ? beginRemoveRows({}, wanted, count - 1) : beginRemoveColumns({}, wanted, count - 1);
        count = wanted;
        rows ? endRemoveRows() : endRemoveColumns();
    }
}

QStringList StringGridModel::copied(int row) const
{
    QStringList cells;
    for (int column = 0; column < m_columns; ++column)
        cells.append(cell(column, row));
    return cells;
}

void StringGridModel::changed(int row)
{
    if (m_holds > 0) {
        m_changedWhileHeld = true;
        return;
    }
    if (row < m_rows)
        emit dataChanged(index(std::max(row, 0), 0), index(row < 0 ? m_rows - 1 : row, m_columns - 1));
}

void StringGridModel::release()
{
    if (m_holds == 0 || --m_holds > 0 || !m_changedWhileHeld)
        return;
    m_changedWhileHeld = false;
    emit dataChanged(index(0, 0), index(m_rows - 1, m_columns - 1));
}

StringGrid::StringGrid(QWidget *parent) : QTableView(parent)
{
    // The headers are hidden before the model is set: a visible header
    // measures every section's title in a bold font it would load for that
    // alone.
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setItemDelegate(new CellDelegate(this));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // The highlight is the grid's own selection rectangle, painted by the
    // delegate; the view's selection model only carries the current cell.
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setMinimumSectionSize(1);
    setDefaultRowHeight(m_defaultRowHeight);
    setPage(&m_empty);
}

void StringGrid::setPage(StringGridModel *page)
{
    const int selected = row();
    page->setColumns(m_colCount);
    page->setRows(m_rowCount);
    m_model = page;
    // The view makes a selection model for each model it is given and keeps
    // the old one: a grid that is given page after page would pile them up.
    QItemSelectionModel *old = selectionModel();
    setModel(page);
    delete old;
    if (page != &m_empty)
        connect(page, &QObject::destroyed, this, [this, page] {
            if (m_model == page)
                setPage(&m_empty);
        });
    setCurrentIndex(page->index(selected, 0));
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &current) {
        // Moving the selected row moves the selection rectangle with it; its
        // columns stay, so a parked rectangle still highlights nothing.
        m_selection.top = m_selection.bottom = std::max(current.row(), 0);
        viewport()->update();
        if (!m_silent)
            emit click();
    });
}

void StringGrid::setColCount(int columns)
{
    m_colCount = std::max(columns, 1);
    m_model->setColumns(columns);
}

void StringGrid::setRowCountValue(int rows)
{
    rows = std::max(rows, 1);
    if (row() >= rows) {
        // In a refill the view's current row stays where it is: a page
        // refilled down moves the selection back to its last row, and each
        // move of the view's current row updates the whole view.
        if (m_refills > 0)
            m_heldRow = rows - 1;
        else
            moveCurrentSilently(rows - 1);
    }
    m_rowCount = rows;
    m_silent = true;
    if (m_refills == 0 || rows > m_model->rowCount())
        m_model->setRows(rows);
    if (!currentIndex().isValid())
        setCurrentIndex(m_model->index(std::min(row(), rows - 1), 0));
    m_silent = false;
}

void StringGrid::beginRefill()
{
    ++m_refills;
    m_model->hold();
}

void StringGrid::endRefill()
{
    if (m_refills == 0)
        return;
    if (--m_refills == 0) {
        if (m_heldRow >= 0)
            moveCurrentSilently(m_heldRow);
        if (m_model->rowCount() != m_rowCount) {
            m_silent = true;
            m_model->setRows(m_rowCount);
            m_silent = false;
        }
    }
    m_model->release();
}

void StringGrid::setDefaultRowHeight(int height)
{
    m_defaultRowHeight = height;
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(height + gridLineWidth());
}

int StringGrid::row() const
{
    return m_heldRow >= 0 ? m_heldRow : std::max(currentIndex().row(), 0);
}

void StringGrid::setRow(int row)
{
    row = std::clamp(row, 0, rowCountValue() - 1);
    if (row == this->row())
        return;
    if (m_heldRow >= 0 && row == currentIndex().row()) {
        // Back to the row the view still has: the move it stands for, done.
        m_heldRow = -1;
        m_selection.top = m_selection.bottom = row;
        viewport()->update();
        if (!m_silent)
            emit click();
        return;
    }
    m_heldRow = -1;
    setCurrentIndex(m_model->index(row, std::max(currentIndex().column(), 0)));
}

void StringGrid::moveCurrentSilently(int row)
{
    m_heldRow = -1;
    m_silent = true;
    setCurrentIndex(m_model->index(row, std::max(currentIndex().column(), 0)));
    m_silent = false;
}

void StringGrid::setSelection(Rect rect)
{
    if (rect != m_selection) {
        m_selection = rect;
        viewport()->update();
    }
    setRow(rect.bottom);
}

bool StringGrid::isHighlighted(int column, int row) const
{
    return row == this->row() && row >= m_selection.top && row <= m_selection.bottom
           && column >= m_selection.left && column <= m_selection.right;
}

void StringGrid::scrollTo(const QModelIndex &, ScrollHint)
{
}

void StringGrid::keyPressEvent(QKeyEvent *event)
{
    emit keyDown(event->key());
    if (event->matches(QKeySequence::Copy)) {
        copyRow();
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        QTableView::keyPressEvent(event);
        break;
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The key handler has acted on them: a dialog around the grid must
        // not close or press its default button as well.
        event->accept();
        break;
    default:
        // No search by typed letters; other keys go on to the window.
        event->ignore();
        break;
    }
}

void StringGrid::copyRow() const
{
    QGuiApplication::clipboard()->setText(m_model->copied(row()).join(u'\t'));
}

void StringGrid::wheelEvent(QWheelEvent *event)
{
    event->accept();
    for (int notches = wheelNotches(event, m_wheelDelta); notches != 0; notches += notches > 0 ? -1 : 1)
        emit wheel(notches < 0);
}

void StringGrid::mousePressEvent(QMouseEvent *event)
{
    const int before = row();
    QTableView::mousePressEvent(event);
    if (row() == before && indexAt(event->position().toPoint()).isValid())
        emit click();
}

void StringGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (indexAt(event->position().toPoint()).isValid())
        emit dblClick();
}

void StringGrid::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    if (!isWindowFocusChange(event->reason()))
        emit enter();
}

void StringGrid::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    if (!isWindowFocusChange(event->reason()))
        emit exit();
}

} // namespace zelvora

#include "string_grid.h"

#include <QHeaderView>

namespace zelvora {

namespace {
quint64 cellKey(int column, int row)
{
    return (quint64(quint32(row)) << 32) | quint32(column);
}
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

void StringGridModel::setRows(int rows)
{
    rows = std::max(rows, 1);
    if (rows > m_rows) {
        beginInsertRows({}, m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    } else if (rows < m_rows) {
        beginRemoveRows({}, rows, m_rows - 1);
        m_rows = rows;
        endRemoveRows();
    }
}

void StringGridModel::setColumns(int columns)
{
    columns = std::max(columns, 1);
    if (columns > m_columns) {
        beginInsertColumns({}, m_columns, columns - 1);
        m_columns = columns;
        endInsertColumns();
    } else if (columns < m_columns) {
        beginRemoveColumns({}, columns, m_columns - 1);
        m_columns = columns;
        endRemoveColumns();
    }
}

QString StringGridModel::cell(int column, int row) const
{
    return m_cells.value(cellKey(column, row));
}

void StringGridModel::setCell(int column, int row, const QString &text)
{
    if (column < 0 || row < 0)
        return;
    m_cells.insert(cellKey(column, row), text);
    if (row < m_rows && column < m_columns) {
        const QModelIndex at = index(row, column);
        emit dataChanged(at, at);
    }
}

StringGrid::StringGrid(QWidget *parent) : QTableView(parent)
{
    setModel(&m_model);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setMinimumSectionSize(1);
    setDefaultRowHeight(m_defaultRowHeight);
}

void StringGrid::setColCount(int columns)
{
    m_model.setColumns(columns);
}

void StringGrid::setRowCountValue(int rows)
{
    m_model.setRows(rows);
}

void StringGrid::setDefaultRowHeight(int height)
{
    m_defaultRowHeight = height;
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(height);
}

} // namespace zelvora

#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QTableView>

namespace zelvora {

// The cells of a StringGrid. Cells may be written in rows beyond the row
// count: they are kept, and shown once the rows exist.
class StringGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    void setRows(int rows);
    void setColumns(int columns);
    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString &text);

private:
    int m_rows = 1;
    int m_columns = 1;
    QHash<quint64, QString> m_cells;
};

// A grid of text cells with whole-row selection and no scroll bars of its
// own. It never has fewer than one row.
class StringGrid : public QTableView
{
    Q_OBJECT
public:
    explicit StringGrid(QWidget *parent = nullptr);

    int colCount() const { return m_model.columnCount(); }
    void setColCount(int columns);
    int rowCountValue() const { return m_model.rowCount(); }
    // Asking for fewer than one row leaves one row.
    void setRowCountValue(int rows);

    QString cell(int column, int row) const { return m_model.cell(column, row); }
    void setCell(int column, int row, const QString &text) { m_model.setCell(column, row, text); }

    int colWidth(int column) const { return columnWidth(column); }
    void setColWidth(int column, int width) { setColumnWidth(column, width); }
    int defaultRowHeight() const { return m_defaultRowHeight; }
    void setDefaultRowHeight(int height);

private:
    StringGridModel m_model;
    int m_defaultRowHeight = 17;
};

} // namespace zelvora

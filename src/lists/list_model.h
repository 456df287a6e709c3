#pragma once

#include "common/list_check.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <vector>

namespace zelvora {

// The rows of a list being checked: the list's own cells, then the outcome,
// the code proposed, the locality and province found and the note, filled
// in as the verdicts come. The outcome cell carries its colour and its text.
class ListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The outcome of a row (-1 while it is not checked), for filtering.
    static constexpr int OutcomeRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    void setList(const QStringList &header, QList<ListRow> rows);
    // The verdicts of the rows from checked() on, in order.
    void addVerdicts(const QList<Verdict> &verdicts);
    void clearVerdicts();

    int listColumns() const { return static_cast<int>(m_header.size()); }
    int checked() const { return static_cast<int>(m_verdicts.size()); }
    const QStringList &header() const { return m_header; }
    const QList<ListRow> &rows() const { return m_rows; }
    const Verdict &verdict(int row) const { return m_verdicts[row]; }
    // A row's cells as the table shows them, its own and the checked ones.
    QStringList rowTexts(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList m_header;
    QList<ListRow> m_rows;
    std::vector<Verdict> m_verdicts;
};

// The table's view of the rows: all, or only those of one outcome, sorted by
// any column or in the list's order.
class ListFilter : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    // -1 shows every row.
    void setOutcome(int outcome);
    int outcome() const { return m_outcome; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    int m_outcome = -1;
};

} // namespace zelvora

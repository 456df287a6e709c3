#include "list_model.h"

#include <QColor>

namespace zelvora {

namespace {
// The titles of the columns the check adds.
const QStringList kCheckTitles{"esito", "cap_proposto", "località", "pv", "nota"};
} // namespace

void ListModel::setList(const QStringList &header, QList<ListRow> rows)
{
    beginResetModel();
    m_header = header;
    m_rows = std::move(rows);
    m_verdicts.clear();
    endResetModel();
}

void ListModel::addVerdicts(const QList<Verdict> &verdicts)
{
    const int first = checked();
    const int last = std::min(first + static_cast<int>(verdicts.size()), rowCount()) - 1;
    if (last < first)
        return;
    m_verdicts.insert(m_verdicts.end(), verdicts.cbegin(), verdicts.cbegin() + (last - first + 1));
    emit dataChanged(index(first, listColumns()), index(last, columnCount() - 1));
}

void ListModel::clearVerdicts()
{
    if (m_verdicts.empty())
        return;
    const int last = checked() - 1;
    m_verdicts.clear();
    emit dataChanged(index(0, listColumns()), index(last, columnCount() - 1));
}

QStringList ListModel::rowTexts(int row) const
{
    QStringList texts = m_rows.at(row).fields.mid(0, listColumns());
    while (texts.size() < listColumns())
        texts << QString();
    texts << (row < checked() ? verdictFields(m_verdicts[row]) : QStringList(kCheckTitles.size(), QString()));
    return texts;
}

int ListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : listColumns() + static_cast<int>(kCheckTitles.size());
}

QVariant ListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row();
    const int column = index.column();
    const bool isChecked = row < checked();
    if (role == OutcomeRole)
        return isChecked ? int(m_verdicts[row].outcome) : -1;
    if (role == Qt::BackgroundRole && isChecked && column == listColumns())
        return QColor(QRgb(outcomeColour(m_verdicts[row].outcome)));
    if (role == Qt::ForegroundRole && isChecked && column == listColumns())
        return QColor(Qt::black);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    if (column < listColumns())
        return m_rows.at(row).fields.value(column);
    if (!isChecked)
        return QString();
    const Verdict &v = m_verdicts[row];
    switch (column - listColumns()) {
    case 0:
        return Verdict::text(v.outcome);
    case 1:
        return v.cap;
    case 2:
        return v.locality;
    case 3:
        return v.pv;
    default:
        return v.note;
    }
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section < rowCount() ? QVariant(m_rows.at(section).line) : QVariant();
    return section < listColumns() ? m_header.at(section) : kCheckTitles.value(section - listColumns());
}

void ListFilter::setOutcome(int outcome)
{
    if (outcome == m_outcome)
        return;
    m_outcome = outcome;
    invalidateRowsFilter();
}

bool ListFilter::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (m_outcome < 0)
        return true;
    return sourceModel()->index(sourceRow, 0, sourceParent).data(ListModel::OutcomeRole).toInt() == m_outcome;
}

} // namespace zelvora

#include "street_list.h"

namespace zelvora {

void StreetListSource::seek(int index)
{
    if (m_files.isOpen())
        m_files.seek(index);
}

void StreetListSource::readRow(QStringList &cells)
{
    const int record = m_files.position();
    const StreetRecord street = m_files.readNext();
    m_rows.append({street, m_files.note(street), record});
    cells.clear();
    cells << street.street << street.designation;
}

void StreetListSource::clearRowLists()
{
    m_rows.clear();
}

QString StreetListSource::note(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).streetNotes : QString();
}

} // namespace zelvora

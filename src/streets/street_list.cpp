#include "street_list.h"

namespace zelvora {

void StreetListSource::seek(int index)
{
    if (m_files.isOpen())
        m_files.seek(index);
}

void StreetListSource::readRow()
{
    const int record = m_files.position();
    const StreetRecord street = m_files.readNext();
    m_page.append({street, m_files.note(street), record});
}

} // namespace zelvora

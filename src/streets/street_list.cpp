#include "street_list.h"

#include "app/shared_state.h"

namespace zelvora {

void StreetListSource::seek(int index)
{
    if (m_files.isOpen())
        m_files.seek(index);
}

QStringList StreetListSource::readRow()
{
    const StreetRecord street = m_files.readNext();
    const QString note = m_files.note(street);
    SharedLists &lists = *shared().lists;
    lists.streetNotes.append(note);
    lists.cityTags.append(street.cityTag);
    lists.streetCaps.append(street.cap);
    lists.streetAgencies.append(street.agency);
    return {street.street, street.designation};
}

void StreetListSource::clearRowLists()
{
    SharedLists &lists = *shared().lists;
    lists.streetNotes.clear();
    lists.cityTags.clear();
    lists.streetCaps.clear();
    lists.streetAgencies.clear();
}

QString StreetListSource::note(int row) const
{
    return shared().lists ? shared().lists->streetNotes.value(row) : QString();
}

} // namespace zelvora

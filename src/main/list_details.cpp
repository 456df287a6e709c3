#include "list_details.h"

#include "common/io_error.h"
#include "common/locality_database.h"
#include "common/street_directory.h"
#include "lists/list_window.h"
#include "locality/details_dialog.h"
#include "locality/main_window.h"
#include "common/locality_files.h"
#include "streets/street_details.h"
#include "common/street_files.h"

namespace zelvora {

std::unique_ptr<QDialog> makeListWindow(TCapF &main, QWidget *owner)
{
    auto window = std::make_unique<ListWindow>(main.settings(), owner);
    const QString folder = main.settings().dataFolder;
    window->openLocality = [folder, &main](QWidget *parent, const QString &name, const QString &pv) {
        return openLocalityDetails(parent, folder, main.provinces(), name, pv);
    };
    window->openStreet = [folder](QWidget *parent, int city, int street) {
        return openStreetDetails(parent, folder, city, street);
    };
    return window;
}

bool openLocalityDetails(QWidget *owner, const QString &dataFolder, const ProvinceTable &provinces,
                         const QString &name, const QString &pv)
{
    LocalityDatabase localities;
    if (!localities.open(dataFolder))
        return false;
    for (int i = 0; i < localities.count(); ++i) {
        const LocalityRecord r = localities.record(i);
        if (r.locality != name || (!pv.isEmpty() && r.pv != pv))
            continue;
        TDettagli details(provinces, owner);
        details.fill(r);
        details.exec();
        return true;
    }
    return false;
}

bool openStreetDetails(QWidget *owner, const QString &dataFolder, int city, int street)
{
    if (city < 0 || city >= static_cast<int>(cityTable.size()))
        return false;
    StreetDirectory streets;
    try {
        streets.open(findCityFiles(dataFolder, city));
    } catch (const IoError &) {
        return false;
    }
    if (!streets.isOpen() || street < 0 || street >= streets.count())
        return false;
    const StreetRecord r = streets.record(street);
    const QString note = r.noteNo <= streets.noteCount() ? streets.note(r) : QString();
    TDettagliZone details(owner);
    details.fill(cityTable[city].displayName.toString(), r, note);
    details.exec();
    return true;
}

} // namespace zelvora

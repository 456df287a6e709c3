#include "list_details.h"

#include "common/record_file.h"
#include "lists/list_window.h"
#include "locality/details_dialog.h"
#include "locality/main_window.h"
#include "locality/locality_files.h"
#include "streets/street_details.h"
#include "streets/street_files.h"

#include <QDir>

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
    RecordFile file;
    if (!file.open(QDir(dataFolder).filePath(localityfiles::kLocalities), LocalityRecord::kSize))
        return false;
    const QByteArray all = file.readAll();
    for (qsizetype at = 0; at + LocalityRecord::kSize <= all.size(); at += LocalityRecord::kSize) {
        const LocalityRecord r = LocalityRecord::decode(all.mid(at, LocalityRecord::kSize));
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
    const CityFiles files = findCityFiles(dataFolder, city);
    RecordFile streets;
    if (files.outcome == CityOutcome::NotOpened || !streets.open(files.streets, StreetRecord::kSize) || street < 0
        || street >= streets.count())
        return false;
    const StreetRecord r = StreetRecord::decode(streets.readAt(street));
    QString note;
    RecordFile notes;
    if (files.outcome == CityOutcome::Opened && r.noteNo >= 1 && notes.open(files.notes, StreetNote::kSize)
        && r.noteNo <= notes.count())
        note = StreetNote::decode(notes.readAt(r.noteNo - 1)).text;
    TDettagliZone details(owner);
    details.fill(cityTable[city].displayName.toString(), r, note);
    details.exec();
    return true;
}

} // namespace zelvora

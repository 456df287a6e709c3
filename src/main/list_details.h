#pragma once

#include <QString>
#include <memory>

class QDialog;
class QWidget;

namespace zelvora {

struct ProvinceTable;
class TCapF;

// The list window of the main window `main`, which opens the details
// dialogs below.
std::unique_ptr<QDialog> makeListWindow(TCapF &main, QWidget *owner);

// The details dialogs the list window opens from a checked row, as the two
// windows open them: the locality's, from its record in the data folder's
// localita.loc (the first of that name and province), or the street's, from
// its record in the city's street files. Each shows the dialog modally and
// returns when it closes; false when there is no such record.
bool openLocalityDetails(QWidget *owner, const QString &dataFolder, const ProvinceTable &provinces,
                         const QString &name, const QString &pv);
bool openStreetDetails(QWidget *owner, const QString &dataFolder, int city, int street);

} // namespace zelvora

#pragma once

#include "common/search_modes.h"

#include <QString>
#include <memory>

class QWidget;

namespace zelvora {

// The main window on a data folder, wired as the program starts it: the
// street window and the list check open from its menu. The only code that
// knows both the locality search and the street directory. Whoever drives the
// windows through their controls (the program, a fuzz target) needs no
// window class.
std::unique_ptr<QWidget> makeMainWindow(const QString &dataFolder);

// Where a window's results list reads: whether it has files open, the read
// position in the order it shows, the records of that order, the rows of a
// full page and, for the main window, the search mode.
struct ListReading
{
    bool open = false;
    int position = 0;
    int count = 0;
    int rowsPerPage = 0;
    SearchMode mode = SearchMode::Locality;
};
// Of a main window made by makeMainWindow(), and of the street window it opens.
ListReading mainWindowReading(QWidget &mainWindow);
ListReading streetWindowReading(QWidget &streetWindow);

} // namespace zelvora

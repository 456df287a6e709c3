#pragma once

#include "locality/search_modes.h"

#include <QString>

namespace zelvora {

// The search state of the main window, which its search, its results list and
// its commands share. The main window owns it; each new main window starts it
// afresh.
struct LocalitySearchState
{
    // Rows of a full page of the results list; never changed.
    static constexpr int rowsPerPage = 8;

    QString searchMode = kModeLocality;
    int keyLength = 3;
    int currentRecord = 0;
    int recordCount = 0;
    QString lastSearchText;
    QString searchPrefix;
    int lastRow = 0; // the grid row remembered while the grid has no focus
};

// What a row of the results grid holds beyond the three texts it shows. Each
// field is the row's entry of the row list of the same name.
struct LocalityRow
{
    QString agencies;
    QString bils;
    QString notes;
};

} // namespace zelvora

#pragma once

#include <QString>

namespace zelvora {

inline const QString kModeLocality = QStringLiteral("localita");
inline const QString kModeCap = QStringLiteral("cap");
inline const QString kModeProvince = QStringLiteral("pv");

// The search state of the main window, which the search, the results list and
// the window's commands share.
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
    int lastRow = 0;
};

LocalitySearchState &searchState();

// Starts the search state afresh, as at program start.
void resetSearchState();

} // namespace zelvora

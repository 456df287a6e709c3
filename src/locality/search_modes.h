#pragma once

#include <QString>
#include <array>

namespace zelvora {

// The values of `searchMode`.
inline const QString kModeLocality = QStringLiteral("localita");
inline const QString kModeCap = QStringLiteral("cap");
inline const QString kModeProvince = QStringLiteral("pv");

// One of the three ways of searching the localities: the order file that gives
// the display order, its prefix index, how many leading characters the index
// tells apart, and how long a searched text may be. The main window, the
// command-line lookup and the fuzz targets all read this one table.
struct SearchModeFiles
{
    QString name;        // "localita", "cap" or "pv"
    QString orderFile;   // localita.loc itself in locality mode
    int orderRecordSize;
    QString indexFile;
    int keyLength;
    int maxLength;       // of the search field

    // Whether the order file is localita.loc itself, which stays open for the
    // whole program, rather than a file of entries naming its records.
    bool ordersLocalities() const;
};

// Locality, postal-code and province mode, in this order.
const std::array<SearchModeFiles, 3> &searchModes();

// The mode named `name`; any name but "cap" and "pv" is the locality mode.
const SearchModeFiles &searchModeFiles(const QString &name);

} // namespace zelvora

#pragma once

#include "common/record_layout.h"

#include <QString>
#include <array>

namespace zelvora {

// The three ways of searching the localities.
enum class SearchMode { Locality, Cap, Province };

// One search mode: the order file that gives the display order, its prefix
// index, how many leading characters the index tells apart, how long a
// searched text may be, where an order record names its locality and which
// key is compared when refining, and what the search field shows and the user
// is told. The main window, the command-line lookup and the fuzz targets all
// read this one table; nothing else knows a mode by its name.
struct SearchModeInfo
{
    SearchMode mode;
    QString name;        // the window's `searchMode`: "localita", "cap" or "pv"
    QString orderFile;   // localita.loc itself in locality mode
    int orderRecordSize;
    QString indexFile;
    int keyLength;
    int maxLength;       // of the search field
    // Where an order record holds the 1-based number of its locality; -1
    // when the order file is localita.loc itself.
    int localityNoOffset;
    // The key: a field of the order record, or of the locality it names.
    TextField key;
    bool keyInLocality;
    QString caption;      // of the label before the search field
    QString hint;         // of the search field
    QString orderMissing; // the order file cannot be opened
    QString indexMissing; // the prefix index cannot be opened

    bool ordersLocalities() const { return localityNoOffset < 0; }
};

// Locality, postal-code and province mode, in this order.
const std::array<SearchModeInfo, 3> &searchModes();
const SearchModeInfo &searchModeInfo(SearchMode mode);

} // namespace zelvora

#include "search_modes.h"

#include "locality/locality_files.h"

namespace zelvora {

bool SearchModeFiles::ordersLocalities() const
{
    return orderFile == localityfiles::kLocalities;
}

const std::array<SearchModeFiles, 3> &searchModes()
{
    using namespace localityfiles;
    static const std::array<SearchModeFiles, 3> modes{{
        {kModeLocality, kLocalities, LocalityRecord::kSize, kLocalityIndex, 3, 30},
        {kModeCap, kCapOrder, CapOrderEntry::kSize, kCapIndex, 3, CapOrderEntry::kCap.capacity},
        {kModeProvince, kPvOrder, PvOrderEntry::kSize, kPvIndex, 2, LocalityRecord::kPv.capacity},
    }};
    return modes;
}

const SearchModeFiles &searchModeFiles(const QString &name)
{
    for (const SearchModeFiles &mode : searchModes())
        if (mode.name == name)
            return mode;
    return searchModes()[0];
}

} // namespace zelvora

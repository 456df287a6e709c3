#include "search_modes.h"

#include "locality/locality_files.h"

namespace zelvora {

const std::array<SearchModeInfo, 3> &searchModes()
{
    using namespace localityfiles;
    static const std::array<SearchModeInfo, 3> modes{{
        {SearchMode::Locality, QStringLiteral("localita"), kLocalities, LocalityRecord::kSize, kLocalityIndex, 3, 30,
         -1, LocalityRecord::kLocality, false, QStringLiteral("Località"),
         QStringLiteral("Immetti la Località anche parziale da ricercare"), {},
         QStringLiteral("L'indice delle località (localita.lox) è mancante!\r"
                        "Non è possibile eseguire la ricerca per Località")},
        {SearchMode::Cap, QStringLiteral("cap"), kCapOrder, CapOrderEntry::kSize, kCapIndex, 3,
         CapOrderEntry::kCap.capacity, CapOrderEntry::kLocalityNoOffset, CapOrderEntry::kCap, false,
         QStringLiteral("C.A.P."), QStringLiteral("Immetti il C.A.P. anche parziale da ricercare"),
         QStringLiteral("L'indice delle località per C.A.P. (locacap.cod) è mancante!\r"
                        "Non è possibile eseguire la ricerca per C.A.P."),
         QStringLiteral("L'indice delle località per C.A.P. (locacap.cox) è mancante!\r"
                        "Non è possibile eseguire la ricerca per C.A.P.")},
        // The province order's own key is never read: the locality's is.
        {SearchMode::Province, QStringLiteral("pv"), kPvOrder, PvOrderEntry::kSize, kPvIndex, 2,
         LocalityRecord::kPv.capacity, PvOrderEntry::kLocalityNoOffset, LocalityRecord::kPv, true,
         QStringLiteral("Provincia"), QStringLiteral("Immetti la Provincia (PV) da ricercare"),
         QStringLiteral("L'indice delle località per Provincia (locapv.cod) è mancante!\r"
                        "Non è possibile eseguire la ricerca per Provincia."),
         QStringLiteral("L'indice delle località per Provincia (locapv.cox) è mancante!\r"
                        "Non è possibile eseguire la ricerca per Provincia")},
    }};
    return modes;
}

const SearchModeInfo &searchModeInfo(SearchMode mode)
{
    return searchModes()[static_cast<int>(mode)];
}

} // namespace zelvora

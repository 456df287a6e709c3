#include "search_modes.h"

#include "common/locality_files.h"

namespace zelvora {

namespace {

// What the user is told when a mode's order file or index cannot be opened.
QString missing(const QString &index, const QString &file, const QString &search)
{
    return QStringLiteral("L'indice delle località%1 (%2) è mancante!\rNon è possibile eseguire la ricerca per %3")
        .arg(index, file, search);
}

} // namespace

const std::array<SearchModeInfo, 3> &searchModes()
{
    using namespace localityfiles;
    const QString byCap = QStringLiteral(" per C.A.P."), byPv = QStringLiteral(" per Provincia");
    static const std::array<SearchModeInfo, 3> modes{{
        {SearchMode::Locality, QStringLiteral("localita"), kLocalities, LocalityRecord::kSize, kLocalityIndex, 3, 30,
         -1, LocalityRecord::kLocality, false, QStringLiteral("Località"),
         QStringLiteral("Immetti la Località anche parziale da ricercare"), {},
         missing({}, kLocalityIndex, QStringLiteral("Località"))},
        {SearchMode::Cap, QStringLiteral("cap"), kCapOrder, CapOrderEntry::kSize, kCapIndex, 3,
         CapOrderEntry::kCap.capacity, CapOrderEntry::kLocalityNoOffset, CapOrderEntry::kCap, false,
         QStringLiteral("C.A.P."), QStringLiteral("Immetti il C.A.P. anche parziale da ricercare"),
         missing(byCap, kCapOrder, QStringLiteral("C.A.P.")), missing(byCap, kCapIndex, QStringLiteral("C.A.P."))},
        // The province order's own key is never read: the locality's is.
        {SearchMode::Province, QStringLiteral("pv"), kPvOrder, PvOrderEntry::kSize, kPvIndex, 2,
         LocalityRecord::kPv.capacity, PvOrderEntry::kLocalityNoOffset, LocalityRecord::kPv, true,
         QStringLiteral("Provincia"), QStringLiteral("Immetti la Provincia (PV) da ricercare"),
         missing(byPv, kPvOrder, QStringLiteral("Provincia.")), missing(byPv, kPvIndex, QStringLiteral("Provincia"))},
    }};
    return modes;
}

const SearchModeInfo &searchModeInfo(SearchMode mode)
{
    return searchModes()[static_cast<int>(mode)];
}

} // namespace zelvora

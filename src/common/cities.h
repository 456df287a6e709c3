#pragma once

#include <QStringView>
#include <array>
#include <optional>

namespace zelvora {

// One city of the street directory: the name in the city list, the base name
// of its files in the zone folder, its generic postal code, the municipality
// it lies in (cadastral code and province: Venezia and Venezia-Mestre share
// L736) and the other names addresses write it with, upper case (REGGIO C.,
// MESTRE).
struct City
{
    QStringView displayName;
    QStringView fileBase;
    QStringView genericCap;
    QStringView cadastralCode;
    QStringView province;
    std::array<QStringView, 3> otherNames; // empty views at the end
};

// The fixed list of cities, in the order of the city list; the zone folder is
// never listed. The import reads it through `zelvora-datac cities`.
inline constexpr std::array<City, 28> cityTable{{
    {u"Ancona", u"ancona", u"60100", u"A271", u"AN", {}},
    {u"Bari", u"bari", u"70100", u"A662", u"BA", {}},
    {u"Bergamo", u"bergamo", u"24100", u"A794", u"BG", {}},
    {u"Bologna", u"bologna", u"40100", u"A944", u"BO", {}},
    {u"Brescia", u"brescia", u"25100", u"B157", u"BS", {}},
    {u"Cagliari", u"cagliari", u"09100", u"B354", u"CA", {}},
    {u"Catania", u"catania", u"95100", u"C351", u"CT", {}},
    {u"Firenze", u"firenze", u"50100", u"D612", u"FI", {}},
    {u"Genova", u"genova", u"16100", u"D969", u"GE", {}},
    {u"La Spezia", u"laspezia", u"19100", u"E463", u"SP", {u"SPEZIA"}},
    {u"Livorno", u"livorno", u"57100", u"E625", u"LI", {}},
    {u"Messina", u"messina", u"98100", u"F158", u"ME", {}},
    {u"Milano", u"milano", u"20100", u"F205", u"MI", {}},
    {u"Napoli", u"napoli", u"80100", u"F839", u"NA", {}},
    {u"Padova", u"padova", u"35100", u"G224", u"PD", {}},
    {u"Palermo", u"palermo", u"90100", u"G273", u"PA", {}},
    {u"Perugia", u"perugia", u"06100", u"G478", u"PG", {}},
    {u"Pescara", u"pescara", u"65100", u"G482", u"PE", {}},
    {u"Pisa", u"pisa", u"56100", u"G702", u"PI", {}},
    {u"Reggio Calabria", u"regcal", u"89100", u"H224", u"RC", {u"REGGIO DI CALABRIA", u"REGGIO C.", u"REGGIO"}},
    {u"Roma", u"roma", u"00100", u"H501", u"RM", {}},
    {u"Salerno", u"salerno", u"84100", u"H703", u"SA", {}},
    {u"Torino", u"torino", u"10100", u"L219", u"TO", {}},
    {u"Trieste", u"trieste", u"34100", u"L424", u"TS", {}},
    {u"Venezia", u"venezia", u"30100", u"L736", u"VE", {}},
    {u"Venezia-Mestre", u"mestre", u"30170", u"L736", u"VE", {u"MESTRE", u"VENEZIA MESTRE"}},
    {u"Verbania", u"verbania", u"28900", u"L746", u"VB", {}},
    {u"Verona", u"verona", u"37100", u"L781", u"VR", {}},
}};

// The row of `cityTable` whose file base is `fileBase`, if any.
constexpr std::optional<int> cityRowOfFileBase(QStringView fileBase)
{
    for (std::size_t row = 0; row < cityTable.size(); ++row)
        if (cityTable[row].fileBase == fileBase)
            return static_cast<int>(row);
    return std::nullopt;
}

} // namespace zelvora

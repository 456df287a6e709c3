#pragma once

#include "common/prefix_index.h"
#include "common/record_layout.h"
#include "common/short_string.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>

namespace zelvora {

// One city of the street directory: the name in the city list, the base name
// of its three files in the zone folder, and its generic postal code.
struct City
{
    QStringView displayName;
    QStringView fileBase;
    QStringView genericCap;
};

// The fixed list of cities, in the order of the city list; the zone folder is
// never listed.
inline constexpr std::array<City, 28> cityTable{{
    {u"Ancona", u"ancona", u"60100"},
    {u"Bari", u"bari", u"70100"},
    {u"Bergamo", u"bergamo", u"24100"},
    {u"Bologna", u"bologna", u"40100"},
    {u"Brescia", u"brescia", u"25100"},
    {u"Cagliari", u"cagliari", u"09100"},
    {u"Catania", u"catania", u"95100"},
    {u"Firenze", u"firenze", u"50100"},
    {u"Genova", u"genova", u"16100"},
    {u"La Spezia", u"laspezia", u"19100"},
    {u"Livorno", u"livorno", u"57100"},
    {u"Messina", u"messina", u"98100"},
    {u"Milano", u"milano", u"20100"},
    {u"Napoli", u"napoli", u"80100"},
    {u"Padova", u"padova", u"35100"},
    {u"Palermo", u"palermo", u"90100"},
    {u"Perugia", u"perugia", u"06100"},
    {u"Pescara", u"pescara", u"65100"},
    {u"Pisa", u"pisa", u"56100"},
    {u"Reggio Calabria", u"regcal", u"89100"},
    {u"Roma", u"roma", u"00100"},
    {u"Salerno", u"salerno", u"84100"},
    {u"Torino", u"torino", u"10100"},
    {u"Trieste", u"trieste", u"34100"},
    {u"Venezia", u"venezia", u"30100"},
    {u"Venezia-Mestre", u"mestre", u"30170"},
    {u"Verbania", u"verbania", u"28900"},
    {u"Verona", u"verona", u"37100"},
}};

// The row of `cityTable` whose file base is `fileBase`, if any.
std::optional<int> cityRowOfFileBase(QStringView fileBase);

namespace streetfiles {
// The sub-folder of the data folder that holds the cities' files.
inline const QString kZoneFolder = QStringLiteral("zone");
inline const QString kStreetsSuffix = QStringLiteral(".loc");
inline const QString kIndexSuffix = QStringLiteral(".lox");
inline const QString kNotesSuffix = QStringLiteral(".civ");
// Key length of the street index.
constexpr int kKeyLength = 3;
} // namespace streetfiles

// One street of a city's .loc file, in street order.
struct StreetRecord
{
    QString street;
    QString designation;
    QString cityTag;
    QString cap;
    QString agency;
    int noteNo = 0; // 1-based record of the .civ file; 0 or less: no note

    static constexpr int kSize = 104;
    using T = Text<StreetRecord>;
    static constexpr T kStreet{{0, 40}, &StreetRecord::street};
    static constexpr T kDesignation{{41, 25}, &StreetRecord::designation};
    static constexpr T kCityTag{{67, 2}, &StreetRecord::cityTag};
    static constexpr T kCap{{70, 5}, &StreetRecord::cap};
    static constexpr T kAgency{{76, 25}, &StreetRecord::agency};
    static constexpr std::array kTexts{kStreet, kDesignation, kCityTag, kCap, kAgency};
    static constexpr int kNoteNoOffset = 102;
    static_assert(adjoining(kTexts, kNoteNoOffset) && kNoteNoOffset + 2 == kSize);

    static StreetRecord decode(const QByteArray &record);
};

// One note of a city's .civ file: house numbers and notes of a street.
struct StreetNote
{
    QString text;

    static constexpr int kSize = 71;
    static constexpr Text<StreetNote> kText{{0, 70}, &StreetNote::text};
    static constexpr std::array kTexts{kText};
    static_assert(adjoining(kTexts, kSize));

    static StreetNote decode(const QByteArray &record) { return readTexts<StreetNote>(record.constData()); }
};

// How the opening of a city ends.
enum class CityOutcome {
    Opened,             // street file, index and notes
    OpenedWithoutNotes, // the .civ file is missing: every note is empty
    NotOpened,          // the .loc or the .lox file is missing
};

// What is there of a city's three files, looked up before any of them is
// opened. What the user is told about a missing file is the business of the
// program that tells it.
struct CityFiles
{
    QString streets; // full paths, built from the data folder with "/"
    QString index;
    QString notes;
    QString evidence; // the codes by house number; a city may have none
    CityOutcome outcome = CityOutcome::NotOpened;
};

// Looks up the files of row `row` of `cityTable` under `dataFolder`/zone.
CityFiles findCityFiles(const QString &dataFolder, int row);

// The city row of the street directory that `name` names, or -1.
int findCity(const QString &name);

// What a program without windows says, on one line, of a city's missing files: the
// streets or their index for NotOpened, the notes for OpenedWithoutNotes.
QString missingCityFilesText(const CityFiles &files);


} // namespace zelvora

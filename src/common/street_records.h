#pragma once

#include "common/cities.h"
#include "common/prefix_index.h"
#include "common/record_layout.h"
#include "common/short_string.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>

namespace zelvora {


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

#pragma once

#include "common/prefix_index.h"
#include "common/record_layout.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace zelvora {

class RecordFile;

// File names of the locality database in the data folder.
namespace localityfiles {
inline const QString kLocalities = QStringLiteral("localita.loc");
inline const QString kLocalityIndex = QStringLiteral("localita.lox");
inline const QString kCapOrder = QStringLiteral("locacap.cod");
inline const QString kCapIndex = QStringLiteral("locacap.cox");
inline const QString kPvOrder = QStringLiteral("locapv.cod");
inline const QString kPvIndex = QStringLiteral("locapv.cox");
inline const QString kProvinces = QStringLiteral("cap.pv");
} // namespace localityfiles

// One locality of localita.loc, in name order.
struct LocalityRecord
{
    static constexpr int kSize = 161;
    static constexpr TextField kLocality{0, 39};
    static constexpr TextField kPv{40, 2};
    static constexpr TextField kAgency{43, 42};
    static constexpr TextField kCap{86, 5};
    static constexpr TextField kBil{92, 33};
    static constexpr TextField kNote{126, 34};
    static_assert(kNote.end() == kSize);

    QString locality;
    QString pv;
    QString agency;
    QString cap;
    QString bil;
    QString note;

    static LocalityRecord decode(const QByteArray &record);
};

// One locality of locacap.cod, in postal-code order.
struct CapOrderEntry
{
    static constexpr int kSize = 8;
    static constexpr TextField kCap{0, 5};
    static constexpr int kLocalityNoOffset = 6;

    QString cap;
    int localityNo = 0;

    static CapOrderEntry decode(const QByteArray &record);
};

// One locality of locapv.cod, grouped by province. The first four bytes hold
// the province as a short string and a zero byte; the program never reads them.
struct PvOrderEntry
{
    static constexpr int kSize = 6;
    static constexpr TextField kKey{0, 2};
    static constexpr int kLocalityNoOffset = 4;

    int localityNo = 0;

    static PvOrderEntry decode(const QByteArray &record);
};

// One province of cap.pv.
struct ProvinceRecord
{
    static constexpr int kSize = 24;
    static constexpr TextField kPv{0, 2};
    static constexpr TextField kName{3, 20};
    static_assert(kName.end() == kSize);

    QString pv;
    QString name;

    static ProvinceRecord decode(const QByteArray &record);
};

// The locality record named by a stored 1-based LocalityNo. A number outside
// localita.loc (a damaged order file) is an IoError; nothing outside the file
// is read.
QByteArray readLocalityRecord(const RecordFile &localities, int localityNo);
inline LocalityRecord readLocalityNo(const RecordFile &localities, int localityNo)
{
    return LocalityRecord::decode(readLocalityRecord(localities, localityNo));
}

} // namespace zelvora

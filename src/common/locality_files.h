#pragma once

#include "common/prefix_index.h"
#include "common/record_layout.h"
#include "common/short_string.h"

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
    QString locality;
    QString pv;
    QString agency;
    QString cap;
    QString bil;
    QString note;

    static constexpr int kSize = 161;
    using T = Text<LocalityRecord>;
    static constexpr T kLocality{{0, 39}, &LocalityRecord::locality};
    static constexpr T kPv{{40, 2}, &LocalityRecord::pv};
    static constexpr T kAgency{{43, 42}, &LocalityRecord::agency};
    static constexpr T kCap{{86, 5}, &LocalityRecord::cap};
    static constexpr T kBil{{92, 33}, &LocalityRecord::bil};
    static constexpr T kNote{{126, 34}, &LocalityRecord::note};
    static constexpr std::array kTexts{kLocality, kPv, kAgency, kCap, kBil, kNote};
    static_assert(adjoining(kTexts, kSize));

    static LocalityRecord decode(const QByteArray &record) { return readTexts<LocalityRecord>(record.constData()); }
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
    QString pv;
    QString name;

    static constexpr int kSize = 24;
    static constexpr Text<ProvinceRecord> kPv{{0, 2}, &ProvinceRecord::pv};
    static constexpr Text<ProvinceRecord> kName{{3, 20}, &ProvinceRecord::name};
    static constexpr std::array kTexts{kPv, kName};
    static_assert(adjoining(kTexts, kSize));

    static ProvinceRecord decode(const QByteArray &record) { return readTexts<ProvinceRecord>(record.constData()); }
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

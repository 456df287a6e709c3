#pragma once

#include "common/record_layout.h"
#include "common/short_string.h"

#include <QByteArray>
#include <QString>

namespace zelvora {

// The changes an address list may still carry, in the data folder beside the
// locality files: a municipality's code replaced by another, a catch-all code
// replaced by zone codes, a former province, another name of a locality, a
// frazione with its municipality, and the municipalities of 2020 that have
// since merged into another. Read by the address check of zelvora-cerca; the
// windows do not use it.
namespace changesfile {
inline const QString kChanges = QStringLiteral("variazioni.dat");
} // namespace changesfile

// One change of variazioni.dat, in the order of the source (kind, locality,
// province).
struct ChangeRecord
{
    QString kind;
    QString locality;
    QString pv;
    QString cap;
    QString newLocality;
    QString newPv;
    QString newCap;
    QString year;

    static constexpr int kSize = 105;
    using T = Text<ChangeRecord>;
    static constexpr T kKind{{0, 1}, &ChangeRecord::kind};
    static constexpr T kLocality{{2, 39}, &ChangeRecord::locality};
    static constexpr T kPv{{42, 2}, &ChangeRecord::pv};
    static constexpr T kCap{{45, 5}, &ChangeRecord::cap};
    static constexpr T kNewLocality{{51, 39}, &ChangeRecord::newLocality};
    static constexpr T kNewPv{{91, 2}, &ChangeRecord::newPv};
    static constexpr T kNewCap{{94, 5}, &ChangeRecord::newCap};
    static constexpr T kYear{{100, 4}, &ChangeRecord::year};
    static constexpr std::array kTexts{kKind, kLocality, kPv, kCap, kNewLocality, kNewPv, kNewCap, kYear};
    static_assert(adjoining(kTexts, kSize));

    // Kinds:
    // - the code `cap` of `locality` became `newCap` (in `year`, when known);
    static constexpr char kCodeChanged = 'C';
    // - the municipality `locality` of `pv` merged into `newLocality` of
    //   `newPv` (both empty where the sources do not say which);
    static constexpr char kMerged = 'F';
    // - `cap` was the catch-all code of `locality`, now replaced by its zone
    //   codes (in `year`, when known);
    static constexpr char kGeneric = 'G';
    // - `locality` was in the province `pv` until `year` (when known), and
    //   is in `newPv` now;
    static constexpr char kProvince = 'P';
    // - `locality` of `pv` is another name of `newLocality` of `newPv`;
    static constexpr char kName = 'N';
    // - the frazione `locality` of `pv` belongs to the municipality
    //   `newLocality` of `newPv`, with `cap` its own code, or none when it
    //   has no code of its own.
    static constexpr char kFraction = 'Z';

    static ChangeRecord decode(const QByteArray &record) { return readTexts<ChangeRecord>(record.constData()); }
};

} // namespace zelvora

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>

namespace zelvora {

// Where each postal code of a city's streets was seen, by house number: one
// file per city beside its street files, read only on demand (the details of
// a street, the command line), never when a window starts.
namespace evidencefile {
inline const QString kSuffix = QStringLiteral(".evi");
// The sources an entry may name, by bit: bit i is kSources[i].
inline constexpr std::array<QStringView, 13> kSources{{
    u"milano_register", u"bologna_register", u"milano_ds634", u"torino_city", u"schools", u"offices",
    u"libraries", u"osm", u"fuel_stations", u"accommodation_toscana", u"accommodation_umbria",
    u"accommodation_puglia", u"pharmacy_register",
}};
// The bit of a source label; 0 for a label that is not there.
quint16 sourceBit(QStringView label);
} // namespace evidencefile

// Which house numbers of a range it holds.
enum class Parity : quint8 { All = 0, Odd = 1, Even = 2 };

// One record of the evidence file, in the order of the street records it
// belongs to, then of its numbers.
struct EvidenceRecord
{
    static constexpr int kSize = 14;
    static constexpr int kStreetNoOffset = 0; // 1-based record of the street file, 16-bit
    static constexpr int kFirstOffset = 2;    // unsigned 16-bit little-endian
    static constexpr int kLastOffset = 4;
    static constexpr int kFlagsOffset = 6;    // the parity in the low two bits, kRangeFlag
    static constexpr int kCapOffset = 7;      // five digits, no length byte
    static constexpr int kSourcesOffset = 12; // bits of evidencefile::kSources, 16-bit
    static constexpr quint8 kRangeFlag = 0x04;
    static constexpr int kMaxNumber = 0xffff;
};

// A piece of evidence: a register's range of house numbers, complete for its
// street, or a point, a code seen at one house number.
struct HouseEvidenceEntry
{
    int first = 0;
    int last = 0;
    Parity parity = Parity::All;
    QString cap;
    quint16 sources = 0;  // bits of evidencefile::kSources
    bool isRange = false; // a register's range; a point otherwise (first == last)

    // Whether the entry speaks for house number `number`.
    bool covers(int number) const;
    // The source labels, in the order of evidencefile::kSources.
    QStringList sourceLabels() const;
    // The numbers as the street details write them: "102-2582 pari", "113".
    QString numbersText() const;

    friend bool operator==(const HouseEvidenceEntry &, const HouseEvidenceEntry &) = default;
};

// The record of an entry of street `streetNo` (1-based), as the data compiler writes it.
QByteArray encodeEvidenceRecord(int streetNo, const HouseEvidenceEntry &entry);

// What is wrong with the bytes of an evidence file, the first twenty
// problems with the records they were found at: a size that is no
// whole number of records, a street number outside 1..streetCount (when
// streetCount >= 0), numbers out of order or first after last, a point with
// a range's numbers, an unknown parity or source, a code that is not five
// digits, records out of order or repeated. Empty for a sound file.
QStringList evidenceFileProblems(const QByteArray &bytes, int streetCount);

// A city's evidence file, read whole and checked when opened: after a
// successful open() no entry can lie outside the file or name a street
// beyond the street file.
class HouseEvidence
{
public:
    // Opens the file at `path` (a full path); false with error() saying why
    // when it cannot be read or is damaged, and then nothing is open.
    // `streetCount` is the number of records of the city's street file, or
    // -1 when not known.
    bool open(const QString &path, int streetCount);
    // The same on bytes already read; `name` names them in the error.
    bool open(const QByteArray &bytes, const QString &name, int streetCount);
    void close();

    bool isOpen() const { return m_open; }
    const QString &error() const { return m_error; }
    int entryCount() const { return static_cast<int>(m_bytes.size() / EvidenceRecord::kSize); }

    // The entries of street `index` (0-based, as in the street file), in
    // number order; none when the street has none or nothing is open.
    QList<HouseEvidenceEntry> entries(int index) const;

private:
    QByteArray m_bytes;
    QString m_error;
    bool m_open = false;
};

} // namespace zelvora

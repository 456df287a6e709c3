#pragma once

#include "common/name_match.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace zelvora {

// The house number of an address, as cut from it: "36/38" is the number 36 up
// to 38, "12/A" the number 12 with the letter A, "6R" Genova's red number 6.
struct HouseNumber
{
    int number = 0; // the (first) number; 0 when the address gives none (SNC, KM)
    int last = 0;   // the last number of a range or list ("36/38", "3-4-5-6-7"); `number` when single
    bool sameSide = true; // every number of a range or list has the parity of the first ("36/38", not "40-41")
    QString suffix;   // what follows the number: a letter ("A", "A/B"), BIS, TER..., or a lower number
                      // after a slash ("1769/24" gives "24"); upper case
    bool red = false; // R or ROSSO after the number: Genova's red numbers (elsewhere an R is a letter)
    QString text;     // the house number as written, from its first figure

    bool operator==(const HouseNumber &) const = default;
};

// Reads a house number as written, from its first figure: "12", "12/A",
// "36/38", "6R-8R", "19/20/21", "5 A/B", "15 BIS". What follows the number
// and does not belong to it ("57- TORRE A MARE", "12 INT. 4") is left out.
// A text that does not start with a figure (after N., N°, NR, CIV.) gives none.
HouseNumber readHouseNumber(QStringView text);

// An address as people write it ("Via G. Mazzini, 12"), taken apart: the
// designation when one was written (VIA, PIAZZA...: abbreviations written
// out) and the words of the name, without house number, SNC, KM and the parts
// of a building.
struct AddressWords
{
    QString designation; // the key of its words, "VIA", "PIAZZALE"; empty when left out
    QStringList words;   // particles left out, titles and short forms written out
    HouseNumber houseNumber;
};

// The streets of one city, to find the street an address names the forgiving
// way: designations abbreviated or left out; initials and short forms of given
// names and titles (G., GIOV., F.LLI, S.TA, GEN., DON...); given names and
// titles left out or written after the surname; particles (DE, DEL, DELLA,
// DEI, DI, D') left out; apostrophes and accents; numbers in figures, words
// or Roman numerals. A street is found only when it is the only one of the
// city that fits as well.
class StreetMatcher
{
public:
    struct Street
    {
        QString name;        // as the data write it: "GARIBALDI GIUSEPPE"
        QString designation; // "CORSO"
        QString cap;
        QString note;
    };

    explicit StreetMatcher(std::vector<Street> streets);
    ~StreetMatcher();

    struct Match
    {
        int street = -1;        // the street found, or -1
        QList<int> alternatives; // when several fit as well: some of them
        QList<int> otherDesignations; // none found: streets that fit but for their designation
        HouseNumber houseNumber;       // the house number the address gives
    };
    Match find(const QString &address) const;
    // Up to three streets whose names are closest to the address's.
    QList<int> suggest(const QString &address) const;

    const Street &street(int index) const { return m_streets[index]; }
    // "CORSO GARIBALDI GIUSEPPE"
    QString label(int index) const;

    AddressWords split(const QString &address) const;

private:
    struct Entry
    {
        QString key;
        QString designation;
        QStringList words;
    };
    std::vector<Street> m_streets;
    std::vector<Entry> m_entries;
    QHash<QString, QList<int>> m_byKey;
    QHash<QString, QList<int>> m_byWord;
    QList<QStringList> m_designations; // the words of every designation, longest first
    mutable std::unique_ptr<NameSuggester> m_suggester;
};

} // namespace zelvora

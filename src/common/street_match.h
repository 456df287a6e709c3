#pragma once

#include "common/name_match.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>
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


// One word of a name or an address as compared.
struct StreetWord
{
    QString text;         // upper case without accents, as written: "GIUSEPPE", "G", "XX", "GEN"
    QString key;          // one spelling of its forms: saints S, numbers in figures, short forms
                          // written out ("20", "GENERALE")
    bool initial = false; // written short: followed by a full stop, or a single letter that is no particle
};

// An address as people write it ("Via G. Mazzini, 12"), taken apart: the
// designation when one was written (VIA, PIAZZA...: abbreviations written
// out), the words of the name, without house number, SNC, KM and the parts of
// a building, and the house number.
struct AddressWords
{
    QString designation; // "VIA", "PIAZZALE"; empty when left out
    QList<StreetWord> words;
    HouseNumber houseNumber;
};

// The streets of one city, to find the street an address names the forgiving
// way (see data/README.md, "Name matching"): designations abbreviated, left
// out, written twice or glued; initials and short forms of given names and
// titles; given names and titles left out or written after the surname;
// particles left out; apostrophes and accents; numbers in figures, words or
// Roman numerals; house numbers, ranges and what follows them cut. A street is
// found only when it is the only one of the city that fits as well.
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

    // `cityRow`: the row of the street directory's city table, whose names an
    // address may write before or after the street and whose own
    // designations it may leave out; -1 for none.
    explicit StreetMatcher(std::vector<Street> streets, int cityRow = -1);
    ~StreetMatcher();

    struct Match
    {
        int street = -1;               // the street found, or -1
        QList<int> alternatives;       // when several fit as well: all of them
        QList<int> otherDesignations;  // none found: streets that fit but for their designation
        QString writtenDesignation;    // found under another designation than the one written (VIA
                                       // for the only VIALE of that name): the one written
        HouseNumber houseNumber;       // the house number the address gives
        bool any() const { return street >= 0 || !alternatives.isEmpty(); } // a street, or several
    };
    Match find(const QString &address) const { return find(QString(), address, false); }
    // The same with the designation given apart ("" when none) and the
    // name; `lastWordCut`: the name's last word may be the start of a word,
    // as in a source that cuts long names.
    Match find(const QString &designation, const QString &name, bool lastWordCut) const;
    // Up to three streets whose names are closest to the address's.
    QList<int> suggest(const QString &address) const;

    int count() const { return static_cast<int>(m_streets.size()); }
    const Street &street(int index) const { return m_streets[index]; }
    // "CORSO GARIBALDI GIUSEPPE"
    QString label(int index) const;

    // The address taken apart as it is first tried: at a corner, the first
    // street.
    AddressWords split(const QString &address) const;

    struct Designations
    {
        QStringList all;          // every designation's key, those of most words first
        QSet<QString> whole;      // the same
        QSet<QString> firstWords; // the first word of each
        QSet<QString> own;        // those that streets of the city have
    };

private:
    struct Entry;
    struct Candidate;
    class Readings;
    enum class Pass { Exact, Loose, All };
    // The streets that fit the words: one, or several that fit as well.
    QList<int> steps(const QString &designation, const QList<StreetWord> &words, Pass pass) const;
    QList<int> lookup(int step, const QString &designation, const QString &key) const;
    QList<int> streetsWithWord(const StreetWord &word) const;
    QList<int> looseSteps(const QString &designation, const QList<StreetWord> &words, bool titles) const;
    // The match of the first reading that fits a street.
    Match firstMatch(const QList<Candidate> &list, Pass pass) const;
    Match otherDesignation(const Candidate &candidate) const;
    QStringList nearWords(const QString &key) const;
    Match mistyped(const Candidate &candidate) const;
    Match extraGivenName(const Candidate &candidate) const;
    Match ordinalLeftOut(const Candidate &candidate) const;
    Match placeAfterName(const Candidate &candidate) const;
    void makeSuggester() const;
    // find() of an address in plain text, written at no corner.
    Match findPlain(const QString &designation, const QString &plain, bool lastWordCut) const;
    // The house number an address gives, none when it is the number that
    // ends the name of the street found; `before`: the text before it.
    HouseNumber ownNumber(const Match &m, const HouseNumber &number, QStringView before) const;
    QList<int> nearOfDesignation(const QString &designation, const QList<StreetWord> &words) const;
    // The readings of an address, in the order they are tried: those of
    // the address as written, or `every` one.
    QList<Candidate> candidates(const QString &designation, const QString &plain, bool lastWordCut,
                                bool every) const;
    // The match of an address that starts with a state, provincial or
    // regional road's number (SS 114, STATALE 16 BIS); none for any other.
    std::optional<Match> findRoad(const QString &plain, bool lastWordCut) const;
    Match findCandidates(const QList<Candidate> &list) const;
    void index(int street, QHash<QString, QString> &designationKeys);

    std::vector<Street> m_streets;
    std::vector<Entry> m_entries;
    // The streets of each key of each step of the comparison: the last one
    // with the key, then each the one before it.
    static constexpr int kSteps = 6;
    std::array<QHash<QString, int>, kSteps> m_first;
    std::array<std::vector<int>, kSteps> m_next;
    QHash<QString, QList<int>> m_byWord; // the key of a word written whole
    QStringList m_wordKeys;              // those keys, sorted
    mutable QHash<QString, QList<int>> m_slips; // m_wordKeys by each with a letter left out, and whole
    Designations m_designations;
    QStringList m_cityNames;
    QString m_cadastralCode;
    mutable std::unique_ptr<NameSuggester> m_suggester;
    static constexpr qsizetype kCacheSize = 4096;
    mutable QHash<QString, Match> m_cache; // the match of each address text
};

} // namespace zelvora

#pragma once

#include "common/cities.h"
#include "common/house_evidence.h"
#include "common/street_match.h"
#include "common/name_match.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <vector>

namespace zelvora {

// What the check of one address gives: the outcome, and the facts beside the
// input (the input itself is never changed).
struct Verdict
{
    enum Outcome {
        Ok,
        CapMissing,
        CapWrong,
        CapChanged,
        CapGeneric,
        MunicipalityGone,
        ProvinceWrong,
        ProvinceChanged,
        LocalityUnknown,
        StreetUnknown,
        StreetWithoutCap,
        CapOfStreet,      // one of the street's codes, but no evidence at that house number
        CapUnconfirmed,   // none of the street's codes, and no evidence at that house number
        InvalidRow,
    };
    static constexpr int kOutcomes = InvalidRow + 1;
    // The outcome as the output writes it: "OK", "CAP MANCANTE"...
    static QString text(Outcome outcome);

    Outcome outcome = Ok;
    QString cap;      // the code or codes proposed, separated by spaces
    QString locality; // the locality found
    QString pv;       // its province, or the provinces it is in
    QString note;
    // The street found, when the address was checked against the street
    // directory: the city's row in the city table and the street's record.
    int city = -1;
    int street = -1;
};

// The codes of evidence entries, in code order, each once.
QStringList entryCodes(const QList<HouseEvidenceEntry> &entries);
// The entries that speak for a house number: none without a number, and
// none for Genova's red numbers, which no source tells apart.
QList<HouseEvidenceEntry> evidenceAt(const QList<HouseEvidenceEntry> &entries, const HouseNumber &house);
// Whether a register, or the city's own address database, lists the street.
bool fromRegister(const QList<HouseEvidenceEntry> &entries);
// The evidence nearest a house number, as "00185 al n. 113" (two when as near).
QString nearestEvidence(const QList<HouseEvidenceEntry> &entries, int number);

// The street that an address written in a city of the street directory
// names, with every entry of its evidence.
struct StreetFound
{
    StreetMatcher::Match match; // match.street < 0: no street found
    int record = -1;            // the street's record in the city's street file
    StreetMatcher::Street street;
    QString label;                      // "VIA TIBURTINA"
    QList<HouseEvidenceEntry> evidence; // none for a city without evidence
    int cityRow = -1;                   // the city whose file holds it
};

// Checks addresses against the locality files, the changes and the street
// directory of a data folder. Everything is read into memory once, indexed by
// the names' keys (see nameKey()), so that a check reads no file; the streets
// of a city are read the first time an address of that city needs them.
class AddressCheck
{
public:
    // Throws Error when the locality files are missing; a missing changes
    // file only leaves a warning.
    explicit AddressCheck(const QString &dataFolder);
    ~AddressCheck();

    const QStringList &warnings() const { return m_warnings; }

    Verdict check(const QString &locality, const QString &pv, const QString &cap, const QString &address);

    // Up to three localities close to a name that is not in the data, as
    // "NAME (PV)", those of the province `pv` first among equally close ones.
    QStringList suggestLocalities(const QString &name, const QString &pv = {}) const;
    // Up to three streets of a city of the street directory close to a name.
    QStringList suggestStreets(int cityRow, const QString &name);
    // The street of city `cityRow` that `address` names, as the check finds it.
    // A street of a municipality with a file for each of its parts
    // (Venezia: the historic centre and islands, and the mainland) that is
    // not in the part's file is looked for in the others', as a register
    // writes VENEZIA for an address in Mestre.
    StreetFound findStreet(int cityRow, const QString &address);
    // The same, or when several streets fit as well, each of them; none
    // when no street fits.
    QList<StreetFound> findStreets(int cityRow, const QString &address);

private:
    struct Locality
    {
        QString name;
        QString pv;
        QStringList codes;
        QString key; // nameKey() of the name
    };
    // A change of variazioni.dat (see ChangeRecord) under the key of the
    // locality it is about.
    struct Change
    {
        QString pv;
        QString oldCap;
        QString newCap;
        QString newLocality;
        QString newPv;
        QString year;
    };
    // The index under which a municipality's frazioni with codes of their
    // own are kept, beside the kinds of variazioni.dat.
    static constexpr char kFrazioniOf = 'z';
    void loadChanges(const QString &path);
    const QList<Change> &changesOf(char kind, const QString &key) const;
    // The change of `kind` under `key` in province `pv` from code `cap`, or none.
    const Change *changeOfCode(char kind, const QString &key, const QString &pv, const QString &cap) const;
    QList<int> rowsNamed(const QString &key, const QString &pv) const;
    // A row of each locality whose name a name with words cut short fits, in
    // province `pv` (any when empty).
    QList<int> shortenedNames(const QString &locality, const QString &pv) const;
    QList<int> inProvince(const QList<int> &localities, const QString &pv) const;
    QString provinceOfCode(const QList<int> &rows, const QString &cap) const;
    QStringList codesOf(const QList<int> &localities) const;
    QStringList provincesOf(const QList<int> &localities) const; // each once, sorted
    const StreetMatcher *streetsOf(int cityRow);
    StreetFound streetFound(int cityRow, const StreetMatcher::Match &match, int street) const;
    // `fitting`: the localities a name cut short fits, suggested instead.
    Verdict unknownLocality(const QString &locality, const QString &key, const QString &pv,
                            const QList<int> &fitting) const;
    Verdict wrongProvince(const QList<int> &found, const QString &pv, const QString &pvText, const QString &cap) const;
    bool checkStreetOf(Verdict &v, const QString &key, const QString &cap, const QString &address);
    void checkCode(Verdict &v, const QList<int> &matches, const QString &cap) const;
    void checkCodes(Verdict &v, const QList<int> &matches, const QList<int> &rows, const QString &key,
                    const QString &cap) const;
    bool checkOtherCode(Verdict &v, const QString &key, const QStringList &codes, const QString &cap) const;

    QString m_dataFolder;
    QStringList m_warnings;
    std::vector<Locality> m_localities;
    QHash<QString, QList<int>> m_byKey;
    mutable std::unique_ptr<NameSuggester> m_suggester; // made when first needed
    std::vector<QStringList> m_words;                    // the words of each locality's name, until then
    mutable QHash<QString, QList<int>> m_rowsByWord; // a word of a name -> its rows, made for the first name cut short
    QHash<QString, QString> m_provinceByName; // key of a province's name -> abbreviation
    QHash<QString, QList<Change>> m_changes; // the kind, then the locality's key
    QHash<QString, int> m_cityByKey;             // locality key -> row of the street directory
    std::array<std::unique_ptr<StreetMatcher>, cityTable.size()> m_cities;
    std::array<std::vector<int>, cityTable.size()> m_records; // the record of each street of a city's matcher
    std::array<bool, cityTable.size()> m_cityRead{};
    // Each city's house-number evidence; none for a city without its file.
    std::array<std::unique_ptr<HouseEvidence>, cityTable.size()> m_evidence;
};

} // namespace zelvora

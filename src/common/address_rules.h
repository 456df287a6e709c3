#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>

// How Italian addresses are written: the one definition of the words that
// the street matcher, the import of the street directory (through the data
// compiler) and the list check read. Every word is upper case without accents.
namespace zelvora::addressrules {

// Articles and prepositions (DI, DEL, DELLA, D', LA, AL...), which addresses
// write or leave out at will: "VIA TRIBUNALI" for VIA DEI TRIBUNALI.
bool isParticle(QStringView word);

// Titles that addresses write or leave out at will (GENERALE, DON, PROF...,
// whole or short): "VIA GEN. CANTORE" for VIA ANTONIO CANTORE. MAGGIORE,
// COLONNELLO and the like are ranks only before a name (`first`: the word
// opens the name, another follows): "MAGGIORE BARACCA", but "SANTA MARIA
// MAGGIORE", "COL DI LANA".
bool isTitle(QStringView word, bool first = false);

// The whole word a short form stands for (GEN -> GENERALE, GIOV ->
// GIOVANNI, FLLI -> FRATELLI), or an empty view. `dotted`: the short form was
// written with its full stop, which some need (COL. is COLONNELLO, COL is a
// mountain pass; CAP. a captain, CAP a postal code).
QStringView wholeWord(QStringView shortForm, bool dotted);

// Whether `shortForm` is one of the ways of writing `word` short (SGT,
// SERGENTE), however written.
bool isShortFormOf(QStringView shortForm, QStringView word);

// A name longer than `limit` shortened to fit it, as the import writes the
// archive's long names into the street file: a bracketed part dropped; titles
// and common words written short (GENERALE GEN., SANTA S.) until it fits; then
// up to two words from the last one back written as their initial; else whole
// words dropped from the end.
QString shortenedName(QString name, qsizetype limit);

// One spelling of a given name's forms: Italian, short and foreign (GIAN,
// GIOVAN, JOHN and JEAN are GIOVANNI; KARL and CHARLES CARLO), or an empty
// view for a word that is no such name.
QStringView givenNameKey(QStringView word);

// Words that set a street apart from its namesake (PORTA, MONTE, NUOVA,
// SAN, SECONDO...): never taken for given names that an address leaves out,
// so "VIA MONTALTO" is not PIAZZA PORTA MONTALTO.
bool setsApart(QStringView word);

// Words that tell a road's kind after its designation (STRADA COMUNALE,
// STRADA VICINALE), which the archive may leave out.
bool isRoadKind(QStringView word);

// Whether a word is a given name that an address may write where the
// archive writes none (VIALE CARLO MARX for VIALE MARX): a common one, or
// a form of one of givenNameKey()'s.
bool isGivenName(QStringView word);

// Words after which the rest of an address is no longer its street: no
// number (SNC, NC), a kilometre (KM), a hamlet (LOC, FRAZ), a corner (ANGOLO),
// "in care of" (PRESSO, C/O), where a shop stands (FRONTE, LATO, IMPIANTO,
// INGRESSO, STAZ., SVINC., FC for "fronte civico"). Only after a word of the
// name proper.
bool endsStreet(QStringView word);
// Words that end the street when a number follows them: the house number
// (N, NR, CIV), the parts of a building (SC, INT, ED, PAL, IS, LOTTO).
bool endsStreetBeforeNumber(QStringView word);
// The parts of a building that an address writes with their own number
// after the house number (INT, SC, SCALA, PAL, LOTTO, ED, APP): a number
// after one of them is no house number.
bool isBuildingPart(QStringView word);
// Words after which the number before them is the house number: the parts
// of a building, a floor (PIANO, P.), a corner (ANG, ANGOLO, AD ANGOLO), in
// care of, a place, where a shop stands; never a kilometre.
bool endsHouseNumber(QStringView word);

// The designation (VIA, PIAZZA...) that the letters at the start of a
// written address stand for, as `letters` (the letters of its first word, or
// of its first two when a full stop or slash parts them: V.LE, P.ZZA, C/SO),
// whether a full stop or slash followed them and whether a number follows
// (SS 16 is a STRADA STATALE, SS. APOSTOLI two saints); empty when none.
enum class DesignationNeeds { Nothing, Mark, Number };
QStringView designationShortForm(QStringView letters, bool marked, bool numberFollows);

// The designations that addresses write whatever the city (VIA, PIAZZA,
// VICO...): those of the families below and those written short.
QList<QStringView> commonDesignations();

// Whether an address that writes one designation may mean the only street of
// that name written with another: ways (VIA, VIALE, CORSO, STRADA...),
// squares (PIAZZA, PIAZZETTA...) and lanes (VIA, VICO, CUPA, TRAVERSA...);
// LARGO and PIAZZALE are ways and squares. A PIAZZA is no VIA.
// A street the archive writes without designation (ASSENTE) is of every family.
bool sameFamily(QStringView written, QStringView designation);

// Designations of a city's own that addresses write as another or leave
// out: Venezia's historic centre is addressed by sestiere and house number
// ("Via SAN MARCO, 1092" for the SESTIERE SAN MARCO).
bool isLocalDesignation(QStringView cadastralCode, QStringView designation);

// Every name a city is written with: its display name and its other names,
// upper case.
QStringList cityNames(int row);

// Written forms of a street name that hold a number in words, as people
// type them (the archive writes VENTI SETTEMBRE, people XX SETTEMBRE or 20
// SETTEMBRE; VITTORIO EMANUELE SECONDO, VITTORIO EMANUELE II): a number
// before a month is a date, written in Roman numerals and in figures; an
// ordinal after a name is a king's or a pope's, in Roman numerals. Empty when
// the name holds no such number.
QStringList writtenForms(const QString &name);

// The names under which a street named with a number in words is found too,
// as people write it: each written form with the archive's name in brackets,
// "XX SETTEMBRE (VENTI SETTEMBRE)", or with the number's words alone when
// that does not fit `capacity`, "PAPA GIOVANNI XXIII (VENTITREESIMO)"; none
// for a name without such a number.
QStringList aliasNames(const QString &name, qsizetype capacity);

} // namespace zelvora::addressrules

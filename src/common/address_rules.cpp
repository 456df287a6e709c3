#include "address_rules.h"

#include "common/name_match.h"
#include "common/cities.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

namespace zelvora::addressrules {

namespace {

// A table's words as a set, for the lookups made for every word compared.
template <typename Table>
QSet<QStringView> setOf(const Table &table)
{
    QSet<QStringView> set;
    for (const QStringView word : table)
        set.insert(word);
    return set;
}

// Articles and prepositions, simple and joined with the article.
constexpr std::array<QStringView, 48> kParticles{
    u"DI",   u"DA",    u"DE",     u"DEL",    u"DELLO", u"DELLA", u"DELL", u"DEI",   u"DEGLI", u"DELLE",
    u"D",    u"E",     u"ED",     u"IL",     u"LO",    u"LA",    u"L",    u"I",     u"GLI",   u"LE",
    u"AL",   u"ALLO",  u"ALLA",   u"ALL",    u"AI",    u"AGLI",  u"ALLE", u"IN",    u"A",     u"SUL",
    u"SULLA", u"SULLE", u"SUI",   u"DAL",    u"DALLA", u"DAGLI", u"DAI",  u"DALLE", u"NEL",   u"NELLA",
    u"NELLE", u"NEI",  u"NEGLI",  u"PER",    u"TRA",   u"FRA",   u"DALL", u"NELL"};

// Titles and their short forms, which may be written or left out anywhere.
constexpr std::array<QStringView, 64> kTitles{
    u"GEN",      u"GENERALE", u"MONS",       u"MONSIG",     u"MONSIGNOR", u"MONSIGNORE", u"DON",
    u"PROF",     u"PROFESSOR", u"PROFESSORE", u"PROFESSORESSA", u"DOTT", u"DOTTOR",     u"DOTTORE",
    u"DOTTSSA",  u"DR",       u"AVV",        u"AVVOCATO",   u"ON",        u"ONOREVOLE",  u"ING",
    u"INGEGNERE", u"CAV",     u"CAVALIERE",  u"COMM",       u"COMMENDATORE", u"TEN",    u"SERG",
    u"SERGENTE", u"MAR",      u"MARESCIALLO", u"AMM",       u"AMMIRAGLIO", u"CARD",     u"CARDINALE",
    u"SEN",      u"SENATORE", u"PAPA",       u"PADRE",      u"FRA",       u"SUOR",       u"SAC",
    u"SACERDOTE", u"ARCH",    u"ARCHITETTO", u"GEOM",       u"RAG",       u"MAESTRO",    u"BEATO",
    u"BEATA",    u"CONTE",    u"CONTESSA",   u"MARCHESE",   u"MARCHESA",  u"DUCA",       u"DUCHESSA",
    u"PRINCIPE", u"PRINCIPESSA", u"BARONE",  u"PRESIDENTE", u"PRES",      u"BRIGADIERE", u"CAPORALE",
    u"VESCOVO"};

// Ranks that are also common words of names (SANTA MARIA MAGGIORE holds 52 of
// the archive's 62 MAGGIORE): titles only where they open a name.
constexpr std::array<QStringView, 8> kRanks{u"MAGGIORE", u"COLONNELLO", u"CAPITANO", u"TENENTE",
                                            u"SOTTOTENENTE", u"CAPO", u"COL", u"CAP"};

// Words written short: how addresses write them (read: GEN. is GENERALE;
// some only with their full stop, as COL. is COLONNELLO and COL a mountain
// pass) and how the import shortens a name too long for the street file
// (shorten: GENERALE to GEN., in this order, until the name fits).
constexpr int kRead = 1;
constexpr int kShorten = 2;
constexpr int kNeedsDot = 4;
struct Abbreviation
{
    QStringView word;
    QStringView written;
    int use;
};
constexpr std::array<Abbreviation, 54> kAbbreviations{{
    {u"GIOVANNI BATTISTA", u"G.B.", kShorten},    {u"FRATELLI", u"F.LLI", kShorten | kRead},
    {u"FRATELLI", u"FR.LLI", kRead},             {u"SANTISSIMO", u"SS.", kShorten},
    {u"SANTISSIMA", u"SS.", kShorten},           {u"MONSIGNOR", u"MONS.", kShorten},
    {u"MONSIGNORE", u"MONS.", kShorten | kRead}, {u"MONSIGNORE", u"MONSIG.", kRead},
    {u"GENERALE", u"GEN.", kShorten | kRead},    {u"PROFESSORE", u"PROF.", kShorten | kRead},
    {u"PROFESSOR", u"PROF.", kShorten},          {u"DOTTORE", u"DOTT.", kShorten | kRead},
    {u"DOTTOR", u"DOTT.", kShorten},             {u"DOTTORE", u"DOT.", kRead | kNeedsDot},
    {u"DOTTORE", u"DR.", kRead},                 {u"AVVOCATO", u"AVV.", kShorten | kRead},
    {u"INGEGNERE", u"ING.", kShorten | kRead},   {u"ONOREVOLE", u"ON.", kShorten | kRead | kNeedsDot},
    {u"CAVALIERE", u"CAV.", kShorten | kRead},   {u"COMMENDATORE", u"COMM.", kShorten | kRead},
    {u"CAPITANO", u"CAP.", kShorten | kRead | kNeedsDot}, {u"COLONNELLO", u"COL.", kShorten | kRead | kNeedsDot},
    {u"TENENTE", u"TEN.", kShorten | kRead},     {u"SOTTOTENENTE", u"S.TEN.", kShorten},
    {u"SERGENTE", u"SERG.", kShorten | kRead},   {u"SERGENTE", u"SGT.", kRead},
    {u"MARESCIALLO", u"MAR.", kShorten | kRead | kNeedsDot}, {u"AMMIRAGLIO", u"AMM.", kShorten | kRead},
    {u"ARCIVESCOVO", u"ARCIV.", kShorten},       {u"VESCOVO", u"VESC.", kShorten},
    {u"CARDINALE", u"CARD.", kShorten | kRead},  {u"PRESIDENTE", u"PRES.", kShorten | kRead},
    {u"SENATORE", u"SEN.", kShorten | kRead | kNeedsDot}, {u"MEDAGLIA D'ORO", u"M.O.", kShorten},
    {u"BRIGADIERE", u"BRIG.", kShorten | kRead}, {u"APPUNTATO", u"APP.", kShorten},
    {u"CARABINIERE", u"CARAB.", kShorten},       {u"MAGGIORE", u"MAGG.", kShorten | kRead},
    {u"AGENTE", u"AG.", kShorten},               {u"SANTA", u"S.", kShorten},
    {u"SANTO", u"S.", kShorten},                 {u"SAN", u"S.", kShorten},
    {u"GIOVANNI", u"GIOV.", kRead},              {u"GIUSEPPE", u"GIUS.", kRead},
    {u"ARCHITETTO", u"ARCH.", kRead},            {u"FRATELLI", u"FLLI", kRead},
    {u"FRATELLI", u"FRLLI", kRead},              {u"SACERDOTE", u"SAC.", kRead | kNeedsDot},
    {u"GEOMETRA", u"GEOM.", kRead},              {u"RAGIONIERE", u"RAG.", kRead | kNeedsDot},
    {u"PROFESSORESSA", u"PROF.SSA", kRead},      {u"DOTTORESSA", u"DOTT.SSA", kRead},
    {u"DESTRO", u"DX", kRead},                   {u"SINISTRO", u"SX", kRead},
}};

// What a short form is read as, by its letters without full stops.
struct ReadAs
{
    QStringView word;
    bool needsDot;
};
const ReadAs *readAs(QStringView shortForm)
{
    static const QHash<QString, ReadAs> forms = [] {
        QHash<QString, ReadAs> table;
        for (const Abbreviation &a : kAbbreviations) {
            QString letters = a.written.toString();
            letters.remove(u'.');
            if ((a.use & kRead) && !letters.contains(u' ') && !table.contains(letters))
                table.insert(letters, {a.word, (a.use & kNeedsDot) != 0});
        }
        return table;
    }();
    // No short form is longer.
    if (shortForm.size() > 8)
        return nullptr;
    const auto found = forms.constFind(shortForm.toString());
    return found == forms.constEnd() ? nullptr : &*found;
}

constexpr std::array<QStringView, 62> kSetApart{
    u"PORTA",   u"MONTE",    u"MONTI",   u"PONTE",    u"BORGO",     u"VILLA",    u"TORRE",  u"CASTEL",
    u"CASTELLO", u"NUOVA",   u"NUOVO",   u"VECCHIA",  u"VECCHIO",   u"TRONCO",   u"TRAVERSA", u"VICINALE",
    u"COMUNALE", u"PRIVATA", u"DETTO",   u"DETTA",    u"INFERIORE", u"SUPERIORE", u"ALTA",  u"ALTO",
    u"BASSA",   u"BASSO",    u"FONDO",   u"CAMPO",    u"COLLE",     u"VALLE",    u"PIANO",  u"LARGO",
    u"CALATA",  u"SALITA",   u"CUPA",    u"VICO",     u"VIA",       u"PIAZZA",   u"STRADA", u"CORTE",
    u"FONTANA", u"PARCO",    u"LAGO",    u"CANALE",   u"FIUME",     u"ISOLA",    u"MOLO",   u"CA",
    u"S",       u"SAN",      u"SANTA",   u"SANTO",    u"SANT",      u"SANTI",    u"PRIMO",  u"PRIMA",
    u"SECONDO", u"SECONDA",  u"TERZO",   u"TERZA",    u"QUARTO",    u"QUARTA"};

// The last ones as shops and fuel stations write where they stand ("VIA
// ROMA IMPIANTO Q8", "VIA TIBURTINA FRONTE CIVICO 12").
constexpr std::array<QStringView, 30> kEndStreet{
    u"SNC",     u"SN",       u"NC",     u"FC",    u"FNC",      u"DAV",        u"DAVANTI",
    u"KM",      u"LOC",      u"LOCALITA", u"FRAZ", u"FRAZIONE",
    u"ANGOLO",  u"ANG",      u"PRESSO", u"ADIACENTE", u"CHILOMETRO", u"FRONTE", u"LATO",
    u"OPP",     u"IMPIANTO", u"IMP",    u"DISTRIBUTORE", u"DISTR", u"DISTRIB", u"INGRESSO", u"INGR",
    u"STAZ",    u"SVINC",    u"SVINCOLO"};
constexpr std::array<QStringView, 5> kHouseNumberWords{u"N", u"NR", u"NUM", u"CIV", u"CIVICO"};
// The parts of a building, each with its own number or letter ("113 INT. 2",
// "12 SC. B", "7 PAL. C").
constexpr std::array<QStringView, 14> kBuildingParts{u"INT",   u"INTERNO", u"SC",  u"SCALA",       u"ED",
                                                     u"EDIFICIO", u"PAL", u"PALAZZINA", u"IS", u"ISOLATO",
                                                     u"LOTTO", u"LOTTI", u"APP", u"APPARTAMENTO"};
// Words that follow a house number and show it complete, besides the parts
// of a building: a floor or a tower (which a name may also hold, so never
// read before a number), a corner (AD ANGOLO, ALL'ANGOLO), a place, where
// a shop stands.
constexpr std::array<QStringView, 9> kAfterHouseNumber{u"PIANO", u"P",    u"TORRE", u"AD",  u"ALL",
                                                       u"STAZ",  u"STAZIONE", u"CAP", u"SCALE"};

struct DesignationShortForm
{
    QStringView letters;
    QStringView designation;
    DesignationNeeds needs;
};
constexpr auto kAlone = DesignationNeeds::Nothing;
constexpr auto kMark = DesignationNeeds::Mark;
constexpr auto kNumber = DesignationNeeds::Number;
constexpr std::array<DesignationShortForm, 44> kDesignations{{
    {u"V", u"VIA", kAlone},           {u"VLE", u"VIALE", kAlone},        {u"VL", u"VIALE", kMark},
    {u"PZZA", u"PIAZZA", kAlone},     {u"PZA", u"PIAZZA", kAlone},       {u"PZ", u"PIAZZA", kMark},
    {u"PLE", u"PIAZZALE", kAlone},    {u"PZLE", u"PIAZZALE", kAlone},    {u"PZZLE", u"PIAZZALE", kAlone},
    {u"PZALE", u"PIAZZALE", kAlone},  {u"PZZALE", u"PIAZZALE", kAlone},  {u"PIAZZLE", u"PIAZZALE", kAlone},
    {u"PTTA", u"PIAZZETTA", kAlone},  {u"PZZETTA", u"PIAZZETTA", kAlone}, {u"CSO", u"CORSO", kAlone},
    {u"LGO", u"LARGO", kAlone},       {u"VLO", u"VICOLO", kAlone},       {u"VIC", u"VICOLO", kMark},
    {u"VCO", u"VICO", kAlone},        {u"SDA", u"STRADA", kAlone},       {u"STR", u"STRADA", kAlone},
    {u"CNE", u"CIRCONVALLAZIONE", kAlone}, {u"CIRCNE", u"CIRCONVALLAZIONE", kAlone},
    {u"CIRC", u"CIRCONVALLAZIONE", kMark}, {u"CIRCONV", u"CIRCONVALLAZIONE", kMark},
    {u"LTEVERE", u"LUNGOTEVERE", kAlone}, {u"LGT", u"LUNGOTEVERE", kAlone}, {u"LUNGOTEV", u"LUNGOTEVERE", kMark},
    {u"LMARE", u"LUNGOMARE", kAlone}, {u"CDA", u"CONTRADA", kAlone},     {u"TRAV", u"TRAVERSA", kAlone},
    {u"SAL", u"SALITA", kMark},       {u"BGO", u"BORGO", kAlone},        {u"FTA", u"FONDAMENTA", kAlone},
    {u"GALL", u"GALLERIA", kMark},    {u"LOC", u"LOCALITA'", kMark},     {u"SS", u"STRADA STATALE", kNumber},
    {u"SP", u"STRADA PROVINCIALE", kNumber}, {u"SR", u"STRADA REGIONALE", kNumber},
    {u"RAMP", u"RAMPA", kMark},       {u"CALL", u"CALLE", kMark},       {u"CO", u"CORSO", kMark},
    {u"ST", u"STRADA", kMark},        {u"CIRCONVALLAZ", u"CIRCONVALLAZIONE", kAlone},
}};

// Designations that an address writes for one another: ways (VIA for the
// only VIALE of that name), squares (PIAZZA for a PIAZZALE) and lanes (VIA
// for a VICO, a CUPA, a TRAVERSA, as Napoli writes them); LARGO and PIAZZALE
// are ways and squares, VIA is a way and a lane. A PIAZZA is no VIA. A
// designation of several words is of the family of its first (VIA COMUNALE,
// STRADA VICINALE, TRAVERSA PRIVATA).
struct Family
{
    QStringView designation;
    int families;
};
constexpr int kWay = 1;
constexpr int kSquare = 2;
constexpr int kLane = 4;
constexpr std::array<Family, 29> kFamilies{{
    {u"VIA", kWay | kLane},    {u"VIALE", kWay},          {u"VIALETTO", kWay},      {u"CORSO", kWay},
    {u"STRADA", kWay},         {u"STRADONE", kWay},       {u"GRANVIALE", kWay},     {u"LARGO", kWay | kSquare},
    {u"PIAZZALE", kWay | kSquare}, {u"PIAZZA", kSquare},  {u"PIAZZETTA", kSquare},  {u"LARGHETTO", kSquare},
    {u"SLARGO", kSquare},      {u"PIAZZALETTO", kSquare}, {u"PIAZZOLA", kSquare},   {u"VICO", kLane},
    {u"VICOLO", kLane},        {u"VICOLETTO", kLane},     {u"CUPA", kLane},         {u"RAMPA", kLane},
    {u"CALATA", kLane},        {u"DISCESA", kLane},       {u"SALITA", kLane},       {u"TRAVERSA", kLane},
    {u"CONTRADA", kLane},      {u"STRADELLA", kLane | kWay}, {u"VIUZZO", kLane},
    {u"CIRCONVALLAZIONE", kWay}, {u"VIADOTTO", kWay},
}};

struct LocalDesignation
{
    QStringView cadastralCode;
    QStringView designation;
};
constexpr std::array<LocalDesignation, 1> kLocalDesignations{{{u"L736", u"SESTIERE"}}};


// Given names in their Italian, short and foreign forms, one group a line:
// the registers write CARLO MARX and ABRAMO LINCOLN, the archive KARL MARX
// and ABRAHAM LINCOLN. The first of each group is the key of all.
constexpr std::array<std::array<QStringView, 7>, 59> kGivenNames{{
    {u"GIOVANNI", u"GIOVAN", u"GIAN", u"JOHN", u"JOHANN", u"JEAN", u"JUAN"},
    {u"PIETRO", u"PIERRE", u"PETER", u"PIOTR"},
    {u"PIERO", u"PIER"},
    {u"MARCO", u"MARC"},
    {u"LUDOVICO", u"LODOVICO"},
    {u"LUIGI", u"LOUIS", u"LUDWIG"},
    {u"CARLO", u"KARL", u"CHARLES", u"CARL"},
    {u"GIULIO", u"JULES", u"JULIUS"},
    {u"ROBERTO", u"ROBERT"},
    {u"ALESSANDRO", u"ALEXANDER", u"ALEXANDRE"},
    {u"ABRAMO", u"ABRAHAM"},
    {u"MASSIMO", u"MAKSIM", u"MAXIM"},
    {u"GUGLIELMO", u"WILLIAM", u"WILHELM", u"GUILLAUME"},
    {u"EDGARDO", u"EDGARD", u"EDGAR"},
    {u"GIORGIO", u"GEORGE", u"GEORG", u"GEORGES"},
    {u"GIUSEPPE", u"JOSEPH", u"JOSEF", u"JOZEF", u"JOSE"},
    {u"FEDERICO", u"FRIEDRICH", u"FREDERICK", u"FREDERIC"},
    {u"ENRICO", u"HENRI", u"HEINRICH", u"HENRY"},
    {u"ANTONIO", u"ANTON", u"ANTOINE", u"ANTHONY"},
    {u"FRANCESCO", u"FRANZ", u"FRANCOIS", u"FRANCIS"},
    {u"MICHELE", u"MICHEL", u"MICHAEL"},
    {u"TOMMASO", u"THOMAS"},
    {u"VITTORIO", u"VICTOR"},
    {u"ALBERTO", u"ALBERT"},
    {u"NICOLA", u"NICOLAS", u"NIKOLAJ"},
    {u"NICCOLO", u"NICOLO"},
    {u"GIROLAMO", u"GEROLAMO"},
    {u"IURI", u"YURI", u"JURIJ"},
    {u"PAOLO", u"PAUL", u"PABLO"},
    {u"EMANUELE", u"EMMANUEL", u"IMMANUEL"},
    {u"GIACOMO", u"JAMES", u"JACQUES", u"JAKOB"},
    {u"ANDREA", u"ANDRE", u"ANDREW", u"ANDREAS"},
    {u"MARIA", u"MARIE"},
    {u"RENATO", u"RENE"},
    {u"GUSTAVO", u"GUSTAVE", u"GUSTAV"},
    {u"STEFANO", u"STEPHEN", u"STEFAN", u"STEPHAN"},
    {u"RAFFAELE", u"RAFFAELLO", u"RAPHAEL"},
    {u"ARTURO", u"ARTHUR"},
    {u"ERNESTO", u"ERNEST"},
    {u"EDOARDO", u"EDWARD", u"EDOUARD"},
    {u"RODOLFO", u"RUDOLF"},
    {u"RICCARDO", u"RICHARD"},
    {u"ALFREDO", u"ALFRED"},
    {u"AUGUSTO", u"AUGUSTE"},
    {u"CRISTOFORO", u"CHRISTOPHER"},
    {u"FERDINANDO", u"FERDINAND"},
    {u"MATTEO", u"MATTHEW"},
    {u"SERGIO", u"SERGEJ"},
    {u"TEODORO", u"THEODOR", u"THEODORE"},
    {u"OTTONE", u"OTTO"},
    {u"GABRIELE", u"GABRIEL"},
    {u"DANIELE", u"DANIEL"},
    {u"DAVIDE", u"DAVID"},
    {u"SIMONE", u"SIMON"},
    {u"EUGENIO", u"EUGENE"},
    {u"ADOLFO", u"ADOLF", u"ADOLPHE"},
    {u"CORRADO", u"KONRAD", u"CONRAD"},
    {u"OSCAR", u"OSKAR"},
    {u"ELISABETTA", u"ELIZABETH", u"ELISABETH"},
}};

// Italian given names common in street names: an address may write one
// that the archive leaves out (VIALE CARLO MARX for VIALE MARX).
constexpr std::array<QStringView, 157> kCommonGivenNames{
    u"ACHILLE", u"ADOLFO", u"ADRIANO", u"AGOSTINO", u"ALBERTO", u"ALDO", u"ALESSANDRO", u"ALFONSO", u"ALFREDO",
    u"AMEDEO", u"ANDREA", u"ANGELO", u"ANNA", u"ANNIBALE", u"ANTONINO", u"ANTONIO", u"ARCANGELO", u"ARMANDO",
    u"ARNALDO", u"ARTURO", u"ATTILIO", u"AUGUSTO", u"AURELIO", u"BARTOLOMEO", u"BENEDETTO", u"BERNARDINO",
    u"BERNARDO", u"BIAGIO", u"BRUNO", u"CAIO", u"CAMILLO", u"CARLO", u"CARMELO", u"CESARE", u"CIRO", u"CLAUDIO",
    u"CORRADO", u"COSTANTINO", u"CRISTOFORO", u"DANIELE", u"DANTE", u"DARIO", u"DAVIDE", u"DIEGO", u"DINO",
    u"DOMENICO", u"EDOARDO", u"EGIDIO", u"ELIO", u"EMANUELE", u"EMILIO", u"ENRICO", u"ENZO", u"ERCOLE", u"ERNESTO",
    u"ETTORE", u"EUGENIO", u"FABIO", u"FAUSTO", u"FEDERICO", u"FELICE", u"FERDINANDO", u"FERRUCCIO", u"FILIPPO",
    u"FLAVIO", u"FRANCESCO", u"FRANCO", u"GABRIELE", u"GAETANO", u"GASPARE", u"GENNARO", u"GEROLAMO", u"GIACINTO",
    u"GIACOMO", u"GIAN", u"GIANFRANCO", u"GIANNI", u"GINO", u"GIOACCHINO", u"GIORDANO", u"GIORGIO", u"GIOVAN",
    u"GIOVANNI", u"GIROLAMO", u"GIULIO", u"GIUSEPPE", u"GOFFREDO", u"GUGLIELMO", u"GUIDO", u"GUSTAVO", u"IACOPO",
    u"IGNAZIO", u"IPPOLITO", u"ITALO", u"JACOPO", u"LAZZARO", u"LEONARDO", u"LEONE", u"LEOPOLDO", u"LODOVICO",
    u"LORENZO", u"LUCA", u"LUCIANO", u"LUCIO", u"LUDOVICO", u"LUIGI", u"LUISA", u"MARCELLO", u"MARCO", u"MARIA",
    u"MARIO", u"MASSIMO", u"MATTEO", u"MAURIZIO", u"MAURO", u"MICHELANGELO", u"MICHELE", u"NICCOLO", u"NICOLA",
    u"NICOLO", u"NINO", u"ORAZIO", u"ORESTE", u"OTTAVIO", u"PAOLO", u"PASQUALE", u"PIER", u"PIERO", u"PIETRO",
    u"PLACIDO", u"RAFFAELE", u"RAFFAELLO", u"RENATO", u"RICCARDO", u"ROBERTO", u"ROCCO", u"RODOLFO", u"ROMOLO",
    u"RUGGERO", u"SALVATORE", u"SANDRO", u"SAVERIO", u"SCIPIONE", u"SEBASTIANO", u"SERGIO", u"SILVIO", u"SIMONE",
    u"STEFANO", u"TERESA", u"TITO", u"TOMMASO", u"TULLIO", u"UGO", u"UMBERTO", u"VINCENZO", u"VITO", u"VITTORIO"};

} // namespace

QStringView givenNameKey(QStringView word)
{
    static const QHash<QStringView, QStringView> keys = [] {
        QHash<QStringView, QStringView> table;
        for (const auto &group : kGivenNames)
            for (const QStringView name : group)
                if (!name.isEmpty() && name != group.front())
                    table.insert(name, group.front());
        return table;
    }();
    return keys.value(word);
}

bool isParticle(QStringView word)
{
    static const QSet<QStringView> set = setOf(kParticles);
    return set.contains(word);
}

bool isTitle(QStringView word, bool first)
{
    static const QSet<QStringView> titles = setOf(kTitles);
    static const QSet<QStringView> ranks = setOf(kRanks);
    return titles.contains(word) || (first && ranks.contains(word));
}

QStringView wholeWord(QStringView shortForm, bool dotted)
{
    const ReadAs *found = readAs(shortForm);
    return found && (dotted || !found->needsDot) ? found->word : QStringView();
}

bool isShortFormOf(QStringView shortForm, QStringView word)
{
    const ReadAs *found = readAs(shortForm);
    return found && found->word == word;
}

QString shortenedName(QString name, qsizetype limit)
{
    if (name.size() <= limit)
        return name;
    static const QRegularExpression bracketed(QStringLiteral("\\s*\\([^)]*\\)\\s*"));
    name = name.replace(bracketed, QStringLiteral(" ")).simplified();
    for (const Abbreviation &a : kAbbreviations) {
        if (name.size() <= limit)
            break;
        if (a.use & kShorten)
            name.replace(QRegularExpression(QStringLiteral("\\b%1\\b").arg(QRegularExpression::escape(a.word.toString()))),
                         a.written.toString());
    }
    // Up to two words from the last one back (never the first) to their
    // initial; if that is not enough, whole words off the end instead.
    QStringList words = name.split(u' ');
    int initials = 0;
    for (qsizetype i = words.size() - 1; words.join(u' ').size() > limit && i > 0 && initials < 2; --i) {
        const QString &w = words.at(i);
        if (w.size() > 2 && !isParticle(w) && !w.endsWith(u'.') && w.at(0).isLetter()) {
            words[i] = w.left(1) + u'.';
            ++initials;
        }
    }
    if (words.join(u' ').size() <= limit)
        return words.join(u' ');
    while (name.size() > limit)
        name = name.contains(u' ') ? name.left(name.lastIndexOf(u' ')) : name.left(limit);
    return name;
}

bool setsApart(QStringView word)
{
    static const QSet<QStringView> set = setOf(kSetApart);
    return set.contains(word);
}

bool isRoadKind(QStringView word)
{
    static const QSet<QStringView> set{u"COMUNALE", u"VICINALE", u"PROVINCIALE", u"CONSORTILE", u"INTERPODERALE"};
    return set.contains(word);
}

bool isGivenName(QStringView word)
{
    static const QSet<QStringView> set = setOf(kCommonGivenNames);
    return set.contains(word) || !givenNameKey(word).isEmpty();
}

bool endsStreet(QStringView word)
{
    static const QSet<QStringView> set = setOf(kEndStreet);
    return set.contains(word);
}

bool endsStreetBeforeNumber(QStringView word)
{
    static const QSet<QStringView> set = setOf(kHouseNumberWords) + setOf(kBuildingParts);
    return set.contains(word);
}

bool isBuildingPart(QStringView word)
{
    static const QSet<QStringView> set = setOf(kBuildingParts);
    return set.contains(word);
}

bool endsHouseNumber(QStringView word)
{
    static const QSet<QStringView> set = setOf(kAfterHouseNumber);
    return set.contains(word) || isBuildingPart(word) || (endsStreet(word) && word != u"KM" && word != u"CHILOMETRO");
}

QStringView designationShortForm(QStringView letters, bool marked, bool numberFollows)
{
    for (const DesignationShortForm &d : kDesignations) {
        if (d.letters != letters)
            continue;
        if (d.needs == DesignationNeeds::Nothing || (d.needs == DesignationNeeds::Mark && marked)
            || (d.needs == DesignationNeeds::Number && numberFollows))
            return d.designation;
    }
    return {};
}

QList<QStringView> commonDesignations()
{
    QList<QStringView> designations;
    for (const Family &f : kFamilies)
        designations << f.designation;
    for (const DesignationShortForm &d : kDesignations)
        if (!designations.contains(d.designation))
            designations << d.designation;
    return designations;
}

bool sameFamily(QStringView written, QStringView designation)
{
    const auto families = [](QStringView d) {
        const qsizetype space = d.indexOf(u' ');
        const QStringView first = space < 0 ? d : d.left(space);
        const auto found =
            std::find_if(kFamilies.begin(), kFamilies.end(), [&](const Family &f) { return f.designation == first; });
        return found == kFamilies.end() ? 0 : found->families;
    };
    // The archive writes ASSENTE where it knows no designation (Firenze's
    // PELLICCERIA, CALIMARUZZA): whatever an address writes may be it.
    if (designation == u"ASSENTE")
        return families(written) != 0;
    return (families(written) & families(designation)) != 0;
}

bool isLocalDesignation(QStringView cadastralCode, QStringView designation)
{
    return std::any_of(kLocalDesignations.begin(), kLocalDesignations.end(), [&](const LocalDesignation &l) {
        return l.cadastralCode == cadastralCode && l.designation == designation;
    });
}

QStringList cityNames(int row)
{
    QStringList names;
    if (row < 0 || row >= static_cast<int>(cityTable.size()))
        return names;
    names << cityTable[row].displayName.toString().toUpper();
    for (const QStringView other : cityTable[row].otherNames)
        if (!other.isEmpty())
            names << other.toString();
    return names;
}

namespace {

QString roman(int value)
{
    static const std::array<std::pair<int, QStringView>, 5> digits{
        {{10, u"X"}, {9, u"IX"}, {5, u"V"}, {4, u"IV"}, {1, u"I"}}};
    QString text;
    for (const auto &[step, letters] : digits) {
        while (value >= step) {
            text += letters;
            value -= step;
        }
    }
    return text;
}

} // namespace

QStringList writtenForms(const QString &name)
{
    static const QSet<QString> months{"GENNAIO", "FEBBRAIO", "MARZO",     "APRILE",  "MAGGIO",   "GIUGNO",
                                      "LUGLIO",  "AGOSTO",   "SETTEMBRE", "OTTOBRE", "NOVEMBRE", "DICEMBRE"};
    const QStringList words = name.split(u' ', Qt::SkipEmptyParts);
    QStringList romans = words;
    QStringList figures = words;
    bool date = false;
    bool ordinal = false;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString &word = words.at(i);
        const int value = numberWordValue(word);
        if (value <= 0 || value > 39)
            continue;
        const bool before = i + 1 < words.size() && months.contains(words.at(i + 1));
        const bool afterName = i > 0 && isOrdinalWord(word) && words.at(i - 1).size() >= 3
                               && !isParticle(words.at(i - 1)) && numberWordValue(words.at(i - 1)) == 0
                               && (i + 1 == words.size() || isParticle(words.at(i + 1)));
        if (before) {
            date = true;
            romans[i] = roman(value);
            figures[i] = QString::number(value);
        } else if (afterName) {
            ordinal = true;
            romans[i] = roman(value);
        }
    }
    QStringList forms;
    if (date || ordinal)
        forms << romans.join(u' ');
    if (date)
        forms << figures.join(u' ');
    return forms;
}

QStringList aliasNames(const QString &name, qsizetype capacity)
{
    QStringList aliases;
    const QStringList words = name.split(u' ', Qt::SkipEmptyParts);
    for (const QString &form : writtenForms(name)) {
        QString alias = form + QStringLiteral(" (") + name + u')';
        if (alias.size() > capacity) {
            // The words the form writes otherwise.
            const QStringList written = form.split(u' ', Qt::SkipEmptyParts);
            QStringList numbers;
            for (qsizetype i = 0; i < words.size() && i < written.size(); ++i)
                if (words.at(i) != written.at(i))
                    numbers << words.at(i);
            alias = form + QStringLiteral(" (") + numbers.join(u' ') + u')';
        }
        if (alias.size() <= capacity)
            aliases << alias;
    }
    return aliases;
}

} // namespace zelvora::addressrules

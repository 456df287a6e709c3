#!/usr/bin/env python3
"""Build Zelvora's street directory sources (one CSV per city) from open data.

Usage:
    python3 tools/import/import_streets.py SOURCES_DIR data/streets [--readme data/README.md] [--log FILE]
    python3 tools/import/import_streets.py --check data/streets

SOURCES_DIR holds the raw open data files named in SOURCES below (national
street archive, house-number registers, school, office, library and fuel
station addresses, OpenStreetMap addresses, GeoNames postal codes under
../localities/ or in SOURCES_DIR itself).  The script writes one UTF-8 CSV
per city into the output directory, header
`street,designation,city_tag,cap,agency,note,source`, comma separated,
RFC 4180 quoting, "\\n" line ends, rows sorted by street then designation
in code page 1252 byte order.  Same input, same bytes.

Every street of the archive is written.  Postal codes come only from the
sources' own records: a house-number register gives a street its code (the
code of its lowest house number when it has several, the house-number
ranges of each code in the note).  Point sources (addresses) are measured
on every run against the registers of Milano and Bologna: those that agree
at least 95% of the time give a code alone, the others only confirm
another source's code; fuel stations give way to the other point sources;
points of the same rank that disagree leave the code empty and list their
codes in the note.  Catch-all codes (ending in 100, the city's generic
code) and codes that are not the city's own never count.  A street that no
source gives a code for has an empty code and the note
"CAP NON PRESENTE NEI DATI APERTI".  The `source` column names the sources
of each code.

Nothing is written unless every check passes.  Only the standard library.
"""

import argparse
import csv
import os
import re
import sys
import tempfile
import unicodedata
from collections import Counter, defaultdict, namedtuple

# DisplayName, FileBase, GenericCap, cadastral code, province abbreviation.
CITIES = [
    ("Ancona", "ancona", "60100", "A271", "AN"),
    ("Bari", "bari", "70100", "A662", "BA"),
    ("Bergamo", "bergamo", "24100", "A794", "BG"),
    ("Bologna", "bologna", "40100", "A944", "BO"),
    ("Brescia", "brescia", "25100", "B157", "BS"),
    ("Cagliari", "cagliari", "09100", "B354", "CA"),
    ("Catania", "catania", "95100", "C351", "CT"),
    ("Firenze", "firenze", "50100", "D612", "FI"),
    ("Genova", "genova", "16100", "D969", "GE"),
    ("La Spezia", "laspezia", "19100", "E463", "SP"),
    ("Livorno", "livorno", "57100", "E625", "LI"),
    ("Messina", "messina", "98100", "F158", "ME"),
    ("Milano", "milano", "20100", "F205", "MI"),
    ("Napoli", "napoli", "80100", "F839", "NA"),
    ("Padova", "padova", "35100", "G224", "PD"),
    ("Palermo", "palermo", "90100", "G273", "PA"),
    ("Perugia", "perugia", "06100", "G478", "PG"),
    ("Pescara", "pescara", "65100", "G482", "PE"),
    ("Pisa", "pisa", "56100", "G702", "PI"),
    ("Reggio Calabria", "regcal", "89100", "H224", "RC"),
    ("Roma", "roma", "00100", "H501", "RM"),
    ("Salerno", "salerno", "84100", "H703", "SA"),
    ("Torino", "torino", "10100", "L219", "TO"),
    ("Trieste", "trieste", "34100", "L424", "TS"),
    ("Venezia", "venezia", "30100", "L736", "VE"),
    ("Venezia-Mestre", "mestre", "30170", "L736", "VE"),
    ("Verbania", "verbania", "28900", "L746", "VB"),
    ("Verona", "verona", "37100", "L781", "VR"),
]
MUNICIPALITIES = {c[3]: c for c in CITIES if c[1] != "mestre"}
# Further ways addresses write a city's name.
CITY_SPELLINGS = {"H224": {"REGGIO DI CALABRIA", "REGGIO C.", "REGGIO"}, "E463": {"SPEZIA"},
                  "L736": {"VENEZIA MESTRE", "VENEZIA-MESTRE"}}
# Office addresses name the municipality, not its cadastral code.
BELFIORE_BY_NAME = {c[0].upper(): c[3] for c in CITIES if c[1] != "mestre"}
# City files made partly from OpenStreetMap data (offered under ODbL).
ODBL_FILES = {"venezia", "mestre"}
MAINLAND_CODES = {"30170", "30171", "30172", "30173", "30174", "30175"}

# `source` names the sources of the street's code, for anyone checking it;
# the data compiler reads the other columns by name and leaves it out.
HEADER = ["street", "designation", "city_tag", "cap", "agency", "note", "source"]
LIMITS = {"street": 40, "designation": 25, "city_tag": 2, "cap": 5,
          "agency": 25, "note": 70, "source": 80}
MAX_ROWS = 32767
NO_CODE_NOTE = "CAP NON PRESENTE NEI DATI APERTI"

SOURCES = {
    "archive": "anncsu_odonimi_28_citta.csv",
    "bologna": "bologna_civici_2012_cap.csv",
    "milano_register": "milano_stradario_elettorale_cap_2022.csv",
    "milano_m5m9": "milano_civici_cap_m5_m9.csv",
    "milano_west": "milano_ds634_osm_conflation_preview_west.csv",
    "schools": "miur_scuole_cap.csv",
    "offices": "indicepa_cap_addr.csv",
    "offices_extra": "indicepa_2021_extra_rows.csv",
    "venezia_osm": "venezia_osm_addr_postcode_20240208.csv",
    "libraries": "iccu_biblioteche_cap_28citta.csv",
    "fuel": "mimit_carburanti_impianti_28citta.csv",
}
# What the `source` column of a city file calls each source file.
SOURCE_LABELS = {
    "bologna": "bologna_register", "milano_register": "milano_register",
    "milano_m5m9": "milano_ds634", "milano_west": "milano_ds634",
    "schools": "schools", "offices": "offices", "libraries": "libraries",
    "fuel": "fuel_stations", "venezia_osm": "osm", "milano_west_osm": "osm",
}
# The point sources whose agreement with the registers is measured, with
# the name the data notice gives them.
POINT_SOURCES = [
    ("schools", "School addresses (Ministero dell'Istruzione e del Merito)"),
    ("offices", "Public office addresses (IndicePA)"),
    ("libraries", "Library addresses (ICCU)"),
    ("fuel_stations", "Fuel station addresses (MIMIT)"),
    ("osm", "OpenStreetMap addresses"),
]
# Where sources disagree the lower rank gives way: fuel station codes are
# typed by the operators, the others by the administrations.
LOWER_RANK = {"fuel_stations"}
# A point source may give a code on its own when at least this share of the
# codes it alone gives to the streets of the held-out registers agrees.
TRUSTED_AGREEMENT = 0.95
HELD_OUT = ("F205", "A944")  # the registers of Milano and Bologna
GEONAMES = "geonames_it_postal_codes.csv"

# Designations of the Milano electoral register, written as three letters.
MILANO_AREAS = {
    "VIA": "VIA", "VLE": "VIALE", "PZA": "PIAZZA", "CSO": "CORSO",
    "PLE": "PIAZZALE", "LGO": "LARGO", "ALZ": "ALZAIA", "RIP": "RIPA",
    "VLO": "VICOLO", "GLL": "GALLERIA", "PTA": "PIAZZETTA", "BNI": "BASTIONI",
    "BST": "BASTIONI", "PAS": "PASSAGGIO", "STR": "STRADA", "SDA": "STRADA",
    "PCO": "PARCO", "GNO": "GIARDINO", "STO": "SPALTO",
}
# Designations written shortened at the start of an address.
DESIGNATION_ABBREVIATIONS = [
    (r"V\.\s*LE\b|VLE\b", "VIALE"), (r"P\.\s*Z*ZA\b|PZZA\b|PZA\b", "PIAZZA"),
    (r"P\.\s*LE\b|PLE\b", "PIAZZALE"), (r"C\.\s*SO\b|CSO\b", "CORSO"),
    (r"L\.\s*GO\b|LGO\b", "LARGO"), (r"V\.\s*LO\b|VLO\b|VIC\.", "VICOLO"),
    (r"P\.\s*TTA\b|P\.\s*ZZETTA\b", "PIAZZETTA"), (r"S\.\s*DA\b|SDA\b|STR\.", "STRADA"),
    (r"C\.\s*NE\b|CIRC\.\s*NE\b|CIRCONV\.", "CIRCONVALLAZIONE"),
    (r"L\.\s*TEVERE\b|LGT\.?\s", "LUNGOTEVERE"), (r"L\.\s*MARE\b", "LUNGOMARE"),
    (r"C\.\s*DA\b|CDA\b", "CONTRADA"), (r"TRAV\.", "TRAVERSA"), (r"SAL\.", "SALITA"),
    (r"V\.\s*CO\b", "VICO"), (r"B\.\s*GO\b", "BORGO"), (r"F\.\s*TA\b", "FONDAMENTA"),
    (r"V\.", "VIA"),
]
# Short forms of words inside names, both ways: a short form matches its
# full words.
WORD_FORMS = {
    "S": {"SAN", "SANTO", "SANTA", "SANT", "SANTI"},
    "SS": {"SANTI", "SANTISSIMO", "SANTISSIMA", "SANTISSIMI"},
    "STA": {"SANTA"}, "STO": {"SANTO"}, "SGT": {"SERGENTE"},
}
# One spelling for the forms of a word when comparing words in any order.
CANONICAL = {"SAN": "S", "SANTO": "S", "SANTA": "S", "SANT": "S", "SANTI": "S",
             "STA": "S", "STO": "S", "SANTISSIMO": "SS", "SANTISSIMA": "SS",
             "SANTISSIMI": "SS"}

PARTICLES = {
    "DI", "DA", "DE", "DEL", "DELLO", "DELLA", "DELL", "DEI", "DEGLI",
    "DELLE", "D", "E", "ED", "IL", "LO", "LA", "L", "I", "GLI", "LE", "AL",
    "ALLO", "ALLA", "ALL", "AI", "AGLI", "ALLE", "IN", "A", "SUL", "SULLA",
    "DAL", "DALLA", "DAGLI", "DAI", "DALLE", "NEL", "NELLA", "PER", "TRA",
}

# Shortening of archive names longer than the street field: titles and
# common words first, then given names to their initial.
TITLE_ABBREVIATIONS = [
    ("GIOVANNI BATTISTA", "G.B."), ("FRATELLI", "F.LLI"), ("SANTISSIMO", "SS."),
    ("SANTISSIMA", "SS."), ("MONSIGNOR", "MONS."), ("MONSIGNORE", "MONS."),
    ("GENERALE", "GEN."), ("PROFESSORE", "PROF."), ("PROFESSOR", "PROF."),
    ("DOTTORE", "DOTT."), ("DOTTOR", "DOTT."), ("AVVOCATO", "AVV."),
    ("INGEGNERE", "ING."), ("ONOREVOLE", "ON."), ("CAVALIERE", "CAV."),
    ("COMMENDATORE", "COMM."), ("CAPITANO", "CAP."), ("COLONNELLO", "COL."),
    ("TENENTE", "TEN."), ("SOTTOTENENTE", "S.TEN."), ("SERGENTE", "SERG."),
    ("MARESCIALLO", "MAR."), ("AMMIRAGLIO", "AMM."), ("ARCIVESCOVO", "ARCIV."),
    ("VESCOVO", "VESC."), ("CARDINALE", "CARD."), ("PRESIDENTE", "PRES."),
    ("SENATORE", "SEN."), ("MEDAGLIA D'ORO", "M.O."), ("BRIGADIERE", "BRIG."),
    ("APPUNTATO", "APP."), ("CARABINIERE", "CARAB."), ("MAGGIORE", "MAGG."),
    ("AGENTE", "AG."), ("SANTA", "S."), ("SANTO", "S."), ("SAN", "S."),
]


class ImportError_(Exception):
    pass


Result = namedtuple("Result", "cities summary own shortened log examples measured trusted")


# ---------------------------------------------------------------------------
# Names
# ---------------------------------------------------------------------------

def strip_accents(text):
    decomposed = unicodedata.normalize("NFKD", text)
    return "".join(ch for ch in decomposed if not unicodedata.combining(ch))


def tokens(text):
    """Words of a name for matching: upper case, no accents, apostrophes and
    punctuation as separators.  Each word carries a flag telling whether it
    is written short (followed by a full stop, or a single letter that is
    not an article)."""
    text = strip_accents(text).upper().replace("`", "'").replace("\u2019", "'")
    text = re.sub(r"\bF\.?\s*LLI\b", "FRATELLI", text)
    text = re.sub(r"\bS\.\s*(TA|TO)\b", r"SAN\1", text)
    result = []
    for match in re.finditer(r"([A-Z0-9]+)(\.?)", text):
        word, stop = match.group(1), match.group(2)
        short = bool(stop) or (len(word) == 1 and word.isalpha() and word not in PARTICLES)
        result.append((word, short))
    return result


def content(words):
    """The words that tell streets apart: articles and prepositions dropped
    (unless written as an initial).  Each keeps its place in the name and
    the words dropped just before it."""
    result = []
    dropped = []
    for i, (w, s) in enumerate(words):
        if s or w not in PARTICLES:
            result.append((w, s, i, " ".join(dropped)))
            dropped = []
        else:
            dropped.append(w)
    return result


# Words that set a street apart from its namesake ("PORTA MONTALTO" is not
# "MONTALTO", "STATALE 18 SECONDO TRONCO" not "STATALE 18"): never taken for
# given names that an address leaves out.
NOT_GIVEN_NAMES = {
    "PORTA", "MONTE", "MONTI", "PONTE", "BORGO", "VILLA", "TORRE", "CASTEL",
    "CASTELLO", "NUOVA", "NUOVO", "VECCHIA", "VECCHIO", "TRONCO", "TRAVERSA",
    "VICINALE", "COMUNALE", "PRIVATA", "DETTO", "DETTA", "INFERIORE",
    "SUPERIORE", "ALTA", "ALTO", "BASSA", "BASSO", "FONDO", "CAMPO", "COLLE",
    "VALLE", "PIANO", "LARGO", "CALATA", "SALITA", "CUPA", "VICO", "VIA",
    "PIAZZA", "STRADA", "CORTE", "FONTANA", "PARCO", "LAGO", "CANALE",
    "FIUME", "ISOLA", "MOLO", "CA", "SAN", "SANTA", "SANTO", "SANT", "SANTI", "PRIMO", "PRIMA", "SECONDO", "SECONDA",
    "TERZO", "TERZA", "QUARTO", "QUARTA", "QUINTO", "QUINTA",
}


# Titles that addresses write or leave out at will ("VIA GEN. CANTORE" for
# ANTONIO CANTORE, "VIA CANTORE" for GENERALE ANTONIO CANTORE): the last
# steps of matching compare names without them.  Words that are also common
# in names proper (MAGGIORE, COL, MARE) are not titles here.
TITLES = {
    "GEN", "GENERALE", "MONS", "MONSIG", "MONSIGNOR", "MONSIGNORE", "DON", "PROF",
    "PROFESSOR", "PROFESSORE", "PROFESSORESSA", "DOTT", "DOTTOR", "DOTTORE", "DR",
    "AVV", "AVVOCATO", "ON", "ONOREVOLE", "ING", "INGEGNERE", "CAV", "CAVALIERE",
    "COMM", "COMMENDATORE", "CAPITANO", "TEN", "TENENTE", "SERG", "SERGENTE",
    "MAR", "MARESCIALLO", "AMM", "AMMIRAGLIO", "CARD", "CARDINALE", "SEN",
    "SENATORE", "PAPA", "PADRE", "FRA", "SUOR", "SAC", "SACERDOTE", "ARCH",
    "ARCHITETTO", "GEOM", "RAG", "MAESTRO", "BEATO", "BEATA", "CONTE", "CONTESSA",
    "MARCHESE", "MARCHESA", "DUCA", "DUCHESSA", "PRINCIPE", "PRINCIPESSA", "BARONE",
    "PRESIDENTE", "PRES",
}

# What follows the street in an address and is cut from it: words that end
# the street wherever they stand after its first word (no number, the
# kilometre, a hamlet, a corner, "in care of"), and words that do when a
# number follows them (house number, staircase, building, lot, block).
CUT_ALWAYS = re.compile(
    r"(?:S\.?N\.?C\.?|S\.?N\.?|S/N|KM|LOC|LOCALITA'?|FRAZ|FRAZIONE|ANGOLO|ANG|PRESSO|C/O)"
    r"(?:\.|$|(?<=KM)[\d+,])")
CUT_BEFORE_NUMBER = {
    "N", "NR", "N°", "NUM", "CIV", "CIVICO", "INT", "INTERNO", "SC", "ED", "PAL",
    "IS", "ISOLATO",
}
# Tokens that may follow a house number: a letter, a second number, a
# range, bis/ter, Genova's red numbers.
HOUSE_NUMBER_TAIL = re.compile(r"[/-]?(?:\d+[A-Z]?|[A-Z]|BIS|TER|ROSSO|R|NERO)?[/-]?|[/-]")


def street_candidates(name):
    """The street part of an address name (designation already taken off),
    as a list of texts to try in turn (after the text as it stands): first
    with the house number kept (a name may end in a number: STATALE 18),
    then with it cut.  Cut: what follows a comma, semicolon, bracket or
    " - "; what follows the words of CUT_ALWAYS, or those of
    CUT_BEFORE_NUMBER followed by a number or ending the text, when a word
    of the name proper stands before them.  A number glued to the name
    ("CAVALLOTTI1", "LUCIAN.3") is parted from it first."""
    text = strip_accents(name).upper().replace("`", "'").replace("\u2019", "'")
    text = re.split(r"[,;(]| - | -(?=\d)", text)[0]
    text = re.sub(r"(?<=[A-Z]{3})N\.(?=\s*\d|\s*$)", " N.", text)
    text = re.sub(r"(?<=[A-Z]{2})(?=\d)", " ", text)
    toks = text.split()
    named = False
    for i, tok in enumerate(toks):
        bare = tok.rstrip(".")
        if named and (CUT_ALWAYS.match(tok) or (
                bare in CUT_BEFORE_NUMBER or re.match(r"(N|NR|IS|SC|ED|INT)\.\d", tok))
                and (i + 1 == len(toks) or re.match(r"\d", toks[i + 1]) or re.search(r"\d", tok))):
            toks = toks[:i]
            break
        if re.search(r"[A-Z]{2,}", bare) and bare not in PARTICLES:
            named = True
    full = " ".join(toks).strip(" -/.")
    # The house number: the last word that starts with a figure, followed
    # only by what may follow a house number.
    run = len(toks)
    while run > 1 and (re.match(r"\d", toks[run - 1]) or HOUSE_NUMBER_TAIL.fullmatch(toks[run - 1])):
        run -= 1
    cut = next((i for i in range(run, len(toks)) if re.match(r"\d", toks[i])), len(toks))
    short = " ".join(toks[:cut]).strip(" -/.")
    return [c for c in dict.fromkeys((full, short)) if c]


def glued(words):
    """The words written together, for names written as one word or two
    (MONTEGRAPPA, MONTE GRAPPA)."""
    return "".join(canonical(w) for w in words)


def without_titles(words):
    return [w for w in words if w[0] not in TITLES]


# Numbers in names are written in figures, Roman numerals or words
# ("XX SETTEMBRE", "VENTI SETTEMBRE"; "UMBERTO I", "UMBERTO PRIMO").
NUMBER_WORDS = {}
for _value, _words in enumerate([
        "", "PRIMO PRIMA UNO", "SECONDO SECONDA DUE", "TERZO TERZA TRE",
        "QUARTO QUARTA QUATTRO", "QUINTO QUINTA CINQUE", "SESTO SESTA SEI",
        "SETTIMO SETTIMA SETTE", "OTTAVO OTTAVA OTTO", "NONO NONA NOVE",
        "DECIMO DECIMA DIECI", "UNDICESIMO UNDICESIMA UNDICI",
        "DODICESIMO DODICESIMA DODICI", "TREDICESIMO TREDICI",
        "QUATTORDICESIMO QUATTORDICI", "QUINDICESIMO QUINDICI", "SEDICESIMO SEDICI",
        "DICIASSETTESIMO DICIASSETTE", "DICIOTTESIMO DICIOTTO",
        "DICIANNOVESIMO DICIANNOVE", "VENTESIMO VENTI", "VENTUNESIMO VENTUNO",
        "VENTIDUESIMO VENTIDUE", "VENTITREESIMO VENTITRE", "VENTIQUATTRO",
        "VENTICINQUE", "VENTISEI", "VENTISETTE", "VENTOTTO", "VENTINOVE",
        "TRENTA", "TRENTUNO"]):
    for _word in _words.split():
        NUMBER_WORDS[_word] = str(_value)
ROMAN = {"I": 1, "V": 5, "X": 10, "L": 50}


def roman_value(word):
    """Value of a Roman numeral of I, V, X, L written the usual way, or None."""
    if not re.fullmatch(r"L?X{0,3}(IX|IV|V?I{0,3})", word) or not word:
        return None
    total = 0
    for i, ch in enumerate(word):
        value = ROMAN[ch]
        total += -value if i + 1 < len(word) and ROMAN[word[i + 1]] > value else value
    return total


def canonical(word):
    """One spelling for a word's forms: saints' titles alike, numbers as
    figures.  Initials (short words) stay as they are, so that "V." stays
    an initial; a lone "I" is the numeral."""
    w, short = word[0], word[1]
    if w in CANONICAL:
        return CANONICAL[w]
    if w.isdigit():
        return str(int(w))
    if w in NUMBER_WORDS:
        return NUMBER_WORDS[w]
    if not short and (len(w) > 1 or w == "I"):
        value = roman_value(w)
        if value:
            return str(value)
    return w


def words_key(words):
    """Words in any order, each in its canonical spelling."""
    return tuple(sorted(canonical(w) for w in words))


def words_match(a, b):
    """Whether word a (address) and word b (archive) name the same thing:
    equal, one the initial or short form of the other, or known forms."""
    wa, sa = a[0], a[1]
    wb, sb = b[0], b[1]
    if wa == wb or canonical(a) == canonical(b):
        return True
    if wb in WORD_FORMS.get(wa, ()) or wa in WORD_FORMS.get(wb, ()):
        return True
    if sa and not wa.isdigit() and wb.startswith(wa):
        return True
    if sb and not wb.isdigit() and wa.startswith(wb):
        return True
    return False


def loose_match(address, archive):
    """Address words against archive words in any order, each address word
    used once.  Archive words left over (given names the address leaves
    out, at most two) must lie together at the start of the archive name,
    its last word matched in full ("VIA MAZZINI" for GIUSEPPE MAZZINI), or
    at its end right after the surname, its first word matched in full
    ("VIA GARIBALDI" for GARIBALDI GIUSEPPE)."""
    if not address or not archive or len(address) > len(archive):
        return False
    if not any(not s and len(w) >= 3 and not w.isdigit() for (w, s, *_) in address):
        return False

    best = None

    def assign(i, used):
        nonlocal best
        if best is not None:
            return
        if i == len(address):
            best = dict(used)
            return
        for j, word in enumerate(archive):
            if j not in used.values() and words_match(address[i], word):
                used[i] = j
                assign(i + 1, used)
                del used[i]

    assign(0, {})
    if best is None:
        return False
    matched = set(best.values())
    left = [j for j in range(len(archive)) if j not in matched]
    if not left:
        return True
    if len(left) > 2 or any(not archive[j][0].isalpha() or len(archive[j][0]) < 3
                            or archive[j][0] in NOT_GIVEN_NAMES for j in left):
        return False
    last = len(archive) - 1
    if left == list(range(len(left))):
        kept = [i for i, j in best.items() if j == last]
        return bool(kept) and address[kept[0]][0] == archive[last][0]
    if left == list(range(len(archive) - len(left), len(archive))):
        # Given names follow the surname directly, or after "DA" of a
        # birthplace ("SPARANO DA BARI"): "DELLA FERROVIA A SAN LORENZO" is
        # not "DELLA FERROVIA" with names left out.
        if archive[left[0]][3] not in ("", "DA"):
            return False
        kept = [i for i, j in best.items() if j == 0]
        return bool(kept) and address[kept[0]][0] == archive[0][0]
    return False


class StreetMatcher:
    """Finds the archive street that an address names, or none.  The
    address is tried as it stands, then as street_candidates() cuts it.
    Each text goes through steps, each tried only when the one before
    found nothing: the whole text alike; the same designation and the same
    words in any order; the same without articles and prepositions; the
    same written as one word; the same designation and words that match
    allowing initials, short forms and omitted given names; the last two
    again with titles left out on both sides.  A step that finds two
    streets or more is an ambiguous match: the address is left out.  When
    nothing is found and the name itself starts with a designation ("VIA"
    + "FORO BUONAPARTE"), that one is tried instead; then the address
    without the city's name written before or after it."""

    def __init__(self, streets, city_names=()):
        # streets: iterable of (designation, name) as in the archive
        self.city_names = sorted(city_names, key=len, reverse=True)
        self.streets = sorted(set(streets))
        self.designations = sorted({d for d, _ in self.streets},
                                   key=lambda d: (-len(d), d))
        self.by_text = defaultdict(set)
        self.by_words = defaultdict(set)
        self.by_all_words = defaultdict(set)
        self.by_word = defaultdict(set)
        self.by_core = defaultdict(set)
        self.by_glued = defaultdict(set)
        self.info = {}
        for street in self.streets:
            designation, name = street
            name_words = tokens(name)
            key_designation = " ".join(w for w, _ in tokens(designation))
            self.by_text[key_designation + " " + " ".join(w for w, _ in name_words)].add(street)
            self.by_text[" ".join(w for w, _ in name_words)].add(street)
            kept = content(name_words)
            self.info[street] = (key_designation, kept)
            for d in (key_designation, None):
                self.by_all_words[(d, words_key(name_words))].add(street)
                self.by_words[(d, words_key(kept))].add(street)
                self.by_core[(d, words_key(without_titles(kept)))].add(street)
                self.by_glued[(d, glued(kept))].add(street)
            for w, s, *_ in kept:
                if not s:
                    self.by_word[w].add(street)
                for form, fulls in WORD_FORMS.items():
                    if w in fulls:
                        self.by_word[form].add(street)

    def split(self, text):
        """(designation, name) of an address whose text starts with its
        designation; (None, text) when it starts with none."""
        upper = strip_accents(text).upper().strip()
        for pattern, full in DESIGNATION_ABBREVIATIONS:
            m = re.match(r"(?:%s)\s*" % pattern, upper)
            if m and upper[m.end():]:
                return full, upper[m.end():]
        for designation in self.designations:
            key = strip_accents(designation).upper().replace("`", "'")
            if upper.startswith(key + " ") or upper.startswith(key + "."):
                return designation, upper[len(key):].lstrip(" .")
        return None, upper

    def match(self, text, designation=None, last_short=False):
        """The matching (designation, name) or None; second value tells
        whether the address was ambiguous.  last_short: the source cuts
        long names, so its last word may be the start of a word."""
        found, ambiguous = self.match_text(text, designation, last_short)
        if found is None and not ambiguous:
            upper = re.sub(r"\s+", " ", strip_accents(text).upper()).strip()
            for city in self.city_names:
                inner = re.sub(r"^%s\b|\b%s$" % (city, city), "", upper).strip(" ,-")
                if inner != upper and inner:
                    return self.match_text(inner, designation, last_short)
        return found, ambiguous

    def match_text(self, text, designation, last_short):
        if designation is None:
            designation, name = self.split(text)
        else:
            name = text
        uncut = re.sub(r"\s+", " ", name).strip()
        for candidate in dict.fromkeys([uncut] + street_candidates(name)):
            found, ambiguous = self.match_split(designation, candidate, last_short)
            if found is None and not ambiguous and designation:
                # The designation folded into the name: "VIA FORO BUONAPARTE".
                inner, rest = self.split(candidate)
                if inner:
                    found, ambiguous = self.match_split(inner, rest, last_short)
            if found is not None or ambiguous:
                return found, ambiguous
        return None, False

    def match_split(self, designation, name, last_short):
        key_designation = (" ".join(w for w, _ in tokens(designation))
                           if designation else None)
        name_words = tokens(name)
        if last_short and len(name_words) > 1:
            name_words[-1] = (name_words[-1][0], True)
        full = " ".join(w for w, _ in name_words)
        steps = []
        if key_designation:
            steps.append(self.by_text.get(key_designation + " " + full, set()))
        else:
            steps.append(self.by_text.get(full, set()))
        kept = content(name_words)
        steps.append(self.by_all_words.get((key_designation, words_key(name_words)), set()))
        steps.append(self.by_words.get((key_designation, words_key(kept)), set()))
        steps.append(self.by_glued.get((key_designation, glued(kept)), set()))
        candidates = set()
        for w, s, *_ in kept:
            if not s:
                candidates |= self.by_word.get(w, set())
        steps.append({street for street in candidates
                      if (key_designation is None or self.info[street][0] == key_designation)
                      and loose_match(kept, self.info[street][1])})
        # The same two steps again with titles left out on both sides.
        core = without_titles(kept)
        steps.append(self.by_core.get((key_designation, words_key(core)), set()))
        steps.append({street for street in candidates
                      if (key_designation is None or self.info[street][0] == key_designation)
                      and loose_match(core, without_titles(self.info[street][1]))})
        for found in steps:
            if len(found) == 1:
                return next(iter(found)), False
            if len(found) > 1:
                return None, True
        return None, False


# ---------------------------------------------------------------------------
# Codes
# ---------------------------------------------------------------------------

def is_catch_all(code, generic):
    return code == generic or code.endswith("100")


def code_counts(code, own, generic):
    """Whether a source's code may give a street its code: one of the city's
    own zone codes, never a catch-all."""
    return code in own and not is_catch_all(code, generic)


def house_number(text):
    """(number, rest) of a house number such as "12", "12A", "12/2"; None
    when it has no number."""
    m = re.match(r"\s*(\d+)\s*(.*)", text or "")
    if not m:
        return None
    return int(m.group(1)), m.group(2).strip().upper()


def segments(entries):
    """House-number runs of one code: consecutive numbers (in number order)
    that share a code.  Tried on each side of the street (odd, even) and on
    the street as a whole; the shorter description wins, the whole street
    on a tie."""
    def runs(items, side):
        result = []
        for number, code in items:
            if result and result[-1][3] == code:
                result[-1][1] = number
            else:
                result.append([number, number, side, code])
        return result

    ordered = sorted(entries)
    whole = runs(ordered, None)
    sides = (runs([e for e in ordered if e[0] % 2 == 1], "DISPARI")
             + runs([e for e in ordered if e[0] % 2 == 0], "PARI"))
    chosen = whole if len(whole) <= len(sides) else sides
    return sorted(chosen, key=lambda r: (r[0], r[2] or ""))


def ranges_note(entries, limit=70):
    """Note listing the house-number ranges of each code, as many whole
    ranges as the note holds, "..." when some are left out."""
    parts = []
    for first, last, side, code in segments(entries):
        numbers = str(first) if first == last else "%d-%d" % (first, last)
        parts.append(" ".join(p for p in (numbers, side, code) if p))
    return join_within(parts, limit)


def join_within(parts, limit):
    text = "; ".join(parts)
    if len(text) <= limit:
        return text
    kept = []
    for part in parts:
        if len("; ".join(kept + [part])) + len(" ...") > limit:
            break
        kept.append(part)
    return "; ".join(kept) + " ..."


def points_note(points, limit=70):
    """Note for addresses that give a street different codes: every code,
    each with as many of its house numbers as the note holds ("S.N." for an
    address without number, "..." when numbers are left out)."""
    by_code = defaultdict(set)
    for number, code in points:
        by_code[code].add(number)
    lists = [(code, ["S.N." if n is None else str(n)
                     for n in sorted(by_code[code], key=lambda n: (n is None, n))])
             for code in sorted(by_code)]
    for most in range(max(len(numbers) for _, numbers in lists), -1, -1):
        parts = []
        for code, numbers in lists:
            shown = ", ".join(numbers[:most]) + (" ..." if len(numbers) > most else "")
            parts.append(code + (" N. " + shown if most else ""))
        text = "CAP DIVERSI: " + "; ".join(parts)
        if len(text) <= limit:
            return text
    return join_within(["CAP DIVERSI: " + lists[0][0]] + [c for c, _ in lists[1:]], limit)


def decide(register, points, trusted):
    """(cap, note, kind, district, sources) of a street from its register
    entries [(number, rest, code, district, source)] and point entries
    [(number, code, source)], all with counting codes.  kind: 'register',
    'several', 'points', 'disagree' or 'none'; sources: the sources that
    give the code, joined by "+".

    A register decides alone.  Otherwise a point's code counts when a
    trusted source gives it or two sources do; of the codes that count,
    those of the highest-ranked sources decide: one code is the street's,
    several leave it empty with a note listing them."""
    if register:
        lowest = min(register, key=lambda e: (e[0], e[1], e[2]))
        codes = {e[2] for e in register}
        sources = "+".join(sorted({e[4] for e in register}))
        if len(codes) == 1:
            return lowest[2], "", "register", lowest[3], sources
        note = ranges_note([(e[0], e[2]) for e in register])
        return lowest[2], note, "several", lowest[3], sources
    givers = defaultdict(set)
    for _, code, source in points:
        givers[code].add(source)
    counted = [e for e in points if len(givers[e[1]]) > 1 or givers[e[1]] & trusted]
    if counted:
        rank = min(e[2] in LOWER_RANK for e in counted)
        top = [e for e in counted if (e[2] in LOWER_RANK) == rank]
        codes = {code for _, code, _ in top}
        if len(codes) == 1:
            code = codes.pop()
            return code, "", "points", "", "+".join(sorted(givers[code]))
        return "", points_note([(n, c) for n, c, _ in top]), "disagree", "", ""
    return "", NO_CODE_NOTE, "none", "", ""


def agreement(register, points):
    """For each point source, how the codes it alone gives to the streets
    of the held-out registers compare with the registers' codes: Counter of
    'addresses' (its addresses on those streets), 'addresses agree' (their
    code is one of the register's), 'streets' (streets it gives one code)
    and 'agree' (that code is one of the register's)."""
    result = {label: Counter() for label, _ in POINT_SOURCES}
    for key, entries in register.items():
        if key[0] not in HELD_OUT:
            continue
        codes = {e[2] for e in entries}
        for label, _ in POINT_SOURCES:
            given = [c for _, c, source in points.get(key, []) if source == label]
            result[label]["addresses"] += len(given)
            result[label]["addresses agree"] += sum(1 for c in given if c in codes)
            if len(set(given)) == 1:
                result[label]["streets"] += 1
                result[label]["agree"] += given[0] in codes
    return result


def trusted_sources(measured):
    return {label for label, c in measured.items()
            if c["streets"] and c["agree"] >= TRUSTED_AGREEMENT * c["streets"]}


# ---------------------------------------------------------------------------
# Output names
# ---------------------------------------------------------------------------

def to_cp1252(text):
    """Text as code page 1252 can hold it: characters it lacks lose their
    accent (Č -> C)."""
    out = []
    for ch in text:
        try:
            ch.encode("cp1252")
            out.append(ch)
        except UnicodeEncodeError:
            out.append(strip_accents(ch))
    result = "".join(out)
    result.encode("cp1252")
    return result


def archive_name(text):
    """Archive text as written in the street file: upper case, the
    archive's backquote apostrophes written as apostrophes, single spaces."""
    text = to_cp1252(text.replace("`", "'").upper())
    return re.sub(r"\s+", " ", text).strip()


def shorten(name, limit=40):
    """Name cut down to the field: a bracketed part dropped, then titles
    and common words abbreviated (GENERALE -> GEN., SANTA -> S.), then up
    to two words from the last one back (never the first) written as their
    initial; when that is not enough, whole words dropped from the end of
    the name with its titles abbreviated instead."""
    if len(name) <= limit:
        return name
    name = re.sub(r"\s*\([^)]*\)\s*", " ", name).strip()
    for full, short in TITLE_ABBREVIATIONS:
        if len(name) <= limit:
            break
        name = re.sub(r"\b%s\b" % re.escape(full), short, name)
    words = name.split(" ")
    i = len(words) - 1
    initials = 0
    while len(" ".join(words)) > limit and i > 0 and initials < 2:
        w = words[i]
        if len(w) > 2 and w not in PARTICLES and not w.endswith(".") and w[0].isalpha():
            words[i] = w[0] + "."
            initials += 1
        i -= 1
    if len(" ".join(words)) <= limit:
        return " ".join(words)
    while len(name) > limit:
        name = name[: name.rfind(" ")] if " " in name else name[:limit]
    return name


# ---------------------------------------------------------------------------
# Reading
# ---------------------------------------------------------------------------

def read_csv(path):
    # One office row of the 2021 extra file runs on for half a megabyte (a
    # broken export); it is read, then left out as no address.
    csv.field_size_limit(1 << 24)
    with open(path, encoding="utf-8", newline="") as f:
        return list(csv.DictReader(f))


def own_codes(geonames_rows, school_rows, office_rows):
    """Each municipality's own zone codes: the GeoNames codes of its
    province that share the first three digits of its generic code, plus
    such codes that both school and office addresses of the municipality
    carry (GeoNames lacks some zones).  Catch-all codes excluded."""
    result = {}
    attested = defaultdict(lambda: defaultdict(set))
    for belfiore, code, kind in school_rows + office_rows:
        attested[belfiore][code].add(kind)
    for belfiore, (_, _, generic, _, province) in MUNICIPALITIES.items():
        codes = {r["zipcode"] for r in geonames_rows
                 if r["province_code"] == province and r["zipcode"][:3] == generic[:3]}
        codes |= {c for c, kinds in attested[belfiore].items()
                  if c[:3] == generic[:3] and len(kinds) == 2}
        if belfiore == "H501":
            codes.discard("00120")  # Vatican City
        result[belfiore] = {c for c in codes if not is_catch_all(c, generic)}
    return result


def address_rows(src):
    """Every address row of the address sources that lies in one of the
    municipalities: (belfiore, source, designation or None, street text,
    house number text, code, district, register?)."""
    rows = []
    for r in read_csv(os.path.join(src, SOURCES["bologna"])):
        if r["belfiore"] == "A944" and not r["data_cessazione"]:
            number = r["civico"] + (("/" + r["subciv"]) if r["subciv"] else "")
            rows.append(("A944", "bologna", None, r["denominazione"], number, r["cap"], "", True))
    for r in read_csv(os.path.join(src, SOURCES["milano_register"])):
        area = MILANO_AREAS.get(r["AREA"])
        cap = "20" + r["CAP"].zfill(3) if r["CAP"].isdigit() else ""
        district = "M" + r["MUNICIPIO"] if r["MUNICIPIO"].isdigit() and len(r["MUNICIPIO"]) == 1 else ""
        rows.append(("F205", "milano_register", area or r["AREA"], r["DESCRIZIONE_VIA"],
                     r["CIVICO"] + r["BARRATO"], cap, district, True))
    for r in read_csv(os.path.join(src, SOURCES["milano_m5m9"])):
        district = "M" + r["municipio"] if r["municipio"].isdigit() and len(r["municipio"]) == 1 else ""
        rows.append(("F205", "milano_m5m9", None, r["street"], r["housenumber"], r["postcode"], district, True))
    for r in read_csv(os.path.join(src, SOURCES["milano_west"])):
        # Only the Comune's own house numbers: the OpenStreetMap nodes of this
        # file are left out so that milano.csv carries no share-alike data.
        if r["origin"].startswith("ds634"):
            rows.append(("F205", "milano_west", None, r["addr_street"], r["addr_housenumber"],
                         r["addr_postcode"], "", True))
        else:
            # Measured against the register, never written.
            rows.append(("F205", "milano_west_osm", None, r["addr_street"], r["addr_housenumber"],
                         r["addr_postcode"], "", False))
    for r in read_csv(os.path.join(src, SOURCES["schools"])):
        if r["belfiore"] in MUNICIPALITIES:
            rows.append((r["belfiore"], "schools", None, r["via"], r["civico"], r["cap"], "", False))
    for r in read_csv(os.path.join(src, SOURCES["offices"])):
        belfiore = BELFIORE_BY_NAME.get(r["city"].strip().upper())
        if belfiore:
            rows.append((belfiore, "offices", None, r["street"], r["housenumber"], r["postcode"], "", False))
    for r in read_csv(os.path.join(src, SOURCES["offices_extra"])):
        if r["belfiore"] in MUNICIPALITIES:
            rows.append((r["belfiore"], "offices", None, r["via"], r["civico"], r["cap"], "", False))
    for r in read_csv(os.path.join(src, SOURCES["venezia_osm"])):
        if r["belfiore"] == "L736":
            rows.append(("L736", "venezia_osm", None, r["addr_street"], r["addr_housenumber"],
                         r["addr_postcode"], "", False))
    for r in read_csv(os.path.join(src, SOURCES["libraries"])):
        # The street and number are typed together: the number is what
        # follows the street part.
        if r["belfiore"] in MUNICIPALITIES and r["cap_valido"] == "S":
            rows.append((r["belfiore"], "libraries", None, r["indirizzo"],
                         number_after(r["indirizzo"]), r["cap"], "", False))
    for r in read_csv(os.path.join(src, SOURCES["fuel"])):
        # Motorway service areas lie on no street of the city.
        if r["belfiore"] in MUNICIPALITIES and r["autostrada"] != "S" and r["cap_valido"] == "S":
            rest = r["indirizzo_originale"][len(r["via"]):]
            rows.append((r["belfiore"], "fuel", None, r["via"],
                         number_after(rest.replace(r["cap"], " ")), r["cap"], "", False))
    return rows


def number_after(text):
    """The house number of an address typed as one text: its first number
    that is not part of the name (4 NOVEMBRE), "" when there is none or the
    address gives a kilometre instead."""
    if re.search(r"\bKM\b|\bKM(?=[\d.])", strip_accents(text).upper()):
        return ""
    m = re.search(r"(?<![\w'])(\d+(?:\s*[/-]\s*\w+|[A-Z]\b)?)(?!\d|\s*(?!BIS\b|TER\b)[A-Z]{3,})",
                  strip_accents(text).upper())
    return m.group(1) if m else ""


def find_geonames(src):
    for path in (os.path.join(src, GEONAMES), os.path.join(src, "..", "localities", GEONAMES)):
        if os.path.exists(path):
            return path
    raise ImportError_("cannot find %s next to or beside %s" % (GEONAMES, src))


# ---------------------------------------------------------------------------
# Building
# ---------------------------------------------------------------------------

def build(src):
    archive = read_csv(os.path.join(src, SOURCES["archive"]))
    streets = defaultdict(set)
    print("street archive: %d rows" % len(archive))
    for r in archive:
        if r["codice_belfiore"] in MUNICIPALITIES and r["DUF"].strip():
            streets[r["codice_belfiore"]].add((r["DUG"].strip().upper(), r["DUF"].strip().upper()))

    rows = address_rows(src)
    geonames = read_csv(find_geonames(src))
    own = own_codes(geonames,
                    [(b, c, "schools") for b, s, _, _, _, c, _, _ in rows if s == "schools"],
                    [(b, c, "offices") for b, s, _, _, _, c, _, _ in rows if s == "offices"])

    register = defaultdict(list)  # (belfiore, street) -> [(number, rest, code, district, source)]
    points = defaultdict(list)    # (belfiore, street) -> [(number, code, source)]
    matched_rows = Counter()       # (belfiore, street) -> address rows
    unmatched = defaultdict(Counter)  # file base -> unmatched / ambiguous rows
    ignored = Counter()            # belfiore -> matched rows whose code never counts
    log = defaultdict(Counter)     # (source file, file base) -> rows, matched, ...
    examples = defaultdict(list)   # file base -> unmatched addresses
    matchers = {}
    cache = {}
    for belfiore, source, designation, text, number, code, district, is_register in rows:
        if belfiore not in matchers:
            names = {c[0].upper() for c in CITIES if c[3] == belfiore}
            matchers[belfiore] = StreetMatcher(streets[belfiore], names | CITY_SPELLINGS.get(belfiore, set()))
        if len(text) > 100:
            text = ""  # no street name, but a broken record
        key = (belfiore, designation, text)
        if key not in cache:
            cache[key] = (matchers[belfiore].match(text, designation, source == "milano_register")
                          if text.strip() else (None, False))
        street, ambiguous = cache[key]
        generic = MUNICIPALITIES[belfiore][2]
        counts = code_counts(code, own[belfiore], generic)
        base = MUNICIPALITIES[belfiore][1]
        if belfiore == "L736" and code in MAINLAND_CODES:
            base = "mestre"
        outcome = ("matched" if street else "ambiguous" if ambiguous else
                   "unmatched" if text.strip() else "no_street")
        log[(source, base)]["rows"] += 1
        log[(source, base)][outcome] += 1
        if street is None:
            unmatched[base][outcome] += 1
            if outcome == "unmatched" and len(examples[base]) < 20:
                examples[base].append("%s: %s" % (source, text.strip()))
            continue
        matched_rows[(belfiore, street)] += 1
        if not counts:
            ignored[belfiore] += 1
            continue
        parsed = house_number(number)
        if is_register and parsed:
            register[(belfiore, street)].append((parsed[0], parsed[1], code, district,
                                                 SOURCE_LABELS[source]))
        elif not is_register:
            points[(belfiore, street)].append((parsed[0] if parsed else None, code,
                                               SOURCE_LABELS[source]))
    measured = agreement(register, points)
    trusted = trusted_sources(measured)
    # The OpenStreetMap nodes of Milano's western strip only measure.
    for key in [k for k in points if k[0] == "F205"]:
        points[key] = [e for e in points[key] if e[2] != "osm"]

    cities = {}
    summary = {}
    for display, base, generic, belfiore, _ in CITIES:
        cities[base] = []
        summary[base] = Counter()
    shortened = Counter()
    for belfiore in MUNICIPALITIES:
        for street in sorted(streets[belfiore]):
            designation, name = street
            cap, note, kind, district, sources = decide(register.get((belfiore, street), []),
                                                         points.get((belfiore, street), []), trusted)
            base = MUNICIPALITIES[belfiore][1]
            if belfiore == "L736":
                codes = ({e[2] for e in register.get((belfiore, street), [])}
                         or {e[1] for e in points.get((belfiore, street), [])})
                if codes and codes <= MAINLAND_CODES:
                    base = "mestre"
            cities[base].append([archive_name(name), archive_name(designation), district,
                                 cap, "", note, sources, kind])
            summary[base]["matched"] += matched_rows[(belfiore, street)]

    print("distinct (designation, name) pairs: %d" % sum(len(v) for v in streets.values()))
    for base, city_rows in cities.items():
        # Shorten long names, keeping (street, designation) unique.
        taken = {(r[0], r[1]) for r in city_rows if len(r[0]) <= 40}
        for r in city_rows:
            if len(r[0]) > 40:
                short = shorten(r[0])
                n = 2
                candidate = short
                while (candidate, r[1]) in taken:
                    suffix = " %d" % n
                    candidate = short[: 40 - len(suffix)].rstrip() + suffix
                    n += 1
                taken.add((candidate, r[1]))
                r[0] = candidate
                shortened[base] += 1
        # The archive lists a few streets twice under spellings that fold to
        # the same text: keep one row per (street, designation).
        unique = {}
        for r in city_rows:
            kept = unique.get((r[0], r[1]))
            if kept is None or (kept[3] == "" and kept[7] == "none" and r[7] != "none"):
                unique[(r[0], r[1])] = r
        merged = len(city_rows) - len(unique)
        if merged:
            print("%s: %d archive names written alike merged" % (base, merged))
        city_rows[:] = sorted(unique.values(),
                              key=lambda r: (r[0].encode("cp1252"), r[1].encode("cp1252")))
        for r in city_rows:
            summary[base]["streets"] += 1
            summary[base][r[7]] += 1
    for base, counts in unmatched.items():
        summary[base].update(counts)
    for belfiore, n in ignored.items():
        summary[MUNICIPALITIES[belfiore][1]]["ignored"] += n
    return Result(cities, summary, own, shortened, log, examples, measured, trusted)


# ---------------------------------------------------------------------------
# Checking and writing
# ---------------------------------------------------------------------------

def check_rows(base, rows):
    """Problems of one city's rows against the street file's fields."""
    problems = []
    if len(rows) > MAX_ROWS:
        problems.append("%s: %d streets, more than %d" % (base, len(rows), MAX_ROWS))
    seen = set()
    for n, row in enumerate(rows, start=2):
        for field, value in zip(HEADER, row):
            where = "%s.csv line %d, %s" % (base, n, field)
            if len(value) > LIMITS[field]:
                problems.append("%s: %d characters, more than %d" % (where, len(value), LIMITS[field]))
            try:
                value.encode("cp1252")
            except UnicodeEncodeError:
                problems.append("%s: not in code page 1252: %r" % (where, value))
        if row[3] and not re.fullmatch(r"\d{5}", row[3]):
            problems.append("%s.csv line %d: postal code %r is not five digits" % (base, n, row[3]))
        if not row[0] or row[0] != row[0].upper():
            problems.append("%s.csv line %d: street %r is not upper case" % (base, n, row[0]))
        if (row[0], row[1]) in seen:
            problems.append("%s.csv line %d: street %r repeated" % (base, n, row[0]))
        seen.add((row[0], row[1]))
    return problems


def check_file(path):
    """Problems of a written city file: its header, its order and every
    field against the street file's limits."""
    base = os.path.splitext(os.path.basename(path))[0]
    with open(path, "rb") as f:
        data = f.read()
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError as e:
        return ["%s: not UTF-8 (%s)" % (path, e)]
    rows = list(csv.reader(text.splitlines()))
    if not rows or rows[0] != HEADER:
        return ["%s: header is not %s" % (path, ",".join(HEADER))]
    problems = [p for p in check_rows(base, rows[1:])]
    problems += ["%s.csv line %d: %d fields" % (base, n, len(r))
                 for n, r in enumerate(rows[1:], start=2) if len(r) != len(HEADER)]
    keys = [(r[0].encode("cp1252", "replace"), r[1].encode("cp1252", "replace")) for r in rows[1:]]
    if keys != sorted(keys):
        problems.append("%s: rows not sorted by street, then designation" % path)
    return problems


def render(rows):
    import io
    out = io.StringIO()
    writer = csv.writer(out, lineterminator="\n")
    writer.writerow(HEADER)
    for row in rows:
        writer.writerow(row[:len(HEADER)])
    return out.getvalue().encode("utf-8")


def write_all(out_dir, files):
    os.makedirs(out_dir, exist_ok=True)
    for name, data in files.items():
        fd, tmp = tempfile.mkstemp(dir=out_dir, prefix="." + name)
        with os.fdopen(fd, "wb") as f:
            f.write(data)
        os.replace(tmp, os.path.join(out_dir, name))


def table(summary, shortened):
    """The per-city table of the data notice."""
    lines = ["| City | File | Streets | With code | Coded by registers | Coded by point sources |"
             " Several codes | Points disagree | Address rows matched | not matched | ambiguous |"
             " no street name | Names shortened |",
             "|---|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|"]
    total = Counter()
    for display, base, *_ in CITIES:
        c = summary[base]
        by_register = c["register"] + c["several"]
        values = [c["streets"], by_register + c["points"], by_register, c["points"], c["several"],
                  c["disagree"], c["matched"], c["unmatched"], c["ambiguous"], c["no_street"],
                  shortened[base]]
        total.update(dict(enumerate(values)))
        odbl = " (ODbL, partly OpenStreetMap data)" if base in ODBL_FILES else ""
        lines.append("| %s%s | `%s.csv` | %s |" % (display, odbl, base, " | ".join(str(v) for v in values)))
    lines.append("| **Total** | | %s |" % " | ".join(str(total[i]) for i in range(len(values))))
    return "\n".join(lines) + "\n"


def agreement_table(measured, trusted):
    """The table of how often each point source's codes agree with the
    held-out registers, and what that lets the source do."""
    def share(part, whole):
        return "%.1f%%" % (100.0 * part / whole) if whole else "not measured"

    lines = ["| Source | `source` | Addresses | Streets | Agreeing | Agreement | Use | Addresses agreeing |",
             "|---|---|---:|---:|---:|---:|---|---:|"]
    for label, name in POINT_SOURCES:
        c = measured[label]
        use = "gives a code alone" if label in trusted else "confirms only"
        lines.append("| %s | `%s` | %d | %d | %d | %s | %s | %s |"
                     % (name, label, c["addresses"], c["streets"], c["agree"], share(c["agree"], c["streets"]),
                        use, share(c["addresses agree"], c["addresses"])))
    return "\n".join(lines) + "\n"


def own_codes_list(own):
    return "".join("- %s own codes (%d): %s\n" % (display, len(own[belfiore]), " ".join(sorted(own[belfiore])))
                   for belfiore, (display, *_) in sorted(MUNICIPALITIES.items(), key=lambda i: i[1][1]))


def import_log(result):
    """Per source and city: rows, matched, ambiguous, unmatched (and rows
    without a street name); then up to twenty unmatched addresses per city."""
    lines = ["%-16s %-10s %6s %7s %9s %9s %9s" % ("source", "city", "rows", "matched", "ambiguous",
                                                 "unmatched", "no street")]
    for (source, base), c in sorted(result.log.items()):
        lines.append("%-16s %-10s %6d %7d %9d %9d %9d" % (source, base, c["rows"], c["matched"],
                                                         c["ambiguous"], c["unmatched"], c["no_street"]))
    for _, base, *_ in CITIES:
        if result.examples[base]:
            lines.append("unmatched in %s:" % base)
            lines.extend("    " + e for e in result.examples[base])
    return "\n".join(lines) + "\n"


BLOCK = "<!-- %s: written by tools/import/import_streets.py -->"
END_BLOCK = "<!-- end of %s -->"


def update_readme(path, blocks):
    """Replace each marked block of the data notice with its new text."""
    with open(path, encoding="utf-8") as f:
        text = f.read()
    for name, body in blocks.items():
        begin, end = BLOCK % name, END_BLOCK % name
        if begin not in text or end not in text:
            raise ImportError_("%s has no block %s" % (path, name))
        head, rest = text.split(begin, 1)
        text = head + begin + "\n\n" + body + "\n" + end + rest.split(end, 1)[1]
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("sources", nargs="?", help="folder of the raw open data")
    parser.add_argument("out", nargs="?", help="output folder (data/streets)")
    parser.add_argument("--readme", help="the data notice (data/README.md) whose tables to rewrite")
    parser.add_argument("--log", help="also write the import log here")
    parser.add_argument("--check", metavar="FOLDER",
                        help="only check the 28 city files in FOLDER, write nothing")
    args = parser.parse_args(argv)
    if args.check:
        problems = []
        for _, base, *_ in CITIES:
            path = os.path.join(args.check, base + ".csv")
            problems += check_file(path) if os.path.exists(path) else ["%s missing" % path]
        for p in problems:
            print("error: " + p, file=sys.stderr)
        print("%d city files checked, %d problems" % (len(CITIES), len(problems)))
        return 1 if problems else 0
    if not args.sources or not args.out:
        parser.error("give the sources folder and the output folder, or --check FOLDER")
    try:
        result = build(args.sources)
    except (OSError, KeyError, ImportError_) as e:
        print("error: %s" % e, file=sys.stderr)
        return 1
    problems = []
    files = {}
    for _, base, *_ in CITIES:
        problems += check_rows(base, result.cities[base])
        files[base + ".csv"] = render(result.cities[base])
    if problems:
        for p in problems[:50]:
            print("error: " + p, file=sys.stderr)
        print("%d problems, nothing written" % len(problems), file=sys.stderr)
        return 1
    write_all(args.out, files)
    log = import_log(result)
    print(log)
    if args.log:
        with open(args.log, "w", encoding="utf-8") as f:
            f.write(log)
    print(own_codes_list(result.own))
    ignored = sum(c["ignored"] for c in result.summary.values())
    print("matched address rows whose code never counts (catch-all or not the city's): %d" % ignored)
    blocks = {"coverage": table(result.summary, result.shortened),
              "agreement": agreement_table(result.measured, result.trusted),
              "own codes": own_codes_list(result.own)}
    for body in blocks.values():
        print(body)
    if args.readme:
        try:
            update_readme(args.readme, blocks)
        except (OSError, ImportError_) as e:
            print("error: %s" % e, file=sys.stderr)
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

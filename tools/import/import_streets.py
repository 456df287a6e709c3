#!/usr/bin/env python3
"""Build Zelvora's street directory sources (one CSV per city) from open data.

Usage:
    python3 tools/import/import_streets.py SOURCES_DIR data/streets [--readme data/README.md] [--log FILE]
        [--evidence data/evidence]
    python3 tools/import/import_streets.py --check data/streets

SOURCES_DIR holds the raw open data files named in SOURCES below (national
street archive, house-number registers, school, office, library and fuel
station addresses, OpenStreetMap addresses, GeoNames postal codes under
../localities/ or in SOURCES_DIR itself).  The script writes one UTF-8 CSV
per city into the output directory, header
`street,designation,city_tag,cap,agency,note,source`, comma separated,
RFC 4180 quoting, "\\n" line ends, rows sorted by street then designation
in code page 1252 byte order.  Same input, same bytes.  With --evidence, one
more CSV per city there, header `street,designation,first,last,parity,cap,
sources,kind`: every house-number range of a register (kind R) and every
numbered point (kind P) behind the codes of the city's coded streets.

Every street of the archive is written.  Postal codes come only from the
sources' own records: a house-number register gives a street its code (the
code of its lowest house number when it has several, the house-number
ranges of each code in the note).  The Città di Torino's addresses carry
the codes of the city's address database: they rank with the registers,
each a point (the code of the lowest number is the street's, the note
lists each code's numbers).  Point sources (addresses) are measured
on every run against the registers of Milano and Bologna: those that agree
at least 95% of the time give a code alone, the others only confirm
another source's code; fuel stations, accommodation and pharmacies (codes
the operators type) give way to the other point sources;
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
import subprocess
import sys
import tempfile
import unicodedata
from collections import Counter, defaultdict, namedtuple

def find_datac():
    """The data compiler, whose street matcher and city table the import
    uses: $ZELVORA_DATAC, or the build's."""
    path = os.environ.get("ZELVORA_DATAC") or os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "..", "build", "bin", "zelvora-datac")
    if not os.access(path, os.X_OK):
        raise SystemExit("import_streets.py: no data compiler at %s: build it (cmake --build build --target "
                         "zelvora-datac) or name it in ZELVORA_DATAC" % path)
    return path


def city_table(datac):
    """The cities of the street directory as the data compiler defines them:
    (DisplayName, FileBase, GenericCap, cadastral code, province
    abbreviation). Their other names are the matcher's."""
    out = subprocess.run([datac, "cities"], check=True, capture_output=True, text=True).stdout
    return [(r["display_name"], r["file_base"], r["generic_cap"], r["cadastral_code"], r["province"])
            for r in csv.DictReader(out.splitlines())]


DATAC = find_datac()
CITIES = city_table(DATAC)
MUNICIPALITIES = {c[3]: c for c in CITIES if c[1] != "mestre"}
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
    "torino": "torino_attivita_commerciali_cap.csv",
    "toscana": "toscana_strutture_ricettive_28citta.csv",
    "umbria": "umbria_strutture_ricettive_28citta.csv",
    "puglia": "puglia_strutture_ricettive_28citta.csv",
    "pharmacies": "farmacie_minsalute_roma_milano_2025.csv",
}
# What the `source` column of a city file calls each source file.
SOURCE_LABELS = {
    "bologna": "bologna_register", "milano_register": "milano_register",
    "milano_m5m9": "milano_ds634", "milano_west": "milano_ds634",
    "schools": "schools", "offices": "offices", "libraries": "libraries",
    "fuel": "fuel_stations", "venezia_osm": "osm", "milano_west_osm": "osm",
    "torino": "torino_city", "toscana": "accommodation_toscana", "umbria": "accommodation_umbria",
    "puglia": "accommodation_puglia", "pharmacies": "pharmacy_register",
}
# Address sources read alike: street and house number in columns of their
# own, a code checked by the file's cap_valido.  The Città di Torino's rows
# carry the codes of the city's address database; the others are typed by
# the operators.
POINT_FILES = ["torino", "toscana", "umbria", "puglia", "pharmacies"]
# The point sources whose agreement with the registers is measured, with
# the name the data notice gives them.
POINT_SOURCES = [
    ("schools", "School addresses (Ministero dell'Istruzione e del Merito)"),
    ("offices", "Public office addresses (IndicePA)"),
    ("libraries", "Library addresses (ICCU)"),
    ("fuel_stations", "Fuel station addresses (MIMIT)"),
    ("osm", "OpenStreetMap addresses"),
    ("accommodation_toscana", "Accommodation register of Regione Toscana"),
    ("accommodation_umbria", "Accommodation register of Regione Umbria"),
    ("accommodation_puglia", "Accommodation register of Puglia (ARET Pugliapromozione)"),
    ("pharmacy_register", "Pharmacy register (Ministero della Salute)"),
]
# Points whose codes come from a city's own address database: they rank with
# the registers (a street they give codes to takes theirs, whatever the other
# points say), but each is evidence at its own number only, so a street with
# several codes lists its numbers by code and no range is drawn between them.
CITY_POINTS = {"torino_city": ("L219", "Commercial activities of the Città di Torino")}
# Where sources disagree the lower rank gives way: the codes of fuel
# stations, accommodation and pharmacies are typed by the operators, the
# others by the administrations.
LOWER_RANK = {"fuel_stations", "accommodation_toscana", "accommodation_umbria", "accommodation_puglia",
              "pharmacy_register"}
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
class ImportError_(Exception):
    pass


# cities: file base -> rows, each the street file's fields, then the kind of
# decision and the (belfiore, (designation, name)) key of its archive street,
# by which register[key] and points[key] give every house number's evidence
# behind the row (registers: (number, rest, code, district, source); points,
# a city's own among them: (number or None, code, source)).
Result = namedtuple("Result", "cities summary own shortened log examples measured trusted matching crossed "
                              "register points")


# ---------------------------------------------------------------------------
# Names
# ---------------------------------------------------------------------------

def strip_accents(text):
    decomposed = unicodedata.normalize("NFKD", text)
    return "".join(ch for ch in decomposed if not unicodedata.combining(ch))


class StreetMatcher:
    """The street matcher of the list check (zelvora-datac match), for the
    streets of one municipality: the rules of how addresses are written live
    there, once (see data/README.md, "Name matching")."""

    def __init__(self, streets, base):
        # streets: iterable of (designation, name) as in the archive; base:
        # the file base of the city, whose names and local designations count
        self.streets = sorted(set(streets))
        self.base = base

    def match_all(self, queries):
        """For each (text, designation or None, last word cut?): a Match."""
        queries = list(queries)
        if not queries:
            return []
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "streets.csv")
            with open(path, "w", encoding="utf-8", newline="") as f:
                writer = csv.writer(f)
                writer.writerow(["street", "designation"])
                writer.writerows((name, designation) for designation, name in self.streets)
            lines = "".join("%s\t%s\t%s\n" % (clean(designation or ""), clean(text), "cut" if cut else "")
                            for text, designation, cut in queries)
            out = subprocess.run([DATAC, "match", self.base, path], input=lines, check=True,
                                 capture_output=True, text=True, encoding="utf-8").stdout
        return [self.parse(line) for line in out.splitlines()]

    def parse(self, line):
        outcome, rows, written, number, last, suffix, red, same_side = line.split("\t")
        streets = [self.streets[int(r) - 1] for r in rows.split()]
        return Match(streets[0] if outcome == "found" else None,
                     streets if outcome == "ambiguous" else [],
                     streets if outcome == "none" else [], written,
                     HouseNumber(int(number), int(last), suffix, red == "1", same_side == "1"))

    def match(self, text, designation=None, last_short=False):
        """(street or None, ambiguous?) of one address."""
        m = self.match_all([(text, designation, last_short)])[0]
        return m.street, bool(m.candidates)


def clean(text):
    """An address on one line of the matcher's input."""
    return re.sub(r"[\t\r\n]", " ", text)


# What the matcher says of an address: the street found, or the streets it
# could equally be (ambiguous), or those that fit but for their designation;
# the designation written when the street was taken under another; the house
# number it cut.
Match = namedtuple("Match", "street candidates other_designations written_designation house_number")
HouseNumber = namedtuple("HouseNumber", "number last suffix red same_side")


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


def points_note(points, limit=70, prefix="CAP DIVERSI: "):
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
        text = prefix + "; ".join(parts)
        if len(text) <= limit:
            return text
    return join_within([prefix + lists[0][0]] + [c for c, _ in lists[1:]], limit)


def decide(register, points, trusted):
    """(cap, note, kind, district, sources) of a street from its register
    entries [(number, rest, code, district, source)] and point entries
    [(number, code, source)], all with counting codes.  kind: 'register',
    'several', 'points', 'disagree' or 'none'; sources: the sources that
    give the code, joined by "+".

    A register decides alone.  Otherwise a point's code counts when a
    trusted source gives it or two sources do; of the codes that count,
    those of the highest-ranked sources decide: one code is the street's,
    several leave it empty with a note listing them.  A city's own points
    (CITY_POINTS) come after a register and before every other point: the
    code of their lowest house number is the street's, and when they give
    several codes the note lists each code's numbers."""
    city = [e for e in points if e[2] in CITY_POINTS]
    if city and not register:
        return city_decision(city)
    points = [e for e in points if e[2] not in CITY_POINTS]
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


def city_decision(city):
    """decide() for a street that only a city's own points give codes."""
    lowest = min(city, key=lambda e: (e[0] is None, e[0] or 0, e[1]))
    sources = "+".join(sorted({e[2] for e in city}))
    if len({e[1] for e in city}) == 1:
        return lowest[1], "", "register", "", sources
    return lowest[1], points_note([(n, c) for n, c, _ in city], prefix=""), "several", "", sources


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
        for number, code, source in points.get(key, []):
            at = register_codes_at(entries, number)
            if source in result and at:
                result[source]["numbered"] += 1
                result[source]["numbered disagree"] += code not in at
        for label, _ in POINT_SOURCES:
            given = [c for _, c, source in points.get(key, []) if source == label]
            result[label]["addresses"] += len(given)
            result[label]["addresses agree"] += sum(1 for c in given if c in codes)
            if len(set(given)) == 1:
                result[label]["streets"] += 1
                result[label]["agree"] += given[0] in codes
    return result


def city_agreement(points):
    """For each source of CITY_POINTS, which no held-out register covers: how
    the other point sources' codes compare with its codes on the same
    streets, in agreement()'s terms ('addresses' and 'streets' are the other
    sources' addresses and the streets they give one code; 'numbered' are
    their addresses at a number the city's points have)."""
    result = {label: Counter() for label in CITY_POINTS}
    for (belfiore, _), entries in points.items():
        for label, (city, _) in CITY_POINTS.items():
            mine = [e for e in entries if e[2] == label]
            others = [e for e in entries if e[2] not in CITY_POINTS]
            if belfiore != city or not mine or not others:
                continue
            codes = {e[1] for e in mine}
            c = result[label]
            c["addresses"] += len(others)
            c["addresses agree"] += sum(1 for e in others if e[1] in codes)
            if len({e[1] for e in others}) == 1:
                c["streets"] += 1
                c["agree"] += others[0][1] in codes
            for number, code, _ in others:
                at = {e[1] for e in mine if number is not None and e[0] == number}
                if at:
                    c["numbered"] += 1
                    c["numbered disagree"] += code not in at
    return result


def cross_agreement(points, trusted):
    """For each point source, how its codes compare with the one code the
    other sources that may give a code (trusted ones, a city's own points)
    give the same street, in every city: for sources that no held-out
    register measures, and as a second look at the others.  It decides
    nothing."""
    result = {label: Counter() for label, _ in POINT_SOURCES}
    givers = set(trusted) | set(CITY_POINTS)
    for entries in points.values():
        for label, c in result.items():
            mine = [e[1] for e in entries if e[2] == label]
            others = {e[1] for e in entries if e[2] != label and e[2] in givers}
            if not mine or len(others) != 1:
                continue
            code = next(iter(others))
            c["addresses"] += len(mine)
            c["addresses agree"] += sum(1 for m in mine if m == code)
            if len(set(mine)) == 1:
                c["streets"] += 1
                c["agree"] += mine[0] == code
    return result


def register_codes_at(entries, number):
    """A register's codes at a house number: those of the number itself, or
    else of the nearest numbers of its side; none for an address without
    number."""
    if number is None:
        return set()
    same = {e[2] for e in entries if e[0] == number}
    side = [e for e in entries if e[0] % 2 == number % 2]
    if same or not side:
        return same
    nearest = min(abs(e[0] - number) for e in side)
    return {e[2] for e in side if abs(e[0] - number) == nearest}


def trusted_sources(measured):
    return {label for label, c in measured.items()
            if label not in CITY_POINTS and c["streets"] and c["agree"] >= TRUSTED_AGREEMENT * c["streets"]}


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


def shorten_all(names, limit=40):
    """Names cut down to the field by the data compiler's rule (titles and
    common words written short, then initials, then words dropped from the
    end; see addressrules::shortenedName), in their order."""
    names = list(names)
    if not names:
        return []
    out = subprocess.run([DATAC, "shorten", str(limit)], input="".join(clean(n) + "\n" for n in names),
                         check=True, capture_output=True, text=True, encoding="utf-8").stdout
    return out.splitlines()


def shorten(name, limit=40):
    return shorten_all([name], limit)[0] if len(name) > limit else name


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


def register_number(civico, barrato):
    """The house number of Milano's register: BARRATO is a letter (12A) or a
    sub-number (210/8, 68/01A), which joined bare would make another house
    number (2108)."""
    barrato = barrato.strip()
    return civico + ("/" + barrato if barrato[:1].isdigit() else barrato)


def placeholder_number(civico):
    """Whether a house number of Milano's register is its stand-in for none
    (997, 998, 999)."""
    return civico.strip() in ("997", "998", "999")


def address_rows(src):
    """Every address row of the address sources that lies in one of the
    municipalities: (belfiore, source, designation or None, street text,
    house number text, code, district, register?), and the other address of
    those rows that have one, by row index: (street text, house number
    text), to be read where the first names no street of the archive."""
    rows = []
    fallbacks = {}
    for r in read_csv(os.path.join(src, SOURCES["bologna"])):
        if r["belfiore"] == "A944" and not r["data_cessazione"]:
            number = r["civico"] + (("/" + r["subciv"]) if r["subciv"] else "")
            rows.append(("A944", "bologna", None, r["denominazione"], number, r["cap"], "", True))
    milano = read_csv(os.path.join(src, SOURCES["milano_register"]))
    numbered = {r["DESCRIZIONE_VIA"] for r in milano if not placeholder_number(r["CIVICO"])}
    for r in milano:
        # 997 to 999 stand for a number not yet given, on streets whose
        # numbers stop far below: a range drawn up to them would cover
        # numbers the street does not have.
        if placeholder_number(r["CIVICO"]) and r["DESCRIZIONE_VIA"] in numbered:
            continue
        area = MILANO_AREAS.get(r["AREA"])
        cap = "20" + r["CAP"].zfill(3) if r["CAP"].isdigit() else ""
        district = "M" + r["MUNICIPIO"] if r["MUNICIPIO"].isdigit() and len(r["MUNICIPIO"]) == 1 else ""
        rows.append(("F205", "milano_register", area or r["AREA"], r["DESCRIZIONE_VIA"],
                     register_number(r["CIVICO"], r["BARRATO"]), cap, district, True))
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
            sestiere = venetian_sestiere(r["addr_place"], r["addr_housenumber"])
            if sestiere and r["addr_street"].strip():
                fallbacks[len(rows)] = sestiere
            street, number = (r["addr_street"], r["addr_housenumber"]) if r["addr_street"].strip() or not sestiere else sestiere
            rows.append(("L736", "venezia_osm", None, street, number, r["addr_postcode"], "", False))
    for r in read_csv(os.path.join(src, SOURCES["libraries"])):
        # The street and number are typed together: the number is what
        # follows the street part.
        if r["belfiore"] in MUNICIPALITIES and r["cap_valido"] == "S":
            rows.append((r["belfiore"], "libraries", None, r["indirizzo"],
                         number_after(r["indirizzo"]), r["cap"], "", False))
    for r in read_csv(os.path.join(src, SOURCES["fuel"])):
        # Motorway service areas lie on no street of the city, flagged or
        # written on the motorway ("A1 MILANO-NAPOLI Dir. Roma Nord, Km. 21").
        motorway = r["autostrada"] == "S" or re.match(r"\s*A\d+\b", r["indirizzo_originale"])
        if r["belfiore"] in MUNICIPALITIES and not motorway and r["cap_valido"] == "S":
            rest = r["indirizzo_originale"][len(r["via"]):]
            # The address as typed, without its postal code: the street part
            # cut from it loses the number of a state road (STRADA STATALE 75
            # BIS); the matcher cuts the house number itself.
            typed = re.sub(r"\b%s\b" % re.escape(r["cap"]), " ", r["indirizzo_originale"]).strip(" -,")
            rows.append((r["belfiore"], "fuel", None, typed,
                         number_after(rest.replace(r["cap"], " ")), r["cap"], "", False))
    for key in POINT_FILES:
        for r in read_csv(os.path.join(src, SOURCES[key])):
            if r["belfiore"] in MUNICIPALITIES and r["cap_valido"] == "S":
                typed = unmangled(r["indirizzo_originale"])
                rows.append((r["belfiore"], key, None, street_part(unmangled(r["via"]), typed),
                             r["civico"], r["cap"], "", False))
    return rows, fallbacks


def unmangled(text):
    """Text whose UTF-8 was once read as code page 1252 ("GiosuÃ¨", a few
    accommodation rows) as it was written; any other text as it is."""
    if "Ã" not in text and "Â" not in text:
        return text
    try:
        return text.encode("cp1252").decode("utf-8")
    except UnicodeError:
        return text


def street_part(street, typed):
    """The street of an address whose street column holds only the
    designation because the name came with its initials in brackets,
    "PIAZZA (COMITATO LIBERAZIONE NAZIONALE) C.L.N. 218", "PIAZZALE (C.R.I.)
    CROCE ROSSA ITALIANA 4": the designation and the longer of the two."""
    m = re.match(r"\s*%s\s*\(([^)]+)\)([^\d]*)" % re.escape(street.strip()), typed or "")
    if " " in street.strip() or not m:
        return street
    return "%s %s" % (street.strip(), max(m.group(1).strip(), m.group(2).strip(" ,"), key=len))


# The sestieri of Venezia's historic centre: a house there is addressed by
# its sestiere and a number that runs through the whole sestiere (SAN MARCO
# 1092), whatever calle it stands on.
SESTIERI = ("CANNAREGIO", "CASTELLO", "SAN MARCO", "SAN POLO", "SANTA CROCE", "DORSODURO", "GIUDECCA")


def venetian_sestiere(place, number):
    """The sestiere and its house number that a Venezia OpenStreetMap node
    gives in addr:place or with its number ("Castello 5364", "1516
    Dorsoduro"), as an address (street, number); None outside the historic
    centre. A node there may name its calle too, which the archive holds for
    some calli only."""
    named = strip_accents(number).upper()
    for sestiere in SESTIERI:
        m = re.fullmatch(r"\s*(?:%s\s+(\S+)|(\S+)\s+%s)\s*" % (sestiere, sestiere), named)
        if m:
            return "SESTIERE " + sestiere, m.group(1) or m.group(2)
    if strip_accents(place).strip().upper() in SESTIERI:
        return "SESTIERE " + place.strip().upper(), number
    return None


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

# Lists whose addresses are only matched, to measure the matcher on
# addresses as people write them: (label, file, column of the address).
MEASURED_LISTS = [("pharmacies", "farmacie_minsalute_roma_milano_2025.csv", "indirizzo_originale")]


class Matching:
    """How the addresses of each source were matched: found (of them, under
    another designation than the one written), ambiguous, not found, and
    examples of the last two."""

    def __init__(self):
        self.counts = defaultdict(Counter)
        self.not_found = defaultdict(list)
        self.ambiguous = defaultdict(list)

    def add(self, source, text, m):
        if m is None:
            return  # no street name
        c = self.counts[source]
        c["addresses"] += 1
        if m.street:
            c["found"] += 1
            c["taken"] += bool(m.written_designation)
        elif m.candidates:
            c["ambiguous"] += 1
            if len(self.ambiguous[source]) < 5:
                self.ambiguous[source].append("%s: %s" % (text.strip(), ", ".join(
                    " ".join(p for p in street if p) for street in m.candidates[:4])))
        else:
            c["not found"] += 1
            if len(self.not_found[source]) < 20:
                self.not_found[source].append(text.strip())


def measure_list(matching, label, path, column, streets):
    """Matches the addresses of a list that gives no codes, for the measure."""
    if not os.path.exists(path):
        return
    rows = [(r["belfiore"], label, None, r[column], "", "", "", False) for r in read_csv(path)
            if r["belfiore"] in MUNICIPALITIES]
    matches = match_addresses(rows, streets)
    for belfiore, _, designation, text, *_ in rows:
        matching.add(label, text, matches.get(address_key(belfiore, label, designation, text)))


def address_key(belfiore, source, designation, text):
    """What the match of an address depends on; None for no street name."""
    if not text.strip():
        return None
    # The Milano register cuts its long names: their last word may be cut short.
    return belfiore, designation, text, source == "milano_register"


def match_addresses(rows, streets):
    """The match of every distinct address of the rows, one matcher run per
    municipality: {address_key: Match}."""
    wanted = defaultdict(set)
    for belfiore, source, designation, text, *_ in rows:
        key = address_key(belfiore, source, designation, text if len(text) <= 100 else "")
        if key:
            wanted[belfiore].add(key)
    matches = {}
    for belfiore, keys in wanted.items():
        keys = sorted(keys, key=lambda k: (k[1] or "", k[2], k[3]))
        matcher = StreetMatcher(streets[belfiore], MUNICIPALITIES[belfiore][1])
        found = matcher.match_all((text, designation, cut) for _, designation, text, cut in keys)
        matches.update(zip(keys, found))
    return matches


def build(src):
    archive = read_csv(os.path.join(src, SOURCES["archive"]))
    streets = defaultdict(set)
    print("street archive: %d rows" % len(archive))
    for r in archive:
        if r["codice_belfiore"] in MUNICIPALITIES and r["DUF"].strip():
            streets[r["codice_belfiore"]].add((r["DUG"].strip().upper(), r["DUF"].strip().upper()))

    rows, fallbacks = address_rows(src)
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
    matches = match_addresses(rows, streets)
    for i, (street, number) in fallbacks.items():
        belfiore, source, designation, text, _, code, district, is_register = rows[i]
        m = matches.get(address_key(belfiore, source, designation, text))
        if not (m and m.street):
            rows[i] = (belfiore, source, designation, street, number, code, district, is_register)
    matches.update(match_addresses([rows[i] for i in fallbacks], streets))
    matching = Matching()
    for belfiore, source, designation, text, number, code, district, is_register in rows:
        if len(text) > 100:
            text = ""  # no street name, but a broken record
        m = matches.get(address_key(belfiore, source, designation, text))
        street, ambiguous = (m.street, bool(m.candidates)) if m else (None, False)
        matching.add(SOURCE_LABELS.get(source, source), text, m)
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
    for label, path, column in MEASURED_LISTS:
        measure_list(matching, label, os.path.join(src, path), column, streets)
    measured = agreement(register, points)
    measured.update(city_agreement(points))
    trusted = trusted_sources(measured)
    crossed = cross_agreement(points, trusted)
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
                                 cap, "", note, sources, kind, (belfiore, street)])
            summary[base]["matched"] += matched_rows[(belfiore, street)]

    print("distinct (designation, name) pairs: %d" % sum(len(v) for v in streets.values()))
    for base, city_rows in cities.items():
        # Shorten long names, keeping (street, designation) unique.
        taken = {(r[0], r[1]) for r in city_rows if len(r[0]) <= 40}
        long_names = [r[0] for r in city_rows if len(r[0]) > 40]
        shorter = dict(zip(long_names, shorten_all(long_names)))
        for r in city_rows:
            if len(r[0]) > 40:
                short = shorter[r[0]]
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
    return Result(cities, summary, own, shortened, log, examples, measured, trusted, matching, crossed,
                  dict(register), dict(points))


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


EVIDENCE_HEADER = ["street", "designation", "first", "last", "parity", "cap", "sources", "kind"]
PARITY = {None: "T", "DISPARI": "D", "PARI": "P"}
# The largest house number the evidence file holds; the Milano register's
# few larger ones (100123 in Piazza Luigi di Savoia) are typing slips.
EVIDENCE_MAX_NUMBER = 65535


def evidence_rows(rows, register, points):
    """Every house number's evidence behind a city's coded streets, one row
    each, in the order of the street rows: a street with a register has its
    register's ranges (kind R, complete for the street: segments() of its
    numbers, each with the sources of the numbers it spans), any other its
    points (kind P, each at its own number; points at the same number with
    the same code are one row naming every source).  A point without number
    is no evidence at a number and is left out; so are streets without a
    code; so are numbers 0 (no house number) and beyond EVIDENCE_MAX_NUMBER."""
    out = []
    for row in rows:
        if row[7] == "none":
            continue
        street, designation, key = row[0], row[1], row[8]
        entries = [e for e in register.get(key, []) if 1 <= e[0] <= EVIDENCE_MAX_NUMBER]
        if entries:
            for first, last, side, code in segments([(e[0], e[2]) for e in entries]):
                sources = {e[4] for e in entries if first <= e[0] <= last and e[2] == code
                           and (side is None or e[0] % 2 == (side == "DISPARI"))}
                out.append([street, designation, str(first), str(last), PARITY[side], code,
                            "+".join(sorted(sources)), "R"])
            continue
        seen = defaultdict(set)
        for number, code, source in points.get(key, []):
            if number is not None and 1 <= number <= EVIDENCE_MAX_NUMBER:
                seen[(number, code)].add(source)
        for (number, code), sources in sorted(seen.items()):
            out.append([street, designation, str(number), str(number), "T", code, "+".join(sorted(sources)), "P"])
    return out


def render_evidence(rows):
    import io
    out = io.StringIO()
    writer = csv.writer(out, lineterminator="\n")
    writer.writerow(EVIDENCE_HEADER)
    writer.writerows(rows)
    return out.getvalue().encode("utf-8")


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


def agreement_table(measured, trusted, crossed=None):
    """The table of how often each point source's codes agree with the
    held-out registers, and what that lets the source do."""
    def share(part, whole):
        return "%.1f%%" % (100.0 * part / whole) if whole else "not measured"

    lines = ["| Source | `source` | Addresses | Streets | Agreeing | Agreement | Use | Addresses agreeing |"
             " Numbered addresses | Disagreeing at their number |",
             "|---|---|---:|---:|---:|---:|---|---:|---:|---:|"]
    for label, name in POINT_SOURCES:
        c = measured[label]
        use = "gives a code alone" if label in trusted else "confirms only"
        lines.append("| %s | `%s` | %d | %d | %d | %s | %s | %s | %d | %s |"
                     % (name, label, c["addresses"], c["streets"], c["agree"], share(c["agree"], c["streets"]),
                        use, share(c["addresses agree"], c["addresses"]), c["numbered"],
                        share(c["numbered disagree"], c["numbered"])))
    for label, (_, name) in CITY_POINTS.items():
        c = measured[label]
        lines.append("| %s (the other point sources on its streets) | `%s` | %d | %d | %d | %s | ranks with the "
                     "registers | %s | %d | %s |"
                     % (name, label, c["addresses"], c["streets"], c["agree"], share(c["agree"], c["streets"]),
                        share(c["addresses agree"], c["addresses"]), c["numbered"],
                        share(c["numbered disagree"], c["numbered"])))
    if crossed:
        lines += ["", "The same sources against the one code that the other sources allowed to give a code "
                  "(and Torino's own points) give the same street, in every city; this decides nothing:", "",
                  "| Source | `source` | Addresses | Addresses agreeing | Streets | Agreeing | Agreement |",
                  "|---|---|---:|---:|---:|---:|---:|"]
        for label, name in POINT_SOURCES:
            c = crossed[label]
            lines.append("| %s | `%s` | %d | %s | %d | %d | %s |"
                         % (name, label, c["addresses"], share(c["addresses agree"], c["addresses"]),
                            c["streets"], c["agree"], share(c["agree"], c["streets"])))
    return "\n".join(lines) + "\n"


def matching_table(matching):
    """How the street of each source's addresses was found, with examples
    of the addresses not found and of the ambiguous ones."""
    def share(part, whole):
        return "%.1f%%" % (100.0 * part / whole) if whole else "-"

    lines = ["| Source | Addresses | Street found | of them under another designation | Ambiguous | Not found |",
             "|---|---:|---:|---:|---:|---:|"]
    sources = [label for label, _ in POINT_SOURCES] + [label for label, *_ in MEASURED_LISTS]
    for label in sources + sorted(set(matching.counts) - set(sources)):
        c = matching.counts[label]
        lines.append("| `%s` | %d | %s | %s | %s | %s |" % (
            label, c["addresses"], share(c["found"], c["addresses"]), share(c["taken"], c["addresses"]),
            share(c["ambiguous"], c["addresses"]), share(c["not found"], c["addresses"])))
    for label in sources:
        if matching.not_found[label]:
            lines.append("\nNot found, `%s`: %s." % (label, "; ".join("`%s`" % t for t in matching.not_found[label])))
        if matching.ambiguous[label]:
            lines.append("\nAmbiguous, `%s` (with the candidates): %s." % (
                label, "; ".join("`%s`" % t for t in matching.ambiguous[label])))
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
    lines.append("\nStreets found, per source:\n")
    lines.append(matching_table(result.matching))
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
    parser.add_argument("--evidence", metavar="FOLDER",
                        help="also write each city's house-number evidence here (data/evidence)")
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
    if args.evidence:
        write_all(args.evidence, {base + ".csv": render_evidence(evidence_rows(result.cities[base], result.register,
                                                                               result.points))
                                  for _, base, *_ in CITIES})
    log = import_log(result)
    print(log)
    if args.log:
        with open(args.log, "w", encoding="utf-8") as f:
            f.write(log)
    print(own_codes_list(result.own))
    ignored = sum(c["ignored"] for c in result.summary.values())
    print("matched address rows whose code never counts (catch-all or not the city's): %d" % ignored)
    blocks = {"coverage": table(result.summary, result.shortened),
              "agreement": agreement_table(result.measured, result.trusted, result.crossed),
              "matching": matching_table(result.matching),
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

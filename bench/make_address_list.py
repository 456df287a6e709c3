#!/usr/bin/env python3
"""Writes an address list for `zelvora-cerca --verifica` drawn at random from
the bundled sources, as an office list looks: mostly right, some codes missing
or wrong, names in lower case, a few typing errors and wrong provinces, and
street addresses of the street directory's cities.

Usage: make_address_list.py DATA_DIR ROWS OUTPUT [SEED]
"""
import csv
import os
import random
import sys


def main():
    data, rows, output = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    rng = random.Random(int(sys.argv[4]) if len(sys.argv) > 4 else 1)
    with open(os.path.join(data, "localities.csv"), encoding="utf-8", newline="") as f:
        localities = [r for r in csv.DictReader(f) if r["codes"]]
    streets = {}
    for city, name, pv in (("roma", "Roma", "RM"), ("milano", "Milano", "MI"), ("napoli", "Napoli", "NA")):
        with open(os.path.join(data, "streets", city + ".csv"), encoding="utf-8", newline="") as f:
            streets[(name, pv)] = list(csv.DictReader(f))
    provinces = sorted({r["province"] for r in localities})
    with open(output, "w", encoding="utf-8", newline="") as f:
        out = csv.writer(f, delimiter=";", lineterminator="\r\n")
        out.writerow(["Cliente", "Indirizzo", "CAP", "Località", "Prov"])
        for n in range(rows):
            draw = rng.random()
            if draw < 0.05:
                (city, pv), names = rng.choice(list(streets.items()))
                s = rng.choice(names)
                address = "%s %s, %d" % (s["designation"].title(), s["street"].title(), rng.randint(1, 200))
                out.writerow(["cliente %d" % n, address, s["cap"], city, pv])
                continue
            r = rng.choice(localities)
            name, pv, cap = r["locality"], r["province"], rng.choice(r["codes"].split())
            if draw < 0.15:
                name = name.lower()
            elif draw < 0.18:
                i = rng.randrange(len(name))
                name = name[:i] + name[i + 1:]  # a letter left out
            elif draw < 0.20:
                pv = rng.choice(provinces)
            if 0.20 <= draw < 0.25:
                cap = ""
            elif 0.25 <= draw < 0.30:
                cap = "%05d" % rng.randrange(100000)
            out.writerow(["cliente %d" % n, "Via Roma %d" % rng.randint(1, 99), cap, name, pv])


if __name__ == "__main__":
    main()

"""Street import: name matching, postal-code rules, whole runs on tiny
sources, and the bundled city files against the street file's limits."""

import csv
import os
import re
import sys
import tempfile
import unittest
from collections import Counter

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
sys.path.insert(0, os.path.join(ROOT, "tools", "import"))
import import_streets as imp  # noqa: E402

DATA = os.path.join(ROOT, "tests", "data")


def read_table(name):
    with open(os.path.join(DATA, name), encoding="utf-8", newline="") as f:
        return list(csv.DictReader(f))


class NameMatching(unittest.TestCase):
    """The table of address forms that the street matcher's own test reads,
    run through the matcher the import calls: a rule that one side changes
    fails here too."""

    def test_the_table_of_address_forms(self):
        streets = {}
        for r in read_table("address_streets.csv"):
            streets.setdefault(r["city"], []).append((r["designation"], r["street"]))
        cases = read_table("address_cases.csv")
        self.assertGreater(len(cases), 50)
        found = {}
        for city, archive in streets.items():
            mine = [c for c in cases if c["city"] == city]
            matcher = imp.StreetMatcher(archive, city)
            matches = matcher.match_all((c["address"], c["designation"] or None, c["flags"] == "cut") for c in mine)
            found.update(zip((c["case"] for c in mine), matches))
        for c in cases:
            with self.subTest(case=c["case"], address=c["address"]):
                m = found[c["case"]]
                if m.street:
                    outcome = "taken" if m.written_designation else "found"
                    named = [m.street]
                elif m.candidates:
                    outcome, named = "ambiguous", m.candidates
                else:
                    outcome = "suggested" if c["streets"] else "none"
                    named = m.other_designations if c["streets"] else []
                expected = sorted(tuple(s.split("|")) for s in c["streets"].split(";") if s)
                self.assertEqual((outcome, sorted(named)), (c["outcome"], expected))
                h = m.house_number
                if c.get("number"):
                    self.assertEqual("%d-%d" % (h.number, h.last) if h.last > h.number else str(h.number),
                                     c["number"])

    def test_the_house_number_cut(self):
        matcher = imp.StreetMatcher([("VIA", "SABOTINO")], "genova")
        m = matcher.match_all([("Via Sabotino 36/38", None, False), ("Via Sabotino 6R", None, False),
                               ("Via Sabotino snc", None, False)])
        self.assertEqual([h.house_number for h in m],
                         [imp.HouseNumber(36, 38, "", False, True), imp.HouseNumber(6, 6, "", True, True),
                          imp.HouseNumber(0, 0, "", False, True)])
        # Milano's register gives a sub-number apart from its house number.
        self.assertEqual([imp.house_number(imp.register_number(c, b)) for c, b in
                          [("210", "8"), ("68", "01A"), ("12", "A"), ("7", "")]],
                         [(210, "/8"), (68, "/01A"), (12, "A"), (7, "")])


class Codes(unittest.TestCase):
    def test_catch_all_and_foreign_codes_never_count(self):
        own = {"70121", "70125", "70126"}
        for code, counts in [("70125", True), ("70100", False), ("40121", False), ("70127", False)]:
            with self.subTest(code=code):
                self.assertEqual(imp.code_counts(code, own | {"70100"}, "70100"), counts)
        self.assertFalse(imp.code_counts("30100", {"30100", "30121"}, "30100"))
        self.assertFalse(imp.code_counts("20100", {"20100", "20121"}, "20121"))

    def test_decisions(self):
        def reg(entries, source="milano_register"):
            return [e + (source,) for e in entries]
        odd_even = reg([(n, "", "20136", "M4") for n in range(1, 58, 2)] +
                       [(n, "", "20139", "M4") for n in range(2, 41, 2)])
        halves = reg([(n, "", "40121" if n <= 20 else "40122", "") for n in range(1, 41)], "bologna_register")
        even_first = reg([(2, "", "20139", "M5"), (3, "", "20136", "M4"), (5, "", "20136", "M4")])
        chequered = reg([(n, "", "%05d" % (10000 + n % 9), "") for n in range(1, 200)])
        trusted = {"schools", "offices", "libraries", "osm"}
        cases = [
            ("one code", reg([(3, "", "40121", ""), (9, "A", "40121", "")], "bologna_register"), [],
             ("40121", "", "register", "", "bologna_register")),
            ("odd and even sides", odd_even, [],
             ("20136", "1-57 DISPARI 20136; 2-40 PARI 20139", "several", "M4", "milano_register")),
            ("two stretches", halves, [], ("40121", "1-20 40121; 21-40 40122", "several", "", "bologna_register")),
            ("lowest number is even", even_first, [],
             ("20139", "2 20139; 3-5 20136", "several", "M5", "milano_register")),
            ("register wins over points", reg([(1, "", "40121", "")], "bologna_register"), [(4, "40122", "schools")],
             ("40121", "", "register", "", "bologna_register")),
            ("points agree", [], [(4, "30172", "schools"), (None, "30172", "osm")],
             ("30172", "", "points", "", "osm+schools")),
            ("points disagree", [], [(12, "30172", "schools"), (5, "30171", "offices"), (None, "30172", "osm")],
             ("", "CAP DIVERSI: 30171 N. 5; 30172 N. 12, S.N.", "disagree", "", "")),
            ("many numbers", [], [(n, "30173", "osm") for n in range(1, 40)] +
             [(17, "30170", "schools"), (None, "30172", "libraries")],
             ("", "CAP DIVERSI: 30170 N. 17; 30172 N. S.N.; 30173 N. 1, 2, 3, 4, 5, 6 ...", "disagree", "", "")),
            ("a source that only confirms, alone", [], [(7, "70122", "fuel_stations")],
             ("", imp.NO_CODE_NOTE, "none", "", "")),
            ("a source that only confirms, confirmed", [], [(7, "70122", "fuel_stations"), (2, "70122", "offices")],
             ("70122", "", "points", "", "fuel_stations+offices")),
            ("two unmeasured sources that agree", [], [(7, "70122", "fuel_stations"), (2, "70122", "gazette")],
             ("70122", "", "points", "", "fuel_stations+gazette")),
            ("the lower rank gives way", [], [(7, "70122", "fuel_stations"), (2, "70121", "schools")],
             ("70121", "", "points", "", "schools"), trusted | {"fuel_stations"}),
            ("a pharmacy's code gives way like a fuel station's", [],
             [(7, "00186", "pharmacy_register"), (9, "00187", "schools"), (1, "00186", "accommodation_toscana")],
             ("00187", "", "points", "", "schools"), trusted | {"pharmacy_register"}),
            ("the lower rank decides alone", [], [(7, "70122", "fuel_stations")],
             ("70122", "", "points", "", "fuel_stations"), trusted | {"fuel_stations"}),
            ("nothing", [], [], ("", imp.NO_CODE_NOTE, "none", "", "")),
            ("the city's points, one code, trusted unmeasured", [],
             [(26, "10129", "torino_city"), (6, "10129", "torino_city")],
             ("10129", "", "register", "", "torino_city"), set()),
            ("the city's points rank above every other point", [],
             [(4, "10122", "schools"), (4, "10122", "offices"), (7, "10121", "torino_city")],
             ("10121", "", "register", "", "torino_city")),
            ("the city's points give numbers, never ranges", [],
             [(40, "10122", "torino_city"), (3, "10121", "torino_city"), (1, "10121", "torino_city"),
              (2, "10123", "schools")],
             ("10121", "10121 N. 1, 3; 10122 N. 40", "several", "", "torino_city")),
            ("a city point without number is not the lowest", [],
             [(None, "10122", "torino_city"), (8, "10121", "torino_city")],
             ("10121", "10121 N. 8; 10122 N. S.N.", "several", "", "torino_city")),
            ("a register ranks above the city's points", reg([(5, "", "10125", "")], "bologna_register"),
             [(5, "10126", "torino_city")], ("10125", "", "register", "", "bologna_register")),
        ]
        for name, register, points, expected, *trusting in cases:
            with self.subTest(case=name):
                self.assertEqual(imp.decide(register, points, (trusting or [trusted])[0]), expected)
        cap, note, kind, _, _ = imp.decide(chequered, [], trusted)
        self.assertEqual((cap, kind), ("10001", "several"))
        self.assertLessEqual(len(note), 70)
        self.assertTrue(note.startswith("1 10001; 2 10002; ") and note.endswith(" ..."), note)

    def test_agreement_with_the_citys_own_points(self):
        tc = "torino_city"
        points = {
            # two codes by number: one school agrees at a number of the
            # city's, an office disagrees; the street has no single code
            ("L219", ("VIA", "NIZZA")): [(2, "10125", tc), (151, "10126", tc), (151, "10126", "schools"),
                                         (9, "10123", "offices")],
            ("L219", ("CORSO", "ADRIATICO")): [(6, "10129", tc), (1, "10138", "schools"), (None, "10138", "fuel")],
            ("L219", ("VIA", "PO")): [(1, "10124", tc)],  # nothing to compare
            ("L219", ("VIA", "ROMA")): [(1, "10123", "schools")],  # no city point
            ("F205", ("VIA", "NIZZA")): [(2, "20125", tc), (2, "20126", "schools")],  # not the city's
        }
        measured = imp.city_agreement(points)[tc]
        self.assertEqual(dict(measured), {"addresses": 4, "addresses agree": 1, "streets": 1, "agree": 0,
                                          "numbered": 1, "numbered disagree": 0})
        full = {tc: Counter(streets=10, agree=10), "schools": Counter(streets=10, agree=10),
                "offices": Counter(streets=10, agree=9)}
        self.assertEqual(imp.trusted_sources(full), {"schools"})

    def test_agreement_with_the_other_sources_on_a_street(self):
        acc = "accommodation_toscana"
        points = {
            ("D612", ("VIA", "A")): [(1, "50121", acc), (3, "50121", acc), (5, "50121", "schools")],
            ("D612", ("VIA", "B")): [(1, "50122", acc), (2, "50123", acc), (5, "50122", "offices")],
            # the fuel station may not give a code, and two codes tell nothing
            ("D612", ("VIA", "C")): [(1, "50125", acc), (5, "50126", "fuel_stations")],
            ("D612", ("VIA", "D")): [(1, "50125", acc), (5, "50126", "schools"), (7, "50127", "offices")],
            ("L219", ("VIA", "E")): [(1, "10121", acc), (5, "10122", "torino_city")],
        }
        crossed = imp.cross_agreement(points, {"schools", "offices"})
        self.assertEqual(dict(crossed[acc]), {"addresses": 5, "addresses agree": 3, "streets": 2, "agree": 1})
        # a school is measured only on VIA D, against the office
        self.assertEqual(dict(crossed["schools"]), {"addresses": 1, "addresses agree": 0, "streets": 1, "agree": 0})

    def test_long_names_are_shortened_within_the_field(self):
        for name, expected in [
            ("CONVITTO FANCIULLI GRACILI E ORFANI DI GUERRA", "CONVITTO FANCIULLI GRACILI E O. DI G."),
            ("PIPPA BACCA (AL SECOLO GIUSEPPINA PASQUALINO DI MARINEO)", "PIPPA BACCA"),
            ("GENERALE CARLO ALBERTO DALLA CHIESA PREFETTO DI PALERMO",
             "GEN. CARLO ALBERTO DALLA CHIESA P. DI P."),
            ("TREDICI AVIATORI ITALIANI CADUTI A KINDU IN CONGO NELLA PRIMA MISSIONE",
             "TREDICI AVIATORI ITALIANI CADUTI A KINDU"),
            ("VIA CORTA", "VIA CORTA"),
        ]:
            with self.subTest(name=name):
                self.assertEqual(imp.shorten(name), expected)


def write(folder, name, header, rows):
    with open(os.path.join(folder, name), "w", encoding="utf-8", newline="") as f:
        writer = csv.writer(f)
        writer.writerow(header)
        writer.writerows(list(r) + [""] * (len(header) - len(r)) for r in rows)  # short rows: empty fields


class WholeRun(unittest.TestCase):
    """A run on a few rows of every source: the Venezia-Mestre rule, codes
    that never count, streets without code, the agreement of each point
    source with the registers and what it lets the source do, the source
    of each code, files that pass the checks, the data notice's tables."""

    def test_run(self):
        with tempfile.TemporaryDirectory() as src, tempfile.TemporaryDirectory() as out:
            write(src, imp.SOURCES["archive"], ["Progressivo_nazionale", "Codice_comunale", "DUG", "DUF",
                  "Denominazione_lingua1", "Denominazione_lingua2", "codice_belfiore", "codice_regione"],
                  [(1, 1, "VIA", "CA' ROSSA", "", "", "L736", "05"),
                   (2, 2, "CAMPO", "SAN POLO", "", "", "L736", "05"),
                   (20, 20, "SESTIERE", "SAN POLO", "", "", "L736", "05"),
                   (3, 3, "VIA", "MIRANESE", "", "", "L736", "05"),
                   (4, 4, "VIA", "TORINO", "", "", "L736", "05"),
                   (7, 7, "VIA", "TREDICI AVIATORI ITALIANI CADUTI A KINDU IN CONGO", "", "", "L736", "05"),
                   (8, 8, "VIA", "TREDICI AVIATORI ITALIANI CADUTI A KINDU NEL 1961", "", "", "L736", "05"),
                   (5, 5, "VIA", "SPARANO DA BARI", "", "", "A662", "16"),
                   (9, 9, "VIA", "GIUSEPPE MASSARENTI", "", "", "A944", "08"),
                   (10, 10, "VIA", "IRNERIO", "", "", "A944", "08"),
                   (11, 11, "VIA", "NOVARA", "", "", "F205", "03"),
                   (12, 12, "VIA", "CALEFATI", "", "", "A662", "16"),
                   (13, 13, "VIA", "ABATE GIMMA", "", "", "A662", "16"),
                   (14, 14, "CORSO", "ADRIATICO", "", "", "L219", "01"),
                   (15, 15, "VIA", "NIZZA", "", "", "L219", "01"),
                   (18, 18, "PIAZZALE", "CROCE ROSSA ITALIANA", "", "", "L219", "01"),
                   (16, 16, "VIA", "DEI SERVI", "", "", "D612", "09"),
                   (19, 19, "VIA", "GIOSUÈ CARDUCCI", "", "", "D612", "09"),
                   (17, 17, "VIA", "DEL CORSO", "", "", "H501", "12"),
                   (6, 6, "VIA", "SREČKO KOSOVEL", "", "", "L424", "06")])
            write(src, imp.GEONAMES, ["country_code", "zipcode", "place", "state", "state_code", "province",
                  "province_code", "community", "community_code", "latitude", "longitude"],
                  [("IT", c, p, "", "", "", pv, "", "", "", "") for c, p, pv in
                   [("30100", "Venezia", "VE"), ("30125", "Venezia", "VE"), ("30171", "Mestre", "VE"),
                    ("30172", "Mestre", "VE"), ("30174", "Mestre", "VE"), ("70121", "Bari", "BA"),
                    ("70122", "Bari", "BA"), ("40121", "Bologna", "BO"), ("40126", "Bologna", "BO"),
                    ("40138", "Bologna", "BO"), ("20153", "Milano", "MI"), ("10125", "Torino", "TO"),
                    ("10126", "Torino", "TO"), ("10129", "Torino", "TO"), ("10138", "Torino", "TO"),
                    ("50122", "Firenze", "FI"), ("00186", "Roma", "RM")]])
            write(src, imp.SOURCES["schools"], ["belfiore", "comune", "indirizzo_originale", "via", "civico",
                  "cap", "codice_scuola", "denominazione_scuola", "fonte", "data_riferimento"],
                  [("L736", "Venezia", "", "VIA CA' ROSSA", "5", "30171", "", "", "", ""),
                   ("L736", "Venezia", "", "CAMPO S. POLO", "2", "30125", "", "", "", ""),
                   ("L736", "Venezia", "", "VIA TORINO", "1", "30172", "", "", "", ""),
                   ("A662", "Bari", "", "VIA SPARANO", "9", "70121", "", "", "", ""),
                   ("A944", "Bologna", "", "VIA IRNERIO", "4", "40126", "", "", "", ""),
                   ("L219", "Torino", "", "CORSO ADRIATICO", "1", "10138", "", "", "", ""),
                   ("L219", "Torino", "", "VIA NIZZA", "151", "10126", "", "", "", "")])
            points = ["belfiore", "via", "civico", "cap", "cap_valido", "indirizzo_originale"]
            write(src, imp.SOURCES["torino"], points,
                  [("L219", "CORSO ADRIATICO", "26/B", "10129", "S"), ("L219", "CORSO ADRIATICO", "6/D", "10129", "S"),
                   ("L219", "CORSO ADRIATICO", "2", "10100", "S"), ("L219", "VIA NIZZA", "151", "10126", "S"),
                   ("L219", "VIA NIZZA", "2", "10125", "S"), ("L219", "VIA NIZZA", "4", "1012", "N"),
                   ("L219", "PIAZZALE", "", "10126", "S", "PIAZZALE (C.R.I.) CROCE ROSSA ITALIANA 4")])
            # Unmeasured: a code alone never counts, one confirmed does.
            write(src, imp.SOURCES["toscana"], points, [("D612", "Via dei Servi", "12", "50122", "S"),
                                                        ("D612", "Via GiosuÃ¨ Carducci", "3", "50122", "S", "")])
            write(src, imp.SOURCES["puglia"], points, [("A662", "VIA ABATE GIMMA", "", "70122", "S")])
            write(src, imp.SOURCES["umbria"], points, [])
            # Measured on Milano's register, then trusted in Roma too.
            write(src, imp.SOURCES["pharmacies"], points,
                  [("F205", "Via Novara", "541", "20153", "S", "Via Novara, 541"),
                   ("H501", "Via del Corso", "1", "00186", "S", "Via del Corso, 1"),
                   ("H501", "Via del Corso", "3", "00187", "N", "Via del Corso, 3")])
            write(src, imp.SOURCES["offices"], ["city", "postcode", "street", "housenumber"],
                  [("Venezia", "30100", "Via Miranese", "3"), ("Bari", "70100", "Via Sparano", "2"),
                   ("Venezia", "30173", "Via Torino", "7"), ("Mestre", "30174", "Via Torino", "9"),
                   ("Bologna", "40126", "Via Irnerio", "6")])
            write(src, imp.SOURCES["libraries"], ["belfiore", "comune", "codice_isil", "denominazione",
                  "indirizzo", "frazione", "cap", "cap_valido"],
                  [("A662", "Bari", "IT-BA1", "", "Via Calefati, 12", "", "70122", "S"),
                   ("A662", "Bari", "IT-BA2", "", "Via Abate Gimma 3", "", "70100", "N")])
            write(src, imp.SOURCES["fuel"], ["belfiore", "comune", "id_impianto", "indirizzo_originale", "via",
                  "cap", "autostrada", "cap_valido", "lat", "lon"],
                  [("A944", "Bologna", "1", "VIA MASSARENTI 12 40121", "VIA MASSARENTI", "40121", "N", "S", "", ""),
                   ("A662", "Bari", "2", "VIA CALEFATI 5 70122", "VIA CALEFATI", "70122", "N", "S", "", ""),
                   ("A662", "Bari", "3", "VIA SPARANO SNC 70121", "VIA SPARANO SNC", "70121", "N", "S", "", ""),
                   ("A662", "Bari", "4", "VIA ABATE GIMMA 9 70122", "VIA ABATE GIMMA", "70122", "N", "S", "", ""),
                   ("A662", "Bari", "5", "A14 Km 8 - 70121", "A14", "70121", "S", "S", "", "")])
            write(src, imp.SOURCES["bologna"], ["belfiore", "civico", "subciv", "denominazione", "cap",
                                                "data_cessazione"],
                  [("A944", "10", "", "VIA MASSARENTI", "40138", ""), ("A944", "2", "", "VIA IRNERIO", "40126", "")])
            write(src, imp.SOURCES["milano_west"], ["origin", "addr_street", "addr_housenumber", "addr_postcode"],
                  [("ds634 (Comune di Milano) new node", "Via Novara", "543", "20153"),
                   ("OSM existing node", "Via Novara", "541", "20153")])
            write(src, imp.SOURCES["venezia_osm"], ["belfiore", "comune", "osm_type", "osm_id", "addr_street",
                  "addr_place", "addr_housenumber", "addr_postcode", "addr_city"],
                  [("L736", "Venezia", "node", "1", "", "San Polo", "2902", "30125", ""),
                   # A calle the archive lacks: the sestiere is the address; a
                   # campo it holds is its own street.
                   ("L736", "Venezia", "node", "3", "Calle dei Saoneri", "San Polo", "2730", "30125", ""),
                   ("L736", "Venezia", "node", "4", "Calle Bernardo", "", "San Polo 2195", "30125", ""),
                   ("L736", "Venezia", "node", "5", "Campo San Polo", "San Polo", "2", "30125", ""),
                   ("L736", "Venezia", "node", "2", "Via Ca' Rossa", "", "9", "30174", "")])
            # 999 stands for a number not yet given: no range reaches it.
            write(src, imp.SOURCES["milano_register"], ["CODICE_VIA", "AREA", "DESCRIZIONE_VIA", "CIVICO",
                  "BARRATO", "CAP", "SEZIONE", "MUNICIPIO"],
                  [("1", "VIA", "NOVARA", "543", "", "153", "1", "7"), ("1", "VIA", "NOVARA", "999", "", "153", "1", "7")])
            for key, header in [("milano_m5m9", ["municipio", "street", "housenumber", "postcode"]),
                                ("offices_extra", ["belfiore", "via", "civico", "cap"])]:
                write(src, imp.SOURCES[key], header, [])
            again = os.path.join(out, "again")
            evidence = os.path.join(out, "evidence")
            readme = os.path.join(src, "README.md")
            with open(readme, "w", encoding="utf-8") as f:
                f.write("".join("%s\nold\n%s\n" % (imp.BLOCK % name, imp.END_BLOCK % name)
                                for name in ("coverage", "agreement", "matching", "own codes")))
            with open(os.devnull, "w") as quiet:
                stdout, sys.stdout = sys.stdout, quiet
                try:
                    self.assertEqual(imp.main([src, out, "--readme", readme, "--evidence", evidence]), 0)
                    self.assertEqual(imp.main([src, again]), 0)
                finally:
                    sys.stdout = stdout
            for _, base, *_ in imp.CITIES:
                with open(os.path.join(out, base + ".csv"), "rb") as a, \
                        open(os.path.join(again, base + ".csv"), "rb") as b:
                    self.assertEqual(a.read(), b.read(), base)

            def rows(base):
                with open(os.path.join(out, base + ".csv"), encoding="utf-8", newline="") as f:
                    return list(csv.reader(f))[1:]

            self.assertEqual(rows("mestre"), [
                ["CA' ROSSA", "VIA", "", "", "", "CAP DIVERSI: 30171 N. 5; 30174 N. 9", ""],
                ["TORINO", "VIA", "", "30172", "", "", "schools"]])
            self.assertEqual(rows("venezia"), [
                ["MIRANESE", "VIA", "", "", "", imp.NO_CODE_NOTE, ""],
                ["SAN POLO", "CAMPO", "", "30125", "", "", "osm+schools"],
                ["SAN POLO", "SESTIERE", "", "30125", "", "", "osm"],
                ["TREDICI AVIATORI ITALIANI CADUTI A KIN 2", "VIA", "", "", "", imp.NO_CODE_NOTE, ""],
                ["TREDICI AVIATORI ITALIANI CADUTI A KINDU", "VIA", "", "", "", imp.NO_CODE_NOTE, ""]])
            # Fuel stations disagree with Bologna's register: they only confirm.
            self.assertEqual(rows("bari"), [
                ["ABATE GIMMA", "VIA", "", "70122", "", "", "accommodation_puglia+fuel_stations"],
                ["CALEFATI", "VIA", "", "70122", "", "", "fuel_stations+libraries"],
                ["SPARANO DA BARI", "VIA", "", "70121", "", "", "fuel_stations+schools"]])
            self.assertEqual(rows("bologna"), [
                ["GIUSEPPE MASSARENTI", "VIA", "", "40138", "", "", "bologna_register"],
                ["IRNERIO", "VIA", "", "40126", "", "", "bologna_register"]])
            self.assertEqual(rows("milano"), [["NOVARA", "VIA", "M7", "20153", "", "", "milano_ds634+milano_register"]])
            self.assertEqual(rows("torino"), [
                ["ADRIATICO", "CORSO", "", "10129", "", "", "torino_city"],
                ["CROCE ROSSA ITALIANA", "PIAZZALE", "", "10126", "", "", "torino_city"],
                ["NIZZA", "VIA", "", "10125", "", "10125 N. 2; 10126 N. 151", "torino_city"]])
            self.assertEqual(rows("firenze"), [["DEI SERVI", "VIA", "", "", "", imp.NO_CODE_NOTE, ""],
                                               ["GIOSUÈ CARDUCCI", "VIA", "", "", "", imp.NO_CODE_NOTE, ""]])
            self.assertEqual(rows("roma"), [["DEL CORSO", "VIA", "", "00186", "", "", "pharmacy_register"]])
            self.assertEqual(rows("trieste"), [["SRECKO KOSOVEL", "VIA", "", "", "", imp.NO_CODE_NOTE, ""]])
            def evidence_rows(base):
                with open(os.path.join(evidence, base + ".csv"), encoding="utf-8", newline="") as f:
                    return list(csv.reader(f))

            # A register's numbers as ranges; points at their own numbers, the
            # same number and code once with both sources; no point without number.
            self.assertEqual(evidence_rows("torino"), [imp.EVIDENCE_HEADER,
                ["ADRIATICO", "CORSO", "1", "1", "T", "10138", "schools", "P"],
                ["ADRIATICO", "CORSO", "6", "6", "T", "10129", "torino_city", "P"],
                ["ADRIATICO", "CORSO", "26", "26", "T", "10129", "torino_city", "P"],
                ["NIZZA", "VIA", "2", "2", "T", "10125", "torino_city", "P"],
                ["NIZZA", "VIA", "151", "151", "T", "10126", "schools+torino_city", "P"]])
            self.assertEqual(evidence_rows("bologna")[1:], [
                ["GIUSEPPE MASSARENTI", "VIA", "10", "10", "T", "40138", "bologna_register", "R"],
                ["IRNERIO", "VIA", "2", "2", "T", "40126", "bologna_register", "R"]])
            # Points that disagree are each evidence at their number; a street without code has none.
            self.assertEqual(evidence_rows("mestre")[1:], [
                ["CA' ROSSA", "VIA", "5", "5", "T", "30171", "schools", "P"],
                ["CA' ROSSA", "VIA", "9", "9", "T", "30174", "osm", "P"],
                ["TORINO", "VIA", "1", "1", "T", "30172", "schools", "P"]])
            self.assertEqual(evidence_rows("venezia")[1:], [
                ["SAN POLO", "CAMPO", "2", "2", "T", "30125", "osm+schools", "P"],
                ["SAN POLO", "SESTIERE", "2195", "2195", "T", "30125", "osm", "P"],
                ["SAN POLO", "SESTIERE", "2730", "2730", "T", "30125", "osm", "P"],
                ["SAN POLO", "SESTIERE", "2902", "2902", "T", "30125", "osm", "P"]])
            self.assertEqual(evidence_rows("milano")[1:], [["NOVARA", "VIA", "543", "543", "T", "20153", "milano_ds634+milano_register", "R"]])
            # Each row names its archive street, whose points are the evidence behind it.
            with open(os.devnull, "w") as quiet:
                stdout, sys.stdout = sys.stdout, quiet
                try:
                    result = imp.build(src)
                finally:
                    sys.stdout = stdout
            nizza = [r for r in result.cities["torino"] if r[0] == "NIZZA"][0]
            self.assertEqual(sorted(result.points[nizza[8]]), [(2, "10125", "torino_city"),
                             (151, "10126", "schools"), (151, "10126", "torino_city")])
            self.assertEqual(result.log[("toscana", "firenze")]["matched"], 2)  # "GiosuÃ¨" read as written
            with open(readme, encoding="utf-8") as f:
                notice = f.read()
            self.assertNotIn("old", notice)
            for row in ["| `schools` | 1 | 1 | 1 | 100.0% | gives a code alone | 100.0% |",
                        "| `offices` | 1 | 1 | 1 | 100.0% | gives a code alone | 100.0% |",
                        "| `libraries` | 0 | 0 | 0 | not measured | confirms only | not measured |",
                        "| `fuel_stations` | 1 | 1 | 0 | 0.0% | confirms only | 0.0% |",
                        "| `osm` | 1 | 1 | 1 | 100.0% | gives a code alone | 100.0% |",
                        "| `accommodation_toscana` | 0 | 0 | 0 | not measured | confirms only | not measured |",
                        "| `pharmacy_register` | 1 | 1 | 1 | 100.0% | gives a code alone | 100.0% | 1 | 0.0% |",
                        "| `torino_city` | 2 | 2 | 1 | 50.0% | ranks with the registers | 50.0% | 1 | 0.0% |",
                        "| Torino | `torino.csv` | 3 | 3 | 3 | 0 |",
                        "| Bari | `bari.csv` | 3 | 3 | 0 | 3 |", "| Bologna | `bologna.csv` | 2 | 2 | 2 | 0 |"]:
                self.assertIn(row, notice)
            self.assertEqual(imp.check_file(os.path.join(out, "mestre.csv")), [])
            with open(os.path.join(out, "roma.csv"), "a", encoding="utf-8") as f:
                f.write("via roma,VIA,,0012,,,\n")
            self.assertEqual(len(imp.check_file(os.path.join(out, "roma.csv"))), 2)


class BundledFiles(unittest.TestCase):
    def test_every_city_file_keeps_the_limits(self):
        folder = os.path.join(ROOT, "data", "streets")
        for _, base, *_ in imp.CITIES:
            with self.subTest(city=base):
                path = os.path.join(folder, base + ".csv")
                self.assertTrue(os.path.exists(path))
                self.assertEqual(imp.check_file(path), [])

    def test_readme_table_matches_the_files(self):
        with open(os.path.join(ROOT, "data", "README.md"), encoding="utf-8") as f:
            table = {m.group(1): tuple(int(m.group(i)) for i in range(2, 6)) for m in
                     re.finditer(r"^\| [^|]+ \| `(\w+)\.csv` \| (\d+) \| (\d+) \| (\d+) \| (\d+) \|",
                                 f.read(), re.M)}
        self.assertEqual(sorted(table), sorted(base for _, base, *_ in imp.CITIES))
        for base, expected in table.items():
            with self.subTest(city=base):
                with open(os.path.join(ROOT, "data", "streets", base + ".csv"), encoding="utf-8") as f:
                    rows = list(csv.DictReader(f))
                registers = {"bologna_register", "milano_register", "milano_ds634", "torino_city"}
                self.assertEqual((len(rows), sum(1 for r in rows if r["cap"]),
                                  sum(1 for r in rows if r["cap"] and set(r["source"].split("+")) <= registers),
                                  sum(1 for r in rows if r["cap"] and not set(r["source"].split("+")) & registers)),
                                 expected)


if __name__ == "__main__":
    unittest.main()

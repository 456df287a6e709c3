"""Street import: name matching, postal-code rules, whole runs on tiny
sources, and the bundled city files against the street file's limits."""

import csv
import os
import re
import sys
import tempfile
import unittest

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
sys.path.insert(0, os.path.join(ROOT, "tools", "import"))
import import_streets as imp  # noqa: E402

ARCHIVE = [
    ("VIA", "GARIBALDI GIUSEPPE"), ("CORSO", "GIUSEPPE MAZZINI"),
    ("VIA", "SANT'ANTONIO A CAPODIMONTE"), ("VIA", "NICOLO' GIANNOTTA"),
    ("FORO", "BUONAPARTE"), ("VIA", "GIOVANNI FRANCESCO BARBIERI"),
    ("VIA", "CLELIA BARBIERI"), ("PIAZZA", "PORTA MONTALTO"),
    ("VIA", "DELLA FERROVIA A SAN LORENZO"), ("VIA", "SAN CARLO"),
    ("VIA", "CARLO SIGONIO"), ("PIAZZA", "MARIO PAGANO"),
    ("VIA", "ALESSANDRO ASTESANI"), ("VIA", "MASSIMO D'AZEGLIO"),
    ("MURA", "DI PORTA D'AZEGLIO"), ("VIA", "FILIPPO DE FILIPPI"),
    ("VIA", "FILIPPO FILIPPI"), ("VIA", "AGLIE`"), ("VIA", "VENTI SETTEMBRE"),
    ("PIAZZA", "UMBERTO PRIMO"), ("VIA", "MILLE"), ("VIA", "DEI MILLE"),
]


class NameMatching(unittest.TestCase):
    CASES = [
        # address, designation given apart, source cuts names, expected, ambiguous
        ("Via Giuseppe Garibaldi", None, False, ("VIA", "GARIBALDI GIUSEPPE"), False),
        ("VIA GARIBALDI", None, False, ("VIA", "GARIBALDI GIUSEPPE"), False),
        ("C.SO MAZZINI", None, False, ("CORSO", "GIUSEPPE MAZZINI"), False),
        ("VIA MAZZINI", None, False, None, False),  # only a CORSO of that name
        ("VIA S. ANTONIO A CAPODIMONTE", None, False, ("VIA", "SANT'ANTONIO A CAPODIMONTE"), False),
        ("Via Nicolò Giannotta", None, False, ("VIA", "NICOLO' GIANNOTTA"), False),
        ("Via Agliè", None, False, ("VIA", "AGLIE`"), False),
        ("FORO BUONAPARTE", "VIA", False, ("FORO", "BUONAPARTE"), False),
        ("VIA BARBIERI", None, False, None, True),
        ("PIAZZA MONTALTO", None, False, None, False),
        ("VIA DELLA FERROVIA", None, False, None, False),
        ("VIA S.CARLO", None, False, ("VIA", "SAN CARLO"), False),
        ("P.ZZA M. PAGANO", None, False, ("PIAZZA", "MARIO PAGANO"), False),
        ("ASTESANI ALESSAN", "VIA", True, ("VIA", "ALESSANDRO ASTESANI"), False),
        ("ASTESANI ALESSAN", "VIA", False, None, False),
        ("VIA D'AZEGLIO", None, False, ("VIA", "MASSIMO D'AZEGLIO"), False),
        ("DE FILIPPI FILIPPO", "VIA", False, ("VIA", "FILIPPO DE FILIPPI"), False),
        ("FILIPPI", "VIA", False, None, True),
        ("V. XX SETTEMBRE", None, False, ("VIA", "VENTI SETTEMBRE"), False),
        ("Piazza Umberto I", None, False, ("PIAZZA", "UMBERTO PRIMO"), False),
        ("VIA I MILLE", None, False, None, True),
    ]

    def test_matches(self):
        matcher = imp.StreetMatcher(ARCHIVE)
        for text, designation, cut, expected, ambiguous in self.CASES:
            with self.subTest(address=text):
                self.assertEqual(matcher.match(text, designation, cut), (expected, ambiguous))


class Codes(unittest.TestCase):
    def test_catch_all_and_foreign_codes_never_count(self):
        own = {"70121", "70125", "70126"}
        for code, counts in [("70125", True), ("70100", False), ("40121", False), ("70127", False)]:
            with self.subTest(code=code):
                self.assertEqual(imp.code_counts(code, own | {"70100"}, "70100"), counts)
        self.assertFalse(imp.code_counts("30100", {"30100", "30121"}, "30100"))
        self.assertFalse(imp.code_counts("20100", {"20100", "20121"}, "20121"))

    def test_decisions(self):
        odd_even = [(n, "", "20136", "M4") for n in range(1, 58, 2)] + \
                   [(n, "", "20139", "M4") for n in range(2, 41, 2)]
        halves = [(n, "", "40121" if n <= 20 else "40122", "") for n in range(1, 41)]
        even_first = [(2, "", "20139", "M5"), (3, "", "20136", "M4"), (5, "", "20136", "M4")]
        chequered = [(n, "", "%05d" % (10000 + n % 9), "") for n in range(1, 200)]
        cases = [
            ("one code", [(3, "", "40121", ""), (9, "A", "40121", "")], [], ("40121", "", "register", "")),
            ("odd and even sides", odd_even, [],
             ("20136", "1-57 DISPARI 20136; 2-40 PARI 20139", "several", "M4")),
            ("two stretches", halves, [], ("40121", "1-20 40121; 21-40 40122", "several", "")),
            ("lowest number is even", even_first, [], ("20139", "2 20139; 3-5 20136", "several", "M5")),
            ("register wins over points", [(1, "", "40121", "")], [(4, "40122")],
             ("40121", "", "register", "")),
            ("points agree", [], [(4, "30172"), (None, "30172")], ("30172", "", "points", "")),
            ("points disagree", [], [(12, "30172"), (5, "30171"), (None, "30172")],
             ("", "CAP DIVERSI: 30171 N. 5; 30172 N. 12, S.N.", "disagree", "")),
            ("many numbers", [], [(n, "30173") for n in range(1, 40)] + [(17, "30170"), (None, "30172")],
             ("", "CAP DIVERSI: 30170 N. 17; 30172 N. S.N.; 30173 N. 1, 2, 3, 4, 5, 6 ...", "disagree", "")),
            ("nothing", [], [], ("", imp.NO_CODE_NOTE, "none", "")),
        ]
        for name, register, points, expected in cases:
            with self.subTest(case=name):
                self.assertEqual(imp.decide(register, points), expected)
        cap, note, kind, _ = imp.decide(chequered, [])
        self.assertEqual((cap, kind), ("10001", "several"))
        self.assertLessEqual(len(note), 70)
        self.assertTrue(note.startswith("1 10001; 2 10002; ") and note.endswith(" ..."), note)

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
        writer.writerows(rows)


class WholeRun(unittest.TestCase):
    """A run on a few rows of every source: the Venezia-Mestre rule, codes
    that never count, streets without code, files that pass the checks."""

    def test_run(self):
        with tempfile.TemporaryDirectory() as src, tempfile.TemporaryDirectory() as out:
            write(src, imp.SOURCES["archive"], ["Progressivo_nazionale", "Codice_comunale", "DUG", "DUF",
                  "Denominazione_lingua1", "Denominazione_lingua2", "codice_belfiore", "codice_regione"],
                  [(1, 1, "VIA", "CA' ROSSA", "", "", "L736", "05"),
                   (2, 2, "CAMPO", "SAN POLO", "", "", "L736", "05"),
                   (3, 3, "VIA", "MIRANESE", "", "", "L736", "05"),
                   (4, 4, "VIA", "TORINO", "", "", "L736", "05"),
                   (7, 7, "VIA", "TREDICI AVIATORI ITALIANI CADUTI A KINDU IN CONGO", "", "", "L736", "05"),
                   (8, 8, "VIA", "TREDICI AVIATORI ITALIANI CADUTI A KINDU NEL 1961", "", "", "L736", "05"),
                   (5, 5, "VIA", "SPARANO DA BARI", "", "", "A662", "16"),
                   (6, 6, "VIA", "SREČKO KOSOVEL", "", "", "L424", "06")])
            write(src, imp.GEONAMES, ["country_code", "zipcode", "place", "state", "state_code", "province",
                  "province_code", "community", "community_code", "latitude", "longitude"],
                  [("IT", c, p, "", "", "", pv, "", "", "", "") for c, p, pv in
                   [("30100", "Venezia", "VE"), ("30125", "Venezia", "VE"), ("30171", "Mestre", "VE"),
                    ("30172", "Mestre", "VE"), ("30174", "Mestre", "VE"), ("70121", "Bari", "BA")]])
            write(src, imp.SOURCES["schools"], ["belfiore", "comune", "indirizzo_originale", "via", "civico",
                  "cap", "codice_scuola", "denominazione_scuola", "fonte", "data_riferimento"],
                  [("L736", "Venezia", "", "VIA CA' ROSSA", "5", "30171", "", "", "", ""),
                   ("L736", "Venezia", "", "CAMPO S. POLO", "2", "30125", "", "", "", ""),
                   ("L736", "Venezia", "", "VIA TORINO", "1", "30172", "", "", "", ""),
                   ("A662", "Bari", "", "VIA SPARANO", "9", "70121", "", "", "", "")])
            write(src, imp.SOURCES["offices"], ["city", "postcode", "street", "housenumber"],
                  [("Venezia", "30100", "Via Miranese", "3"), ("Bari", "70100", "Via Sparano", "2"),
                   ("Venezia", "30173", "Via Torino", "7"), ("Mestre", "30174", "Via Torino", "9")])
            write(src, imp.SOURCES["venezia_osm"], ["belfiore", "comune", "osm_type", "osm_id", "addr_street",
                  "addr_place", "addr_housenumber", "addr_postcode", "addr_city"],
                  [("L736", "Venezia", "node", "1", "", "San Polo", "2902", "30125", ""),
                   ("L736", "Venezia", "node", "2", "Via Ca' Rossa", "", "9", "30174", "")])
            for key, header in [("bologna", ["belfiore", "civico", "subciv", "denominazione", "cap",
                                             "data_cessazione"]),
                                ("milano_register", ["CODICE_VIA", "AREA", "DESCRIZIONE_VIA", "CIVICO",
                                                     "BARRATO", "CAP", "SEZIONE", "MUNICIPIO"]),
                                ("milano_m5m9", ["municipio", "street", "housenumber", "postcode"]),
                                ("milano_west", ["origin", "addr_street", "addr_housenumber", "addr_postcode"]),
                                ("offices_extra", ["belfiore", "via", "civico", "cap"])]:
                write(src, imp.SOURCES[key], header, [])
            again = os.path.join(out, "again")
            with open(os.devnull, "w") as quiet:
                stdout, sys.stdout = sys.stdout, quiet
                try:
                    self.assertEqual(imp.main([src, out]), 0)
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
                ["CA' ROSSA", "VIA", "", "", "", "CAP DIVERSI: 30171 N. 5; 30174 N. 9"],
                ["TORINO", "VIA", "", "30172", "", ""]])
            self.assertEqual(rows("venezia"), [
                ["MIRANESE", "VIA", "", "", "", imp.NO_CODE_NOTE],
                ["SAN POLO", "CAMPO", "", "30125", "", ""],
                ["TREDICI AVIATORI ITALIANI CADUTI A KIN 2", "VIA", "", "", "", imp.NO_CODE_NOTE],
                ["TREDICI AVIATORI ITALIANI CADUTI A KINDU", "VIA", "", "", "", imp.NO_CODE_NOTE]])
            self.assertEqual(rows("bari"), [["SPARANO DA BARI", "VIA", "", "70121", "", ""]])
            self.assertEqual(rows("trieste"), [["SRECKO KOSOVEL", "VIA", "", "", "", imp.NO_CODE_NOTE]])
            self.assertEqual(imp.check_file(os.path.join(out, "mestre.csv")), [])
            with open(os.path.join(out, "roma.csv"), "a", encoding="utf-8") as f:
                f.write("via roma,VIA,,0012,,\n")
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
                self.assertEqual((len(rows), sum(1 for r in rows if r["cap"]),
                                  sum(1 for r in rows if r["cap"] and r["note"]),
                                  sum(1 for r in rows if r["note"].startswith("CAP DIVERSI"))), expected)


if __name__ == "__main__":
    unittest.main()

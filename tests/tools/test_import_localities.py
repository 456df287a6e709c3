"""The locality import's rules, tried on small hand-made sources."""
import contextlib
import csv
import io
import json
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools", "import"))
import import_localities as imp  # noqa: E402

# istat, name, alt, province, province before 2026, Wikidata code
COMUNI = [
    ("015205", "Segrate", "", "MI", "MI", "20054"),
    ("015035", "Bubbiano", "", "MI", "MI", "20088"),
    ("082005", "Altofonte", "", "PA", "PA", "90030"),
    ("013075", "Cantù", "", "CO", "CO", "22063"),
    ("058091", "Roma", "", "RM", "RM", "00186"),
    ("027042", "Venezia", "", "VE", "VE", "30121"),
    ("027001", "Annone Veneto", "", "VE", "VE", "30020"),
    ("027002", "Caorle", "", "VE", "VE", "30021"),
    ("039014", "Ravenna", "", "RA", "RA", "48121"),
    ("081025", "Misiliscemi", "", "TP", "TP", "91031"),
    ("018999", "Montalto Pavese", "", "PV", "PV", "27040"),
    ("021008", "Bolzano", "Bozen", "BZ", "BZ", "39100"),
    ("022245", "Primiero San Martino di Castrozza", "", "TN", "TN", "38054"),
    ("118015", "Escalaplano", "", "CA", "SU", "09051"),
]
PROVINCES = [("MI", "Milano"), ("PA", "Palermo"), ("CO", "Como"), ("RM", "Roma"),
             ("VE", "Venezia"), ("RA", "Ravenna"), ("TP", "Trapani"), ("PV", "Pavia"),
             ("BZ", "Bolzano/Bozen"), ("TN", "Trento"), ("CA", "Cagliari"),
             ("OT", "Gallura Nord-Est Sardegna")]
GEONAMES = [  # code, place, province
    ("20090", "Segrate", "MI"), ("20054", "Segrate", "MI"), ("20080", "Bubbiano", "MI"),
    ("90030", "Altofonte", "PA"), ("22063", "Cantu'", "CO"), ("22063", "Cantu' Asnago", "CO"),
    ("00120", "Roma", "RM"), ("00118", "Roma", "RM"), ("00144", "Roma", "RM"), ("00144", "Eur", "RM"),
    ("30121", "Venezia", "VE"), ("30173", "Venezia", "VE"), ("30171", "Mestre", "VE"),
    ("30173", "Mestre", "VE"), ("30020", "Annone Veneto", "VE"), ("30020", "Pramaggiore", "VE"),
    ("30021", "Caorle", "VE"), ("30020", "Caorle", "VE"), ("48100", "Ravenna", "RA"),
    ("27040", "Lirio", "PV"), ("27040", "Montalto Pavese", "PV"), ("39100", "Bozen", "BZ"),
    ("38054", "Primiero San Martino di Castrozza", "TN"), ("38054", "Tonadico", "TN"),
    ("08043", "Escalaplano", "CA"), ("39100", "Weißenbach", "BZ"),
]
CHANGES = [  # istat, old, new, date, confidence
    ("015205", "20090", "20054", "2020-05-25", "high"),
    ("015035", "20080", "20088", "", "low (unverified)"),
    ("082005", "90030", "", "2024", "change announced; new CAP unknown"),
]
BASELINE = [("015205", "Segrate", "MI", ["20090"]), ("015035", "Bubbiano", "MI", ["20080"]),
            ("058091", "Roma", "RM", ["00120", "00129", "00144"]),
            ("039014", "Ravenna", "RA", ["48121", "48122"]), ("018087", "Lirio", "PV", ["27040"]),
            ("118015", "Escalaplano", "SU", ["09051"])]


def write(path, header, rows):
    with open(path, "w", encoding="utf-8", newline="") as f:
        w = csv.writer(f)
        w.writerow(header)
        w.writerows(rows)


def make_sources(folder, comuni=COMUNI, provinces=PROVINCES):
    write(os.path.join(folder, imp.COMUNI_CSV),
          ["istat_code", "istat_code_pre2026", "name_it", "name_alt", "sigla", "sigla_pre2026",
           "cap_wikidata", "established"],
          [(c[0], c[0], c[1], c[2], c[3], c[4], c[5], c[6] if len(c) > 6 else "") for c in comuni])
    write(os.path.join(folder, imp.PROVINCE_CSV), ["sigla", "denominazione"], provinces)
    write(os.path.join(folder, imp.GEONAMES_CSV),
          ["zipcode", "place", "province_code", "latitude", "longitude"],
          [(c, p, pv, "45.0", "12.0") for c, p, pv in GEONAMES])
    write(os.path.join(folder, imp.CHANGES_CSV),
          ["comune", "istat_code_2026", "sigla", "old_cap", "new_cap", "effective_date",
           "confidence", "source_new_cap"], [("", i, "", o, n, d, c, "Wikidata P281") for i, o, n, d, c in CHANGES])
    os.makedirs(os.path.join(folder, "baseline"))
    with open(os.path.join(folder, imp.BASELINE_JSON), "w", encoding="utf-8") as f:
        json.dump([{"codice": c, "nome": n, "sigla": s, "cap": caps} for c, n, s, caps in BASELINE], f)


def run_import(**sources):
    """Imports the sources; gives the exit status and the files written."""
    src, out = tempfile.TemporaryDirectory(), tempfile.TemporaryDirectory()
    make_sources(src.name, **sources)
    with contextlib.redirect_stderr(io.StringIO()):
        rc = imp.main([src.name, out.name], out=io.StringIO())
    files = {}
    for n in sorted(os.listdir(out.name)):
        with open(os.path.join(out.name, n), encoding="utf-8") as f:
            files[n] = f.read()
    src.cleanup()
    out.cleanup()
    return rc, files


class ImportRules(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        rc, cls.files = run_import()
        assert rc == 0
        cls.rows = list(csv.DictReader(io.StringIO(cls.files["localities.csv"])))

    def find(self, name, province):
        return [r for r in self.rows if r["locality"] == name and r["province"] == province]

    def test_rows(self):
        # name, province, expected (cap, note, codes) of every row under that name
        table = [
            ("SEGRATE", "MI", [("20054", "", "20054")]),             # documented change
            ("BUBBIANO", "MI", [("20080", "", "20080")]),            # low confidence, alone
            ("ALTOFONTE", "PA", [("90030", "CAP VARIATO NEL 2024: VERIFICARE", "90030")]),
            ("ROMA", "RM", [("", "CAP PER VIA: VEDI ZONE POSTALI", "00118 00144")]),  # no 00120, 00129
            ("RAVENNA", "RA", [("48121", "", "48121")]),             # GeoNames out of date
            ("MISILISCEMI", "TP", [("91031", "CAP DA VERIFICARE", "91031")]),
            ("ESCALAPLANO", "CA", [("09051", "", "09051")]),
            ("BOLZANO", "BZ", [("39100", "", "39100")]),
            ("CANTU'", "CO", [("22063", "NOME UFFICIALE: CANTÙ", "22063")]),
            ("CANTU' ASNAGO", "CO", [("22063", "FRAZ. DI CANTÙ", "22063")]),
            ("MESTRE", "VE", [("30171", "FRAZ. DI VENEZIA", "30171"),
                              ("30173", "FRAZ. DI VENEZIA", "30173")]),
            ("EUR", "RM", [("00144", "FRAZ. DI ROMA", "00144")]),
            ("PRAMAGGIORE", "VE", [("30020", "", "30020")]),         # two municipalities share it
            ("TONADICO", "TN", [("38054", "PRIMIERO SAN MARTINO DI CASTROZZA", "38054")]),
            ("LIRIO", "PV", []),                                     # former municipality
            ("BOZEN", "BZ", []),                                     # Bolzano's other name
            ("WEISSENBACH", "BZ", [("39100", "FRAZ. DI BOLZANO", "39100")]),  # as the search types it
            ("VENEZIA", "VE", [("", "CAP PER VIA: VEDI ZONE POSTALI", "30121 30173")]),
        ]
        for name, province, expected in table:
            with self.subTest(name=name):
                got = [(r["cap"], r["note"], r["codes"]) for r in self.find(name, province)]
                self.assertEqual(sorted(got), expected)

    def test_every_text_fits_its_field(self):
        for r in self.rows:
            for field, limit in (("locality", 39), ("bil", 33), ("note", 34)):
                self.assertLessEqual(len(r[field]), limit, r)
                r[field].encode("cp1252")

    def test_provinces_are_short_and_complete(self):
        provinces = dict(csv.reader(io.StringIO(self.files["provinces.csv"])))
        self.assertEqual(provinces["OT"], "GALLURA NORD-EST")
        self.assertEqual(len(provinces), len(PROVINCES) + 1)  # with the header
        self.assertTrue(all(len(n) <= 20 for n in provinces.values()))

    def test_changes_list_the_codes_replaced_and_the_municipalities_gone(self):
        # Applied changes only (not Bubbiano's, low confidence alone, nor
        # Altofonte's, without a new code); Lirio has no successor here.
        self.assertEqual(self.files["changes.csv"],
                         "kind,locality,province,cap,new_locality,new_province,new_cap\n"
                         "cap,SEGRATE,MI,20090,,,20054\n"
                         "merged,LIRIO,PV,,,,\n")
        # A municipality of the same province established since 2020 whose
        # name holds the old name's word is the one it merged into; one of
        # another province is not.
        newer = [("018998", "Lirio e Uniti", "", "PV", "PV", "27040", "2023-01-01"),
                 ("015998", "Lirio Nuovo", "", "MI", "MI", "20090", "2024-01-01")]
        rc, files = run_import(comuni=COMUNI + newer)
        self.assertEqual(rc, 0)
        self.assertIn("merged,LIRIO,PV,,LIRIO E UNITI,PV,\n", files["changes.csv"])

    def test_same_sources_same_bytes(self):
        self.assertEqual(run_import()[1], self.files)


class ImportRefuses(unittest.TestCase):
    def test_failures_write_nothing(self):
        cases = [
            ("province name over 20 characters",
             dict(provinces=PROVINCES + [("XX", "Provincia dal nome troppo lungo")])),
            ("municipality in an unknown province",
             dict(comuni=COMUNI + [("099999", "Nuovo", "", "ZZ", "ZZ", "")])),
        ]
        for what, sources in cases:
            with self.subTest(what):
                self.assertEqual(run_import(**sources), (1, {}))

    def test_record_limit(self):
        limit, imp.RECORDS_MAX = imp.RECORDS_MAX, 20
        try:
            self.assertEqual(run_import(), (1, {}))
        finally:
            imp.RECORDS_MAX = limit


if __name__ == "__main__":
    unittest.main()

// zelvora-cerca --verifica run as a program on a small data folder: the
// outcome each row of a list gives, written as the list came (separator,
// quotes, encoding) or as asked, and how the run exits.
#include "common/house_evidence.h"
#include "support/fixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zelvora::test;

namespace {

using Run = ProgramRun;

// The columns every checked row gets, after its own.
QByteArray added(char separator)
{
    return QByteArray("esito;cap_proposto;localita_trovata;pv_trovata;nota").replace(';', separator);
}

} // namespace

class TestVerifica : public QObject
{
    Q_OBJECT

    QTemporaryDir m_data;
    QTemporaryDir m_lists;

    // Runs the program; "FILE" in the arguments is a file holding `input`,
    // otherwise `input` comes on standard input.
    Run cerca(QStringList args, const QByteArray &input)
    {
        const QString file = m_lists.filePath(QStringLiteral("elenco.csv"));
        writeAll(file, input);
        args.replaceInStrings(QStringLiteral("FILE"), file);
        args << QStringLiteral("--dati") << m_data.path();
        return runProgram(QStringLiteral(ZELVORA_CERCA), args, input);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(buildDataFolder(
            m_data.path(),
            {{"ROMA", "RM", "", "", "", "CAP PER VIA: VEDI ZONE POSTALI", {"00184", "00187", "00195"}},
             {"CANTÙ", "CO", "", "22063"},
             {"CANTU'", "CO", "", "22063", "", "NOME UFFICIALE: CANTÙ"},
             {"SEGRATE", "MI", "", "20054"},
             {"CASTEGNERO NANTO", "VI", "", "", "", "", {"36020", "36024"}},
             {"SASSOFELTRIO", "RN", "", "61013"},
             {"CERVIA MILANO MARITTIMA", "RA", "", "48015"},
             {"SAN GIOVANNI ROTONDO", "FG", "", "71013"},
             {"SAN GIOVANNI", "TO", "", "10060"},
             {"MODENA", "MO", "", "", "", "CAP DA 41121 A 41123", {"41121", "41122", "41123"}},
             {"ALBARETO", "MO", "", "", "", "FRAZ. DI MODENA"},
             {"RIMINI", "RN", "", "", "", "", {"47921", "47922"}},
             {"LISSONE", "MB", "", "20851"},
             {"BOLZANO", "BZ", "", "39100", "BOZEN"},
             {"BOZEN", "BZ", "", "39100", "BOLZANO", "NOME UFFICIALE: BOLZANO"},
             {"SEGRATE", "BG", "", "24000"},
             {"CASTRO", "BG", "", "24063"},
             {"CASTRO", "LE", "", "73030"},
             {"FIUMICINO", "RM", "", "00054"},
             {"MILANO", "MI", "", "", "", "CAP PER VIA", {"20127", "20131", "20132", "20147"}},
             {"FREGENE", "RM", "", "00050"},
             {"VENEZIA", "VE", "", "", "", "CAP PER VIA", {"30121", "30124", "30174"}}},
            {{"BG", "BERGAMO"}, {"BZ", "BOLZANO"}, {"CO", "COMO"}, {"LE", "LECCE"}, {"FG", "FOGGIA"}, {"MB", "MONZA E BRIANZA"}, {"MI", "MILANO"},
             {"MO", "MODENA"}, {"RA", "RAVENNA"}, {"RM", "ROMA"}, {"RN", "RIMINI"}, {"TO", "TORINO"},
             {"VE", "VENEZIA"}, {"VI", "VICENZA"}}));
        QList<zelvora::datac::Fault> faults;
        QVERIFY(zelvora::datac::compileChangesFolder(
            {{{"cap", "SEGRATE", "MI", "20090", "", "", "20054"},
              {"merged", "CASTEGNERO", "VI", "", "CASTEGNERO NANTO", "VI", ""},
              {"merged", "LIRIO", "PV", "", "", "", ""},
              {"generic", "MODENA", "MO", "41100"},
              {"generic", "RIMINI", "RN", "47900", "", "", "", "2010"},
              {"fraction", "ALBARETO", "MO", "", "MODENA", "MO"},
              {"fraction", "FREGENE", "RM", "00050", "FIUMICINO", "RM"},
              {"province", "LISSONE", "MI", "", "LISSONE", "MB", "", "2009"},
              {"name", "BOZEN", "BZ", "", "BOLZANO", "BZ"}}},
            m_data.path(), faults));
        QVERIFY(buildCity(m_data.path(), QStringLiteral("roma"),
                          {{"VENTI SETTEMBRE", "VIA", "", "00187"},
                           {"GIUSEPPE MAZZINI", "VIALE", "", "00195"},
                           {"VENEZIA", "PIAZZA", "", "", "", "CAP NON PRESENTE NEI DATI APERTI"},
                           {"SAN FRANCESCO A RIPA", "VIA", "", "00153"},
                           {"GARIBALDI GIUSEPPE", "PIAZZA", "", "00184"},
                           {"GARIBALDI ANITA", "PIAZZA", "", "00187"},
                           {"FRATELLI BANDIERA", "VIA", "", "00153"},
                           {"D'ANNUNZIO GABRIELE", "VIALE", "", "00144"},
                           {"DON GIOVANNI MINZONI", "VIA", "", "00197"}}));
        // One municipality in two files: the historic centre and the mainland.
        QVERIFY(buildCity(m_data.path(), QStringLiteral("venezia"),
                          {{"SAN MARCO", "PIAZZA", "", "30124"}, {"SAN MARCO", "SESTIERE", "", "30124"},
                           {"GARIBALDI", "VIA", "", "30122"}}));
        QVERIFY(buildCity(m_data.path(), QStringLiteral("mestre"),
                          {{"MIRANESE", "VIA", "", "30174"}, {"GARIBALDI", "VIA", "", "30174"},
                           {"SAN MARCO", "VIALE", "", "30173"}}));
        // A city with house-number evidence: a register's ranges, points.
        const auto bit = [](QStringView source) { return zelvora::evidencefile::sourceBit(source); };
        using zelvora::Parity;
        QVERIFY(buildCity(m_data.path(), QStringLiteral("milano"),
                          {{"PADOVA", "VIA", "", "20127", "", "1-283 DISPARI 20127; 2-100 PARI 20131; ..."},
                           {"GIAMBELLINO", "VIA", "", "20147"},
                           {"CRESCENZAGO", "VIA", "", "20132"},
                           {"ASIAGO", "VIA", "", "20128"}},
                          {{"PADOVA", "VIA", {1, 283, Parity::Odd, "20127", bit(u"milano_register"), true}},
                           {"PADOVA", "VIA", {2, 100, Parity::Even, "20131", bit(u"milano_register"), true}},
                           {"PADOVA", "VIA", {102, 2582, Parity::Even, "20132", bit(u"milano_register"), true}},
                           {"PADOVA", "VIA", {345, 1023, Parity::Odd, "20132", bit(u"milano_register"), true}},
                           {"GIAMBELLINO", "VIA", {130, 155, Parity::All, "20147", bit(u"milano_register"), true}},
                           {"CRESCENZAGO", "VIA", {113, 113, Parity::All, "20132", bit(u"schools"), false}},
                           {"CRESCENZAGO", "VIA", {348, 348, Parity::All, "20131", bit(u"fuel_stations"), false}},
                           {"ASIAGO", "VIA", {5, 5, Parity::All, "20128", bit(u"schools"), false}}}));
    }

    void givesEachRowItsOutcome_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("err"); // a part of standard error

        const QStringList check{"--verifica", "-"};
        const QByteArray semicolons = "localita;pv;cap\n";
        const QByteArray semicolonsOut = "localita;pv;cap;" + added(';') + '\n';

        // The locality and its code.
        QTest::newRow("OK: one of the city's codes")
            << check << semicolons + "Roma;RM;00187\n" << semicolonsOut + "Roma;RM;00187;OK;;ROMA;RM;\n" << 0
            << "righe lette: 1\n  OK";
        QTest::newRow("CAP MANCANTE: the one code; case and accents ignored, the accented name shown")
            << check << semicolons + "cantu';co;\n" << semicolonsOut + "cantu';co;;CAP MANCANTE;22063;CANTÙ;CO;\n"
            << 1 << "CAP MANCANTE";
        QTest::newRow("OK: the name in both its languages, the province in brackets after the name")
            << check << semicolons + "Bolzano/Bozen;BZ;39100\nBolzano - Bozen;;39100\nFiumicino (RM);;00054\n"
            << semicolonsOut + "Bolzano/Bozen;BZ;39100;OK;;BOLZANO;BZ;\nBolzano - Bozen;;39100;OK;;BOLZANO;BZ;\n"
                               "Fiumicino (RM);;00054;OK;;FIUMICINO;RM;\n"
            << 0 << "";
        QTest::newRow("CAP MANCANTE: every code")
            << check << semicolons + "ROMA;RM; \n" << semicolonsOut + "ROMA;RM; ;CAP MANCANTE;00184 00187 00195;ROMA;RM;\n"
            << 1 << "";
        QTest::newRow("CAP ERRATO: the right codes beside the wrong one")
            << check << semicolons + "Roma;RM;00100\n"
            << semicolonsOut + "Roma;RM;00100;CAP ERRATO;00184 00187 00195;ROMA;RM;\n" << 1 << "";
        QTest::newRow("CAP ERRATO: leading zeros lost by a spreadsheet")
            << check << semicolons + "Roma;RM;187\n"
            << semicolonsOut + "Roma;RM;187;CAP ERRATO;00184 00187 00195;ROMA;RM;zeri iniziali persi\n" << 1 << "";
        QTest::newRow("CAP VARIATO: the code before a documented change")
            << check << semicolons + "Segrate;MI;20090\n"
            << semicolonsOut + "Segrate;MI;20090;CAP VARIATO;20054;SEGRATE;MI;20090 sostituito da 20054\n" << 1 << "";
        QTest::newRow("COMUNE NON PIÙ ESISTENTE: merged, with the codes of the new one")
            << check << semicolons + "Castegnero;VI;36020\n"
            << semicolonsOut
                   + "Castegnero;VI;36020;COMUNE NON PIÙ ESISTENTE;36020 36024;CASTEGNERO NANTO;VI;"
                     "fuso in CASTEGNERO NANTO (VI)\n"
            << 1 << "COMUNE NON PIÙ ESISTENTE";
        QTest::newRow("COMUNE NON PIÙ ESISTENTE: the sources do not say where")
            << check << semicolons + "Lirio;PV;27040\n"
            << semicolonsOut
                   + "Lirio;PV;27040;COMUNE NON PIÙ ESISTENTE;;;;"
                     "comune soppresso dopo il 2020: le fonti non dicono in quale comune è confluito\n"
            << 1 << "";
        QTest::newRow("PROVINCIA ERRATA: the province it is in")
            << check << semicolons + "Sassofeltrio;PU;61013\n"
            << semicolonsOut + "Sassofeltrio;PU;61013;PROVINCIA ERRATA;;SASSOFELTRIO;RN;SASSOFELTRIO non è in provincia di PU\n"
            << 1 << "";
        QTest::newRow("CAP GENERICO: a catch-all beside zone codes, with the zone codes")
            << check << semicolons + "Modena;MO;41100\n"
            << semicolonsOut + "Modena;MO;41100;CAP GENERICO;41121 41122 41123;MODENA;MO;"
                               "41100 è il CAP generico: ora un CAP per zona\n"
            << 1 << "CAP GENERICO";
        QTest::newRow("CAP VARIATO: a catch-all whose replacement is dated")
            << check << semicolons + "Rimini;RN;47900\n"
            << semicolonsOut + "Rimini;RN;47900;CAP VARIATO;47921 47922;RIMINI;RN;47900 sostituito dai CAP di zona nel 2010\n"
            << 1 << "";
        QTest::newRow("a frazione without a code of its own: its municipality's codes")
            << check << semicolons + "Albareto;MO;41122\nAlbareto;MO;41100\nAlbareto;MO;41200\n"
            << semicolonsOut + "Albareto;MO;41122;OK;;ALBARETO;MO;frazione di MODENA\n"
                               "Albareto;MO;41100;CAP GENERICO;41121 41122 41123;ALBARETO;MO;"
                               "frazione di MODENA - 41100 è il CAP generico: ora un CAP per zona\n"
                               "Albareto;MO;41200;CAP ERRATO;41121 41122 41123;ALBARETO;MO;frazione di MODENA\n"
            << 1 << "";
        QTest::newRow("OK: a frazione's own code under its municipality, the frazione named")
            << check << semicolons + "Fiumicino;RM;00050\n"
            << semicolonsOut + "Fiumicino;RM;00050;OK;;FIUMICINO;RM;frazione FREGENE\n" << 0 << "";
        QTest::newRow("PROVINCIA VARIATA: a province it was in, the code right")
            << check << semicolons + "Lissone;MI;20851\n"
            << semicolonsOut + "Lissone;MI;20851;PROVINCIA VARIATA;;LISSONE;MB;provincia MI fino al 2009: ora MB\n"
            << 1 << "PROVINCIA VARIATA";
        QTest::newRow("PROVINCIA VARIATA: a province it was in, the code still checked")
            << check << semicolons + "Lissone;Milano;20035\n"
            << semicolonsOut + "Lissone;Milano;20035;PROVINCIA VARIATA;20851;LISSONE;MB;"
                               "provincia MI fino al 2009: ora MB - CAP ERRATO\n"
            << 1 << "";
        QTest::newRow("PROVINCIA ERRATA: a province it was never in")
            << check << semicolons + "Lissone;CO;20851\n"
            << semicolonsOut + "Lissone;CO;20851;PROVINCIA ERRATA;;LISSONE;MB;LISSONE non è in provincia di CO\n"
            << 1 << "";
        QTest::newRow("no province: the code, or a code it had, tells which of two places")
            << check << semicolons + "Castro;;73030\nCastro;;24000\nSegrate;;20090\n"
            << semicolonsOut + "Castro;;73030;OK;;CASTRO;LE;\n"
                               "Castro;;24000;PROVINCIA ERRATA;;CASTRO;BG LE;provincia mancante\n"
                               "Segrate;;20090;CAP VARIATO;20054;SEGRATE;MI;20090 sostituito da 20054\n"
            << 1 << "";
        QTest::newRow("another name: checked as the locality it names")
            << check << semicolons + "Bozen;BZ;39100\nBOZEN;;39200\n"
            << semicolonsOut + "Bozen;BZ;39100;OK;;BOLZANO;BZ;nome ufficiale: BOLZANO\n"
                               "BOZEN;;39200;CAP ERRATO;39100;BOLZANO;BZ;nome ufficiale: BOLZANO\n"
            << 1 << "";
        QTest::newRow("a province written by its name")
            << check << semicolons + "Sassofeltrio;Rimini;61013\n"
            << semicolonsOut + "Sassofeltrio;Rimini;61013;OK;;SASSOFELTRIO;RN;\n" << 0 << "";
        QTest::newRow("LOCALITÀ SCONOSCIUTA: a name that holds the typed words")
            << check << semicolons + "milano marittima;RA;48015\n"
            << semicolonsOut + "milano marittima;RA;48015;LOCALITÀ SCONOSCIUTA;;;;forse: CERVIA MILANO MARITTIMA (RA)\n"
            << 1 << "";
        QTest::newRow("LOCALITÀ SCONOSCIUTA: a letter left out, S. for SAN")
            << check << semicolons + "S. Giovani Rotondo;FG;71013\n"
            << semicolonsOut
                   + "S. Giovani Rotondo;FG;71013;LOCALITÀ SCONOSCIUTA;;;;"
                     "forse: SAN GIOVANNI ROTONDO (FG)\n"
            << 1 << "";
        QTest::newRow("S.TA, S. and apostrophes ignored: found")
            << check << semicolons + "S.Giovanni-Rotondo;FG;71013\n"
            << semicolonsOut + "S.Giovanni-Rotondo;FG;71013;OK;;SAN GIOVANNI ROTONDO;FG;\n" << 0 << "";

        // Streets of the street directory: comma separated, CR LF, quoted.
        const QByteArray commas = "citta,indirizzo,cap\r\n";
        const QByteArray commasOut = "citta,indirizzo,cap," + added(',') + "\r\n";
        QTest::newRow("street: Roman numerals for words, house number after a comma")
            << check << commas + "Roma,\"Via XX Settembre, 12\",00187\r\n"
            << commasOut + "Roma,\"Via XX Settembre, 12\",00187,OK,,ROMA,RM,VIA VENTI SETTEMBRE\r\n" << 0 << "";
        QTest::newRow("street: the street's code, not the city's; V.LE and an initial")
            << check << commas + "Roma,V.le G. Mazzini 3,00187\r\n"
            << commasOut + "Roma,V.le G. Mazzini 3,00187,CAP ERRATO,00195,ROMA,RM,VIALE GIUSEPPE MAZZINI\r\n" << 1 << "";
        QTest::newRow("street: designation left out, given name after the surname, SNC")
            << check << commas + "roma,Mazzini Giuseppe SNC,\r\n"
            << commasOut + "roma,Mazzini Giuseppe SNC,,CAP MANCANTE,00195,ROMA,RM,VIALE GIUSEPPE MAZZINI\r\n" << 1 << "";
        QTest::newRow("street: S. for SAN, KM cut")
            << check << commas + "Roma,Via S. Francesco a Ripa km 2,00153\r\n"
            << commasOut + "Roma,Via S. Francesco a Ripa km 2,00153,OK,,ROMA,RM,VIA SAN FRANCESCO A RIPA\r\n" << 0 << "";
        QTest::newRow("VIA SENZA CAP NEI DATI APERTI: P.ZZA, with the street's note")
            << check << commas + "Roma,P.zza Venezia 1,00186\r\n"
            << commasOut
                   + "Roma,P.zza Venezia 1,00186,VIA SENZA CAP NEI DATI APERTI,,ROMA,RM,"
                     "PIAZZA VENEZIA: CAP NON PRESENTE NEI DATI APERTI\r\n"
            << 1 << "";
        QTest::newRow("street: VIA for the only VIALE of the name, taken, with the designation written")
            << check << commas + "Roma,Via Mazzini 3,00195\r\n"
            << commasOut + "Roma,Via Mazzini 3,00195,OK,,ROMA,RM,VIALE GIUSEPPE MAZZINI (scritto VIA)\r\n" << 0 << "";
        QTest::newRow("VIA SCONOSCIUTA: a PIAZZA is no VIA, only suggested")
            << check << commas + "Roma,Via Venezia 3,00186\r\n"
            << commasOut + "Roma,Via Venezia 3,00186,VIA SCONOSCIUTA,,ROMA,RM,forse: PIAZZA VENEZIA\r\n" << 1 << "";
        QTest::newRow("street: written under VENEZIA, found in the mainland's file")
            << check << commas + "Venezia,Via Miranese 165,30175\r\n"
            << commasOut + "Venezia,Via Miranese 165,30175,CAP ERRATO,30174,VENEZIA,VE,VIA MIRANESE\r\n" << 1 << "";
        QTest::newRow("street: as written in the mainland before a sestiere under another designation")
            << check << commas + "Venezia,Viale S. Marco 67,30173\r\n"
            << commasOut + "Venezia,Viale S. Marco 67,30173,OK,,VENEZIA,VE,VIALE SAN MARCO\r\n" << 0 << "";
        QTest::newRow("street: in both parts of the municipality, the one of the part written")
            << check << commas + "Venezia,Via Garibaldi 3,30122\r\n"
            << commasOut + "Venezia,Via Garibaldi 3,30122,OK,,VENEZIA,VE,VIA GARIBALDI\r\n" << 0 << "";
        QTest::newRow("VIA SCONOSCIUTA: a given name left out fits two streets")
            << check << commas + "Roma,Piazza Garibaldi,00184\r\n"
            << commasOut
                   + "Roma,Piazza Garibaldi,00184,VIA SCONOSCIUTA,,ROMA,RM,"
                     "\"più vie: PIAZZA GARIBALDI ANITA, PIAZZA GARIBALDI GIUSEPPE\"\r\n"
            << 1 << "VIA SCONOSCIUTA";
        QTest::newRow("street: V. and F.LLI written out, 12/A cut")
            << check << commas + "Roma,V. F.lli Bandiera 12/A,00153\r\n"
            << commasOut + "Roma,V. F.lli Bandiera 12/A,00153,OK,,ROMA,RM,VIA FRATELLI BANDIERA\r\n" << 0 << "";
        QTest::newRow("street: D' and the given name left out, the building's part cut")
            << check << commas + "Roma,Viale D'Annunzio int. 4,00144\r\n"
            << commasOut + "Roma,Viale D'Annunzio int. 4,00144,OK,,ROMA,RM,VIALE D'ANNUNZIO GABRIELE\r\n" << 0 << "";
        QTest::newRow("street: a title left out, an initial, N. cut")
            << check << commas + "Roma,Via G. Minzoni n. 3,00197\r\n"
            << commasOut + "Roma,Via G. Minzoni n. 3,00197,OK,,ROMA,RM,VIA DON GIOVANNI MINZONI\r\n" << 0 << "";
        QTest::newRow("street: GIOV. for GIOVANNI, the title written")
            << check << commas + "Roma,Via Don Giov. Minzoni,00197\r\n"
            << commasOut + "Roma,Via Don Giov. Minzoni,00197,OK,,ROMA,RM,VIA DON GIOVANNI MINZONI\r\n" << 0 << "";
        QTest::newRow("a street outside the street directory's cities is not checked")
            << check << commas + "Segrate,Via Nessuna 1,20054\r\n"
            << commasOut + "Segrate,Via Nessuna 1,20054,OK,,SEGRATE,MI,\r\n" << 0 << "";

        // Streets with house-number evidence: the code of the number.
        const QByteArray streets = "localita;pv;cap;via\n";
        const QByteArray streetsOut = "localita;pv;cap;via;" + added(';') + '\n';
        auto numbered = [&](const char *name, const QByteArray &row, const QByteArray &verdict) {
            QTest::newRow(name) << check << streets + row + '\n' << streetsOut + row + ';' + verdict + '\n'
                                << (verdict.startsWith("OK;") ? 0 : 1) << "";
        };
        numbered("OK: a number in a register's range", "Milano;MI;20132;Via Padova 150", "OK;;MILANO;MI;VIA PADOVA");
        QTest::newRow("the house number in a column of its own, joined to the street unless already there")
            << check << QByteArray("localita;pv;cap;via;n_civico\nMilano;MI;20132;Via Padova;151\nMilano;MI;20131;Via Padova 2;2\n")
            << "localita;pv;cap;via;n_civico;" + added(';') + "\n"
                   "Milano;MI;20132;Via Padova;151;CAP ERRATO;20127;MILANO;MI;VIA PADOVA: 20127 al n. 1-283 dispari\n"
                   "Milano;MI;20131;Via Padova 2;2;OK;;MILANO;MI;VIA PADOVA\n"
            << 1 << "";
        numbered("CAP ERRATO: an odd number, outside the range of even ones", "Milano;MI;20132;Via Padova 151",
                 "CAP ERRATO;20127;MILANO;MI;VIA PADOVA: 20127 al n. 1-283 dispari");
        numbered("CAP DELLA VIA: a number outside every range, one of the street's codes",
                 "Milano;MI;20127;Via Padova 3001",
                 "CAP DELLA VIA, CIVICO NON VERIFICATO;20127 20131 20132;MILANO;MI;"
                 "VIA PADOVA: n. 3001 non verificato, il più vicino 20132 al n. 102-2582 pari");
        numbered("CAP NON CONFERMATO: a number outside every range, another code", "Milano;MI;20147;Via Padova 3001",
                 "CAP NON CONFERMATO;20127 20131 20132;MILANO;MI;"
                 "VIA PADOVA: n. 3001 non verificato, il più vicino 20132 al n. 102-2582 pari");
        numbered("CAP DELLA VIA: no number on a street of several codes", "Milano;MI;20132;Via Padova",
                 "CAP DELLA VIA, CIVICO NON VERIFICATO;20127 20131 20132;MILANO;MI;VIA PADOVA: senza civico");
        numbered("CAP ERRATO: no number on a register's street, another code", "Milano;MI;20147;Via Padova",
                 "CAP ERRATO;20127 20131 20132;MILANO;MI;VIA PADOVA");
        numbered("CAP NON CONFERMATO: no number on a street known by its points, another code",
                 "Milano;MI;20147;Via Crescenzago", "CAP NON CONFERMATO;20131 20132;MILANO;MI;VIA CRESCENZAGO: senza civico");
        numbered("CAP NON CONFERMATO: no number on a street of one code seen at a point, another code",
                 "Milano;MI;20132;Via Asiago", "CAP NON CONFERMATO;20128;MILANO;MI;VIA ASIAGO: senza civico");
        numbered("OK: no number on a street of one code seen at a point", "Milano;MI;20128;Via Asiago",
                 "OK;;MILANO;MI;VIA ASIAGO");
        numbered("OK: a street of one code, a register's, past its range", "Milano;MI;20147;Via Giambellino 200",
                 "OK;;MILANO;MI;VIA GIAMBELLINO");
        numbered("OK: a point at the same number", "Milano;MI;20132;Via Crescenzago 113", "OK;;MILANO;MI;VIA CRESCENZAGO");
        numbered("CAP ERRATO: a point of another code at the same number", "Milano;MI;20127;Via Crescenzago, 113/A",
                 "CAP ERRATO;20132;MILANO;MI;VIA CRESCENZAGO: 20132 al n. 113");
        numbered("CAP DELLA VIA: a point at another number", "Milano;MI;20132;Via Crescenzago 115",
                 "CAP DELLA VIA, CIVICO NON VERIFICATO;20131 20132;MILANO;MI;"
                 "VIA CRESCENZAGO: n. 115 non verificato, il più vicino 20132 al n. 113");
        numbered("CAP NON CONFERMATO: never wrong on a point at another number", "Milano;MI;20147;Via Crescenzago 115",
                 "CAP NON CONFERMATO;20131 20132;MILANO;MI;"
                 "VIA CRESCENZAGO: n. 115 non verificato, il più vicino 20132 al n. 113");
        numbered("CAP GENERICO: the city's catch-all, with the code at that number", "Milano;MI;20100;Via Padova 150",
                 "CAP GENERICO;20132;MILANO;MI;VIA PADOVA");
        numbered("CAP MANCANTE: the code at that number", "Milano;MI;;Via Padova 150", "CAP MANCANTE;20132;MILANO;MI;VIA PADOVA");

        // Tabs, quotes around fields, line breaks inside quotes: the fields go
        // out as they came.
        QTest::newRow("tab separated, quoted fields kept as they were")
            << check << QByteArray("comune\tprov\tc.a.p.\n\"Roma\"\tRM\t\"00184\"\n")
            << "comune\tprov\tc.a.p.\t" + added('\t') + "\n\"Roma\"\tRM\t\"00184\"\tOK\t\tROMA\tRM\t\n" << 0 << "";
        QTest::newRow("doubled quotes inside quotes, a quote inside a field without them")
            << check << semicolons + "\"Roma \"\"centro\"\"\";RM;00187\nRo\"ma;RM;00187\n"
            << semicolonsOut
                   + "\"Roma \"\"centro\"\"\";RM;00187;LOCALITÀ SCONOSCIUTA;;;;\n"
                     "Ro\"ma;RM;00187;OK;;ROMA;RM;\n"
            << 1 << "righe lette: 2";
        QTest::newRow("CR LF inside quotes and at the ends of rows")
            << check << QByteArray("localita;via;cap\r\nRoma;\"Via XX Settembre\r\n12\";00187\r\n")
            << "localita;via;cap;" + added(';')
                   + "\r\nRoma;\"Via XX Settembre\r\n12\";00187;OK;;ROMA;RM;VIA VENTI SETTEMBRE\r\n"
            << 0 << "";
        QTest::newRow("empty lines are no rows; the last row needs no line end")
            << check << semicolons + "\nRoma;RM;00187\n\nCantù;CO;22063"
            << semicolonsOut + "Roma;RM;00187;OK;;ROMA;RM;\nCantù;CO;22063;OK;;CANTÙ;CO;\n" << 0 << "righe lette: 2";
        QTest::newRow("a line break and a separator inside quotes")
            << check << QByteArray("Località;Via;CAP\nRoma;\"Via XX Settembre;\n12\";00187\n")
            << "Località;Via;CAP;" + added(';') + "\nRoma;\"Via XX Settembre;\n12\";00187;OK;;ROMA;RM;VIA VENTI SETTEMBRE\n"
            << 0 << "";

        // Windows-1252, detected from a file or from standard input.
        const QByteArray cp1252 = "localita;pv;cap\r\n";
        const QByteArray cp1252Out = "localita;pv;cap;" + added(';') + "\r\n";
        QTest::newRow("Windows-1252 from a file: written back in Windows-1252")
            << QStringList{"--verifica", "FILE"} << cp1252 + "Cant\xF9;CO;\r\n"
            << cp1252Out + "Cant\xF9;CO;;CAP MANCANTE;22063;CANT\xD9;CO;\r\n" << 1 << "";
        QTest::newRow("Windows-1252 from standard input: the outcome's accents in Windows-1252")
            << check << cp1252 + "Citt\xE0 ignota;CO;22063\r\n"
            << cp1252Out + "Citt\xE0 ignota;CO;22063;LOCALIT\xC0 SCONOSCIUTA;;;;\r\n" << 1 << "";
        QTest::newRow("UTF-8 with its byte order mark, kept")
            << QStringList{"--verifica", "FILE"} << QByteArray("\xEF\xBB\xBF") + semicolons + "Cantù;CO;22063\n"
            << QByteArray("\xEF\xBB\xBF") + semicolonsOut + "Cantù;CO;22063;OK;;CANTÙ;CO;\n" << 0 << "";
        QTest::newRow("--codifica utf-8 forced on Windows-1252: the letter cannot be read, the row is kept")
            << QStringList{"--verifica", "FILE", "--codifica", "utf-8"} << cp1252 + "Cant\xF9;CO;22063\r\n"
            << cp1252Out
                   + "Cant\xF9;CO;22063;RIGA NON VALIDA;;;;"
                     "caratteri non ammessi nei dati nel campo località: \xEF\xBF\xBD\r\n"
            << 1 << "RIGA NON VALIDA";

        // Rows that cannot be checked; the run goes on.
        QTest::newRow("RIGA NON VALIDA: quotes never closed end at their line, the next row is read")
            << check << semicolons + "\"Roma;RM;00184\nCantù;CO;22063\n"
            << semicolonsOut + "\"\"\"Roma;RM;00184\";;;RIGA NON VALIDA;;;;virgolette non chiuse\n"
                                "Cantù;CO;22063;OK;;CANTÙ;CO;\n"
            << 1 << "righe lette: 2";
        QTest::newRow("RIGA NON VALIDA: a quote never closed ends at the line where it opened")
            << check << semicolons + "Roma;\"Via XX\nSettembre\";\"00187\nCantù;CO;22063\n"
            << semicolonsOut + "\"Roma;\"\"Via XX\nSettembre\"\";\"\"00187\";;;RIGA NON VALIDA;;;;virgolette non chiuse\n"
                               "Cantù;CO;22063;OK;;CANTÙ;CO;\n"
            << 1 << "righe lette: 2";
        // Rows over the record limit: kept cut at 65,536 bytes, the rest of
        // their line dropped, the next row read.
        const QByteArray longQuote = "\"Roma" + QByteArray(70000, 'x');
        QTest::newRow("RIGA NON VALIDA: a quote never closed on a line over the limit")
            << check << semicolons + longQuote + "\nCantù;CO;22063\n"
            << semicolonsOut + "\"\"" + longQuote.first(65536) + "\";;;RIGA NON VALIDA;;;;virgolette non chiuse\n"
                               "Cantù;CO;22063;OK;;CANTÙ;CO;\n"
            << 1 << "righe lette: 2";
        QTest::newRow("RIGA NON VALIDA: a line of separators only")
            << check << semicolons + QByteArray(70000, ';') + "\nCantù;CO;22063\n"
            << semicolonsOut + '"' + QByteArray(65536, ';')
                   + "\";;;RIGA NON VALIDA;;;;riga troppo lunga (oltre 65536 byte)\nCantù;CO;22063;OK;;CANTÙ;CO;\n"
            << 1 << "righe lette: 2";
        const QByteArray columns = "Roma;RM;00187" + QByteArray(";x").repeated(100000);
        QTest::newRow("RIGA NON VALIDA: 100,000 columns")
            << check << semicolons + columns + "\r\nCantù;CO;22063\r\n"
            << semicolonsOut + '"' + columns.first(65536)
                   + "\";;;RIGA NON VALIDA;;;;riga troppo lunga (oltre 65536 byte)\nCantù;CO;22063;OK;;CANTÙ;CO;\n"
            << 1 << "righe lette: 2";
        QTest::newRow("RIGA NON VALIDA: a NUL byte in the locality")
            << check << semicolons + "Ro" + '\0' + "ma;RM;00187\nCantù;CO;22063\n"
            << semicolonsOut + "Ro" + '\0'
                   + "ma;RM;00187;RIGA NON VALIDA;;;;caratteri di controllo nel campo località\nCantù;CO;22063;OK;;CANTÙ;CO;\n"
            << 1 << "righe lette: 2";
        QTest::newRow("RIGA NON VALIDA: invalid UTF-8 after a byte order mark")
            << QStringList{"--verifica", "FILE"} << "\xEF\xBB\xBF" + semicolons + "Cant\xF9;CO;22063\nRoma;RM;00187\n"
            << "\xEF\xBB\xBF" + semicolonsOut
                   + "Cant\xF9;CO;22063;RIGA NON VALIDA;;;;caratteri non ammessi nei dati nel campo località: "
                     "\xEF\xBF\xBD\nRoma;RM;00187;OK;;ROMA;RM;\n"
            << 1 << "righe lette: 2";
        QTest::newRow("RIGA NON VALIDA: text after a closing quote")
            << check << semicolons + "\"Roma\"x;RM;00184\n"
            << semicolonsOut + "\"Roma\"x;RM;00184;RIGA NON VALIDA;;;;virgolette non bilanciate\n" << 1 << "";
        QTest::newRow("RIGA NON VALIDA: characters the data cannot hold")
            << check << semicolons + "Łódź;PL;00000\n"
            << semicolonsOut + "Łódź;PL;00000;RIGA NON VALIDA;;;;caratteri non ammessi nei dati nel campo località: Łź\n"
            << 1 << "";
        QTest::newRow("RIGA NON VALIDA: a name longer than any locality")
            << check << semicolons + QByteArray(40, 'A') + ";RM;00184\n"
            << semicolonsOut + QByteArray(40, 'A')
                   + ";RM;00184;RIGA NON VALIDA;;;;località troppo lunga: 40 caratteri, al massimo 39\n"
            << 1 << "";
        QTest::newRow("RIGA NON VALIDA: a field too long")
            << check << semicolons + "Roma;RM;" + QByteArray(1001, '0') + "\n"
            << semicolonsOut + "Roma;RM;" + QByteArray(1001, '0')
                   + ";RIGA NON VALIDA;;;;campo troppo lungo (1001 byte, al massimo 1000)\n"
            << 1 << "";
        QTest::newRow("RIGA NON VALIDA: the locality's field missing; the row is filled up")
            << check << QByteArray("pv;cap;comune\nRM;00184\n")
            << "pv;cap;comune;" + added(';') + "\nRM;00184;;RIGA NON VALIDA;;;;mancano dei campi: 2 invece di 3\n"
            << 1 << "";

        // Other output forms and column choices.
        QTest::newRow("--csv: UTF-8, commas, the proposed code quoted")
            << QStringList{"--verifica", "-", "--csv"} << cp1252 + "Cant\xF9;CO;\r\n"
            << "localita,pv,cap," + added(',') + "\r\nCantù,CO,,CAP MANCANTE,\"22063\",CANTÙ,CO,\r\n" << 1 << "";
        QTest::newRow("--json: one object per row")
            << QStringList{"--verifica", "-", "--json"} << semicolons + "Segrate;MI;20090\n"
            << QByteArray("{\"localita\":\"Segrate\",\"pv\":\"MI\",\"cap\":\"20090\",\"esito\":\"CAP VARIATO\","
                          "\"cap_proposto\":\"20054\",\"localita_trovata\":\"SEGRATE\",\"pv_trovata\":\"MI\","
                          "\"nota\":\"20090 sostituito da 20054\"}\n")
            << 1 << "";
        QTest::newRow("--colonne by name and by number")
            << QStringList{"--verifica", "-", "--colonne", "z,2,1"} << QByteArray("x;y;z\n22063;CO;Cantù\n")
            << "x;y;z;" + added(';') + "\n22063;CO;Cantù;OK;;CANTÙ;CO;\n" << 0 << "";
        QTest::newRow("--colonne and --csv before the list, --codifica= after it")
            << QStringList{"--colonne", "z,,1", "--csv", "--verifica", "FILE", "--codifica=windows-1252"}
            << QByteArray("x;y;z\n22063;CO;Cant\xF9\n")
            << "x,y,z," + added(',') + "\r\n22063,CO,Cantù,OK,\"\",CANTÙ,CO,\r\n" << 0 << "";
        QTest::newRow("an empty list: every row OK") << check << semicolons << semicolonsOut << 0 << "righe lette: 0";

        // Runs that cannot go on.
        QTest::newRow("no locality column") << check << QByteArray("nome;telefono\nx;y\n") << QByteArray() << 2
                                            << "nessuna colonna della località";
        QTest::newRow("--colonne names no column")
            << QStringList{"--verifica", "-", "--colonne", "comune,pv,cap"} << QByteArray("x;y;z\n") << QByteArray()
            << 2 << "nessuna colonna \"comune\"";
        QTest::newRow("the output would overwrite the list")
            << QStringList{"--verifica", "FILE", "--output", "FILE"} << semicolons + "Roma;RM;00187\n" << QByteArray()
            << 2 << "non lo sovrascrivo";
        QTest::newRow("list missing") << QStringList{"--verifica", "/nonexistent/elenco.csv"} << QByteArray()
                                      << QByteArray() << 2 << "impossibile leggere il file /nonexistent/elenco.csv";
        QTest::newRow("--colonne without --verifica") << QStringList{"--colonne", "a,b,c", "roma"} << QByteArray()
                                                      << QByteArray() << 2 << "solo con --verifica";

        // The plain lookups name the closest names when nothing is found.
        QTest::newRow("lookup by name: the closest names")
            << QStringList{"--csv", "milano marittima"} << QByteArray() << QByteArray("localita,pv,cap\r\n") << 1
            << "forse: CERVIA MILANO MARITTIMA (RA)";
        QTest::newRow("lookup of a street: the number as people write it, for a name in words")
            << QStringList{"--via", "roma", "--csv", "xx settembre"} << QByteArray()
            << QByteArray("via,denominazione,cap\r\nXX SETTEMBRE (VENTI SETTEMBRE),VIA,\"00187\"\r\n") << 0 << "";

        // A street with its house number: the code there, and what it rests on.
        const QByteArray numberHeader = "via,denominazione,civico,cap,esito,fonti\r\n";
        QTest::newRow("a number in a register's range of its parity")
            << QStringList{"--via", "milano", "--csv", "padova 150"} << QByteArray()
            << numberHeader + "PADOVA,VIA,150,\"20132\",C.A.P. DEL CIVICO,20132 al n. 102-2582 pari (milano_register)\r\n"
            << 0 << "";
        QTest::newRow("a number where a point saw its code")
            << QStringList{"--via", "milano", "--csv", "via crescenzago, 113"} << QByteArray()
            << numberHeader + "CRESCENZAGO,VIA,113,\"20132\",C.A.P. DEL CIVICO,20132 al n. 113 (schools)\r\n" << 0 << "";
        QTest::newRow("an address longer than the search field, the parts of the building after its number")
            << QStringList{"--via", "milano", "--csv", "via crescenzago 113 interno 2 scala b piano terzo"}
            << QByteArray()
            << numberHeader + "CRESCENZAGO,VIA,113,\"20132\",C.A.P. DEL CIVICO,20132 al n. 113 (schools)\r\n" << 0 << "";
        QTest::newRow("an address longer than the search field that names no street")
            << QStringList{"--via", "milano", "--csv", "1' traversa privata via crescenzago 113"} << QByteArray()
            << QByteArray("via,denominazione,cap\r\n") << 1 << "nessuna voce inizia con";
        QTest::newRow("a number no evidence covers: the street's codes and the nearest")
            << QStringList{"--via", "milano", "--csv", "crescenzago 200"} << QByteArray()
            << numberHeader + "CRESCENZAGO,VIA,200,\"20131 20132\",\"C.A.P. DELLA VIA, CIVICO NON VERIFICATO\","
                              "il più vicino 20132 al n. 113\r\n"
            << 1 << "";
        QTest::newRow("a name that fits two streets: each answered")
            << QStringList{"--via", "roma", "--csv", "garibaldi 3"} << QByteArray()
            << numberHeader + "GARIBALDI ANITA,PIAZZA,3,\"00187\",\"C.A.P. DELLA VIA, CIVICO NON VERIFICATO\",\r\n"
                              "GARIBALDI GIUSEPPE,PIAZZA,3,\"00184\",\"C.A.P. DELLA VIA, CIVICO NON VERIFICATO\",\r\n"
            << 1 << "più vie";
        QTest::newRow("--json: the street's every range")
            << QStringList{"--via", "milano", "--json", "giambellino 140"} << QByteArray()
            << QByteArray("[\n{\"via\":\"GIAMBELLINO\",\"denominazione\":\"VIA\",\"civico\":\"140\",\"cap\":\"20147\","
                          "\"esito\":\"C.A.P. DEL CIVICO\",\"fonti\":\"20147 al n. 130-155 (milano_register)\",\"civici\":"
                          "[{\"primo\":130,\"ultimo\":155,\"parita\":\"tutti\",\"cap\":\"20147\",\"tipo\":\"intervallo\","
                          "\"fonti\":[\"milano_register\"]}]}\n]\n")
            << 0 << "";
    }

    void givesEachRowItsOutcome()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, out);
        QFETCH(int, exitCode);
        QFETCH(QString, err);
        const Run run = cerca(args, input);
        QCOMPARE(run.out, out);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(err), qPrintable(run.err));
        // The list itself is never written.
        QCOMPARE(readAll(m_lists.filePath(QStringLiteral("elenco.csv"))), input);
    }

    void writesTheOutputFileWhole()
    {
        const QString output = m_lists.filePath(QStringLiteral("controllato.csv"));
        const Run run = cerca({"--verifica", "-", "--output", output}, "localita;pv;cap\nRoma;RM;00187\nRoma;RM;1\n");
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(readAll(output), "localita;pv;cap;" + added(';')
                                      + "\nRoma;RM;00187;OK;;ROMA;RM;\nRoma;RM;1;CAP ERRATO;00184 00187 00195;ROMA;RM;\n");
        QVERIFY2(run.err.contains(QStringLiteral("righe lette: 2")), qPrintable(run.err));
    }

    // A workbook is read as its first sheet (by its headers, or --colonne)
    // and the result written as one, codes as texts.
    void workbookListIsReadAndWrittenAsWorkbook()
    {
        const QByteArray content = R"(<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
                                   R"( xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0")"
                                   R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"><office:body><office:spreadsheet>)"
                                   "<table:table><table:table-row><table:table-cell><text:p>Comune</text:p></table:table-cell>"
                                   "<table:table-cell><text:p>Prov</text:p></table:table-cell><table:table-cell><text:p>CAP"
                                   "</text:p></table:table-cell></table:table-row><table:table-row><table:table-cell><text:p>Roma"
                                   "</text:p></table:table-cell><table:table-cell><text:p>RM</text:p></table:table-cell>"
                                   "<table:table-cell office:value-type=\"float\" office:value=\"187\"><text:p>00187</text:p>"
                                   "</table:table-cell></table:table-row></table:table></office:spreadsheet></office:body>"
                                   "</office:document-content>";
        const QString list = m_lists.filePath(QStringLiteral("elenco.ods"));
        QVERIFY(writeZip(list, {{"content.xml", content}}));
        const QString output = m_lists.filePath(QStringLiteral("controllato.xlsx"));
        Run run = cerca({"--verifica", list, "--output", output}, {});
        QCOMPARE(run.exitCode, 0);
        run = cerca({"--verifica", output, "--colonne", "1,2,3"}, {});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, "\xEF\xBB\xBF" "Comune;Prov;CAP;esito;cap_proposto;localita_trovata;pv_trovata;nota;esito;cap_proposto;"
                          "localita_trovata;pv_trovata;nota\r\nRoma;RM;00187;OK;;ROMA;RM;;OK;;ROMA;RM;\r\n");
        run = cerca({"--verifica", list, "--output", list + ".xlsx", "--colonne", "1,2,9"}, {});
        QCOMPARE(run.exitCode, 2);
        QVERIFY(!QFileInfo::exists(list + ".xlsx"));
    }
};

QTEST_GUILESS_MAIN(TestVerifica)
#include "tst_verifica.moc"

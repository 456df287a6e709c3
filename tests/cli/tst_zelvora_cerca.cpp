// zelvora-cerca run as a program on a small data folder: what it prints, on
// which stream, and how it exits, for every search, output form and batch.
#include "common/address_check.h"
#include "support/fixtures.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace zelvora::test;

namespace {

struct Run
{
    QString out;
    QString err;
    int exitCode = -1;
};

} // namespace

class TestZelvoraCerca : public QObject
{
    Q_OBJECT

    QTemporaryDir m_data;

    Run cerca(QStringList args, const QByteArray &input = {})
    {
        // The data folder first: any option may come before or after another.
        args = QStringList{QStringLiteral("--dati"), m_data.path()} + args;
        const ProgramRun run = runProgram(QStringLiteral(ZELVORA_CERCA), args, input);
        return {QString::fromUtf8(run.out), run.err, run.exitCode};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(buildDataFolder(
            m_data.path(),
            {{"RO", "FE", "", "44030"},
             {"ROMA", "RM", "ROMA CENTRO", "00100", "CAPITALE", "VEDI STRADARIO", {"00118", "00184"}},
             {"ROMAGNANO SESIA", "NO", "", "28078"},
             {"ROMANO D'EZZELINO", "VI", "", "36060"},
             {"ROMBIOLO", "VV", "", "89841"},
             {"AOSTA", "AO", "AOSTA, \"CENTRO\"", "11100", "", "ZONA\\NORD"},
             {"COURMAYEUR", "AO", "", "11013"},
             {"CANTÙ", "CO", "", "22063"}},
            {{"AO", "Aosta"}, {"CO", "Como"}, {"FE", "Ferrara"}, {"NO", "Novara"}, {"RM", "Roma"},
             {"VI", "Vicenza"}, {"VV", "Vibo Valentia"}}));
        writeAll(m_data.filePath(QStringLiteral("elenco.txt")), "\xEF\xBB\xBF" "rombiolo\r\n");
        QVERIFY(buildCity(m_data.path(), QStringLiteral("regcal"),
                          {{"GARIBALDI GIUSEPPE", "CORSO", "", "89125", "", "1-99 DISPARI"},
                           {"GARIBALDI", "PIAZZA", "", "89127"},
                           {"MARINA", "VIA", "", "89121", "RC CENTRO"}}));
    }

    void answersWithItsOutputAndExitStatus_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("out");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("err"); // a part of standard error; empty: nothing there

        const QString localities = "localita,pv,cap\r\n";
        // By postal code, each row shows the code the locality is listed under.
        QTest::newRow("postal code: leading zeros, then the records after the match")
            << QStringList{"--cap", "--csv", "--limit", "2", "0018"} << QByteArray()
            << localities + "ROMA,RM,\"00184\"\r\nCOURMAYEUR,AO,\"11013\"\r\n" << 0 << "";
        QTest::newRow("all: every name that begins with the text, and no other")
            << QStringList{"--csv", "--tutti", "roma"} << QByteArray()
            << localities + "ROMA,RM,\"00100\"\r\nROMAGNANO SESIA,NO,\"28078\"\r\nROMANO D'EZZELINO,VI,\"36060\"\r\n"
            << 0 << "";
        QTest::newRow("lower case and accents") << QStringList{"--csv", "--limit", "1", "cantù"} << QByteArray()
                                                << localities + "CANTÙ,CO,\"22063\"\r\n" << 0 << "";
        QTest::newRow("two words are one text") << QStringList{"--csv", "--tutti", "romano", "d'e"} << QByteArray()
                                                << localities + "ROMANO D'EZZELINO,VI,\"36060\"\r\n" << 0 << "";
        QTest::newRow("options between the words, values after = or after a space")
            << QStringList{"romano", "--tutti", "d'e", "--csv", "--limit=1", "--tutti"} << QByteArray() << "" << 2
            << "--limit e --tutti non vanno usati insieme";
        QTest::newRow("options after and between the words, a value after =")
            << QStringList{"romano", "--csv", "d'e", "--limit=1"} << QByteArray()
            << localities + "ROMANO D'EZZELINO,VI,\"36060\"\r\n" << 0 << "";
        QTest::newRow("after --, every word is text")
            << QStringList{"--csv", "--", "--tutti"} << QByteArray() << localities << 1
            << "nessuna voce inizia con \"--TUTTI\"";
        QTest::newRow("details in CSV: quotes and commas")
            << QStringList{"--csv", "--dettagli", "--tutti", "aosta"} << QByteArray()
            << "localita,pv,cap,seconda_denominazione,provincia,agenzia,note\r\n"
               "AOSTA,AO,\"11100\",,Aosta,\"AOSTA, \"\"CENTRO\"\"\",ZONA\\NORD\r\n"
            << 0 << "";
        QTest::newRow("province, all, details in JSON")
            << QStringList{"--pv", "--tutti", "--json", "--dettagli", "ao"} << QByteArray()
            << "[\n{\"localita\":\"AOSTA\",\"pv\":\"AO\",\"cap\":\"11100\",\"seconda_denominazione\":\"\","
               "\"provincia\":\"Aosta\",\"agenzia\":\"AOSTA, \\\"CENTRO\\\"\",\"note\":\"ZONA\\\\NORD\"},\n"
               "{\"localita\":\"COURMAYEUR\",\"pv\":\"AO\",\"cap\":\"11013\",\"seconda_denominazione\":\"\","
               "\"provincia\":\"Aosta\",\"agenzia\":\"\",\"note\":\"\"}\n]\n"
            << 0 << "";
        QTest::newRow("streets of a city named loosely")
            << QStringList{"--via", "REGGIO-calabria", "--csv", "--dettagli", "garibaldi"} << QByteArray()
            << "via,denominazione,cap,zona,agenzia,note\r\n"
               "GARIBALDI,PIAZZA,\"89127\",\"\",,\r\n"
               "GARIBALDI GIUSEPPE,CORSO,\"89125\",\"\",,1-99 DISPARI\r\n"
               "MARINA,VIA,\"89121\",\"\",RC CENTRO,\r\n"
            << 0 << "";
        QTest::newRow("city by its file name") << QStringList{"--via", "regcal", "--json", "--tutti", "mar"}
                                               << QByteArray()
                                               << "[\n{\"via\":\"MARINA\",\"denominazione\":\"VIA\",\"cap\":\"89121\"}\n]\n"
                                               << 0 << "";

        // Nothing found: the beginning that matched is named.
        QTest::newRow("only a beginning matches") << QStringList{"--csv", "romx"} << QByteArray() << localities << 1
                                                  << "nessuna voce inizia con \"ROMX\" (ne iniziano con \"ROM\")";
        QTest::newRow("no beginning matches") << QStringList{"--json", "zeta"} << QByteArray() << "[]\n" << 1
                                              << "nessuna voce inizia con \"ZETA\"\n";
        QTest::newRow("a street beyond the city's last")
            << QStringList{"--via", "Reggio Calabria", "--csv", "zz"} << QByteArray() << "via,denominazione,cap\r\n"
            << 1 << "nessuna voce inizia con \"ZZ\"";

        // Texts that cannot be searched, usage and data errors.
        QTest::newRow("characters outside the code page")
            << QStringList{"ŁÓDŹ"} << QByteArray() << "" << 2 << "caratteri non ammessi nei dati: ŁŹ";
        QTest::newRow("longer than the postal code") << QStringList{"--cap", "001000"} << QByteArray() << "" << 2
                                                     << "testo troppo lungo: 6 caratteri, al massimo 5";
        QTest::newRow("longer than the province") << QStringList{"--pv", "rmx"} << QByteArray() << "" << 2
                                                  << "testo troppo lungo: 3 caratteri, al massimo 2";
        QTest::newRow("blank text") << QStringList{"  "} << QByteArray() << "" << 2 << "testo vuoto";
        QTest::newRow("no text") << QStringList{"--csv"} << QByteArray() << "" << 2 << "manca il testo";
        QTest::newRow("unknown option") << QStringList{"--foo", "roma"} << QByteArray() << "" << 2
                                        << "opzione sconosciuta: --foo";
        QTest::newRow("a value missing") << QStringList{"roma", "--limit"} << QByteArray() << "" << 2
                                         << "manca il valore di --limit";
        QTest::newRow("a value where none is wanted") << QStringList{"--cap=1", "00"} << QByteArray() << "" << 2
                                                      << "--cap non vuole un valore";
        QTest::newRow("limit of zero") << QStringList{"--limit", "0", "roma"} << QByteArray() << "" << 2 << "--limit";
        QTest::newRow("two searches") << QStringList{"--cap", "--pv", "00"} << QByteArray() << "" << 2
                                      << "una sola ricerca";
        QTest::newRow("unknown city") << QStringList{"--via", "Atlantide", "x"} << QByteArray() << "" << 2
                                      << "Città sconosciuta: \"Atlantide\"";
        QTest::newRow("city without its files") << QStringList{"--via", "roma", "x"} << QByteArray() << "" << 2
                                                << "roma.lox è mancante !";
        QTest::newRow("batch file missing") << QStringList{"--batch", "/nonexistent/list"} << QByteArray() << "" << 2
                                            << "impossibile leggere il file /nonexistent/list";

        // Batch: one answer line per line read, in the order read.
        QTest::newRow("batch in CSV")
            << QStringList{"--batch", "-", "--csv"} << QByteArray("roma\r\nromx\n\ncantù\n\xc5\x81\n\xff\naosta")
            << "testo,localita,pv,cap,esito\r\n"
               "roma,ROMA,RM,\"00100\",trovato\r\n"
               "romx,,,\"\",nessun risultato\r\n"
               ",,,\"\",testo vuoto\r\n"
               "cantù,CANTÙ,CO,\"22063\",trovato\r\n"
               "Ł,,,\"\",caratteri non ammessi nei dati: Ł\r\n"
               "\uFFFD,,,\"\",caratteri non ammessi nei dati: \uFFFD\r\n"
               "aosta,AOSTA,AO,\"11100\",trovato\r\n"
            << 1 << "";
        QTest::newRow("batch in JSON lines, by province")
            << QStringList{"--pv", "--json", "--batch", "-"} << QByteArray("rm\nzz\n")
            << "{\"testo\":\"rm\",\"localita\":\"ROMA\",\"pv\":\"RM\",\"cap\":\"00100\",\"esito\":\"trovato\"}\n"
               "{\"testo\":\"zz\",\"localita\":\"\",\"pv\":\"\",\"cap\":\"\",\"esito\":\"nessun risultato\"}\n"
            << 1 << "";
        QTest::newRow("batch of streets")
            << QStringList{"--via", "Reggio Calabria", "--csv", "--batch", "-"} << QByteArray("garibaldi g\nmarinaio\n")
            << "testo,via,denominazione,cap,esito\r\n"
               "garibaldi g,GARIBALDI GIUSEPPE,CORSO,\"89125\",trovato\r\n"
               "marinaio,,,\"\",nessun risultato\r\n"
            << 1 << "";
        QTest::newRow("batch from a file")
            << QStringList{"--batch", m_data.filePath(QStringLiteral("elenco.txt")), "--json", "--dettagli"}
            << QByteArray()
            << "{\"testo\":\"rombiolo\",\"localita\":\"ROMBIOLO\",\"pv\":\"VV\",\"cap\":\"89841\","
               "\"seconda_denominazione\":\"\",\"provincia\":\"Vibo Valentia\",\"agenzia\":\"\",\"note\":\"\","
               "\"esito\":\"trovato\"}\n"
            << 0 << "";
        QTest::newRow("batch input without line ends")
            << QStringList{"--batch", "-", "--csv"} << QByteArray(2 << 20, 'A') << "testo,localita,pv,cap,esito\r\n" << 2
            << "non è un elenco di testi";
        QTest::newRow("batch with every line found")
            << QStringList{"--cap", "--csv", "--batch", "-"} << QByteArray("\xEF\xBB\xBF" "00184\n4\n")
            << "testo,localita,pv,cap,esito\r\n00184,ROMA,RM,\"00184\",trovato\r\n4,RO,FE,\"44030\",trovato\r\n" << 0
            << "";
    }

    void answersWithItsOutputAndExitStatus()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        QFETCH(QString, out);
        QFETCH(int, exitCode);
        QFETCH(QString, err);
        const Run run = cerca(args, input);
        QCOMPARE(run.out, out);
        QCOMPARE(run.exitCode, exitCode);
        if (err.isEmpty())
            QCOMPARE(run.err, QString());
        else
            QVERIFY2(run.err.contains(err), qPrintable(run.err));
    }

    void alignedColumnsStandUnderTheirTitles()
    {
        const Run run = cerca({"--via", "reggio calabria", "--dettagli", "garibaldi"});
        QCOMPARE(run.exitCode, 0);
        const QStringList lines = run.out.split(u'\n');
        QCOMPARE(lines.size(), 5); // titles, three streets, the final line end
        const QStringList titles{"VIA / PIAZZA", "DENOM. URBANISTICA", "C.A.P.", "ZONA", "AGENZIA RECAPITO", "NOTE"};
        const QList<QStringList> rows{{"VIA / PIAZZA", "DENOM. URBANISTICA", "C.A.P.", "ZONA", "AGENZIA RECAPITO", "NOTE"},
                                      {"GARIBALDI", "PIAZZA", "89127"},
                                      {"GARIBALDI GIUSEPPE", "CORSO", "89125", "", "", "1-99 DISPARI"},
                                      {"MARINA", "VIA", "89121", "", "RC CENTRO"}};
        for (int r = 0; r < rows.size(); ++r) {
            const QString &line = lines.at(r);
            QVERIFY2(!line.endsWith(u' '), qPrintable(line));
            for (int c = 0; c < rows.at(r).size(); ++c) {
                const qsizetype at = lines.first().indexOf(titles.at(c));
                QVERIFY(at >= 0);
                // The value starts where its title starts, and a space or the
                // line's end closes it.
                QCOMPARE(line.mid(at, rows.at(r).at(c).size()), rows.at(r).at(c));
                QVERIFY(at == 0 || line.at(at - 1) == u' ');
            }
        }
    }

    void batchAnswersEachLineAsItsOwnSearch()
    {
        // Repeats, longer and shorter texts, misses between hits: no search
        // may depend on the one before it.
        const QStringList texts{"ROMA", "ROMAN", "ROMX", "R", "ROMA", "AOSTA", "C", "ROMB", "ROMA", "X", "RO"};
        const Run batch = cerca({"--csv", "--batch", "-"}, texts.join(u'\n').toUtf8());
        const QStringList answers = batch.out.split(QStringLiteral("\r\n"));
        QCOMPARE(answers.size(), texts.size() + 2); // header, one per text, the final line end
        for (int i = 0; i < texts.size(); ++i) {
            const Run one = cerca({"--csv", "--limit", "1", texts.at(i)});
            const QString row = one.out.section(QStringLiteral("\r\n"), 1, 1);
            QCOMPARE(answers.at(i + 1), texts.at(i) + u',' + (row.isEmpty() ? QStringLiteral(",,\"\"") : row)
                                            + (one.exitCode == 0 ? ",trovato" : ",nessun risultato"));
        }
    }

    void batchAnswersEachLineBeforeTheNextArrives()
    {
        // A script that writes a line and waits for its answer must get it.
        QProcess process;
        process.start(QStringLiteral(ZELVORA_CERCA), {"--csv", "--batch", "-", "--dati", m_data.path()});
        QByteArray answers;
        const QList<std::pair<QByteArray, QByteArray>> lines{{"cantù\n", "cantù,CANTÙ,CO,\"22063\",trovato\r\n"},
                                                             {"aosta\n", "aosta,AOSTA,AO,\"11100\",trovato\r\n"}};
        for (const auto &[text, answer] : lines) {
            process.write(text);
            QTRY_VERIFY_WITH_TIMEOUT((answers += process.readAllStandardOutput()).endsWith(answer), 20000);
        }
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitCode(), 0);
    }

    void helpNamesEveryOption()
    {
        const Run run = cerca({"--help"});
        QCOMPARE(run.exitCode, 0);
        for (const char *option : {"--cap", "--pv", "--via", "--limit", "--tutti", "--csv", "--json", "--dettagli",
                                   "--batch", "--dati"})
            QVERIFY2(run.out.contains(QLatin1String(option)), option);
        // Every outcome a list check can give, however the lines wrap.
        const QString words = run.out.simplified();
        for (int i = 0; i < zelvora::Verdict::kOutcomes; ++i) {
            const QString outcome = zelvora::Verdict::text(static_cast<zelvora::Verdict::Outcome>(i));
            QVERIFY2(words.contains(outcome), qPrintable(outcome));
        }
        // A value outside the outcomes reads as an invalid row, not outside the texts.
        QCOMPARE(zelvora::Verdict::text(static_cast<zelvora::Verdict::Outcome>(zelvora::Verdict::kOutcomes)),
                 QStringLiteral("RIGA NON VALIDA"));
    }
};

QTEST_GUILESS_MAIN(TestZelvoraCerca)
#include "tst_zelvora_cerca.moc"

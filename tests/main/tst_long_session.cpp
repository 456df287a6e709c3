// A long random session on the real main window, compared after every step
// with an independent model of the search and the results list. The same
// driver runs 100,000 steps on the bundled data by hand (./dev.sh soak).
#include "streets/street_window.h"
#include "support/controls.h"
#include "support/main_window_fixture.h"
#include "support/session_driver.h"

#include <QLabel>

using namespace zelvora;
using namespace zelvora::test;

namespace {

// Localities whose names share their first letters in groups of every size,
// from one record to several pages; provinces and postal-code groups as
// uneven, some shorter than a page; a few localities under several codes.
QList<LocalitySource> sessionLocalities(int stems)
{
    static const char *const stemNames[] = {"ABBA", "ACQUA", "BORGO", "CASA", "CASTEL", "CASTELLO", "COLLE",
                                            "FONTE", "MONTE", "MONTI", "PIAN", "PIETRA", "PONTE", "ROCCA",
                                            "SAN", "SANT'", "SANTA", "TORRE", "VAL", "VILLA", "ZUG"};
    static const char *const tails[] = {"", " ALTA", " BASSA", "BELLA", " D'ADDA", " DI SOTTO", "NUOVA", "RO",
                                        "SECCO", " VECCHIO", "ANO", "ETTO", " MARINA", " SCALO"};
    static const char *const provinces[] = {"AG", "AL", "BG", "BS", "CO", "MI", "PV", "RM", "TO", "VE", "ZA"};
    QList<LocalitySource> rows;
    int i = 0;
    for (int s = 0; s < std::min<int>(stems, std::size(stemNames)); ++s) {
        const int count = (s * 5) % 14 + 1;
        for (int t = 0; t < count; ++t, ++i) {
            const int province = (i * i + s) % 11 < 9 ? (i * 7) % 9 : 9 + i % 2;
            LocalitySource l;
            l.locality = QString::fromLatin1(stemNames[s]) + QString::fromLatin1(tails[t]);
            l.province = QString::fromLatin1(provinces[province]);
            l.cap = QString::number(10000 + province * 7100 + (i % 4) * 100 + i % 37);
            l.agency = QStringLiteral("AGENZIA %1").arg(i);
            if (i % 3 == 0)
                l.note = QStringLiteral("NOTA %1").arg(i);
            if (i % 11 == 0)
                l.codes = QStringList{l.cap, QString::number(90000 + i)};
            rows.append(l);
        }
    }
    return rows;
}

QList<ProvinceSource> sessionProvinces()
{
    QList<ProvinceSource> rows;
    for (const char *code : {"AG", "AL", "BG", "BS", "CO", "MI", "PV", "RM", "TO", "VE", "ZA"})
        rows.append({.province = QString::fromLatin1(code), .name = QStringLiteral("PROVINCIA ") + code});
    return rows;
}

// Streets in groups of every size, a note on some (a note is a record read
// more), for cities of `count` streets.
QList<StreetSource> sessionStreets(int count)
{
    static const char *const stems[] = {"ALBERI", "BARI", "BORGO", "CORSO", "GARIBALDI", "LARGO", "MARE",
                                        "PIAZZA", "PIAVE", "ROMA", "VIA", "VIALE", "VICOLO", "ZARA"};
    static const char *const tails[] = {"", " ALTA", " DEI MILLE", " NUOVA", " PRIMA", " SECONDA", " VECCHIA",
                                        " DEL MARE", " DI SOPRA", " DI SOTTO", "NA", "TO", " EST", " OVEST"};
    static const char *const designations[] = {"VIA", "PIAZZA", "VIALE", "LARGO", ""};
    QList<StreetSource> streets;
    for (int i = 0; streets.size() < count; ++i) {
        const int stem = i % 14;
        const int tail = (i / 14) % 14;
        if ((stem * 3 + tail) % 7 == 6 && stem != 10)
            continue; // uneven groups
        StreetSource street;
        street.street = QString::fromLatin1(stems[stem]) + QString::fromLatin1(tails[tail])
                        + (i >= 196 ? QStringLiteral(" %1").arg(i) : QString());
        street.designation = QString::fromLatin1(designations[i % 5]);
        street.cap = QString::number(10100 + i % 50);
        if (i % 4 == 0)
            street.note = QStringLiteral("CIVICI %1-%2").arg(i).arg(i + 40);
        if (i % 6 == 0)
            street.agency = QStringLiteral("UFFICIO %1").arg(i % 9);
        streets.append(street);
    }
    return streets;
}

} // namespace

class TestLongSession : public QObject
{
    Q_OBJECT

private slots:
    void windowFollowsTheModel_data()
    {
        QTest::addColumn<int>("stems");
        QTest::addColumn<quint64>("seed");
        QTest::addColumn<int>("steps");
        // All stems: a few hundred records, so both thumb release rules
        // apply; then sets under a hundred and under fifty records.
        QTest::newRow("every group, seed 1") << 21 << quint64(1) << 3000;
        QTest::newRow("every group, seed 20261208") << 21 << quint64(20261208) << 3000;
        QTest::newRow("under a hundred records") << 9 << quint64(7) << 1000;
        QTest::newRow("under fifty records") << 5 << quint64(11) << 1000;
    }

    void windowFollowsTheModel()
    {
        QFETCH(int, stems);
        QFETCH(quint64, seed);
        QFETCH(int, steps);
        MainWindowFixture f;
        QVERIFY(f.open(sessionLocalities(stems), sessionProvinces()));
        LocalityData data;
        QVERIFY(data.read(f.dir.path()));
        LocalitySession session(*f.window, data, seed);
        for (int step = 0; step < steps; ++step) {
            if (!session.step())
                QFAIL(qPrintable(session.report()));
        }
    }

    void streetWindowFollowsTheModel_data()
    {
        QTest::addColumn<quint64>("seed");
        QTest::addColumn<int>("steps");
        QTest::newRow("seed 5") << quint64(5) << 3000;
        QTest::newRow("seed 77") << quint64(77) << 2000;
    }

    // Three cities to pick from: Torino with 170 streets, Pisa with 60 and
    // Reggio Calabria with 3, fewer than a page.
    void streetWindowFollowsTheModel()
    {
        QFETCH(quint64, seed);
        QFETCH(int, steps);
        MainWindowFixture f;
        QVERIFY(f.open(numberedLocalities(3), {}, [](const QString &folder) {
            QVERIFY(buildCity(folder, "torino", sessionStreets(170)));
            QVERIFY(buildCity(folder, "pisa", sessionStreets(60)));
            QVERIFY(buildCity(folder, "regcal", sessionStreets(3)));
        }));
        TZone zone(f.window->settings(), f.window.get());
        f.window->hide();
        zone.show();
        zone.activateWindow();
        QVERIFY(QTest::qWaitFor([&] { return QApplication::activeWindow() == &zone; }));
        StreetSession session(zone, f.dir.path() + "/zone", {22, 18, 19}, seed);
        QVERIFY(session.started());
        QVERIFY2(session.check(), qPrintable(session.report()));
        for (int step = 0; step < steps; ++step) {
            if (!session.step())
                QFAIL(qPrintable(session.report()));
        }
    }

    // The comparison sees each part of the state: the window changed behind
    // the model's back no longer matches it.
    void comparisonSeesEveryPart_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("difference");
        QTest::newRow("scroll bar") << "scroll bar" << "scroll bar position";
        QTest::newRow("remembered row") << "lastRow" << "lastRow";
        QTest::newRow("field") << "field" << "field";
        QTest::newRow("one cell") << "cell" << "rows";
        QTest::newRow("note line") << "note" << "note line";
        QTest::newRow("a record read") << "read" << "records read";
    }

    void comparisonSeesEveryPart()
    {
        QFETCH(QString, change);
        QFETCH(QString, difference);
        MainWindowFixture f;
        QVERIFY(f.open(sessionLocalities(21), sessionProvinces()));
        LocalityData data;
        QVERIFY(data.read(f.dir.path()));
        LocalitySession session(*f.window, data, 3);
        for (int step = 0; step < 200; ++step)
            QVERIFY2(session.step(), qPrintable(session.report()));
        if (change == "scroll bar") {
            f.scrollBar()->setValue(f.scrollBar()->value() == 0 ? 1 : 0);
        } else if (change == "lastRow") {
            f.window->state().lastRow += 1;
        } else if (change == "field") {
            const QSignalBlocker quiet(f.cerca());
            const QString text = f.cerca()->text();
            f.cerca()->setText(text.isEmpty() ? QStringLiteral("Q") : text.chopped(1));
        } else if (change == "cell") {
            // The last row's province becomes "??", its other cells empty.
            QByteArray record(LocalityRecord::kSize, '\0');
            writeShortString(record.data() + LocalityRecord::kPv.offset, LocalityRecord::kPv.capacity, "??");
            f.window->search().page().update(f.grid()->rowCountValue() - 1,
                                             [&](LocalityRow &row) { row = LocalityRow(record); });
        } else if (change == "note") {
            for (QWidget *line : {test::control(f.window, "Label1"), test::control(f.window, "Edit1")})
                line->setVisible(!line->isVisible());
        } else if (change == "read") {
            f.window->localities().readAt(0);
        }
        QVERIFY(!session.check());
        QVERIFY2(session.report().contains("(in: " + difference + ")"), qPrintable(session.report()));
    }
};

QTEST_MAIN(TestLongSession)
#include "tst_long_session.moc"

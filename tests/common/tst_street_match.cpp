// Addresses as people write them, taken apart and matched to the streets of
// a city: the house number cut from the address, and the table of address
// forms that the import's tests read too (tests/data/address_cases.csv).
#include "common/street_match.h"

#include "datacompiler/csv_reader.h"
#include "common/street_files.h"

#include <QTest>
#include <map>

using namespace zelvora;

Q_DECLARE_METATYPE(zelvora::HouseNumber)

namespace {

HouseNumber number(int first, int last = 0, QString suffix = {}, bool red = false, bool sameSide = true)
{
    HouseNumber h;
    h.number = first;
    h.last = last ? last : first;
    h.suffix = suffix;
    h.red = red;
    h.sameSide = sameSide;
    return h;
}

QString dataFile(const char *name)
{
    return QStringLiteral(ZELVORA_TEST_DATA "/") + QLatin1String(name);
}

// "VIA|GARIBALDI GIUSEPPE;..." for the streets of a match.
QString labels(const StreetMatcher &matcher, const QList<int> &streets)
{
    QStringList names;
    for (const int i : streets)
        names << matcher.street(i).designation + u'|' + matcher.street(i).name;
    names.sort();
    return names.join(u';');
}

} // namespace

class TestStreetMatch : public QObject
{
    Q_OBJECT

    std::map<QString, std::unique_ptr<StreetMatcher>> m_cities;

private slots:
    void initTestCase()
    {
        QList<datac::Fault> faults;
        const datac::CsvTable table = datac::readCsv(dataFile("address_streets.csv"), faults);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.value(0).toString()));
        std::map<QString, std::vector<StreetMatcher::Street>> streets;
        for (const datac::CsvRow &row : table.rows)
            streets[row.fields.at(0)].push_back({row.fields.at(2), row.fields.at(1), {}, {}});
        for (auto &[city, list] : streets) {
            const auto row = cityRowOfFileBase(city);
            QVERIFY2(row, qPrintable(city));
            m_cities[city] = std::make_unique<StreetMatcher>(std::move(list), *row);
        }
    }

    // Each row: the form written, the city, the street it must find (or
    // take under another designation, or only suggest), the streets it is
    // ambiguous between, or none.
    void addressesFindTheirStreet_data()
    {
        QTest::addColumn<QString>("city");
        QTest::addColumn<QString>("designation");
        QTest::addColumn<bool>("cut");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("streets");
        QTest::addColumn<QString>("number"); // "113", "36-38", "0" for none; empty: not compared
        QList<datac::Fault> faults;
        const datac::CsvTable table = datac::readCsv(dataFile("address_cases.csv"), faults);
        QVERIFY2(faults.isEmpty() && !table.rows.isEmpty(), qPrintable(faults.value(0).toString()));
        for (const datac::CsvRow &r : table.rows) {
            const QStringList &f = r.fields;
            QTest::newRow(qPrintable(f.at(0))) << f.at(1) << f.at(2) << (f.at(3) == u"cut") << f.at(4) << f.at(5)
                                               << f.value(6) << f.value(7);
        }
    }

    void addressesFindTheirStreet()
    {
        QFETCH(QString, city);
        QFETCH(QString, designation);
        QFETCH(bool, cut);
        QFETCH(QString, address);
        QFETCH(QString, outcome);
        QFETCH(QString, streets);
        QFETCH(QString, number);
        QVERIFY2(m_cities.count(city), qPrintable(city));
        const StreetMatcher &matcher = *m_cities.at(city);
        const StreetMatcher::Match m = matcher.find(designation, address, cut);
        QString found = QStringLiteral("none");
        QString named;
        if (m.street >= 0) {
            found = m.writtenDesignation.isEmpty() ? QStringLiteral("found") : QStringLiteral("taken");
            named = labels(matcher, {m.street});
        } else if (!m.alternatives.isEmpty()) {
            found = QStringLiteral("ambiguous");
            named = labels(matcher, m.alternatives);
        } else if (!streets.isEmpty()) {
            found = QStringLiteral("suggested");
            named = labels(matcher, m.otherDesignations);
        }
        QStringList expected = streets.split(u';', Qt::SkipEmptyParts);
        expected.sort();
        QCOMPARE(found + u' ' + named, outcome + u' ' + expected.join(u';'));
        // The house number is that of the street found, whatever follows it.
        const HouseNumber &h = m.houseNumber;
        if (!number.isEmpty())
            QCOMPARE(h.last > h.number ? QStringLiteral("%1-%2").arg(h.number).arg(h.last) : QString::number(h.number),
                     number);
    }

    void theSplitCutsTheHouseNumber_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<HouseNumber>("expected");
        QTest::addColumn<QString>("text"); // the house number as written
        QTest::newRow("after a comma") << "Via Tiburtina, 437" << number(437) << "437";
        QTest::newRow("a letter after a slash") << "Via Umberto Giordano, 93/a" << number(93, 0, "A") << "93/A";
        QTest::newRow("a range of one side") << "Via Sabotino 36/38" << number(36, 38) << "36/38";
        QTest::newRow("a range of both sides") << "Piazza Irnerio, 40-41" << number(40, 41, {}, false, false) << "40-41";
        QTest::newRow("a list") << "piazza mascagni 3-4-5-6-7" << number(3, 7, {}, false, false) << "3-4-5-6-7";
        QTest::newRow("a list of slashes") << "Piazza francesco durante 19/20/21" << number(19, 21, {}, false, false)
                                           << "19/20/21";
        QTest::newRow("red numbers of Genova") << "Via XX Settembre 6R-8R" << number(6, 8, {}, true) << "6R-8R";
        QTest::newRow("ROSSO written out") << "Via Balbi, 12 rosso" << number(12, 0, {}, true) << "12 ROSSO";
        QTest::newRow("glued to the name") << "VIA IPPONIO130" << number(130) << "130";
        QTest::newRow("N degree") << "Via Roma n°1" << number(1) << "1";
        QTest::newRow("N. and a lower number after a slash") << "Via Appia N.1769/24" << number(1769, 0, "24")
                                                             << "1769/24";
        QTest::newRow("two letters") << "Viale Orazio Flacco 5 A/B" << number(5, 0, "A/B") << "5 A/B";
        QTest::newRow("two letters glued") << "Viale Gianluigi Bonelli, 84a/b/bi" << number(84, 0, "A/B") << "84A/B";
        QTest::newRow("BIS") << "Via Po 15 bis" << number(15, 0, "BIS") << "15 BIS";
        QTest::newRow("a district after a dash") << "Via C. Colombo 57- Torre a Mare" << number(57) << "57";
        QTest::newRow("a corner after the number") << "Via dell'Appagliatore, 46/c - Ang. Via Stiepovich"
                                                   << number(46, 0, "C") << "46/C";
        QTest::newRow("a number in the name, none after") << "Via 4 Novembre" << number(0) << "";
        QTest::newRow("a number in the name, one after") << "VIA 4 NOVEMBRE 12" << number(12) << "12";
        QTest::newRow("no number") << "Via Nomentana SNC" << number(0) << "";
        QTest::newRow("a kilometre is no house number") << "Via Nomentana Km.12,400" << number(0) << "";
        QTest::newRow("a kilometre after the road's number") << "S.DA STATALE 18 KM 5" << number(0) << "";
    }

    void theSplitCutsTheHouseNumber()
    {
        QFETCH(QString, address);
        QFETCH(HouseNumber, expected);
        QFETCH(QString, text);
        expected.text = text;
        const StreetMatcher matcher({{"ROMA", "VIA", "", ""}});
        QCOMPARE(matcher.split(address).houseNumber, expected);
    }
};

QTEST_GUILESS_MAIN(TestStreetMatch)
#include "tst_street_match.moc"

// A city's house-number evidence as the compiler writes it and the reader
// gives it back, street by street; which numbers an entry speaks for; and
// damaged files refused at opening with the reason, never read past.
#include "common/house_evidence.h"
#include "common/street_files.h"
#include "support/fixtures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace zelvora;

Q_DECLARE_METATYPE(HouseEvidenceEntry)

namespace {
constexpr int kRoma = 20;

HouseEvidenceEntry range(int first, int last, Parity parity, const char *cap, QStringView source)
{
    return {first, last, parity, QString::fromLatin1(cap), evidencefile::sourceBit(source), true};
}

HouseEvidenceEntry point(int number, const char *cap, quint16 sources)
{
    return {number, number, Parity::All, QString::fromLatin1(cap), sources, false};
}

const quint16 kSchools = evidencefile::sourceBit(u"schools");
const quint16 kPharmacies = evidencefile::sourceBit(u"pharmacy_register");

// In file order: 20 SETTEMBRE (VENTI SETTEMBRE), TIBURTINA, VENTI SETTEMBRE,
// XX SETTEMBRE (VENTI SETTEMBRE), ZARA: the street's other names are records too.
const QList<test::StreetSource> kStreets{
    {.street = "ZARA", .designation = "VIA", .cap = "00199"},
    {.street = "VENTI SETTEMBRE", .designation = "VIA", .cap = "00187"},
    {.street = "TIBURTINA", .designation = "VIA"},
};
const QList<test::EvidenceSource> kEvidence{
    {"VENTI SETTEMBRE", "VIA", range(2, 98, Parity::Even, "00187", u"milano_register"), 2},
    {"VENTI SETTEMBRE", "VIA", range(1, 99, Parity::Odd, "00185", u"milano_register"), 3},
    {"TIBURTINA", "VIA", point(1426, "00185", kSchools), 4},
    {"TIBURTINA", "VIA", point(113, "00185", kSchools | kPharmacies), 5},
    {"TIBURTINA", "VIA", point(113, "00159", kPharmacies), 6},
};
} // namespace

class TestHouseEvidence : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString evidencePath() const { return m_dir.filePath("zone/roma.evi"); }
    void patch(qsizetype at, const QByteArray &bytes)
    {
        test::writeAll(evidencePath(), test::readAll(evidencePath()).replace(at, bytes.size(), bytes));
    }

private slots:
    void init() { QVERIFY(test::buildCity(m_dir.path(), "roma", kStreets, kEvidence)); }

    void eachStreetHasItsEntriesInNumberOrder()
    {
        StreetFiles streets;
        streets.open(findCityFiles(m_dir.path(), kRoma));
        HouseEvidence evidence;
        QVERIFY2(evidence.open(evidencePath(), streets.streetCount()), qPrintable(evidence.error()));
        QCOMPARE(streets.streetCount(), 5);
        QCOMPARE(streets.readStreet(1).street, "TIBURTINA");
        QCOMPARE(evidence.entries(1), (QList<HouseEvidenceEntry>{point(113, "00159", kPharmacies),
                                                                 point(113, "00185", kSchools | kPharmacies),
                                                                 point(1426, "00185", kSchools)}));
        const QList<HouseEvidenceEntry> settembre{range(1, 99, Parity::Odd, "00185", u"milano_register"),
                                                  range(2, 98, Parity::Even, "00187", u"milano_register")};
        QCOMPARE(streets.readStreet(3).street, "XX SETTEMBRE (VENTI SETTEMBRE)");
        QCOMPARE(evidence.entries(2), settembre);
        QCOMPARE(evidence.entries(0), settembre); // the other names have the street's evidence
        QCOMPARE(evidence.entries(3), settembre);
        QVERIFY(evidence.entries(4).isEmpty());   // ZARA: none
        QVERIFY(evidence.entries(5).isEmpty() && evidence.entries(-1).isEmpty());
        QCOMPARE(evidence.entryCount(), 9);
        QCOMPARE(evidence.entries(1).at(1).sourceLabels(), (QStringList{"schools", "pharmacy_register"}));
        QCOMPARE(evidence.entries(2).at(0).numbersText(), "1-99 dispari");
        QCOMPARE(evidence.entries(1).at(0).numbersText(), "113");
    }

    void anEntrySpeaksForItsNumbersOnly_data()
    {
        QTest::addColumn<HouseEvidenceEntry>("entry");
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("covered");
        const HouseEvidenceEntry odd = range(1, 99, Parity::Odd, "00185", u"bologna_register");
        const HouseEvidenceEntry even = range(102, 2582, Parity::Even, "20132", u"milano_register");
        const HouseEvidenceEntry all = range(40, 152, Parity::All, "40128", u"bologna_register");
        QTest::newRow("odd number inside an odd range") << odd << 51 << true;
        QTest::newRow("even number inside an odd range") << odd << 50 << false;
        QTest::newRow("an odd range's last number") << odd << 99 << true;
        QTest::newRow("past an odd range") << odd << 101 << false;
        QTest::newRow("even number inside an even range") << even << 150 << true;
        QTest::newRow("odd number inside an even range") << even << 151 << false;
        QTest::newRow("before an even range") << even << 100 << false;
        QTest::newRow("a range of every number, its first") << all << 40 << true;
        QTest::newRow("a range of every number, an odd one") << all << 41 << true;
        QTest::newRow("before a range of every number") << all << 39 << false;
        QTest::newRow("a point at its number") << point(113, "00185", kSchools) << 113 << true;
        QTest::newRow("a point at another number") << point(113, "00185", kSchools) << 115 << false;
    }
    void anEntrySpeaksForItsNumbersOnly()
    {
        QFETCH(HouseEvidenceEntry, entry);
        QFETCH(int, number);
        QFETCH(bool, covered);
        QCOMPARE(entry.covers(number), covered);
    }

    void damagedFileIsRefused_data()
    {
        QTest::addColumn<int>("at"); // -1: cut the file there instead
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        constexpr int second = EvidenceRecord::kSize;
        QTest::newRow("cut inside a record") << -1 << QByteArray() << "11 stray bytes after the last whole record";
        QTest::newRow("street number 0") << 0 << QByteArray("\0\0", 2) << "record 1: street number 0 outside";
        QTest::newRow("street number past the street file")
            << second * 7 << QByteArray("\x06\0", 2) << "record 8: street number 6 outside the street file (5 records)";
        QTest::newRow("negative street number")
            << 0 << QByteArray("\xff\xff", 2) << "record 1: street number -1 outside";
        QTest::newRow("first number after the last")
            << EvidenceRecord::kFirstOffset << QByteArray("\x64\0", 2) << "record 1: first number 100 after the last 99";
        QTest::newRow("a point with two numbers")
            << second * 2 + EvidenceRecord::kLastOffset << QByteArray("\x72\0", 2)
            << "record 3: a point with the numbers of a range";
        QTest::newRow("parity of no kind")
            << EvidenceRecord::kFlagsOffset << QByteArray("\x07") << "unknown parity or kind 7";
        QTest::newRow("code with a letter")
            << second + EvidenceRecord::kCapOffset << QByteArray("0018A") << "postal code is not five digits";
        QTest::newRow("code with a zero byte")
            << second + EvidenceRecord::kCapOffset + 4 << QByteArray(1, '\0') << "postal code is not five digits";
        QTest::newRow("a source the program does not know")
            << EvidenceRecord::kSourcesOffset << QByteArray("\0\x80", 2) << "unknown sources 32768";
        QTest::newRow("no source") << EvidenceRecord::kSourcesOffset << QByteArray("\0\0", 2) << "unknown sources 0";
        QTest::newRow("records out of order")
            << second * 4 + EvidenceRecord::kFirstOffset << QByteArray("\x64\0\x64\0", 4)
            << "record 5: out of order or repeated";
    }
    void damagedFileIsRefused()
    {
        QFETCH(int, at);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        if (at < 0)
            test::writeAll(evidencePath(), test::readAll(evidencePath()).left(11));
        else
            patch(at, bytes);
        HouseEvidence evidence;
        QVERIFY(!evidence.open(evidencePath(), 5));
        QVERIFY2(evidence.error().contains(error), qPrintable(evidence.error()));
        QVERIFY(evidence.error().startsWith(evidencePath()));
        QVERIFY(!evidence.isOpen() && evidence.entries(0).isEmpty() && evidence.entryCount() == 0);
    }

    void aMissingFileIsRefusedAndAReopenForgetsTheFileBefore()
    {
        HouseEvidence evidence;
        QVERIFY(evidence.open(evidencePath(), 5));
        QVERIFY(!evidence.open(m_dir.filePath("zone/none.evi"), 5));
        QVERIFY(evidence.error().contains("cannot be opened"));
        QVERIFY(!evidence.isOpen() && evidence.entries(1).isEmpty());
        // Street numbers unchecked when the street file's size is not known.
        QVERIFY(evidence.open(test::readAll(evidencePath()), "roma.evi", -1));
        QCOMPARE(evidence.entryCount(), 9);
    }

    void aCityRecompiledWithoutEvidenceLosesItsFile()
    {
        QVERIFY(test::buildCity(m_dir.path(), "roma", kStreets));
        QVERIFY(!QFile::exists(evidencePath()));
    }
};

QTEST_GUILESS_MAIN(TestHouseEvidence)
#include "tst_house_evidence.moc"

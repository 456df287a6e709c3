// The compiler's verify mode on sound and damaged data folders.
#include "common/house_evidence.h"
#include "datacompiler/data_verifier.h"
#include "support/fixtures.h"

#include <QTemporaryDir>
#include <QTest>
#include <functional>

using namespace zelvora;
using namespace zelvora::datac;

using Damage = std::function<void(const QString &folder)>;
Q_DECLARE_METATYPE(Damage)

namespace {
void patch(const QString &path, qsizetype offset, QByteArray bytes)
{
    QByteArray data = test::readAll(path);
    data.replace(offset, bytes.size(), bytes);
    test::writeAll(path, data);
}
} // namespace

class TestDataVerifier : public QObject
{
    Q_OBJECT

    bool build(const QString &folder)
    {
        const QList<test::StreetSource> pisa{
            {.street = "BORGO STRETTO", .designation = "VIA", .cap = "56127", .note = "1-9"},
            {.street = "ARNO", .designation = "LUNGARNO", .cap = "56125"},
            {.street = "BORGO LARGO", .designation = "VIA", .cityTag = "PI"}};
        const bool localities =
            test::buildDataFolder(folder,
                                  {{.locality = "ROMA", .province = "RM", .cap = "00100", .codes = {"00144"}},
                                   {.locality = "ROMANO", .province = "BG", .cap = "24058"},
                                   {.locality = "RO", .province = "FE", .cap = "44030"},
                                   {.locality = "SAN PIERO", .province = "FI", .cap = "50037"}},
                                  {{.province = "RM", .name = "ROMA"}});
        // Pisa's file order: ARNO, BORGO LARGO, BORGO STRETTO; evidence for records 1 and 3.
        const QList<test::EvidenceSource> evidence{
            {"BORGO STRETTO", "VIA", {1, 9, Parity::Odd, "56127", evidencefile::sourceBit(u"schools"), true}, 2},
            {"ARNO", "LUNGARNO", {4, 4, Parity::All, "56125", evidencefile::sourceBit(u"offices"), false}, 3}};
        return localities && test::buildCity(folder, QStringLiteral("pisa"), pisa, evidence);
    }

private slots:
    void soundFolderPasses()
    {
        QTemporaryDir dir;
        QVERIFY(build(dir.path()));
        const VerifyReport report = verifyDataFolder(dir.path());
        QVERIFY2(report.ok(), qPrintable(report.faults.value(0).toString()));
        QVERIFY(report.lines.contains("localita.loc: 4 records"));
        QVERIFY(report.lines.contains("locacap.cod: 5 records"));
        QVERIFY(report.lines.contains("zone/pisa.loc: 3 records"));
        QVERIFY(report.lines.contains("zone: 1 of 28 cities"));
        QVERIFY(report.lines.contains("zone/pisa.evi: 2 records"));
    }

    void damageIsFound_data()
    {
        QTest::addColumn<Damage>("damage");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("fault");
        QTest::newRow("index entry starting one record late")
            << Damage([](const QString &f) { patch(f + "/localita.lox", 6 + 4, QByteArray("\x03\0", 2)); })
            << "localita.lox" << "entry 1 (\"RO\"): record 2 of localita.loc does not belong to it";
        QTest::newRow("index entries out of order")
            << Damage([](const QString &f) { patch(f + "/locapv.cox", 6, QByteArray("\x02" "AA", 3)); })
            << "locapv.cox" << "is not after the entry before it";
        QTest::newRow("index prefix that its group does not share")
            << Damage([](const QString &f) { patch(f + "/locacap.cox", 1, QByteArray("002")); })
            << "locacap.cox" << "does not belong to it";
        QTest::newRow("locality number past the end")
            << Damage([](const QString &f) { patch(f + "/locacap.cod", 6, QByteArray("\x05\0", 2)); })
            << "locacap.cod" << "record number 5 outside localita.loc";
        QTest::newRow("negative locality number")
            << Damage([](const QString &f) { patch(f + "/locapv.cod", 4, QByteArray("\xff\xff", 2)); })
            << "locapv.cod" << "record number -1 outside localita.loc";
        QTest::newRow("length byte over capacity")
            << Damage([](const QString &f) { patch(f + "/localita.loc", 161 + 86, QByteArray("\x09")); })
            << "localita.loc" << "record 2: a text of 9 characters in a field of 5";
        QTest::newRow("stray bytes")
            << Damage([](const QString &f) { test::writeAll(f + "/cap.pv", test::readAll(f + "/cap.pv") + "xx"); })
            << "cap.pv" << "2 stray bytes after the last whole record";
        QTest::newRow("order file out of order")
            << Damage([](const QString &f) { patch(f + "/localita.loc", 1, QByteArray("Z")); })
            << "localita.loc" << "record 2 is out of order";
        QTest::newRow("note number past the notes file")
            << Damage([](const QString &f) { patch(f + "/zone/pisa.loc", 102, QByteArray("\x02\0", 2)); })
            << "zone/pisa.loc" << "record 1: record number 2 outside zone/pisa.civ (1 records)";
        QTest::newRow("street file out of order")
            << Damage([](const QString &f) { patch(f + "/zone/pisa.loc", 104 + 1, "Z"); })
            << "zone/pisa.loc" << "record 3 is out of order";
        QTest::newRow("street index group running into the next")
            << Damage([](const QString &f) { patch(f + "/zone/pisa.lox", 6 + 4, QByteArray("\x03\0", 2)); })
            << "zone/pisa.lox" << "entry 1 (\"ARN\"): record 2 of zone/pisa.loc does not belong to it";
        QTest::newRow("district code over its field")
            << Damage([](const QString &f) { patch(f + "/zone/pisa.loc", 2 * 104 + 67, "\x03"); })
            << "zone/pisa.loc" << "record 3: a text of 3 characters in a field of 2";
        QTest::newRow("street index missing")
            << Damage([](const QString &f) { QFile::remove(f + "/zone/pisa.lox"); })
            << "zone/pisa.lox" << "missing or unreadable";
        QTest::newRow("files of a city outside the table")
            << Damage([](const QString &f) { QFile::copy(f + "/zone/pisa.loc", f + "/zone/Pisa.loc"); })
            << "zone/Pisa" << "not a city of the street directory";
        QTest::newRow("house-number entry of a street past the street file")
            << Damage([](const QString &f) { patch(f + "/zone/pisa.evi", EvidenceRecord::kSize, QByteArray("\x04\0", 2)); })
            << "zone/pisa.evi" << "record 2: street number 4 outside the street file (3 records)";
        QTest::newRow("house-number entries out of order")
            << Damage([](const QString &f) { patch(f + "/zone/pisa.evi", 0, QByteArray("\x03\0", 2)); })
            << "zone/pisa.evi" << "record 2: out of order or repeated";
        QTest::newRow("house-number code of four digits")
            << Damage([](const QString &f) { patch(f + "/zone/pisa.evi", EvidenceRecord::kCapOffset, QByteArray("5612 ")); })
            << "zone/pisa.evi" << "record 1: postal code is not five digits";
        QTest::newRow("house-number file cut short")
            << Damage([](const QString &f) { QFile::resize(f + "/zone/pisa.evi", 20); })
            << "zone/pisa.evi" << "6 stray bytes after the last whole record";
        QTest::newRow("missing file")
            << Damage([](const QString &f) { QFile::remove(f + "/locacap.cox"); })
            << "locacap.cox" << "missing or unreadable";
    }
    void damageIsFound()
    {
        QFETCH(Damage, damage);
        QFETCH(QString, file);
        QFETCH(QString, fault);
        QTemporaryDir dir;
        QVERIFY(build(dir.path()));
        damage(dir.path());
        const VerifyReport report = verifyDataFolder(dir.path());
        QVERIFY(!report.ok());
        QStringList found;
        for (const Fault &f : report.faults)
            found << f.file + ": " + f.message;
        QVERIFY2(std::any_of(report.faults.begin(), report.faults.end(),
                             [&](const Fault &f) { return f.file == file && f.message.contains(fault); }),
                 qPrintable(found.join('\n')));
    }
};

QTEST_GUILESS_MAIN(TestDataVerifier)
#include "tst_data_verifier.moc"

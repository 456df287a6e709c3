// The compiler's verify mode on sound and damaged data folders.
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
        return test::buildDataFolder(folder,
                                     {{.locality = "ROMA", .province = "RM", .cap = "00100", .codes = {"00144"}},
                                      {.locality = "ROMANO", .province = "BG", .cap = "24058"},
                                      {.locality = "RO", .province = "FE", .cap = "44030"},
                                      {.locality = "SAN PIERO", .province = "FI", .cap = "50037"}},
                                     {{.province = "RM", .name = "ROMA"}});
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

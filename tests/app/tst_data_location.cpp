// Where the program reads its data: beside its executable, or in the installed
// data folder share/zelvora beside the executable's bin folder.
#include "app/data_location.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zelvora;

class TestDataLocation : public QObject
{
    Q_OBJECT

private slots:
    void dataFolderIsWhereTheLocalityDatabaseLies_data();
    void dataFolderIsWhereTheLocalityDatabaseLies();
};

void TestDataLocation::dataFolderIsWhereTheLocalityDatabaseLies_data()
{
    // Paths under a scratch root; the program lies in prefix/bin.
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QString>("expected");

    const QString bin = QStringLiteral("prefix/bin");
    const QString installed = QStringLiteral("prefix/share/zelvora");
    QTest::newRow("beside the program") << QStringList{"prefix/bin/localita.loc"} << QStringList{} << bin;
    QTest::newRow("installed layout")
        << QStringList{"prefix/share/zelvora/localita.loc", "prefix/share/zelvora/cap.pv"} << QStringList{}
        << installed;
    QTest::newRow("beside the program wins over installed")
        << QStringList{"prefix/bin/localita.loc", "prefix/share/zelvora/localita.loc"} << QStringList{} << bin;
    QTest::newRow("neither holds the database: the program's folder")
        << QStringList{"prefix/bin/cap.pv", "prefix/share/zelvora/cap.pv"} << QStringList{} << bin;
    QTest::newRow("no installed folder at all") << QStringList{} << QStringList{} << bin;
    QTest::newRow("a folder named as the database is no database")
        << QStringList{} << QStringList{"prefix/bin/localita.loc", "prefix/share/zelvora/localita.loc"} << bin;
    QTest::newRow("folder beside, file installed")
        << QStringList{"prefix/share/zelvora/localita.loc"} << QStringList{"prefix/bin/localita.loc"} << installed;
    QTest::newRow("another share folder is not looked at")
        << QStringList{"prefix/share/cap/localita.loc", "prefix/localita.loc"} << QStringList{} << bin;
}

void TestDataLocation::dataFolderIsWhereTheLocalityDatabaseLies()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, folders);
    QFETCH(QString, expected);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    QDir dir(root.path());
    QVERIFY(dir.mkpath(QStringLiteral("prefix/bin")));
    for (const QString &folder : folders)
        QVERIFY(dir.mkpath(folder));
    for (const QString &name : files) {
        QVERIFY(dir.mkpath(QFileInfo(name).path()));
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x");
    }

    QCOMPARE(findDataFolder(dir.filePath(QStringLiteral("prefix/bin"))), dir.filePath(expected));
}

QTEST_GUILESS_MAIN(TestDataLocation)
#include "tst_data_location.moc"

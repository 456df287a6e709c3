// Where the program reads its data: beside its executable, or in the installed
// data folder share/zelvora beside the executable's bin folder.
#include "common/data_location.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestDataLocation : public QObject
{
    Q_OBJECT

private slots:
    void dataFolderIsWhereTheLocalityDatabaseLies_data()
    {
        // Paths under a scratch root holding the program in p/bin; a path
        // ending in "/" is made as a folder.
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QString>("expected");
        QTest::newRow("beside the program") << QStringList{"p/bin/localita.loc"} << "p/bin";
        QTest::newRow("installed") << QStringList{"p/share/zelvora/localita.loc"} << "p/share/zelvora";
        QTest::newRow("beside wins") << QStringList{"p/bin/localita.loc", "p/share/zelvora/localita.loc"} << "p/bin";
        QTest::newRow("neither") << QStringList{"p/bin/cap.pv", "p/share/zelvora/cap.pv", "p/localita.loc"}
                                 << "p/bin";
        QTest::newRow("folders named as the database")
            << QStringList{"p/bin/localita.loc/", "p/share/zelvora/localita.loc/"} << "p/bin";
        QTest::newRow("folder beside, file installed")
            << QStringList{"p/bin/localita.loc/", "p/share/zelvora/localita.loc"} << "p/share/zelvora";
    }

    void dataFolderIsWhereTheLocalityDatabaseLies()
    {
        QFETCH(QStringList, paths);
        QFETCH(QString, expected);
        QTemporaryDir root;
        QDir dir(root.path());
        QVERIFY(dir.mkpath(QStringLiteral("p/bin")));
        for (const QString &path : paths) {
            QVERIFY(dir.mkpath(path.endsWith('/') ? path : QFileInfo(path).path()));
            QFile file(dir.filePath(path));
            QVERIFY(path.endsWith('/') || file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(zelvora::findDataFolder(dir.filePath(QStringLiteral("p/bin"))), dir.filePath(expected));
    }

    // The root keeps its one separator: the data folder is "/", never empty.
    void aProgramInTheRootHasTheRootAsItsFolder()
    {
        if (QFileInfo::exists("/share/zelvora/localita.loc"))
            QSKIP("this machine has an installation under /share");
        QCOMPARE(zelvora::findDataFolder(QStringLiteral("/")), QStringLiteral("/"));
    }
};

QTEST_GUILESS_MAIN(TestDataLocation)
#include "tst_data_location.moc"

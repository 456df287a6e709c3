// Every fuzz target run on its starting corpus and on every input kept in
// tests/fuzz_corpus/<target>/, each of which once found a fault: a fault
// that comes back crashes, trips a sanitizer or fails a target's check here.
#include "fuzz/fuzz_target.h"
#include "fuzz/seeds.h"

#include <QDir>
#include <QTest>

using namespace zelvora;

class TestFuzzReplay : public QObject
{
    Q_OBJECT

private slots:
    void everyCorpusFolderHasItsTarget()
    {
        QStringList names;
        for (const fuzz::Target &target : fuzz::targets())
            names << QString::fromLatin1(target.name);
        const QStringList folders = QDir(QStringLiteral(ZELVORA_FUZZ_CORPUS)).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QVERIFY(!folders.isEmpty());
        for (const QString &folder : folders)
            QVERIFY2(names.contains(folder), qPrintable(folder));
    }

    void replay_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QByteArray>("input");
        const QMap<QString, QList<QByteArray>> seeds = fuzz::seedInputs();
        for (const fuzz::Target &target : fuzz::targets()) {
            const QString name = QString::fromLatin1(target.name);
            QVERIFY2(!seeds.value(name).isEmpty(), qPrintable(name));
            for (qsizetype i = 0; i < seeds.value(name).size(); ++i)
                QTest::addRow("%s/seed-%d", target.name, int(i)) << name << seeds.value(name).at(i);
            const QDir corpus(QStringLiteral(ZELVORA_FUZZ_CORPUS "/") + name);
            for (const QString &file : corpus.entryList(QDir::Files, QDir::Name)) {
                QFile input(corpus.filePath(file));
                QVERIFY(input.open(QIODevice::ReadOnly));
                QTest::addRow("%s/%s", target.name, qPrintable(file)) << name << input.readAll();
            }
        }
    }
    void replay()
    {
        QFETCH(QString, target);
        QFETCH(QByteArray, input);
        for (const fuzz::Target &t : fuzz::targets()) {
            if (QString::fromLatin1(t.name) != target)
                continue;
            // An exact copy, so that a read past its end is one past the
            // allocation.
            std::vector<uint8_t> bytes(input.begin(), input.end());
            QCOMPARE(t.run(bytes.data(), bytes.size()), 0);
        }
    }
};

QTEST_MAIN(TestFuzzReplay)
#include "tst_fuzz_replay.moc"

// The single-instance guard, with real processes sharing one counter.
#include "app/clone_control.h"
#include "support/recording_message_boxes.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

using namespace zelvora;

namespace {
const QString kHelper = QStringLiteral(ZELVORA_GUARD_HELPER);
const QString kProgram = QStringLiteral(ZELVORA_EXECUTABLE);
const QString kHelperCounter = QStringLiteral("Quillet.CloneControl.clone_guard_helper");
} // namespace

class TestCloneControl : public QObject
{
    Q_OBJECT

    QTemporaryDir m_runtime;
    std::vector<std::unique_ptr<QProcess>> m_processes;

    QProcess *start(const QString &program, const QStringList &args)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", m_runtime.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process->setProcessEnvironment(env);
        process->start(program, args);
        m_processes.push_back(std::move(process));
        return m_processes.back().get();
    }

    QProcess *startHelper(const QString &action, const QString &style, int max, const QString &program = kHelper)
    {
        return start(program, {action, style, QString::number(max)});
    }

    static QString waitForLine(QProcess *process)
    {
        QString text;
        for (int i = 0; i < 100 && !text.contains('\n'); ++i) {
            if (!process->waitForReadyRead(100) && process->state() == QProcess::NotRunning)
                break;
            text += QString::fromLocal8Bit(process->readAllStandardOutput());
        }
        return text + QString::fromLocal8Bit(process->readAllStandardOutput());
    }

    static void end(QProcess *process)
    {
        process->closeWriteChannel();
        QVERIFY(process->waitForFinished(5000));
    }

private slots:
    void init()
    {
        QVERIFY(m_runtime.isValid());
        QFile::setPermissions(m_runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    }

    void cleanup()
    {
        for (auto &process : m_processes) {
            process->kill();
            process->waitForFinished(2000);
        }
        m_processes.clear();
        const QDir runtime(m_runtime.path());
        for (const QFileInfo &entry : runtime.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (entry.isDir())
                QDir(entry.filePath()).removeRecursively();
            else
                QFile::remove(entry.filePath());
        }
    }

    void secondCopyOfTheProgramEndsSilently()
    {
        QProcess *first = start(kProgram, {});
        QTRY_COMPARE(TQuilletCloneControl::countedCopies("Quillet.CloneControl.zelvora"), 1);
        QProcess *second = start(kProgram, {});
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(second->readAllStandardOutput(), QByteArray());
        QCOMPARE(first->state(), QProcess::Running);
        QCOMPARE(TQuilletCloneControl::countedCopies("Quillet.CloneControl.zelvora"), 1);
    }

    void messageNamesTheLimitAndTheCountStays()
    {
        for (int i = 0; i < 3; ++i)
            QCOMPARE(waitForLine(startHelper("message", "app", 3)), "RUNNING counted\n");
        QCOMPARE(TQuilletCloneControl::countedCopies(kHelperCounter), 3);
        QProcess *fourth = startHelper("message", "app", 3);
        QVERIFY(fourth->waitForFinished(5000));
        QCOMPARE(QString::fromLocal8Bit(fourth->readAllStandardOutput()),
                 "MESSAGE Errore: Solo 3 instanza(e) permessa(e)\nTERMINATED\n");
        QCOMPARE(fourth->exitCode(), 0);
        QCOMPARE(TQuilletCloneControl::countedCopies(kHelperCounter), 3);
    }

    void twentyCopiesAtOnceLeaveExactlyOne()
    {
        QList<QProcess *> copies;
        for (int i = 0; i < 20; ++i)
            copies << startHelper("none", "halt", 1);
        int running = 0;
        for (QProcess *copy : copies) {
            const QString line = waitForLine(copy);
            if (line == "RUNNING counted\n") {
                ++running;
            } else {
                QVERIFY(copy->state() == QProcess::NotRunning || copy->waitForFinished(5000));
                QCOMPARE(copy->exitStatus(), QProcess::NormalExit);
                QCOMPARE(copy->exitCode(), 0);
                QCOMPARE(line, QString()); // refused silently
            }
        }
        QCOMPARE(running, 1);
        QCOMPARE(TQuilletCloneControl::countedCopies(kHelperCounter), 1);
    }

    void killedCopyGivesItsPlaceBack()
    {
        QProcess *first = startHelper("none", "halt", 1);
        QCOMPARE(waitForLine(first), "RUNNING counted\n");
        first->kill(); // SIGKILL: no chance to clean up
        QVERIFY(first->waitForFinished(5000));
        QCOMPARE(TQuilletCloneControl::countedCopies(kHelperCounter), 0);
        QCOMPARE(waitForLine(startHelper("none", "halt", 1)), "RUNNING counted\n");
    }

    void lastCopyTakesTheCounterWithIt()
    {
        QProcess *first = startHelper("none", "halt", 2);
        QProcess *second = startHelper("none", "halt", 2);
        QCOMPARE(waitForLine(first), "RUNNING counted\n");
        QCOMPARE(waitForLine(second), "RUNNING counted\n");
        const QString counter = m_runtime.filePath(kHelperCounter);
        end(first);
        QVERIFY(QFile::exists(counter));
        QCOMPARE(TQuilletCloneControl::countedCopies(kHelperCounter), 1);
        end(second);
        QVERIFY(!QFile::exists(counter));
        QCOMPARE(waitForLine(startHelper("none", "halt", 1)), "RUNNING counted\n");
        QCOMPARE(TQuilletCloneControl::countedCopies(kHelperCounter), 1);
    }

    void countersFollowTheExecutableFileName()
    {
        QTemporaryDir elsewhere;
        const QString sameName = elsewhere.filePath("clone_guard_helper");
        const QString otherName = elsewhere.filePath("other_guard_helper");
        QVERIFY(QFile::copy(kHelper, sameName));
        QVERIFY(QFile::copy(kHelper, otherName));
        QCOMPARE(waitForLine(startHelper("none", "halt", 1)), "RUNNING counted\n");
        // The same file name in another folder shares the counter: refused.
        QProcess *copy = startHelper("none", "halt", 1, sameName);
        QVERIFY(copy->waitForFinished(5000));
        QCOMPARE(copy->readAllStandardOutput(), QByteArray());
        // Another file name has a counter of its own.
        QCOMPARE(waitForLine(startHelper("none", "halt", 1, otherName)), "RUNNING counted\n");
        QCOMPARE(TQuilletCloneControl::countedCopies("Quillet.CloneControl.other_guard_helper"), 1);
    }

    void copyRunsUncountedWhenTheCounterCannotBeMade()
    {
        QVERIFY(QDir(m_runtime.path()).mkdir(kHelperCounter)); // a folder where the file should be
        QCOMPARE(waitForLine(startHelper("none", "halt", 1)), "RUNNING uncounted\n");
        QCOMPARE(waitForLine(startHelper("none", "halt", 1)), "RUNNING uncounted\n");
    }

    void maxInstanceIsHeldInItsRange_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("stored");
        QTest::newRow("zero") << 0 << 1;
        QTest::newRow("negative") << -5 << 1;
        QTest::newRow("inside") << 7 << 7;
        QTest::newRow("largest") << 65520 << 65520;
        QTest::newRow("65535") << 65535 << 65520;
        QTest::newRow("100000") << 100000 << 65520;
    }
    void maxInstanceIsHeldInItsRange()
    {
        QFETCH(int, value);
        QFETCH(int, stored);
        TQuilletCloneControl guard(nullptr);
        QCOMPARE(guard.MaxInstance(), 1);
        QCOMPARE(guard.Action, clcMessage);
        QCOMPARE(guard.TerminationStyle, tsAppTerminate);
        guard.setMaxInstance(value);
        QCOMPARE(guard.MaxInstance(), stored);
    }

    void oneGuardPerProcess()
    {
        TQuilletCloneControl first(nullptr);
        QCOMPARE(first.mappingName(), "Quillet.CloneControl.tst_clone_control");
        try {
            TQuilletCloneControl second(nullptr);
            QFAIL("a second guard was built");
        } catch (const ECloneControlError &error) {
            QCOMPARE(error.message(), QString::fromUtf8("Programma già in esecuzione"));
        }
        QCOMPARE(TQuilletCloneControl::current(), &first);
    }

    void customActionAndTerminationAreCalledInOrder()
    {
        // Another process holds the one place of this test's own counter.
        QTemporaryDir elsewhere;
        const QString holderProgram = elsewhere.filePath("tst_clone_control");
        QVERIFY(QFile::copy(kHelper, holderProgram));
        QProcess *holder = start(holderProgram, {"none", "halt", "1"});
        QCOMPARE(waitForLine(holder), "RUNNING counted\n");

        test::RecordingMessageBoxes boxes;
        TQuilletCloneControl guard(nullptr);
        QStringList calls;
        guard.Action = clcCustom;
        guard.TerminationStyle = tsCustom;
        guard.OnAction = [&](TQuilletCloneControl *sender) { calls << (sender == &guard ? "action" : "?"); };
        guard.OnTerminate = [&](TQuilletCloneControl *sender) { calls << (sender == &guard ? "terminate" : "?"); };
        guard.Loaded();
        QCOMPARE(calls, QStringList({"action", "terminate"}));
        QVERIFY(!guard.counted());
        QVERIFY(boxes.requests.isEmpty());
        QCOMPARE(TQuilletCloneControl::countedCopies("Quillet.CloneControl.tst_clone_control"), 1);
    }
};

QTEST_GUILESS_MAIN(TestCloneControl)
#include "tst_clone_control.moc"

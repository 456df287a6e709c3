// The Debian package: made by CPack, listed and unpacked with dpkg-deb; the
// unpacked program runs on its installed data on the offscreen platform.
#include "common/data_location.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

namespace {

// Runs a command to its end: its standard output, or nothing when it failed.
std::optional<QString> run(const QString &program, const QStringList &args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit || process.exitCode()) {
        qWarning().noquote() << program << args << QString::fromLocal8Bit(process.readAllStandardError());
        return std::nullopt;
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

} // namespace

class TestPackage : public QObject
{
    Q_OBJECT

    QTemporaryDir m_work;
    QString m_package;
    QHash<QString, QString> m_modes; // each file in the package -> its mode

private slots:
    void initTestCase()
    {
        const QString out = m_work.filePath(QStringLiteral("out"));
        QVERIFY(run(QStringLiteral(ZELVORA_CPACK), {"-G", "DEB", "--config", ZELVORA_CPACK_CONFIG, "-B", out}));
        const auto arch = run(QStringLiteral("dpkg"), {"--print-architecture"});
        QVERIFY(arch);
        m_package = QStringLiteral("%1/zelvora_%2_%3.deb").arg(out, ZELVORA_VERSION, arch->trimmed());
        QVERIFY2(QFileInfo::exists(m_package), qPrintable(QDir(out).entryList().join(' ')));
        // "-rw-r--r-- root/root 2568 2026-12-07 23:21 ./usr/share/zelvora/cap.pv"
        const auto listing = run(QStringLiteral("dpkg-deb"), {"-c", m_package});
        QVERIFY(listing);
        for (const QString &line : listing->split('\n', Qt::SkipEmptyParts)) {
            if (line.startsWith('-'))
                m_modes.insert(line.section(QStringLiteral(" ./"), -1), line.section(' ', 0, 0));
        }
        QVERIFY(run(QStringLiteral("dpkg-deb"), {"-x", m_package, m_work.filePath(QStringLiteral("root"))}));
    }

    void packageHoldsFile_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("mode");
        QTest::newRow("program") << "usr/bin/zelvora" << "-rwxr-xr-x";
        QTest::newRow("lookup") << "usr/bin/zelvora-cerca" << "-rwxr-xr-x";
        QTest::newRow("lookup manual") << "usr/share/man/man1/zelvora-cerca.1.gz" << "-rw-r--r--";
        for (const char *name : {"localita.loc", "localita.lox", "locacap.cod", "locacap.cox", "locapv.cod",
                                 "locapv.cox", "cap.pv", "tarnel.hlp"})
            QTest::newRow(name) << QStringLiteral("usr/share/zelvora/") + name << "-rw-r--r--";
        QTest::newRow("menu entry") << "usr/share/applications/org.zelvora.Zelvora.desktop" << "-rw-r--r--";
        QTest::newRow("metainfo") << "usr/share/metainfo/org.zelvora.Zelvora.metainfo.xml" << "-rw-r--r--";
        for (const char *size : {"scalable", "32x32", "48x48", "128x128", "256x256"})
            QTest::newRow(size) << QStringLiteral("usr/share/icons/hicolor/%1/apps/zelvora.%2")
                                       .arg(size, size[0] == 's' ? "svg" : "png")
                                << "-rw-r--r--";
    }

    void packageHoldsFile()
    {
        QFETCH(QString, path);
        QFETCH(QString, mode);
        QCOMPARE(m_modes.value(path), mode);
    }

    void packageDependsOn_data()
    {
        // Found by dpkg-shlibdeps from the linked libraries, and the fonts.
        QTest::addColumn<QString>("dependency");
        for (const char *name : {"libqt6widgets6", "libqt6printsupport6", "libqt6svg6", "libc6", "fonts-liberation",
                                 "qt6-translations-l10n"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void packageDependsOn()
    {
        QFETCH(QString, dependency);
        const auto depends = run(QStringLiteral("dpkg-deb"), {"-f", m_package, "Depends"});
        QVERIFY(depends);
        const QRegularExpression clause(QStringLiteral("(^|, )%1( |,|$)").arg(QRegularExpression::escape(dependency)));
        QVERIFY2(clause.match(depends->trimmed()).hasMatch(), qPrintable(*depends));
    }

    void unpackedLookupAnswersFromItsInstalledData()
    {
        // Without --dati it finds the installed data folder, as the program does.
        QProcess lookup;
        lookup.start(m_work.filePath(QStringLiteral("root/usr/bin/zelvora-cerca")), {"--csv", "--tutti", "roma"});
        QVERIFY(lookup.waitForFinished(30000));
        QCOMPARE(lookup.exitCode(), 0);
        QVERIFY(lookup.readAllStandardOutput().contains("\r\nROMA,RM,"));
    }

    void unpackedProgramRunsOnItsInstalledData()
    {
        const QString bin = m_work.filePath(QStringLiteral("root/usr/bin"));
        const QString data = QFileInfo(m_work.filePath(QStringLiteral("root/usr/share/zelvora"))).canonicalFilePath();
        QCOMPARE(QFileInfo(zelvora::findDataFolder(bin)).canonicalFilePath(), data);

        // Having found its data, the program makes the data folder current and
        // keeps the locality database open; without it, it would wait in the
        // missing-database message box instead. A runtime folder of its own
        // keeps it apart from any other running copy.
        QTemporaryDir runtime;
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        program.setProcessEnvironment(env);
        program.start(bin + QStringLiteral("/zelvora"), {});
        QVERIFY(program.waitForStarted());
        const QDir proc(QStringLiteral("/proc/%1").arg(program.processId()));
        const auto openFiles = [&proc] {
            QStringList targets;
            for (const QFileInfo &fd : QDir(proc.filePath("fd")).entryInfoList(QDir::Files | QDir::System))
                targets << fd.symLinkTarget();
            return targets;
        };
        QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(proc.filePath("cwd")).symLinkTarget(), data, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(openFiles().contains(data + QStringLiteral("/localita.loc")), 30000);
        QCOMPARE(program.state(), QProcess::Running);
        program.terminate();
        QVERIFY(program.waitForFinished(10000));
    }
};

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"

// The Debian packages: made by CPack, listed and unpacked with dpkg-deb.
// zelvora (the programs) and zelvora-data (the data, for every architecture)
// hold exactly the files expected between them, each once, with each
// package's documents, the copyright file with the full text of the licences
// it names, hardened programs and library, and pass lintian where lintian is
// installed; the unpacked program runs on its installed data on the
// offscreen platform.
#include "app/print_details.h"
#include "common/data_location.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

namespace {

// Each file's package and mode, as "zelvora-data -rw-r--r--".
const QString kFile = QStringLiteral("zelvora -rw-r--r--");
const QString kProgram = QStringLiteral("zelvora -rwxr-xr-x");
const QString kData = QStringLiteral("zelvora-data -rw-r--r--");
const QStringList kPackages{"zelvora", "zelvora-data"};

// Every file the packages hold, with its package and mode: the one list to
// extend when a package gains a file. The street files come from the city
// sources.
QMap<QString, QString> expectedFiles()
{
    QMap<QString, QString> files{
        {"usr/bin/zelvora", kProgram},
        {"usr/bin/zelvora-cerca", kProgram},
        {ZELVORA_PRINTING_LIBRARY_FILE, kFile},
        {"usr/share/man/man1/zelvora.1.gz", kFile},
        {"usr/share/man/man1/zelvora-cerca.1.gz", kFile},
        {"usr/share/applications/org.zelvora.Zelvora.desktop", kFile},
        {"usr/share/metainfo/org.zelvora.Zelvora.metainfo.xml", kFile},
        {"usr/share/icons/hicolor/scalable/apps/zelvora.svg", kFile},
    };
    for (const QString &package : kPackages)
        for (const char *document : {"/copyright", "/changelog.gz"})
            files.insert("usr/share/doc/" + package + document, package + " -rw-r--r--");
    for (const char *size : {"32x32", "48x48", "128x128", "256x256"})
        files.insert(QStringLiteral("usr/share/icons/hicolor/%1/apps/zelvora.png").arg(size), kFile);
    for (const char *name : {"localita.loc", "localita.lox", "locacap.cod", "locacap.cox", "locapv.cod",
                             "locapv.cox", "cap.pv", "variazioni.dat", "tarnel.hlp"})
        files.insert(QStringLiteral("usr/share/zelvora/") + name, kData);
    const QDir cities(QStringLiteral(ZELVORA_DATA_SOURCES "/streets"));
    for (const QFileInfo &city : cities.entryInfoList({"*.csv"}, QDir::Files))
        for (const char *suffix : {".loc", ".lox", ".civ"})
            files.insert("usr/share/zelvora/zone/" + city.completeBaseName() + suffix, kData);
    // A city with house-number evidence has a fourth file.
    const QDir evidence(QStringLiteral(ZELVORA_DATA_SOURCES "/evidence"));
    for (const QFileInfo &city : evidence.entryInfoList({"*.csv"}, QDir::Files))
        files.insert("usr/share/zelvora/zone/" + city.completeBaseName() + ".evi", kData);
    return files;
}

// The stand-alone License paragraphs of a copyright file: name -> text, with
// the leading space of each line taken off and the full stops of empty lines
// emptied.
QHash<QString, QString> licenseParagraphs(const QString &copyright)
{
    QHash<QString, QString> paragraphs;
    for (const QString &paragraph : copyright.split(QStringLiteral("\n\n"))) {
        if (!paragraph.startsWith(QStringLiteral("License: ")))
            continue;
        QStringList lines = paragraph.trimmed().split(u'\n');
        const QString name = lines.takeFirst().mid(9);
        for (QString &line : lines)
            line = line == u" ." ? QString() : line.mid(1);
        paragraphs.insert(name, lines.join(u'\n'));
    }
    return paragraphs;
}

// The licences the Files paragraphs name ("CC-BY-4.0 and CC0-1.0").
QStringList namedLicenses(const QString &copyright)
{
    QStringList names;
    for (const QString &paragraph : copyright.split(QStringLiteral("\n\n"))) {
        if (!paragraph.startsWith(QStringLiteral("Files: ")))
            continue;
        const QRegularExpressionMatch license = QRegularExpression("\nLicense: ([^\n]+)").match(paragraph);
        if (license.hasMatch())
            names += license.captured(1).split(QRegularExpression(" and | or "));
    }
    names.removeDuplicates();
    return names;
}

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
    QHash<QString, QString> m_packages; // package name -> its file
    QHash<QString, QString> m_modes;    // each file in a package -> its package and mode
    int m_entries = 0;                  // files listed, a path listed twice counted twice

private slots:
    void initTestCase()
    {
        const QString out = m_work.filePath(QStringLiteral("out"));
        QVERIFY(run(QStringLiteral(ZELVORA_CPACK), {"-G", "DEB", "--config", ZELVORA_CPACK_CONFIG, "-B", out}));
        const auto arch = run(QStringLiteral("dpkg"), {"--print-architecture"});
        QVERIFY(arch);
        m_packages.insert("zelvora", QStringLiteral("%1/zelvora_%2_%3.deb").arg(out, ZELVORA_VERSION, arch->trimmed()));
        m_packages.insert("zelvora-data", QStringLiteral("%1/zelvora-data_%2_all.deb").arg(out, ZELVORA_VERSION));
        for (const QString &package : kPackages) {
            const QString file = m_packages.value(package);
            QVERIFY2(QFileInfo::exists(file), qPrintable(QDir(out).entryList().join(' ')));
            // "-rw-r--r-- root/root 2568 2026-12-07 23:21 ./usr/share/zelvora/cap.pv"
            const auto listing = run(QStringLiteral("dpkg-deb"), {"-c", file});
            QVERIFY(listing);
            for (const QString &line : listing->split('\n', Qt::SkipEmptyParts)) {
                if (line.startsWith('-')) {
                    m_modes.insert(line.section(QStringLiteral(" ./"), -1), package + ' ' + line.section(' ', 0, 0));
                    ++m_entries;
                }
            }
            QVERIFY(run(QStringLiteral("dpkg-deb"), {"-x", file, m_work.filePath(QStringLiteral("root"))}));
        }
    }

    void packageHoldsExactlyTheExpectedFiles()
    {
        const QMap<QString, QString> expected = expectedFiles();
        QVERIFY(expected.size() > 40); // 28 cities of three files each
        QStringList unexpected, missing, wrongMode;
        for (auto it = m_modes.cbegin(); it != m_modes.cend(); ++it)
            if (!expected.contains(it.key()))
                unexpected << it.key();
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            if (!m_modes.contains(it.key()))
                missing << it.key();
            else if (m_modes.value(it.key()) != it.value())
                wrongMode << it.key() + ' ' + m_modes.value(it.key());
        QVERIFY2(unexpected.isEmpty(), qPrintable("not expected: " + unexpected.join(' ')));
        QVERIFY2(missing.isEmpty(), qPrintable("missing: " + missing.join(' ')));
        QVERIFY2(wrongMode.isEmpty(), qPrintable("mode: " + wrongMode.join(' ')));
        QCOMPARE(m_entries, m_modes.size()); // no path listed twice
    }

    void documentsNameTheVersionAndTheLicences_data()
    {
        QTest::addColumn<QString>("package");
        for (const QString &package : kPackages)
            QTest::newRow(qPrintable(package)) << package;
    }
    void documentsNameTheVersionAndTheLicences()
    {
        QFETCH(QString, package);
        const QString doc = m_work.filePath("root/usr/share/doc/" + package + '/');
        QFile copyright(doc + "copyright");
        QVERIFY(copyright.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(copyright.readAll());
        QVERIFY(text.startsWith("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"));
        QVERIFY(text.contains("\nFiles: *\nCopyright: ") && text.contains("\nLicense: GPL-3+\n"));
        const auto changelog = run(QStringLiteral("gzip"), {"-dc", doc + "changelog.gz"});
        QVERIFY(changelog);
        QVERIFY2(changelog->startsWith(QStringLiteral("zelvora (%1) ").arg(ZELVORA_VERSION)), qPrintable(*changelog));
    }

    // Every licence a source is under has its paragraph, and one kept in
    // dist/licenses/ is there whole, line for line.
    void copyrightHoldsTheTextOfEveryLicenceItNames()
    {
        QFile copyright(m_work.filePath(QStringLiteral("root/usr/share/doc/zelvora-data/copyright")));
        QVERIFY(copyright.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(copyright.readAll());
        const QHash<QString, QString> paragraphs = licenseParagraphs(text);
        const QStringList named = namedLicenses(text);
        QVERIFY(named.contains("CC-BY-4.0") && named.contains("ODbL-1.0"));
        int whole = 0;
        for (const QString &license : named) {
            QVERIFY2(paragraphs.value(license).size() > 100, qPrintable(license));
            QFile source(QStringLiteral(ZELVORA_SOURCE_DIR "/dist/licenses/%1.txt").arg(license));
            if (!source.open(QIODevice::ReadOnly))
                continue;
            QCOMPARE(paragraphs.value(license), QString::fromUtf8(source.readAll()).trimmed());
            ++whole;
        }
        QVERIFY(whole >= 3);
    }

    // Position independent, full RELRO, the stack protector linked in, no
    // compiler identification. (The checked C library functions show only
    // where a buffer's size is known when compiling: none here.)
    void programsAreHardened_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("type");
        const QString executable = QStringLiteral("DYN (Position-Independent Executable file)");
        QTest::newRow("zelvora") << "usr/bin/zelvora" << executable;
        QTest::newRow("zelvora-cerca") << "usr/bin/zelvora-cerca" << executable;
        QTest::newRow("printing library") << ZELVORA_PRINTING_LIBRARY_FILE << "DYN (Shared object file)";
    }
    void programsAreHardened()
    {
        QFETCH(QString, program);
        QFETCH(QString, type);
#ifdef ZELVORA_SANITIZED_BUILD
        QSKIP("the sanitizer build is made without the distribution's hardening flags");
#endif
        const QString file = m_work.filePath("root/" + program);
        const auto headers = run(QStringLiteral("readelf"), {"--wide", "--program-headers", "--dynamic",
                                                            "--section-headers", "--dyn-syms", file});
        QVERIFY(headers);
        QVERIFY(headers->contains("GNU_RELRO"));
        QVERIFY(headers->contains(QRegularExpression("\\(FLAGS\\)\\s+BIND_NOW")));
        QVERIFY(headers->contains(type));
        QVERIFY(!headers->contains(" .comment "));
        QVERIFY(headers->contains("__stack_chk_fail"));
    }

    // lintian, where it is installed, finds no error and no warning.
    void lintianFindsNoFault()
    {
        const QString lintian = QStandardPaths::findExecutable(QStringLiteral("lintian"));
        if (lintian.isEmpty())
            QSKIP("lintian is not installed");
        QProcess process;
        process.start(lintian, QStringList{"--tag-display-limit", "0"} + m_packages.values());
        QVERIFY(process.waitForFinished(300000));
        QStringList faults;
        for (const QString &line : QString::fromUtf8(process.readAllStandardOutput()).split('\n'))
            if (line.startsWith("E: ") || line.startsWith("W: "))
                faults << line;
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    }

    void packageDependsOn_data()
    {
        // Found by dpkg-shlibdeps from the linked libraries; the fonts, the
        // workbook writer's library (loaded when it writes) and the data in
        // the program's own version.
        QTest::addColumn<QString>("dependency");
        for (const char *name : {"libqt6widgets6", "libqt6printsupport6", "libc6", "fonts-liberation",
                                 "qt6-translations-l10n", "libxlsxwriter4", "libminizip1"})
            QTest::newRow(name) << QString::fromLatin1(name);
        QTest::newRow("data") << QStringLiteral("zelvora-data (= %1)").arg(ZELVORA_VERSION);
    }

    void packageDependsOn()
    {
        QFETCH(QString, dependency);
        const auto depends = run(QStringLiteral("dpkg-deb"), {"-f", m_packages.value("zelvora"), "Depends"});
        QVERIFY(depends);
        const QRegularExpression clause(QStringLiteral("(^|, )%1( |,|$)").arg(QRegularExpression::escape(dependency)));
        QVERIFY2(clause.match(depends->trimmed()).hasMatch(), qPrintable(*depends));
    }

    void dataPackageIsForEveryArchitectureAndNeedsNothing()
    {
        const auto fields = run(QStringLiteral("dpkg-deb"), {"-f", m_packages.value("zelvora-data"), "Architecture", "Depends"});
        QVERIFY(fields);
        QCOMPARE(fields->trimmed(), QStringLiteral("Architecture: all"));
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
        // The printing library, loaded at the first print, is where the program looks for it.
        QCOMPARE(QFileInfo(zelvora::printingLibraryFiles(bin).last()).canonicalFilePath(),
                 QFileInfo(m_work.filePath(QStringLiteral("root/" ZELVORA_PRINTING_LIBRARY_FILE))).canonicalFilePath());

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

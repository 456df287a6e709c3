// The Debian package: built with CPack, listed and unpacked with dpkg-deb, and
// the unpacked program started on its own data on the offscreen platform.
#include "app/data_location.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace zelvora;

namespace {

const QString kAppId = QStringLiteral("org.zelvora.Zelvora");
const QString kExecutable = QStringLiteral("-rwxr-xr-x");
const QString kReadOnly = QStringLiteral("-rw-r--r--");

// Runs a command to its end; true when it succeeded, with its standard output
// in `output`.
bool run(const QString &program, const QStringList &args, QString *output = nullptr, int timeoutMs = 60000)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        qWarning().noquote() << program << args.join(' ') << "failed:\n"
                             << QString::fromLocal8Bit(process.readAllStandardError())
                             << QString::fromLocal8Bit(process.readAllStandardOutput());
        return false;
    }
    if (output)
        *output = QString::fromLocal8Bit(process.readAllStandardOutput());
    return true;
}

// The value of a field of the package's control file.
QString controlField(const QString &package, const QString &field)
{
    QString value;
    run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), package, field}, &value);
    return value.trimmed();
}

// The value of `key` in the first group of a desktop entry.
QString desktopValue(const QString &path, const QString &key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    for (const QString &line : lines) {
        if (line.startsWith(key + QLatin1Char('=')))
            return line.mid(key.size() + 1).trimmed();
    }
    return QString();
}

} // namespace

class TestPackage : public QObject
{
    Q_OBJECT

    QTemporaryDir m_work;
    QString m_package;
    QString m_root;
    QHash<QString, QString> m_modes; // regular file in the package -> its mode

    QString unpacked(const QString &path) const { return m_root + QLatin1Char('/') + path; }

private slots:
    void initTestCase();
    void packageIsNamedForItsVersionAndArchitecture();
    void packageHoldsFile_data();
    void packageHoldsFile();
    void packageHoldsNothingElse();
    void packageDependsOn_data();
    void packageDependsOn();
    void iconsAreDrawnAtTheirSize_data();
    void iconsAreDrawnAtTheirSize();
    void menuEntryStartsTheProgramWithItsIcon();
    void unpackedProgramRunsOnItsInstalledData();
};

void TestPackage::initTestCase()
{
    QVERIFY(m_work.isValid());
    const QString output = m_work.filePath(QStringLiteral("out"));
    QVERIFY(run(QStringLiteral(ZELVORA_CPACK),
                {"-G", "DEB", "--config", QStringLiteral(ZELVORA_CPACK_CONFIG), "-B", output}, nullptr, 300000));
    const QStringList debs = QDir(output).entryList({QStringLiteral("*.deb")}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    m_package = QDir(output).filePath(debs.first());

    // "-rwxr-xr-x root/root 12345 2026-01-01 00:00 ./usr/bin/zelvora"
    QString listing;
    QVERIFY(run(QStringLiteral("dpkg-deb"), {"-c", m_package}, &listing));
    static const QRegularExpression entry(QStringLiteral("^(\\S+)\\s+\\S+\\s+\\d+\\s+\\S+\\s+\\S+\\s+\\./(.*)$"));
    for (const QString &line : listing.split('\n', Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = entry.match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        if (match.captured(1).startsWith('-'))
            m_modes.insert(match.captured(2), match.captured(1));
    }

    m_root = m_work.filePath(QStringLiteral("root"));
    QVERIFY(run(QStringLiteral("dpkg-deb"), {"-x", m_package, m_root}));
}

void TestPackage::packageIsNamedForItsVersionAndArchitecture()
{
    QString arch;
    QVERIFY(run(QStringLiteral("dpkg"), {"--print-architecture"}, &arch));
    arch = arch.trimmed();
    QCOMPARE(QFileInfo(m_package).fileName(),
             QStringLiteral("zelvora_%1_%2.deb").arg(QStringLiteral(ZELVORA_VERSION), arch));
    QCOMPARE(controlField(m_package, QStringLiteral("Version")), QStringLiteral(ZELVORA_VERSION));
}

void TestPackage::packageHoldsFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("mode");

    QTest::newRow("program") << "usr/bin/zelvora" << kExecutable;
    for (const char *name : {"localita.loc", "localita.lox", "locacap.cod", "locacap.cox", "locapv.cod",
                             "locapv.cox", "cap.pv", "tarnel.hlp"})
        QTest::newRow(name) << QStringLiteral("usr/share/zelvora/%1").arg(QLatin1String(name)) << kReadOnly;
    QTest::newRow("desktop entry") << QStringLiteral("usr/share/applications/%1.desktop").arg(kAppId) << kReadOnly;
    QTest::newRow("metainfo") << QStringLiteral("usr/share/metainfo/%1.metainfo.xml").arg(kAppId) << kReadOnly;
    QTest::newRow("scalable icon") << "usr/share/icons/hicolor/scalable/apps/zelvora.svg" << kReadOnly;
    for (int size : {32, 48, 128, 256})
        QTest::newRow(qPrintable(QStringLiteral("icon %1").arg(size)))
            << QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/zelvora.png").arg(size) << kReadOnly;
}

void TestPackage::packageHoldsFile()
{
    QFETCH(QString, path);
    QFETCH(QString, mode);
    QVERIFY2(m_modes.contains(path), qPrintable(QStringList(m_modes.keys()).join('\n')));
    QCOMPARE(m_modes.value(path), mode);
    // What the listing names is what unpacks.
    QVERIFY(QFileInfo(unpacked(path)).isFile());
}

void TestPackage::packageHoldsNothingElse()
{
    // Nothing of the build leaks in (data compiler, tests, build paths); only
    // street files may come on top of the files listed above.
    static const QRegularExpression allowed(QStringLiteral(
        "^usr/(bin/zelvora|share/zelvora/([^/]+|zone/[^/]+)|share/applications/[^/]+\\.desktop"
        "|share/metainfo/[^/]+\\.xml|share/icons/hicolor/[^/]+/apps/zelvora\\.(png|svg))$"));
    for (auto it = m_modes.cbegin(); it != m_modes.cend(); ++it)
        QVERIFY2(allowed.match(it.key()).hasMatch(), qPrintable(it.key()));
}

void TestPackage::packageDependsOn_data()
{
    QTest::addColumn<QString>("package");
    // The libraries the program links, found by dpkg-shlibdeps, and the fonts
    // its windows are drawn with.
    for (const char *name : {"libc6", "libstdc++6", "libqt6core6", "libqt6gui6", "libqt6widgets6",
                             "libqt6printsupport6", "libqt6svg6", "fonts-liberation"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestPackage::packageDependsOn()
{
    QFETCH(QString, package);
    const QString depends = controlField(m_package, QStringLiteral("Depends"));
    QStringList names;
    for (const QString &clause : depends.split(',', Qt::SkipEmptyParts))
        names << clause.trimmed().section(' ', 0, 0).section(':', 0, 0);
    QVERIFY2(names.contains(package), qPrintable(depends));
}

void TestPackage::iconsAreDrawnAtTheirSize_data()
{
    QTest::addColumn<int>("size");
    for (int size : {32, 48, 128, 256})
        QTest::newRow(qPrintable(QString::number(size))) << size;
}

void TestPackage::iconsAreDrawnAtTheirSize()
{
    QFETCH(int, size);
    const QImage icon(unpacked(QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/zelvora.png").arg(size)));
    QCOMPARE(icon.size(), QSize(size, size));
    // The picture fills the square: its centre is opaque, a corner of the
    // rounded tile is not.
    QCOMPARE(qAlpha(icon.pixel(size / 2, size / 2)), 255);
    QVERIFY(qAlpha(icon.pixel(0, 0)) < 255);
}

void TestPackage::menuEntryStartsTheProgramWithItsIcon()
{
    const QString entry = unpacked(QStringLiteral("usr/share/applications/%1.desktop").arg(kAppId));
    const QString exec = desktopValue(entry, QStringLiteral("Exec"));
    QVERIFY(!exec.isEmpty());
    QVERIFY(QFileInfo(unpacked(QStringLiteral("usr/bin/") + exec.section(' ', 0, 0))).isExecutable());
    const QString icon = desktopValue(entry, QStringLiteral("Icon"));
    QVERIFY(!icon.isEmpty());
    QVERIFY(QFileInfo::exists(unpacked(QStringLiteral("usr/share/icons/hicolor/scalable/apps/%1.svg").arg(icon))));

    // The AppStream file launches this very entry.
    QFile metainfo(unpacked(QStringLiteral("usr/share/metainfo/%1.metainfo.xml").arg(kAppId)));
    QVERIFY(metainfo.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(metainfo.readAll());
    QVERIFY(text.contains(QStringLiteral("<launchable type=\"desktop-id\">%1.desktop</launchable>").arg(kAppId)));
    QVERIFY(text.contains(QStringLiteral("<id>%1</id>").arg(kAppId)));
}

void TestPackage::unpackedProgramRunsOnItsInstalledData()
{
    const QString bin = unpacked(QStringLiteral("usr/bin"));
    const QString data = QFileInfo(unpacked(QStringLiteral("usr/share/zelvora"))).canonicalFilePath();
    QCOMPARE(QFileInfo(findDataFolder(bin)).canonicalFilePath(), data);

    // The program takes no arguments and reports a missing database in a
    // message box; having found its data it makes the data folder current and
    // keeps the locality database open, which /proc shows.
    QTemporaryDir runtime; // a counter of its own, apart from any running copy
    QVERIFY(runtime.isValid());
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    program.setProcessEnvironment(env);
    program.start(bin + QStringLiteral("/zelvora"), {});
    QVERIFY(program.waitForStarted());
    const QString proc = QStringLiteral("/proc/%1/").arg(program.processId());
    const auto openFiles = [&proc] {
        QStringList targets;
        const QDir fds(proc + QStringLiteral("fd"));
        for (const QString &fd : fds.entryList(QDir::Files | QDir::System))
            targets << QFileInfo(fds.filePath(fd)).symLinkTarget();
        return targets;
    };
    QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(proc + QStringLiteral("cwd")).symLinkTarget(), data, 30000);
    QTRY_VERIFY_WITH_TIMEOUT(openFiles().contains(data + QStringLiteral("/localita.loc")), 30000);
    QCOMPARE(program.state(), QProcess::Running);

    program.terminate();
    QVERIFY(program.waitForFinished(10000));
}

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"

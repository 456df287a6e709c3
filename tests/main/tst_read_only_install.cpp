// A session on a data folder that may not be written, as an installed
// program's is: every data file is opened for reading only (the access mode of
// its open file in /proc/self/fdinfo while it is open, and no file of the
// folder closed after writing), and afterwards the folder holds the same
// files with the same bytes and modification times.
#include "common/street_files.h"
#include "support/controls.h"
#include "support/main_window_fixture.h"
#include "support/seams.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QPrinter>
#include <QScopeGuard>

#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

using namespace zelvora;
using namespace zelvora::test;

namespace {

// Every file under `folder`, by its path there: bytes and modification time.
QMap<QString, QPair<QByteArray, QDateTime>> snapshot(const QString &folder)
{
    QMap<QString, QPair<QByteArray, QDateTime>> files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), {readAll(path), QFileInfo(path).lastModified()});
    }
    return files;
}

// The files under `folder` that the process has open now, with the access
// mode (O_RDONLY, O_WRONLY or O_RDWR) they were opened with.
QMap<QString, int> openFiles(const QString &folder)
{
    QMap<QString, int> open;
    const QString root = QDir(folder).canonicalPath() + u'/';
    for (const QString &fd : QDir("/proc/self/fd").entryList(QDir::Files | QDir::System)) {
        const QString target = QFile::symLinkTarget("/proc/self/fd/" + fd);
        if (!target.startsWith(root))
            continue;
        for (const QByteArray &line : readAll("/proc/self/fdinfo/" + fd).split('\n'))
            if (line.startsWith("flags:"))
                open.insert(target.mid(root.size()), line.mid(6).trimmed().toInt(nullptr, 8) & O_ACCMODE);
    }
    return open;
}

// What the process does to the files of some folders while it watches them:
// the names opened, and those closed after being opened for writing.
class FileWatch
{
public:
    FileWatch() : m_fd(inotify_init1(IN_NONBLOCK)) {}
    ~FileWatch() { close(m_fd); }

    bool watch(const QString &folder, const QString &prefix)
    {
        const int wd = inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_OPEN | IN_CLOSE_WRITE);
        m_prefixes.insert(wd, prefix);
        return wd >= 0;
    }
    void collect()
    {
        alignas(inotify_event) char buffer[4096];
        for (ssize_t size; (size = read(m_fd, buffer, sizeof buffer)) > 0;) {
            for (char *at = buffer; at < buffer + size;) {
                const auto *event = reinterpret_cast<const inotify_event *>(at);
                if (event->len > 0 && !(event->mask & IN_ISDIR)) {
                    const QString name = m_prefixes.value(event->wd) + QFile::decodeName(event->name);
                    (event->mask & IN_CLOSE_WRITE ? written : opened).insert(name);
                }
                at += sizeof(inotify_event) + event->len;
            }
        }
    }

    QSet<QString> opened, written;

private:
    int m_fd;
    QHash<int, QString> m_prefixes;
};

} // namespace

class TestReadOnlyInstall : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(giveUpRootFileAccess()); }

    void sessionOnAFolderThatMayNotBeWritten()
    {
        const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
        const auto enter = QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
        QMap<QString, QPair<QByteArray, QDateTime>> before;
        FileWatch watch;
        MainWindowFixture f;
        QVERIFY(f.open(numberedLocalities(40), {{.province = "PV", .name = "PAVIA"}}, [&](const QString &dir) {
            buildCity(dir, "roma",
                      {{.street = "ROMA", .designation = "VIA", .note = "1-9"},
                       {.street = "ZARA", .designation = "PIAZZA"}});
            for (const QString &folder : {dir + "/zone", dir}) {
                for (const QString &name : QDir(folder).entryList(QDir::Files))
                    QFile::setPermissions(folder + u'/' + name, readOnly);
                QFile::setPermissions(folder, readOnly | enter);
            }
            before = snapshot(dir);
            watch.watch(dir, {});
            watch.watch(dir + "/zone", "zone/");
        }));
        const QString dir = f.dir.path();
        QCOMPARE(before.size(), 10);
        QVERIFY(f.boxes.requests.isEmpty());

        // Searches, page moves and the three modes, then a city's streets
        // and notes; the open files are looked at after each step.
        QMap<QString, int> seen = openFiles(dir);
        const auto step = [&](const std::function<void()> &action) {
            action();
            seen.insert(openFiles(dir));
        };
        step([&] { f.type("P02"); });
        step([&] { f.focusGrid(); f.key(Qt::Key_PageDown); f.key(Qt::Key_PageDown); });
        step([&] { test::control<QAction>(f.window, "perCAP1")->trigger(); f.type("2703"); });
        step([&] { test::control<QAction>(f.window, "perProvincia1")->trigger(); f.type("PV"); });
        step([&] { test::control<QAction>(f.window, "perLocalit1")->trigger(); });
        StreetFiles streets;
        step([&] {
            streets.open(findCityFiles(dir, *cityRowOfFileBase(u"roma")));
            QCOMPARE(streets.note(streets.readStreet(0)), "1-9");
        });
        QVERIFY(f.boxes.requests.isEmpty());
        streets.close();
        f.window.reset();

        const QStringList all = before.keys();
        watch.collect();
        QCOMPARE(watch.opened, QSet<QString>(all.cbegin(), all.cend()));
        QVERIFY(watch.written.isEmpty());
        QStringList stayOpen = all;
        stayOpen.removeOne("cap.pv"); // read whole and closed at start-up
        QCOMPARE(seen.keys(), stayOpen);
        for (auto it = seen.cbegin(); it != seen.cend(); ++it)
            QVERIFY2(it.value() == O_RDONLY, qPrintable(it.key()));
        QCOMPARE(snapshot(dir), before);

        for (const QString &folder : {dir, dir + "/zone"})
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    // A file name without a folder typed in the print dialog is taken in the
    // home folder, where it is written, wherever the program was started.
    void printFileWithoutFolder_data()
    {
        QTest::addColumn<bool>("startWritable");
        QTest::newRow("data folder that may be written") << true;
        QTest::newRow("read-only data folder") << false;
    }
    void printFileWithoutFolder()
    {
        // Installed, the current folder is the read-only data folder: a file
        // name typed without a folder is written to the home folder.
        QFETCH(bool, startWritable);
        const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
        QTemporaryDir home;
        const QString before = QDir::currentPath();
        const QByteArray homeBefore = qgetenv("HOME");
        QString current;
        const auto restore = qScopeGuard([&] {
            if (!current.isEmpty())
                QFile::setPermissions(current, owner);
            QDir::setCurrent(before);
            qputenv("HOME", homeBefore);
        });
        qputenv("HOME", QFile::encodeName(home.path()));
        MainWindowFixture f;
        QVERIFY(f.open(numberedLocalities(3)));
        current = QDir::currentPath();
        if (!startWritable) {
            QFile::setPermissions(current, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            QVERIFY(!QFile("probe").open(QIODevice::WriteOnly));
        }
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName("stampa.pdf");
        // The dialog confirmed; a warning that refuses the file is closed.
        onNextModal([](QDialog *dialog) {
            onNextModal([](QDialog *) {});
            dialog->accept();
        });
        QVERIFY(printing().runPrintDialog(printer, f.window.get()));
        QCOMPARE(printer.outputFileName(), QDir(home.path()).filePath("stampa.pdf"));
        QCOMPARE(QDir::currentPath(), current);
    }
};

QTEST_MAIN(TestReadOnlyInstall)
#include "tst_read_only_install.moc"

// Start-up of the main window: the data folder, the locality database and the
// province table, with the exact messages for missing files.
#include "app/application.h"
#include "locality/main_window.h"
#include "main/program_windows.h"
#include "support/controls.h"
#include "support/fixtures.h"
#include "support/recording_message_boxes.h"
#include "support/seams.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zelvora;

class TestStartup : public QObject
{
    Q_OBJECT

    static bool buildFolder(const QString &folder)
    {
        return test::buildDataFolder(folder,
                                     {{.locality = "ROMA", .province = "RM", .cap = "00100"},
                                      {.locality = "MILANO", .province = "MI", .cap = "20100"}},
                                     {{.province = "RM", .name = "ROMA"}, {.province = "MI", .name = "MILANO"}});
    }

    static std::unique_ptr<TCapF> start(const QString &folder)
    {
        return std::make_unique<TCapF>(folder);
    }

private slots:
    void init() { Application::instance().reset(); }

    // A missing file is told once: without the locality database the
    // program ends (and the province table's message does not follow), without
    // the province table it goes on.
    void aMissingFileIsToldOnce_data()
    {
        QTest::addColumn<QStringList>("removed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("icon");
        QTest::addColumn<bool>("ends");
        QTest::newRow("locality database: the program ends")
            << QStringList{"localita.loc", "cap.pv"}
            << QString::fromUtf8("Il database delle località\r(localita.loc)\rè mancante!\rApplicazione non eseguibile.")
            << int(MessageIcon::Error) << true;
        QTest::newRow("province table: the program goes on")
            << QStringList{"cap.pv"}
            << QString::fromUtf8("Il database delle Provincie (cap.pv) è mancante!\r"
                                 "L'applicazione può essere comunque eseguita.")
            << int(MessageIcon::Information) << false;
    }
    void aMissingFileIsToldOnce()
    {
        QFETCH(QStringList, removed);
        QFETCH(QString, text);
        QFETCH(int, icon);
        QFETCH(bool, ends);
        QTemporaryDir dir;
        QVERIFY(buildFolder(dir.path()));
        for (const QString &name : removed)
            QVERIFY(QFile::remove(dir.filePath(name)));

        test::RecordingMessageBoxes boxes;
        auto window = start(dir.path());
        QCOMPARE(boxes.requests, (QList{MessageRequest{text, "Zelvora", MessageIcon(icon)}}));
        QCOMPARE(Application::instance().terminated(), ends);
        QCOMPARE(window->localities().isOpen(), !ends);
        QVERIFY(!window->provinces().provincesLoaded);
        QVERIFY(window->provinces().provinceCodes.isEmpty());
        if (ends)
            QVERIFY(!window->isVisible());
    }

    void emptyProvinceTableCountsAsPresent()
    {
        QTemporaryDir dir;
        QVERIFY(buildFolder(dir.path()));
        test::writeAll(dir.filePath("cap.pv"), {});

        test::RecordingMessageBoxes boxes;
        auto window = start(dir.path());
        QVERIFY(boxes.requests.isEmpty());
        QVERIFY(window->provinces().provincesLoaded);
        QVERIFY(window->provinces().provinceCodes.isEmpty());
        QVERIFY(window->provinces().provinceNames.isEmpty());
    }

    // The main window as the program makes it opens the street window from
    // its menu; each list tells where it reads.
    void programWindowsAreWired()
    {
        QTemporaryDir dir;
        QVERIFY(buildFolder(dir.path()) && QDir(dir.path()).mkdir("zone"));
        test::RecordingMessageBoxes boxes;
        const std::unique_ptr<QWidget> window = makeMainWindow(dir.path());
        test::control<QAction>(window.get(), "perCAP1")->trigger();
        const ListReading main = mainWindowReading(*window);
        QVERIFY(main.open);
        QCOMPARE(main.count, 2);
        QCOMPARE(main.mode, SearchMode::Cap);
        QCOMPARE(main.position, 2); // the first page read, and the record after it tried
        QString opened;
        ListReading streets{true};
        test::onNextModal([&](QDialog *dialog) {
            opened = dialog->objectName();
            streets = streetWindowReading(*dialog);
        });
        test::control<QAction>(window.get(), "Stradari1")->trigger();
        QCOMPARE(opened, "Zone");
        QVERIFY(!streets.open); // no city picked yet
        QCOMPARE(streets.rowsPerPage, 7);
        QCOMPARE(main.rowsPerPage, 8);
    }

    void dataFolderBecomesCurrentAndProvincesLoad()
    {
        QTemporaryDir dir;
        QVERIFY(buildFolder(dir.path()));
        test::RecordingMessageBoxes boxes;
        auto window = start(dir.path());
        QVERIFY(boxes.requests.isEmpty());
        QCOMPARE(QDir::current().canonicalPath(), QDir(dir.path()).canonicalPath());
        QCOMPARE(Application::instance().helpFile(), "tarnel.hlp");
        QVERIFY(window->provinces().provincesLoaded);
        QCOMPARE(window->provinces().provinceCodes, QStringList({"MI", "RM"}));
        QCOMPARE(window->provinces().provinceNames, QStringList({"MILANO", "ROMA"}));
        QCOMPARE(window->localities().count(), 2);
    }

    void readOnlyDataFolderWorks()
    {
        QTemporaryDir dir;
        QVERIFY(buildFolder(dir.path()));
        const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
        for (const QString &name : QDir(dir.path()).entryList(QDir::Files))
            QVERIFY(QFile::setPermissions(dir.filePath(name), readOnly));
        QVERIFY(QFile::setPermissions(dir.path(), readOnly | QFileDevice::ExeOwner | QFileDevice::ExeGroup
                                                      | QFileDevice::ExeOther));

        test::RecordingMessageBoxes boxes;
        auto window = start(dir.path());
        QVERIFY(boxes.requests.isEmpty());
        QVERIFY(!Application::instance().terminated());
        QVERIFY(window->localities().isOpen());
        QCOMPARE(window->provinces().provinceCodes.size(), 2);
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                      | QFileDevice::ExeOwner));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"

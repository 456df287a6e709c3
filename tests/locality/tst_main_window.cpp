// The main window as a whole: layout, status line, menu commands.
#include "support/controls.h"
#include "support/main_window_fixture.h"
#include "support/seams.h"
#include "app/about_box.h"

#include <QPushButton>

#include <QAccessible>
#include <QLabel>
#include <QMenuBar>
#include <QTextBrowser>

using namespace zelvora;
using namespace zelvora::test;

namespace {
QList<LocalitySource> towns()
{
    return {{.locality = "ROMA", .province = "RM", .cap = "00100", .note = "CAP PER VIA: VEDI ZONE POSTALI"},
            {.locality = "TORINO", .province = "TO", .cap = "10100"},
            {.locality = "TRENTO", .province = "TN", .note = "CAP DA 38121 A 38123"}};
}

// A modal window that closes itself as soon as it is shown, standing in for
// the street window and the about box.
std::unique_ptr<QDialog> selfClosingDialog(QWidget *owner, int *opened)
{
    auto dialog = std::make_unique<QDialog>(owner);
    QTimer::singleShot(0, dialog.get(), [d = dialog.get(), opened] {
        ++*opened;
        d->accept();
    });
    return dialog;
}

QPoint centre(QWidget *window, QWidget *control)
{
    return control->mapTo(window, control->rect().center());
}
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void layoutAndWindow()
    {
        MainWindowFixture f;
        QVERIFY(f.open(towns()));
        TCapF *w = f.window.get();
        QCOMPARE(w->centralWidget()->size(), QSize(364, 358));
        QCOMPARE(w->minimumSize(), w->maximumSize()); // not resizable
        QVERIFY(!(w->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(w->windowTitle(), "Zelvora");
        QCOMPARE(test::control<StringGrid>(w, "StringGrid1")->geometry(), QRect(7, 42, 348, 143));
        QCOMPARE(test::control<ScrollBar>(w, "ScrollBar1")->geometry(), QRect(340, 24, 17, 161));
        QCOMPARE(test::control<Edit>(w, "Cerca")->geometry(), QRect(77, 98, 260, 21));
        QCOMPARE(test::control<QLabel>(w, "CapHint")->geometry(), QRect(0, 338, 364, 20));
        // The pictures are drawn, not blank.
        for (QLabel *picture : {test::control<QLabel>(w, "Image3"), test::control<QLabel>(w, "Image4")}) {
            const QImage image = picture->pixmap().toImage();
            QVERIFY(!image.isNull());
            QCOMPARE(image.pixelColor(image.width() / 2, image.height() / 2).alpha() > 0
                         || image.pixelColor(image.width() / 3, image.height() / 3).alpha() > 0,
                     true);
        }
        QCOMPARE(test::control<QLabel>(w, "Image3")->pixmap().deviceIndependentSize(), QSizeF(48, 48));
        QVERIFY(!w->windowIcon().isNull());
        QCOMPARE(test::control<QAction>(w, "Aiuto2")->shortcut(), QKeySequence(Qt::Key_F1));
        QCOMPARE(w->findChild<QMenu *>("Ricerca1")->title(), "&Ricerca");
        QVERIFY(test::control<Edit>(w, "Cerca")->hasFocus());
        // Tab moves only between the search field and the grid.
        f.key(Qt::Key_Tab);
        QVERIFY(test::control<StringGrid>(w, "StringGrid1")->hasFocus());
        f.key(Qt::Key_Tab);
        QVERIFY(test::control<Edit>(w, "Cerca")->hasFocus());
    }

    void everyNamedControlHasAnAccessibleName()
    {
        MainWindowFixture f;
        QVERIFY(f.open(towns()));
        for (QWidget *control : f.window->findChildren<QWidget *>()) {
            if (control->objectName().isEmpty() || control->objectName().startsWith("qt_"))
                continue;
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(accessible && !accessible->text(QAccessible::Name).isEmpty(), qPrintable(control->objectName()));
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(f.cerca())->text(QAccessible::Description),
                 QString::fromUtf8("Immetti la Località anche parziale da ricercare"));
    }

    void statusLineFollowsTheControlUnderTheMouse()
    {
        MainWindowFixture f;
        QVERIFY(f.open(towns()));
        TCapF *w = f.window.get();
        QTest::mouseMove(w, centre(w, test::control<StringGrid>(w, "StringGrid1")));
        QTRY_COMPARE(test::control<QLabel>(w, "CapHint")->text(), "Doppio click o Invio per dettagli");
        test::control<QAction>(w, "perCAP1")->trigger();
        QTest::mouseMove(w, centre(w, test::control<Edit>(w, "Cerca")));
        QTRY_COMPARE(test::control<QLabel>(w, "CapHint")->text(), "Immetti il C.A.P. anche parziale da ricercare");
        QTest::mouseMove(w, centre(w, test::control<QWidget>(w, "Panel3")));
        QTRY_COMPARE(test::control<QLabel>(w, "CapHint")->text(), "");
        QTest::mouseMove(w, centre(w, test::control<StringGrid>(w, "StringGrid1")));
        QTRY_COMPARE(test::control<QLabel>(w, "CapHint")->text(), "Doppio click o Invio per dettagli");
        // Leaving the window keeps the last hint.
        QVERIFY(w->mouseInside());
        QTest::mouseMove(w, QPoint(-50, -50));
        QTRY_VERIFY(!w->mouseInside());
        QTRY_COMPARE(Application::instance().hint(), "");
        QCOMPARE(test::control<QLabel>(w, "CapHint")->text(), "Doppio click o Invio per dettagli");
    }

    void statusLineStaysWhileAnotherWindowIsActive()
    {
        MainWindowFixture f;
        QVERIFY(f.open(towns()));
        TCapF *w = f.window.get();
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QTest::mouseMove(w, centre(w, test::control<StringGrid>(w, "StringGrid1")));
        QTRY_COMPARE(Application::instance().hint(), "Doppio click o Invio per dettagli");
        QCOMPARE(test::control<QLabel>(w, "CapHint")->text(), "");
    }

    void streetFolderMissing_data()
    {
        QTest::addColumn<bool>("fileNamedZone");
        QTest::addColumn<QString>("dataFolder"); // empty: the fixture's folder
        QTest::newRow("no zone at all") << false << QString();
        QTest::newRow("a file named zone") << true << QString();
        QTest::newRow("a program in the root") << false << "/";
    }
    void streetFolderMissing()
    {
        QFETCH(bool, fileNamedZone);
        QFETCH(QString, dataFolder);
        MainWindowFixture f;
        QVERIFY(f.open(towns(), {}, [&](const QString &dir) {
            if (fileNamedZone)
                writeAll(dir + "/zone", "not a folder");
        }));
        if (dataFolder.isEmpty())
            dataFolder = f.dir.path();
        else if (QFileInfo::exists(dataFolder + "zone"))
            QSKIP("this machine has a street folder in its root");
        f.window->settings().dataFolder = dataFolder;
        int opened = 0;
        f.window->streetWindowFactory = [&](QWidget *owner) { return selfClosingDialog(owner, &opened); };
        test::control<QAction>(f.window, "Stradari1")->trigger();
        QCOMPARE(f.boxes.requests.size(), 1);
        // One separator between the folder and "zone", also after the root.
        const QString zone = dataFolder == "/" ? "/zone" : dataFolder + "/zone";
        QCOMPARE(f.boxes.requests[0].text, "La directory " + QDir::toNativeSeparators(zone) + "\rnon esiste !");
        QCOMPARE(f.boxes.requests[0].caption, "Zelvora");
        QCOMPARE(f.boxes.requests[0].icon, MessageIcon::Error);
        QCOMPARE(opened, 0);
        QVERIFY(f.window->isVisible());
    }

    void afterTheStreetWindowTheSearchFieldHasTheFocus()
    {
        MainWindowFixture f;
        QVERIFY(f.open(towns(), {}, [](const QString &dir) { QDir(dir).mkdir("zone"); }));
        int opened = 0;
        bool mainHidden = false;
        f.window->streetWindowFactory = [&](QWidget *owner) {
            QTimer::singleShot(0, [&] { mainHidden = !f.window->isVisible(); });
            return selfClosingDialog(owner, &opened);
        };
        f.type("ROM");
        f.focusGrid();
        QTRY_VERIFY(test::control<QLabel>(f.window, "Label1")->isVisible()); // ROMA has a note
        test::control<QAction>(f.window, "Stradari1")->trigger();
        QCOMPARE(opened, 1);
        QVERIFY(mainHidden);
        QVERIFY(f.window->isVisible());
        QVERIFY(!test::control<QLabel>(f.window, "Label1")->isVisible());
        QTRY_VERIFY(f.cerca()->hasFocus());
        QCOMPARE(f.cerca()->text(), "ROM");
        QCOMPARE(f.firstName(), "ROMA");
    }

    void aboutBoxRoundTripKeepsTheRowHighlighted()
    {
        MainWindowFixture f;
        QVERIFY(f.open(towns()));
        int opened = 0;
        f.window->aboutBoxFactory = [&](QWidget *owner) { return selfClosingDialog(owner, &opened); };
        f.focusGrid();
        f.key(Qt::Key_Down);
        QCOMPARE(f.grid()->row(), 1);
        test::control<QAction>(f.window, "InformazionesuZelvora1")->trigger();
        QCOMPARE(opened, 1);
        f.window->activateWindow(); // as the window manager does
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        QVERIFY(f.grid()->hasFocus());
        QTRY_VERIFY(f.grid()->isHighlighted(0, 1));
        QCOMPARE(f.window->state().lastRow, 1);
    }

    void infoOpensTheAboutBox()
    {
        MainWindowFixture f;
        QVERIFY(f.open(towns()));
        resetAboutBoxState();
        f.focusGrid();
        f.key(Qt::Key_Down);
        bool seen = false;
        onNextModal([&](QDialog *dialog) {
            auto *about = qobject_cast<TAboutBox *>(dialog);
            QVERIFY(about);
            QCOMPARE(about->windowTitle(), "Info");
            QCOMPARE(about->parentWidget(), f.window.get());
            seen = true;
            test::control<QPushButton>(about, "BitBtn1")->click();
        });
        test::control<QAction>(f.window, "InformazionesuZelvora1")->trigger();
        QVERIFY(seen);
        QVERIFY(f.window->findChildren<TAboutBox *>().isEmpty()); // destroyed when closed
        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        QVERIFY(f.grid()->hasFocus());
        QTRY_VERIFY(f.grid()->isHighlighted(0, 1));
    }

    void helpShowsTheHelpFileAlsoFromTheGrid()
    {
        MainWindowFixture f;
        QVERIFY(f.open(towns()));
        RecordingHelp help;
        f.key(Qt::Key_F1, f.cerca());
        f.focusGrid();
        f.key(Qt::Key_F1);
        QCOMPARE(help.shown.size(), 2);
        QCOMPARE(QFileInfo(help.shown[0]).fileName(), "tarnel.hlp");
        QCOMPARE(QFileInfo(help.shown[0]).absolutePath(), QFileInfo(f.dir.path()).absoluteFilePath());
    }

    void missingHelpFileIsReportedByTheViewer()
    {
        MainWindowFixture f;
        QVERIFY(f.open(towns()));
        test::control<QAction>(f.window, "Aiuto2")->trigger();
        QCOMPARE(f.boxes.requests.size(), 1);
        QCOMPARE(f.boxes.requests[0].caption, "Guida di Zelvora");
        QVERIFY(f.boxes.requests[0].text.contains("tarnel.hlp"));
    }

    void helpViewerShowsTheHelpFile()
    {
        MainWindowFixture f;
        QVERIFY(f.open(towns(), {}, [](const QString &dir) {
            writeAll(dir + "/tarnel.hlp", "<html><body><h1>Guida di prova</h1></body></html>");
        }));
        test::control<QAction>(f.window, "Aiuto2")->trigger();
        QVERIFY(f.boxes.requests.isEmpty());
        QTextBrowser *viewer = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top->objectName() == "HelpViewer")
                viewer = qobject_cast<QTextBrowser *>(top);
        QVERIFY(viewer);
        QVERIFY(viewer->isVisible());
        QVERIFY(viewer->isReadOnly());
        QVERIFY(viewer->toPlainText().contains("Guida di prova"));
        viewer->close();
    }

    void closingTheMainWindowEndsTheProgramWithTheHelpOpen()
    {
        MainWindowFixture f;
        QVERIFY(f.open(towns(), {}, [](const QString &dir) {
            writeAll(dir + "/tarnel.hlp", "<html><body>Guida</body></html>");
        }));
        test::control<QAction>(f.window, "Aiuto2")->trigger(); // the help viewer, a window of its own
        // The program's message loop, and the user closing the main window.
        // A loop still running long after means the program would go on: it
        // is ended then with another code.
        QTimer::singleShot(0, f.window.get(), [&] { f.window->close(); });
        QTimer stuck;
        stuck.setSingleShot(true);
        connect(&stuck, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        stuck.start(30000);
        QCOMPARE(QApplication::exec(), 0);
        for (QWidget *top : QApplication::topLevelWidgets())
            QVERIFY2(!top->isVisible(), qPrintable(top->objectName()));
    }

    void exitEndsTheProgram()
    {
        MainWindowFixture f;
        QVERIFY(f.open(towns()));
        test::control<QAction>(f.window, "Esci1")->trigger();
        QVERIFY(Application::instance().terminated());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"

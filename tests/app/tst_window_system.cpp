// The windows as the window system and a screen reader see them: each title
// bar shows exactly its window's caption (read back from the X server with
// xprop), and the status and note lines are read and announced to AT-SPI.
// Runs on a virtual X server with the accessibility bus (run_on_x.sh).
#include "app/about_box.h"
#include "app/message_box.h"
#include "app/printing.h"
#include "locality/details_dialog.h"
#include "streets/street_window.h"
#include "support/main_window_fixture.h"
#include "support/seams.h"

#include <QAccessible>
#include <QDir>
#include <QGuiApplication>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>

using namespace zelvora;
using namespace zelvora::test;

namespace {

// The title the X server holds for a window.
QString titleOnScreen(QWidget *window)
{
    QProcess xprop;
    xprop.start("xprop", {"-id", QString::number(window->winId()), "_NET_WM_NAME"});
    if (!xprop.waitForFinished())
        return "(xprop did not run)";
    const QString out = QString::fromUtf8(xprop.readAllStandardOutput());
    const QRegularExpressionMatch match = QRegularExpression(R"re(= "(.*)"\s*$)re").match(out);
    return match.hasMatch() ? match.captured(1) : out;
}

QPoint centre(QWidget *window, QWidget *control)
{
    return control->mapTo(window, control->rect().center());
}

// The controls that the accessibility layer was told had a new name or value.
QList<QObject *> eventObjects;

void recordEvent(QAccessibleEvent *event)
{
    if (event->type() == QAccessible::NameChanged || event->type() == QAccessible::ValueChanged)
        eventObjects.append(event->object());
}

} // namespace

class TestWindowSystem : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), "xcb");
        QVERIFY(setUpToolkit());
    }

    void titleBarShowsExactlyTheCaption_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("caption");
        QTest::newRow("main window") << "main" << "Zelvora";
        QTest::newRow("about box") << "about" << "Info";
        QTest::newRow("details") << "details" << "Dettagli Zelvora";
        QTest::newRow("print dialog") << "print" << "Stampa";
        QTest::newRow("message box") << "message" << "Zelvora";
        QTest::newRow("street window") << "streets" << "Ricerca Vie o Piazze";
    }
    void titleBarShowsExactlyTheCaption()
    {
        QFETCH(QString, window);
        QFETCH(QString, caption);
        MainWindowFixture f;
        QVERIFY(f.open({{.locality = "ALFA", .province = "TO", .cap = "10100"}}, {},
                       [](const QString &folder) { QDir(folder).mkdir("zone"); }));
        QString seen;
        auto read = [&](QDialog *dialog) { seen = titleOnScreen(dialog); };
        if (window == "main") {
            seen = titleOnScreen(f.window.get());
        } else if (window == "about") {
            onNextModal(read);
            f.window->InformazionesuZelvora1->trigger();
        } else if (window == "details") {
            f.focusGrid();
            onNextModal(read);
            f.key(Qt::Key_Return, f.grid());
        } else if (window == "print") {
            QPrinter printer;
            onNextModal(read);
            printing().runPrintDialog(printer, f.window.get());
        } else if (window == "streets") {
            f.window->streetWindowFactory = [](QWidget *owner) { return std::make_unique<TZone>(owner); };
            onNextModal(read);
            f.window->Stradari1->trigger();
        } else {
            setMessageBoxes(nullptr);
            onNextModal(read);
            showMessage("Prova", "Zelvora", MessageIcon::Information);
        }
        QCOMPARE(seen, caption);
    }

    void statusAndNoteLinesAreReadAndAnnounced_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("status line") << "CapHint" << "Doppio click o Invio per dettagli";
        QTest::newRow("note line") << "Edit1" << "Note: NOTA BETA";
    }
    void statusAndNoteLinesAreReadAndAnnounced()
    {
        // The bridge to AT-SPI turns on once it has found the accessibility bus.
        QTRY_VERIFY_WITH_TIMEOUT(QAccessible::isActive(), 10000);
        QFETCH(QString, line);
        QFETCH(QString, spoken);
        MainWindowFixture f;
        QVERIFY(f.open({{.locality = "ALFA", .province = "TO", .cap = "10100", .note = "NOTA ALFA"},
                        {.locality = "BETA", .province = "TO", .cap = "10100", .note = "NOTA BETA"}}));
        auto *control = f.window->findChild<QWidget *>(line);
        QVERIFY(control);
        eventObjects.clear();
        QAccessible::installUpdateHandler(&recordEvent);
        QTest::mouseMove(f.window.get(), centre(f.window.get(), f.grid()));
        f.focusGrid();
        f.key(Qt::Key_Down); // to BETA and its note
        QTRY_COMPARE(QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name), spoken);
        QAccessible::installUpdateHandler(nullptr);
        QVERIFY(eventObjects.contains(control));
    }

};

QTEST_MAIN(TestWindowSystem)
#include "tst_window_system.moc"

// The windows as the window system and a screen reader see them: each title
// bar shows exactly its window's caption (read back from the X server), the
// toolkit's own dialog and menus speak Italian, and the status and note lines
// are read and announced through AT-SPI. Runs on a virtual X server with the
// accessibility bus (run_on_x.sh).
#include "app/message_box.h"
#include "app/printing.h"
#include "support/controls.h"
#include "support/seams.h"
#include "support/windows.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QProcess>

using namespace zelvora;
using namespace zelvora::test;

namespace {
// The title the X server holds for a window.
QString titleOnScreen(QWidget *window)
{
    QProcess xprop;
    xprop.start("xprop", {"-id", QString::number(window->winId()), "-notype", "_NET_WM_NAME"});
    xprop.waitForFinished();
    return QString::fromUtf8(xprop.readAllStandardOutput()).section(u'"', 1, -2);
}

// The controls that the accessibility layer was told had a new name or value.
QList<QObject *> announced;
void recordEvent(QAccessibleEvent *event)
{
    if (event->type() == QAccessible::NameChanged || event->type() == QAccessible::ValueChanged)
        announced.append(event->object());
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
        QTest::addColumn<Shown>("shown");
        QTest::addColumn<QString>("caption");
        QTest::newRow("main window") << Shown::MainWindow << "Zelvora";
        QTest::newRow("details") << Shown::Details << "Dettagli Zelvora";
        QTest::newRow("about box") << Shown::AboutBox << "Info";
        QTest::newRow("street window") << Shown::Streets << "Ricerca Vie o Piazze";
        QTest::newRow("street details") << Shown::StreetDetails << "Dettagli ricerca Vie o Piazze";
    }
    void titleBarShowsExactlyTheCaption()
    {
        QFETCH(Shown, shown);
        QFETCH(QString, caption);
        withWindow(shown, [&](QWidget *window) { QCOMPARE(titleOnScreen(window), caption); });
    }

    void toolkitDialogsSpeakItalian()
    {
        // The real print dialog and message box, closed once read.
        QStringList texts;
        auto read = [&](QDialog *dialog) {
            texts << titleOnScreen(dialog);
            for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>())
                texts << QString(button->text()).remove(u'&');
        };
        QPrinter printer;
        onNextModal(read);
        QVERIFY(!printing().runPrintDialog(printer, nullptr));
        onNextModal(read);
        showMessage("Prova", "Zelvora", MessageIcon::Information);
        QLineEdit edit("testo");
        std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        for (QAction *action : menu->actions())
            texts << action->text().section(u'\t', 0, 0).remove(u'&');
        for (const char *italian : {"Stampa", "Annulla", "Proprietà", "Zelvora", "Copia", "Seleziona tutto"})
            QVERIFY2(texts.contains(QString::fromUtf8(italian)), qPrintable(italian + (": " + texts.join(" | "))));
    }

    void statusAndNoteLinesAreReadAndAnnounced()
    {
        // The bridge to AT-SPI turns on once it has found the accessibility bus.
        QTRY_VERIFY_WITH_TIMEOUT(QAccessible::isActive(), 10000);
        withWindow(Shown::MainWindow, [](QWidget *window) {
            auto *w = static_cast<TCapF *>(window);
            announced.clear();
            QAccessible::installUpdateHandler(&recordEvent);
            QTest::mouseMove(w, test::control<StringGrid>(w, "StringGrid1")->mapTo(w, QPoint(20, 20)));
            auto name = [](QWidget *control) { return QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name); };
            QTest::keyClick(test::control<Edit>(w, "Cerca"), Qt::Key_Return);
            QTest::keyClick(test::control<StringGrid>(w, "StringGrid1"), Qt::Key_Down); // BETA, without a note
            QTRY_COMPARE(name(test::control<Edit>(w, "Edit1")), "Note");
            QTest::keyClick(test::control<StringGrid>(w, "StringGrid1"), Qt::Key_Up); // ALFA and its note
            QTRY_COMPARE(name(test::control<Edit>(w, "Edit1")), "Note: NOTA ALFA");
            QTRY_COMPARE(name(test::control<QLabel>(w, "CapHint")), "Doppio click o Invio per dettagli");
            QAccessible::installUpdateHandler(nullptr);
            QVERIFY(announced.contains(test::control<QLabel>(w, "CapHint")));
            QVERIFY(announced.contains(test::control<Edit>(w, "Edit1")));
        });
    }
};

QTEST_MAIN(TestWindowSystem)
#include "tst_window_system.moc"

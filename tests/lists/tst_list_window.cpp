// The list window, driven through its real controls on a data set made
// here: a list of each kind (CSV in UTF-8 and in Windows-1252, .xlsx, .ods),
// made in the test, opened through the file dialog seam, its columns found
// by their headers, checked off the interface thread; then the counts filter
// the table, a row opens its locality's or street's details, Ctrl+C copies
// rows, and the result is saved as .xlsx (read back cell by cell) and as CSV
// (the list's separator and encoding), never over the list itself.
#include "app/file_dialog.h"
#include "common/workbook.h"
#include "common/workbook_writer.h"
#include "lists/list_window.h"
#include "locality/main_window.h"
#include "main/list_details.h"
#include "support/fixtures.h"
#include "support/recording_message_boxes.h"
#include "support/seams.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QTableView>
#include <QTest>

using namespace zelvora;
using namespace zelvora::test;

namespace {

// Answers the file dialogs at once with the names set.
class AnsweringFileDialogs : public FileDialogs
{
public:
    AnsweringFileDialogs() { setFileDialogs(this); }
    ~AnsweringFileDialogs() override { setFileDialogs(nullptr); }
    QString openFileName(QWidget *, const QString &, const QString &filters) override
    {
        asked << filters;
        return open;
    }
    QString saveFileName(QWidget *, const QString &, const QString &, QString *) override { return save; }
    QString open;
    QString save;
    QStringList asked;
};

const QStringList kHeader{"nome", "comune", "pv", "cap", "indirizzo"};
const QList<QStringList> kRows{{"Rossi", "Roma", "RM", "00184", ""},
                               {"Bianchi", "Milano", "MI", "20199", ""},
                               {"Pèrsico", "Aosta", "AO", "", ""},
                               {"Gialli", "Xyzzy", "RM", "00100", ""},
                               {"Neri", "Roma", "RM", "00153", "Via Giuseppe Garibaldi 3"}};
const QStringList kOutcomes{"OK", "CAP ERRATO", "CAP MANCANTE", "LOCALITÀ SCONOSCIUTA"};

QByteArray csvOf(char separator, bool utf8)
{
    QByteArray bytes;
    for (const QStringList &row : QList<QStringList>{kHeader} + kRows) {
        const QString line = row.join(QChar(separator)) + QStringLiteral("\r\n");
        bytes += utf8 ? line.toUtf8() : line.toLatin1();
    }
    return bytes;
}

bool writeXlsx(const QString &file)
{
    XlsxListWriter writer(file);
    bool ok = writer.begin(kHeader);
    for (const QStringList &row : kRows)
        ok = ok && writer.addRow(row);
    return ok && writer.finish();
}

bool writeOds(const QString &file)
{
    QByteArray table;
    for (const QStringList &row : QList<QStringList>{kHeader} + kRows) {
        table += "<table:table-row>";
        for (const QString &cell : row)
            table += cell.isEmpty() ? QByteArray("<table:table-cell/>")
                                    : "<table:table-cell office:value-type=\"string\"><text:p>" + cell.toUtf8()
                                          + "</text:p></table:table-cell>";
        table += "</table:table-row>";
    }
    const QByteArray content = R"(<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0")"
                               R"( xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0")"
                               R"( xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"><office:body>)"
                               "<office:spreadsheet><table:table>" + table
                               + "</table:table></office:spreadsheet></office:body></office:document-content>";
    return writeZip(file, {{"content.xml", content}});
}

template <typename T>
T *control(QWidget *window, const char *name)
{
    T *found = window->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

} // namespace

class TestListWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<TCapF> m_main;
    std::unique_ptr<ListWindow> m_window;
    AnsweringFileDialogs m_dialogs;
    RecordingMessageBoxes m_messages;

    QTableView *table() { return control<QTableView>(m_window.get(), "Risultati"); }

    // Opens `file` through the window's button and checks it with the
    // columns found by their headers.
    void openAndCheck(const QString &file)
    {
        m_dialogs.open = file;
        QTest::mouseClick(control<QAbstractButton>(m_window.get(), "ApriElenco"), Qt::LeftButton);
        QTRY_COMPARE(m_window->model().rowCount(), int(kRows.size()));
        QTRY_VERIFY(!m_window->checking());
        QCOMPARE(control<QComboBox>(m_window.get(), "ColonnaLocalita")->currentText(), "comune");
        QCOMPARE(control<QComboBox>(m_window.get(), "ColonnaIndirizzo")->currentText(), "indirizzo");
        QTest::mouseClick(control<QAbstractButton>(m_window.get(), "Verifica"), Qt::LeftButton);
        QTRY_COMPARE(m_window->model().checked(), int(kRows.size()));
        QTRY_VERIFY(!m_window->checking());
    }

    QString cell(int row, int column) { return table()->model()->index(row, column).data().toString(); }

private slots:
    void initTestCase()
    {
        const QString data = m_dir.filePath("dati");
        QVERIFY(buildDataFolder(data,
                                {{.locality = "AOSTA", .province = "AO", .cap = "11100"},
                                 {.locality = "MILANO", .province = "MI", .cap = "20121"},
                                 {.locality = "ROMA", .province = "RM", .cap = "00184", .codes = {"00153"}}},
                                {{"AO", "Aosta"}, {"MI", "Milano"}, {"RM", "Roma"}}));
        QVERIFY(buildCity(data, "roma", {{.street = "GARIBALDI GIUSEPPE", .designation = "VIA", .cap = "00153"}}));
        m_main = std::make_unique<TCapF>(data);
    }

    void init()
    {
        m_window = std::unique_ptr<ListWindow>(static_cast<ListWindow *>(makeListWindow(*m_main, nullptr).release()));
        m_window->show();
        m_messages.requests.clear();
    }
    void cleanup() { m_window.reset(); }

    void listOfEachKindIsChecked_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("csv");
        QTest::newRow("CSV, UTF-8, commas") << "utf8.csv" << csvOf(',', true);
        QTest::newRow("CSV, Windows-1252, semicolons") << "ansi.txt" << csvOf(';', false);
        QTest::newRow("Excel") << "elenco.xlsx" << QByteArray();
        QTest::newRow("OpenDocument") << "elenco.ods" << QByteArray();
    }
    void listOfEachKindIsChecked()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, csv);
        const QString file = m_dir.filePath(name);
        if (!csv.isEmpty())
            writeAll(file, csv);
        else
            QVERIFY(name.endsWith(".xlsx") ? writeXlsx(file) : writeOds(file));
        const QByteArray before = readAll(file);
        openAndCheck(file);
        QVERIFY(m_dialogs.asked.last().contains("*.csv *.txt *.xlsx *.ods"));
        for (int row = 0; row < kRows.size(); ++row)
            for (int column = 0; column < kHeader.size(); ++column)
                QCOMPARE(cell(row, column), kRows[row][column]);
        for (int row = 0; row < kOutcomes.size(); ++row)
            QCOMPARE(cell(row, kHeader.size()), kOutcomes[row]);
        QCOMPARE(cell(1, kHeader.size() + 1), "20121"); // the code proposed
        QVERIFY(m_messages.requests.isEmpty());
        QCOMPARE(readAll(file), before); // the list is only read
    }

    void countsFilterTheTableAndRowsOpenTheirDetails()
    {
        const QString file = m_dir.filePath("filtro.csv");
        writeAll(file, csvOf(';', true));
        openAndCheck(file);
        auto *counts = control<QListWidget>(m_window.get(), "Esiti");
        QCOMPARE(counts->item(0)->text(), "Tutte le righe: 5");
        const QList<QListWidgetItem *> wrong = counts->findItems("CAP ERRATO: 1", Qt::MatchExactly);
        QCOMPARE(wrong.size(), 1);
        counts->setCurrentItem(wrong.first());
        QCOMPARE(table()->model()->rowCount(), 1);
        QCOMPARE(cell(0, 1), "Milano");
        QCOMPARE(table()->accessibleName(), "Righe dell'elenco, solo CAP ERRATO");
        counts->setCurrentRow(0);
        QCOMPARE(table()->model()->rowCount(), 5);

        // A double click on a locality's row, then Enter on a street's.
        QString shown;
        onNextModal([&](QDialog *dialog) { shown = dialog->objectName() + ' ' + control<QLineEdit>(dialog, "ELoc")->text(); });
        const QPoint rossi = table()->visualRect(table()->model()->index(0, 1)).center();
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, rossi);
        QTest::mouseDClick(table()->viewport(), Qt::LeftButton, {}, rossi);
        QCOMPARE(shown, "Dettagli ROMA");
        onNextModal([&](QDialog *dialog) { shown = dialog->objectName() + ' ' + control<QLineEdit>(dialog, "ELocZon")->text(); });
        table()->setCurrentIndex(table()->model()->index(4, 0));
        QTest::keyClick(table(), Qt::Key_Return);
        QCOMPARE(shown, "DettagliZone GARIBALDI GIUSEPPE");

        // Sorted by the outcome from the keyboard's own list, then copied.
        auto *order = control<QComboBox>(m_window.get(), "OrdinaPer");
        order->setCurrentIndex(kHeader.size() + 1);
        QCOMPARE(cell(0, kHeader.size()), "CAP ERRATO");
        table()->selectRow(0);
        QTest::keyClick(table(), Qt::Key_C, Qt::ControlModifier);
        QVERIFY2(QGuiApplication::clipboard()->text().startsWith("Bianchi\tMilano\tMI\t20199\t\tCAP ERRATO\t20121\tMILANO\tMI\t"), qPrintable(QGuiApplication::clipboard()->text()));
    }

    void resultIsSavedAsWorkbookAndCsvNeverOverTheList()
    {
        const QString file = m_dir.filePath("salva.txt");
        writeAll(file, csvOf(';', false));
        openAndCheck(file);
        m_dialogs.save = m_dir.filePath("esito.xlsx");
        QTest::mouseClick(control<QAbstractButton>(m_window.get(), "Salva"), Qt::LeftButton);
        QFile saved(m_dialogs.save);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        WorkbookReader reader(&saved, WorkbookFormat::Xlsx);
        QVERIFY(reader.open());
        QCOMPARE(reader.next()->cells, kHeader + verdictColumns());
        for (int row = 0; row < kRows.size(); ++row) {
            const std::optional<WorkbookRow> read = reader.next();
            QVERIFY(read);
            QStringList expected = m_window->model().rowTexts(row);
            while (!expected.isEmpty() && expected.last().isEmpty())
                expected.removeLast(); // a sheet keeps no empty cells at a row's end
            QCOMPARE(read->cells, expected);
        }
        QVERIFY(!reader.next());

        m_dialogs.save = m_dir.filePath("esito"); // no suffix: the filter's
        QTest::mouseClick(control<QAbstractButton>(m_window.get(), "Salva"), Qt::LeftButton);
        QVERIFY(QFileInfo::exists(m_dialogs.save + ".xlsx"));
        m_dialogs.save = m_dir.filePath("esito.csv");
        QTest::mouseClick(control<QAbstractButton>(m_window.get(), "Salva"), Qt::LeftButton);
        const QByteArray csv = readAll(m_dialogs.save);
        QVERIFY(csv.startsWith("nome;comune;pv;cap;indirizzo;esito;cap_proposto;localita_trovata;pv_trovata;nota\r\n"));
        QVERIFY(csv.contains("\r\nP\xE8rsico;Aosta;AO;;;CAP MANCANTE;11100;AOSTA;AO;")); // Windows-1252, as read

        const QByteArray before = readAll(file);
        m_dialogs.save = file;
        QTest::mouseClick(control<QAbstractButton>(m_window.get(), "Salva"), Qt::LeftButton);
        QCOMPARE(readAll(file), before);
        QCOMPARE(m_messages.requests.size(), 1);
        QVERIFY(m_messages.requests.first().text.contains("è l'elenco da verificare"));
    }

    void damagedWorkbookIsAMessage()
    {
        const QString file = m_dir.filePath("rotto.xlsx");
        writeAll(file, "PK\x03\x04 non un archivio");
        m_dialogs.open = file;
        QTest::mouseClick(control<QAbstractButton>(m_window.get(), "ApriElenco"), Qt::LeftButton);
        QTRY_COMPARE(m_messages.requests.size(), 1);
        QVERIFY(m_messages.requests.first().text.contains("non è un archivio zip"));
        QCOMPARE(m_window->model().rowCount(), 0);
        QVERIFY(control<QAbstractButton>(m_window.get(), "ApriElenco")->isEnabled());
    }

    // Every control has a name a screen reader reads, every one the user
    // works takes the focus from the keyboard, in the order of the window;
    // the progress is in the progress bar's name.
    void everyControlIsNamedAndReachedByTab()
    {
        const QString file = m_dir.filePath("tab.csv");
        writeAll(file, csvOf(',', true));
        openAndCheck(file);
        QStringList chain;
        QWidget *first = control<QWidget>(m_window.get(), "ApriElenco");
        for (QWidget *w = first->nextInFocusChain(); w != first; w = w->nextInFocusChain())
            if (w->focusPolicy() & Qt::TabFocus && w->isEnabled() && w->isVisibleTo(m_window.get()))
                chain << w->objectName();
        QCOMPARE(chain, QStringList({"ColonnaLocalita", "ColonnaProvincia", "ColonnaCap", "ColonnaIndirizzo", "ColonnaCivico",
                                     "Verifica", "Esiti", "Risultati", "OrdinaPer", "Decrescente", "Salva", "Chiudi"}));
        for (QWidget *w : m_window->findChildren<QWidget *>())
            if (!w->objectName().isEmpty() && !w->objectName().startsWith("qt_") && qobject_cast<QLabel *>(w) == nullptr)
                QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
        QCOMPARE(control<QProgressBar>(m_window.get(), "Avanzamento")->accessibleName(),
                 "Verifica finita: Verificate 5 di 5 righe");
    }
};

QTEST_MAIN(TestListWindow)
#include "tst_list_window.moc"

// A whole data folder written from the input, and a scripted session on it
// through the program's real windows: the main window opened on the folder as
// at start-up, and the street window opened from its menu on Roma. The script
// types into the search fields, presses keys on the grids (Enter opens the
// details, which are closed again at once), scrolls, drags the thumb, clicks
// rows, switches the search mode and picks cities. Message boxes are counted
// through the message-box seam, never shown.
//
// Nothing may crash or read outside a file; the lists always show a page they
// can show; and until the first message, the rows shown are the records just
// before the read position, in the order of the search mode, as the input's
// bytes hold them.
#include "fuzz_target.h"
#include "tests/support/controls.h"

#include "app/application.h"
#include "app/toolkit/edit.h"
#include "app/toolkit/scroll_bar.h"
#include "app/toolkit/string_grid.h"
#include "common/locality_database.h"
#include "main/program_windows.h"
#include "common/street_records.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QHash>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

using namespace zelvora;

namespace {

// The files of the folder, in the order of the input's parts after the
// script. A part that is the single byte "/" puts a folder in the file's
// place; a part the input does not reach leaves the file out, and without
// any of the city's files the zone folder is left out too.
const QStringList kFiles{localityfiles::kLocalities, localityfiles::kLocalityIndex, localityfiles::kCapOrder,
                         localityfiles::kCapIndex,   localityfiles::kPvOrder,       localityfiles::kPvIndex,
                         localityfiles::kProvinces,  QStringLiteral("zone/roma.loc"), QStringLiteral("zone/roma.lox"),
                         QStringLiteral("zone/roma.civ")};
constexpr int kFirstCityFile = 7;

void writeFolder(const QString &path, const QList<QByteArray> &parts)
{
    QDir folder(path);
    for (const QFileInfo &entry : folder.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        if (entry.isDir())
            FUZZ_CHECK(QDir(entry.filePath()).removeRecursively());
        else
            FUZZ_CHECK(QFile::remove(entry.filePath()));
    }
    if (parts.size() > 1 + kFirstCityFile)
        FUZZ_CHECK(folder.mkdir(QStringLiteral("zone")));
    for (int i = 0; i < kFiles.size() && i + 1 < parts.size(); ++i) {
        const QString file = folder.filePath(kFiles[i]);
        const QByteArray &bytes = parts[i + 1];
        if (bytes == "/") {
            FUZZ_CHECK(folder.mkdir(kFiles[i]));
            continue;
        }
        QFile out(file);
        FUZZ_CHECK(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
    }
}

// The controls of the window the script is in.
struct View
{
    Edit *field;
    StringGrid *grid;
    ScrollBar *bar;
    int rowsPerPage;
};

class Script
{
public:
    // `messagesBefore`: the messages counted before the main window opened.
    Script(const QList<QByteArray> &parts, QWidget &window, fuzz::CountingMessageBoxes &boxes, int messagesBefore)
        : m_script(parts.value(0).left(120)), m_localities(parts.value(1)), m_capOrder(parts.value(3)),
          m_pvOrder(parts.value(5)), m_streets(parts.value(1 + kFirstCityFile)),
          m_window(window), m_boxes(boxes), m_messagesBefore(messagesBefore)
    {
    }

    // The main window's part of the session: to the end of the script.
    void run()
    {
        const View view{test::control<Edit>(&m_window, "Cerca"), test::control<StringGrid>(&m_window, "StringGrid1"),
                        test::control<ScrollBar>(&m_window, "ScrollBar1"), mainWindowReading(m_window).rowsPerPage};
        while (!atEnd() && !Application::instance().terminated()) {
            const int op = next() % 14;
            if (op == 11) { // another search mode
                const char *modes[] = {"perLocalit1", "perCAP1", "perProvincia1"};
                test::control<QAction>(&m_window, modes[next() % 3])->trigger();
            } else if (op == 12) { // the street window, from the menu
                QTimer::singleShot(0, [this] {
                    QWidget *zone = QApplication::activeModalWidget();
                    if (zone && zone->objectName() == u"Zone")
                        runStreets(*zone);
                });
                test::control<QAction>(&m_window, "Stradari1")->trigger();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
            } else {
                common(op, view);
            }
            checkMain(view);
        }
    }

private:
    bool atEnd() const { return m_at >= m_script.size(); }
    unsigned char next() { return atEnd() ? 0 : static_cast<unsigned char>(m_script.at(m_at++)); }

    // The street window's part: up to the script's "leave" or its end, then
    // "&Esci".
    void runStreets(QWidget &zone)
    {
        const View view{test::control<Edit>(&zone, "CercaZona"), test::control<StringGrid>(&zone, "StringGrid2"),
                        test::control<ScrollBar>(&zone, "ScrollBar2"), streetWindowReading(zone).rowsPerPage};
        while (!atEnd()) {
            const int op = next() % 14;
            if (op == 12)
                break;
            if (op == 11) { // a city picked from the list: Roma mostly, else one without files
                const unsigned char arg = next();
                const int row = arg % 4 ? *cityRowOfFileBase(u"roma") : arg / 4 % int(cityTable.size());
                test::control<QComboBox>(&zone, "ComboBox1")->setCurrentIndex(row - 1);
                QTest::keyClick(test::control<QComboBox>(&zone, "ComboBox1"), Qt::Key_Down);
            } else if (test::control<Edit>(&zone, "CercaZona")->isVisible()) {
                common(op, view);
            } else {
                next(); // without a city only the city list takes input: the step is passed over
            }
            checkStreets(zone, view);
        }
        if (zone.isVisible())
            QTest::mouseClick(test::control<QPushButton>(&zone, "BitBtn1"), Qt::LeftButton);
    }

    // What both windows' search fields, grids and scroll bars take.
    void common(int op, const View &view)
    {
        static const Qt::Key keys[] = {Qt::Key_Down, Qt::Key_Up,     Qt::Key_PageDown, Qt::Key_PageUp,
                                       Qt::Key_Home, Qt::Key_End,    Qt::Key_Escape,   Qt::Key_Return};
        switch (op) {
        case 0: // a character typed into the field
        case 1: {
            const char c = static_cast<char>(next());
            view.field->setFocus();
            if (c > ' ' && c < 0x7f) {
                QTest::keyClick(view.field, c);
            } else { // what Qt Test cannot type: a key event that carries the character
                const QString text{QChar(QLatin1Char(c))};
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
                QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, text);
                QApplication::sendEvent(view.field, &press);
                QApplication::sendEvent(view.field, &release);
            }
            break;
        }
        case 2:
            QTest::keyClick(view.field, Qt::Key_Backspace);
            break;
        case 3:
            QTest::keyClick(view.field, Qt::Key_Escape);
            break;
        case 4: // Enter in the field: on to the grid
            QTest::keyClick(view.field, Qt::Key_Return);
            break;
        case 5: { // a grid key; Enter opens the details, closed at once
            const Qt::Key key = keys[next() % std::size(keys)];
            if (key == Qt::Key_Return)
                QTimer::singleShot(0, [] {
                    auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
                    if (modal && (modal->objectName() == u"Dettagli" || modal->objectName() == u"DettagliZone"))
                        modal->reject();
                });
            view.grid->setFocus();
            QTest::keyClick(view.grid, key);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
            break;
        }
        case 6: // a scroll code
        case 7:
            view.bar->scrollEvent(static_cast<ScrollCode>(next() % 9));
            break;
        case 8: { // the thumb dragged and released
            const int arg = next();
            view.bar->setSliderDown(true);
            view.bar->setSliderPosition(view.bar->maximum() > 0 ? arg * view.bar->maximum() / 255 : 0);
            view.bar->setSliderDown(false);
            break;
        }
        case 9: { // a click on a row
            const int arg = next();
            if (view.grid->rowCountValue() > 0 && view.grid->isVisible()) {
                const QRect cell =
                    view.grid->visualRect(view.grid->model()->index(arg % view.grid->rowCountValue(), 0));
                QTest::mouseClick(view.grid->viewport(), Qt::LeftButton, {}, cell.center());
            }
            break;
        }
        case 10: // a wheel notch
            view.bar->scrollEvent(next() % 2 ? SB_LINEDOWN : SB_LINEUP);
            view.bar->scrollEvent(SB_ENDSCROLL);
            break;
        default: // the focus leaves the grid and comes back
            view.field->setFocus();
            view.grid->setFocus();
            break;
        }
    }

    // A page the list can show: its rows, the current row and the scroll
    // bar within their ranges.
    static void checkPage(const View &view)
    {
        const int rows = view.grid->rowCountValue();
        FUZZ_CHECK(rows >= 0 && rows <= view.rowsPerPage);
        FUZZ_CHECK(rows == 0 || (view.grid->row() >= 0 && view.grid->row() < rows));
        FUZZ_CHECK(view.bar->value() >= view.bar->minimum() && view.bar->value() <= view.bar->maximum());
    }

    // Until the first message, the rows shown are the records just before
    // the read position, in the order the list shows; a file shorter than a
    // page is shown whole from its first record, wherever the position was
    // left. `rowAt` reads record `index` afresh from the input's bytes.
    bool showsRowsBefore(const View &view, int position, int count,
                         const std::function<QStringList(int index)> &rowAt) const
    {
        const int rows = view.grid->rowCountValue();
        const int first = count < view.rowsPerPage && position < rows ? 0 : position - rows;
        for (int row = 0; row < rows; ++row) {
            const QStringList cells = rowAt(first + row);
            for (int column = 0; column < cells.size(); ++column)
                if (view.grid->cell(column, row) != cells.at(column))
                    return false;
        }
        return true;
    }
    bool pageToCheck(const View &view) const
    {
        const int rows = view.grid->rowCountValue();
        return m_boxes.shown == m_messagesBefore && rows > 0 && !(rows == 1 && view.grid->cell(0, 0).isEmpty());
    }

    void checkMain(const View &view) const
    {
        if (Application::instance().terminated())
            return;
        checkPage(view);
        const ListReading state = mainWindowReading(m_window);
        const int position = state.position;
        FUZZ_CHECK(position >= 0 && position <= state.count);
        if (!pageToCheck(view))
            return;
        // The localities and the order file of the search mode, read whole
        // by the core rather than by the window's reader.
        using namespace localityfiles;
        const QHash<QString, QByteArray> files{{kLocalities, m_localities}, {kCapOrder, m_capOrder}, {kPvOrder, m_pvOrder}};
        LocalityDatabase db;
        FUZZ_CHECK(db.open([&files](const QString &name) { return std::optional(files.value(name)); }));
        db.openMode(state.mode);
        FUZZ_CHECK(showsRowsBefore(view, position, state.count, [&](int index) {
            const LocalityRecord record = LocalityRecord::decode(db.inOrder(state.mode, index));
            return QStringList{record.locality, record.pv, record.cap};
        }));
    }

    void checkStreets(QWidget &zone, const View &view) const
    {
        const ListReading streets = streetWindowReading(zone);
        if (!streets.open)
            return;
        checkPage(view);
        const int position = streets.position;
        FUZZ_CHECK(position >= 0 && position <= streets.count);
        if (!pageToCheck(view))
            return;
        FUZZ_CHECK(showsRowsBefore(view, position, streets.count, [this](int index) {
            const StreetRecord street =
                StreetRecord::decode(m_streets.mid(qsizetype(index) * StreetRecord::kSize, StreetRecord::kSize));
            return QStringList{street.street, street.designation};
        }));
    }

    const QByteArray m_script;
    const QByteArray m_localities;
    const QByteArray m_capOrder;
    const QByteArray m_pvOrder;
    const QByteArray m_streets;
    qsizetype m_at = 0;
    QWidget &m_window;
    fuzz::CountingMessageBoxes &m_boxes;
    const int m_messagesBefore;
};

} // namespace

ZELVORA_FUZZ_TARGET(window_session)
{
    fuzz::ensureApplication();
    static auto *boxes = new fuzz::CountingMessageBoxes(true);
    setMessageBoxes(boxes);
    // One folder for the process, emptied and written afresh for each input.
    static QTemporaryDir folder;
    FUZZ_CHECK(folder.isValid());
    // The main window makes the data folder the current one, as the program
    // does; the fuzzer's own folders may be given relative to the one before.
    static const QString startFolder = QDir::currentPath();
    const auto backHome = qScopeGuard([] { QDir::setCurrent(startFolder); });

    // The script, then the files of the folder.
    const QList<QByteArray> parts = fuzz::splitInput(data, size, 1 + int(kFiles.size()));
    writeFolder(folder.path(), parts);

    // As at start-up: the data folder, then the main window.
    Application::instance().reset();
    const int before = boxes->shown;
    const std::unique_ptr<QWidget> window = makeMainWindow(folder.path());
    if (Application::instance().terminated()) {
        // Only a message may end the program before it starts.
        FUZZ_CHECK(boxes->shown > before);
        return 0;
    }
    window->show();
    Script(parts, *window, *boxes, before).run();
    return 0;
}

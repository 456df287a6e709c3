// A whole locality data set made from the input, in memory, and a scripted
// session on it through the program's own mechanisms: the incremental search
// of the search field, and the paged list on a real grid and scroll bar
// (keys, scroll codes, thumb releases, row clicks) in the three search modes.
// Every input/output error must reach the general error report as an
// IoError; nothing may crash, read outside a file or leave the list in a
// state it cannot show.
#include "fuzz_target.h"

#include "app/application.h"
#include "app/error_report.h"
#include "app/paged_list.h"
#include "app/toolkit/scroll_bar.h"
#include "app/toolkit/string_grid.h"
#include "common/incremental_search.h"
#include "common/io_error.h"
#include "common/locality_database.h"
#include "locality/search_state.h"

#include <QHash>
#include <functional>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

using namespace zelvora;

namespace {

constexpr int kRows = 8;

// The controls, made once: a window with a grid, its scroll bar and the note
// line.
struct Controls
{
    QWidget window;
    StringGrid *grid = new StringGrid(&window);
    ScrollBar *bar = new ScrollBar(&window);
    QLabel *noteLabel = new QLabel(QStringLiteral("Note:"), &window);
    QLineEdit *noteEdit = new QLineEdit(&window);
    fuzz::CountingMessageBoxes boxes{false}; // error reports only

    Controls()
    {
        noteLabel->setGeometry(0, 0, 40, 13);
        noteEdit->setGeometry(40, 0, 300, 13);
        grid->setGeometry(0, 20, 340, 17 * kRows);
        grid->setColCount(3);
        bar->setGeometry(340, 20, 17, 17 * kRows);
        window.resize(360, 20 + 17 * kRows);
        setMessageBoxes(&boxes);
    }
};

// The session's data set, read through the core as every reader reads it,
// with the read position of the list.
class Session : public PageSource, public SearchSource
{
public:
    explicit Session(const QList<QByteArray> &parts)
    {
        using namespace localityfiles;
        const QStringList names{kLocalities, kLocalityIndex, kCapOrder, kCapIndex, kPvOrder, kPvIndex};
        QHash<QString, QByteArray> files;
        for (int i = 0; i < names.size(); ++i)
            files.insert(names.at(i), parts.value(i + 1));
        FUZZ_CHECK(m_db.open([files](const QString &name) { return std::optional(files.value(name)); }));
    }

    SearchMode mode = SearchMode::Locality;
    int currentRecord = 0;
    int records = 0;
    int lastRow = 0;

    void switchMode(SearchMode next, PagedList &list)
    {
        FUZZ_CHECK(m_db.openMode(next).isEmpty());
        mode = next;
        m_position = 0;
        records = m_db.orderCount(next);
        currentRecord = 0;
        list.showFirstPage(true);
        list.scrollBar()->setPosition(0);
        list.scrollBar()->setMaximum(records);
    }

    // The rows a page from record `first` shows: what the list must show
    // when no read has failed.
    QList<QStringList> rowsAt(int first, int rows) const
    {
        QList<QStringList> expected;
        for (int i = first; i < first + rows; ++i) {
            const LocalityRecord record = LocalityRecord::decode(m_db.inOrder(mode, i));
            expected.append({record.locality, record.pv, record.cap});
        }
        return expected;
    }

    const PrefixIndex &prefixIndex() const override { return m_db.prefixIndex(mode); }
    int recordCount() const override { return records; }
    int keyLength() const override { return searchModeInfo(mode).keyLength; }
    QString key(int index) override { return m_db.key(mode, index); }

    int readPosition() const override { return m_position; }
    void seek(int index) override
    {
        if (index < 0 || index > records)
            throw IoError(QStringLiteral("Record %1 fuori dai dati").arg(index + 1));
        m_position = index;
    }
    bool atEnd() const override { return m_position >= records; }
    void readRow() override
    {
        m_page.append(LocalityRow(m_db.inOrder(mode, m_position)));
        ++m_position;
    }
    StringGridModel &page() override { return m_page; }

private:
    LocalityDatabase m_db;
    int m_position = 0; // the list's read position in the mode's order
    PageModel<LocalityRow> m_page;
};

// Until a read fails, the rows shown are the records just before the read
// position, in file order; a file shorter than a page is shown whole from its
// first record, wherever the position was left. What the list shows is
// always a page it can show.
void checkPage(const Session &session, StringGrid *grid, ScrollBar *bar, bool failed)
{
    FUZZ_CHECK(grid->rowCountValue() >= 0 && grid->rowCountValue() <= kRows);
    FUZZ_CHECK(grid->rowCountValue() == 0 || (grid->row() >= 0 && grid->row() < grid->rowCountValue()));
    FUZZ_CHECK(bar->value() >= bar->minimum() && bar->value() <= bar->maximum());
    FUZZ_CHECK(session.readPosition() >= 0 && session.readPosition() <= session.records);
    const bool emptyPage = grid->rowCountValue() == 1 && grid->cell(0, 0).isEmpty();
    if (failed || emptyPage)
        return;
    const int position = session.readPosition();
    const int rows = grid->rowCountValue();
    const int first = session.records < kRows && position < rows ? 0 : position - rows;
    const QList<QStringList> expected = session.rowsAt(first, rows);
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < 3; ++column)
            FUZZ_CHECK(grid->cell(column, row) == expected.at(row).at(column));
}

// One step of the script on the list and its field: `op` the step, `arg`
// its argument; true when the step took its argument.
struct Player
{
    Session &session;
    PagedList &list;
    StringGrid *grid;
    ScrollBar *bar;
    std::function<void(const QString &)> type;
    QString &field;

    bool play(unsigned char op, unsigned char arg)
    {
        static const Qt::Key keys[] = {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_PageUp,
                                       Qt::Key_Return, Qt::Key_Escape};
        switch (op % 12) {
        case 0: // a character typed into the field
        case 1:
            type(field + QChar(QLatin1Char(static_cast<char>(arg))));
            return true;
        case 2: // backspace
            type(field.chopped(std::min<qsizetype>(field.size(), 1)));
            return false;
        case 3: // Esc in the field
            type(QString());
            return false;
        case 4: // a grid key
            QTest::keyClick(grid, keys[arg % std::size(keys)]);
            return true;
        case 5: // a scroll code
        case 6:
            bar->scrollEvent(static_cast<ScrollCode>(arg % 9));
            return true;
        case 7: { // the thumb dragged and released
            const int to = bar->maximum() > 0 ? arg * bar->maximum() / 255 : 0;
            bar->setSliderDown(true);
            bar->setSliderPosition(to);
            bar->setSliderDown(false);
            return true;
        }
        case 8: // a click on a row
            if (grid->rowCountValue() > 0) {
                const QRect cell = grid->visualRect(grid->model()->index(arg % grid->rowCountValue(), 0));
                QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
            }
            return true;
        case 9: // another search mode, the field emptied first
            type(QString());
            guarded([&] { session.switchMode(SearchMode(arg % 3), list); });
            field.clear();
            return true;
        case 10: // a wheel notch
            bar->scrollEvent(arg % 2 ? SB_LINEDOWN : SB_LINEUP);
            bar->scrollEvent(SB_ENDSCROLL);
            return true;
        default: // the grid leaves and takes the focus
            list.exit();
            list.enter();
            return false;
        }
    }
};

} // namespace

ZELVORA_FUZZ_TARGET(session)
{
    fuzz::ensureApplication();
    static Controls *controls = new Controls;
    Application::instance().reset();

    // The script, then localita.loc, localita.lox, locacap.cod, locacap.cox,
    // locapv.cod and locapv.cox.
    const QList<QByteArray> parts = fuzz::splitInput(data, size, 8);
    const QByteArray script = parts.value(0).left(100);
    Session session(parts);
    controls->grid->setPage(&session.page());
    PagedList list(controls->grid, controls->bar, controls->noteLabel, controls->noteEdit, session,
                   PagingState{session.currentRecord, session.records, session.lastRow, kRows});
    QString field;
    IncrementalSearch search;
    search.started = [&] { session.lastRow = 0; };
    search.showPage = [&](int start) { list.showSearchPage(start); };
    search.putBack = [&](const QString &text) {
        field = text;
        return field;
    };
    const auto type = [&](const QString &text) {
        field = text.left(searchModeInfo(session.mode).maxLength);
        guarded([&] { search.search(field, session); });
    };
    const int errorsBefore = controls->boxes.shown;
    guarded([&] { session.switchMode(SearchMode::Locality, list); });

    Player player{session, list, controls->grid, controls->bar, type, field};
    for (qsizetype i = 0; i < script.size(); ++i) {
        const auto op = static_cast<unsigned char>(script.at(i));
        const auto arg = static_cast<unsigned char>(i + 1 < script.size() ? script.at(i + 1) : 0);
        if (player.play(op, arg))
            ++i;
        checkPage(session, controls->grid, controls->bar, controls->boxes.shown != errorsBefore);
    }
    return 0;
}

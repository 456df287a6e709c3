#include "session_driver.h"

#include "app/toolkit/edit.h"
#include "app/toolkit/scroll_bar.h"
#include "app/toolkit/string_grid.h"
#include "locality/main_window.h"
#include "streets/street_window.h"
#include "support/controls.h"
#include "support/main_window_fixture.h"
#include "support/seams.h"

#include <QAction>
#include <QComboBox>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <cstdio>
#include <memory>

namespace zelvora::test {

namespace {

enum Code { LineUp, LineDown, PageUp, PageDown, ThumbPosition, ThumbTrack, Top, Bottom, EndScroll };

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

} // namespace

QString SessionState::describe() const
{
    QStringList rows;
    for (int row = 0; row < cells.size(); ++row)
        rows << QStringLiteral("    %1%2 | %3 | %4")
                    .arg(row == selected ? QStringLiteral("> ") : QStringLiteral("  "), cells.at(row).value(0),
                         cells.at(row).value(1), cells.at(row).value(2));
    return QStringLiteral("  mode %1, field %2, focus %3, selected %4, lastRow %5, scroll bar %6 of %7, "
                          "note %8, records read %9\n%10")
        .arg(mode, quoted(field), focus)
        .arg(selected)
        .arg(lastRow)
        .arg(position)
        .arg(maximum)
        .arg(noteShown ? quoted(note) : QStringLiteral("hidden"))
        .arg(readsAtMost > reads ? QStringLiteral("%1 to %2").arg(reads).arg(readsAtMost) : QString::number(reads))
        .arg(rows.join(u'\n'));
}

QStringList SessionState::differences(const SessionState &a, const SessionState &b)
{
    // a: the window, b: the model.
    QStringList names;
    auto differ = [&](bool different, const char *name) {
        if (different)
            names << QString::fromLatin1(name);
    };
    differ(a.mode != b.mode, "mode");
    differ(a.field != b.field, "field");
    differ(a.focus != b.focus, "focus");
    differ(a.cells != b.cells, "rows");
    differ(a.selected != b.selected, "selected row");
    differ(a.lastRow != b.lastRow, "lastRow");
    differ(a.position != b.position, "scroll bar position");
    differ(a.maximum != b.maximum, "scroll bar maximum");
    differ(a.noteShown != b.noteShown || a.note != b.note, "note line");
    differ(a.reads < b.reads || a.reads > std::max(b.reads, b.readsAtMost), "records read");
    return names;
}

qint64 residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

WindowSession::WindowSession(Controls controls, SearchModel &model, quint64 seed)
    : trace(qEnvironmentVariableIsSet("ZELVORA_SOAK_TRACE")), m_controls(controls), m_model(model), m_random(seed),
      m_seed(seed)
{
}

SessionState WindowSession::observed() const
{
    SessionState s;
    s.mode = modeName();
    s.field = m_controls.field->text();
    const QWidget *focus = QApplication::focusWidget();
    s.focus = focus ? focus->objectName() : QStringLiteral("(none)");
    const StringGrid *grid = m_controls.grid;
    for (int row = 0; row < grid->rowCountValue(); ++row) {
        QStringList cells;
        for (int column = 0; column < grid->colCount(); ++column)
            cells << grid->cell(column, row);
        s.cells.append(cells);
    }
    s.selected = grid->row();
    s.lastRow = programLastRow();
    s.position = m_controls.scrollBar->value();
    s.maximum = m_controls.scrollBar->maximum();
    s.noteShown = m_controls.noteLabel->isVisible() && m_controls.noteEdit->isVisible();
    if (s.noteShown)
        s.note = m_controls.noteEdit->text();
    s.reads = programReads() - m_readsBefore;
    return s;
}

SessionState WindowSession::expected() const
{
    const PageModel &page = m_model.page;
    SessionState s;
    s.mode = modelModeName();
    s.field = m_model.field;
    s.focus = page.gridFocus ? m_controls.grid->objectName() : m_controls.field->objectName();
    for (int row = 0; row < page.rows(); ++row)
        s.cells.append(m_model.rowCells(row));
    s.selected = page.selected;
    s.lastRow = page.lastRow;
    s.position = page.position;
    s.maximum = page.maximum;
    const QString note = m_model.noteOf(page.selected);
    s.noteShown = page.gridFocus && !note.isEmpty();
    if (s.noteShown)
        s.note = note;
    s.reads = page.reads;
    s.readsAtMost = page.reads + page.readsSlack;
    return s;
}

bool WindowSession::check()
{
    const SessionState program = observed();
    const SessionState model = expected();
    // Records read are counted per step.
    m_readsBefore += program.reads;
    m_model.page.reads = 0;
    m_model.page.readsSlack = 0;
    if (SessionState::differences(program, model).isEmpty())
        return true;
    QString history;
    int number = m_steps - int(m_history.size()) + 1;
    for (const QString &action : m_history)
        history += QStringLiteral("  %1: %2\n").arg(number++).arg(action);
    m_report = QStringLiteral("The window and the model differ after step %1 of seed %2 (in: %3).\n"
                              "Last actions:\n%4Window:\n%5\nModel:\n%6\n")
                   .arg(m_steps)
                   .arg(m_seed)
                   .arg(SessionState::differences(program, model).join(QStringLiteral(", ")), history,
                        program.describe(), model.describe());
    return false;
}

bool WindowSession::step()
{
    ++m_steps;
    const QString action = act();
    settle();
    m_model.page.settle();
    if (trace)
        std::fprintf(stderr, "%d: %s\n%s\n", m_steps, qPrintable(action), qPrintable(observed().describe()));
    m_history.push_back(action);
    if (m_history.size() > 20)
        m_history.pop_front();
    return check();
}

void WindowSession::settle()
{
    // Repaints run the grid's draw-cell notification, which parks the
    // selection of a grid without the focus.
    QApplication::sendPostedEvents();
    QApplication::processEvents();
}

QString WindowSession::act()
{
    enum Action {
        Type, Paste, Backspace, FieldEscape, FieldEnter,
        Down, Up, NextPage, PriorPage, GridEscape, Home, End, Details,
        ArrowUp, ArrowDown, TroughUp, TroughDown, ScrollTop, ScrollBottom, ScrollEnd, Thumb,
        ClickRow, ClickField, Mode,
    };
    struct Choice
    {
        Action action;
        int weight;
    };
    static const Choice inField[] = {{Type, 40}, {Paste, 8}, {Backspace, 10}, {FieldEscape, 3}, {FieldEnter, 8}};
    static const Choice inGrid[] = {{Down, 16}, {Up, 12}, {NextPage, 8}, {PriorPage, 6}, {GridEscape, 10},
                                    {Home, 1},  {End, 1},       {Details, 1}};
    static const Choice anywhere[] = {{ArrowUp, 4},    {ArrowDown, 4},   {TroughUp, 3},   {TroughDown, 3},
                                      {ScrollTop, 1},  {ScrollBottom, 1}, {ScrollEnd, 1}, {Thumb, 4},
                                      {ClickRow, 6},   {ClickField, 5},  {Mode, 1}};
    QList<Choice> choices(std::begin(anywhere), std::end(anywhere));
    if (m_model.page.gridFocus)
        choices.append(QList<Choice>(std::begin(inGrid), std::end(inGrid)));
    else
        choices.append(QList<Choice>(std::begin(inField), std::end(inField)));
    int total = 0;
    for (const Choice &c : choices)
        total += c.weight;
    int pick = int(below(quint32(total)));
    Action action = choices.front().action;
    for (const Choice &c : choices) {
        if (pick < c.weight) {
            action = c.action;
            break;
        }
        pick -= c.weight;
    }

    Edit *cerca = m_controls.field;
    StringGrid *grid = m_controls.grid;
    auto gridKey = [&](Qt::Key key, const char *name) {
        QTest::keyClick(grid, key);
        m_model.page.gridKey(key);
        return QString::fromLatin1(name);
    };
    switch (action) {
    case Type:
        return typeCharacter();
    case Paste:
        return paste();
    case Backspace:
        QTest::keyClick(cerca, Qt::Key_Backspace);
        m_model.backspace();
        return QStringLiteral("Backspace in the field");
    case FieldEscape:
        QTest::keyClick(cerca, Qt::Key_Escape);
        m_model.fieldEscape();
        return QStringLiteral("Esc in the field");
    case FieldEnter:
        QTest::keyClick(cerca, Qt::Key_Return);
        m_model.fieldEnter();
        return QStringLiteral("Enter in the field");
    case Down:
        return gridKey(Qt::Key_Down, "Down in the grid");
    case Up:
        return gridKey(Qt::Key_Up, "Up in the grid");
    case NextPage:
        return gridKey(Qt::Key_PageDown, "Page Down in the grid");
    case PriorPage:
        return gridKey(Qt::Key_PageUp, "Page Up in the grid");
    case Details: {
        // Enter opens the selected row's details, a modal dialog, which is
        // closed as soon as it is open.
        const auto opened = std::make_shared<bool>(false);
        onNextModal([opened](QDialog *) { *opened = true; });
        QTest::keyClick(grid, Qt::Key_Return);
        // The offscreen platform has no window manager to give the window
        // back its activation once the dialog is gone.
        grid->window()->activateWindow();
        QApplication::processEvents();
        m_model.openDetails();
        return *opened ? QStringLiteral("Enter in the grid: details opened and closed")
                      : QStringLiteral("Enter in the grid: no details opened");
    }
    case GridEscape:
        QTest::keyClick(grid, Qt::Key_Escape);
        m_model.gridEscape();
        return QStringLiteral("Esc in the grid");
    case Home:
    case End:
        // Keys the grid leaves alone: nothing changes.
        QTest::keyClick(grid, action == Home ? Qt::Key_Home : Qt::Key_End);
        return QString::fromLatin1(action == Home ? "Home in the grid" : "End in the grid");
    case ArrowUp:
        return scrollBarClick(LineUp);
    case ArrowDown:
        return scrollBarClick(LineDown);
    case TroughUp:
        return scrollBarClick(PageUp);
    case TroughDown:
        return scrollBarClick(PageDown);
    case ScrollTop:
        m_controls.scrollBar->scrollEvent(SB_TOP);
        m_model.page.scrollBarEvent(Top);
        return QStringLiteral("scroll bar: top");
    case ScrollBottom:
        m_controls.scrollBar->scrollEvent(SB_BOTTOM);
        m_model.page.scrollBarEvent(Bottom);
        return QStringLiteral("scroll bar: bottom");
    case ScrollEnd:
        m_controls.scrollBar->scrollEvent(SB_ENDSCROLL);
        m_model.page.scrollBarEvent(EndScroll);
        return QStringLiteral("scroll bar: end of scroll");
    case Thumb:
        return thumbDrag();
    case ClickRow:
        return clickRow();
    case ClickField:
        // A click at the field's right end, then End: the caret stands after
        // the text, where typing appends.
        QTest::mouseClick(cerca, Qt::LeftButton, {}, QPoint(cerca->width() - 3, cerca->height() / 2));
        QTest::keyClick(cerca, Qt::Key_End);
        m_model.focusField();
        return QStringLiteral("click into the field");
    case Mode:
        return switchAction();
    }
    return {};
}

QChar WindowSession::continuation(const QString &key) const
{
    if (key.size() > m_model.field.size() && key.startsWith(m_model.field))
        return key.at(m_model.field.size());
    return {};
}

QString WindowSession::typeCharacter()
{
    // Mostly a character that a record on the page continues the text
    // with, so that searches go deep; otherwise any character, which the
    // search will often take back.
    static const QString anyCharacter = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ '0123456789abcxyz");
    QChar c;
    if (below(10) < 7 && m_model.page.shown > 0) {
        const int row = int(below(quint32(m_model.page.shown)));
        c = continuation(m_model.rowCells(row).at(keyColumn()));
    }
    if (c.isNull())
        c = anyCharacter.at(int(below(quint32(anyCharacter.size()))));
    typeInto(m_controls.field, QString(c));
    m_model.typeCharacter(c.toUpper());
    return QStringLiteral("type '%1' in the field").arg(c);
}

QString WindowSession::paste()
{
    // The beginning of some record's key, sometimes with a character that
    // no key continues it with, sometimes in lower case.
    QString text = randomKey();
    text.truncate(1 + int(below(quint32(std::max<qsizetype>(text.size(), 1)))));
    if (below(4) == 0)
        text += QStringLiteral("QXZ9").at(int(below(4)));
    if (below(4) == 0)
        text = text.toLower();
    m_controls.field->setText(text);
    m_model.setField(text);
    return QStringLiteral("paste %1 into the field").arg(quoted(text));
}

QString WindowSession::scrollBarClick(int code)
{
    static const QStyle::SubControl parts[] = {QStyle::SC_ScrollBarSubLine, QStyle::SC_ScrollBarAddLine,
                                               QStyle::SC_ScrollBarSubPage, QStyle::SC_ScrollBarAddPage};
    static const char *const names[] = {"up arrow", "down arrow", "trough above the thumb",
                                        "trough below the thumb"};
    ScrollBar *bar = m_controls.scrollBar;
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.subControls = QStyle::SC_All;
    option.orientation = Qt::Vertical;
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    const QRect part = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, parts[code], bar);
    if (part.height() < 3) {
        // No trough on that side of the thumb: the same scroll event as the
        // scroll bar raises for it, then its end.
        bar->scrollEvent(ScrollCode(code));
        bar->scrollEvent(SB_ENDSCROLL);
    } else {
        QTest::mouseClick(bar, Qt::LeftButton, {}, part.center());
    }
    m_model.page.scrollBarEvent(code);
    m_model.page.scrollBarEvent(EndScroll);
    return QStringLiteral("scroll bar: click on the %1").arg(QString::fromLatin1(names[code]));
}

QString WindowSession::thumbDrag()
{
    ScrollBar *bar = m_controls.scrollBar;
    const int maximum = bar->maximum();
    QStringList track;
    bar->setSliderDown(true);
    const int moves = 1 + int(below(3));
    for (int i = 0; i < moves; ++i) {
        // Near either end now and then, where the release rules change.
        int to = int(below(quint32(maximum + 1)));
        if (below(4) == 0)
            to = below(2) == 0 ? int(below(quint32(maximum / 50 + 2))) : maximum - int(below(quint32(maximum / 100 + 2)));
        to = std::clamp(to, 0, maximum);
        if (to == bar->sliderPosition())
            continue; // the thumb does not move: no scroll event
        bar->setSliderPosition(to);
        m_model.page.scrollBarEvent(ThumbTrack, to);
        track << QString::number(to);
    }
    const int release = bar->sliderPosition();
    bar->setSliderDown(false);
    m_model.page.scrollBarEvent(ThumbPosition, release);
    m_model.page.scrollBarEvent(EndScroll);
    return QStringLiteral("scroll bar: drag the thumb to %1, release at %2")
        .arg(track.isEmpty() ? QStringLiteral("(nowhere)") : track.join(u','))
        .arg(release);
}

QString WindowSession::clickRow()
{
    StringGrid *grid = m_controls.grid;
    const int row = int(below(quint32(grid->rowCountValue())));
    const QRect cell = grid->visualRect(grid->model()->index(row, int(below(quint32(grid->colCount())))));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    m_model.clickRow(row);
    return QStringLiteral("click on grid row %1").arg(row);
}

// ---- the main window ------------------------------------------------------

LocalitySession::LocalitySession(TCapF &window, const LocalityData &data, quint64 seed)
    : WindowSession({test::control<Edit>(&window, "Cerca"), test::control<StringGrid>(&window, "StringGrid1"),
                     test::control<ScrollBar>(&window, "ScrollBar1"), test::control(&window, "Label1"),
                     test::control<Edit>(&window, "Edit1")},
                    m_locality, seed),
      m_window(window), m_locality(data)
{
    m_locality.start();
    m_locality.page.reads = 0;
    m_locality.page.readsSlack = 0;
    m_readsBefore = programReads();
}

QString LocalitySession::modeName() const
{
    return m_window.state().searchMode();
}

QString LocalitySession::modelModeName() const
{
    static const char *const names[] = {"localita", "cap", "pv"};
    return QString::fromLatin1(names[m_locality.mode]);
}

int LocalitySession::programLastRow() const
{
    return m_window.state().lastRow;
}

qint64 LocalitySession::programReads() const
{
    return m_window.search().recordReads();
}

QString LocalitySession::switchAction()
{
    const auto mode = LocalityData::Mode(below(3));
    QAction *const actions[] = {test::control<QAction>(&m_window, "perLocalit1"),
                                test::control<QAction>(&m_window, "perCAP1"),
                                test::control<QAction>(&m_window, "perProvincia1")};
    actions[mode]->trigger();
    m_locality.switchMode(mode);
    return QStringLiteral("menu Ricerca: %1").arg(actions[mode]->text());
}

int LocalitySession::keyColumn() const
{
    static const int columns[] = {0, 2, 1};
    return columns[m_locality.mode];
}

QString LocalitySession::randomKey()
{
    const LocalityData::Order &order = m_locality.order();
    if (order.rows.isEmpty())
        return {};
    const int record = int(below(quint32(order.rows.size())));
    if (m_locality.mode == LocalityData::ByProvince)
        return m_locality.data.localities.at(order.rows.at(record)).pv;
    return order.keys.at(record);
}

// ---- the street window ----------------------------------------------------

StreetSession::StreetSession(TZone &window, const QString &zoneFolder, const QList<int> &cityRows, quint64 seed)
    : WindowSession({test::control<Edit>(&window, "CercaZona"), test::control<StringGrid>(&window, "StringGrid2"),
                     test::control<ScrollBar>(&window, "ScrollBar2"), test::control(&window, "Label3"),
                     test::control<Edit>(&window, "Edit1")},
                    m_streets, seed),
      m_window(window), m_cityRows(cityRows)
{
    for (const int row : cityRows) {
        m_cities.append(CityData());
        if (!m_cities.last().read(zoneFolder, cityTable[row].fileBase.toString()))
            return;
    }
    if (m_cityRows.isEmpty())
        return;
    pick(0);
    settle();
    m_streets.page.settle();
    m_started = true;
}

void StreetSession::pick(int index)
{
    // The city list with the keyboard: the entry above, then Down.
    QComboBox *list = test::control<QComboBox>(&m_window, "ComboBox1");
    list->setCurrentIndex(m_cityRows.at(index) - 1);
    QTest::keyClick(list, Qt::Key_Down);
    m_streets.pickCity(m_cityRows.at(index), m_cities.at(index));
    // The city's files are opened anew, and count their reads from there.
    m_readsBefore = 0;
}

QString StreetSession::modeName() const
{
    return test::control<QComboBox>(&m_window, "ComboBox1")->currentText();
}

QString StreetSession::modelModeName() const
{
    return m_streets.cityRow < 0 ? QString() : cityTable[m_streets.cityRow].displayName.toString();
}

int StreetSession::programLastRow() const
{
    return m_window.streetLastRow;
}

qint64 StreetSession::programReads() const
{
    return m_window.files().streetReads() + m_window.files().noteReads();
}

QString StreetSession::switchAction()
{
    const int index = int(below(quint32(m_cityRows.size())));
    pick(index);
    return QStringLiteral("city %1").arg(cityTable[m_cityRows.at(index)].displayName.toString());
}

QString StreetSession::randomKey()
{
    if (!m_streets.city || m_streets.city->keys.isEmpty())
        return {};
    return m_streets.city->keys.at(int(below(quint32(m_streets.city->keys.size()))));
}

} // namespace zelvora::test

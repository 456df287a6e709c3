#include "locality_search.h"

#include "app/application.h"
#include "app/message_box.h"
#include "app/toolkit/edit.h"
#include "app/toolkit/scroll_bar.h"
#include "common/short_string.h"

#include <QLabel>
#include <QSignalBlocker>

namespace zelvora {


LocalitySearch::LocalitySearch(Controls controls) : m_controls(controls)
{
}

void LocalitySearch::attach(SearchPane &pane)
{
    m_pane = &pane;
    pane.attach(*this, PagingState{m_state.currentRecord, m_state.recordCount, m_state.lastRow, m_state.rowsPerPage});
    m_list = &pane.list();
}

bool LocalitySearch::openDatabase()
{
    return m_db.openFiles(m_controls.dataFolder);
}

qint64 LocalitySearch::recordReads() const
{
    return m_db.reads();
}

QByteArray LocalitySearch::readLocality()
{
    const SearchModeInfo &mode = searchModeInfo(m_state.mode);
    const QByteArray record = order().readNext();
    if (mode.ordersLocalities())
        return record;
    return m_db.localityBytes(readRecordNumber(record.constData() + mode.localityNoOffset));
}

void LocalitySearch::blankNotes(int count)
{
    // Only the notes: the agencies and second designations of the rows on
    // screen stay.
    for (int row = 0; row < std::max<int>(count, m_page.rows().size()); ++row)
        m_page.update(row, [](LocalityRow &r) { r.blankNotes(); });
}

// 1. Opens the order file (localita.loc is open already) and the index of
// a mode into `files`. A new opening replaces the earlier one
// only once it has succeeded, so a failed switch leaves the previous mode
// active with its files and index. When the order file (or, for the
// locality mode, localita.lox) cannot be opened, the notes of the rows on
// screen are blanked all the same, so that the note line shows nothing for
// them; a missing index of the other two modes leaves the notes as they
// were. False when the switch stops here.
bool LocalitySearch::openModeFiles(const SearchModeInfo &files, LocalityDatabase::ModeFiles &opened)
{
    const int rows = m_list->rowsPerPage();
    opened = m_db.openModeFiles(files.mode);
    if (!files.ordersLocalities() && !opened.order.isOpen()) {
        showMessage(files.orderMissing, Application::instance().title(), MessageIcon::Error);
        blankNotes(rows + 1);
        return false;
    }
    if (opened.index.isOpen())
        return true;
    if (files.ordersLocalities())
        blankNotes(rows + 1);
    showMessage(files.indexMissing, Application::instance().title(), MessageIcon::Error);
    // At start-up there is no earlier mode to keep: the program goes on in
    // locality mode without an index, paging over all of localita.loc, and
    // every typed character is taken back.
    return !m_modeSet && files.ordersLocalities();
}

// The search field for a mode.
void LocalitySearch::showField(const SearchModeInfo &look)
{
    Edit *field = m_pane->field();
    setHint(field, look.hint);
    field->setAccessibleName(look.caption);
    m_controls.caption->setText(look.caption);
    field->setMaxLength(look.maxLength);
    m_list->hideNoteLine();
}

void LocalitySearch::switchMode(SearchMode mode)
{
    LocalitySearchState &s = m_state;
    const SearchModeInfo &files = searchModeInfo(mode);
    LocalityDatabase::ModeFiles opened;
    if (!openModeFiles(files, opened))
        return;

    // Emptying a field that held text searches the empty text, still in the
    // old mode. The search runs here rather than from the field's change
    // notification, and before anything shows the new mode, so that an error
    // in it abandons the whole switch with one report: the old mode stays.
    Edit *field = m_pane->field();
    if (!field->text().isEmpty()) {
        {
            const QSignalBlocker quiet(field);
            field->setText(QString());
        }
        CercaChange();
    }
    showField(files);

    // 5. - 6. The new mode and its order file; its index is empty.
    m_db.setMode(mode, std::move(opened));
    m_modeSet = true;
    s.mode = mode;
    s.keyLength = files.keyLength;
    RecordFile &orderFile = order();
    s.recordCount = orderFile.count();
    s.currentRecord = 0;

    // 7. - 8. The first page, reading one record more than a page holds.
    m_list->showFirstPage(true);
    s.recordCount = orderFile.count();

    // 9. - 10. The scroll bar and the prefix index.
    m_list->scrollBar()->setPosition(files.ordersLocalities() ? 0 : s.currentRecord);
    m_list->scrollBar()->setMaximum(s.recordCount);
    m_db.loadIndex(mode);

    // 11. Back to the search field.
    if (!files.ordersLocalities() || m_controls.window->isVisible())
        field->setFocus();
}

void LocalitySearch::CercaChange()
{
    m_pane->search(*this);
}

QString LocalitySearch::key(int index)
{
    return m_db.key(m_state.mode, index);
}

} // namespace zelvora

#include "locality_search.h"

#include "app/application.h"
#include "app/message_box.h"
#include "app/toolkit/edit.h"
#include "app/toolkit/scroll_bar.h"
#include "common/short_string.h"

#include <QLabel>
#include <QSignalBlocker>

namespace zelvora {

namespace {
// How the search field looks in each mode, and what the user is told when the
// mode's files cannot be opened.
struct ModeLook
{
    QString caption;      // of the label before the search field
    QString hint;         // of the search field
    QString orderMissing; // the order file cannot be opened
    QString indexMissing; // the prefix index cannot be opened
};

const ModeLook &modeLook(const QString &mode)
{
    static const ModeLook locality{
        QStringLiteral("Località"), QStringLiteral("Immetti la Località anche parziale da ricercare"), {},
        QStringLiteral("L'indice delle località (localita.lox) è mancante!\r"
                       "Non è possibile eseguire la ricerca per Località")};
    static const ModeLook cap{
        QStringLiteral("C.A.P."), QStringLiteral("Immetti il C.A.P. anche parziale da ricercare"),
        QStringLiteral("L'indice delle località per C.A.P. (locacap.cod) è mancante!\r"
                       "Non è possibile eseguire la ricerca per C.A.P."),
        QStringLiteral("L'indice delle località per C.A.P. (locacap.cox) è mancante!\r"
                       "Non è possibile eseguire la ricerca per C.A.P.")};
    static const ModeLook province{
        QStringLiteral("Provincia"), QStringLiteral("Immetti la Provincia (PV) da ricercare"),
        QStringLiteral("L'indice delle località per Provincia (locapv.cod) è mancante!\r"
                       "Non è possibile eseguire la ricerca per Provincia."),
        QStringLiteral("L'indice delle località per Provincia (locapv.cox) è mancante!\r"
                       "Non è possibile eseguire la ricerca per Provincia")};
    if (mode == kModeCap)
        return cap;
    if (mode == kModeProvince)
        return province;
    return locality;
}
} // namespace

LocalitySearch::LocalitySearch(Controls controls, LocalitySearchState &state, QList<LocalityRow> &rows)
    : m_controls(controls), m_state(state), m_rows(rows)
{
}

void LocalitySearch::attach(SearchPane &pane)
{
    m_pane = &pane;
    pane.attach(*this, PagingState{m_state.currentRecord, m_state.recordCount, m_state.lastRow, m_state.rowsPerPage},
                m_state.lastSearchText, m_state.searchPrefix, [this](int index) { return readKey(index); });
    m_list = &pane.list();
}

bool LocalitySearch::openDatabase()
{
    return m_localities->open(localityfiles::kLocalities, LocalityRecord::kSize);
}

qint64 LocalitySearch::recordReads() const
{
    return m_readsOfClosedFiles + m_localities->readCount() + m_capOrder->readCount() + m_pvOrder->readCount()
           + m_index->readCount();
}

RecordFile &LocalitySearch::order() const
{
    const QString &mode = m_state.searchMode;
    if (mode == kModeCap)
        return *m_capOrder;
    if (mode == kModeProvince)
        return *m_pvOrder;
    return *m_localities;
}

QByteArray LocalitySearch::readLocality()
{
    const QString &mode = m_state.searchMode;
    if (mode == kModeCap)
        return readLocalityRecord(*m_localities, CapOrderEntry::decode(m_capOrder->readNext()).localityNo);
    if (mode == kModeProvince)
        return readLocalityRecord(*m_localities, PvOrderEntry::decode(m_pvOrder->readNext()).localityNo);
    return m_localities->readNext();
}

void LocalitySearch::readRow(QStringList &cells)
{
    const QByteArray record = readLocality();
    m_rows.append(LocalityRow(record));
    cells.clear();
    for (const TextField field : {LocalityRecord::kLocality, LocalityRecord::kPv, LocalityRecord::kCap})
        cells.append(readText(record.constData(), field));
}

void LocalitySearch::clearRowLists()
{
    m_rows.clear();
}

QString LocalitySearch::note(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).notes() : QString();
}

void LocalitySearch::blankNotes(int count)
{
    // Only the notes: the agencies and second designations of the rows on
    // screen stay.
    for (LocalityRow &row : m_rows)
        row.blankNotes();
    if (m_rows.size() < count)
        m_rows.resize(count);
}

void LocalitySearch::switchMode(const QString &mode)
{
    LocalitySearchState &s = m_state;
    const SearchModeFiles &files = searchModeFiles(mode);
    const ModeLook &look = modeLook(mode);
    const int rows = m_list->rowsPerPage();

    // 1. Open the order file (localita.loc is open already) and the index. A
    // new opening replaces the earlier one only once it has succeeded, so a
    // failed switch leaves the previous mode active with its files and index.
    // When the order file (or, for the locality mode, localita.lox) cannot be
    // opened, the notes of the rows on screen are blanked all the same, so
    // that the note line shows nothing for them; a missing index of the other
    // two modes leaves the notes as they were.
    auto newOrder = std::make_unique<RecordFile>();
    if (!files.ordersLocalities() && !newOrder->open(files.orderFile, files.orderRecordSize)) {
        showMessage(look.orderMissing, Application::instance().title(), MessageIcon::Error);
        blankNotes(rows + 1);
        return;
    }
    auto newIndex = std::make_unique<RecordFile>();
    const bool indexOpened = newIndex->open(files.indexFile, PrefixIndexEntry::kSize);
    if (!indexOpened) {
        if (files.ordersLocalities())
            blankNotes(rows + 1);
        showMessage(look.indexMissing, Application::instance().title(), MessageIcon::Error);
        // At start-up there is no earlier mode to keep: the program goes on
        // in locality mode without an index, paging over all of localita.loc,
        // and every typed character is taken back.
        if (m_modeSet || mode != kModeLocality)
            return;
    }

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

    // The search field for the new mode.
    setHint(field, look.hint);
    field->setAccessibleName(look.caption);
    m_controls.caption->setText(look.caption);
    field->setMaxLength(files.maxLength);
    m_list->hideNoteLine();

    // 5. The new mode and its order file.
    auto retire = [this](std::unique_ptr<RecordFile> &slot, std::unique_ptr<RecordFile> next) {
        m_readsOfClosedFiles += slot->readCount();
        slot = std::move(next);
    };
    if (mode == kModeCap)
        retire(m_capOrder, std::move(newOrder));
    else if (mode == kModeProvince)
        retire(m_pvOrder, std::move(newOrder));
    retire(m_index, std::move(newIndex));
    m_modeSet = true;
    s.searchMode = files.name;
    s.keyLength = files.keyLength;
    RecordFile &orderFile = order();
    s.recordCount = orderFile.count();
    s.currentRecord = 0;

    // 6. - 8. Empty the index; the first page, reading one record more than
    // a page holds.
    m_prefixes.clear();
    m_firstRecords.clear();
    m_list->showFirstPage(true);
    s.recordCount = orderFile.count();

    // 9. - 10. The scroll bar and the prefix index.
    m_list->scrollBar()->setPosition(mode == kModeLocality ? 0 : s.currentRecord);
    m_list->scrollBar()->setMaximum(s.recordCount);
    if (indexOpened)
        loadPrefixIndex(*m_index, m_prefixes, m_firstRecords, m_indexText);
    // The data compiler writes the prefixes in order: the group of every
    // keystroke is then found by halving the list. An index out of order is
    // still searched entry by entry.
    m_prefixesInOrder = prefixesInOrder(m_prefixes);

    // 11. Back to the search field.
    if (mode != kModeLocality || m_controls.window->isVisible())
        field->setFocus();
}

void LocalitySearch::CercaChange()
{
    m_pane->search({m_prefixes, m_firstRecords, m_state.recordCount, m_prefixesInOrder}, m_state.keyLength);
}

QString LocalitySearch::readKey(int index)
{
    if (m_state.searchMode == kModeCap)
        return CapOrderEntry::decode(m_capOrder->readAt(index)).cap;
    // Only the name is compared: the other fields are not decoded.
    const QByteArray record = m_localities->readAt(index);
    return readText(record.constData(), LocalityRecord::kLocality);
}

} // namespace zelvora

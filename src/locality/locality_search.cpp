#include "locality_search.h"

#include "app/application.h"
#include "app/message_box.h"
#include "app/shared_state.h"
#include "app/toolkit/edit.h"
#include "app/toolkit/scroll_bar.h"
#include "common/short_string.h"
#include "locality/search_state.h"

#include <QLabel>
#include <QSignalBlocker>

namespace zelvora {

const SearchModeInfo &searchModeInfo(const QString &mode)
{
    static const SearchModeInfo locality{
        kModeLocality, {}, LocalityRecord::kSize, localityfiles::kLocalityIndex, 3, 30,
        QStringLiteral("Località"), QStringLiteral("Immetti la Località anche parziale da ricercare"), {},
        QStringLiteral("L'indice delle località (localita.lox) è mancante!\r"
                       "Non è possibile eseguire la ricerca per Località")};
    static const SearchModeInfo cap{
        kModeCap, localityfiles::kCapOrder, CapOrderEntry::kSize, localityfiles::kCapIndex, 3, 5,
        QStringLiteral("C.A.P."), QStringLiteral("Immetti il C.A.P. anche parziale da ricercare"),
        QStringLiteral("L'indice delle località per C.A.P. (locacap.cod) è mancante!\r"
                       "Non è possibile eseguire la ricerca per C.A.P."),
        QStringLiteral("L'indice delle località per C.A.P. (locacap.cox) è mancante!\r"
                       "Non è possibile eseguire la ricerca per C.A.P.")};
    static const SearchModeInfo province{
        kModeProvince, localityfiles::kPvOrder, PvOrderEntry::kSize, localityfiles::kPvIndex, 2, 2,
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

LocalitySearch::LocalitySearch(Controls controls)
    : m_controls(controls), m_incremental(searchState().lastSearchText, searchState().searchPrefix)
{
    m_incremental.started = [] { searchState().lastRow = 0; };
    m_incremental.showPage = [this](int start) { m_list->showSearchPage(start); };
    m_incremental.readKey = [this](int index) { return readKey(index); };
    m_incremental.putBack = [this](const QString &text) {
        // The field's change notification searches the text at once.
        m_controls.field->setText(text);
        m_controls.field->setCursorPosition(text.size());
        return m_controls.field->text();
    };
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
    const QString &mode = searchState().searchMode;
    if (mode == kModeCap)
        return *m_capOrder;
    if (mode == kModeProvince)
        return *m_pvOrder;
    return *m_localities;
}

LocalityRecord LocalitySearch::readLocality()
{
    const QString &mode = searchState().searchMode;
    if (mode == kModeCap)
        return readLocalityNo(*m_localities, CapOrderEntry::decode(m_capOrder->readNext()).localityNo);
    if (mode == kModeProvince)
        return readLocalityNo(*m_localities, PvOrderEntry::decode(m_pvOrder->readNext()).localityNo);
    return LocalityRecord::decode(m_localities->readNext());
}

QStringList LocalitySearch::readRow()
{
    const LocalityRecord record = readLocality();
    SharedLists &lists = *shared().lists;
    lists.agencies.append(record.agency);
    lists.bils.append(record.bil);
    lists.notes.append(record.note);
    return {record.locality, record.pv, record.cap};
}

void LocalitySearch::clearRowLists()
{
    SharedLists &lists = *shared().lists;
    lists.agencies.clear();
    lists.bils.clear();
    lists.notes.clear();
}

QString LocalitySearch::note(int row) const
{
    return shared().lists ? shared().lists->notes.value(row) : QString();
}

void LocalitySearch::switchMode(const QString &mode)
{
    LocalitySearchState &s = searchState();
    SharedLists &lists = *shared().lists;
    const SearchModeInfo &info = searchModeInfo(mode);
    const int rows = m_list->rowsPerPage();

    // 1. Open the order file (localita.loc is open already) and the index. A
    // new opening replaces the earlier one only once it has succeeded, so a
    // failed switch leaves the previous mode working as it was.
    auto newOrder = std::make_unique<RecordFile>();
    if (!info.orderFile.isEmpty() && !newOrder->open(info.orderFile, info.orderRecordSize)) {
        showMessage(info.orderMissing, Application::instance().title(), MessageIcon::Error);
        lists.notes = QStringList(rows + 1, QString());
        return;
    }
    auto newIndex = std::make_unique<RecordFile>();
    const bool indexOpened = newIndex->open(info.indexFile, PrefixIndexEntry::kSize);
    if (!indexOpened) {
        if (info.orderFile.isEmpty())
            lists.notes = QStringList(rows + 1, QString());
        showMessage(info.indexMissing, Application::instance().title(), MessageIcon::Error);
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
    Edit *field = m_controls.field;
    if (!field->text().isEmpty()) {
        {
            const QSignalBlocker quiet(field);
            field->setText(QString());
        }
        CercaChange();
    }

    // The search field for the new mode.
    setHint(field, info.hint);
    field->setAccessibleName(info.caption);
    m_controls.caption->setText(info.caption);
    field->setMaxLength(info.maxLength);
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
    s.searchMode = info.mode;
    s.keyLength = info.keyLength;
    RecordFile &orderFile = order();
    s.recordCount = orderFile.count();
    s.currentRecord = 0;

    // 6. - 8. Empty the index; the first page, reading one record more than
    // a page holds.
    lists.prefixes.clear();
    lists.firstRecords.clear();
    m_list->showFirstPage(true);
    s.recordCount = orderFile.count();

    // 9. - 10. The scroll bar and the prefix index.
    m_list->scrollBar()->setPosition(mode == kModeLocality ? 0 : s.currentRecord);
    m_list->scrollBar()->setMaximum(s.recordCount);
    if (indexOpened)
        loadPrefixIndex(*m_index, lists.prefixes, lists.firstRecords);

    // 11. Back to the search field.
    if (mode != kModeLocality || m_controls.window->isVisible())
        field->setFocus();
}

void LocalitySearch::CercaChange()
{
    const LocalitySearchState &s = searchState();
    const SharedLists &lists = *shared().lists;
    m_incremental.search(m_controls.field->text(), {lists.prefixes, lists.firstRecords, s.recordCount},
                         {s.keyLength});
}

QString LocalitySearch::readKey(int index)
{
    if (searchState().searchMode == kModeCap)
        return CapOrderEntry::decode(m_capOrder->readAt(index)).cap;
    // Only the name is compared: the other fields are not decoded.
    const QByteArray record = m_localities->readAt(index);
    return readShortString(record.constData() + LocalityRecord::kLocality.offset,
                           LocalityRecord::kLocality.capacity);
}

} // namespace zelvora

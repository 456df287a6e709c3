#include "locality_search.h"

#include "app/application.h"
#include "app/message_box.h"
#include "app/shared_state.h"
#include "app/toolkit/edit.h"
#include "app/toolkit/scroll_bar.h"
#include "app/toolkit/string_grid.h"
#include "locality/main_window.h"

#include <QLabel>

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

LocalitySearch::LocalitySearch(TCapF &window) : m_window(window) {}

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
    const QString &mode = shared().searchMode;
    if (mode == kModeCap)
        return *m_capOrder;
    if (mode == kModeProvince)
        return *m_pvOrder;
    return *m_localities;
}

LocalityRecord LocalitySearch::readLocality()
{
    const QString &mode = shared().searchMode;
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
    SharedState &s = shared();
    SharedLists &lists = *s.lists;
    const SearchModeInfo &info = searchModeInfo(mode);

    // 1. Open the order file (localita.loc is open already) and the index. A
    // new opening replaces the earlier one only once it has succeeded, so a
    // failed switch leaves the previous mode working as it was.
    auto newOrder = std::make_unique<RecordFile>();
    if (!info.orderFile.isEmpty() && !newOrder->open(info.orderFile, info.orderRecordSize)) {
        showMessage(info.orderMissing, Application::instance().title(), MessageIcon::Error);
        lists.notes = QStringList(s.rowsPerPage + 1, QString());
        return;
    }
    auto newIndex = std::make_unique<RecordFile>();
    if (!newIndex->open(info.indexFile, PrefixIndexEntry::kSize)) {
        if (info.orderFile.isEmpty())
            lists.notes = QStringList(s.rowsPerPage + 1, QString());
        showMessage(info.indexMissing, Application::instance().title(), MessageIcon::Error);
        return;
    }

    // 2. - 4. The search field for the new mode. Emptying a field that held
    // text runs a search, still in the old mode.
    setHint(m_window.Cerca, info.hint);
    m_window.Cerca->setAccessibleName(info.caption);
    m_window.Label2->setText(info.caption);
    m_window.Cerca->setText(QString());
    m_window.Cerca->setMaxLength(info.maxLength);
    m_window.Label1->hide();
    m_window.Edit1->hide();

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
    s.searchMode = info.mode;
    s.keyLength = info.keyLength;
    RecordFile &orderFile = order();
    s.recordCount = orderFile.count();
    s.currentRecord = 0;

    // 6. Empty the grid, the row lists and the index.
    m_window.list().clearPage();
    lists.prefixes.clear();
    lists.firstRecords.clear();

    // 7. - 8. The first page, reading one record more than a page holds; the
    // extra record stays in the row lists and in the cells of the row after
    // the grid's last.
    orderFile.seek(0);
    int read = 0;
    while (!orderFile.atEnd() && read <= s.rowsPerPage) {
        if (read < s.rowsPerPage)
            m_window.list().appendRow(read);
        else
            m_window.list().readIntoRow(read);
        ++s.currentRecord;
        ++read;
    }
    if (read > s.rowsPerPage)
        orderFile.seek(s.currentRecord - 1);
    s.recordCount = orderFile.count();

    // 9. - 10. The scroll bar and the prefix index.
    m_window.ScrollBar1->setPosition(mode == kModeLocality ? 0 : s.currentRecord);
    m_window.ScrollBar1->setMaximum(s.recordCount);
    loadPrefixIndex(*m_index, lists.prefixes, lists.firstRecords);

    // 11. Back to the search field.
    if (mode != kModeLocality || m_window.isVisible())
        m_window.Cerca->setFocus();
}

void LocalitySearch::CercaChange()
{
    SharedState &s = shared();
    const SharedLists &lists = *s.lists;
    const QString text = m_window.Cerca->text();
    if (text == s.lastSearchText)
        return;
    s.lastRow = 0;
    s.lastSearchText = text;
    s.searchPrefix = text.left(s.keyLength);

    // The group of the first index entry that begins with the typed prefix.
    int first = 1;
    int last = 1;
    if (const std::optional<Group> group = findGroup(lists.prefixes, lists.firstRecords, s.searchPrefix,
                                                     s.recordCount)) {
        first = group->first;
        last = group->last;
    } else if (!text.isEmpty()) {
        // No key begins so: take the last character of the prefix back.
        s.searchPrefix.chop(1);
        retype(s.searchPrefix);
        return;
    }
    s.currentRecord = first;
    showPageFrom(s.currentRecord - 1);
    if (text.size() <= s.keyLength)
        return;

    // Refine within the group: the first record whose key begins with the text.
    for (int n = first; n <= last; ++n) {
        if (readKey(n - 1).startsWith(text)) {
            s.currentRecord = n;
            showPageFrom(n - 1);
            return;
        }
    }
    retype(text.chopped(1));
}

void LocalitySearch::retype(const QString &text)
{
    // Setting the text searches it again at once, through the field's change
    // notification; a text equal to the last one searched is never searched
    // twice.
    m_window.Cerca->setText(text);
    m_window.Cerca->setCursorPosition(text.size());
    if (m_window.Cerca->text() != shared().lastSearchText)
        CercaChange();
}

QString LocalitySearch::readKey(int index)
{
    if (shared().searchMode == kModeCap)
        return CapOrderEntry::decode(m_capOrder->readAt(index)).cap;
    return LocalityRecord::decode(m_localities->readAt(index)).locality;
}

void LocalitySearch::showPageFrom(int start)
{
    SharedState &s = shared();
    PagedList &list = m_window.list();
    list.clearPage();
    s.currentRecord = start;
    order().seek(start);
    for (int row = 1; row <= s.rowsPerPage && !order().atEnd(); ++row) {
        list.appendRow(row - 1);
        m_window.ScrollBar1->setPosition(s.currentRecord - (row + 1));
        ++s.currentRecord;
    }
}

} // namespace zelvora

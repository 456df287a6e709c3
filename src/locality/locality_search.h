#pragma once

#include "app/paged_list.h"
#include "app/search_pane.h"
#include "app/toolkit/string_grid.h"
#include "common/incremental_search.h"
#include "common/locality_database.h"
#include "common/record_file.h"
#include "common/locality_files.h"
#include "locality/search_state.h"


class QLabel;
class QWidget;

namespace zelvora {

class Edit;

// The locality search of the main window: switching the search mode,
// searching incrementally as the field changes, and serving the results list
// its rows from the active order file.
class LocalitySearch : public PageSource, public SearchSource
{
public:
    // The controls of the main window that the search changes besides its
    // search pane.
    struct Controls
    {
        QLabel *caption; // the label before the search field
        QWidget *window; // the main window
        QString dataFolder; // where the locality files are
    };

    explicit LocalitySearch(Controls controls);

    // The search state that the window's commands share.
    LocalitySearchState &state() { return m_state; }

    // The search field and the results list that shows the search's pages,
    // which reads its rows from this search.
    void attach(SearchPane &pane);

    // Opens localita.loc, which stays open for the rest of the program.
    bool openDatabase();
    RecordFile &localities() { return m_db.orderFile(SearchMode::Locality); }

    void switchMode(SearchMode mode);
    void CercaChange();

    // SearchSource: the active mode's prefix index and order file.
    const PrefixIndex &prefixIndex() const override { return m_db.prefixIndex(m_state.mode); }
    int recordCount() const override { return m_state.recordCount; }
    int keyLength() const override { return m_state.keyLength; }
    QString key(int index) override;
    const QString &lastSearchText() const { return m_pane->lastSearchText(); }

    // Record reads of every locality file since the program started.
    qint64 recordReads() const;

    // PageSource
    int readPosition() const override { return order().position(); }
    void seek(int index) override { order().seek(index); }
    bool atEnd() const override { return order().atEnd(); }
    void readRow() override { m_page.append(LocalityRow(readLocality())); }
    PageModel<LocalityRow> &page() override { return m_page; }

private:
    // The active mode's order file; one not opened yet reads as empty.
    RecordFile &order() { return m_db.orderFile(m_state.mode); }
    const RecordFile &order() const { return m_db.orderFile(m_state.mode); }
    bool openModeFiles(const SearchModeInfo &files, LocalityDatabase::ModeFiles &opened);
    void showField(const SearchModeInfo &look);
    // Empties every row's note, with at least `count` rows, so that the note
    // line shows nothing for the rows on screen.
    void blankNotes(int count);
    QByteArray readLocality();

    Controls m_controls;
    LocalitySearchState m_state;
    PageModel<LocalityRow> m_page; // the rows the results list shows
    SearchPane *m_pane = nullptr;
    PagedList *m_list = nullptr;
    LocalityDatabase m_db; // localita.loc and the modes' order files
    bool m_modeSet = false; // a switch of mode has gone through
};

} // namespace zelvora

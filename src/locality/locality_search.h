#pragma once

#include "app/paged_list.h"
#include "common/incremental_search.h"
#include "common/record_file.h"
#include "locality/locality_files.h"

#include <memory>

class QLabel;
class QWidget;

namespace zelvora {

class Edit;

// The three ways of searching the localities: the order file that gives the
// display order, its prefix index, and how the search field looks.
struct SearchModeInfo
{
    QString mode;            // "localita", "cap" or "pv"
    QString orderFile;       // empty: localita.loc itself
    int orderRecordSize;
    QString indexFile;
    int keyLength;
    int maxLength;           // of the search field
    QString caption;         // of the label before the search field
    QString hint;            // of the search field
    QString orderMissing;    // message when the order file cannot be opened
    QString indexMissing;    // message when the index cannot be opened
};

const SearchModeInfo &searchModeInfo(const QString &mode);

// The locality search of the main window: switching the search mode,
// searching incrementally as the field changes, and serving the results list
// its rows from the active order file.
class LocalitySearch : public PageSource
{
public:
    // The controls of the main window that the search changes.
    struct Controls
    {
        Edit *field;     // the search field
        QLabel *caption; // the label before it
        QWidget *window; // the main window
    };

    explicit LocalitySearch(Controls controls);

    // The results list that shows the search's pages; it reads its rows from
    // this search.
    void attach(PagedList &list) { m_list = &list; }

    // Opens localita.loc, which stays open for the rest of the program.
    bool openDatabase();
    RecordFile &localities() { return *m_localities; }

    void switchMode(const QString &mode);
    void CercaChange();

    // Record reads of every locality file since the program started.
    qint64 recordReads() const;

    // PageSource
    int readPosition() const override { return order().position(); }
    void seek(int index) override { order().seek(index); }
    bool atEnd() const override { return order().atEnd(); }
    QStringList readRow() override;
    void clearRowLists() override;
    QString note(int row) const override;

private:
    RecordFile &order() const;
    LocalityRecord readLocality();
    QString readKey(int index);

    Controls m_controls;
    PagedList *m_list = nullptr;
    IncrementalSearch m_incremental;
    std::unique_ptr<RecordFile> m_localities = std::make_unique<RecordFile>();
    std::unique_ptr<RecordFile> m_capOrder = std::make_unique<RecordFile>();
    std::unique_ptr<RecordFile> m_pvOrder = std::make_unique<RecordFile>();
    std::unique_ptr<RecordFile> m_index = std::make_unique<RecordFile>();
    qint64 m_readsOfClosedFiles = 0;
    bool m_modeSet = false; // a switch of mode has gone through
};

} // namespace zelvora

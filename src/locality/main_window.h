#pragma once

#include "app/paged_list.h"
#include "app/search_pane.h"
#include "app/shared_settings.h"
#include "app/toolkit/scroll_bar.h"
#include "app/window_helpers.h"
#include "locality/details_dialog.h"
#include "locality/locality_search.h"
#include "locality/search_state.h"

#include <QDialog>
#include <QMainWindow>
#include <functional>
#include <memory>

class QLabel;

namespace zelvora {

class Edit;
class StringGrid;

// The main window: the locality search.
class TCapF : public QMainWindow
{
    Q_OBJECT
public:
    // A main window on the data files in `dataFolder`; the current directory
    // stays where the program was started.
    explicit TCapF(const QString &dataFolder, QWidget *parent = nullptr);
    ~TCapF() override;

    // What the windows share, the province table, the search state and the
    // rows of the page on screen, all owned by this window.
    const SharedSettings &settings() const { return m_settings; }
    SharedSettings &settings() { return m_settings; }
    const ProvinceTable &provinces() const { return m_provinces; }
    LocalitySearchState &state() { return m_search->state(); }
    const QList<LocalityRow> &rows() const { return m_search->page().rows(); }

    // The open locality database (localita.loc).
    RecordFile &localities() { return m_search->localities(); }
    PagedList &list() { return m_pane->list(); }
    LocalitySearch &search() { return *m_search; }

    // Handlers; the results list's own are the list's. FormShow runs when the
    // program shows the window (at start-up, after the street window), not
    // when the window system restores it from its minimised state.
    void perLocalit1Click();
    void perCAP1Click();
    void perProvincia1Click();
    void CercaChange();
    void CercaKeyDown(int key);
    void StringGrid1DblClick();
    void AppOnActivate();
    void FormShow();
    void DisplayHint();
    void Esci1Click();
    void Aiuto2Click();
    void Stradari1Click();
    void VerificaElenco1Click();
    void InformazionesuZelvora1Click();

    // The secondary windows opened from the menu, each created for one use,
    // shown modally and destroyed when it closes. Start-up hands the main
    // window the street window's.
    using WindowFactory = std::function<std::unique_ptr<QDialog>(QWidget *owner)>;
    WindowFactory streetWindowFactory;
    WindowFactory aboutBoxFactory;
    // The check of an address list, a window of its own.
    WindowFactory listWindowFactory;

    bool mouseInside() const { return m_status->mouseInside(); }

private:
    // Controls the window's code uses after building them, named as their
    // objectNames; tests reach every control by its objectName.
    QLabel *Label2 = nullptr;
    Edit *Cerca = nullptr;
    StringGrid *StringGrid1 = nullptr;

    void buildLayout();
    void buildMenu();
    void FormCreate();
    void FormDestroy();
    void loadProvinces();
    QString dataFile(const QString &name) const;

    SharedSettings m_settings;
    ProvinceTable m_provinces;
    std::unique_ptr<StatusLine> m_status;
    std::unique_ptr<SearchPane> m_pane;
    std::unique_ptr<LocalitySearch> m_search;
    bool m_placed = false; // centred on the screen at the first show

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
};

} // namespace zelvora

#pragma once

#include "app/paged_list.h"
#include "app/search_pane.h"
#include "app/shared_settings.h"
#include "app/toolkit/scroll_bar.h"
#include "app/window_helpers.h"
#include "common/street_files.h"
#include "streets/street_list.h"

#include <QDialog>
#include <memory>

class QComboBox;
class QFrame;
class QLabel;

namespace zelvora {

class Edit;
class StringGrid;

// What the street window tells the user about the missing files of a city,
// shown with the error icon and the caption "Ricerca Vie e/o Piazze"; a
// carriage return breaks it into lines. Empty when nothing is missing.
QString cityFilesMessage(const CityFiles &city);

// The street directory window: the user picks a city, types the beginning of
// a street's name and pages through the city's streets, seven at a time; a
// double click or Enter on a street opens its details. The main window opens
// it modally in its own place.
class TZone : public QDialog
{
    Q_OBJECT
public:
    // Rows of a full page of the street list; never changed.
    static constexpr int streetRowsPerPage = 7;

    // `settings` are the data folder and pixels per inch of the opener.
    TZone(const SharedSettings &settings, QWidget *parent = nullptr);
    ~TZone() override;

    // Handlers. The street list's own (scroll bar, grid keys, click, focus,
    // cell drawing, the note line) are the paged list's.
    void FormShow();
    void ComboBox1Change();
    void CercaZonaChange();
    void CercaZonaKeyDown(int key);
    void DisplayHint();
    void StringGrid2DblClick();
    void ApplicationActivate();

    // The grid row remembered while the grid has no focus.
    int streetLastRow = 0;

    // The rows of the page on screen.
    const QList<StreetRow> &rows() const { return m_source->page().rows(); }
    StreetFiles &files() { return m_source->files(); }
    PagedList &list() { return m_pane->list(); }
    bool mouseInside() const { return m_status->mouseInside(); }

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Controls the window's code uses after building them, named as their
    // objectNames; tests reach every control by its objectName.
    QLabel *Label2 = nullptr;
    QComboBox *ComboBox1 = nullptr;
    Edit *ECapGen = nullptr;
    Edit *CercaZona = nullptr;
    StringGrid *StringGrid2 = nullptr;
    // What only a window with a city shows.
    QList<QWidget *> m_cityControls;

    void buildLayout();
    QList<QWidget *> buildCityChoice(QFrame *top);
    void buildExitButton(QFrame *top);
    void FormCreate();
    void FormDestroy();
    void showCityControls(bool withCity);

    int scaled(int size) const;

    const SharedSettings m_settings;
    std::unique_ptr<StatusLine> m_status;
    std::unique_ptr<StreetListSource> m_source;
    std::unique_ptr<SearchPane> m_pane;
    int m_readCounter = 0; // the street list's record counter
    int m_streetCount = 0;
    QString m_evidenceFile; // the open city's, read by the details only
};

} // namespace zelvora

#pragma once

#include "app/paged_list.h"
#include "common/incremental_search.h"

#include <QFont>
#include <QList>
#include <QObject>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>

class QLabel;
class QWidget;

namespace zelvora {

class Edit;
class ScrollBar;
class StringGrid;

// The search field and the paged list under it, the part that the main window
// and the street window have in common: the field, the grid with its scroll
// bar, the titles above the grid's columns and the note line. The pane builds
// them with the names and numbers of its window (its `Layout`) and wires them
// once: the field's Esc and Enter, the putting back of a shorter text into the
// field, and, through the paged list, the grid's keys, scroll bar, focus,
// highlight and note line. What is searched and what the rows hold stay with
// the window.
class SearchPane : public QObject
{
public:
    struct ColumnTitle
    {
        const char *name;
        QString caption;
        int left;
        int width;
    };

    // Positions in pixels at 96 pixels per inch, in the field's parent and
    // the list's parent.
    struct Layout
    {
        const char *field;
        QRect fieldGeometry;
        int maxLength;
        QString fieldHint;
        QString fieldName; // what a screen reader calls the field

        const char *noteLabel;
        QString noteCaption;
        QRect noteLabelGeometry;
        const char *noteEdit;
        QRect noteEditGeometry;

        QList<ColumnTitle> titles;

        const char *grid;
        QRect gridGeometry;
        int rowsPerPage;
        QString gridName;

        const char *scrollBar;
        QRect scrollBarGeometry;
        QString scrollBarName;
    };

    explicit SearchPane(const Layout &layout);
    ~SearchPane() override;

    // Builds the field in its parent, and the note line, the column titles,
    // the grid and the scroll bar in theirs, each where its window's layout
    // makes it, so that its place among its neighbours stays the designed one.
    Edit *buildField(QWidget *parent);
    void buildList(QWidget *parent);

    Edit *field() const { return m_field; }
    StringGrid *grid() const { return m_grid; }
    ScrollBar *scrollBar() const { return m_scrollBar; }
    QLabel *noteLabel() const { return m_noteLabel; }
    Edit *noteEdit() const { return m_noteEdit; }
    const QList<QLabel *> &titles() const { return m_titles; }
    PagedList &list() { return *m_list; }

    // Connects the list to where its rows come from. Done once, before the
    // first page.
    void attach(PageSource &source, PagingState state);

    // Searches the field's text in `source`.
    void search(SearchSource &source);
    // The field's text when it was last searched.
    const QString &lastSearchText() const { return m_search.lastText(); }

    // The search field's keys: Esc empties the field, which shows the first
    // page again; Enter gives the grid the focus. Neither is consumed.
    void keyDown(int key);

    // Run when a new text is searched, after the remembered row went back
    // to 0.
    std::function<void()> onSearchStarted;
    // Enter in the grid, or a double click on it.
    std::function<void()> onOpen;

private:
    Layout m_layout;
    Edit *m_field = nullptr;
    QLabel *m_noteLabel = nullptr;
    Edit *m_noteEdit = nullptr;
    QList<QLabel *> m_titles;
    StringGrid *m_grid = nullptr;
    ScrollBar *m_scrollBar = nullptr;
    std::unique_ptr<PagedList> m_list;
    IncrementalSearch m_search;
};

} // namespace zelvora

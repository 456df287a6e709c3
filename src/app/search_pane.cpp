#include "search_pane.h"

#include "app/application.h"
#include "app/fonts.h"
#include "app/toolkit/edit.h"
#include "app/toolkit/scroll_bar.h"
#include "app/toolkit/string_grid.h"
#include "app/window_helpers.h"

#include <QLabel>

namespace zelvora {

namespace {
template <typename Widget>
Widget *placed(Widget *widget, const char *name, QRect geometry)
{
    return place(widget, name, geometry.x(), geometry.y(), geometry.width(), geometry.height());
}
} // namespace

SearchPane::SearchPane(const Layout &layout) : m_layout(layout) {}

SearchPane::~SearchPane() = default;

Edit *SearchPane::buildField(QWidget *parent)
{
    const Layout &layout = m_layout;
    m_field = placed(new Edit(parent), layout.field, layout.fieldGeometry);
    m_field->setUpperCase(true);
    m_field->setMaxLength(layout.maxLength);
    m_field->setFont(windowFont(12, true));
    colour(m_field, QPalette::Base, kCyan);
    colour(m_field, QPalette::Text, Qt::black);
    setHint(m_field, layout.fieldHint);
    m_field->setAccessibleName(layout.fieldName);
    return m_field;
}

void SearchPane::buildList(QWidget *listParent)
{
    const Layout &layout = m_layout;
    const NoteLine note = noteLine(listParent, layout.noteLabel, layout.noteCaption, layout.noteLabelGeometry,
                                   layout.noteEdit, layout.noteEditGeometry);
    m_noteLabel = note.label;
    m_noteEdit = note.edit;
    for (const ColumnTitle &title : layout.titles)
        m_titles << columnTitle(listParent, title.name, title.caption, title.left, title.width);

    m_grid = placed(new StringGrid(listParent), layout.grid, layout.gridGeometry);
    m_grid->setColCount(static_cast<int>(layout.titles.size()));
    m_grid->setRowCountValue(layout.rowsPerPage);
    m_grid->setFrameShape(QFrame::NoFrame);
    colour(m_grid, QPalette::Base, kCyan);
    colour(m_grid, QPalette::Text, Qt::black);
    setHint(m_grid, QStringLiteral("Doppio click o Invio per dettagli"));
    m_grid->setAccessibleName(layout.gridName);
    m_scrollBar = placed(new ScrollBar(listParent), layout.scrollBar, layout.scrollBarGeometry);
    m_scrollBar->setAccessibleName(layout.scrollBarName);
}

void SearchPane::attach(PageSource &source, PagingState state)
{
    m_grid->setPage(&source.page());
    m_list = std::make_unique<PagedList>(m_grid, m_scrollBar, m_noteLabel, m_noteEdit, source, state);
    m_list->onEscape = [this] { m_field->setFocus(); };
    m_list->onOpen = [this] {
        if (onOpen)
            onOpen();
    };

    m_search.started = [this, &lastRow = state.lastRow] {
        lastRow = 0;
        if (onSearchStarted)
            onSearchStarted();
    };
    m_search.showPage = [this](int start) { m_list->showSearchPage(start); };
    m_search.putBack = [this](const QString &text) {
        // The field's change notification searches the text at once.
        m_field->setText(text);
        m_field->setCursorPosition(text.size());
        return m_field->text();
    };
}

void SearchPane::search(SearchSource &source)
{
    m_search.search(m_field->text(), source);
}

void SearchPane::keyDown(int key)
{
    if (key == Qt::Key_Escape)
        m_field->setText(QString());
    else if (key == Qt::Key_Return || key == Qt::Key_Enter)
        m_grid->setFocus();
}

} // namespace zelvora

#include "window_helpers.h"

#include "app/application.h"
#include "app/fonts.h"
#include "app/toolkit/edit.h"
#include "app/toolkit/panel.h"

#include <QLabel>
#include <QScreen>

namespace zelvora {

namespace {
const QString kEmptyStatusName = QStringLiteral("Stato");

// Gives a control a new accessible name; the toolkit tells the screen
// reader, which announces it.
void announceName(QWidget *control, const QString &name)
{
    control->setAccessibleName(name);
}
} // namespace

void centreOnScreen(QWidget *window)
{
    QScreen *screen = window->screen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->geometry().center());
    window->move(frame.topLeft());
}

void colour(QWidget *widget, QPalette::ColorRole role, const QColor &c)
{
    QPalette palette = widget->palette();
    palette.setColor(role, c);
    widget->setPalette(palette);
}

QLabel *columnTitle(QWidget *parent, const char *name, const QString &caption, int left, int width)
{
    auto *title = place(new Panel(parent), name, left, 24, width, 17);
    title->setText(caption);
    // A raised bevel with a border of two inside it; the caption keeps the
    // panel's full height so that the 9-point letters are not cut.
    title->setBevels(Panel::Bevel::Raised, Panel::Bevel::None, 1, 2);
    title->setContentsMargins(title->edgeWidth(), 0, title->edgeWidth(), 0);
    title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    title->setFont(windowFont(12, true));
    colour(title, QPalette::Window, title->palette().color(QPalette::Button));
    return title;
}

NoteLine noteLine(QWidget *parent, const char *labelName, const QString &caption, QRect labelGeometry,
                  const char *editName, QRect editGeometry)
{
    NoteLine line;
    line.label = place(new QLabel(caption, parent), labelName, labelGeometry.x(), labelGeometry.y(),
                       labelGeometry.width(), labelGeometry.height());
    line.label->setFont(windowFont(12));
    colour(line.label, QPalette::WindowText, Qt::blue);
    line.label->hide();
    line.edit = place(new Edit(parent), editName, editGeometry.x(), editGeometry.y(), editGeometry.width(),
                      editGeometry.height());
    line.edit->setReadOnly(true);
    line.edit->setFrame(false);
    line.edit->setFocusPolicy(Qt::NoFocus);
    line.edit->setFont(windowFont(12));
    line.edit->setTextMargins(0, -2, 0, -2);
    colour(line.edit, QPalette::Base, kSilver);
    colour(line.edit, QPalette::Text, Qt::red);
    const QString name = caption.chopped(caption.endsWith(u':') ? 1 : 0).trimmed();
    line.edit->setAccessibleName(name);
    QObject::connect(line.edit, &Edit::textChanged, line.edit, [edit = line.edit, name](const QString &text) {
        announceName(edit, text.isEmpty() ? name : name + QStringLiteral(": ") + text);
    });
    line.edit->hide();
    return line;
}

StatusLine::StatusLine(QWidget *window, QLabel *line) : m_window(window), m_line(line)
{
    m_line->setAccessibleName(kEmptyStatusName);
    m_line->setAccessibleDescription(kEmptyStatusName);
    Application::instance().watchMouse(window, [this](bool inside) { m_mouseInside = inside; });
}

void StatusLine::install()
{
    // The line lives as long as its window; the window's pointer tells
    // whether both are still there.
    Application::instance().setOnHint([this, window = m_window] {
        if (window)
            DisplayHint();
    });
}

void StatusLine::DisplayHint()
{
    if (!m_window || !m_mouseInside || !m_window->isActiveWindow())
        return;
    const QString text = Application::instance().hint();
    m_line->setText(text);
    announceName(m_line, text.isEmpty() ? kEmptyStatusName : text);
}

} // namespace zelvora

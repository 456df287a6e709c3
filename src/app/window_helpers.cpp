#include "window_helpers.h"

#include "app/application.h"
#include "app/fonts.h"
#include "app/toolkit/edit.h"

#include <QLabel>

namespace zelvora {

void colour(QWidget *widget, QPalette::ColorRole role, const QColor &c)
{
    QPalette palette = widget->palette();
    palette.setColor(role, c);
    widget->setPalette(palette);
}

QLabel *columnTitle(QWidget *parent, const char *name, const QString &caption, int left, int width)
{
    auto *title = place(new QLabel(caption, parent), name, left, 24, width, 17);
    title->setFrameStyle(QFrame::Panel | QFrame::Raised);
    title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    title->setFont(windowFont(12, true));
    title->setAutoFillBackground(true);
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
    line.edit->setAccessibleName(QStringLiteral("Note"));
    line.edit->hide();
    return line;
}

StatusLine::StatusLine(QWidget *window, QLabel *line) : m_window(window), m_line(line)
{
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
    if (m_window && m_mouseInside && m_window->isActiveWindow())
        m_line->setText(Application::instance().hint());
}

} // namespace zelvora

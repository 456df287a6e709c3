#pragma once

#include <QColor>
#include <QPalette>
#include <QPointer>
#include <QString>

class QLabel;
class QWidget;

namespace zelvora {

class Edit;

// The colours the windows are designed in.
inline const QColor kSilver(192, 192, 192);
inline const QColor kCyan(0, 255, 255);
inline const QColor kNavy(0, 0, 128);

// Names a control after its designed name and places it at its designed
// position and size, in pixels at 96 pixels per inch.
template <typename Widget>
Widget *place(Widget *widget, const char *name, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

// Moves a window so that its centre is the centre of its screen.
void centreOnScreen(QWidget *window);

// Sets one colour of a control's palette.
void colour(QWidget *widget, QPalette::ColorRole role, const QColor &c);

// The raised panel above a grid column, 17 pixels high at top 24, with its
// caption left-aligned in bold 9 points on the button face.
QLabel *columnTitle(QWidget *parent, const char *name, const QString &caption, int left, int width);

// The note line above a grid: the blue label and the borderless read-only red
// field on silver that shows the selected row's note; both hidden at start.
// The field's accessible name carries the note, so that a screen reader
// reads it and hears each new one.
struct NoteLine
{
    QLabel *label = nullptr;
    Edit *edit = nullptr;
};
NoteLine noteLine(QWidget *parent, const char *labelName, const QString &caption, QRect labelGeometry,
                  const char *editName, QRect editGeometry);

// A window's status line: while the mouse is over the window and the window
// is active, it shows the hint of the control under the mouse. Each window
// installs it as the application's hint handler while it is shown or active.
// The line's accessible name is the text it shows (or "Stato" while empty),
// so a screen reader reads it and is told of every change.
class StatusLine
{
public:
    StatusLine(QWidget *window, QLabel *line);

    // Makes this line the application's hint handler, replacing the one
    // before; a notification still pending when the window is gone does
    // nothing.
    void install();
    // The application's hint changed.
    void DisplayHint();

    bool mouseInside() const { return m_mouseInside; }

private:
    QPointer<QWidget> m_window;
    QLabel *m_line;
    bool m_mouseInside = false;
};

} // namespace zelvora

#pragma once

#include <QObject>
#include <QString>
#include <QWidget>
#include <memory>

namespace zelvora::test {

// The control of `window` whose objectName is `name`, searched among all of
// the window's descendants. A window keeps its controls to itself; a test
// reaches them by their names, as the window's layout gives them. A name that
// is not there, or a control of another kind, ends the test program: the test
// itself is wrong.
template <typename Control = QWidget>
Control *control(const QObject *window, const char *name)
{
    Control *found = window ? window->findChild<Control *>(QString::fromLatin1(name)) : nullptr;
    if (!found)
        qFatal("no control named %s of the expected kind in %s", name,
               window ? qPrintable(window->objectName()) : "no window");
    return found;
}

template <typename Control = QWidget, typename Window>
Control *control(const std::unique_ptr<Window> &window, const char *name)
{
    return control<Control>(window.get(), name);
}

} // namespace zelvora::test

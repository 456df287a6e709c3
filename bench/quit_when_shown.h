#pragma once

// Ends a program once its first window has been exposed and its event loop
// has gone idle, and prints that window's size on standard output: start-up
// measured as a whole process, from exec until the window is on screen.
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>
#include <cstdio>

namespace bench {

class QuitWhenShown : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && !m_done) {
            auto *window = qobject_cast<QWindow *>(watched);
            if (window && window->isExposed() && !window->transientParent()) {
                m_done = true;
                const QSize size = window->size();
                // A zero timer runs once the events already queued are done.
                QTimer::singleShot(0, qApp, [size] {
                    std::printf("%d %d\n", size.width(), size.height());
                    std::fflush(stdout);
                    QCoreApplication::quit();
                });
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_done = false;
};

inline void installQuitWhenShown()
{
    qApp->installEventFilter(new QuitWhenShown(qApp));
}

} // namespace bench

// The least a Qt Widgets program does to show a window: one empty window of
// the given size (the main window's, which bench_startup prints), ended as
// soon as it is shown and the event loop idle.
// Run: bench_bare_window WIDTH HEIGHT
#include "quit_when_shown.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    bench::installQuitWhenShown();
    QWidget window;
    if (argc > 2)
        window.setFixedSize(QString::fromLocal8Bit(argv[1]).toInt(), QString::fromLocal8Bit(argv[2]).toInt());
    window.show();
    return app.exec();
}

// The least a Qt Widgets program does to show a window: one window of the
// given size (the main window's, which bench_startup prints), ended as soon
// as it is shown and the event loop idle. With "text", the window shows a
// label and an edit field, so that it sets up and draws fonts as every window
// with text does; without, it is empty and draws no text at all.
// Run: bench_bare_window WIDTH HEIGHT [text]
#include "quit_when_shown.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    bench::installQuitWhenShown();
    QWidget window;
    if (argc > 2)
        window.setFixedSize(QString::fromLocal8Bit(argv[1]).toInt(), QString::fromLocal8Bit(argv[2]).toInt());
    if (argc > 3 && qstrcmp(argv[3], "text") == 0) {
        auto *label = new QLabel(QStringLiteral("Località"), &window);
        label->move(16, 16);
        auto *field = new QLineEdit(&window);
        field->setGeometry(96, 12, 200, 21);
        field->setFocus();
    }
    window.show();
    return app.exec();
}

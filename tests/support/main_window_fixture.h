#pragma once

#include "app/application.h"
#include "app/toolkit/edit.h"
#include "app/toolkit/scroll_bar.h"
#include "app/toolkit/string_grid.h"
#include "locality/main_window.h"
#include "support/controls.h"
#include "support/fixtures.h"
#include "support/recording_message_boxes.h"

#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace zelvora::test {

// A main window on a data folder of the test's own records, shown and active,
// with message boxes recorded instead of shown.
struct MainWindowFixture
{
    QTemporaryDir dir;
    RecordingMessageBoxes boxes;
    std::unique_ptr<TCapF> window;

    // Builds the folder; `damage` may change it before the window opens.
    bool open(const QList<LocalitySource> &localities, const QList<ProvinceSource> &provinces = {},
              const std::function<void(const QString &)> &damage = {});
    // Opens the window on a data folder already built, such as the bundled data.
    bool openOn(const QString &folder);

    Edit *cerca() const { return test::control<Edit>(window, "Cerca"); }
    StringGrid *grid() const { return test::control<StringGrid>(window, "StringGrid1"); }
    ScrollBar *scrollBar() const { return test::control<ScrollBar>(window, "ScrollBar1"); }

    // Column 0 of every row the grid shows.
    QStringList names() const;
    QString firstName() const { return grid()->cell(0, 0); }
    void type(const QString &text) const;
    void key(Qt::Key key, QWidget *target = nullptr) const;
    void focusGrid() const;
    qint64 reads() const { return window->search().recordReads(); }
};

// Types `text` into `field` key by key, accented letters too (Qt Test types
// ASCII only).
void typeInto(QWidget *field, const QString &text);

// `count` localities named P000, P001, ... in one province, every fifth with a note.
QList<LocalitySource> numberedLocalities(int count);
// The names of those from P`from` to P`to`, both included.
QStringList numberedNames(int from, int to);

} // namespace zelvora::test

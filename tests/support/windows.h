#pragma once

#include "support/main_window_fixture.h"

#include <functional>

namespace zelvora::test {

// Every window a user meets, in the state it is opened in.
enum class Shown { MainWindow, ByProvince, Details, CompactDetails, AboutBox, Streets, StreetDetails };

// Opens the window `shown` names the way a user does (the secondary ones
// from the main window, modally) on a few localities and one city, and runs
// `inspect` on it while it is open.
void withWindow(Shown shown, const std::function<void(QWidget *)> &inspect);

// One table row per window.
void addWindowRows();

} // namespace zelvora::test

Q_DECLARE_METATYPE(zelvora::test::Shown)

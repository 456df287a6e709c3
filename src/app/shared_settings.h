#pragma once

#include <QString>

namespace zelvora {

// What the windows really share: the folder of the data files (the program's
// own, or its installed data folder), given to the main window when it is
// built, and the screen's pixels per inch, which the main window reads when it
// is built. The main window keeps them and hands them to the street window.
struct SharedSettings
{
    QString dataFolder;
    int pixelsPerInch = 96;
};

// Scales a size designed at 96 pixels per inch: multiplied first, the
// division truncating.
constexpr int scaleByPixelsPerInch(int size, int pixelsPerInch)
{
    return size * pixelsPerInch / 96;
}

} // namespace zelvora

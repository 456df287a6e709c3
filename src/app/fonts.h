#pragma once

#include <QFont>

namespace zelvora {

// The windows are designed in "MS Sans Serif" and the printouts in "Times New
// Roman"; neither exists on Linux. This maps them, once at start-up, to the
// Liberation fonts that the set-up installs (metric-compatible for the serif).
void installFontSubstitutes();

// The windows' font at a pixel size (8 points is 11 pixels, 9 points 12).
QFont windowFont(int pixelSize, bool bold = false);

} // namespace zelvora

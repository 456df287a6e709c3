#pragma once

#include <QIcon>
#include <QPixmap>

namespace zelvora {

// A picture of the program's resources at its size in the window: raw pixels
// drawn at build time from its SVG source (name.rgba, and name@2x.rgba at
// twice the size, taken on a screen of more than one device pixel to a
// point). Null if the resource is missing or not of that size.
QPixmap picture(const QString &resource, const QSize &size);

// The program's icon, shared by every window.
QIcon programIcon();

} // namespace zelvora

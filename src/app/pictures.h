#pragma once

#include <QIcon>
#include <QPixmap>

namespace zelvora {

// Renders a vector picture of the program's resources at a size.
QPixmap svgPixmap(const QString &resource, const QSize &size);

// The program's icon, shared by every window.
QIcon programIcon();

} // namespace zelvora

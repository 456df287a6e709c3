#include "pictures.h"

#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

// The pictures are compiled into a static library, whose resources must be
// registered by hand.
static void registerPictures()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(zelvora);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace zelvora {

QPixmap svgPixmap(const QString &resource, const QSize &size)
{
    registerPictures();
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

QIcon programIcon()
{
    // Drawn once, at the largest size a window asks for: the icon scales it
    // down for the smaller ones. Drawing the picture (its letters are text)
    // at five sizes was a tenth of the program's start-up.
    return QIcon(svgPixmap(QStringLiteral(":/zelvora/icon.svg"), QSize(64, 64)));
}

} // namespace zelvora

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
    QIcon icon;
    for (int side : {16, 24, 32, 48, 64})
        icon.addPixmap(svgPixmap(QStringLiteral(":/zelvora/icon.svg"), QSize(side, side)));
    return icon;
}

} // namespace zelvora

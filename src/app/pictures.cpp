#include "pictures.h"

#include <QGuiApplication>
#include <QImage>
#include <QResource>

namespace zelvora {

namespace {

qreal screenRatio()
{
    return qApp ? qApp->devicePixelRatio() : 1.0;
}

// The copy of a picture drawn for a screen of this pixel ratio. Raw pixels
// rather than an image file: reading a PNG would load every image format
// plugin installed (to ask each whether it reads the file) and decode it, a
// tenth of the program's start-up.
QPixmap loadPicture(const QString &resource, const QSize &size, qreal ratio)
{
    const int scale = ratio > 1.0 ? 2 : 1;
    QString file = resource;
    if (scale == 2)
        file.insert(file.lastIndexOf(u'.'), QStringLiteral("@2x"));
    const QSize pixels = size * scale;
    const QByteArray bytes = QResource(file).uncompressedData();
    if (pixels.isEmpty() || bytes.size() != qsizetype(pixels.width()) * pixels.height() * 4)
        return {};
    // The conversion copies the pixels into the screen's own format.
    QPixmap pixmap = QPixmap::fromImage(
        QImage(reinterpret_cast<const uchar *>(bytes.constData()), pixels.width(), pixels.height(),
               pixels.width() * 4, QImage::Format_RGBA8888_Premultiplied)
            .convertToFormat(QImage::Format_ARGB32_Premultiplied));
    pixmap.setDevicePixelRatio(scale);
    return pixmap;
}

} // namespace

QPixmap picture(const QString &resource, const QSize &size)
{
    const qreal ratio = screenRatio();
    QPixmap pixmap = loadPicture(resource, size, ratio);
    if (pixmap.isNull() || pixmap.devicePixelRatio() == ratio)
        return pixmap;
    // A ratio in between: the larger copy scaled to the screen's pixels.
    QPixmap scaled = pixmap.scaled(size * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(ratio);
    return scaled;
}

QIcon programIcon()
{
    // One size, the largest a window asks for: the icon scales it down for
    // the smaller ones.
    return QIcon(loadPicture(QStringLiteral(":/zelvora/icon.rgba"), QSize(64, 64), screenRatio()));
}

} // namespace zelvora

// render_picture: draws an SVG picture at the given size, at build time: the
// icon theme's fixed-size icons as PNG files, and the windows' pictures (at
// their size and twice it, for screens of two device pixels to a point) as raw
// pixels, which the program shows without drawing vectors and text or
// decoding an image at start-up.
//   render_picture PICTURE.svg WIDTH HEIGHT OUTPUT.png
//   render_picture PICTURE.svg WIDTH HEIGHT OUTPUT.rgba
// A .rgba file holds the pixels row after row, four bytes each: red, green,
// blue and alpha, the colours premultiplied by alpha; no header.
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

int main(int argc, char **argv)
{
    // A build step has no display: draw on the offscreen platform.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 5) {
        err << "usage: render_picture PICTURE.svg WIDTH HEIGHT OUTPUT.png|OUTPUT.rgba\n";
        return 2;
    }
    bool widthOk = false;
    bool heightOk = false;
    const int width = args.at(2).toInt(&widthOk);
    const int height = args.at(3).toInt(&heightOk);
    if (!widthOk || !heightOk || width <= 0 || height <= 0 || width > 4096 || height > 4096) {
        err << "render_picture: bad size " << args.at(2) << 'x' << args.at(3) << '\n';
        return 2;
    }
    QSvgRenderer renderer(args.at(1));
    if (!renderer.isValid()) {
        err << "render_picture: cannot read " << args.at(1) << '\n';
        return 1;
    }
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    const QString output = args.at(4);
    bool written = false;
    if (output.endsWith(QLatin1String(".png"))) {
        written = image.save(output, "PNG");
    } else {
        const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
        QFile file(output);
        written = file.open(QIODevice::WriteOnly)
                  && file.write(reinterpret_cast<const char *>(rgba.constBits()), rgba.sizeInBytes())
                         == rgba.sizeInBytes()
                  && file.flush();
    }
    if (!written) {
        err << "render_picture: cannot write " << args.at(4) << '\n';
        return 1;
    }
    return 0;
}

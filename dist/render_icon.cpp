// render_icon: draws an SVG picture into a square PNG of the given size, for
// the icon theme's fixed-size icons.
//   render_icon PICTURE.svg SIZE OUTPUT.png
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
    if (args.size() != 4) {
        err << "usage: render_icon PICTURE.svg SIZE OUTPUT.png\n";
        return 2;
    }
    bool sizeOk = false;
    const int size = args.at(2).toInt(&sizeOk);
    if (!sizeOk || size <= 0 || size > 4096) {
        err << "render_icon: bad size " << args.at(2) << '\n';
        return 2;
    }
    QSvgRenderer renderer(args.at(1));
    if (!renderer.isValid()) {
        err << "render_icon: cannot read " << args.at(1) << '\n';
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    if (!image.save(args.at(3), "PNG")) {
        err << "render_icon: cannot write " << args.at(3) << '\n';
        return 1;
    }
    return 0;
}

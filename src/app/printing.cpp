#include "printing.h"

#include "app/seam.h"
#include "common/io_error.h"

#include <QDir>
#include <QFontMetrics>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScopeGuard>

namespace zelvora {

namespace {

class SystemPrinting : public Printing
{
public:
    QPrinter &printer() override
    {
        static QPrinter printer(QPrinter::HighResolution);
        return printer;
    }

    bool runPrintDialog(QPrinter &printer, QWidget *parent) override
    {
        // The dialog writes a file name without a folder in the home folder
        // but checks it in the current one, which may not be written (an
        // installed program started from the menu stands in / or in its data
        // folder): it runs from the home folder, so that it checks the file
        // it writes.
        const QString started = QDir::currentPath();
        QDir::setCurrent(QDir::homePath());
        const auto back = qScopeGuard([&] { QDir::setCurrent(started); });
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    }
};

Seam<Printing, SystemPrinting> seam;

const QString kJobTitle = QStringLiteral("Stampa C.A.P.");
const QString kHeading = QStringLiteral("Zelvora");

} // namespace

Printing &printing()
{
    return seam.get();
}

void setPrinting(Printing *replacement)
{
    seam.install(replacement);
}

PageGeometry pageGeometry(const QPrinter &printer)
{
    const QRect printable = printer.pageLayout().paintRectPixels(printer.resolution());
    return {printer.pageLayout().orientation() == QPageLayout::Landscape, printable.width(), printable.height(),
            printer.resolution()};
}

void renderPage(QPainter &painter, const PageLayout &layout)
{
    painter.setPen(QPen(Qt::black, 1));
    for (const PrintItem &item : layout.items) {
        if (item.kind == PrintItem::Kind::Rule) {
            painter.drawLine(item.x, item.y, item.x2, item.y);
            continue;
        }
        QFont font(item.family);
        // The page is printed with the serif's kerning, which the windows'
        // fonts leave out.
        font.setStyleStrategy(QFont::PreferDefault);
        font.setBold(item.bold);
        // The character height is the em of the font; its cell's top stands at y.
        font.setPixelSize(std::max(item.charHeight, 1));
        painter.setFont(font);
        const QFontMetrics metrics(font, painter.device());
        painter.drawText(QPoint(item.x, item.y + metrics.ascent()), item.text);
    }
}

} // namespace zelvora

extern "C" void zelvora_printDetails(QWidget *parent, const QList<zelvora::PrintLine> &lines)
{
    using namespace zelvora;
    Printing &service = printing();
    QPrinter &printer = service.printer();
    if (!service.runPrintDialog(printer, parent))
        return;
    const PageLayout layout = layoutDetailsPage(pageGeometry(printer), kHeading, lines);
    printer.setDocName(kJobTitle);
    QPainter painter;
    if (!painter.begin(&printer))
        throw IoError(QStringLiteral("Impossibile avviare la stampa su \"%1\"").arg(printer.printerName()));
    renderPage(painter, layout);
    if (printer.printerState() == QPrinter::Error) {
        printer.abort();
        painter.end();
        throw IoError(QStringLiteral("Errore della stampante durante la stampa"));
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw IoError(QStringLiteral("Errore della stampante durante la stampa"));
}


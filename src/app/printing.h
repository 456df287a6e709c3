#pragma once

#include "common/printout.h"

class QPainter;
class QPrinter;
class QWidget;

namespace zelvora {

// The print dialog and the printer go through this seam: the default runs
// the platform's print dialog on the system's printer; tests install one that
// answers at once and prints to PDF.
class Printing
{
public:
    virtual ~Printing() = default;
    virtual QPrinter &printer() = 0;
    // True when the user confirmed the print dialog.
    virtual bool runPrintDialog(QPrinter &printer, QWidget *parent) = 0;
};

Printing &printing();
// Installs another implementation; nullptr restores the real one. The caller
// keeps ownership.
void setPrinting(Printing *replacement);

// Where the printer's printable area stands, in device pixels.
PageGeometry pageGeometry(const QPrinter &printer);

// Draws a laid-out page.
void renderPage(QPainter &painter, const PageLayout &layout);

// Runs the print dialog and prints one details page with the given body
// lines. Cancelling prints nothing. A printer that cannot start, or fails
// during the job, throws IoError; a job that began is aborted, not left
// half-sent.
void printDetails(QWidget *parent, const QList<PrintLine> &lines);

} // namespace zelvora

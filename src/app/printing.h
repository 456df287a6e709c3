#pragma once

// Printing, in a library of its own (libzelvora_printing.so) that the program
// loads at its first print (see print_details.h), so that starting the program
// does not load Qt Print Support. Tests link it.
#include "common/printout.h"

#include <QtGlobal>

class QPainter;
class QPrinter;
class QWidget;

#ifdef ZELVORA_PRINTING_LIBRARY
#define ZELVORA_PRINTING_EXPORT Q_DECL_EXPORT
#else
#define ZELVORA_PRINTING_EXPORT Q_DECL_IMPORT
#endif

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

ZELVORA_PRINTING_EXPORT Printing &printing();
// Installs another implementation; nullptr restores the real one. The caller
// keeps ownership.
ZELVORA_PRINTING_EXPORT void setPrinting(Printing *replacement);

// Where the printer's printable area stands, in device pixels.
ZELVORA_PRINTING_EXPORT PageGeometry pageGeometry(const QPrinter &printer);

// Draws a laid-out page.
ZELVORA_PRINTING_EXPORT void renderPage(QPainter &painter, const PageLayout &layout);

} // namespace zelvora

// The library's entry, looked up by name when it is loaded: runs the print
// dialog and prints one details page with the given body lines. Cancelling
// prints nothing. A printer that cannot start, or fails during the job, throws
// IoError; a job that began is aborted, not left half-sent.
extern "C" ZELVORA_PRINTING_EXPORT void zelvora_printDetails(QWidget *parent,
                                                             const QList<zelvora::PrintLine> &lines);

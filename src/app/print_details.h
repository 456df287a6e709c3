#pragma once

#include "common/printout.h"

#include <QStringList>

class QWidget;

namespace zelvora {

// Runs the print dialog and prints one details page with the given body lines,
// through the printing library (libzelvora_printing.so), loaded at the first
// print: starting the program loads no printing code. Cancelling prints
// nothing. A printer that cannot start or fails during the job, or a printing
// library that cannot be found or loaded, throws IoError.
void printDetails(QWidget *parent, const QList<PrintLine> &lines);

// Where the printing library is looked for, in order: beside the program (the
// build), then where the installation puts it (../lib/zelvora). A program
// that links the library, as the tests do, uses the one it has.
QStringList printingLibraryFiles(const QString &executableFolder);

} // namespace zelvora

#include "print_details.h"

#include "common/io_error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#include <dlfcn.h>

namespace zelvora {

namespace {

const QString kLibrary = QStringLiteral("libzelvora_printing.so");
const char kEntry[] = "zelvora_printDetails";

using PrintDetails = void (*)(QWidget *, const QList<PrintLine> &);

// The library's entry: already in the process, or loaded from the first of
// its places that holds it. Loaded once and kept for the program's life.
PrintDetails printDetailsEntry()
{
    static PrintDetails entry = nullptr;
    if (entry)
        return entry;
    entry = reinterpret_cast<PrintDetails>(dlsym(RTLD_DEFAULT, kEntry));
    QString failure;
    for (const QString &file : printingLibraryFiles(QCoreApplication::applicationDirPath())) {
        if (entry)
            break;
        if (!QFileInfo(file).isFile())
            continue;
        QLibrary library(file);
        entry = reinterpret_cast<PrintDetails>(library.resolve(kEntry));
        if (!entry)
            failure = library.errorString();
    }
    if (!entry) {
        throw IoError(failure.isEmpty()
                          ? QStringLiteral("Stampa non disponibile: %1 non si trova").arg(kLibrary)
                          : QStringLiteral("Stampa non disponibile: %1").arg(failure));
    }
    return entry;
}

} // namespace

QStringList printingLibraryFiles(const QString &executableFolder)
{
    return {QDir(executableFolder).filePath(kLibrary),
            QDir::cleanPath(executableFolder + QLatin1Char('/') + QStringLiteral(ZELVORA_INSTALLED_PRINTING_DIR)
                            + QLatin1Char('/') + kLibrary)};
}

void printDetails(QWidget *parent, const QList<PrintLine> &lines)
{
    printDetailsEntry()(parent, lines);
}

} // namespace zelvora

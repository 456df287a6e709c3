#pragma once

#include <QString>

class QWidget;

namespace zelvora {

// The file dialogs of the program go through this seam: the default shows the
// toolkit's own dialog (in Italian, the same on every desktop); tests install
// one that answers at once.
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    // The file chosen to open, empty when the user cancels.
    virtual QString openFileName(QWidget *parent, const QString &caption, const QString &filters) = 0;
    // The file chosen to write and, in `filter`, the filter it was chosen
    // under; empty when the user cancels.
    virtual QString saveFileName(QWidget *parent, const QString &caption, const QString &filters, QString *filter) = 0;
};

FileDialogs &fileDialogs();
// Installs another implementation; nullptr restores the real one. The caller
// keeps ownership.
void setFileDialogs(FileDialogs *replacement);

} // namespace zelvora

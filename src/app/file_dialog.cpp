#include "file_dialog.h"

#include "seam.h"

#include <QFileDialog>

namespace zelvora {

namespace {

class RealFileDialogs : public FileDialogs
{
public:
    QString openFileName(QWidget *parent, const QString &caption, const QString &filters) override
    {
        return QFileDialog::getOpenFileName(parent, caption, QString(), filters, nullptr,
                                            QFileDialog::DontUseNativeDialog | QFileDialog::ReadOnly);
    }
    QString saveFileName(QWidget *parent, const QString &caption, const QString &filters, QString *filter) override
    {
        return QFileDialog::getSaveFileName(parent, caption, QString(), filters, filter, QFileDialog::DontUseNativeDialog);
    }
};

Seam<FileDialogs, RealFileDialogs> seam;

} // namespace

FileDialogs &fileDialogs()
{
    return seam.get();
}

void setFileDialogs(FileDialogs *replacement)
{
    seam.install(replacement);
}

} // namespace zelvora

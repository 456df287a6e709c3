#pragma once

#include "app/help_viewer.h"
#include "app/printing.h"

#include <QApplication>
#include <QDialog>
#include <QPrinter>
#include <QStringList>
#include <QTimer>
#include <functional>

namespace zelvora::test {

// A print dialog that answers at once, on a printer that writes a PDF file.
// Installed for as long as it lives.
class RecordingPrinting : public Printing
{
public:
    explicit RecordingPrinting(const QString &pdfFile) : m_printer(QPrinter::HighResolution)
    {
        m_printer.setOutputFormat(QPrinter::PdfFormat);
        m_printer.setOutputFileName(pdfFile);
        setPrinting(this);
    }
    ~RecordingPrinting() override { setPrinting(nullptr); }

    QPrinter &printer() override { return m_printer; }
    bool runPrintDialog(QPrinter &, QWidget *) override
    {
        ++dialogs;
        return answer;
    }

    bool answer = true;
    int dialogs = 0;

private:
    QPrinter m_printer;
};

// Records what the help system is asked to show.
class RecordingHelp : public HelpSystem
{
public:
    RecordingHelp() { setHelpSystem(this); }
    ~RecordingHelp() override { setHelpSystem(nullptr); }
    void showContents(const QString &helpFile) override { shown << helpFile; }
    QStringList shown;
};

// Runs `inspect` on the next modal dialog once it is open, then closes it.
inline void onNextModal(std::function<void(QDialog *)> inspect)
{
    QTimer::singleShot(0, [inspect = std::move(inspect)] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        inspect(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
}

} // namespace zelvora::test

#include "help_viewer.h"

#include "message_box.h"
#include "seam.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QStringDecoder>
#include <QTextBrowser>

namespace zelvora {

namespace {

const QString kViewerTitle = QStringLiteral("Guida di Zelvora");

// A read-only rich-text window showing the help file; one for the program,
// raised again when asked a second time.
class ViewerHelpSystem : public HelpSystem
{
public:
    void showContents(const QString &helpFile) override
    {
        QFile file(helpFile);
        if (!file.open(QIODevice::ReadOnly)) {
            showMessage(QStringLiteral("Impossibile aprire la guida\r%1").arg(QFileInfo(helpFile).absoluteFilePath()),
                        kViewerTitle, MessageIcon::Error);
            return;
        }
        if (!m_viewer) {
            m_viewer = new QTextBrowser;
            m_viewer->setAttribute(Qt::WA_DeleteOnClose);
            m_viewer->setObjectName(QStringLiteral("HelpViewer"));
            m_viewer->setWindowTitle(kViewerTitle);
            m_viewer->setOpenExternalLinks(false);
            m_viewer->resize(560, 620);
        }
        m_viewer->setSearchPaths({QFileInfo(helpFile).absolutePath()});
        m_viewer->setHtml(QStringDecoder(QStringDecoder::Utf8).decode(file.readAll()));
        m_viewer->show();
        m_viewer->raise();
        m_viewer->activateWindow();
    }

private:
    QPointer<QTextBrowser> m_viewer;
};

Seam<HelpSystem, ViewerHelpSystem> seam;

} // namespace

HelpSystem &helpSystem()
{
    return seam.get();
}

void setHelpSystem(HelpSystem *replacement)
{
    seam.install(replacement);
}

} // namespace zelvora

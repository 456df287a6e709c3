#include "message_box.h"

#include "seam.h"

#include <QMessageBox>
#include <QPushButton>

namespace zelvora {

namespace {

class RealMessageBoxes : public MessageBoxes
{
public:
    void show(const MessageRequest &request) override
    {
        QMessageBox box(request.icon == MessageIcon::Error         ? QMessageBox::Critical
                        : request.icon == MessageIcon::Warning     ? QMessageBox::Warning
                                                                   : QMessageBox::Information,
                        request.caption, QString(request.text).replace(u'\r', u'\n'));
        box.setWindowModality(Qt::ApplicationModal);
        box.addButton(QStringLiteral("&OK"), QMessageBox::AcceptRole);
        box.exec();
    }
};

Seam<MessageBoxes, RealMessageBoxes> seam;

} // namespace

void showMessage(const QString &text, const QString &caption, MessageIcon icon)
{
    seam.get().show({text, caption, icon});
}

void setMessageBoxes(MessageBoxes *boxes)
{
    seam.install(boxes);
}

} // namespace zelvora

#pragma once

#include <QString>

namespace zelvora {

enum class MessageIcon { Error, Information, Warning };

struct MessageRequest
{
    QString text;    // a carriage return breaks it into lines
    QString caption;
    MessageIcon icon = MessageIcon::Information;

    bool operator==(const MessageRequest &) const = default;
};

// Every message box of the program goes through this seam: the default shows
// a task-modal box without owner; tests install a recorder that answers at once.
class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    virtual void show(const MessageRequest &request) = 0;
};

void showMessage(const QString &text, const QString &caption, MessageIcon icon);

// Installs another implementation; nullptr restores the real message boxes.
// The caller keeps ownership.
void setMessageBoxes(MessageBoxes *boxes);

} // namespace zelvora

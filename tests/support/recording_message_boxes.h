#pragma once

#include "app/message_box.h"

#include <QList>

namespace zelvora::test {

// Records every message box the program asks for and answers at once.
// Installed for as long as it lives.
class RecordingMessageBoxes : public MessageBoxes
{
public:
    RecordingMessageBoxes() { setMessageBoxes(this); }
    ~RecordingMessageBoxes() override { setMessageBoxes(nullptr); }

    void show(const MessageRequest &request) override { requests.append(request); }

    QList<MessageRequest> requests;
};

} // namespace zelvora::test

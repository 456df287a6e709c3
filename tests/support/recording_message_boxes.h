#pragma once

#include "app/message_box.h"

#include <QList>
#include <QTest>

namespace zelvora {

// How a test that compares requests prints one it did not expect.
inline char *toString(const MessageRequest &request)
{
    static const char *const icons[] = {"error", "information", "warning"};
    return QTest::toString(QStringLiteral("%1 (%2, %3)")
                               .arg(request.text, request.caption, QLatin1String(icons[int(request.icon)])));
}

} // namespace zelvora

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

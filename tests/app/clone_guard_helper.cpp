// A small program that carries the single-instance guard, for the tests that
// start real copies: clone_guard_helper ACTION STYLE MAX
//   ACTION: none | message    STYLE: halt | app    MAX: the guard's MaxInstance
// It prints what the guard did; a counted copy prints RUNNING and keeps its
// place until its standard input closes.
#include "app/application.h"
#include "app/clone_control.h"
#include "app/message_box.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

using namespace zelvora;

namespace {
class PrintedMessages : public MessageBoxes
{
public:
    void show(const MessageRequest &request) override
    {
        std::printf("MESSAGE %s: %s\n", qPrintable(request.caption), qPrintable(request.text));
        std::fflush(stdout);
    }
};
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return 2;
    PrintedMessages messages;
    setMessageBoxes(&messages);
    Application::instance().reset();

    QObject owner;
    auto *guard = new TQuilletCloneControl(&owner);
    guard->Action = args[1] == u"message" ? clcMessage : clcNone;
    guard->TerminationStyle = args[2] == u"app" ? tsAppTerminate : tsHalt;
    guard->setMaxInstance(args[3].toInt());
    guard->Loaded();
    if (Application::instance().terminated()) {
        std::printf("TERMINATED\n");
        return 0;
    }
    std::printf("RUNNING %s\n", guard->counted() ? "counted" : "uncounted");
    std::fflush(stdout);
    QFile input;
    input.open(stdin, QIODevice::ReadOnly);
    input.readAll(); // until the test closes our standard input
    return 0;
}

// The program's own start-up, ended as soon as the main window is shown and
// the event loop idle (see quit_when_shown.h).
#include "main/startup.h"
#include "quit_when_shown.h"

namespace {
void quitWhenShown()
{
    bench::installQuitWhenShown();
}
} // namespace

Q_COREAPP_STARTUP_FUNCTION(quitWhenShown)

int main(int argc, char **argv)
{
    return zelvora::runApplication(argc, argv);
}

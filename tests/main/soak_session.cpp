// The long session by hand: `soak_session [STEPS] [SEED] [DATA FOLDER]` runs
// STEPS random steps (default 100,000) on the main window over the bundled
// data, then as many on the street window over every city, compares the
// window with the model after each, and prints for each window the steps
// done, the mismatches (at most one: the run stops there, with what is needed
// to replay it) and the resident memory at its start, after the warm-up and
// at its end. ./dev.sh soak builds and runs it. With ZELVORA_SOAK_TRACE set,
// every action and the window after it are printed.
#include "app/application.h"
#include "locality/main_window.h"
#include "streets/street_window.h"
#include "support/recording_message_boxes.h"
#include "support/session_driver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTest>
#include <cstdio>
#include <malloc.h>

using namespace zelvora;
using namespace zelvora::test;

namespace {

// Bytes the allocator has handed out and not had back, in kB: tells memory
// held by the program from pages the allocator keeps.
long long heapInUseKilobytes()
{
    return static_cast<long long>(mallinfo2().uordblks / 1024);
}

// Runs `steps` steps of `session`; false at the first mismatch.
bool run(const char *name, WindowSession &session, int steps)
{
    const int warmUp = std::min(1000, steps);
    const qint64 rssStart = residentKilobytes();
    qint64 rssWarm = rssStart;
    QElapsedTimer clock;
    clock.start();
    bool matched = true;
    for (int step = 1; step <= steps && matched; ++step) {
        matched = session.step();
        if (step == warmUp)
            rssWarm = residentKilobytes();
        if (step % 10000 == 0) {
            std::printf("  %s: step %d, VmRSS %lld kB, heap in use %lld kB\n", name, step,
                        static_cast<long long>(residentKilobytes()), heapInUseKilobytes());
            std::fflush(stdout);
        }
    }
    if (!matched)
        std::printf("%s", qPrintable(session.report()));
    std::printf("%s: steps done %d, mismatches %d, VmRSS start %lld kB, after %d steps %lld kB, end %lld kB, "
                "%.1f s\n",
                name, session.stepsDone(), matched ? 0 : 1, static_cast<long long>(rssStart), warmUp,
                static_cast<long long>(rssWarm), static_cast<long long>(residentKilobytes()),
                clock.elapsed() / 1000.0);
    std::fflush(stdout);
    return matched;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApp(argc, argv);
    const QStringList args = qtApp.arguments();
    const int steps = args.size() > 1 ? args.at(1).toInt() : 100000;
    const quint64 seed = args.size() > 2 ? args.at(2).toULongLong() : 1;
    // The main window makes the data folder the current directory.
    const QString folder = QFileInfo(args.size() > 3 ? args.at(3) : QStringLiteral(ZELVORA_DATA_FOLDER))
                               .absoluteFilePath();
    if (steps <= 0) {
        std::fprintf(stderr, "usage: soak_session [STEPS] [SEED] [DATA FOLDER]\n");
        return 2;
    }

    LocalityData data;
    if (!data.read(folder)) {
        std::fprintf(stderr, "no locality data in %s\n", qPrintable(folder));
        return 2;
    }
    RecordingMessageBoxes boxes;
    Application::instance().reset();
    TCapF window(folder);
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window) || !boxes.requests.isEmpty()) {
        std::fprintf(stderr, "the main window did not open on %s\n", qPrintable(folder));
        return 2;
    }
    std::printf("soak: %d steps per window, seed %llu, data %s (%lld localities)\n", steps,
                static_cast<unsigned long long>(seed), qPrintable(folder),
                static_cast<long long>(data.localities.size()));
    LocalitySession localities(window, data, seed);
    bool matched = run("main window", localities, steps);

    // The street window in the main window's place, over every city.
    if (matched) {
        TZone zone(window.settings(), &window);
        window.hide();
        zone.show();
        zone.activateWindow();
        if (!QTest::qWaitFor([&] { return QApplication::activeWindow() == &zone; })) {
            std::fprintf(stderr, "the street window did not open\n");
            return 2;
        }
        QList<int> cities;
        for (int row = 0; row < int(cityTable.size()); ++row)
            cities << row;
        StreetSession streets(zone, folder + "/zone", cities, seed);
        if (!streets.started()) {
            std::fprintf(stderr, "no street data in %s/zone\n", qPrintable(folder));
            return 2;
        }
        matched = streets.check() && run("street window", streets, steps);
        if (!matched && streets.stepsDone() == 0)
            std::printf("%s", qPrintable(streets.report()));
    }
    if (!boxes.requests.isEmpty()) {
        std::printf("message boxes shown: %lld\n", static_cast<long long>(boxes.requests.size()));
        return 1;
    }
    return matched ? 0 : 1;
}

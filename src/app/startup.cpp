#include "startup.h"

#include "application.h"
#include "data_location.h"
#include "fonts.h"
#include "locality/main_window.h"
#include "shared_state.h"

#include <QApplication>

namespace zelvora {

int runApplication(int argc, char **argv)
{
    QApplication qtApp(argc, argv);
    // The data files lie next to the executable, or in the installed data folder.
    resetSharedState(findDataFolder(QCoreApplication::applicationDirPath()));

    Application &app = Application::instance();
    app.reset();
    app.setTitle(QStringLiteral("Zelvora"));
    app.setHelpFile(QStringLiteral("TARNEL.HLP"));
    app.setGuardsInstances(true);
    QGuiApplication::setApplicationDisplayName(app.title());
    installFontSubstitutes();
    QApplication::setFont(windowFont(11));

    int result = 0;
    {
        TCapF mainWindow;
        if (!app.terminated()) {
            mainWindow.show();
            result = qtApp.exec();
        }
    }
    SharedState &state = shared();
    state.searchMode.clear();
    state.searchPrefix.clear();
    state.lastSearchText.clear();
    return result;
}

} // namespace zelvora

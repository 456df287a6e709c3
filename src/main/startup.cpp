#include "startup.h"

#include "app/application.h"
#include "app/data_location.h"
#include "app/shared_state.h"
#include "locality/main_window.h"
#include "locality/search_state.h"

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
    setUpToolkit();

    int result = 0;
    {
        TCapF mainWindow;
        // The street directory is opened from the main window's menu, and
        // the main window knows it only through the factory handed over here
        // (TCapF::streetWindowFactory). Until the street window is part of the
        // program, the menu item checks the street folder and goes no further.
        if (!app.terminated()) {
            mainWindow.show();
            result = qtApp.exec();
        }
    }
    LocalitySearchState &state = searchState();
    state.searchMode.clear();
    state.searchPrefix.clear();
    state.lastSearchText.clear();
    return result;
}

} // namespace zelvora

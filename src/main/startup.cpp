#include "startup.h"

#include "app/application.h"
#include "common/data_location.h"
#include "app/shared_state.h"
#include "locality/main_window.h"
#include "locality/search_state.h"
#include "streets/street_window.h"

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
        // The street directory is opened from the main window's menu; the
        // main window knows it only through this factory.
        mainWindow.streetWindowFactory = [](QWidget *owner) { return std::make_unique<TZone>(owner); };
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

#include "startup.h"

#include "app/application.h"
#include "common/data_location.h"
#include "lists/list_window.h"
#include "locality/main_window.h"
#include "main/list_details.h"
#include "streets/street_window.h"

#include <QApplication>

namespace zelvora {

int runApplication(int argc, char **argv)
{
    QApplication qtApp(argc, argv);
    Application &app = Application::instance();
    app.reset();
    app.setTitle(QStringLiteral("Zelvora"));
    app.setGuardsInstances(true);
    setUpToolkit();

    int result = 0;
    {
        // The data files lie next to the executable, or in the installed data folder.
        TCapF mainWindow(findDataFolder(QCoreApplication::applicationDirPath()));
        // The street directory is opened from the main window's menu; the
        // main window knows it only through this factory, which hands the
        // street window the settings the main window keeps.
        mainWindow.streetWindowFactory = [&mainWindow](QWidget *owner) {
            return std::make_unique<TZone>(mainWindow.settings(), owner);
        };
        mainWindow.listWindowFactory = [&mainWindow](QWidget *owner) { return makeListWindow(mainWindow, owner); };
        if (!app.terminated()) {
            mainWindow.show();
            result = qtApp.exec();
        }
    }
    return result;
}

} // namespace zelvora

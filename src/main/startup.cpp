#include "startup.h"

#include "app/application.h"
#include "common/data_location.h"
#include "main/program_windows.h"

#include <QApplication>
#include <QWidget>

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
        const std::unique_ptr<QWidget> mainWindow = makeMainWindow(findDataFolder(QCoreApplication::applicationDirPath()));
        if (!app.terminated()) {
            mainWindow->show();
            result = qtApp.exec();
        }
    }
    return result;
}

} // namespace zelvora

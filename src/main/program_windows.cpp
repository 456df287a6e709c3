#include "program_windows.h"

#include "locality/main_window.h"
#include "main/list_details.h"
#include "streets/street_window.h"

namespace zelvora {

std::unique_ptr<QWidget> makeMainWindow(const QString &dataFolder)
{
    auto window = std::make_unique<TCapF>(dataFolder);
    // The main window knows the street window only through this factory,
    // which hands it the settings the main window keeps.
    TCapF *main = window.get();
    main->streetWindowFactory = [main](QWidget *owner) { return std::make_unique<TZone>(main->settings(), owner); };
    main->listWindowFactory = [main](QWidget *owner) { return makeListWindow(*main, owner); };
    return window;
}

ListReading mainWindowReading(QWidget &mainWindow)
{
    TCapF &main = static_cast<TCapF &>(mainWindow);
    const LocalitySearchState &state = main.state();
    return {main.localities().isOpen(), main.search().readPosition(), state.recordCount,
            LocalitySearchState::rowsPerPage, state.mode};
}

ListReading streetWindowReading(QWidget &streetWindow)
{
    StreetFiles &files = static_cast<TZone &>(streetWindow).files();
    return {files.isOpen(), files.position(), files.streetCount(), TZone::streetRowsPerPage};
}

} // namespace zelvora

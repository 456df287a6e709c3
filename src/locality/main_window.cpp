#include "main_window.h"

#include "app/application.h"
#include "app/error_report.h"
#include "app/message_box.h"
#include "app/shared_state.h"
#include "app/toolkit/string_grid.h"
#include "locality/locality_files.h"

#include <QDir>
#include <QFileInfo>

namespace zelvora {

namespace {
// Designed sizes of the results grid at 96 pixels per inch.
constexpr int kColumnWidths[] = {264, 23, 52};
constexpr int kRowHeight = 17;
} // namespace

TCapF::TCapF(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("CapF"));
    setWindowTitle(QStringLiteral("Zelvora"));
    auto *client = new QWidget(this);
    setCentralWidget(client);

    StringGrid1 = new StringGrid(client);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setColCount(3);

    FormCreate();
}

TCapF::~TCapF()
{
    FormDestroy();
}

void TCapF::FormCreate()
{
    Application &app = Application::instance();
    app.setHelpFile(QStringLiteral("tarnel.hlp"));
    SharedState &state = shared();
    QDir::setCurrent(state.dataFolder);
    state.lists = std::make_unique<SharedLists>();

    state.pixelsPerInch = logicalDpiY();
    for (int column = 0; column < 3; ++column)
        StringGrid1->setColWidth(column, scaleByPixelsPerInch(kColumnWidths[column], state.pixelsPerInch));
    StringGrid1->setDefaultRowHeight(scaleByPixelsPerInch(kRowHeight, state.pixelsPerInch));

    if (!QFileInfo::exists(localityfiles::kLocalities)) {
        showMessage(QStringLiteral("Il database delle località\r(localita.loc)\rè mancante!\r"
                                   "Applicazione non eseguibile."),
                    app.title(), MessageIcon::Error);
        app.terminate();
        return;
    }
    if (!m_localities.open(localityfiles::kLocalities, LocalityRecord::kSize)) {
        // The file is there but cannot be read: nothing can be looked up.
        reportError(QStringLiteral("Impossibile aprire il database delle località (%1)")
                        .arg(localityfiles::kLocalities));
        app.terminate();
        return;
    }
    loadProvinces();
}

void TCapF::loadProvinces()
{
    SharedState &state = shared();
    if (!QFileInfo::exists(localityfiles::kProvinces)) {
        state.provincesLoaded = false;
        showMessage(QStringLiteral("Il database delle Provincie (cap.pv) è mancante!\r"
                                   "L'applicazione può essere comunque eseguita."),
                    Application::instance().title(), MessageIcon::Information);
        return;
    }
    state.provincesLoaded = true;
    guarded([&] {
        RecordFile provinces;
        if (!provinces.open(localityfiles::kProvinces, ProvinceRecord::kSize))
            throw IoError(QStringLiteral("Impossibile aprire %1").arg(localityfiles::kProvinces));
        loadProvinceTable(provinces, state.lists->provinceCodes, state.lists->provinceNames);
    });
}

void TCapF::FormDestroy()
{
    shared().lists.reset();
}

} // namespace zelvora

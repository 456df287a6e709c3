#include "main_window.h"

#include "app/about_box.h"
#include "app/application.h"
#include "app/clone_control.h"
#include "app/error_report.h"
#include "app/fonts.h"
#include "app/help_viewer.h"
#include "app/pictures.h"
#include "app/message_box.h"
#include "app/toolkit/edit.h"
#include "app/toolkit/panel.h"
#include "app/toolkit/string_grid.h"
#include "common/io_error.h"
#include "locality/details_dialog.h"
#include "common/locality_files.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPointer>
#include <QScopeGuard>
#include <QShowEvent>

namespace zelvora {

namespace {
// Designed sizes of the results grid at 96 pixels per inch.
constexpr int kColumnWidths[] = {264, 23, 52};
constexpr int kRowHeight = 17;

} // namespace

TCapF::TCapF(const QString &dataFolder, QWidget *parent) : QMainWindow(parent)
{
    // Made absolute: the data folder becomes the current folder at start-up,
    // after which a relative path would name another folder.
    m_settings.dataFolder = QDir(dataFolder).absolutePath();
    setObjectName(QStringLiteral("CapF"));
    setWindowTitle(QStringLiteral("Zelvora"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    buildLayout();
    buildMenu();

    // A second copy of the program ends here, silently, before any window of
    // it is shown.
    auto *clones = new TQuilletCloneControl(this);
    clones->Action = clcNone;
    clones->TerminationStyle = tsHalt;
    clones->setMaxInstance(1);
    if (Application::instance().guardsInstances())
        clones->Loaded();

    m_search = std::make_unique<LocalitySearch>(LocalitySearch::Controls{Label2, this, m_settings.dataFolder});
    m_search->attach(*m_pane);
    aboutBoxFactory = [](QWidget *owner) { return std::make_unique<TAboutBox>(owner); };
    m_pane->onOpen = [this] { StringGrid1DblClick(); };

    connectGuarded(Cerca, &Edit::changed, this, &TCapF::CercaChange);
    connectGuarded(Cerca, &Edit::keyDown, this, &TCapF::CercaKeyDown);

    FormCreate();
}

TCapF::~TCapF()
{
    // The controls outlive the search and the list while the window is taken
    // apart: they must not call back into them.
    Cerca->disconnect(this);
    m_pane.reset();
    FormDestroy();
}

void TCapF::buildLayout()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setAccessibleName(QStringLiteral("Zelvora"));
    client->setFixedSize(364, 358);
    client->setAutoFillBackground(true);
    colour(client, QPalette::Window, kSilver);
    client->setFont(windowFont(11));
    setCentralWidget(client);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setWindowIcon(programIcon());

    auto *searchPanel = place(new Panel(client), "Panel2", 0, 0, 364, 145);
    searchPanel->setBevels(Panel::Bevel::Raised, Panel::Bevel::Lowered, 2, 3);
    searchPanel->setAccessibleName(QStringLiteral("Ricerca"));
    searchPanel->setAutoFillBackground(true);
    colour(searchPanel, QPalette::Window, palette().color(QPalette::Button));
    QLabel *emblem = place(new QLabel(searchPanel), "Image3", 50, 29, 55, 52);
    emblem->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    emblem->setPixmap(picture(QStringLiteral(":/zelvora/emblem.rgba"), QSize(48, 48)));
    emblem->setAccessibleName(QStringLiteral("Emblema C.A.P."));
    QLabel *title = place(new QLabel(searchPanel), "Image4", 186, 24, 127, 57);
    title->setPixmap(picture(QStringLiteral(":/zelvora/title.rgba"), QSize(127, 57)));
    title->setAccessibleName(QStringLiteral("Zelvora"));
    Label2 = place(new QLabel(QStringLiteral("Località"), searchPanel), "Label2", 16, 100, 49, 13);
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label2->setFont(windowFont(12));
    m_pane = std::make_unique<SearchPane>(SearchPane::Layout{
        "Cerca", QRect(77, 98, 260, 21), searchModeInfo(SearchMode::Locality).maxLength,
        QStringLiteral("Immetti la Località anche parziale da ricercare"), QStringLiteral("Località"),
        "Label1", QStringLiteral("Note:"), QRect(10, 9, 30, 13), "Edit1", QRect(40, 9, 312, 13),
        {{"Panel3", QStringLiteral("LOCALITA'"), 7, 265},
         {"Panel4", QStringLiteral("PV"), 272, 24},
         {"Panel5", QStringLiteral("C.A.P."), 296, 44}},
        "StringGrid1", QRect(7, 42, 348, 143), LocalitySearchState::rowsPerPage, QStringLiteral("Località trovate"),
        "ScrollBar1", QRect(340, 24, 17, 161), QStringLiteral("Scorri le località")});
    Cerca = m_pane->buildField(searchPanel);
    Label2->setBuddy(Cerca);

    auto *resultsPanel = place(new Panel(client), "Panel1", 0, 145, 364, 193);
    resultsPanel->setBevels(Panel::Bevel::Raised, Panel::Bevel::Lowered, 2, 3);
    resultsPanel->setAccessibleName(QStringLiteral("Risultati"));
    m_pane->buildList(resultsPanel);
    StringGrid1 = m_pane->grid();

    auto *statusPanel = place(new Panel(client), "CapHint", 0, 338, 364, 20);
    statusPanel->setBevels(Panel::Bevel::Raised, Panel::Bevel::Lowered);
    statusPanel->setAlignment(Qt::AlignCenter);
    statusPanel->setFont(windowFont(12));
    colour(statusPanel, QPalette::WindowText, kNavy);
    m_status = std::make_unique<StatusLine>(this, statusPanel);

    setTabOrder(Cerca, StringGrid1);
}

void TCapF::buildMenu()
{
    auto action = [this](QMenu *menu, const char *name, const QString &caption) {
        QAction *item = menu->addAction(caption);
        item->setObjectName(QString::fromLatin1(name));
        return item;
    };
    auto menu = [this](const char *name, const QString &caption) {
        QMenu *item = menuBar()->addMenu(caption);
        item->setObjectName(QString::fromLatin1(name));
        item->setAccessibleName(QString(caption).remove(u'&'));
        return item;
    };
    QMenu *file = menu("File1", QStringLiteral("&File"));
    QAction *streets = action(file, "Stradari1", QStringLiteral("&Zone Postali"));
    file->addSeparator()->setObjectName(QStringLiteral("N1"));
    QAction *quit = action(file, "Esci1", QStringLiteral("&Esci"));
    file->addSeparator()->setObjectName(QStringLiteral("N3"));
    QAction *listCheck = action(file, "VerificaElenco1", QStringLiteral("Verifica &elenco..."));
    QMenu *search = menu("Ricerca1", QStringLiteral("&Ricerca"));
    QAction *byLocality = action(search, "perLocalit1", QStringLiteral("per &Località"));
    QAction *byCap = action(search, "perCAP1", QStringLiteral("per &C.A.P."));
    QAction *byProvince = action(search, "perProvincia1", QStringLiteral("per &Provincia"));
    QMenu *help = menu("Guida1", QStringLiteral("&Guida"));
    QAction *about = action(help, "InformazionesuZelvora1", QStringLiteral("&Info"));
    help->addSeparator()->setObjectName(QStringLiteral("N2"));
    QAction *contents = action(help, "Aiuto2", QStringLiteral("&Aiuto"));
    contents->setShortcut(Qt::Key_F1);
    contents->setShortcutContext(Qt::WindowShortcut);

    connectGuarded(quit, &QAction::triggered, this, &TCapF::Esci1Click);
    connectGuarded(streets, &QAction::triggered, this, &TCapF::Stradari1Click);
    connectGuarded(listCheck, &QAction::triggered, this, &TCapF::VerificaElenco1Click);
    connectGuarded(about, &QAction::triggered, this, &TCapF::InformazionesuZelvora1Click);
    connectGuarded(contents, &QAction::triggered, this, &TCapF::Aiuto2Click);
    connectGuarded(byLocality, &QAction::triggered, this, &TCapF::perLocalit1Click);
    connectGuarded(byCap, &QAction::triggered, this, &TCapF::perCAP1Click);
    connectGuarded(byProvince, &QAction::triggered, this, &TCapF::perProvincia1Click);
}

void TCapF::FormCreate()
{
    Application &app = Application::instance();
    app.setHelpFile(QStringLiteral("tarnel.hlp"));
    // The data folder is the current folder, as the help file's name and any
    // file named without a folder expect; the windows still open their data
    // files by full path, so nothing depends on it staying so.
    QDir::setCurrent(m_settings.dataFolder);

    m_settings.pixelsPerInch = logicalDpiY();
    for (int column = 0; column < 3; ++column)
        StringGrid1->setColWidth(column, scaleByPixelsPerInch(kColumnWidths[column], m_settings.pixelsPerInch));
    StringGrid1->setDefaultRowHeight(scaleByPixelsPerInch(kRowHeight, m_settings.pixelsPerInch));

    // A folder in a data file's place counts as a missing file.
    if (!QFileInfo(dataFile(localityfiles::kLocalities)).isFile()) {
        showMessage(QStringLiteral("Il database delle località\r(localita.loc)\rè mancante!\r"
                                   "Applicazione non eseguibile."),
                    app.title(), MessageIcon::Error);
        app.terminate();
        return;
    }
    if (!m_search->openDatabase()) {
        // The file is there but cannot be read: nothing can be looked up.
        reportError(QStringLiteral("Impossibile aprire il database delle località (%1)")
                        .arg(localityfiles::kLocalities));
        app.terminate();
        return;
    }
    loadProvinces();
    guarded([&] { perLocalit1Click(); });
}

QString TCapF::dataFile(const QString &name) const
{
    return QDir(m_settings.dataFolder).filePath(name);
}

void TCapF::loadProvinces()
{
    if (!QFileInfo(dataFile(localityfiles::kProvinces)).isFile()) {
        m_provinces.provincesLoaded = false;
        showMessage(QStringLiteral("Il database delle Provincie (cap.pv) è mancante!\r"
                                   "L'applicazione può essere comunque eseguita."),
                    Application::instance().title(), MessageIcon::Information);
        return;
    }
    m_provinces.provincesLoaded = true;
    guarded([&] {
        const std::optional<QByteArray> file = folderReader(m_settings.dataFolder)(localityfiles::kProvinces);
        if (!file)
            throw IoError(QStringLiteral("Impossibile aprire %1").arg(localityfiles::kProvinces));
        m_provinces = ProvinceTable::fromBytes(*file);
    });
}

void TCapF::FormDestroy()
{
    // The rows, the search state and the province table go with the window.
}

void TCapF::perLocalit1Click()
{
    m_search->switchMode(SearchMode::Locality);
}

void TCapF::perCAP1Click()
{
    m_search->switchMode(SearchMode::Cap);
}

void TCapF::perProvincia1Click()
{
    m_search->switchMode(SearchMode::Province);
}

void TCapF::CercaChange()
{
    m_search->CercaChange();
}

void TCapF::CercaKeyDown(int key)
{
    m_pane->keyDown(key);
}

void TCapF::StringGrid1DblClick()
{
    const int row = StringGrid1->row();
    state().lastRow = row;
    // The dialog shows exactly what the row holds: no file is read.
    auto details = std::make_unique<TDettagli>(m_provinces, this);
    details->fill(m_search->page().row(row).record());
    details->exec();
}

void TCapF::AppOnActivate()
{
    m_pane->list().appOnActivate();
}

void TCapF::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // A window restored from its minimised state is shown again by the
    // window system: it was visible all along, and keeps its focus, its
    // highlighted row and its note line.
    if (event->spontaneous())
        return;
    if (!m_placed) {
        centreOnScreen(this);
        m_placed = true;
    }
    FormShow();
}

void TCapF::closeEvent(QCloseEvent *event)
{
    QMainWindow::closeEvent(event);
    // Closing the main window ends the program, whatever other windows are
    // open: the help viewer, a window of its own, would otherwise keep it
    // running with no main window, and the single-instance guard would go on
    // counting it.
    if (event->isAccepted())
        Application::instance().terminate();
}

void TCapF::FormShow()
{
    Application &app = Application::instance();
    // The handlers may outlive the window in a pending notification.
    app.setOnActivate([window = QPointer<TCapF>(this)] {
        if (window)
            window->AppOnActivate();
    });
    m_status->install();
    Cerca->setFocus();
}

void TCapF::DisplayHint()
{
    m_status->DisplayHint();
}

void TCapF::Esci1Click()
{
    Application::instance().terminate();
}

void TCapF::Aiuto2Click()
{
    helpSystem().showContents(dataFile(Application::instance().helpFile()));
}

void TCapF::Stradari1Click()
{
    const QString folder = QDir::toNativeSeparators(QDir(m_settings.dataFolder).filePath(QStringLiteral("zone")));
    if (!QFileInfo(folder).isDir()) {
        showMessage(QStringLiteral("La directory ") + folder + QStringLiteral("\rnon esiste !"),
                    Application::instance().title(), MessageIcon::Error);
        return;
    }
    if (!streetWindowFactory)
        return;
    // The street window takes the main window's place while it is open; the
    // main window comes back however the street window ends.
    std::unique_ptr<QDialog> streets = streetWindowFactory(this);
    const auto restore = qScopeGuard([&] {
        streets.reset();
        m_pane->noteLabel()->hide();
        show();
    });
    hide();
    streets->exec();
}

void TCapF::VerificaElenco1Click()
{
    if (!listWindowFactory)
        return;
    std::unique_ptr<QDialog> list = listWindowFactory(this);
    const auto restore = qScopeGuard([&] {
        list.reset();
        m_status->install();
    });
    list->exec();
}

void TCapF::InformazionesuZelvora1Click()
{
    state().lastRow = StringGrid1->row();
    const bool gridHadFocus = StringGrid1->hasFocus();
    if (!aboutBoxFactory)
        return;
    std::unique_ptr<QDialog> about = aboutBoxFactory(this);
    const auto restore = qScopeGuard([&] {
        m_status->install();
        about.reset();
        if (gridHadFocus)
            m_pane->list().enter();
    });
    about->exec();
}

} // namespace zelvora

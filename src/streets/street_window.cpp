#include "street_window.h"

#include "app/application.h"
#include "app/error_report.h"
#include "app/fonts.h"
#include "app/message_box.h"
#include "app/pictures.h"
#include "app/toolkit/edit.h"
#include "app/toolkit/panel.h"
#include "app/toolkit/string_grid.h"
#include "common/house_evidence.h"
#include "streets/street_details.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyle>
#include <QStyledItemDelegate>

namespace zelvora {

QString cityFilesMessage(const CityFiles &city)
{
    switch (city.outcome) {
    case CityOutcome::NotOpened:
        return QStringLiteral("Il file %1\ro il file %2\rè mancante !").arg(city.streets, city.index);
    case CityOutcome::OpenedWithoutNotes:
        return QStringLiteral("Il file %1\rè mancante !\rNon verranno visualizzati i numeri civici e le note.")
            .arg(city.notes);
    case CityOutcome::Opened:
        break;
    }
    return {};
}

namespace {
// Caption of every message of the street window.
const QString kCaption = QStringLiteral("Ricerca Vie e/o Piazze");

// Every range or house number at which a code of street `record` was seen.
// A city without evidence, or with a damaged file, gives none: the details
// then show the street as its row holds it.
QList<NumberCode> numberCodes(const QString &path, int streetCount, int record)
{
    QList<NumberCode> codes;
    HouseEvidence evidence;
    if (record < 0 || path.isEmpty() || !evidence.open(path, streetCount))
        return codes;
    for (const HouseEvidenceEntry &entry : evidence.entries(record))
        codes.append({entry.numbersText(), entry.cap});
    return codes;
}

// Designed sizes at 96 pixels per inch.
constexpr int kColumnWidths[] = {242, 178};
constexpr int kRowHeight = 17;
constexpr int kItemHeight = 14;
// Tops of the city list and its label, without a city and with one.
constexpr int kComboTop = 48;
constexpr int kLabelTop = 51;
constexpr int kComboTopWithCity = 20;
constexpr int kLabelTopWithCity = 23;

// The items of the city list at a fixed height.
class FixedHeightItems : public QStyledItemDelegate
{
public:
    FixedHeightItems(int height, QObject *parent) : QStyledItemDelegate(parent), m_height(height) {}
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), m_height};
    }

private:
    int m_height;
};

// A panel with the raised outer and lowered inner bevel, a border of 3
// between them.
QFrame *panel(QWidget *parent, const char *name, int left, int top, int width, int height, int bevelWidth)
{
    auto *frame = place(new Panel(parent), name, left, top, width, height);
    frame->setBevels(Panel::Bevel::Raised, Panel::Bevel::Lowered, bevelWidth, 3);
    return frame;
}

// A label as wide as its caption at least, so that no caption is cut off
// where the installed font runs wider than the designed one.
QLabel *fitCaption(QLabel *label)
{
    label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
    return label;
}
} // namespace

TZone::TZone(const SharedSettings &settings, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_settings(settings),
      m_source(std::make_unique<StreetListSource>())
{
    setObjectName(QStringLiteral("Zone"));
    setWindowTitle(QStringLiteral("Ricerca Vie o Piazze"));
    setWindowIcon(programIcon());
    buildLayout();

    m_pane->attach(*m_source, PagingState{m_readCounter, m_streetCount, streetLastRow, streetRowsPerPage});
    m_pane->onOpen = [this] { StringGrid2DblClick(); };
    m_pane->onSearchStarted = [this] {
        StringGrid2->show();
        m_pane->scrollBar()->show();
    };

    connectGuarded(ComboBox1, &QComboBox::activated, this, &TZone::ComboBox1Change);
    connectGuarded(CercaZona, &Edit::changed, this, &TZone::CercaZonaChange);
    connectGuarded(CercaZona, &Edit::keyDown, this, &TZone::CercaZonaKeyDown);

    FormCreate();
}

TZone::~TZone()
{
    // The controls outlive the list and the search while the window is taken
    // apart: they must not call back into them.
    CercaZona->disconnect(this);
    ComboBox1->disconnect(this);
    m_pane.reset();
    FormDestroy();
}

void TZone::buildLayout()
{
    setFixedSize(443, 310);
    setFont(windowFont(11, true));
    const QFont regular = windowFont(12);

    QFrame *top = panel(this, "Panel1", 0, 0, 443, 113, 2);
    top->setAccessibleName(QStringLiteral("Città e ricerca"));
    const QList<QWidget *> genericCap = buildCityChoice(top);
    QLabel *searchLabel = place(new QLabel(QStringLiteral("Cerca"), top), "Label1", 24, 77, 34, 17);
    searchLabel->setFont(regular);
    fitCaption(searchLabel);
    m_pane = std::make_unique<SearchPane>(SearchPane::Layout{
        "CercaZona", QRect(64, 74, 265, 21), StreetRecord::kStreet.capacity,
        QStringLiteral("Immetti la via o piazza, anche parziale, da ricercare"), QStringLiteral("Cerca via o piazza"),
        "Label3", QStringLiteral("Note :"), QRect(8, 8, 32, 13), "Edit1", QRect(40, 8, 393, 12),
        {{"Panel4", QStringLiteral("VIA / PIAZZA"), 7, 243}, {"Panel5", QStringLiteral("DENOM. URBANISTICA"), 250, 169}},
        "StringGrid2", QRect(7, 42, 428, 125), streetRowsPerPage, QStringLiteral("Vie e piazze"),
        "ScrollBar2", QRect(419, 24, 17, 143), QStringLiteral("Scorri le vie")});
    CercaZona = m_pane->buildField(top);
    searchLabel->setBuddy(CercaZona);
    buildExitButton(top);

    QFrame *results = panel(this, "Panel2", 0, 113, 443, 175, 2);
    results->setAccessibleName(QStringLiteral("Vie trovate"));
    m_pane->buildList(results);
    fitCaption(m_pane->noteLabel());
    m_pane->noteEdit()->setAccessibleDescription(QStringLiteral("Numeri civici e note della via selezionata"));
    for (QLabel *title : m_pane->titles())
        title->setFont(font());
    StringGrid2 = m_pane->grid();
    StringGrid2->setFont(regular);

    auto *statusPanel = place(new Panel(this), "ZoneHint", 0, 288, 443, 22);
    statusPanel->setBevels(Panel::Bevel::Raised, Panel::Bevel::Lowered);
    statusPanel->setAlignment(Qt::AlignCenter);
    statusPanel->setFont(regular);
    colour(statusPanel, QPalette::WindowText, kNavy);
    m_status = std::make_unique<StatusLine>(this, statusPanel);
    m_cityControls = genericCap + QList<QWidget *>{CercaZona, searchLabel, results};

    // Without a city only the picture, the city list, "&Esci" and the status
    // line are there.
    showCityControls(false);
    setTabOrder(CercaZona, StringGrid2);
}

// The picture, the city list and the city's generic code, in the top
// panel; gives the generic code's label and field, shown only with a city.
QList<QWidget *> TZone::buildCityChoice(QFrame *top)
{
    const QFont regular = windowFont(12);
    const QFont bold = windowFont(12, true);
    QLabel *picturePlace = place(new QLabel(top), "Image1", 34, 18, 49, 49);
    picturePlace->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picturePlace->setPixmap(picture(QStringLiteral(":/streets/street.rgba"), QSize(49, 49)));
    picturePlace->setAccessibleName(QStringLiteral("Stradario"));
    Label2 = place(new QLabel(QStringLiteral("Città"), top), "Label2", 128, kLabelTop, 33, 13);
    Label2->setFont(regular);
    fitCaption(Label2);
    ComboBox1 = place(new QComboBox(top), "ComboBox1", 176, kComboTop, 153, 20);
    ComboBox1->setEditable(false);
    ComboBox1->setFont(bold);
    ComboBox1->setFocusPolicy(Qt::ClickFocus);
    ComboBox1->setMaxVisibleItems(static_cast<int>(cityTable.size()));
    colour(ComboBox1, QPalette::Base, kCyan);
    colour(ComboBox1, QPalette::Button, kCyan);
    colour(ComboBox1, QPalette::Text, Qt::black);
    colour(ComboBox1, QPalette::ButtonText, Qt::black);
    setHint(ComboBox1, QStringLiteral("Seleziona la città di cui vuoi lo stradario"));
    ComboBox1->setAccessibleName(QStringLiteral("Città"));
    Label2->setBuddy(ComboBox1);
    QLabel *genericCapLabel = place(new QLabel(QStringLiteral("C.A.P. Generico"), top), "LCapGen", 128, 50, 76, 13);
    genericCapLabel->setFont(regular);
    fitCaption(genericCapLabel);
    ECapGen = place(new Edit(top), "ECapGen", 240, 47, 89, 20);
    ECapGen->setReadOnly(true);
    ECapGen->setFocusPolicy(Qt::ClickFocus);
    colour(ECapGen, QPalette::Base, kCyan);
    colour(ECapGen, QPalette::Text, Qt::black);
    ECapGen->setAccessibleName(QStringLiteral("C.A.P. Generico"));
    ECapGen->setAccessibleDescription(QStringLiteral("Il C.A.P. generico della città scelta"));
    genericCapLabel->setBuddy(ECapGen);
    return {genericCapLabel, ECapGen};
}

void TZone::buildExitButton(QFrame *top)
{
    const QFont regular = windowFont(12);
    QFrame *exitPanel = panel(top, "Panel3", 345, 47, 79, 49, 1);
    exitPanel->setAccessibleName(QStringLiteral("Uscita"));
    auto *exit = place(new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("&Esci"),
                                       exitPanel),
                       "BitBtn1", 5, 5, 69, 39);
    exit->setFont(regular);
    exit->setFocusPolicy(Qt::ClickFocus);
    exit->setAutoDefault(false);
    setHint(exit, QStringLiteral("Ritorna a Zelvora"));
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
}

int TZone::scaled(int size) const
{
    return scaleByPixelsPerInch(size, m_settings.pixelsPerInch);
}

void TZone::FormCreate()
{
    Application::instance().setOnActivate([window = QPointer<TZone>(this)] {
        if (window)
            window->ApplicationActivate();
    });
    for (int column = 0; column < 2; ++column)
        StringGrid2->setColWidth(column, scaled(kColumnWidths[column]));
    StringGrid2->setDefaultRowHeight(scaled(kRowHeight));
    ComboBox1->view()->setItemDelegate(new FixedHeightItems(scaled(kItemHeight), ComboBox1));
}

void TZone::FormDestroy()
{
    streetLastRow = 0;
}

void TZone::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Restored from its minimised state by the window system, the window
    // keeps its city, search and focus.
    if (event->spontaneous())
        return;
    // Centred on the screen, wherever the main window stands.
    centreOnScreen(this);
    FormShow();
}

void TZone::FormShow()
{
    m_status->install();
    ComboBox1->clear();
    for (const City &city : cityTable)
        ComboBox1->addItem(city.displayName.toString());
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->move(ComboBox1->x(), scaled(kComboTop));
    Label2->move(Label2->x(), scaled(kLabelTop));
    // The city list is the only control to start from.
    ComboBox1->setFocus();
}

void TZone::keyPressEvent(QKeyEvent *event)
{
    // Esc belongs to the search field and the grid: the window itself closes
    // only with "&Esci".
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TZone::showCityControls(bool withCity)
{
    ComboBox1->move(ComboBox1->x(), scaled(withCity ? kComboTopWithCity : kComboTop));
    Label2->move(Label2->x(), scaled(withCity ? kLabelTopWithCity : kLabelTop));
    for (QWidget *control : m_cityControls)
        control->setVisible(withCity);
}

void TZone::ComboBox1Change()
{
    streetLastRow = 0;
    files().close();
    m_evidenceFile.clear();
    const int row = ComboBox1->currentIndex();
    if (ComboBox1->currentText().isEmpty() || row < 0 || row >= static_cast<int>(cityTable.size()))
        return;
    ECapGen->setText(cityTable[row].genericCap.toString());

    const CityFiles city = findCityFiles(m_settings.dataFolder, row);
    if (const QString message = cityFilesMessage(city); !message.isEmpty())
        showMessage(message, kCaption, MessageIcon::Error);
    // A city that cannot be read leaves the window without a city, as a
    // missing one does; the error then goes on to the error report.
    auto withoutCity = qScopeGuard([this] {
        showCityControls(false);
        CercaZona->setText(QString());
    });
    files().open(city);
    if (!files().isOpen())
        return;

    m_streetCount = files().streetCount();
    m_evidenceFile = city.evidence;
    m_pane->list().showFirstPage(false);
    m_pane->scrollBar()->setMaximum(m_streetCount);
    m_pane->scrollBar()->setPosition(0);
    withoutCity.dismiss();
    showCityControls(true);
    CercaZona->setText(QString());
    CercaZona->setFocus();
}

void TZone::CercaZonaChange()
{
    m_pane->search(files());
}

void TZone::CercaZonaKeyDown(int key)
{
    m_pane->keyDown(key);
}

void TZone::DisplayHint()
{
    m_status->DisplayHint();
}

void TZone::ApplicationActivate()
{
    m_pane->list().appOnActivate();
}

void TZone::StringGrid2DblClick()
{
    const int row = StringGrid2->row();
    streetLastRow = row;
    const StreetRow held = m_source->page().row(row);
    // The dialog shows what the row holds and, for a street with several
    // codes, where each was seen: the city's evidence is read only now.
    auto details = std::make_unique<TDettagliZone>(this);
    const auto reselect = qScopeGuard([&] {
        details.reset();
        m_pane->list().enter();
    });
    details->fill(ComboBox1->currentText(), held.street, held.streetNotes);
    details->showNumberCodes(numberCodes(m_evidenceFile, m_streetCount, held.record));
    details->exec();
}

} // namespace zelvora

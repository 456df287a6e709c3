#include "about_box.h"

#include "app/application.h"
#include "app/error_report.h"
#include "app/fonts.h"
#include "app/pictures.h"
#include "app/toolkit/panel.h"
#include "app/window_helpers.h"

#include <QEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>

namespace zelvora {

namespace {
// The credits page's own lines: the data the program is built on and who
// makes it. A build may give its own contact lines.
constexpr char kRightsNotice[] = "Dati: ISTAT, GeoNames, ANNCSU";
constexpr char kAuthor[] = "Progetto Zelvora";
constexpr char kTown[] = "e i suoi contributori";
// The contact lines are the ones the build was configured with; without
// them the lines point to the help rather than to an address that no one
// reads.
#ifdef ZELVORA_CONTACT_EMAIL
constexpr char kContactEmail[] = ZELVORA_CONTACT_EMAIL;
#else
constexpr char kContactEmail[] = "";
#endif
#ifdef ZELVORA_WEB_ADDRESS
constexpr char kWebAddress[] = ZELVORA_WEB_ADDRESS;
#else
constexpr char kWebAddress[] = "";
#endif

const QString kOpen = QStringLiteral("apri");
const QString kClose = QStringLiteral("chiudi");

const char *const kCoverHint = "Click per altre informazioni sul programma";

// The cover moves this many pixels a step; the scroll starts at this width.
constexpr int kCoverStep = 2;
constexpr int kScrollStartWidth = 90;
// A page scrolls this many pixels (one per step) before the next one comes.
constexpr int kPageSteps = 200;

// One line of a page: a text centred on the area, or a wipe line (no text)
// just below the text before it, at `base` minus the font height.
struct PageLine
{
    const char *text; // nullptr for a wipe line
    int base;
};

// The pages' lines, top to bottom, in drawing order.
constexpr PageLine kCreditsPage[] = {
    {kRightsNotice, 60}, {nullptr, 63},
    {"by", 80},          {nullptr, 83},
    {kAuthor, 100},
    {kTown, 115},
    {"E-mail", 135},
    {kContactEmail, 150}, {nullptr, 153},
    {"Web", 170},        {nullptr, 173},
    {kWebAddress, 185},  {nullptr, 188},
};

constexpr PageLine kDescriptionPage[] = {
    {"Il programma", 80},         {nullptr, 83},
    {"permette la ricerca", 100}, {nullptr, 103},
    {"dei C.A.P. di tutte", 120},
    {"le località e zone", 140},
    {"postali d'Italia.", 160},   {nullptr, 163},
};

// A wipe line: spaces whose background would clear the one-pixel trail a
// text leaves below itself as it moves up. The area is repainted whole on
// every step, so here they draw nothing visible.
const QString kWipe(48, QLatin1Char(' '));

QLabel *label(QWidget *parent, const char *name, const QString &caption, QRect geometry, const QFont &font,
              const QColor &textColour)
{
    auto *result = place(new QLabel(caption, parent), name, geometry.x(), geometry.y(), geometry.width(),
                         geometry.height());
    result->setFont(font);
    result->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    colour(result, QPalette::WindowText, textColour);
    return result;
}

// Starting a running timer again would put its next tick off.
void enable(QTimer *timer)
{
    if (!timer->isActive())
        timer->start();
}
} // namespace

QString contactLine(const char *configured)
{
    const QString text = QString::fromUtf8(configured);
    return text.isEmpty() ? QStringLiteral("vedi la Guida (F1)") : text;
}

AboutBoxState &aboutBoxState()
{
    static AboutBoxState state;
    return state;
}

void resetAboutBoxState()
{
    aboutBoxState() = AboutBoxState();
}

AboutPaintBox::AboutPaintBox(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QFont AboutPaintBox::pageFont(int page)
{
    return windowFont(page % 2 == 0 ? 11 : 13);
}

QColor AboutPaintBox::pageColour(int page)
{
    return page % 2 == 0 ? QColor(Qt::blue) : QColor(Qt::red);
}

QList<AboutPaintBox::Line> AboutPaintBox::lines() const
{
    const AboutBoxState &state = aboutBoxState();
    const bool credits = state.scrollPage % 2 == 0;
    const QFont font = pageFont(state.scrollPage);
    const QFontMetrics metrics(font);
    const QColor textColour = pageColour(state.scrollPage);
    // The font height as a negative character height; the credits page's
    // wipe lines sit one pixel higher with the 8-point font.
    int h = -font.pixelSize();
    if (credits && h == -11)
        h = -10;

    QList<Line> result;
    auto add = [&](const PageLine &line) {
        if (!line.text) {
            result.append({kWipe, 1, line.base - h - state.scrollOffset, textColour});
            return;
        }
        const QString text = contactLine(line.text);
        // Integer division: rounds towards zero, also for a text wider than the area.
        const int x = (width() - metrics.horizontalAdvance(text)) / 2;
        result.append({text, x, line.base - state.scrollOffset, textColour});
    };
    if (credits)
        for (const PageLine &line : kCreditsPage)
            add(line);
    else
        for (const PageLine &line : kDescriptionPage)
            add(line);
    return result;
}

void AboutPaintBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), kSilver);
    const QFont font = pageFont(aboutBoxState().scrollPage);
    const int ascent = QFontMetrics(font).ascent();
    painter.setFont(font);
    // A line's y is the top of its text.
    for (const Line &line : lines()) {
        painter.setPen(line.colour);
        painter.drawText(QPoint(line.x, line.y + ascent), line.text);
    }
}

TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("Info"));
    setWindowIcon(programIcon());
    buildLayout();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(30);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(40);
    connectGuarded(Timer1, &QTimer::timeout, this, &TAboutBox::Timer1Timer);
    connectGuarded(Timer2, &QTimer::timeout, this, &TAboutBox::Timer2Timer);
    connectGuarded(BitBtn1, &QPushButton::clicked, this, &TAboutBox::BitBtn1Click);
    for (QWidget *control : {static_cast<QWidget *>(Panel4), static_cast<QWidget *>(Image1),
                             static_cast<QWidget *>(Versio), static_cast<QWidget *>(Windo),
                             static_cast<QWidget *>(PaintBox1)})
        control->installEventFilter(this);
    m_status = std::make_unique<StatusLine>(this, InfoHint);

}

void TAboutBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Centred on the screen, whatever window opens it.
    if (!event->spontaneous())
        centreOnScreen(this);
}

void TAboutBox::buildLayout()
{
    setFixedSize(227, 182);
    // Silver with the classic white and grey bevel edges, so that the raised
    // cover and the lowered frames stand out from the silver around them.
    QPalette classic = palette();
    classic.setColor(QPalette::Window, kSilver);
    classic.setColor(QPalette::Button, kSilver);
    classic.setColor(QPalette::Light, Qt::white);
    classic.setColor(QPalette::Midlight, QColor(223, 223, 223));
    classic.setColor(QPalette::Mid, QColor(160, 160, 160));
    classic.setColor(QPalette::Dark, QColor(128, 128, 128));
    classic.setColor(QPalette::Shadow, Qt::black);
    setPalette(classic);
    setAutoFillBackground(true);
    setFont(windowFont(11));
    const QFont titleFont = windowFont(19, true);

    // The red title sits one pixel above a white copy of itself.
    ProductName = label(this, "ProductName", QStringLiteral("Zelvora"), {33, 10, 161, 23}, titleFont, Qt::white);
    ProductName->setAccessibleName(QStringLiteral("Nome del programma"));
    Label1 = label(this, "Label1", QStringLiteral("Zelvora"), {33, 9, 161, 23}, titleFont, Qt::red);
    Label1->setAccessibleName(QStringLiteral("Titolo"));
    setHint(Label1, QStringLiteral("Versione programma"));

    auto *frame = place(new Panel(this), "Panel1", 23, 48, 180, 65);
    frame->setBevels(Panel::Bevel::None, Panel::Bevel::Lowered);
    Panel1 = frame;
    Panel1->setAccessibleName(QStringLiteral("Riquadro informazioni"));
    // Panel2 fills Panel1 inside its bevel. Its own outer bevel is the raised
    // ring around the two controls; its lowered inner bevel lies under them.
    auto *ring = place(new Panel(Panel1), "Panel2", 1, 1, 178, 63);
    ring->setBevels(Panel::Bevel::Raised, Panel::Bevel::Lowered);
    Panel2 = ring;
    Panel2->setAccessibleName(QStringLiteral("Riquadro scorrevole"));

    PaintBox1 = place(new AboutPaintBox(Panel2), "PaintBox1", 1, 1, 176, 61);
    PaintBox1->setAccessibleName(QStringLiteral("Informazioni sul programma"));
    setHint(PaintBox1, QStringLiteral("Click per chiudere"));

    Panel4 = place(new Panel(Panel2), "Panel4", 1, 1, 176, 61);
    Panel4->setAccessibleName(QStringLiteral("Copertina"));
    setHint(Panel4, QString::fromUtf8(kCoverHint));

    Image1 = place(new QLabel(Panel4), "Image1", 15, 14, 33, 33);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(programIcon().pixmap(QSize(32, 32)));
    Image1->setAccessibleName(QStringLiteral("Icona del programma"));
    Versio = label(Panel4, "Versio", QStringLiteral("Versione 4.21"), {56, 14, 113, 16}, windowFont(15, true), kNavy);
    Versio->setAccessibleName(QStringLiteral("Versione"));
    Windo = label(Panel4, "Windo", QStringLiteral("Windows 95/98"), {57, 33, 113, 13}, windowFont(12), kNavy);
    Windo->setWordWrap(true);
    Windo->setAccessibleName(QStringLiteral("Sistema"));
    for (QWidget *child : {static_cast<QWidget *>(Image1), static_cast<QWidget *>(Versio),
                           static_cast<QWidget *>(Windo)})
        setHint(child, QString::fromUtf8(kCoverHint));

    BitBtn1 = place(new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("&OK"), this),
                    "BitBtn1", 85, 126, 57, 25);
    BitBtn1->setFont(windowFont(11));
    BitBtn1->setDefault(true);
    BitBtn1->setAccessibleName(QStringLiteral("OK"));
    setHint(BitBtn1, QStringLiteral("Torna a Zelvora"));

    auto *statusPanel = place(new Panel(this), "InfoHint", 0, 165, 227, 17);
    statusPanel->setBevels(Panel::Bevel::Lowered, Panel::Bevel::None);
    InfoHint = statusPanel;
    InfoHint->setAlignment(Qt::AlignCenter);
    InfoHint->setFont(windowFont(11));
    colour(InfoHint, QPalette::WindowText, kNavy);

    // The OK button is the only control that takes the focus.
    BitBtn1->setFocus();
}

void TAboutBox::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

bool TAboutBox::eventFilter(QObject *watched, QEvent *event)
{
    // A click: the left button released over the control it was pressed on.
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        auto *control = static_cast<QWidget *>(watched);
        if (mouse->button() == Qt::LeftButton && control->rect().contains(mouse->position().toPoint())) {
            if (control == PaintBox1)
                PaintBox1Click();
            else
                Panel4Click();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::keyPressEvent(QKeyEvent *event)
{
    // There is no cancel button: Escape does not close the box.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TAboutBox::FormActivate()
{
    m_status->install();
    AboutBoxState &state = aboutBoxState();
    state.savedPanelWidth = Panel4->width();
    state.savedImageLeft = Image1->x();
    state.savedVersioLeft = Versio->x();
    state.savedWindoLeft = Windo->x();
}

void TAboutBox::DisplayHint()
{
    m_status->DisplayHint();
}

void TAboutBox::Panel4Click()
{
    AboutBoxState &state = aboutBoxState();
    if (state.coverState != kOpen) {
        state.coverState = kOpen;
        enable(Timer2);
    }
}

void TAboutBox::PaintBox1Click()
{
    AboutBoxState &state = aboutBoxState();
    if (state.coverState != kClose) {
        state.coverState = kClose;
        enable(Timer2);
    }
}

void TAboutBox::BitBtn1Click()
{
    AboutBoxState &state = aboutBoxState();
    state.scrollOffset = 0;
    state.scrollPage = 0;
    state.coverState.clear();
    Panel4->setGeometry(1, Panel4->y(), state.savedPanelWidth, Panel4->height());
    Image1->move(state.savedImageLeft, Image1->y());
    Versio->move(state.savedVersioLeft, Versio->y());
    Windo->move(state.savedWindoLeft, Windo->y());
    Timer1->stop();
    Timer2->stop();
    accept();
}

void TAboutBox::moveCoverChildren(int dx)
{
    for (QWidget *child : {static_cast<QWidget *>(Image1), static_cast<QWidget *>(Versio),
                           static_cast<QWidget *>(Windo)})
        child->move(child->x() + dx, child->y());
}

void TAboutBox::Timer1Timer()
{
    AboutBoxState &state = aboutBoxState();
    if (++state.scrollOffset >= kPageSteps) {
        state.scrollOffset = 0;
        ++state.scrollPage;
    }
    PaintBox1->update();
}

void TAboutBox::Timer2Timer()
{
    AboutBoxState &state = aboutBoxState();
    if (state.coverState == kOpen) {
        if (Panel4->width() == 0) {
            Timer2->stop();
            return;
        }
        // The text starts scrolling once the cover is about half open.
        if (Panel4->width() <= kScrollStartWidth)
            enable(Timer1);
        // First off the left bevel, then narrower towards the left edge.
        if (Panel4->x() >= 0)
            Panel4->move(Panel4->x() - kCoverStep, Panel4->y());
        else
            Panel4->resize(Panel4->width() - kCoverStep, Panel4->height());
        moveCoverChildren(-kCoverStep);
    }
    if (state.coverState == kClose) {
        if (Panel4->width() == state.savedPanelWidth) {
            if (Panel4->x() == 1) {
                state.scrollOffset = 0;
                state.scrollPage = 0;
                Timer1->stop();
                Timer2->stop();
                PaintBox1->update();
                return;
            }
            Panel4->move(Panel4->x() + kCoverStep, Panel4->y());
            moveCoverChildren(kCoverStep);
        }
        if (Panel4->width() < state.savedPanelWidth) {
            Panel4->resize(Panel4->width() + kCoverStep, Panel4->height());
            moveCoverChildren(kCoverStep);
        }
    }
}

} // namespace zelvora

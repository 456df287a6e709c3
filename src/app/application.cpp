#include "application.h"

#include "app/fonts.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QIconEngine>
#include <QImage>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenuBar>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>
#include <QTimer>
#include <QTranslator>
#include <QWidget>

namespace zelvora {

namespace {
const char *const kHintProperty = "zelvoraHint";

// An icon of the style's that is read only when first drawn or measured.
class DeferredIconEngine : public QIconEngine
{
public:
    DeferredIconEngine(const QStyle *style, QStyle::StandardPixmap which) : m_style(style), m_which(which) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    bool isNull() override { return icon().isNull(); }
    QIconEngine *clone() const override { return new DeferredIconEngine(m_style, m_which); }

private:
    const QIcon &icon()
    {
        if (!m_read) {
            m_icon = m_style->standardIcon(m_which);
            m_read = true;
        }
        return m_icon;
    }

    const QStyle *m_style;
    QStyle::StandardPixmap m_which;
    QIcon m_icon;
    bool m_read = false;
};

// The platform's own style, but for the icon of the menu bar's extension
// button, which every menu bar makes and shows only when its menus do not fit
// (never, in these windows): read when first drawn. Reading it at once was
// the program's first image read, which loads every image format plugin
// installed, a twentieth of the program's start-up.
class ToolkitStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    QIcon standardIcon(StandardPixmap which, const QStyleOption *option, const QWidget *widget) const override
    {
        if (which == SP_ToolBarHorizontalExtensionButton && !option)
            return QIcon(new DeferredIconEngine(baseStyle(), which));
        return QProxyStyle::standardIcon(which, option, widget);
    }

    // Qt's raster painter splits a shaded fill of 96 device lines or more
    // between threads of its global pool and waits for them: the scroll bar's
    // shaded groove, taller than that in the lists, started a thread at the
    // first painting (a seventieth of the start-up) and handed it every later
    // repaint. A tall scroll bar is drawn in bands shorter than that instead,
    // each into an image of its own whose edges bound every fill, and the
    // images are copied in place. The style paints every pixel of the bar
    // opaque, so the copies are the pixels drawing it whole gives; that was
    // checked at one device pixel to a point, the only scale banded.
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget) const override
    {
        if (control != CC_ScrollBar || option->rect.height() <= kUnsplitLines
            || painter->device()->devicePixelRatio() != 1.0) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        const QRect whole = option->rect;
        for (int top = whole.top(); top <= whole.bottom(); top += kUnsplitLines) {
            const QRect part(whole.left(), top, whole.width(), std::min(kUnsplitLines, whole.bottom() + 1 - top));
            QImage image(part.size(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter bandPainter(&image);
            bandPainter.translate(-part.topLeft());
            QProxyStyle::drawComplexControl(control, option, &bandPainter, widget);
            bandPainter.end();
            painter->drawImage(part.topLeft(), image);
        }
    }

private:
    static constexpr int kUnsplitLines = 95;
};
} // namespace

void setHint(QWidget *widget, const QString &hint)
{
    widget->setProperty(kHintProperty, hint);
    widget->setAccessibleDescription(hint);
    Application::instance().scheduleHint();
}

QString hintOf(const QWidget *widget)
{
    return widget ? widget->property(kHintProperty).toString() : QString();
}

bool setUpToolkit()
{
    installFontSubstitutes();
    static QPointer<QStyle> style; // gone with the application object that owns it
    if (!style) {
        // Over the style the application chose (the platform's, or -style).
        style = new ToolkitStyle(QApplication::style()->name());
        QApplication::setStyle(style);
    }
    QApplication::setFont(windowFont(11));
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    // A display name would be appended to every window title ("Info — Zelvora").
    QGuiApplication::setApplicationDisplayName(QString());
    static QTranslator *translator = nullptr;
    if (translator)
        return true;
    auto *loaded = new QTranslator(QCoreApplication::instance());
    if (!loaded->load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        || !QCoreApplication::installTranslator(loaded)) {
        delete loaded;
        return false;
    }
    translator = loaded;
    return true;
}

Application &Application::instance()
{
    static Application application;
    return application;
}

void Application::terminate()
{
    m_terminated = true;
    QCoreApplication::quit();
}

void Application::reset()
{
    m_title = QStringLiteral("Zelvora");
    m_helpFile.clear();
    m_terminated = false;
    m_guardsInstances = false;
    m_hint.clear();
    m_underMouse = nullptr;
    m_onHint = nullptr;
    m_onActivate = nullptr;
    m_mouseWatchers.clear();
    attach();
}

void Application::attach()
{
    // The instance may be a plain QCoreApplication (a process without
    // windows): it then has no activation to report, and qApp, which assumes
    // a QApplication, must not be used to reach it.
    QCoreApplication *app = QCoreApplication::instance();
    if (m_attached || !app)
        return;
    m_attached = true;
    app->installEventFilter(this);
    if (auto *gui = qobject_cast<QGuiApplication *>(app)) {
        connect(gui, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive && m_onActivate)
                m_onActivate();
        });
    }
}

void Application::watchMouse(QWidget *window, std::function<void(bool)> handler)
{
    attach();
    m_mouseWatchers.emplace_back(window, std::move(handler));
}

bool Application::eventFilter(QObject *watched, QEvent *event)
{
    if (!watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    auto *widget = static_cast<QWidget *>(watched);
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::Leave: {
        // Leaving a control for its parent's bare area leaves the mouse in
        // the parent; only leaving the window itself leaves nothing under it.
        // The menu bar belongs to the window's frame, not to its controls:
        // entering it is leaving the window, so the status line keeps the
        // last hint.
        const bool entered = event->type() == QEvent::Enter;
        if (qobject_cast<QMenuBar *>(widget))
            m_underMouse = nullptr;
        else
            m_underMouse = entered ? widget : (widget->isWindow() ? nullptr : widget->parentWidget());
        scheduleHint();
        // Copy: a handler may install or remove watchers.
        const auto watchers = m_mouseWatchers;
        for (const auto &[window, handler] : watchers)
            if (window && widget->window() == window)
                handler(m_underMouse && m_underMouse->window() == window);
        break;
    }
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        // A control that moves under a still mouse changes the hint too.
        if (m_underMouse)
            scheduleHint();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void Application::scheduleHint()
{
    if (m_hintScheduled || !m_attached)
        return;
    m_hintScheduled = true;
    QTimer::singleShot(0, this, [this] { updateHint(); });
}

void Application::updateHint()
{
    m_hintScheduled = false;
    QWidget *under = m_underMouse;
    if (under) {
        QWidget *atCursor = QApplication::widgetAt(QCursor::pos());
        // Over the menu bar, which belongs to the frame, the hint stays.
        if (qobject_cast<QMenuBar *>(atCursor))
            return;
        if (atCursor && atCursor->window() == under->window())
            under = atCursor;
    }
    QString hint;
    for (QWidget *widget = under; widget; widget = widget->isWindow() ? nullptr : widget->parentWidget()) {
        hint = hintOf(widget);
        if (!hint.isEmpty())
            break;
    }
    if (hint == m_hint)
        return;
    m_hint = hint;
    if (m_onHint)
        m_onHint();
}

} // namespace zelvora

#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace zelvora {

// Sets the toolkit up as the program uses it: the window fonts, and Italian
// for the toolkit's own dialogs, menus and buttons (Qt's translations and the
// Italian locale). Window titles stay exactly the windows' captions.
// Returns false when Qt's Italian translations could not be loaded.
bool setUpToolkit();

// A control's hint: the text the status lines show while the mouse is over
// it (never a pop-up tip). It is also the control's accessible description.
void setHint(QWidget *widget, const QString &hint);
QString hintOf(const QWidget *widget);

// The application object the windows talk to: title, help file, termination
// request, the hint text of the control under the mouse with its change
// notification, the activation notification, and the mouse entering and
// leaving each window's controls.
class Application : public QObject
{
    Q_OBJECT
public:
    using Notification = std::function<void()>;

    static Application &instance();

    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }

    QString helpFile() const { return m_helpFile; }
    void setHelpFile(const QString &file) { m_helpFile = file; }

    // Asks the message loop to end once the work in progress is done; asked
    // before the loop runs, the loop is never entered.
    void terminate();
    bool terminated() const { return m_terminated; }

    // The hint of the control under the mouse, or of its nearest parent that
    // has one, or empty; worked out when the application becomes idle. The
    // hint notification runs when it changes. Installing a handler replaces
    // the one before.
    QString hint() const { return m_hint; }
    void setOnHint(Notification handler) { m_onHint = std::move(handler); }
    // Runs when the application becomes active.
    void setOnActivate(Notification handler) { m_onActivate = std::move(handler); }
    // Works the hint out now rather than at the next idle moment.
    void updateHint();
    // Works the hint out at the next idle moment.
    void scheduleHint();

    // Tells `handler` whether the mouse is inside `window` each time it enters
    // or leaves one of the window's controls. Moving from one control to
    // another, or onto a parent's bare area, keeps it inside; only leaving the
    // window itself takes it out.
    void watchMouse(QWidget *window, std::function<void(bool inside)> handler);

    // Whether the main window's single-instance guard counts this copy: on in
    // the program proper, off for windows that tests build.
    bool guardsInstances() const { return m_guardsInstances; }
    void setGuardsInstances(bool on) { m_guardsInstances = on; }

    // Starts afresh (a new program run, or a test).
    void reset();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Application() = default;
    void attach();

    QString m_title = QStringLiteral("Zelvora");
    QString m_helpFile;
    bool m_terminated = false;
    bool m_guardsInstances = false;
    bool m_attached = false;
    bool m_hintScheduled = false;
    QString m_hint;
    QPointer<QWidget> m_underMouse;
    Notification m_onHint;
    Notification m_onActivate;
    std::vector<std::pair<QPointer<QWidget>, std::function<void(bool)>>> m_mouseWatchers;
};

} // namespace zelvora

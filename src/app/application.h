#pragma once

#include <QObject>
#include <QString>

namespace zelvora {

// The application object the windows talk to: title, help file and the
// termination request.
class Application : public QObject
{
    Q_OBJECT
public:
    static Application &instance();

    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }

    QString helpFile() const { return m_helpFile; }
    void setHelpFile(const QString &file) { m_helpFile = file; }

    // Asks the message loop to end once the work in progress is done; asked
    // before the loop runs, the loop is never entered.
    void terminate();
    bool terminated() const { return m_terminated; }

    // Starts afresh (a new program run, or a test).
    void reset();

private:
    Application() = default;
    QString m_title = QStringLiteral("Zelvora");
    QString m_helpFile;
    bool m_terminated = false;
};

} // namespace zelvora

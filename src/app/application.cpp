#include "application.h"

#include <QCoreApplication>

namespace zelvora {

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
}

} // namespace zelvora

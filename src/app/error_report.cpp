#include "error_report.h"

#include "application.h"
#include "common/error.h"
#include "message_box.h"

namespace zelvora {

void reportError(const QString &text)
{
    showMessage(text, Application::instance().title(), MessageIcon::Error);
}

void reportException(const std::exception &error)
{
    if (const auto *own = dynamic_cast<const Error *>(&error))
        reportError(own->message());
    else
        reportError(QString::fromLocal8Bit(error.what()));
}

} // namespace zelvora

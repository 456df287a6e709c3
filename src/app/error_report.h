#pragma once

#include <QString>
#include <exception>
#include <utility>

namespace zelvora {

// The application's one general error report: a message box with the error's
// text, caption "Zelvora" and the error icon. The program then goes on.
void reportError(const QString &text);
void reportException(const std::exception &error);

// Runs an event handler and turns any error that escapes it into the general
// error report: Qt does not carry exceptions through its event loop, so every
// handler that reads files starts here.
template <typename Handler>
bool guarded(Handler &&handler)
{
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (const std::exception &error) {
        reportException(error);
        return false;
    }
}

} // namespace zelvora

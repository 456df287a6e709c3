#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <type_traits>
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

// Connects a signal to a handler that runs through the general error report,
// so that no handler can forget it. The handler may take the signal's
// arguments or none; `context` ends the connection when it is destroyed.
template <typename Sender, typename SignalClass, typename... Args, typename Handler>
QMetaObject::Connection connectGuarded(Sender *sender, void (SignalClass::*signal)(Args...), const QObject *context,
                                       Handler handler)
{
    return QObject::connect(sender, signal, context, [handler = std::move(handler)](Args... args) {
        guarded([&] {
            if constexpr (std::is_invocable_v<const Handler &, Args...>)
                std::invoke(handler, args...);
            else
                std::invoke(handler);
        });
    });
}

// The same for a member function of `receiver`, which is also the context.
template <typename Sender, typename SignalClass, typename... Args, typename Receiver, typename... SlotArgs>
QMetaObject::Connection connectGuarded(Sender *sender, void (SignalClass::*signal)(Args...), Receiver *receiver,
                                       void (Receiver::*slot)(SlotArgs...))
{
    return connectGuarded(sender, signal, receiver, [receiver, slot](SlotArgs... args) {
        std::invoke(slot, receiver, args...);
    });
}

} // namespace zelvora

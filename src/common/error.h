#pragma once

#include <QString>
#include <stdexcept>

namespace zelvora {

// An error of the program's own, with a message meant for the user. It
// abandons the action in progress and reaches the general error report.
class Error : public std::runtime_error
{
public:
    explicit Error(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

} // namespace zelvora

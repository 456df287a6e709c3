#pragma once

#include <QString>
#include <stdexcept>

namespace zelvora {

// An input/output failure on a data file: a read past the end, a record number
// outside its file, a file that vanished. It abandons the user's action and is
// shown by the application's general error report.
class IoError : public std::runtime_error
{
public:
    explicit IoError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}

    const QString &message() const { return m_message; }

private:
    QString m_message;
};

} // namespace zelvora

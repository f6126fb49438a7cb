#pragma once

#include <QString>
#include <stdexcept>

// The one error type of both programs. It travels up to the trap that the
// caller owns (start-up, updater, layout pass, ticker); nothing else catches it.
class Error : public std::runtime_error
{
public:
    explicit Error(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString &message() const noexcept { return m_message; }

private:
    QString m_message;
};

#pragma once

#include <QString>
#include <stdexcept>

// The error every operation of the component layer raises when it fails. Its text says what
// failed, in words a user can read in the message box the application's default handler shows.
class ComponentError : public std::runtime_error {
public:
    explicit ComponentError(const QString& message);
    QString message() const { return QString::fromUtf8(what()); }
};

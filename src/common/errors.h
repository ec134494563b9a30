#pragma once

#include <QString>

#include <stdexcept>

// Base of every failure that stops an operation; carries the fixed text that
// the general error handler shows.
class Error : public std::runtime_error {
public:
    explicit Error(const QString &message);
    // The message text as the user sees it.
    QString message() const;
};

// A text that should have been an integer was not.
class EConvertError : public Error {
public:
    using Error::Error;
};

#include "common/errors.h"

Error::Error(const QString &message) : std::runtime_error(message.toStdString()) {}

QString Error::message() const { return QString::fromUtf8(what()); }

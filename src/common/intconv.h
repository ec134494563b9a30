#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Reads a decimal integer as integer-to-text writes it: an optional minus and
// one or more digits, nothing else, within the range of int. Anything else
// raises EConvertError "'<text>' is not a valid integer value".
int strToInt(QByteArrayView text);
// The same for a byte array (message fields).
inline int strToInt(const QByteArray &text) { return strToInt(QByteArrayView(text)); }
// The same for a QString.
int strToInt(const QString &text);
// Non-throwing form: returns false and leaves value untouched on failure.
bool tryStrToInt(QByteArrayView text, int &value);

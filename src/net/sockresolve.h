#pragma once

#include "net/sockcodes.h"

#include <QString>

// The port of a decimal number or of a service name for "tcp" (stream) or
// "udp" (datagram). Raises ServiceNotFound for an unknown or empty name or a
// number past 65535, and the integer-conversion error for a name that starts
// with a digit but is not a whole number.
quint16 lookupPort(const QString &name, TSocketType type);
// The address, in host order, of dotted numbers (a name that starts with a
// digit is never looked up) or of a host name, which is looked up once per
// run. Raises HostNotFound.
quint32 lookupHost(const QString &name);

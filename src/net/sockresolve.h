#pragma once

#include "net/sockaddress.h"
#include "net/sockcodes.h"

#include <QString>

// The port of a decimal number or of a service name for "tcp" (stream) or
// "udp" (datagram). Raises ServiceNotFound for an unknown or empty name or a
// number past 65535, and the integer-conversion error for a name that starts
// with a digit but is not a whole number.
quint16 lookupPort(const QString &name, TSocketType type);
// The address (port 0) of dotted numbers (a name that starts with a digit is
// never looked up), of an IPv6 literal with or without brackets, or of a host
// name, which is looked up once per run and gives its first IPv4 address, else
// its first IPv6 one. Raises HostNotFound.
SockAddress lookupHost(const QString &name);

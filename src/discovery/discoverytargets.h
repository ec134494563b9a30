#pragma once

#include <QHostAddress>
#include <QList>

namespace discovery {

// Where one query or announcement goes.
struct Target {
    QHostAddress address;
    quint16 port = 0;
};

// The broadcast address of the loopback: every socket on this machine bound
// to the port hears it, however many share the port.
inline const QHostAddress kLoopbackBroadcast{QStringLiteral("127.255.255.255")};

// The broadcast address of every IPv4 interface that is up and the loopback's,
// all at port. LEXICLASH_DISCOVERY_TARGETS (IPv4 addresses separated by
// commas) replaces them, so that tests keep every datagram on this machine.
QList<Target> broadcastTargets(quint16 port);

} // namespace discovery

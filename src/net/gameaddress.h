#pragma once

#include <QString>

// Where a game is: a host (a name, dotted numbers or an IPv6 literal without
// brackets) and a TCP port.
struct GameAddress {
    QString host;
    quint16 port = 0;
};

// The outcome of reading an address a player typed or pasted: the address,
// or a plain sentence saying what is wrong with it.
struct GameAddressReading {
    GameAddress address;
    QString error;

    bool ok() const { return error.isEmpty(); }
};

// Reads "HOST", "HOST:PORT", an IPv6 literal bare ("::1") or in brackets with
// or without a port ("[::1]", "[::1]:7772"), or an invite link
// ("lexiclash://..."); defaultPort stands in for a missing port.
GameAddressReading readGameAddress(const QString &typed, quint16 defaultPort);
// The same without links: "lexiclash:7772" is the computer "lexiclash".
GameAddressReading readHostAndPort(const QString &typed, quint16 defaultPort);
// Text that names the address for people: "HOST:PORT", IPv6 in brackets.
QString gameAddressText(const GameAddress &address);

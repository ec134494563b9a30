#pragma once

#include <QString>

// The game's TCP port when nothing overrides it.
inline constexpr quint16 kDefaultGamePort = 7772;

// The game's TCP port, "7772"; LEXICLASH_PORT overrides it so that tests and
// several hosts can share one machine.
inline QString gamePortName()
{
    const QString port = qEnvironmentVariable("LEXICLASH_PORT");
    return port.isEmpty() ? QString::number(kDefaultGamePort) : port;
}

// The lobby's presence port on 127.0.0.1, "9001"; LEXICLASH_LOBBY_PORT overrides it.
inline QString lobbyPortName()
{
    const QString port = qEnvironmentVariable("LEXICLASH_LOBBY_PORT");
    return port.isEmpty() ? QStringLiteral("9001") : port;
}

// The port on which hosting copies answer discovery queries, 7773;
// LEXICLASH_DISCOVERY_PORT overrides it.
inline quint16 discoveryPort()
{
    bool ok = false;
    const uint port = qEnvironmentVariable("LEXICLASH_DISCOVERY_PORT").toUInt(&ok);
    return ok && port <= 65535 ? quint16(port) : quint16(7773);
}

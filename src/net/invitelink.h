#pragma once

#include "net/gameaddress.h"

#include <QString>

// The scheme of invite links, without the "://".
inline constexpr char kInviteScheme[] = "lexiclash";

// The invite link "lexiclash://HOST:PORT" of a game (IPv6 in brackets).
QString inviteLink(const GameAddress &address);
// True when the text starts with "lexiclash:" (in any case) or holds "://":
// it is meant as a link, and readInviteLink tells whether it is a good one.
bool looksLikeInviteLink(const QString &text);
// Reads an invite link; a missing port is defaultPort, and one slash after
// the port is allowed, as chat programs sometimes add it.
GameAddressReading readInviteLink(const QString &link, quint16 defaultPort);

#pragma once

#include "net/messages.h"
#include "net/servermessage.h"

#include <variant>

// What the server receives from a client, decoded once into a typed value as
// the client decodes the server's messages: the receive queue holds these
// values and every handler takes one, so a text is read exactly once.

namespace Msg {

// "CMD_chat" (action false) and "CMD_action" (action true) from a client.
struct ClientChat {
    ChatLine line;
    bool action = false;
};
// "CMD_giveup": the seat gives up its round.
struct GiveUp {
    int seat = 0;
};
// "CMD_rejoinable": the seat's copy can take it back after a drop.
struct Rejoinable {
    int seat = 0;
};
// "CMD_leaving": the seat's copy quits on purpose.
struct Leaving {
    int seat = 0;
};
// "CMD_ping": the seat's copy probes the connection.
struct Ping {
    int seat = 0;
};

} // namespace Msg

// One decoded client-to-server message.
using ClientMessage = std::variant<Msg::Ignored, Msg::Dropped, Msg::LoginInfo, Msg::ClientChat,
                                   Msg::Kick, Msg::StartGameRequest, Msg::Word, Msg::GiveUp,
                                   Msg::Rejoinable, Msg::Rejoin, Msg::Leaving, Msg::Ping>;

// Decodes one received message text (terminator removed). Never throws: a
// number field that does not convert gives Msg::Dropped, an unknown or empty
// command Msg::Ignored.
ClientMessage decodeClientMessage(const QByteArray &text);

// The seat a decoded message speaks for (its first field); 0 for a game
// start, which names no seat, and for messages that are not handled.
int claimedSeat(const ClientMessage &message);

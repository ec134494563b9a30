#pragma once

#include "common/errors.h"
#include "net/messages.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <variant>

// What a client receives from the server, decoded once into a typed value.
// The layouts themselves live in messages.h; this is the one place where a
// received text is read, so nothing downstream ever splits a "+" again.

namespace Msg {

// An empty text, a text without "+", or a command a client does not know:
// handled as nothing.
struct Ignored {
    QByteArray command;
};
// A known command whose number field did not convert: the message is dropped
// whole, and the error text goes to the general error handler.
struct Dropped {
    QByteArray command;
    QString error;
};

// "CMD_sendlogininfo": the seat the server just handed to this connection.
struct SendLoginInfo {
    int seat = 0;
};
// "CMD_newplayerinfo" (existing false) and "CMD_existingplayers" (existing true).
struct Arrival {
    PlayerInfo player;
    bool existing = false;
};
// "CMD_chat" (action false) and "CMD_action" (action true): a relayed line.
struct Relayed {
    RelayedLine line;
    bool action = false;
};
// "CMD_wrongversion": this copy's version differs from the host's.
struct WrongVersion {};
// "CMD_havewrongversion": a joining player's version differs from ours.
struct HaveWrongVersion {
    QByteArray name;
};
// "CMD_full": nine seats are taken; the server closes the connection.
struct Full {};
// "CMD_winner": the winning seat.
struct Winner {
    int seat = 0;
};
// "CMD_endround": one group per player seat, in the order sent.
struct EndRound {
    QList<SeatScore> scores;
};
// "CMD_rejoined": the seat is this copy's again and the game's state has been sent.
struct Rejoined {
    int seat = 0;
};
// "CMD_playerlost": the seat's player lost the connection; the seat is held.
struct PlayerLost {
    int seat = 0;
};
// "CMD_playerback": the seat's player took it back.
struct PlayerBack {
    int seat = 0;
};
// "CMD_pong": the answer to this copy's probe.
struct Pong {
    int seat = 0;
};
// "CMD_hostended": the host ends the game; the connection closes.
struct HostEnded {};
// "CMD_leader": the seat that may start games and remove players (a host
// without a window).
struct Leader {
    int seat = 0;
};

} // namespace Msg

// One decoded server-to-client message.
using ServerMessage =
    std::variant<Msg::Ignored, Msg::Dropped, Msg::SendLoginInfo, Msg::Arrival, Msg::Relayed,
                 Msg::WrongVersion, Msg::HaveWrongVersion, Msg::Full, Msg::Departure,
                 Msg::StartGame, Msg::StartRound, Msg::Winner, Msg::EndRound, Msg::NotValid,
                 Msg::GotWord, Msg::LoadStats, Msg::SeatToken, Msg::Rejoined, Msg::SeatGone,
                 Msg::PlayerLost, Msg::PlayerBack, Msg::Pong, Msg::HostEnded, Msg::Leader>;

// Decodes one received message text (terminator removed). Never throws: a
// number field that does not convert gives Msg::Dropped, an unknown or empty
// command Msg::Ignored.
ServerMessage decodeServerMessage(const QByteArray &text);

// Splits a received text and reads it with decodeKnown(command, body), for
// either direction. Every field is read before anything is applied, so a bad
// number drops the whole message (Msg::Dropped) instead of half of it.
template <typename Message, typename Decode>
Message decodeMessage(const QByteArray &text, Decode decodeKnown)
{
    const SplitMessage message = splitMessage(text);
    if (message.command.isEmpty())
        return Msg::Ignored{};
    try {
        return decodeKnown(message.command, message.body);
    } catch (const EConvertError &error) {
        return Msg::Dropped{message.command, error.message()};
    }
}

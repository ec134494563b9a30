#include "net/clientmessage.h"

#include <type_traits>

namespace {

ClientMessage decodeKnown(const QByteArray &command, const QByteArray &body)
{
    if (command == Cmd::logininfo)
        return Msg::readLogininfo(body);
    if (command == Cmd::kickhim)
        return Msg::readKickhim(body);
    if (command == Cmd::chat)
        return Msg::ClientChat{Msg::readChat(body), false};
    if (command == Cmd::action)
        return Msg::ClientChat{Msg::readChat(body), true};
    if (command == Cmd::startgame)
        return Msg::readStartgameRequest(body);
    if (command == Cmd::sendword)
        return Msg::readSendword(body);
    if (command == Cmd::giveup)
        return Msg::GiveUp{Msg::readGiveup(body)};
    if (command == Cmd::rejoinable)
        return Msg::Rejoinable{Msg::readSeatOnly(body)};
    if (command == Cmd::rejoin)
        return Msg::readRejoin(body);
    if (command == Cmd::leaving)
        return Msg::Leaving{Msg::readSeatOnly(body)};
    if (command == Cmd::ping)
        return Msg::Ping{Msg::readSeatOnly(body)};
    return Msg::Ignored{command};
}

} // namespace

ClientMessage decodeClientMessage(const QByteArray &text)
{
    return decodeMessage<ClientMessage>(text, decodeKnown);
}

int claimedSeat(const ClientMessage &message)
{
    return std::visit(
        [](const auto &m) -> int {
            using T = std::decay_t<decltype(m)>;
            if constexpr (std::is_same_v<T, Msg::ClientChat>)
                return m.line.seat;
            else if constexpr (std::is_same_v<T, Msg::Kick>)
                return m.sender;
            else if constexpr (std::is_same_v<T, Msg::Ignored> || std::is_same_v<T, Msg::Dropped> ||
                               std::is_same_v<T, Msg::StartGameRequest>)
                return 0;
            else
                return m.seat;
        },
        message);
}

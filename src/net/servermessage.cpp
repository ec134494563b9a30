#include "net/servermessage.h"

namespace {

ServerMessage decodeKnown(const QByteArray &command, const QByteArray &body)
{
    if (command == Cmd::sendlogininfo)
        return Msg::SendLoginInfo{Msg::readSendlogininfo(body)};
    if (command == Cmd::chat)
        return Msg::Relayed{Msg::readRelayed(body), false};
    if (command == Cmd::action)
        return Msg::Relayed{Msg::readRelayed(body), true};
    if (command == Cmd::newplayerinfo)
        return Msg::Arrival{Msg::readPlayerinfo(body), false};
    if (command == Cmd::havewrongversion)
        return Msg::HaveWrongVersion{body};
    if (command == Cmd::wrongversion)
        return Msg::WrongVersion{};
    if (command == Cmd::existingplayers)
        return Msg::Arrival{Msg::readPlayerinfo(body), true};
    if (command == Cmd::playerdisconnected)
        return Msg::readPlayerdisconnected(body);
    if (command == Cmd::startgame)
        return Msg::readStartgame(body);
    if (command == Cmd::startround)
        return Msg::readStartround(body);
    if (command == Cmd::winner)
        return Msg::Winner{Msg::readWinner(body)};
    if (command == Cmd::full)
        return Msg::Full{};
    if (command == Cmd::endround)
        return Msg::EndRound{Msg::readEndround(body)};
    if (command == Cmd::notvalid)
        return Msg::readNotvalid(body);
    if (command == Cmd::gotword)
        return Msg::readGotword(body);
    if (command == Cmd::loadstats)
        return Msg::readLoadstats(body);
    if (command == Cmd::seattoken)
        return Msg::readSeattoken(body);
    if (command == Cmd::rejoined)
        return Msg::Rejoined{Msg::readSeatOnly(body)};
    if (command == Cmd::seatfreed)
        return Msg::readSeatfreed(body);
    if (command == Cmd::playerlost)
        return Msg::PlayerLost{Msg::readSeatOnly(body)};
    if (command == Cmd::playerback)
        return Msg::PlayerBack{Msg::readSeatOnly(body)};
    if (command == Cmd::pong)
        return Msg::Pong{Msg::readSeatOnly(body)};
    if (command == Cmd::hostended)
        return Msg::HostEnded{};
    if (command == Cmd::leader)
        return Msg::Leader{Msg::readSeatOnly(body)};
    return Msg::Ignored{command};
}

} // namespace

ServerMessage decodeServerMessage(const QByteArray &text)
{
    return decodeMessage<ServerMessage>(text, decodeKnown);
}

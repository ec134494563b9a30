// Who leads the game (starts games and removes players) and the server's
// one-line event log.

#include "server/tserver.h"

#include "net/messages.h"

#include <QTimer>

bool TServer::mayspeak(const ClientMessage &message, int origin) const
{
    // A message speaks only for the connection it came from; a game start
    // and a kick only from the leader's seat.
    if (std::holds_alternative<Msg::StartGameRequest>(message))
        return origin == leader();
    if (std::holds_alternative<Msg::Kick>(message) && origin != leader())
        return false;
    return claimedSeat(message) == origin;
}

void TServer::kickhim(const Msg::Kick &kick)
{
    if (kick.sender != leader() || !isseat(kick.target))
        return;
    note(QStringLiteral("removed by the leader: %1").arg(who(kick.target)));
    disconnectsock(kick.target);
}

void TServer::setleadership(Leadership leadership)
{
    leadership_ = leadership;
    updateleader();
}

int TServer::leader() const
{
    if (leadership_ == Leadership::HostSeat)
        return 1;
    for (int seat = 1; seat <= numplayers; ++seat) {
        if (seats_[seat].connected && seats_[seat].loggedin)
            return seat;
    }
    return 0;
}

void TServer::updateleader()
{
    if (leadership_ == Leadership::HostSeat)
        return;
    const int now = leader();
    if (now == 0)
        endabandonedgame();
    if (now == announcedleader_)
        return;
    announcedleader_ = now;
    if (now == 0)
        return;
    note(QStringLiteral("leader: %1").arg(who(now)));
    // Older copies drop the leader message; the action line tells their players.
    sendtoall(Msg::leader(now));
    sendtoall(Msg::actionRelay(seats_[now].name, "leads the game now."));
}

void TServer::endabandonedgame()
{
    // Without a host window nobody else ends it: it would play on by its
    // timers, tie-break after tie-break, for an empty table and the spies.
    if (!game_.gameon)
        return;
    for (int seat = 1; seat <= numplayers; ++seat) {
        if (seats_[seat].held)
            return;
    }
    roundtimer_->stop();
    computertimer_->stop();
    game_.gameon = false;
    note(QStringLiteral("game ended: every player left"));
}

void TServer::tellleader(int seat)
{
    // A newcomer who does not lead is told who does; one who does hears it
    // with everybody once the login is handled.
    const int now = leader();
    if (leadership_ == Leadership::HostSeat || now == 0 || now == seat || now != announcedleader_)
        return;
    sendto(seat, Msg::leader(now));
    sendto(seat, Msg::actionRelay(seats_[now].name, "leads the game now."));
}

void TServer::seteventlog(std::function<void(const QString &)> log)
{
    eventlog_ = std::move(log);
}

void TServer::note(const QString &event) const
{
    if (eventlog_)
        eventlog_(event);
}

QString TServer::who(int seat) const
{
    return QStringLiteral("seat %1 \"%2\"").arg(seat).arg(QString::fromUtf8(seats_[seat].name));
}

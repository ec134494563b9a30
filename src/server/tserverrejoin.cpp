// Seats that outlive a dropped connection: the token a copy gets at login,
// holding the seat of a player whose connection dropped, taking it back, the
// end of the grace, the probe and the host's end of the game.

#include "server/tserver.h"

#include "net/messages.h"

#include <QDebug>
#include <QRandomGenerator>

namespace {
// 128 bits from the system's generator, as 32 hexadecimal digits.
QByteArray newtoken()
{
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return QByteArray(reinterpret_cast<const char *>(words), sizeof words).toHex();
}

// Compares without stopping at the first difference, so the time taken
// tells nothing about how much of a guess was right.
bool sametoken(const QByteArray &a, const QByteArray &b)
{
    if (a.isEmpty() || a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}
} // namespace

void TServer::rejoinable(int seat)
{
    if (!isseat(seat) || !seats_[seat].connected || !seats_[seat].loggedin)
        return;
    seats_[seat].rejoinable = true;
    sendtoken(seat);
}

void TServer::sendtoken(int seat)
{
    TSeat &s = seats_[seat];
    s.token = newtoken();
    // The token goes to this seat's connection alone and is never logged.
    sendto(seat, Msg::seattoken({seat, s.token, rejoingrace_}));
}

void TServer::holdseat(int seat)
{
    TSeat &s = seats_[seat];
    note(QStringLiteral("player lost: %1, seat held").arg(who(seat)));
    closeseat(seat);
    s.held = true;
    s.heldsince = clockms();
    for (int other = 1; other <= seatcount_; ++other) {
        // Older copies have no word for a held seat; they see the name stay.
        if (other != seat && seats_[other].rejoinable)
            sendto(other, Msg::playerlost(seat));
    }
    // A held seat does not keep the others' round open.
    endroundifallgaveup();
}

void TServer::endroundifallgaveup()
{
    if (!game_.roundon || game_.countdown < 5)
        return;
    for (int player = 1; player <= numplayers; ++player) {
        if (seats_[player].connected && !seats_[player].gaveup)
            return;
    }
    endtheround();
}

void TServer::rejoin(const Msg::Rejoin &r)
{
    const int from = r.seat;
    if (!isseat(from) || !seats_[from].connected || seats_[from].loggedin)
        return;
    const int to = r.held;
    if (!isseat(to) || to == from || !(seats_[to].held || seats_[to].connected)) {
        refuserejoin(from, Msg::SeatFreed::GraceOver);
        return;
    }
    if (!sametoken(seats_[to].token, r.token)) {
        qWarning().noquote() << "Lexiclash server: seat" << from << "gave a wrong token for seat"
                             << to;
        refuserejoin(from, Msg::SeatFreed::WrongToken);
        return;
    }
    TSeat &back = seats_[to];
    // The copy proved the seat is its own: a connection the server still
    // thought alive is stale and goes quietly.
    if (back.connected)
        closeseat(to);
    TSeat &spare = seats_[from];
    back.sock = spare.sock;
    back.sock->Tag = to;
    back.framer = std::move(spare.framer);
    back.queued = spare.queued;
    back.lastheard = spare.lastheard;
    back.seatedat = spare.seatedat;
    receivedlist_.moveOrigin(from, to);
    spare.sock = nullptr;
    spare.connected = false;
    spare.queued = 0;
    spare.framer = Framer();
    back.connected = true;
    back.held = false;
    back.loggedin = true;
    back.rejoinable = true;
    back.leaving = false;
    note(QStringLiteral("player back: %1").arg(who(to)));

    // The token and the board go out in one write: small writes one after
    // another would wait for the peer's delayed acknowledgement.
    back.token = newtoken();
    QByteArray reply = Msg::seattoken({to, back.token, rejoingrace_});
    for (int other = 1; other <= seatcount_; ++other) {
        const TSeat &o = seats_[other];
        if (other == to || !(o.connected || o.held) || !o.loggedin)
            continue;
        reply += Msg::existingplayers(other, o.name);
        if (o.held)
            reply += Msg::playerlost(other);
    }
    if (game_.gameon)
        reply += Msg::loadstats(gamestate(to));
    for (qsizetype i = 0; i < game_.listbox_gotten.size(); ++i) {
        const int finder = game_.gottenby.value(i);
        if (!game_.roundon || finder < 1 || (!game_.showwords && finder != to))
            continue;
        const QByteArray &word = game_.listbox_gotten.at(i);
        reply += Msg::gotword(finder, word, int(word.size()));
    }
    // Who leads may have changed while the copy was away.
    if (leadership_ == Leadership::LowestSeat && leader() != 0 && leader() == announcedleader_)
        reply += Msg::leader(leader());
    reply += Msg::rejoined(to);
    back.sock->Send(reply);
    for (int other = 1; other <= seatcount_; ++other) {
        if (other == to)
            continue;
        // Older copies take the seat's return for an arrival.
        sendto(other,
               seats_[other].rejoinable ? Msg::playerback(to) : Msg::newplayerinfo(to, back.name));
    }
}

void TServer::refuserejoin(int seat, Msg::SeatFreed reason)
{
    TSeat &s = seats_[seat];
    if (!s.sock)
        return;
    s.sock->Send(Msg::seatfreed(seat, reason));
    s.sock->Close();
}

void TServer::ping(int seat)
{
    if (isseat(seat))
        sendto(seat, Msg::pong(seat));
}

void TServer::checkheld(qint64 nowms)
{
    for (int seat = 1; seat <= seatcount_; ++seat) {
        TSeat &s = seats_[seat];
        if (s.held && nowms - s.heldsince >= qint64(rejoingrace_) * 1000) {
            // Nobody came back: the seat is free, and starts from nothing.
            if (seat <= numplayers)
                s.clearGame();
            freeseat(seat);
            continue;
        }
        if (s.connected && s.rejoinable && s.sock &&
            nowms - s.lastheard >= qint64(kSilenceSecs) * 1000) {
            qWarning().noquote() << "Lexiclash server: seat" << seat
                                 << "has been silent too long; holding it";
            s.sock->Close();
        }
    }
    updateleader();
}

void TServer::endhosting()
{
    for (int seat = 1; seat <= seatcount_; ++seat) {
        TSeat &s = seats_[seat];
        if (!s.connected || !s.sock)
            continue;
        s.leaving = true;
        try {
            s.sock->Send(Msg::hostended());
        } catch (const ESockException &) {
            // A connection that can take nothing more is closing anyway.
        }
    }
}

#pragma once

#include "discovery/discoverydatagram.h"

#include <QHostAddress>
#include <QList>

#include <vector>

namespace discovery {

// One game heard on the network.
struct ListedGame {
    // Stays the same for as long as the game is listed (views follow it).
    quint64 serial = 0;
    GameInfo info;
    // The address it was heard from; for a game on this machine the
    // machine's network address once heard on one, else 127.0.0.1.
    QHostAddress address;
    // The IPv4 address the row is keyed by (127.0.0.1 for this machine).
    quint32 source = 0;
    qint64 firstHeardMs = 0;
    qint64 lastHeardMs = 0;
};

// The games a lobby lists, keyed by the address each was heard from with its
// id and port: a datagram from another address never changes a row, it is at
// most a row of its own. Games on this machine, heard on 127.0.0.1 and on the
// machine's own addresses (which the kernel never accepts from outside), are
// one row. The list is bounded: at most kMaxGames rows, kMaxGamesPerAddress
// from one address, kNewGamesPerSecond new rows a second (kNewGamesPerAddress
// from one address). When it is full, a new game takes the place of the one
// silent longest, but only of one silent longer than kKeptMs: a game that
// announces itself is never pushed out by newcomers.
class GameTable {
public:
    static constexpr int kMaxGames = 200;
    static constexpr int kMaxGamesPerAddress = 16;
    static constexpr int kNewGamesPerSecond = 25;
    static constexpr int kNewGamesPerAddress = 5;
    static constexpr qint64 kKeptMs = 2500;
    static constexpr qint64 kForgetAfterMs = 6500;

    // This machine's addresses other than loopback.
    void setOwnAddresses(const QList<QHostAddress> &addresses);
    // Takes what was heard from source at nowMs; true when a row appeared or
    // changed.
    bool take(const GameInfo &info, const QHostAddress &source, qint64 nowMs);
    // Marks the game heard from source with the mark's id and port as a
    // dedicated host; true when a row changed. A mark for no listed game is
    // dropped (the next one follows the next reply or announcement).
    bool markServer(const ServerMark &mark, const QHostAddress &source);
    // Drops the games silent for more than kForgetAfterMs; true when any went.
    bool expire(qint64 nowMs);
    // Forgets every game.
    void clear();
    // The games, in the order they were first heard.
    const std::vector<ListedGame> &games() const { return games_; }

private:
    std::vector<ListedGame>::iterator find(quint32 source, quint32 gameId, quint16 gamePort);
    quint32 sourceOf(const QHostAddress &address) const;
    bool admitted(quint32 source, qint64 nowMs);
    bool makeRoom(quint32 source, qint64 nowMs);
    void erase(std::size_t index);

    std::vector<ListedGame> games_;
    QList<quint32> ownAddresses_;
    quint64 nextSerial_ = 1;
    // New rows in the present second, in all and by address.
    qint64 secondStartMs_ = 0;
    int newThisSecond_ = 0;
    std::vector<std::pair<quint32, int>> newBySource_;
};

} // namespace discovery

#pragma once

#include "discovery/discoverydatagram.h"
#include "discovery/discoverytargets.h"
#include "discovery/gametable.h"

#include <QList>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>

#include <functional>
#include <vector>

// The lobby's side of finding games. While running it sends one query every
// kQueryIntervalMs to the broadcast address of every IPv4 interface that is
// up and of the loopback, and hears the replies on a port of its own; it
// also listens on the discovery port (shared with hosts and other lobbies on
// this machine) for the hosts' announcements. What it hears goes into a
// bounded table of games (GameTable); a game silent for
// GameTable::kForgetAfterMs is dropped. Datagrams are read kReadBatch at a
// time, so a flood never holds the event loop.
class DiscoveryBrowser : public QObject {
public:
    static constexpr int kQueryIntervalMs = 2000;
    static constexpr int kReadBatch = 64;

    using Target = discovery::Target;
    using Game = discovery::ListedGame;

    explicit DiscoveryBrowser(QObject *parent = nullptr);

    // The usual targets: every interface's broadcast address and the
    // loopback's, all at port.
    static QList<Target> defaultTargets(quint16 port);
    // Replaces the query targets (the usual ones until set).
    void setTargets(const QList<Target> &targets);
    // Replaces the port announcements are heard on (the discovery port until
    // set; 0 hears none).
    void setAnnouncementPort(quint16 port);
    // Replaces the clock, in milliseconds (tests step it); a steady clock
    // until set, and again when set to nothing.
    void setClock(std::function<qint64()> clock);
    // Starts asking (the first query goes out at once); false when no socket
    // could be had.
    bool start();
    // Stops asking and forgets every game.
    void stop();
    bool running() const;
    // The port replies come back to (0 before start).
    quint16 localPort() const { return querySocket_.localPort(); }
    // The port announcements are heard on (0 when none are heard).
    quint16 announcementPort() const { return announcementSocket_.localPort(); }

    // The games known now, in the order they were first heard.
    const std::vector<Game> &games() const { return table_.games(); }
    // Called whenever a game appears, changes or is dropped.
    std::function<void()> onChanged;
    // The clock's present reading.
    qint64 now() const { return clock_(); }

    // One round: drops games gone silent, then sends the queries.
    void query();
    // Reads a batch of waiting datagrams from socket.
    void readPending(QUdpSocket &socket);

private:
    void changed();

    QUdpSocket querySocket_;
    QUdpSocket announcementSocket_;
    QTimer timer_;
    QList<Target> targets_;
    bool targetsSet_ = false;
    int announcementPort_ = -1;
    std::function<qint64()> clock_;
    discovery::GameTable table_;
};

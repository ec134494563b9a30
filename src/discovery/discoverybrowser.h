#pragma once

#include "discovery/discoverydatagram.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>

#include <functional>
#include <vector>

// The lobby's side of finding games: while running it sends one query every
// kQueryIntervalMs to the broadcast address of every IPv4 interface that is
// up and to 127.0.0.1, and keeps the games that answered. A game that has not
// answered for kForgetAfterMs is dropped.
class DiscoveryBrowser : public QObject {
public:
    static constexpr int kQueryIntervalMs = 2000;
    static constexpr int kForgetAfterMs = 6500;

    // Where one query goes.
    struct Target {
        QHostAddress address;
        quint16 port = 0;
    };
    // A game that answered.
    struct Game {
        discovery::GameInfo info;
        // The address it answered from (a network address before loopback).
        QHostAddress address;
        qint64 lastSeenMs = 0;
    };

    explicit DiscoveryBrowser(QObject *parent = nullptr);

    // The usual targets: every interface's broadcast address and 127.0.0.1,
    // all at port.
    static QList<Target> defaultTargets(quint16 port);
    // Replaces the targets (the usual ones until set).
    void setTargets(const QList<Target> &targets);
    // Starts asking (the first query goes out at once); false when no socket
    // could be had.
    bool start();
    // Stops asking and forgets every game.
    void stop();
    bool running() const;
    // The port replies come back to (0 before start).
    quint16 localPort() const { return socket_.localPort(); }

    // The games known now, in the order they first answered.
    const std::vector<Game> &games() const { return games_; }
    // Called whenever a game appears, changes or is dropped.
    std::function<void()> onChanged;

    // One round: drops games gone silent, then sends the queries.
    void query();
    // Reads every waiting reply.
    void readPending();

private:
    void take(const discovery::GameInfo &info, const QHostAddress &from);
    void changed();

    QUdpSocket socket_;
    QTimer timer_;
    QList<Target> targets_;
    bool targetsSet_ = false;
    std::vector<Game> games_;
};

#pragma once

#include "discovery/discoverydatagram.h"
#include "discovery/replybudget.h"

#include <QObject>
#include <QUdpSocket>

#include <functional>

// The hosting copy's answers: each query datagram on the discovery port gets
// one reply describing the game, within the reply budget (a few a second to
// any one asker, a cap in all). The port is shared, so several hosts on one
// machine all listen and answer the queries sent to a broadcast address.
// While nobody asks it only waits on its socket.
class DiscoveryResponder : public QObject {
public:
    // At most this many datagrams are read at a time before the event loop
    // gets its turn again.
    static constexpr int kReadBatch = 64;

    // describe: called for each reply, tells the game's present state.
    explicit DiscoveryResponder(std::function<discovery::GameInfo()> describe,
                                QObject *parent = nullptr);

    // Listens on port of every IPv4 interface, sharing it with other hosts
    // and lobbies; false (and the reason in errorString) when the port cannot
    // be had.
    bool start(quint16 port);
    // Stops answering.
    void stop();
    // True while answering.
    bool running() const;
    // The port listened on (the system's choice when started with 0).
    quint16 port() const;
    QString errorString() const;
    // Replies sent since start.
    int repliesSent() const { return repliesSent_; }

    // Reads a batch of waiting datagrams and answers the queries among them.
    void readPending();

private:
    std::function<discovery::GameInfo()> describe_;
    QUdpSocket socket_;
    discovery::ReplyBudget budget_;
    int repliesSent_ = 0;
};

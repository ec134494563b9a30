#pragma once

#include "discovery/discoverydatagram.h"

#include <QObject>
#include <QUdpSocket>

#include <array>
#include <chrono>
#include <functional>

// The hosting copy's side of finding games: answers each query datagram on
// the discovery port with one reply describing the game. It never announces
// on its own, and it answers at most kMaxRepliesPerSecond times a second in
// total. While nobody asks it only waits on its socket.
class DiscoveryResponder : public QObject {
public:
    static constexpr int kMaxRepliesPerSecond = 20;

    // describe: called for each reply, tells the game's present state.
    explicit DiscoveryResponder(std::function<discovery::GameInfo()> describe,
                                QObject *parent = nullptr);

    // Listens on port of every IPv4 interface; false (and the reason in
    // errorString) when the port cannot be had.
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

    // Reads every waiting datagram and answers the queries among them.
    void readPending();

private:
    using Clock = std::chrono::steady_clock;
    bool replyAllowed(Clock::time_point now);

    std::function<discovery::GameInfo()> describe_;
    QUdpSocket socket_;
    // Times of the last kMaxRepliesPerSecond replies, oldest at next_.
    std::array<Clock::time_point, kMaxRepliesPerSecond> lastReplies_{};
    std::size_t next_ = 0;
    int repliesSent_ = 0;
};

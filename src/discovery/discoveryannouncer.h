#pragma once

#include "discovery/discoverydatagram.h"
#include "discovery/discoverytargets.h"

#include <QObject>
#include <QTimer>
#include <QUdpSocket>

#include <functional>

// The hosting copy's announcements: while hosting it tells the network
// about its game every kIntervalMs, unasked, on the broadcast address of
// every IPv4 interface and of the loopback, so lobbies see it even when their
// queries or its replies are lost or starved.
class DiscoveryAnnouncer : public QObject {
public:
    static constexpr int kIntervalMs = 2000;

    // describe: called for each announcement, tells the game's present state.
    explicit DiscoveryAnnouncer(std::function<discovery::GameInfo()> describe,
                                QObject *parent = nullptr);

    // Replaces the targets (the broadcast targets at the discovery port until set).
    void setTargets(const QList<discovery::Target> &targets);
    // Starts announcing; the first announcement goes out at once.
    void start();
    // Stops announcing.
    void stop();
    // True while announcing.
    bool running() const;
    // Announcements sent since start (one per target).
    int sent() const { return sent_; }

    // One announcement to every target (the timer's handler).
    void announce();

private:
    std::function<discovery::GameInfo()> describe_;
    QUdpSocket socket_;
    QTimer timer_;
    QList<discovery::Target> targets_;
    bool targetsSet_ = false;
    int sent_ = 0;
};

#pragma once

#include "portmap/portmapresult.h"

#include <QObject>
#include <QTimer>

#include <memory>

class GatewayClient;
class QThread;

// Keeps the game's TCP port open on the router while a hosted game runs.
// The router is asked on a worker thread of its own, so the game never waits
// for it; outcomes come back on the owner's thread as finished(). The lease is
// renewed at half its life, and the mapping removed when the object goes
// (the hosting copy ends). Going away cuts short a mapping under way, then
// waits for the removal and for the thread to end: at most the end of a UPnP
// search (1 s), or of one request to a router that stopped answering.
class PortMapper : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultLeaseSeconds = 3600;

    explicit PortMapper(QObject *parent = nullptr);
    ~PortMapper() override;

    // False when LEXICLASH_PORTMAP is "off": hosted games then map nothing.
    static bool enabledByEnvironment();

    // The lease asked for (before start).
    void setLeaseSeconds(int seconds);
    int leaseSeconds() const;
    // Asks the router to forward an outside port (port when free, else the
    // next free one) to this computer's TCP port.
    void start(quint16 port);
    // The renewal timer's handler: asks the router for the lease again.
    void renewTimer();

signals:
    // The outcome of start(), and of a renewal that changed it.
    void finished(const PortMapResult &result);

private:
    void takeResult(const PortMapResult &result, bool renewal);

    std::unique_ptr<QThread> thread_;
    // Lives on the worker thread; the gateway client is used only there.
    std::unique_ptr<QObject> worker_;
    std::shared_ptr<GatewayClient> client_;
    QTimer renewal_;
    int leaseSeconds_ = kDefaultLeaseSeconds;
    PortMapResult last_;
};

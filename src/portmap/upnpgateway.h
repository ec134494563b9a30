#pragma once

#include <QString>

#include <miniupnpc/miniupnpc.h>

// The router as a UPnP Internet Gateway Device (libminiupnpc). Every call
// blocks the calling thread, so it lives on the port mapper's worker thread.
class UpnpGateway {
public:
    UpnpGateway() = default;
    ~UpnpGateway();
    UpnpGateway(const UpnpGateway &) = delete;
    UpnpGateway &operator=(const UpnpGateway &) = delete;

    // Looks for a gateway for up to waitMs; true when one answered.
    bool discover(int waitMs);
    // True when the gateway says its outside link is up and usable.
    bool connected() const;
    // This computer's address as the gateway sees it.
    QString localAddress() const;
    // The gateway's outside address, or empty when it does not tell.
    QString externalAddress() const;
    // Forwards TCP external to this computer's internal port for lease
    // seconds; returns 0 or the UPnP error code (718: taken by another).
    int add(quint16 external, quint16 internal, int leaseSeconds) const;
    // Removes the forwarding of TCP external.
    void remove(quint16 external) const;

private:
    UPNPUrls urls_{};
    IGDdatas data_{};
    char lanAddress_[64] = {};
    int status_ = 0;
};

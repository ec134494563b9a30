#pragma once

#include <QString>

#include <natpmp.h>

// The router as a NAT-PMP gateway (libnatpmp). Every call blocks the calling
// thread for at most the wait it is given, however often libnatpmp would
// retry.
class NatPmpGateway {
public:
    NatPmpGateway() = default;
    ~NatPmpGateway();
    NatPmpGateway(const NatPmpGateway &) = delete;
    NatPmpGateway &operator=(const NatPmpGateway &) = delete;

    // Finds the default gateway to ask; false when there is none.
    bool open();
    // The gateway's outside address; false when it did not answer in waitMs.
    bool publicAddress(QString &address, int waitMs);
    // Forwards TCP, asking for external and taking what the gateway gives
    // (it picks the next free port when that one is taken); false when the
    // gateway refused or did not answer in waitMs.
    bool add(quint16 internal, quint16 &external, int leaseSeconds, int waitMs);
    // Removes the forwarding of the internal port.
    void remove(quint16 internal, int waitMs);

private:
    bool await(natpmpresp_t &response, int waitMs);

    natpmp_t natpmp_{};
    bool open_ = false;
};

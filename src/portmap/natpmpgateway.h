#pragma once

#include <QString>

#include <natpmp.h>

#include <atomic>

// The router as a NAT-PMP gateway (libnatpmp). Every call blocks the calling
// thread for at most the wait it is given, however often libnatpmp would
// retry; the waits for an outside address or a new mapping also end soon
// after the flag given at construction is set.
class NatPmpGateway {
public:
    explicit NatPmpGateway(const std::atomic<bool> &giveUp);
    ~NatPmpGateway();
    NatPmpGateway(const NatPmpGateway &) = delete;
    NatPmpGateway &operator=(const NatPmpGateway &) = delete;

    // How a request went.
    enum class Reply { Answered, Refused, Silent };

    // Finds the default gateway to ask; false when there is none.
    bool open();
    // Asks for the gateway's outside address, waiting at most waitMs.
    Reply publicAddress(QString &address, int waitMs);
    // Forwards TCP, asking for external and taking what the gateway gives
    // (it picks the next free port when that one is taken).
    Reply add(quint16 internal, quint16 &external, int leaseSeconds, int waitMs);
    // Removes the forwarding of the internal port.
    void remove(quint16 internal, int waitMs);

private:
    Reply await(natpmpresp_t &response, int type, int waitMs, bool stoppable = true);

    const std::atomic<bool> &giveUp_;
    natpmp_t natpmp_{};
    bool open_ = false;
};

#pragma once

#include "portmap/natpmpgateway.h"
#include "portmap/portmapresult.h"
#include "portmap/upnpgateway.h"

#include <atomic>
#include <memory>

// Opens a TCP port on the router: UPnP IGD first, NAT-PMP where no IGD
// answers. Blocking, for the port mapper's worker thread; a network without
// a router costs at most kUpnpWaitMs + kNatPmpWaitMs. finish(), from any
// thread, makes a mapping under way give up at its next step.
class GatewayClient {
public:
    static constexpr int kUpnpWaitMs = 1000;
    static constexpr int kNatPmpWaitMs = 1500;
    // How many external ports from the wanted one on are tried over UPnP.
    static constexpr int kPortsTried = 16;

    GatewayClient();
    ~GatewayClient();
    GatewayClient(const GatewayClient &) = delete;
    GatewayClient &operator=(const GatewayClient &) = delete;

    // Forwards an external port (external when free, else the next free one)
    // to this computer's TCP internal port for leaseSeconds.
    PortMapResult map(quint16 internal, quint16 external, int leaseSeconds);
    // Asks again for the mapping in place, for another leaseSeconds.
    PortMapResult renew(int leaseSeconds);
    // Removes the mapping in place, if any (also after finish()).
    void unmap();
    // From any thread: no more mapping; map and renew return at their next
    // step (within 0.1 s, or at the end of a UPnP search under way).
    void finish();

private:
    PortMapResult mapUpnp(PortMapResult result, quint16 external, int leaseSeconds);
    PortMapResult mapNatPmp(PortMapResult result, quint16 external, int leaseSeconds);

    std::unique_ptr<UpnpGateway> upnp_;
    std::unique_ptr<NatPmpGateway> natpmp_;
    // The mapping in place: its outcome is Mapped.
    PortMapResult current_;
    std::atomic<bool> finished_{false};
};

// This computer's first IPv4 address other than loopback, or empty.
QString firstLocalAddress();

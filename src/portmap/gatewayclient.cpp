#include "portmap/gatewayclient.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace {

// UPnP error codes of AddPortMapping that a retry can get past.
constexpr int kConflictInMappingEntry = 718;
constexpr int kOnlyPermanentLeasesSupported = 725;

} // namespace

GatewayClient::GatewayClient() = default;
GatewayClient::~GatewayClient() = default;

PortMapResult GatewayClient::map(quint16 internal, quint16 external, int leaseSeconds)
{
    unmap();
    PortMapResult result;
    result.internalPort = internal;
    if (finished_)
        return result;
    result.localAddress = firstLocalAddress();
    upnp_ = std::make_unique<UpnpGateway>();
    if (upnp_->discover(kUpnpWaitMs) && !finished_)
        result = mapUpnp(result, external, leaseSeconds);
    else
        result = mapNatPmp(result, external, leaseSeconds);
    if (result.outcome == PortMapResult::Outcome::Mapped)
        current_ = result;
    return result;
}

PortMapResult GatewayClient::mapUpnp(PortMapResult result, quint16 external, int leaseSeconds)
{
    natpmp_.reset();
    result.method = PortMapResult::Method::Upnp;
    if (!upnp_->localAddress().isEmpty())
        result.localAddress = upnp_->localAddress();
    result.externalAddress = upnp_->externalAddress();
    // A gateway whose own outside address is private or shared calls itself
    // not connected; a mapping on it would reach no one on the internet.
    if (!upnp_->connected() || isUnreachableFromInternet(result.externalAddress)) {
        if (result.externalAddress == QLatin1String("0.0.0.0"))
            result.externalAddress.clear();
        result.outcome = PortMapResult::Outcome::SharedOutside;
        return result;
    }
    result.outcome = PortMapResult::Outcome::Refused;
    int lease = leaseSeconds;
    for (int tried = 0; tried < kPortsTried && external + tried <= 65535 && !finished_; ++tried) {
        const quint16 port = quint16(external + tried);
        int code = upnp_->add(port, result.internalPort, lease);
        if (code == kOnlyPermanentLeasesSupported) {
            lease = 0;
            code = upnp_->add(port, result.internalPort, lease);
        }
        if (code == 0) {
            result.outcome = PortMapResult::Outcome::Mapped;
            result.externalPort = port;
            return result;
        }
        if (code != kConflictInMappingEntry)
            return result;
    }
    return result;
}

PortMapResult GatewayClient::mapNatPmp(PortMapResult result, quint16 external, int leaseSeconds)
{
    using Reply = NatPmpGateway::Reply;
    upnp_.reset();
    natpmp_ = std::make_unique<NatPmpGateway>(finished_);
    const Reply asked = natpmp_->open()
                            ? natpmp_->publicAddress(result.externalAddress, kNatPmpWaitMs)
                            : Reply::Silent;
    if (asked == Reply::Silent) {
        natpmp_.reset();
        return result;
    }
    result.method = PortMapResult::Method::NatPmp;
    result.outcome = PortMapResult::Outcome::Refused;
    if (asked == Reply::Refused)
        return result;
    if (isUnreachableFromInternet(result.externalAddress)) {
        result.outcome = PortMapResult::Outcome::SharedOutside;
        return result;
    }
    quint16 mapped = external;
    if (natpmp_->add(result.internalPort, mapped, leaseSeconds, kNatPmpWaitMs) != Reply::Answered)
        return result;
    result.outcome = PortMapResult::Outcome::Mapped;
    result.externalPort = mapped;
    return result;
}

PortMapResult GatewayClient::renew(int leaseSeconds)
{
    if (current_.outcome != PortMapResult::Outcome::Mapped || finished_)
        return current_;
    PortMapResult result = current_;
    bool renewed = false;
    if (upnp_) {
        renewed = upnp_->add(current_.externalPort, current_.internalPort, leaseSeconds) == 0;
    } else if (natpmp_) {
        quint16 mapped = current_.externalPort;
        renewed = natpmp_->add(current_.internalPort, mapped, leaseSeconds, kNatPmpWaitMs) ==
                  NatPmpGateway::Reply::Answered;
        result.externalPort = mapped;
    }
    // A router that forgot the mapping (it restarted) is asked afresh.
    if (!renewed && !finished_)
        return map(current_.internalPort, current_.externalPort, leaseSeconds);
    current_ = result;
    return result;
}

void GatewayClient::unmap()
{
    if (current_.outcome == PortMapResult::Outcome::Mapped) {
        if (upnp_)
            upnp_->remove(current_.externalPort);
        else if (natpmp_)
            natpmp_->remove(current_.internalPort, kNatPmpWaitMs);
    }
    current_ = PortMapResult();
}

void GatewayClient::finish()
{
    finished_ = true;
}

QString firstLocalAddress()
{
    ifaddrs *interfaces = nullptr;
    if (::getifaddrs(&interfaces) != 0)
        return QString();
    QString found;
    for (const ifaddrs *entry = interfaces; entry && found.isEmpty(); entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET ||
            (entry->ifa_flags & IFF_LOOPBACK) || !(entry->ifa_flags & IFF_UP))
            continue;
        char text[INET_ADDRSTRLEN] = {};
        const auto *address = reinterpret_cast<const sockaddr_in *>(entry->ifa_addr);
        ::inet_ntop(AF_INET, &address->sin_addr, text, sizeof text);
        found = QString::fromLatin1(text);
    }
    ::freeifaddrs(interfaces);
    return found;
}

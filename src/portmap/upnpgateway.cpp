#include "portmap/upnpgateway.h"

#include <miniupnpc/upnpcommands.h>

namespace {

constexpr char kDescription[] = "Lexiclash game";

// Every kind of gateway is searched for at once, so that a network without
// one costs a single wait instead of one wait per kind.
constexpr const char *kGatewayTypes[] = {
    "urn:schemas-upnp-org:device:InternetGatewayDevice:1",
    "urn:schemas-upnp-org:device:InternetGatewayDevice:2",
    "urn:schemas-upnp-org:service:WANIPConnection:1",
    "urn:schemas-upnp-org:service:WANPPPConnection:1",
    nullptr,
};

} // namespace

UpnpGateway::~UpnpGateway()
{
    if (status_ != 0)
        FreeUPNPUrls(&urls_);
}

bool UpnpGateway::discover(int waitMs)
{
    int error = 0;
    UPNPDev *devices =
        upnpDiscoverDevices(kGatewayTypes, waitMs, nullptr, nullptr, 0, 0, 2, &error, 1);
    if (!devices)
        return false;
    status_ = UPNP_GetValidIGD(devices, &urls_, &data_, lanAddress_, sizeof lanAddress_);
    freeUPNPDevlist(devices);
    // 3: a UPnP device that is no gateway, whose addresses mean nothing here.
    if (status_ == 3) {
        FreeUPNPUrls(&urls_);
        status_ = 0;
    }
    return status_ == 1 || status_ == 2;
}

bool UpnpGateway::connected() const
{
    return status_ == 1;
}

QString UpnpGateway::localAddress() const
{
    return QString::fromLatin1(lanAddress_);
}

QString UpnpGateway::externalAddress() const
{
    char address[40] = {};
    if (UPNP_GetExternalIPAddress(urls_.controlURL, data_.first.servicetype, address) != 0)
        return QString();
    return QString::fromLatin1(address);
}

int UpnpGateway::add(quint16 external, quint16 internal, int leaseSeconds) const
{
    const QByteArray externalText = QByteArray::number(external);
    const QByteArray internalText = QByteArray::number(internal);
    const QByteArray lease = QByteArray::number(leaseSeconds);
    return UPNP_AddPortMapping(urls_.controlURL, data_.first.servicetype, externalText.constData(),
                               internalText.constData(), lanAddress_, kDescription, "TCP", nullptr,
                               lease.constData());
}

void UpnpGateway::remove(quint16 external) const
{
    const QByteArray externalText = QByteArray::number(external);
    UPNP_DeletePortMapping(urls_.controlURL, data_.first.servicetype, externalText.constData(),
                           "TCP", nullptr);
}

#include "portmap/portmapresult.h"

#include <arpa/inet.h>
#include <netinet/in.h>

namespace {

struct Block {
    quint32 network;
    int prefix;
};

constexpr Block kUnreachable[] = {
    {0x00000000, 8},  {0x0A000000, 8},  {0x64400000, 10}, {0x7F000000, 8},
    {0xA9FE0000, 16}, {0xAC100000, 12}, {0xC0A80000, 16},
};

QString thisComputer(const QString &localAddress)
{
    return localAddress.isEmpty() ? QStringLiteral("this computer")
                                  : QStringLiteral("this computer (%1)").arg(localAddress);
}

} // namespace

bool isUnreachableFromInternet(const QString &ipv4)
{
    in_addr parsed{};
    if (::inet_pton(AF_INET, ipv4.toLatin1().constData(), &parsed) != 1)
        return true;
    const quint32 address = ntohl(parsed.s_addr);
    for (const Block &block : kUnreachable) {
        const quint32 mask = ~quint32(0) << (32 - block.prefix);
        if ((address & mask) == block.network)
            return true;
    }
    return false;
}

QString PortMapResult::message() const
{
    switch (outcome) {
    case Outcome::Mapped:
        return QStringLiteral("Players on the internet can join this game at %1:%2: the router "
                              "opened the port.")
            .arg(externalAddress)
            .arg(externalPort);
    case Outcome::NoAnswer:
        return QStringLiteral("The router did not answer, so players outside your local network "
                              "cannot join yet: forward TCP port %1 on the router to %2.")
            .arg(internalPort)
            .arg(thisComputer(localAddress));
    case Outcome::Refused:
        return QStringLiteral("The router would not open the port, so players outside your local "
                              "network cannot join yet: forward TCP port %1 on the router to %2.")
            .arg(internalPort)
            .arg(thisComputer(localAddress));
    case Outcome::SharedOutside:
        return QStringLiteral("The router's outside address%1 is itself private or shared "
                              "(carrier-grade NAT), so forwarding a port cannot help: players "
                              "outside your local network can join over IPv6, or one of them can "
                              "host.")
            .arg(externalAddress.isEmpty() ? QString()
                                           : QStringLiteral(" (%1)").arg(externalAddress));
    }
    return QString();
}

QString PortMapResult::offMessage(quint16 port)
{
    return QStringLiteral("This game does not ask the router to open its port "
                          "(LEXICLASH_PORTMAP=off): players outside your local network can "
                          "join once TCP port %1 is forwarded on the router to this computer.")
        .arg(port);
}

QString PortMapResult::methodName() const
{
    switch (method) {
    case Method::Upnp:
        return QStringLiteral("UPnP");
    case Method::NatPmp:
        return QStringLiteral("NAT-PMP");
    case Method::None:
        break;
    }
    return QStringLiteral("none");
}

#pragma once

#include <QMetaType>
#include <QString>

// What asking the router to open the game port came to, in the words the
// host is shown.
struct PortMapResult {
    enum class Outcome {
        // The router forwards externalAddress:externalPort to the game.
        Mapped,
        // No router answered: the port must be forwarded by hand.
        NoAnswer,
        // A router answered but would not open the port.
        Refused,
        // The router's outside address is private or shared (carrier-grade
        // NAT): no forwarding on it reaches this computer from the internet.
        SharedOutside,
    };
    enum class Method { None, Upnp, NatPmp };

    Outcome outcome = Outcome::NoAnswer;
    Method method = Method::None;
    QString externalAddress;
    quint16 externalPort = 0;
    quint16 internalPort = 0;
    // This computer's address on the local network, for forwarding by hand.
    QString localAddress;

    // One plain sentence for the host.
    QString message() const;
    // "UPnP", "NAT-PMP" or "none".
    QString methodName() const;
    // The sentence for a host whose port mapping is turned off.
    static QString offMessage(quint16 port);
};

Q_DECLARE_METATYPE(PortMapResult)

// True for an IPv4 address that the internet cannot reach: private ranges,
// the shared range of carrier-grade NAT (100.64.0.0/10), loopback,
// link-local, 0.0.0.0 and anything that is not an IPv4 address.
bool isUnreachableFromInternet(const QString &ipv4);

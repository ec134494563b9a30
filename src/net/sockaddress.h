#pragma once

#include <QString>

#include <sys/socket.h>

// An IPv4 or IPv6 socket address in the form the system calls take, with its
// port in host order.
class SockAddress {
public:
    SockAddress() = default;
    // An IPv4 address in host order and a port.
    static SockAddress ipv4(quint32 address, quint16 port);
    // What accept, recvfrom or getsockname filled in (length bytes of raw).
    static SockAddress fromSystem(const sockaddr_storage &raw, socklen_t length);

    // The family an empty address reports: none (0).
    static constexpr int kNoFamily = 0;

    // AF_INET, AF_INET6, or kNoFamily for an empty address.
    int family() const;
    quint16 port() const;
    void setPort(quint16 port);
    // The address as text: dotted numbers for IPv4 and for IPv4 reached over
    // IPv6 (::ffff:a.b.c.d), the usual short form for IPv6; empty when empty.
    QString text() const;

    const sockaddr *data() const;
    socklen_t size() const;

private:
    sockaddr_storage storage_{};
    socklen_t length_ = 0;
};

#include "net/sockaddress.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstring>

SockAddress SockAddress::ipv4(quint32 address, quint16 port)
{
    SockAddress result;
    auto *sa = reinterpret_cast<sockaddr_in *>(&result.storage_);
    sa->sin_family = AF_INET;
    sa->sin_port = htons(port);
    sa->sin_addr.s_addr = htonl(address);
    result.length_ = sizeof(sockaddr_in);
    return result;
}

SockAddress SockAddress::fromSystem(const sockaddr_storage &raw, socklen_t length)
{
    SockAddress result;
    result.storage_ = raw;
    result.length_ = qMin<socklen_t>(length, sizeof raw);
    return result;
}

int SockAddress::family() const
{
    return length_ == 0 ? kNoFamily : storage_.ss_family;
}

quint16 SockAddress::port() const
{
    switch (family()) {
    case AF_INET:
        return ntohs(reinterpret_cast<const sockaddr_in *>(&storage_)->sin_port);
    case AF_INET6:
        return ntohs(reinterpret_cast<const sockaddr_in6 *>(&storage_)->sin6_port);
    default:
        return 0;
    }
}

void SockAddress::setPort(quint16 port)
{
    if (family() == AF_INET)
        reinterpret_cast<sockaddr_in *>(&storage_)->sin_port = htons(port);
    else if (family() == AF_INET6)
        reinterpret_cast<sockaddr_in6 *>(&storage_)->sin6_port = htons(port);
}

QString SockAddress::text() const
{
    char buffer[INET6_ADDRSTRLEN] = {};
    if (family() == AF_INET) {
        const auto *sa = reinterpret_cast<const sockaddr_in *>(&storage_);
        ::inet_ntop(AF_INET, &sa->sin_addr, buffer, sizeof buffer);
        return QString::fromLatin1(buffer);
    }
    if (family() != AF_INET6)
        return QString();
    const auto *sa6 = reinterpret_cast<const sockaddr_in6 *>(&storage_);
    if (IN6_IS_ADDR_V4MAPPED(&sa6->sin6_addr)) {
        in_addr v4{};
        std::memcpy(&v4, sa6->sin6_addr.s6_addr + 12, sizeof v4);
        ::inet_ntop(AF_INET, &v4, buffer, sizeof buffer);
        return QString::fromLatin1(buffer);
    }
    ::inet_ntop(AF_INET6, &sa6->sin6_addr, buffer, sizeof buffer);
    return QString::fromLatin1(buffer);
}

const sockaddr *SockAddress::data() const
{
    return reinterpret_cast<const sockaddr *>(&storage_);
}

socklen_t SockAddress::size() const
{
    return length_;
}

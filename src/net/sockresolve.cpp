#include "net/sockresolve.h"

#include "common/intconv.h"

#include <QHash>

#include <arpa/inet.h>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

// Host names resolved during this run, keyed by the lower-case name; entries
// are never dropped, so every name is looked up once.
QHash<QString, SockAddress> &hostCache()
{
    static QHash<QString, SockAddress> cache;
    return cache;
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The numeric forms the classic address parser takes (a.b.c.d, a.b.c, a.b, a,
// each part decimal, octal or hexadecimal), and nothing else.
bool parseDotted(const QString &name, quint32 &address)
{
    // inet_aton would also take text after a blank.
    static const QString allowed = QStringLiteral("0123456789.xXabcdefABCDEF");
    for (const QChar c : name) {
        if (!allowed.contains(c))
            return false;
    }
    in_addr parsed{};
    if (inet_aton(name.toLatin1().constData(), &parsed) == 0)
        return false;
    address = ntohl(parsed.s_addr);
    return true;
}

// An IPv6 literal, with or without the brackets of "[::1]", and with a zone
// ("fe80::1%eth0") where it has one.
bool parseIpv6(QString name, SockAddress &address)
{
    if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        name = name.mid(1, name.size() - 2);
    if (!name.contains(QLatin1Char(':')))
        return false;
    addrinfo hints{};
    hints.ai_family = AF_INET6;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST;
    addrinfo *found = nullptr;
    if (::getaddrinfo(name.toLatin1().constData(), nullptr, &hints, &found) != 0 || !found)
        return false;
    sockaddr_storage raw{};
    std::memcpy(&raw, found->ai_addr, found->ai_addrlen);
    address = SockAddress::fromSystem(raw, found->ai_addrlen);
    ::freeaddrinfo(found);
    return true;
}

// The first IPv4 address of a name, else its first IPv6 one: a host that has
// both is reached as it always was, a host with IPv6 alone is reached too.
bool resolveName(const QString &name, SockAddress &address)
{
    // A zeroed family asks for every family.
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (::getaddrinfo(name.toUtf8().constData(), nullptr, &hints, &found) != 0 || !found)
        return false;
    const addrinfo *chosen = nullptr;
    for (const addrinfo *entry = found; entry; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET) {
            chosen = entry;
            break;
        }
        if (entry->ai_family == AF_INET6 && !chosen)
            chosen = entry;
    }
    if (chosen) {
        sockaddr_storage raw{};
        std::memcpy(&raw, chosen->ai_addr, chosen->ai_addrlen);
        address = SockAddress::fromSystem(raw, chosen->ai_addrlen);
    }
    ::freeaddrinfo(found);
    return chosen != nullptr;
}

} // namespace

quint16 lookupPort(const QString &name, TSocketType type)
{
    if (!name.isEmpty() && isDigit(name.at(0))) {
        const int port = strToInt(name);
        if (port > 65535)
            throw ESockException(TSockError::ServiceNotFound);
        return quint16(port);
    }
    const char *protocol = type == TSocketType::stStream ? "tcp" : "udp";
    const servent *service = ::getservbyname(name.toLatin1().constData(), protocol);
    if (name.isEmpty() || !service)
        throw ESockException(TSockError::ServiceNotFound);
    return ntohs(quint16(service->s_port));
}

SockAddress lookupHost(const QString &name)
{
    if (name.isEmpty())
        throw ESockException(TSockError::HostNotFound);
    SockAddress address;
    if (parseIpv6(name, address))
        return address;
    if (isDigit(name.at(0))) {
        quint32 dotted = 0;
        if (!parseDotted(name, dotted))
            throw ESockException(TSockError::HostNotFound);
        return SockAddress::ipv4(dotted, 0);
    }
    const QString key = name.toLower();
    const auto cached = hostCache().constFind(key);
    if (cached != hostCache().constEnd())
        return cached.value();
    if (!resolveName(name, address))
        throw ESockException(TSockError::HostNotFound);
    hostCache().insert(key, address);
    return address;
}

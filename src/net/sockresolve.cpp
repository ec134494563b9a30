#include "net/sockresolve.h"

#include "common/intconv.h"

#include <QHash>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

// Host names resolved during this run, keyed by the lower-case name; entries
// are never dropped, so every name is looked up once.
QHash<QString, quint32> &hostCache()
{
    static QHash<QString, quint32> cache;
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

quint32 lookupHost(const QString &name)
{
    if (name.isEmpty())
        throw ESockException(TSockError::HostNotFound);
    if (isDigit(name.at(0))) {
        quint32 address = 0;
        if (!parseDotted(name, address))
            throw ESockException(TSockError::HostNotFound);
        return address;
    }
    const QString key = name.toLower();
    const auto cached = hostCache().constFind(key);
    if (cached != hostCache().constEnd())
        return cached.value();
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (::getaddrinfo(name.toUtf8().constData(), nullptr, &hints, &found) != 0 || !found)
        throw ESockException(TSockError::HostNotFound);
    const quint32 address =
        ntohl(reinterpret_cast<const sockaddr_in *>(found->ai_addr)->sin_addr.s_addr);
    ::freeaddrinfo(found);
    hostCache().insert(key, address);
    return address;
}

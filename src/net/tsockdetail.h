#pragma once

// Helpers shared by the socket component's own sources (tsock.cpp and
// tsockmodes.cpp); not for use elsewhere.

#include <QString>

#include <cerrno>
#include <netinet/in.h>

namespace tsockdetail {

// The most that one network read takes.
constexpr qsizetype kReadArea = 32768;

// A failure that the next attempt may not see again.
inline bool isTransient(int err)
{
    return err == EAGAIN || err == EWOULDBLOCK || err == EINTR;
}

// An address in host order as dotted numbers.
inline QString dotted(quint32 address)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg((address >> 24) & 0xFF)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg(address & 0xFF);
}

// An IPv4 socket address from an address and a port in host order.
inline sockaddr_in socketAddress(quint32 address, quint16 port)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(address);
    return sa;
}

// Runs an assigned callback. A callback may reassign itself or delete the
// object that holds it, so the call runs on a copy.
template <typename Callback, typename... Args>
void runCallback(const Callback &callback, Args... args)
{
    if (!callback)
        return;
    const Callback copy = callback;
    copy(args...);
}

} // namespace tsockdetail

#pragma once

// Helpers shared by the socket component's own sources (tsock.cpp and
// tsockmodes.cpp); not for use elsewhere.

#include <QString>

#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace tsockdetail {

// The most that one network read takes.
constexpr qsizetype kReadArea = 32768;

// A failure that the next attempt may not see again.
inline bool isTransient(int err)
{
    return err == EAGAIN || err == EWOULDBLOCK || err == EINTR;
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

// Game messages are small and wanted at once: a stream connection sends
// each write without waiting for the answer to the one before (no Nagle),
// so a login made of several writes is not held back by delayed answers.
inline void sendWritesAtOnce(int fd)
{
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

} // namespace tsockdetail

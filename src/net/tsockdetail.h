#pragma once

// Helpers shared by the socket component's own sources (tsock.cpp and
// tsockmodes.cpp); not for use elsewhere.

#include <QString>

#include <cerrno>

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

} // namespace tsockdetail

// The listening side of TSock: starting and stopping to listen, and taking
// pending connections, each of which becomes a TSock of its own.

#include "net/tsock.h"
#include "net/tsockdetail.h"

#include <QTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>

using namespace tsockdetail;

namespace {

constexpr int kListenQueue = 5;
constexpr int kAcceptRetryMs = 1000;

} // namespace

void TSock::setListen(bool listen)
{
    if (fd_ >= 0 && !listening_) {
        listening_ = false;
        throw ESockException(TSockError::ListenInUse);
    }
    if (listen && type_ == TSocketType::stDatagram)
        throw ESockException(TSockError::ListenOnDatagram);
    if (!listen) {
        listening_ = false;
        const QPointer<TSock> self(this);
        Close();
        if (self)
            report(TSocketInfo::siListen, TSockReport::ListeningStopped);
        return;
    }
    if (listening_) {
        report(TSocketInfo::siListen, TSockReport::ListeningAlreadyRunning);
        return;
    }
    const int fd = openListeningSocket(resolvePort());
    if (::listen(fd, kListenQueue) != 0) {
        ::close(fd);
        throw ESockException(TSockError::ListenStart);
    }
    attach(fd);
    listening_ = true;
    updateNotifiers();
    report(TSocketInfo::siListen, TSockReport::ListeningStarted);
}

// A bound stream socket: one IPv6 socket that also takes IPv4 connections
// (as ::ffff:a.b.c.d), an IPv4 one where the system has no IPv6, or one on
// 127.0.0.1 for a loopback-only listener. Raises ListenBind.
int TSock::openListeningSocket(quint16 port) const
{
    int fd = -1;
    if (!loopbackOnly_)
        fd = ::socket(AF_INET6, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const bool dualStack = fd >= 0;
    if (!dualStack)
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw ESockException(TSockError::ListenBind);
    // A restarted host must be able to bind again while old connections of
    // the previous run still linger in TIME_WAIT.
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    int bound = -1;
    if (dualStack) {
        const int off = 0;
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
        sockaddr_in6 sa{};
        sa.sin6_family = AF_INET6;
        sa.sin6_port = htons(port);
        sa.sin6_addr = in6addr_any;
        bound = ::bind(fd, reinterpret_cast<const sockaddr *>(&sa), sizeof sa);
    } else {
        const SockAddress sa =
            SockAddress::ipv4(loopbackOnly_ ? INADDR_LOOPBACK : INADDR_ANY, port);
        bound = ::bind(fd, sa.data(), sa.size());
    }
    if (bound != 0) {
        ::close(fd);
        throw ESockException(TSockError::ListenBind);
    }
    return fd;
}

bool TSock::Accept(TSock *&newSock)
{
    if (!listening_)
        throw ESockException(TSockError::AcceptNotListening);
    if (blocking_ && !awaitBlockingAccept())
        return false;
    acceptAwaited_ = false;
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    const int fd =
        ::accept4(fd_, reinterpret_cast<sockaddr *>(&peer), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    const int err = errno;
    if (fd < 0 && !isTransient(err) && err != ECONNABORTED)
        pauseAccepting();
    updateNotifiers();
    if (fd < 0) {
        report(TSocketInfo::siAccept, TSockReport::CouldNotAccept);
        return false;
    }
    remoteAddress_ = SockAddress::fromSystem(peer, length);
    remotePort_ = remoteAddress_.port();
    // Owned here until the new object has made its reports; should one of
    // them raise, the connection is closed again.
    auto accepted = std::make_unique<TSock>(this);
    accepted->adoptAccepted(fd, *this, remoteAddress_);
    newSock = accepted.release();
    report(TSocketInfo::siAccept, TSockReport::CreatedNewTSock);
    return true;
}

// Out of descriptors or memory the connection stays queued and the listener
// would be notified again at once, round after round; it looks again after a
// pause instead, when descriptors may have been freed.
void TSock::pauseAccepting()
{
    acceptAwaited_ = true;
    const quint64 epoch = epoch_;
    QTimer::singleShot(kAcceptRetryMs, this, [this, epoch] {
        if (epoch != epoch_ || !listening_)
            return;
        acceptAwaited_ = false;
        updateNotifiers();
    });
}

void TSock::adoptAccepted(int fd, const TSock &listener, const SockAddress &peer)
{
    blocking_ = listener.blocking_;
    blockingTimeout_ = listener.blockingTimeout_;
    OnRead = listener.OnRead;
    OnWrite = listener.OnWrite;
    OnDisconnect = listener.OnDisconnect;
    OnInfo = listener.OnInfo;
    attach(fd);
    sendWritesAtOnce(fd);
    connected_ = true;
    remoteAddress_ = peer;
    remotePort_ = listener.remotePort_;
    updateNotifiers();
    // A new connection can take data at once; the owner learns so from one
    // writable notification, as for a completed connect.
    if (!blocking_)
        postNotify(Event::Writable, 0);
    setPortName(listener.port_);
    setHostName(peer.text());
}

void TSock::handlePending()
{
    // The listener waits for Accept before it looks for the next connection,
    // so an owner that takes its time is not flooded.
    acceptAwaited_ = true;
    if (!autoAccept_ || !OnAutoAccept) {
        runCallback(OnAccept, this);
        return;
    }
    TSock *accepted = nullptr;
    if (Accept(accepted))
        runCallback(OnAutoAccept, this, accepted);
}

#pragma once

// Shared by the socket component's tests: a report log, a listening TSock
// that accepts everything, and plain POSIX sockets for the far end.

#include "common/errors.h"
#include "net/tsock.h"

#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <optional>

using SockCode = std::optional<TSockError>;
Q_DECLARE_METATYPE(SockCode)

inline constexpr int kWait = 15000;

using SockAction = std::function<void(TSock &sock, quint16 listenPort)>;

// Records what a TSock tells its owner, one line per report or callback.
struct Log {
    QStringList lines;

    void watch(TSock &sock, const QString &who = QString())
    {
        sock.OnInfo = infoSink(who);
        sock.OnDisconnect = [this, who](TSock *) { lines << who + "disconnect"; };
        sock.OnConnect = [this, who](TSock *) { lines << who + "connect"; };
    }
    TNotifyInfoEvent infoSink(const QString &who = QString())
    {
        return [this, who](TSock *, TSocketInfo kind, const QString &msg) {
            lines << who + socketInfoName(kind) + ": " + msg;
        };
    }
    bool has(const QString &line) const { return lines.contains(line); }
};

// A TSock listening on a port the system chose, accepting every connection.
struct Server {
    TSock listener;
    QList<QPointer<TSock>> accepted;
    std::function<void(TSock *)> onAccepted;

    Server()
    {
        listener.setPortName("0");
        listener.OnAccept = [this](TSock *sender) {
            TSock *sock = nullptr;
            if (!sender->Accept(sock))
                return;
            accepted << sock;
            if (onAccepted)
                onAccepted(sock);
        };
        listener.setListen(true);
    }
    quint16 port() const { return listener.localPort(); }
    TSock *waitAccepted(int index = 0)
    {
        if (!QTest::qWaitFor([&] { return accepted.size() > index; }, kWait))
            return nullptr;
        return accepted.at(index);
    }
};

inline sockaddr_in loopback(quint16 port)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return sa;
}

// A plain blocking socket for the far end, so the test controls exactly what
// goes on the wire.
inline int rawConnect(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in sa = loopback(port);
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&sa), sizeof sa) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

inline int rawListen(quint16 &port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa = loopback(0);
    socklen_t length = sizeof sa;
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&sa), sizeof sa) != 0 ||
        ::listen(fd, 5) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&sa), &length) != 0) {
        ::close(fd);
        return -1;
    }
    port = ntohs(sa.sin_port);
    return fd;
}

inline bool rawSend(int fd, const QByteArray &data)
{
    return ::send(fd, data.constData(), size_t(data.size()), MSG_NOSIGNAL) == data.size();
}

// Everything the peer sends until it closes, with the event loop running so
// that the TSock on the other end can make progress.
inline QByteArray rawReadUntilClosed(int fd)
{
    QByteArray all;
    bool closed = false;
    const bool done = QTest::qWaitFor(
        [&] {
            char chunk[4096];
            for (;;) {
                const ssize_t got = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
                if (got > 0) {
                    all.append(chunk, got);
                    continue;
                }
                closed = got == 0;
                return closed;
            }
        },
        kWait);
    return done ? all : QByteArray("<peer did not close>");
}

// A port on which nothing listens: the system chose it a moment ago.
inline quint16 closedPort()
{
    quint16 port = 0;
    const int fd = rawListen(port);
    ::close(fd);
    return port;
}

// The text of the failure that action raises, or "<no exception>".
inline QString failureOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const Error &e) {
        return e.message();
    }
    return QStringLiteral("<no exception>");
}

// The code of the socket failure that action raises, or none.
inline SockCode sockErrorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const ESockException &e) {
        return e.code();
    }
    return std::nullopt;
}

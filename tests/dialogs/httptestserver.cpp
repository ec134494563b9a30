#include "httptestserver.h"

#include <QSocketNotifier>
#include <QTimer>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

struct HttpTestServer::Connection {
    int fd = -1;
    QByteArray in;
    QByteArray out;
    QByteArray pendingBody;
    int dripSize = 0;
    bool answered = false;
    bool closeWhenSent = false;
    std::unique_ptr<QSocketNotifier> reader;
    std::unique_ptr<QSocketNotifier> writer;
    std::unique_ptr<QTimer> dripTimer;
};

namespace {
void setNonBlocking(int fd)
{
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}
} // namespace

HttpTestServer::HttpTestServer(QObject *parent)
    : QObject(parent)
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (listenFd_ < 0)
        throw std::runtime_error("socket failed");
    const int yes = 1;
    setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(listenFd_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(listenFd_, 16) != 0)
        throw std::runtime_error("bind or listen failed");
    socklen_t length = sizeof address;
    getsockname(listenFd_, reinterpret_cast<sockaddr *>(&address), &length);
    port_ = ntohs(address.sin_port);
    setNonBlocking(listenFd_);
    auto *notifier = new QSocketNotifier(listenFd_, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] { acceptPending(); });
}

HttpTestServer::~HttpTestServer()
{
    for (auto &connection : connections_)
        ::close(connection->fd);
    ::close(listenFd_);
}

QByteArray HttpTestServer::url(const QByteArray &path) const
{
    return "http://127.0.0.1:" + QByteArray::number(port_) + path;
}

int HttpTestServer::openConnections() const
{
    return int(connections_.size());
}

void HttpTestServer::acceptPending()
{
    for (;;) {
        const int fd = ::accept(listenFd_, nullptr, nullptr);
        if (fd < 0)
            return;
        setNonBlocking(fd);
        auto connection = std::make_unique<Connection>();
        connection->fd = fd;
        connection->reader = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        Connection *raw = connection.get();
        connect(connection->reader.get(), &QSocketNotifier::activated, this,
                [this, raw] { readFrom(*raw); });
        connections_.push_back(std::move(connection));
    }
}

void HttpTestServer::readFrom(Connection &connection)
{
    char buffer[4096];
    const ssize_t got = ::recv(connection.fd, buffer, sizeof buffer, 0);
    if (got <= 0) {
        drop(connection);
        return;
    }
    if (connection.answered)
        return;
    connection.in.append(buffer, got);
    const qsizetype end = connection.in.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    connection.answered = true;
    answer(connection, connection.in.left(end + 2));
}

void HttpTestServer::answer(Connection &connection, const QByteArray &head)
{
    requests_.append(head);
    const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
    const QByteArray path = requestLine.size() > 1 ? requestLine[1] : QByteArray();
    Reply reply;
    if (replies_.contains(path)) {
        reply = replies_.value(path);
    } else {
        reply.status = 404;
        reply.reason = "Not Found";
        reply.body = "<html><body>Not Found</body></html>";
    }
    const qsizetype announced =
        reply.mode == Mode::Truncated ? reply.body.size() + 100 : reply.body.size();
    QByteArray out = "HTTP/1.0 " + QByteArray::number(reply.status) + ' ' + reply.reason +
                     "\r\nServer: lexiclash-test\r\nContent-Type: application/octet-stream\r\n";
    if (reply.mode != Mode::Stall)
        out += "Content-Length: " + QByteArray::number(announced) + "\r\n";
    out += reply.extraHeaders + "\r\n";
    connection.out = out;
    switch (reply.mode) {
    case Mode::Complete:
    case Mode::Truncated:
        connection.out += reply.body;
        connection.closeWhenSent = true;
        break;
    case Mode::Stall:
        connection.out += reply.body;
        break;
    case Mode::Drip: {
        connection.pendingBody = reply.body;
        connection.dripSize = std::max(1, reply.dripSize);
        connection.dripTimer = std::make_unique<QTimer>();
        connection.dripTimer->setInterval(0);
        Connection *raw = &connection;
        connect(connection.dripTimer.get(), &QTimer::timeout, this, [this, raw] { drip(*raw); });
        connection.dripTimer->start();
        break;
    }
    }
    flush(connection);
}

void HttpTestServer::drip(Connection &connection)
{
    connection.out += connection.pendingBody.left(connection.dripSize);
    connection.pendingBody.remove(0, connection.dripSize);
    if (connection.pendingBody.isEmpty()) {
        connection.dripTimer->stop();
        connection.closeWhenSent = true;
    }
    flush(connection);
}

void HttpTestServer::flush(Connection &connection)
{
    while (!connection.out.isEmpty()) {
        const ssize_t sent =
            ::send(connection.fd, connection.out.constData(), connection.out.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                drop(connection);
                return;
            }
            if (!connection.writer) {
                connection.writer =
                    std::make_unique<QSocketNotifier>(connection.fd, QSocketNotifier::Write);
                Connection *raw = &connection;
                connect(connection.writer.get(), &QSocketNotifier::activated, this,
                        [this, raw] { flush(*raw); });
            }
            connection.writer->setEnabled(true);
            return;
        }
        connection.out.remove(0, sent);
    }
    if (connection.writer)
        connection.writer->setEnabled(false);
    if (connection.closeWhenSent)
        drop(connection);
}

void HttpTestServer::drop(Connection &connection)
{
    const auto it = std::find_if(connections_.begin(), connections_.end(),
                                 [&connection](const auto &c) { return c.get() == &connection; });
    if (it == connections_.end())
        return;
    // The notifier whose signal led here may still be delivering it.
    std::unique_ptr<Connection> gone = std::move(*it);
    connections_.erase(it);
    gone->reader->setEnabled(false);
    if (gone->writer)
        gone->writer->setEnabled(false);
    if (gone->dripTimer)
        gone->dripTimer->stop();
    ::close(gone->fd);
    gone->reader.release()->deleteLater();
    if (gone->writer)
        gone->writer.release()->deleteLater();
    if (gone->dripTimer)
        gone->dripTimer.release()->deleteLater();
}

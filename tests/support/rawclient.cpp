#include "rawclient.h"

#include "net/messages.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

RawClient::~RawClient()
{
    close();
}

bool RawClient::connectTo(quint16 port)
{
    close();
    closed_ = false;
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return false;
    const int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        close();
        return false;
    }
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
    return true;
}

bool RawClient::send(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (fd_ >= 0 && done < bytes.size()) {
        const ssize_t n =
            ::send(fd_, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // A server in this process only reads while its events run.
            QCoreApplication::processEvents();
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, 1);
            continue;
        }
        closed_ = true;
        return false;
    }
    return fd_ >= 0;
}

void RawClient::readAvailable(const std::function<void(const QByteArray &)> &sink)
{
    char buffer[65536];
    while (fd_ >= 0 && !closed_) {
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            sink(QByteArray(buffer, qsizetype(n)));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        closed_ = true;
    }
}

void RawClient::poll(int ms)
{
    if (fd_ < 0 || closed_)
        return;
    if (ms > 0) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0)
            return;
    }
    readAvailable([this](const QByteArray &bytes) {
        for (QByteArray &message : framer_.feed(bytes)) {
            const SplitMessage m = splitMessage(message);
            if (seat_ == 0 && m.command == Cmd::sendlogininfo)
                seat_ = Msg::readSendlogininfo(m.body);
            received_.append(std::move(message));
        }
    });
}

bool RawClient::drain()
{
    readAvailable([](const QByteArray &) {});
    return fd_ >= 0 && !closed_;
}

bool RawClient::waitFor(const QByteArray &prefix, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        for (const QByteArray &m : received_) {
            if (m.startsWith(prefix))
                return true;
        }
        if (closed_ || timer.elapsed() > timeoutMs)
            return false;
        poll(20);
    }
}

bool RawClient::waitClosed(int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!closed_ && timer.elapsed() <= timeoutMs)
        poll(20);
    return closed_;
}

bool RawClient::login(const QByteArray &name, int timeoutMs)
{
    if (!waitFor(Cmd::sendlogininfo, timeoutMs))
        return false;
    return send(Msg::logininfo(seat_, "1.0.3", name));
}

void RawClient::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void RawClient::reset()
{
    if (fd_ < 0)
        return;
    const linger option{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &option, sizeof option);
    close();
}

std::optional<QByteArray> RawClient::take(const std::function<bool(const QByteArray &)> &match)
{
    for (auto it = received_.begin(); it != received_.end(); ++it) {
        if (match(*it)) {
            QByteArray message = std::move(*it);
            received_.erase(it);
            return message;
        }
    }
    return std::nullopt;
}

QList<QByteArray> RawClient::withCommand(const QByteArray &command) const
{
    QList<QByteArray> found;
    for (const QByteArray &m : received_) {
        if (splitMessage(m).command == command)
            found.append(m);
    }
    return found;
}

QList<QByteArray> RawClient::gotwords(int seat) const
{
    QList<QByteArray> words;
    for (const QByteArray &message : withCommand(Cmd::gotword)) {
        const Msg::GotWord got = Msg::readGotword(splitMessage(message).body);
        if (got.seat == seat)
            words.append(got.word);
    }
    return words;
}

#include "rawclient.h"

#include "net/messages.h"

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <cerrno>
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
    const int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return ::connect(fd_, reinterpret_cast<const sockaddr *>(&sa), sizeof sa) == 0;
}

bool RawClient::send(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (fd_ >= 0 && done < bytes.size()) {
        const ssize_t n =
            ::send(fd_, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            closed_ = true;
            return false;
        }
        done += n;
    }
    return fd_ >= 0;
}

void RawClient::poll(int ms)
{
    if (fd_ < 0 || closed_)
        return;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, ms) <= 0)
        return;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            for (QByteArray &text : framer_.feed(QByteArray(buffer, qsizetype(n))))
                received_.append(std::move(text));
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        closed_ = true;
        return;
    }
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
    seat_ = Msg::readSendlogininfo(splitMessage(withCommand(Cmd::sendlogininfo).first()).body);
    return send(Msg::logininfo(seat_, "1.0.3", name));
}

void RawClient::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
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

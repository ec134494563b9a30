#include "testclient.h"

#include "net/messages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

TestClient::~TestClient()
{
    close();
}

bool TestClient::connectTo(quint16 port)
{
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd_ < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        close();
        return false;
    }
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
    return true;
}

void TestClient::send(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (fd_ >= 0 && done < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.constData() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            QCoreApplication::processEvents();
            continue;
        }
        return;
    }
}

void TestClient::poll()
{
    if (fd_ < 0 || peerClosed_)
        return;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n > 0) {
            for (const QByteArray &message : framer_.feed(QByteArray(buffer, n))) {
                const SplitMessage m = splitMessage(message);
                if (seat_ == 0 && m.command == Cmd::sendlogininfo)
                    seat_ = Msg::readSendlogininfo(m.body);
                received_.append(message);
            }
            continue;
        }
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            peerClosed_ = true;
        return;
    }
}

void TestClient::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void TestClient::reset()
{
    if (fd_ < 0)
        return;
    linger option{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &option, sizeof option);
    close();
}

int TestClient::seat() const
{
    return seat_;
}

QList<QByteArray> TestClient::withCommand(const QByteArray &command) const
{
    QList<QByteArray> found;
    for (const QByteArray &message : received_) {
        if (splitMessage(message).command == command)
            found.append(message);
    }
    return found;
}

QList<QByteArray> TestClient::gotwords(int seat) const
{
    QList<QByteArray> words;
    for (const QByteArray &message : withCommand(Cmd::gotword)) {
        const Msg::GotWord got = Msg::readGotword(splitMessage(message).body);
        if (got.seat == seat)
            words.append(got.word);
    }
    return words;
}

bool waitUntil(const std::function<bool()> &condition, const QList<TestClient *> &clients,
               int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        for (TestClient *client : clients)
            client->poll();
        if (condition())
            return true;
        if (clock.elapsed() > timeoutMs)
            return false;
        QThread::msleep(1);
    }
}

void settle(const QList<TestClient *> &clients, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        for (TestClient *client : clients)
            client->poll();
        QThread::msleep(1);
    }
}

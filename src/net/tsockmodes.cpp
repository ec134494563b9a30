// The modes of TSock that the game never uses: blocking operations, which wait
// on the calling thread, and datagram sockets.

#include "net/tsock.h"
#include "net/tsockdetail.h"

#include <QPointer>

#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <utility>

using namespace tsockdetail;

bool TSock::openDatagram(const SockAddress &sa)
{
    if (::bind(fd_, sa.data(), sa.size()) != 0) {
        reportErrorCode(wsaErrorFromErrno(errno));
        return false;
    }
    connected_ = true;
    updateNotifiers();
    const QPointer<TSock> self(this);
    report(TSocketInfo::siConnect, TSockReport::DatagramConnected);
    if (!self)
        return false;
    runCallback(OnConnect, this);
    return self ? connected_ : false;
}

bool TSock::openBlocking(const SockAddress &sa)
{
    int err = 0;
    if (::connect(fd_, sa.data(), sa.size()) != 0) {
        err = errno;
        if (err == EINPROGRESS || err == EINTR) {
            waitReady(POLLOUT, -1);
            socklen_t length = sizeof err;
            if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &err, &length) != 0)
                err = errno;
        }
    }
    const QPointer<TSock> self(this);
    if (err != 0) {
        report(TSocketInfo::siClose, TSockReport::BlockingCantConnect);
        if (self)
            Close();
        return false;
    }
    connected_ = true;
    report(TSocketInfo::siConnect, TSockReport::BlockingConnected);
    if (!self)
        return false;
    runCallback(OnConnect, this);
    return self ? connected_ : false;
}

bool TSock::awaitBlockingAccept()
{
    const QPointer<TSock> self(this);
    report(TSocketInfo::siAccept, TSockReport::BlockingAccept);
    if (!self || !listening_)
        return false;
    waitReady(POLLIN, -1);
    return true;
}

bool TSock::sendBlocking()
{
    const QPointer<TSock> self(this);
    const quint64 epoch = epoch_;
    while (!sendBuffer_.isEmpty()) {
        const ssize_t sent =
            ::send(fd_, sendBuffer_.constData(), size_t(sendBuffer_.size()), MSG_NOSIGNAL);
        if (sent < 0) {
            if (isTransient(errno)) {
                waitReady(POLLOUT, -1);
                continue;
            }
            report(TSocketInfo::siError, TSockReport::SocketErrorOnSend);
            throw ESockException(TSockError::SendFailed);
        }
        sendBuffer_.remove(0, qsizetype(sent));
        report(TSocketInfo::siSend, TSockReport::BlockingOutgoingData);
        if (!self || epoch != epoch_ || fd_ < 0)
            return true;
    }
    return true;
}

QByteArray TSock::receiveBlocking(int n)
{
    const qsizetype limit = n < 0 ? kReadArea : qMin<qsizetype>(n, kReadArea);
    if (limit > 0 && waitReady(POLLIN, blockingWaitMs())) {
        const QPointer<TSock> self(this);
        report(TSocketInfo::siReceive, TSockReport::BlockingIncomingData);
        if (!self)
            return QByteArray();
        const qsizetype before = receiveBuffer_.size();
        receiveBuffer_.resize(before + limit);
        const ssize_t got = ::recv(fd_, receiveBuffer_.data() + before, size_t(limit), 0);
        const int err = errno;
        receiveBuffer_.resize(before + (got > 0 ? qsizetype(got) : 0));
        if (got == 0) {
            report(TSocketInfo::siClose, TSockReport::DisconnectedOnReceive);
            if (!self)
                return QByteArray();
            Close();
            if (!self)
                return QByteArray();
            runCallback(OnDisconnect, this);
            if (!self)
                return QByteArray();
        } else if (got < 0 && !isTransient(err)) {
            receiveBuffer_.clear();
            report(TSocketInfo::siError, TSockReport::SocketErrorOnReceive);
            throw ESockException(TSockError::ReceiveFailed,
                                 socketErrorName(wsaErrorFromErrno(err)));
        }
    }
    return std::exchange(receiveBuffer_, QByteArray());
}

bool TSock::SendDatagram(const QByteArray &data, const QString &host)
{
    if (fd_ < 0)
        throw ESockException(TSockError::SendDatagramNotConnected);
    if (type_ == TSocketType::stStream)
        throw ESockException(TSockError::SendDatagramOnStream);
    SockAddress address = host.isEmpty() ? remoteAddress_ : resolveHost(host);
    address.setPort(remotePort_);
    if (::sendto(fd_, data.constData(), size_t(data.size()), MSG_NOSIGNAL, address.data(),
                 address.size()) < 0) {
        reportErrorCode(wsaErrorFromErrno(errno));
        return false;
    }
    return true;
}

QByteArray TSock::ReceiveDatagram(QString &host)
{
    if (fd_ < 0)
        throw ESockException(TSockError::ReceiveDatagramNotConnected);
    if (type_ == TSocketType::stStream)
        throw ESockException(TSockError::ReceiveDatagramOnStream);
    if (blocking_)
        waitReady(POLLIN, blockingWaitMs());
    QByteArray datagram(65536, Qt::Uninitialized);
    sockaddr_storage from{};
    socklen_t length = sizeof from;
    const ssize_t got = ::recvfrom(fd_, datagram.data(), size_t(datagram.size()), 0,
                                   reinterpret_cast<sockaddr *>(&from), &length);
    const int err = errno;
    // Taking a datagram is what lets the next readable notification through.
    datagramAnnounced_ = false;
    updateNotifiers();
    if (got < 0) {
        host.clear();
        if (!isTransient(err))
            reportErrorCode(wsaErrorFromErrno(err));
        return QByteArray();
    }
    datagram.truncate(qsizetype(got));
    host = SockAddress::fromSystem(from, length).text();
    return datagram;
}

bool TSock::waitReady(short events, int timeoutMs) const
{
    pollfd watched{fd_, events, 0};
    int ready = 0;
    do {
        ready = ::poll(&watched, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

int TSock::blockingWaitMs() const
{
    if (blockingTimeout_ < 0)
        return -1;
    return int(qMin<qint64>(qint64(blockingTimeout_) * 1000, INT_MAX));
}

#include "net/tsock.h"
#include "net/sockresolve.h"
#include "net/tsockdetail.h"

#include "common/guard.h"

#include <QMetaObject>
#include <QSocketNotifier>
#include <QTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <utility>

using namespace tsockdetail;

TSock::TSock(QObject *owner)
    : QObject(owner)
{
}

TSock::~TSock()
{
    if (fd_ >= 0)
        Close();
}

TSocketType TSock::SocketType() const
{
    return type_;
}

void TSock::setSocketType(TSocketType type)
{
    if (listening_)
        throw ESockException(TSockError::TypeWhileListening);
    if (connected_)
        throw ESockException(TSockError::TypeWhileConnected);
    type_ = type;
}

QString TSock::HostName() const
{
    return host_;
}

void TSock::setHostName(const QString &name)
{
    host_ = name;
    if (!connected_)
        return;
    if (type_ == TSocketType::stStream) {
        report(TSocketInfo::siLookup, TSockReport::HostNameWhileConnected);
        return;
    }
    remoteAddress_ = name.isEmpty() ? SockAddress() : resolveHost(name);
}

QString TSock::PortName() const
{
    return port_;
}

void TSock::setPortName(const QString &name)
{
    port_ = name;
    if (connected_)
        report(TSocketInfo::siLookup, TSockReport::PortNameWhileConnected);
}

bool TSock::Blocking() const
{
    return blocking_;
}

void TSock::setBlocking(bool blocking)
{
    blocking_ = blocking;
    updateNotifiers();
}

bool TSock::AutoAccept() const
{
    return autoAccept_;
}

void TSock::setAutoAccept(bool autoAccept)
{
    autoAccept_ = autoAccept;
}

bool TSock::Listen() const
{
    return listening_;
}

bool TSock::LoopbackOnly() const
{
    return loopbackOnly_;
}

void TSock::setLoopbackOnly(bool loopbackOnly)
{
    loopbackOnly_ = loopbackOnly;
}

TLineBreak TSock::LineBreak() const
{
    return lineBreak_;
}

void TSock::setLineBreak(TLineBreak lineBreak)
{
    lineBreak_ = lineBreak;
}

int TSock::BlockingTimeout() const
{
    return blockingTimeout_;
}

void TSock::setBlockingTimeout(int seconds)
{
    blockingTimeout_ = seconds;
}

bool TSock::Connected() const
{
    return connected_;
}

bool TSock::Open()
{
    if (fd_ >= 0)
        return connected_;
    const bool datagram = type_ == TSocketType::stDatagram;
    const quint16 port = resolvePort();
    // A datagram socket without a host takes datagrams on every IPv4 address.
    SockAddress address = SockAddress::ipv4(INADDR_ANY, 0);
    if (!datagram || !host_.isEmpty())
        address = resolveHost(host_);
    address.setPort(port);
    const int fd = ::socket(
        address.family(), (datagram ? SOCK_DGRAM : SOCK_STREAM) | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        reportErrorCode(wsaErrorFromErrno(errno));
        return false;
    }
    attach(fd);
    remoteAddress_ = address;
    remotePort_ = port;
    if (datagram)
        return openDatagram(address);
    sendWritesAtOnce(fd);
    if (blocking_)
        return openBlocking(address);
    connecting_ = true;
    if (::connect(fd_, address.data(), address.size()) != 0) {
        const int err = errno;
        if (err != EINPROGRESS && err != EINTR) {
            // The outcome of a connect always arrives as a notification, also
            // when the system knows it at once.
            connecting_ = false;
            postNotify(Event::ConnectFailed, wsaErrorFromErrno(err));
        }
    }
    updateNotifiers();
    return connected_;
}

bool TSock::Send(const QByteArray &data)
{
    if (fd_ < 0)
        throw ESockException(TSockError::SendNotConnected);
    if (listening_)
        throw ESockException(TSockError::SendOnListener);
    if (type_ == TSocketType::stDatagram)
        return SendDatagram(data, host_);
    sendBuffer_.append(data);
    if (sendBuffer_.isEmpty())
        return true;
    if (blocking_)
        return sendBlocking();
    const QPointer<TSock> self(this);
    const quint64 epoch = epoch_;
    report(TSocketInfo::siSend, TSockReport::NonBlockingOutgoingData);
    if (!self || epoch != epoch_ || fd_ < 0)
        return true;
    // While the connect is under way the bytes wait for the first writable
    // notification; a send now could also swallow the connect's error.
    if (connected_)
        flushSendBuffer();
    return true;
}

void TSock::flushSendBuffer()
{
    const ssize_t sent =
        ::send(fd_, sendBuffer_.constData(), size_t(sendBuffer_.size()), MSG_NOSIGNAL);
    if (sent > 0) {
        sendBuffer_.remove(0, qsizetype(sent));
    } else if (sent < 0 && !isTransient(errno)) {
        const int code = wsaErrorFromErrno(errno);
        sendFailed_ = true;
        updateNotifiers();
        reportErrorCode(code);
        return;
    }
    updateNotifiers();
}

QByteArray TSock::Receive()
{
    return ReceiveCount(-1);
}

QByteArray TSock::ReceiveCount(int n)
{
    if (fd_ < 0 && receiveBuffer_.isEmpty())
        throw ESockException(TSockError::ReceiveNotConnected);
    if (listening_)
        throw ESockException(TSockError::ReceiveOnListener);
    if (blocking_ && connected_ && type_ == TSocketType::stStream)
        return receiveBlocking(n);
    if (n < 0 || n >= receiveBuffer_.size())
        return std::exchange(receiveBuffer_, QByteArray());
    QByteArray head = receiveBuffer_.left(n);
    receiveBuffer_.remove(0, n);
    return head;
}

bool TSock::Close()
{
    bool closed = false;
    if (fd_ >= 0) {
        const int fd = fd_;
        detach();
        closed = ::close(fd) == 0;
    }
    connected_ = false;
    connecting_ = false;
    sendBuffer_.clear();
    const bool wasListening = listening_;
    listening_ = false;
    if (!wasListening) {
        try {
            report(TSocketInfo::siClose, TSockReport::SocketClosed);
        } catch (...) {
            // Close is called from destructors and error paths: it never raises.
        }
    }
    return closed;
}

qsizetype TSock::pendingSendBytes() const
{
    return sendBuffer_.size();
}

TSockReport TSock::lastReport() const
{
    return lastReport_;
}

int TSock::lastErrorNumber() const
{
    return lastErrorNumber_;
}

int TSock::handle() const
{
    return fd_;
}

quint16 TSock::localPort() const
{
    if (fd_ < 0)
        return 0;
    sockaddr_storage raw{};
    socklen_t length = sizeof raw;
    if (::getsockname(fd_, reinterpret_cast<sockaddr *>(&raw), &length) != 0)
        return 0;
    return SockAddress::fromSystem(raw, length).port();
}

void TSock::attach(int fd)
{
    fd_ = fd;
    ++epoch_;
    readQueued_ = false;
    writeQueued_ = false;
    acceptAwaited_ = false;
    readFailed_ = false;
    sendFailed_ = false;
    datagramAnnounced_ = false;
    readNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    readNotifier_->setEnabled(false);
    writeNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    writeNotifier_->setEnabled(false);
    // The notifier only queues the notification: callbacks never run inside
    // the notifier's own signal, so they may freely close or delete us.
    connect(readNotifier_.get(), &QSocketNotifier::activated, this, [this] {
        readNotifier_->setEnabled(false);
        readQueued_ = true;
        postNotify(Event::ReadReady, 0);
    });
    connect(writeNotifier_.get(), &QSocketNotifier::activated, this, [this] {
        writeNotifier_->setEnabled(false);
        writeQueued_ = true;
        postNotify(Event::WriteReady, 0);
    });
}

void TSock::detach()
{
    readNotifier_.reset();
    writeNotifier_.reset();
    fd_ = -1;
}

// Level-triggered readiness would fire again and again, so a notifier is on
// only while its event can be acted on: reads while connected (and not
// failed), pending connections until the owner accepts, writes while a
// connect is under way or bytes wait to go out.
void TSock::updateNotifiers()
{
    if (fd_ < 0 || !readNotifier_)
        return;
    if (blocking_) {
        readNotifier_->setEnabled(false);
        writeNotifier_->setEnabled(false);
        return;
    }
    bool wantRead = false;
    if (listening_)
        wantRead = !acceptAwaited_;
    else if (connected_)
        wantRead = !readFailed_ && !datagramAnnounced_;
    readNotifier_->setEnabled(wantRead && !readQueued_);
    const bool wantWrite = connecting_ || (connected_ && type_ == TSocketType::stStream &&
                                           !sendBuffer_.isEmpty() && !sendFailed_);
    writeNotifier_->setEnabled(wantWrite && !writeQueued_);
}

void TSock::postNotify(Event event, int error)
{
    const quint64 epoch = epoch_;
    QMetaObject::invokeMethod(
        this,
        [this, event, error, epoch] {
            if (epoch != epoch_ || fd_ < 0)
                return;
            if (event == Event::ReadReady)
                readQueued_ = false;
            if (event == Event::WriteReady)
                writeQueued_ = false;
            const QPointer<TSock> self(this);
            guarded([&] { dispatch(event, error); });
            // Re-armed also when a callback raised, so that one failing
            // handler never leaves the connection deaf.
            if (self && epoch == epoch_)
                updateNotifiers();
        },
        Qt::QueuedConnection);
}

void TSock::dispatch(Event event, int error)
{
    if (error > 10000) {
        reportErrorCode(error);
        return;
    }
    switch (event) {
    case Event::ReadReady:
        handleReadReady();
        return;
    case Event::WriteReady:
        handleWriteReady();
        return;
    case Event::Writable:
        handleWritable();
        return;
    case Event::ConnectFailed:
        return;
    }
}

void TSock::handleReadReady()
{
    if (listening_) {
        handlePending();
        return;
    }
    if (type_ == TSocketType::stDatagram) {
        datagramAnnounced_ = true;
        runCallback(OnRead, this, int(qMin<qsizetype>(receiveBuffer_.size(), INT_MAX)));
        return;
    }
    const qsizetype before = receiveBuffer_.size();
    receiveBuffer_.resize(before + kReadArea);
    const ssize_t got = ::recv(fd_, receiveBuffer_.data() + before, size_t(kReadArea), 0);
    const int err = errno;
    receiveBuffer_.resize(before + (got > 0 ? qsizetype(got) : 0));
    if (got == 0) {
        handleClosedByPeer();
        return;
    }
    if (got < 0 && !isTransient(err)) {
        readFailed_ = true;
        reportErrorCode(wsaErrorFromErrno(err));
        return;
    }
    const QPointer<TSock> self(this);
    report(TSocketInfo::siReceive, TSockReport::NonBlockingIncomingData);
    if (!self)
        return;
    runCallback(OnRead, this, int(qMin<qsizetype>(receiveBuffer_.size(), INT_MAX)));
}

void TSock::handleClosedByPeer()
{
    const QPointer<TSock> self(this);
    const quint64 epoch = epoch_;
    runCallback(OnDisconnect, this);
    // OnDisconnect may have closed us already (then Close reports a second
    // time) or even opened a new connection, which must survive.
    if (self && epoch == epoch_)
        Close();
}

void TSock::handleWriteReady()
{
    if (!connecting_) {
        handleWritable();
        return;
    }
    int err = 0;
    socklen_t length = sizeof err;
    if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &err, &length) != 0)
        err = errno;
    connecting_ = false;
    if (err != 0) {
        // The object keeps its handle; a further Open does nothing until
        // Close, as the owner expects from a failed attempt.
        reportErrorCode(wsaErrorFromErrno(err));
        return;
    }
    connected_ = true;
    postNotify(Event::Writable, 0);
    const QPointer<TSock> self(this);
    report(TSocketInfo::siConnect, TSockReport::NonBlockingConnected);
    if (!self)
        return;
    runCallback(OnConnect, this);
}

void TSock::handleWritable()
{
    const QPointer<TSock> self(this);
    const quint64 epoch = epoch_;
    if (!sendBuffer_.isEmpty()) {
        Send(QByteArray());
        if (!self || epoch != epoch_ || fd_ < 0)
            return;
    }
    report(TSocketInfo::siSend, TSockReport::NonBlockingOutgoingData);
    if (!self)
        return;
    runCallback(OnWrite, this);
}

void TSock::report(TSocketInfo kind, TSockReport what, const QString &detail, int errorNumber)
{
    lastReport_ = what;
    lastErrorNumber_ = errorNumber;
    if (!OnInfo)
        return;
    const TNotifyInfoEvent callback = OnInfo;
    try {
        const QString text = sockReportText(what);
        callback(this, kind, detail.isEmpty() ? text : text + detail);
    } catch (...) {
        throw ESockException(TSockError::CallbackFailed);
    }
}

void TSock::reportErrorCode(int code)
{
    report(TSocketInfo::siError, TSockReport::ErrorNumber,
           QStringLiteral("%1 (%2)").arg(code).arg(socketErrorName(code)), code);
}

quint16 TSock::resolvePort()
{
    report(TSocketInfo::siLookup, TSockReport::LookupOfPort, port_);
    return lookupPort(port_, type_);
}

SockAddress TSock::resolveHost(const QString &name)
{
    if (name.isEmpty())
        throw ESockException(TSockError::HostNotFound);
    report(TSocketInfo::siLookup, TSockReport::LookupOfHost, name);
    return lookupHost(name);
}

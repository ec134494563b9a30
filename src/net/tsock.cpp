#include "net/tsock.h"

#include "common/guard.h"
#include "common/intconv.h"

#include <QHash>
#include <QMetaObject>
#include <QSocketNotifier>
#include <QTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <utility>

namespace {

constexpr qsizetype kReadArea = 32768;
constexpr int kListenQueue = 5;
constexpr int kAcceptRetryMs = 1000;

struct ErrorName {
    int code;
    const char *name;
};

constexpr ErrorName kErrorNames[] = {
    {10004, "WSAEINTR"},           {10009, "WSAEBADF"},        {10013, "WSAEACCES"},
    {10014, "WSAEFAULT"},          {10022, "WSAEINVAL"},       {10024, "WSAEMFILE"},
    {10035, "WSAEWOULDBLOCK"},     {10036, "WSAEINPROGRESS"},  {10037, "WSAEALREADY"},
    {10038, "WSAENOTSOCK"},        {10039, "WSAEDESTADDRREQ"}, {10040, "WSAEMSGSIZE"},
    {10041, "WSAEPROTOTYPE"},      {10042, "WSAENOPROTOOPT"},  {10043, "WSAEPROTONOSUPPORT"},
    {10044, "WSAESOCKTNOSUPPORT"}, {10045, "WSAEOPNOTSUPP"},   {10046, "WSAEPFNOSUPPORT"},
    {10047, "WSAEAFNOSUPPORT"},    {10048, "WSAEADDRINUSE"},   {10049, "WSAEADDRNOTAVAIL"},
    {10050, "WSAENETDOWN"},        {10051, "WSAENETUNREACH"},  {10052, "WSAENETRESET"},
    {10053, "WSAECONNABORTED"},    {10054, "WSAECONNRESET"},   {10055, "WSAENOBUFS"},
    {10056, "WSAEISCONN"},         {10057, "WSAENOTCONN"},     {10058, "WSAESHUTDOWN"},
    {10059, "WSAETOOMANYREFS"},    {10060, "WSAETIMEDOUT"},    {10061, "WSAECONNREFUSED"},
    {10062, "WSAELOOP"},           {10063, "WSAENAMETOOLONG"}, {10064, "WSAEHOSTDOWN"},
    {10065, "WSAEHOSTUNREACH"},    {10066, "WSAENOTEMPTY"},    {10067, "WSAEPROCLIM"},
    {10068, "WSAEUSERS"},          {10069, "WSAEDQUOT"},       {10070, "WSAESTALE"},
    {10071, "WSAEREMOTE"},         {10091, "WSASYSNOTREADY"},  {10092, "WSAVERNOTSUPPORTED"},
    {10093, "WSANOTINITIALISED"},  {10101, "WSAEDISCON"},      {11001, "WSAHOST_NOT_FOUND"},
    {11002, "WSATRY_AGAIN"},       {11003, "WSANO_RECOVERY"},  {11004, "WSANO_DATA"},
};

struct ErrnoCode {
    int err;
    int code;
};

// Linux numbers its errno values differently from the BSD numbering that
// Windows Sockets codes follow, so every value is listed by name.
constexpr ErrnoCode kErrnoCodes[] = {
    {EINTR, 10004},
    {EBADF, 10009},
    {EACCES, 10013},
    {EPERM, 10013},
    {EFAULT, 10014},
    {EINVAL, 10022},
    {EMFILE, 10024},
    {ENFILE, 10024},
    {EWOULDBLOCK, 10035},
    {EINPROGRESS, 10036},
    {EALREADY, 10037},
    {ENOTSOCK, 10038},
    {EDESTADDRREQ, 10039},
    {EMSGSIZE, 10040},
    {EPROTOTYPE, 10041},
    {ENOPROTOOPT, 10042},
    {EPROTONOSUPPORT, 10043},
    {ESOCKTNOSUPPORT, 10044},
    {EOPNOTSUPP, 10045},
    {EPFNOSUPPORT, 10046},
    {EAFNOSUPPORT, 10047},
    {EADDRINUSE, 10048},
    {EADDRNOTAVAIL, 10049},
    {ENETDOWN, 10050},
    {ENETUNREACH, 10051},
    {ENETRESET, 10052},
    {ECONNABORTED, 10053},
    // Sending on a connection the peer has already dropped: Windows reports
    // the abort of the established connection.
    {EPIPE, 10053},
    {ECONNRESET, 10054},
    {ENOBUFS, 10055},
    {ENOMEM, 10055},
    {EISCONN, 10056},
    {ENOTCONN, 10057},
    {ESHUTDOWN, 10058},
    {ETOOMANYREFS, 10059},
    {ETIMEDOUT, 10060},
    {ECONNREFUSED, 10061},
    {ELOOP, 10062},
    {ENAMETOOLONG, 10063},
    {EHOSTDOWN, 10064},
    {EHOSTUNREACH, 10065},
    {ENOTEMPTY, 10066},
    {EUSERS, 10068},
    {EDQUOT, 10069},
    {ESTALE, 10070},
    {EREMOTE, 10071},
};

bool isTransient(int err)
{
    return err == EAGAIN || err == EWOULDBLOCK || err == EINTR;
}

// Host names resolved during this run, keyed by the lower-case name; entries
// are never dropped, so every name is looked up once.
QHash<QString, quint32> &hostCache()
{
    static QHash<QString, quint32> cache;
    return cache;
}

QString dotted(quint32 address)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg((address >> 24) & 0xFF)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg(address & 0xFF);
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The numeric forms the classic address parser takes (a.b.c.d, a.b.c, a.b, a,
// each part decimal, octal or hexadecimal), and nothing else.
bool parseDotted(const QString &name, quint32 &address)
{
    // inet_aton would also take text after a blank.
    static const QString allowed = QStringLiteral("0123456789.xXabcdefABCDEF");
    for (const QChar c : name) {
        if (!allowed.contains(c))
            return false;
    }
    in_addr parsed{};
    if (inet_aton(name.toLatin1().constData(), &parsed) == 0)
        return false;
    address = ntohl(parsed.s_addr);
    return true;
}

sockaddr_in socketAddress(quint32 address, quint16 port)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(address);
    return sa;
}

template <typename Callback, typename... Args>
void runCallback(const Callback &callback, Args... args)
{
    if (!callback)
        return;
    // A callback may reassign itself or delete the object that holds it, so
    // the call runs on a copy.
    const Callback copy = callback;
    copy(args...);
}

} // namespace

QString socketInfoName(TSocketInfo kind)
{
    switch (kind) {
    case TSocketInfo::siLookup:
        return QStringLiteral("Lookup");
    case TSocketInfo::siConnect:
        return QStringLiteral("Connect");
    case TSocketInfo::siClose:
        return QStringLiteral("Close");
    case TSocketInfo::siListen:
        return QStringLiteral("Listen");
    case TSocketInfo::siReceive:
        return QStringLiteral("Receive");
    case TSocketInfo::siSend:
        return QStringLiteral("Send");
    case TSocketInfo::siAccept:
        return QStringLiteral("Accept");
    case TSocketInfo::siError:
        return QStringLiteral("Error");
    }
    return QString();
}

QString socketErrorName(int code)
{
    for (const ErrorName &entry : kErrorNames) {
        if (entry.code == code)
            return QString::fromLatin1(entry.name);
    }
    return QStringLiteral("UNKNOWN ERROR");
}

int wsaErrorFromErrno(int err)
{
    if (err == 0)
        return 0;
    for (const ErrnoCode &entry : kErrnoCodes) {
        if (entry.err == err)
            return entry.code;
    }
    return 20000 + err;
}

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
        throw ESockException(
            QStringLiteral("SocketType - Can't Assign Socket Type While Listening"));
    if (connected_)
        throw ESockException(
            QStringLiteral("SocketType - Can't Assign Socket Type While Connected"));
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
        report(TSocketInfo::siLookup,
               QStringLiteral("Setting HostName While Connected Has No Effect"));
        return;
    }
    remoteAddress_ = name.isEmpty() ? 0 : resolveHost(name);
}

QString TSock::PortName() const
{
    return port_;
}

void TSock::setPortName(const QString &name)
{
    port_ = name;
    if (connected_)
        report(TSocketInfo::siLookup,
               QStringLiteral("Setting PortName While Connected Has No Effect"));
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

void TSock::setListen(bool listen)
{
    if (fd_ >= 0 && !listening_) {
        listening_ = false;
        throw ESockException(QStringLiteral("Listen - Socket Already In Use"));
    }
    if (listen && type_ == TSocketType::stDatagram)
        throw ESockException(QStringLiteral("Listen - Cannot Listen On A Datagram Socket"));
    if (!listen) {
        listening_ = false;
        const QPointer<TSock> self(this);
        Close();
        if (self)
            report(TSocketInfo::siListen, QStringLiteral("Listening Stopped"));
        return;
    }
    if (listening_) {
        report(TSocketInfo::siListen, QStringLiteral("Listening Already Running"));
        return;
    }
    const quint16 port = resolvePort();
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw ESockException(QStringLiteral("Listen - Error Binding Socket"));
    // A restarted host must be able to bind again while old connections of
    // the previous run still linger in TIME_WAIT.
    const int reuse = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    const sockaddr_in sa = socketAddress(INADDR_ANY, port);
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&sa), sizeof sa) != 0) {
        ::close(fd);
        throw ESockException(QStringLiteral("Listen - Error Binding Socket"));
    }
    if (::listen(fd, kListenQueue) != 0) {
        ::close(fd);
        throw ESockException(QStringLiteral("Listen - Error Starting Listen"));
    }
    attach(fd);
    listening_ = true;
    updateNotifiers();
    report(TSocketInfo::siListen, QStringLiteral("Listening Started"));
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
    quint32 address = 0;
    if (!datagram || !host_.isEmpty())
        address = resolveHost(host_);
    const int fd =
        ::socket(AF_INET, (datagram ? SOCK_DGRAM : SOCK_STREAM) | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        reportErrorCode(wsaErrorFromErrno(errno));
        return false;
    }
    attach(fd);
    remoteAddress_ = address;
    remotePort_ = port;
    const sockaddr_in sa = socketAddress(address, port);
    if (datagram) {
        if (::bind(fd_, reinterpret_cast<const sockaddr *>(&sa), sizeof sa) != 0) {
            reportErrorCode(wsaErrorFromErrno(errno));
            return false;
        }
        connected_ = true;
        updateNotifiers();
        const QPointer<TSock> self(this);
        report(TSocketInfo::siConnect, QStringLiteral("Datagram Socket Connected"));
        if (!self)
            return false;
        runCallback(OnConnect, this);
        return self ? connected_ : false;
    }
    if (blocking_)
        return openBlocking(sa);
    connecting_ = true;
    if (::connect(fd_, reinterpret_cast<const sockaddr *>(&sa), sizeof sa) != 0) {
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

bool TSock::openBlocking(const sockaddr_in &sa)
{
    int err = 0;
    if (::connect(fd_, reinterpret_cast<const sockaddr *>(&sa), sizeof sa) != 0) {
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
        report(TSocketInfo::siClose, QStringLiteral("Blocking Socket Can't Connect"));
        if (self)
            Close();
        return false;
    }
    connected_ = true;
    report(TSocketInfo::siConnect, QStringLiteral("Blocking Socket Connected"));
    if (!self)
        return false;
    runCallback(OnConnect, this);
    return self ? connected_ : false;
}

bool TSock::Accept(TSock *&newSock)
{
    if (!listening_)
        throw ESockException(QStringLiteral("Accept - Socket Not In Listening Mode"));
    if (blocking_) {
        const QPointer<TSock> self(this);
        report(TSocketInfo::siAccept, QStringLiteral("Blocking Accept"));
        if (!self || !listening_)
            return false;
        waitReady(POLLIN, -1);
    }
    acceptAwaited_ = false;
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    const int fd =
        ::accept4(fd_, reinterpret_cast<sockaddr *>(&peer), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    const int err = errno;
    if (fd < 0 && !isTransient(err) && err != ECONNABORTED)
        pauseAccepting();
    updateNotifiers();
    if (fd < 0) {
        report(TSocketInfo::siAccept, QStringLiteral("Could Not Accept Connection"));
        return false;
    }
    remoteAddress_ = ntohl(peer.sin_addr.s_addr);
    remotePort_ = ntohs(peer.sin_port);
    // Owned here until the new object has made its reports; should one of
    // them raise, the connection is closed again.
    auto accepted = std::make_unique<TSock>(this);
    accepted->adoptAccepted(fd, *this, remoteAddress_);
    newSock = accepted.release();
    report(TSocketInfo::siAccept, QStringLiteral("Created New TSock Structure"));
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

void TSock::adoptAccepted(int fd, const TSock &listener, quint32 peerAddress)
{
    blocking_ = listener.blocking_;
    blockingTimeout_ = listener.blockingTimeout_;
    OnRead = listener.OnRead;
    OnWrite = listener.OnWrite;
    OnDisconnect = listener.OnDisconnect;
    OnInfo = listener.OnInfo;
    attach(fd);
    connected_ = true;
    remoteAddress_ = peerAddress;
    remotePort_ = listener.remotePort_;
    updateNotifiers();
    // A new connection can take data at once; the owner learns so from one
    // writable notification, as for a completed connect.
    if (!blocking_)
        postNotify(Event::Writable, 0);
    setPortName(listener.port_);
    setHostName(dotted(peerAddress));
}

bool TSock::Send(const QByteArray &data)
{
    if (fd_ < 0)
        throw ESockException(QStringLiteral("Send - Socket Not Connected"));
    if (listening_)
        throw ESockException(QStringLiteral("Send - Cannot Send On A Listener Socket"));
    if (type_ == TSocketType::stDatagram)
        return SendDatagram(data, host_);
    sendBuffer_.append(data);
    if (sendBuffer_.isEmpty())
        return true;
    if (blocking_)
        return sendBlocking();
    const QPointer<TSock> self(this);
    const quint64 epoch = epoch_;
    report(TSocketInfo::siSend, QStringLiteral("Non-Blocking Outgoing Data"));
    if (!self || epoch != epoch_ || fd_ < 0)
        return true;
    // While the connect is under way the bytes wait for the first writable
    // notification; a send now could also swallow the connect's error.
    if (connected_)
        flushSendBuffer();
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
            report(TSocketInfo::siError, QStringLiteral("Socket Error On Send"));
            throw ESockException(QStringLiteral("Send - Socket Error"));
        }
        sendBuffer_.remove(0, qsizetype(sent));
        report(TSocketInfo::siSend, QStringLiteral("Blocking Outgoing Data"));
        if (!self || epoch != epoch_ || fd_ < 0)
            return true;
    }
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
        throw ESockException(QStringLiteral("Receive - Socket Not Connected"));
    if (listening_)
        throw ESockException(QStringLiteral("Receive - Cannot Receive On A Listener Socket"));
    if (blocking_ && connected_ && type_ == TSocketType::stStream)
        return receiveBlocking(n);
    if (n < 0 || n >= receiveBuffer_.size())
        return std::exchange(receiveBuffer_, QByteArray());
    QByteArray head = receiveBuffer_.left(n);
    receiveBuffer_.remove(0, n);
    return head;
}

QByteArray TSock::receiveBlocking(int n)
{
    const qsizetype limit = n < 0 ? kReadArea : qMin<qsizetype>(n, kReadArea);
    if (limit > 0 && waitReady(POLLIN, blockingWaitMs())) {
        const QPointer<TSock> self(this);
        report(TSocketInfo::siReceive, QStringLiteral("Blocking Incoming Data"));
        if (!self)
            return QByteArray();
        const qsizetype before = receiveBuffer_.size();
        receiveBuffer_.resize(before + limit);
        const ssize_t got = ::recv(fd_, receiveBuffer_.data() + before, size_t(limit), 0);
        const int err = errno;
        receiveBuffer_.resize(before + (got > 0 ? qsizetype(got) : 0));
        if (got == 0) {
            report(TSocketInfo::siClose, QStringLiteral("Socket Disconnected On Receive"));
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
            report(TSocketInfo::siError, QStringLiteral("Socket Error On Receive"));
            throw ESockException(QStringLiteral("Receive - Socket Error ") +
                                 socketErrorName(wsaErrorFromErrno(err)));
        }
    }
    return std::exchange(receiveBuffer_, QByteArray());
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
            report(TSocketInfo::siClose, QStringLiteral("Socket Closed"));
        } catch (...) {
            // Close is called from destructors and error paths: it never raises.
        }
    }
    return closed;
}

bool TSock::SendDatagram(const QByteArray &data, const QString &host)
{
    if (fd_ < 0)
        throw ESockException(QStringLiteral("SendDatagram - Socket Not Connected"));
    if (type_ == TSocketType::stStream)
        throw ESockException(
            QStringLiteral("SendDatagram - Datagram Send Not Supported On Stream Sockets"));
    const quint32 address = host.isEmpty() ? remoteAddress_ : resolveHost(host);
    const sockaddr_in sa = socketAddress(address, remotePort_);
    if (::sendto(fd_, data.constData(), size_t(data.size()), MSG_NOSIGNAL,
                 reinterpret_cast<const sockaddr *>(&sa), sizeof sa) < 0) {
        reportErrorCode(wsaErrorFromErrno(errno));
        return false;
    }
    return true;
}

QByteArray TSock::ReceiveDatagram(QString &host)
{
    if (fd_ < 0)
        throw ESockException(QStringLiteral("ReceiveDatagram - Socket Not Connected"));
    if (type_ == TSocketType::stStream)
        throw ESockException(
            QStringLiteral("ReceiveDatagram - Datagram Receive Not Supported On Stream Sockets"));
    if (blocking_)
        waitReady(POLLIN, blockingWaitMs());
    QByteArray datagram(65536, Qt::Uninitialized);
    sockaddr_in from{};
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
    host = dotted(ntohl(from.sin_addr.s_addr));
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

qsizetype TSock::pendingSendBytes() const
{
    return sendBuffer_.size();
}

int TSock::handle() const
{
    return fd_;
}

quint16 TSock::localPort() const
{
    if (fd_ < 0)
        return 0;
    sockaddr_in sa{};
    socklen_t length = sizeof sa;
    if (::getsockname(fd_, reinterpret_cast<sockaddr *>(&sa), &length) != 0)
        return 0;
    return ntohs(sa.sin_port);
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
    report(TSocketInfo::siReceive, QStringLiteral("Non-Blocking Incoming Data"));
    if (!self)
        return;
    runCallback(OnRead, this, int(qMin<qsizetype>(receiveBuffer_.size(), INT_MAX)));
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
    report(TSocketInfo::siConnect, QStringLiteral("Non-Blocking Socket Connected"));
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
    report(TSocketInfo::siSend, QStringLiteral("Non-Blocking Outgoing Data"));
    if (!self)
        return;
    runCallback(OnWrite, this);
}

void TSock::report(TSocketInfo kind, const QString &msg)
{
    if (!OnInfo)
        return;
    const TNotifyInfoEvent callback = OnInfo;
    try {
        callback(this, kind, msg);
    } catch (...) {
        throw ESockException(QStringLiteral("Error here"));
    }
}

void TSock::reportErrorCode(int code)
{
    report(TSocketInfo::siError,
           QStringLiteral("Error #%1 (%2)").arg(code).arg(socketErrorName(code)));
}

quint16 TSock::resolvePort()
{
    report(TSocketInfo::siLookup, QStringLiteral("Lookup Of Port ") + port_);
    if (!port_.isEmpty() && isDigit(port_.at(0))) {
        const int port = strToInt(port_);
        if (port > 65535)
            throw ESockException(QStringLiteral("Port Lookup - Could Not Find Service Entry"));
        return quint16(port);
    }
    const char *protocol = type_ == TSocketType::stStream ? "tcp" : "udp";
    const servent *service = ::getservbyname(port_.toLatin1().constData(), protocol);
    if (port_.isEmpty() || !service)
        throw ESockException(QStringLiteral("Port Lookup - Could Not Find Service Entry"));
    return ntohs(quint16(service->s_port));
}

quint32 TSock::resolveHost(const QString &name)
{
    if (name.isEmpty())
        throw ESockException(QStringLiteral("Host Lookup - Could Not Find Host Entry"));
    report(TSocketInfo::siLookup, QStringLiteral("Lookup Of Host ") + name);
    if (isDigit(name.at(0))) {
        quint32 address = 0;
        if (!parseDotted(name, address))
            throw ESockException(QStringLiteral("Host Lookup - Could Not Find Host Entry"));
        return address;
    }
    const QString key = name.toLower();
    const auto cached = hostCache().constFind(key);
    if (cached != hostCache().constEnd())
        return cached.value();
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (::getaddrinfo(name.toUtf8().constData(), nullptr, &hints, &found) != 0 || !found)
        throw ESockException(QStringLiteral("Host Lookup - Could Not Find Host Entry"));
    const quint32 address =
        ntohl(reinterpret_cast<const sockaddr_in *>(found->ai_addr)->sin_addr.s_addr);
    ::freeaddrinfo(found);
    hostCache().insert(key, address);
    return address;
}

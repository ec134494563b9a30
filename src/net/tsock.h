#pragma once

#include "net/sockcodes.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QSocketNotifier;
struct sockaddr_in;

class TSock;
using TNotifyEvent = std::function<void(TSock *sender)>;
using TNotifyInfoEvent = std::function<void(TSock *sender, TSocketInfo info, const QString &msg)>;
using TNotifyReadEvent = std::function<void(TSock *sender, int count)>;
using TNotifyAutoEvent = std::function<void(TSock *sender, TSock *newSock)>;

// An IPv4 TCP socket on a non-blocking POSIX socket, whose network events
// arrive through Qt's event loop as callbacks on the main thread. It adds no
// framing: Send transmits exactly the bytes given, Receive returns exactly what
// has arrived.
//
// Every readiness event becomes one queued notification, handled in order:
// readable (one read of up to 32,768 bytes, "Non-Blocking Incoming Data",
// OnRead), writable (flush, "Non-Blocking Outgoing Data", OnWrite), connection
// pending (OnAccept), connected ("Non-Blocking Socket Connected", OnConnect,
// then one writable notification) and closed by peer (OnDisconnect, then
// Close). A failed connect, a failed read and a send that fails for good
// (broken pipe, reset) give only the Error report "Error #<code> (<name>)";
// the object keeps its handle but stops watching for what failed, so owners
// that care about a broken connection act on that report, by its
// lastErrorNumber() and isBrokenConnectionError(). Callbacks may
// Close or delete the object that is being notified.
//
// Blocking mode (not used by the game): Open, Accept, Send and Receive wait on
// the calling thread (Receive up to BlockingTimeout seconds, negative for no
// limit) and no notifications arrive, so AutoAccept has no effect there.
//
// Destruction closes first and reports "Socket Closed" to OnInfo: an owner
// whose OnInfo touches itself clears OnInfo in its own destructor.
//
// Owners tell reports apart by lastReport() and lastErrorNumber(), and
// failures by ESockException::code(); the texts are for people. The listening side lives
// in tsocklisten.cpp, the blocking and datagram modes in tsockmodes.cpp.
class TSock : public QObject {
public:
    // owner: the Qt parent that destroys this object (a window, or the
    // listening TSock for an accepted connection).
    explicit TSock(QObject *owner = nullptr);
    ~TSock() override;

    TSock(const TSock &) = delete;
    TSock &operator=(const TSock &) = delete;

    // Stream or datagram; raises while listening or connected.
    TSocketType SocketType() const;
    void setSocketType(TSocketType type);
    // Remote host for Open: dotted numbers or a name to resolve.
    QString HostName() const;
    void setHostName(const QString &name);
    // Port: decimal number or service name.
    QString PortName() const;
    void setPortName(const QString &name);
    bool Blocking() const;
    void setBlocking(bool blocking);
    bool AutoAccept() const;
    void setAutoAccept(bool autoAccept);
    // True while listening; setting it starts or stops listening on PortName.
    bool Listen() const;
    void setListen(bool listen);
    // True when the next listening takes connections from this machine's
    // loopback only (127.0.0.1); false, the default, binds every interface.
    bool LoopbackOnly() const { return loopbackOnly_; }
    void setLoopbackOnly(bool loopbackOnly) { loopbackOnly_ = loopbackOnly; }
    TLineBreak LineBreak() const;
    void setLineBreak(TLineBreak lineBreak);
    int BlockingTimeout() const;
    void setBlockingTimeout(int seconds);
    // True after a connection was established or accepted, false after Close.
    bool Connected() const;
    // The owner's integer (the server keeps a connection's seat number here).
    int Tag = 0;

    TNotifyEvent OnConnect;
    TNotifyEvent OnDisconnect;
    TNotifyInfoEvent OnInfo;
    TNotifyReadEvent OnRead;
    TNotifyEvent OnWrite;
    TNotifyEvent OnAccept;
    TNotifyAutoEvent OnAutoAccept;

    // Starts connecting to HostName:PortName (an empty HostName raises the host
    // lookup error); returns Connected (false for a non-blocking stream: the
    // outcome comes later as events). A datagram socket binds to the address
    // instead. Does nothing when a handle exists.
    bool Open();
    // Takes a pending connection on a listening object into newSock (owned by
    // this object); returns true when one was accepted.
    bool Accept(TSock *&newSock);
    // Queues data and makes one attempt to hand the whole send buffer to the
    // network (none while still connecting); what is not taken goes out on the
    // next writable event. Raises without a handle or on a listener.
    bool Send(const QByteArray &data);
    // Returns and empties the receive buffer; raises without a handle when the
    // buffer is empty, and on a listener.
    QByteArray Receive();
    // Returns and removes at most n bytes of the receive buffer (all for n < 0).
    QByteArray ReceiveCount(int n);
    // Closes the handle and reports "Socket Closed" (when not listening);
    // never raises. Bytes not yet sent are dropped, received bytes stay for
    // Receive. Returns true when the platform close succeeded.
    bool Close();
    // Sends one datagram to host (the HostName destination when empty) at
    // PortName; raises on a stream socket and without a handle.
    bool SendDatagram(const QByteArray &data, const QString &host);
    // Takes one datagram and its sender's dotted address; a datagram socket's
    // next OnRead waits for this call. Raises as SendDatagram does.
    QByteArray ReceiveDatagram(QString &host);

    // Bytes queued but not yet taken by the network.
    qsizetype pendingSendBytes() const;
    // What the latest info report said (None before the first); inside OnInfo
    // it names the report being made.
    TSockReport lastReport() const;
    // The Windows Sockets code of the latest info report when it was an
    // Error report ("Error #<code> (<name>)"), else 0; inside OnInfo it
    // belongs to the report being made. isBrokenConnectionError() tells
    // whether the connection is gone.
    int lastErrorNumber() const;
    // The native descriptor, or -1 (tests and diagnostics only).
    int handle() const;
    // The local port of an open or listening socket (0 when none); lets tests
    // listen on port "0" and learn the port the system chose.
    quint16 localPort() const;

private:
    // What a queued notification asks the object to look at.
    enum class Event { ReadReady, WriteReady, Writable, ConnectFailed };

    void attach(int fd);
    void detach();
    void updateNotifiers();
    void postNotify(Event event, int error);
    void dispatch(Event event, int error);
    void handleReadReady();
    void handlePending();
    void handleWriteReady();
    void handleWritable();
    void handleClosedByPeer();
    void flushSendBuffer();
    bool openDatagram(const sockaddr_in &sa);
    bool openBlocking(const sockaddr_in &sa);
    bool awaitBlockingAccept();
    bool sendBlocking();
    QByteArray receiveBlocking(int n);
    bool waitReady(short events, int timeoutMs) const;
    int blockingWaitMs() const;
    void report(TSocketInfo kind, TSockReport what, const QString &detail = QString(),
                int errorNumber = 0);
    void reportErrorCode(int code);
    quint16 resolvePort();
    quint32 resolveHost(const QString &name);
    void pauseAccepting();
    void adoptAccepted(int fd, const TSock &listener, quint32 peerAddress);

    int fd_ = -1;
    // Counts the handles this object has had, so that a notification queued
    // for an earlier handle is dropped.
    quint64 epoch_ = 0;
    TSocketType type_ = TSocketType::stStream;
    QString host_;
    QString port_;
    bool blocking_ = false;
    bool autoAccept_ = false;
    bool listening_ = false;
    bool loopbackOnly_ = false;
    TLineBreak lineBreak_ = TLineBreak::lbSmart;
    int blockingTimeout_ = 0;
    bool connected_ = false;
    TSockReport lastReport_ = TSockReport::None;
    int lastErrorNumber_ = 0;
    // A connect is under way and its outcome has not been seen yet.
    bool connecting_ = false;
    // A notification is queued for the readiness the notifier saw.
    bool readQueued_ = false;
    bool writeQueued_ = false;
    // The listener told its owner about a pending connection and waits for Accept.
    bool acceptAwaited_ = false;
    // A read or send failed for good: stop watching so a dead handle never spins.
    bool readFailed_ = false;
    bool sendFailed_ = false;
    // A datagram socket told its owner that a datagram is waiting and waits
    // for ReceiveDatagram before it looks again.
    bool datagramAnnounced_ = false;
    QByteArray receiveBuffer_;
    QByteArray sendBuffer_;
    quint32 remoteAddress_ = 0;
    quint16 remotePort_ = 0;
    std::unique_ptr<QSocketNotifier> readNotifier_;
    std::unique_ptr<QSocketNotifier> writeNotifier_;
};

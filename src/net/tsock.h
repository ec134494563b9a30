#pragma once

#include "common/errors.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QSocketNotifier;

enum class TSocketType { stStream = 0, stDatagram = 1 };
enum class TLineBreak { lbCRLF = 0, lbCR = 1, lbLF = 2, lbSmart = 3 };
// Kinds of info report; the value is the report's code.
enum class TSocketInfo {
    siLookup = 0,
    siConnect = 1,
    siClose = 2,
    siListen = 3,
    siReceive = 4,
    siSend = 5,
    siAccept = 6,
    siError = 7
};

// The name the program keeps for an info kind ("Lookup", "Connect", ...).
QString socketInfoName(TSocketInfo kind);
// The Windows Sockets symbolic name of an error code, or "UNKNOWN ERROR".
QString socketErrorName(int code);
// Maps a POSIX errno value to its Windows Sockets error code (0 for 0).
int wsaErrorFromErrno(int err);

// A failure of a socket operation, with one of the component's fixed texts.
class ESockException : public Error {
public:
    using Error::Error;
};

class TSock;
using TNotifyEvent = std::function<void(TSock *sender)>;
using TNotifyInfoEvent = std::function<void(TSock *sender, TSocketInfo info, const QString &msg)>;
using TNotifyReadEvent = std::function<void(TSock *sender, int count)>;
using TNotifyAutoEvent = std::function<void(TSock *sender, TSock *newSock)>;

// An IPv4 TCP socket on a non-blocking POSIX socket, whose network events
// arrive through Qt's event loop as callbacks on the main thread. It adds no
// framing: Send transmits exactly the bytes given, Receive returns exactly what
// has arrived.
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

    // Starts connecting; returns Connected (false for a non-blocking stream:
    // the outcome comes later as events). Does nothing when a handle exists.
    bool Open();
    // Takes a pending connection on a listening object into newSock (owned by
    // this object); returns true when one was accepted.
    bool Accept(TSock *&newSock);
    // Queues data and makes one attempt to hand the whole send buffer to the
    // network; what is not taken goes out on the next writable event.
    bool Send(const QByteArray &data);
    // Returns and empties the receive buffer.
    QByteArray Receive();
    // Returns and removes at most n bytes of the receive buffer (all for n < 0).
    QByteArray ReceiveCount(int n);
    // Closes the handle and reports "Socket Closed" (when not listening);
    // never raises. Returns true when the platform close succeeded.
    bool Close();
    // Datagram calls: not supported on stream sockets.
    bool SendDatagram(const QByteArray &data, const QString &host);
    QByteArray ReceiveDatagram(QString &host);

    // Bytes queued but not yet taken by the network.
    qsizetype pendingSendBytes() const;
    // The native descriptor, or -1 (tests and diagnostics only).
    int handle() const;
    // The local port of an open or listening socket (0 when none); lets tests
    // listen on port "0" and learn the port the system chose.
    quint16 localPort() const;

private:
    enum class Event { Readable, Writable, Pending, Connected, Closed };

    void report(TSocketInfo kind, const QString &msg);
    void notify(Event event, int error);
    void postNotify(Event event, int error);
    void watch();
    void unwatch();
    void onReadReady();
    void onWriteReady();
    bool resolve(quint32 &address, quint16 &port, bool forListen);
    quint16 resolvePort();
    quint32 resolveHost(const QString &name);
    void adoptAccepted(int fd, const TSock &listener, quint32 peerAddress);

    int fd_ = -1;
    TSocketType type_ = TSocketType::stStream;
    QString host_;
    QString port_;
    bool blocking_ = false;
    bool autoAccept_ = false;
    bool listening_ = false;
    bool listenRequested_ = false;
    bool connecting_ = false;
    TLineBreak lineBreak_ = TLineBreak::lbSmart;
    int blockingTimeout_ = 0;
    bool connected_ = false;
    QByteArray receiveBuffer_;
    QByteArray sendBuffer_;
    quint32 remoteAddress_ = 0;
    quint16 remotePort_ = 0;
    std::unique_ptr<QSocketNotifier> readNotifier_;
    std::unique_ptr<QSocketNotifier> writeNotifier_;
};

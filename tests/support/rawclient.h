#pragma once

#include "net/framing.h"

#include <QByteArray>
#include <QList>

#include <functional>
#include <optional>

// A raw game client for tests, benchmarks and fuzz targets: a plain loopback
// TCP connection (no Qt socket) that sends bytes as they are and cuts what the
// server sends at the terminator. Reading happens only in poll() and drain().
class RawClient {
public:
    RawClient() = default;
    ~RawClient();
    RawClient(const RawClient &) = delete;
    RawClient &operator=(const RawClient &) = delete;

    // Connects to 127.0.0.1:port; false when the connection failed.
    bool connectTo(quint16 port);
    // Sends all bytes (processing events while the socket is full); false once
    // the server closed or reset the connection, or when not connected.
    bool send(const QByteArray &bytes);
    // Reads what has arrived, waiting up to ms for the first bytes; notes the
    // seat offered by "CMD_sendlogininfo" and the server's close.
    void poll(int ms = 0);
    // Reads and drops what has arrived; false once the server closed.
    bool drain();
    // Polls until a message starting with prefix arrived (true) or timeoutMs passed.
    bool waitFor(const QByteArray &prefix, int timeoutMs = 20000);
    // Polls until the server closed the connection.
    bool waitClosed(int timeoutMs = 20000);
    // Logs in with the seat offered by "CMD_sendlogininfo"; false without an offer.
    bool login(const QByteArray &name, int timeoutMs = 20000);
    // Closes the connection normally.
    void close();
    // Closes the connection with a reset instead of a normal close.
    void reset();

    // The seat from "CMD_sendlogininfo", or 0 before it arrived.
    int seat() const { return seat_; }
    // True once the server closed the connection or a send failed.
    bool closed() const { return closed_; }
    // The socket, or -1 when not connected (for polling many clients at once).
    int fd() const { return fd_; }
    // Every message received so far, terminators removed.
    const QList<QByteArray> &received() const { return received_; }
    // Forgets the messages received so far.
    void clearReceived() { received_.clear(); }
    // Removes and returns the first message received that matches.
    std::optional<QByteArray> take(const std::function<bool(const QByteArray &)> &match);
    // Messages received whose command word is the one given.
    QList<QByteArray> withCommand(const QByteArray &command) const;
    // The words of the "CMD_gotword" messages received for the seat, in order.
    QList<QByteArray> gotwords(int seat) const;

private:
    // Reads until the socket has nothing more; hands each chunk to sink.
    void readAvailable(const std::function<void(const QByteArray &)> &sink);

    int fd_ = -1;
    int seat_ = 0;
    bool closed_ = false;
    Framer framer_;
    QList<QByteArray> received_;
};

#pragma once

#include "net/framing.h"

#include <QByteArray>
#include <QList>

// A raw game client of the end-to-end tests: a plain loopback TCP connection
// that records every message the server sends.
class RawClient {
public:
    RawClient() = default;
    ~RawClient();
    RawClient(const RawClient &) = delete;
    RawClient &operator=(const RawClient &) = delete;

    bool connectTo(quint16 port);
    // Sends the bytes; false once the server closed or reset the connection.
    bool send(const QByteArray &bytes);
    // Reads what has arrived, waiting up to ms for the first bytes.
    void poll(int ms = 0);
    // Polls until a message starting with prefix arrived (true) or timeoutMs passed.
    bool waitFor(const QByteArray &prefix, int timeoutMs = 20000);
    // Polls until the server closed the connection.
    bool waitClosed(int timeoutMs = 20000);
    // Logs in with the seat offered by "CMD_sendlogininfo"; false without an offer.
    bool login(const QByteArray &name, int timeoutMs = 20000);
    void close();

    int seat() const { return seat_; }
    bool closed() const { return closed_; }
    const QList<QByteArray> &received() const { return received_; }
    QList<QByteArray> withCommand(const QByteArray &command) const;

private:
    int fd_ = -1;
    int seat_ = 0;
    bool closed_ = false;
    Framer framer_;
    QList<QByteArray> received_;
};

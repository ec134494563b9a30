#pragma once

#include "net/framing.h"

#include <QByteArray>
#include <QList>

#include <functional>

// A game client for the server tests: a plain loopback TCP connection that
// sends whole messages and collects what the server sends, cut at the
// terminator. Reading happens in poll(), which the wait helpers call.
class TestClient {
public:
    TestClient() = default;
    ~TestClient();
    TestClient(const TestClient &) = delete;
    TestClient &operator=(const TestClient &) = delete;

    // Connects to 127.0.0.1:port; false when the connection failed.
    bool connectTo(quint16 port);
    // Sends the bytes as they are (a message built by Msg:: ends with the terminator).
    void send(const QByteArray &bytes);
    // Reads whatever has arrived; notes the peer's close.
    void poll();
    // Closes the connection normally.
    void close();
    // Closes the connection with a reset instead of a normal close.
    void reset();

    // The seat from "CMD_sendlogininfo", or 0 before it arrived.
    int seat() const;
    // Every message received so far, terminators removed.
    const QList<QByteArray> &received() const { return received_; }
    // Forgets the messages received so far.
    void clearReceived() { received_.clear(); }
    // Messages received that begin with the command word given.
    QList<QByteArray> withCommand(const QByteArray &command) const;
    // The words of the "CMD_gotword" messages received for the seat, in order.
    QList<QByteArray> gotwords(int seat) const;
    // True once the server closed the connection.
    bool peerClosed() const { return peerClosed_; }
    int fd() const { return fd_; }

private:
    int fd_ = -1;
    int seat_ = 0;
    bool peerClosed_ = false;
    Framer framer_;
    QList<QByteArray> received_;
};

// Processes events and polls the clients until the condition holds or a
// generous time has passed; returns the condition.
bool waitUntil(const std::function<bool()> &condition, const QList<TestClient *> &clients,
               int timeoutMs = 15000);
// Processes events and polls the clients for a short while (to see that
// nothing more arrives).
void settle(const QList<TestClient *> &clients, int ms = 100);

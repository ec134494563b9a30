#pragma once

#include "server/hostoptions.h"
#include "server/tserver.h"
#include "testclient.h"

#include <QByteArray>
#include <QList>

#include <memory>
#include <vector>

// Host options that a test sets as it likes.
class TestHostOptions : public HostOptions {
public:
    int pause = 12;
    // Long enough that the computer player never ticks by itself in a test.
    int bot = 24 * 3600 * 1000;
    int pauseBetweenRounds() const override { return pause; }
    int botInterval() const override { return bot; }
};

// A server listening on a port the system chose, whose round, computer and
// login timers do nothing by themselves (tests step them), and the test
// clients connected to it. The receive queue is drained by the real 10 ms
// timer unless a test stops it.
class ServerHarness {
public:
    ServerHarness();

    // Connects a client and waits for its seat; null when no seat came.
    TestClient *connect();
    // Connects a client and logs it in under name; waits until every seat heard of it.
    TestClient *join(const QByteArray &name, const QByteArray &version = "1.0.3");
    // Every client connected so far (closed ones included).
    QList<TestClient *> all() const;
    // Waits with all clients polled.
    bool wait(const std::function<bool()> &condition, int timeoutMs = 15000);
    // Sends a chat line from `from` and waits until every client still open
    // has its relay: whatever `from` sent before has been handled by then.
    bool barrier(TestClient *from);
    // Starts a game from the host's client and waits until every open client has its first round.
    bool startGame(TestClient *host, int rounds, int seconds, int type, bool show);
    // Sends the message from the client and waits until the server queued it
    // (for tests that stop the queue timer and step it themselves).
    bool deliver(TestClient *from, const QByteArray &message);
    // Steps the round timer's handler until the countdown stands at seconds
    // (which must be 1 or more, so nothing expires).
    void stepcountdownto(int seconds);
    // Steps the round timer's handler until the countdown runs out: the round
    // ends, or the pause does and the next round starts.
    void runout();

    TestHostOptions options;
    TServer server;
    quint16 port = 0;

private:
    std::vector<std::unique_ptr<TestClient>> clients_;
    int barriers_ = 0;
};

// Arbitrary bytes on the connections of a real game server: a TServer listens
// on a loopback port, one to three raw clients connect, and the input is cut
// into chunks that go out on those connections. After each chunk the server's
// own read path runs (its socket notifications, Framer and receive queue) and
// its queue is stepped through socktimerTimer; some chunks step the round and
// computer timers instead. The server must neither crash nor leak.
//
// Every input gets a server of its own, with the random generator seeded the
// same way each time, so a finding reproduces from its input alone.
//
// Input: byte 0 picks the number of connections (1 + b % 3). Then chunks:
// a head byte h (connection h % count, kind (h >> 2) % 4), for kinds 0 and 1
// a length byte and that many bytes to send; kind 2 steps roundtimerTimer,
// kind 3 computertimerTimer.

#include "common/guard.h"
#include "common/messagebox.h"
#include "common/random.h"
#include "server/tserver.h"

#include "rawclient.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include <array>
#include <cstdlib>
#include <memory>
#include <sys/ioctl.h>

namespace {
constexpr int kMaxPeers = 3;
constexpr int kMaxSteps = 2000;

constexpr quint32 kSeed = 7772;

// Kept until the process ends: Qt's own statics are gone before static
// destructors would run.
QCoreApplication *app = nullptr;
// The working folder of every server: its dictionary writes the word list
// file there. Removed at exit.
std::unique_ptr<QTemporaryDir> folder;

void quietMessages(QtMsgType, const QMessageLogContext &, const QString &) {}

// Runs Qt's event loop until nothing more is pending (bounded).
void pumpEvents()
{
    for (int i = 0; i < 4; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

int seatOfPeerCount(const TServer &server)
{
    int connected = 0;
    for (int seat = 1; seat <= TServer::kMaxSeats; ++seat)
        connected += server.seat(seat).connected ? 1 : 0;
    return connected;
}

// Waits until the server has read everything that arrived for it.
void settle(TServer &server)
{
    for (int round = 0; round < 50; ++round) {
        pumpEvents();
        bool waiting = false;
        for (int seat = 1; seat <= TServer::kMaxSeats; ++seat) {
            const TSeat &s = server.seat(seat);
            if (!s.connected || !s.sock || s.sock->handle() < 0)
                continue;
            int pending = 0;
            if (::ioctl(s.sock->handle(), FIONREAD, &pending) == 0 && pending > 0)
                waiting = true;
        }
        if (!waiting)
            return;
    }
}

void drainQueue(TServer &server)
{
    for (int step = 0; step < kMaxSteps && server.queuelength() > 0; ++step)
        guarded([&] { server.socktimerTimer(); });
}

// A listening server whose timers are stepped by hand only; null when it could not listen.
std::unique_ptr<TServer> startServer()
{
    // The dictionary writes its list file into the working directory; the
    // corpus folders named on the command line are read from the old one.
    const QString started = QDir::currentPath();
    QDir::setCurrent(folder->path());
    auto server = std::make_unique<TServer>();
    QDir::setCurrent(started);
    // The fuzzer steps every timer itself, so runs do not depend on the clock.
    server->steptimersbyhand();
    server->stepqueuebyhand(true);
    Random::seed(kSeed);
    guarded([&] { server->Sock1()->setListen(true); });
    if (server->Sock1()->localPort() == 0)
        return nullptr;
    return server;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static int argc = 1;
    static char name[] = "fuzz_server";
    static char *argv[] = {name, nullptr};
    qInstallMessageHandler(quietMessages);
    app = new QCoreApplication(argc, argv);
    folder = std::make_unique<QTemporaryDir>();
    ::setenv("LEXICLASH_PORT", "0", 1);
    setErrorHandler([](const QString &) {});
    setMessageBoxHandler([](const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const std::unique_ptr<TServer> started = startServer();
    if (!started)
        std::abort();
    TServer &server = *started;
    const quint16 port = server.Sock1()->localPort();
    const int count = 1 + data[0] % kMaxPeers;
    std::array<RawClient, kMaxPeers> peers;
    // One at a time, so that the first peer always gets the first seat.
    for (int i = 0; i < count; ++i) {
        peers[i].connectTo(port);
        for (int round = 0; round < 50 && seatOfPeerCount(server) <= i; ++round)
            pumpEvents();
    }
    for (int round = 0; round < 50 && seatOfPeerCount(server) < count; ++round)
        pumpEvents();
    drainQueue(server);

    size_t at = 1;
    while (at < size) {
        const uint8_t head = data[at++];
        RawClient &peer = peers[head % count];
        switch ((head >> 2) % 4) {
        case 2:
            guarded([&] { server.roundtimerTimer(); });
            break;
        case 3:
            guarded([&] { server.computertimerTimer(); });
            break;
        default: {
            const size_t length = at < size ? std::min<size_t>(data[at++], size - at) : 0;
            peer.send(QByteArray(reinterpret_cast<const char *>(data + at), qsizetype(length)));
            at += length;
            settle(server);
            break;
        }
        }
        drainQueue(server);
        for (RawClient &p : peers)
            p.drain();
    }

    for (RawClient &p : peers)
        p.close();
    for (int round = 0; round < 50 && seatOfPeerCount(server) > 0; ++round)
        pumpEvents();
    drainQueue(server);
    return 0;
}

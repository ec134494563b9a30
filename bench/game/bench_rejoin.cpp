// Rejoin time of the client session: a real TServer and four headless client
// sessions in this process, a game running with words found. A drop resets
// the server's end of one player's connection; the session notices, and its
// first reconnection attempt starts the clock (the link is back) until the
// seat is restored: connected, token checked, the board rebuilt from the
// server's state ("CMD_rejoined" handled). The floor, in the same run and on
// the same event loop, is a plain TSock connect to a loopback listener: the
// time from Open to the connection being up.
//
// Usage: bench_rejoin [drops]   (default 50)

#include "common/messagebox.h"
#include "dict/tdictn.h"
#include "model/gamemodel.h"
#include "net/tsock.h"
#include "server/tserver.h"
#include "session/clientsession.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sys/socket.h>
#include <vector>

namespace {
constexpr int kPlayers = 4;
constexpr int kWaitMs = 10000;

struct Player {
    GameModel model;
    ClientSession session{model};
};

bool waitUntil(const std::function<bool()> &condition)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > kWaitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void report(const char *name, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) { return ms[std::min(ms.size() - 1, size_t(q * ms.size()))]; };
    std::printf("| %s | %zu | %.2f ms | %.2f ms | %.2f ms |\n", name, ms.size(), at(0.5), at(0.9),
                ms.back());
}

// Milliseconds from Open to connected on a plain loopback connection.
double connectFloor(TSock &listener)
{
    TSock client;
    client.setHostName(QStringLiteral("127.0.0.1"));
    client.setPortName(QString::number(listener.localPort()));
    bool up = false;
    client.OnConnect = [&](TSock *) { up = true; };
    QElapsedTimer timer;
    timer.start();
    client.Open();
    if (!waitUntil([&] { return up; }))
        return -1;
    return double(timer.nsecsElapsed()) / 1e6;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    setMessageBoxHandler(
        [](const QString &text) { std::fprintf(stderr, "%s\n", qPrintable(text)); });
    const int drops = argc > 1 ? std::atoi(argv[1]) : 50;
    // The dictionary writes its list file into the working folder.
    QTemporaryDir folder;
    QDir::setCurrent(folder.path());

    TServer server;
    server.steptimersbyhand();
    server.Sock1()->setPortName(QStringLiteral("0"));
    server.Sock1()->setListen(true);
    const quint16 port = server.Sock1()->localPort();

    std::vector<std::unique_ptr<Player>> players;
    for (int n = 1; n <= kPlayers; ++n) {
        players.push_back(std::make_unique<Player>());
        players.back()->session.open(QStringLiteral("127.0.0.1"), QString::number(port),
                                     QStringLiteral("Player%1").arg(n));
        if (!waitUntil([&] { return players.back()->session.canRejoin(); })) {
            std::fprintf(stderr, "player %d did not log in\n", n);
            return 1;
        }
    }
    // A game of long rounds with a few words found, so the rebuild carries them.
    players[0]->session.startGame(5, 3000, 0, true);
    if (!waitUntil([&] { return players.back()->model.canSendWords(); }))
        return 1;
    int found = 0;
    for (int attempt = 0; attempt < 200 && found < 8; ++attempt) {
        const GameState &game = server.state();
        const QByteArray word =
            server.starterwords().findFitting(game.wordlength, game.prefix, 1000);
        if (word.isEmpty() || !server.dictionary().IsWord(QString::fromLatin1(word)) ||
            game.listbox_gotten.contains(word.toUpper()))
            continue;
        players[size_t(found % kPlayers)]->session.sendWord(QString::fromLatin1(word));
        ++found;
        waitUntil([&] { return server.state().listbox_gotten.size() == found; });
    }

    TSock listener;
    listener.setPortName(QStringLiteral("0"));
    std::vector<TSock *> accepted;
    listener.OnAccept = [&](TSock *sender) {
        TSock *conn = nullptr;
        if (sender->Accept(conn))
            accepted.push_back(conn);
    };
    listener.setListen(true);

    Player &dropped = *players[2];
    const int seat = dropped.model.mySeat();
    QElapsedTimer rejoin;
    double took = -1;
    QObject::connect(&dropped.session, &ClientSession::stateChanged, [&](ClientSession::State s) {
        if (s == ClientSession::State::Reconnecting && dropped.session.attempt() == 1)
            rejoin.start();
        if (s == ClientSession::State::Connected && rejoin.isValid())
            took = double(rejoin.nsecsElapsed()) / 1e6;
    });

    std::vector<double> floor;
    std::vector<double> rejoins;
    for (int drop = 0; drop < drops; ++drop) {
        const double connectMs = connectFloor(listener);
        if (connectMs < 0)
            return 1;
        floor.push_back(connectMs);

        took = -1;
        rejoin.invalidate();
        TSock *conn = server.seat(seat).sock;
        const linger abort{1, 0};
        ::setsockopt(conn->handle(), SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        conn->Close();
        if (!waitUntil([&] { return took >= 0; })) {
            std::fprintf(stderr, "drop %d: the seat did not come back\n", drop + 1);
            return 1;
        }
        if (dropped.model.mySeat() != seat || !server.seat(seat).connected ||
            dropped.model.listedWords().size() != found) {
            std::fprintf(stderr, "drop %d: the seat came back wrong\n", drop + 1);
            return 1;
        }
        rejoins.push_back(took);
    }
    for (TSock *conn : accepted)
        conn->Close();

    std::printf("| phase | n | median | p90 | worst |\n|---|---|---|---|---|\n");
    report("TCP connect on loopback (floor)", floor);
    report("rejoin: link back to seat restored", rejoins);
    return 0;
}

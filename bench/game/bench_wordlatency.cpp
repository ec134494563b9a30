// Word latency of the game server: a real TServer in this process, nine raw
// clients over loopback (seats 1 to 6 play, 7 to 9 watch), and the time from
// sending "CMD_sendword" to receiving its "CMD_gotword" or "CMD_notvalid".
// The reference, in the same run, is a plain TSock echo server on the same
// event loop: the floor set by loopback TCP and Qt's event loop, without the
// server's receive queue of one message per 10 ms tick. The words are taken
// from the shipped list, written out by a dictionary of this process.
//
// With --port the server is another program's, listening on 127.0.0.1:PORT
// (a dedicated host, or a desktop copy hosting): the clients take the seats
// it offers (a desktop host's own window holds seat 1), seat 1 starts the
// game if it is one of them, otherwise the line "waiting for the host to
// start the game" asks whoever runs the host to start it. After the samples
// every player gives up, so the round ends at once, printing "gave up in
// round N" (a host's own window must give up too), until the server names the
// winner; the line "game over: winner seat N" ends the run.
//
// Usage: bench_wordlatency [samples] [interval-ms] [--port PORT]
//   samples: words sent in each phase (default 1000)
//   interval-ms: time between two sends, spread over the players (default 25)

#include "common/messagebox.h"
#include "dict/tdictn.h"
#include "net/messages.h"
#include "net/tsock.h"
#include "server/tserver.h"

#include "rawclient.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <poll.h>
#include <thread>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kClients = 9;
constexpr int kPlayerSeats = 6;
constexpr int kWaitMs = 10000;
// A host started by hand, or a round drawn again after a tie, may take longer.
constexpr int kHostWaitMs = 60000;

// Waits up to ms for bytes on any client and reads them.
void pollClients(std::vector<std::unique_ptr<RawClient>> &clients, int ms)
{
    std::vector<pollfd> fds;
    for (const auto &c : clients)
        fds.push_back({c->fd(), POLLIN, 0});
    if (::poll(fds.data(), fds.size(), ms) <= 0)
        return;
    for (size_t i = 0; i < fds.size(); ++i) {
        if (fds[i].revents)
            clients[i]->poll();
    }
}

template <typename Match>
std::optional<QByteArray> waitMessage(std::vector<std::unique_ptr<RawClient>> &clients,
                                      RawClient &client, Match match, int waitMs = kWaitMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    while (Clock::now() < deadline) {
        if (auto text = client.take(match))
            return text;
        pollClients(clients, 5);
    }
    return std::nullopt;
}

// Words of the list file that begin with the prefix, plus non-words.
std::vector<QByteArray> candidateWords(const QString &listFile, const QByteArray &prefix)
{
    std::vector<QByteArray> words;
    QFile file(listFile);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray all = file.readAll();
        for (qsizetype at = 0; at + 15 <= all.size(); at += 15) {
            const QByteArray word = all.mid(at + 1, 14).trimmed();
            if (word.startsWith(prefix))
                words.push_back(word);
        }
    }
    words.push_back(prefix + "QZXQ");
    return words;
}

struct Figures {
    std::vector<double> ms;
    int accepted = 0;
    int refused = 0;
    int lost = 0;
};

// Sends samples words, one every intervalMs, taking the first players clients
// in turn, and times each answer. isAnswer tells a client's answer to its own word.
template <typename IsAnswer>
Figures measure(std::vector<std::unique_ptr<RawClient>> &clients, int players, int samples,
                int intervalMs, const std::vector<QByteArray> &words, IsAnswer isAnswer)
{
    Figures f;
    struct Pending {
        Clock::time_point sent;
        bool waiting = false;
    };
    std::vector<Pending> pending(size_t(players), Pending{});
    const auto start = Clock::now();
    int sent = 0;
    int answered = 0;
    const auto give = start + std::chrono::milliseconds(qint64(samples) * intervalMs + kWaitMs);
    while ((sent < samples || answered + f.lost < sent) && Clock::now() < give) {
        const auto due = start + std::chrono::milliseconds(qint64(sent) * intervalMs);
        if (sent < samples && Clock::now() >= due) {
            const int p = sent % players;
            if (pending[p].waiting)
                ++f.lost;
            RawClient &c = *clients[p];
            c.send(Msg::sendword(c.seat(), words[size_t(sent) % words.size()]));
            pending[p] = {Clock::now(), true};
            ++sent;
        }
        pollClients(clients, 1);
        const auto now = Clock::now();
        for (int p = 0; p < players; ++p) {
            if (!pending[p].waiting)
                continue;
            bool gotIt = false;
            if (auto text = clients[p]->take(
                    [&](const QByteArray &t) { return isAnswer(*clients[p], t); })) {
                gotIt = true;
                if (text->startsWith(Cmd::gotword))
                    ++f.accepted;
                else
                    ++f.refused;
            }
            if (gotIt) {
                f.ms.push_back(
                    std::chrono::duration<double, std::milli>(now - pending[p].sent).count());
                pending[p].waiting = false;
                ++answered;
            }
        }
        // Broadcasts to the watching seats are read and dropped.
        for (size_t s = size_t(players); s < clients.size(); ++s)
            clients[s]->clearReceived();
    }
    for (const Pending &p : pending)
        f.lost += p.waiting ? 1 : 0;
    return f;
}

void report(const char *name, Figures f)
{
    std::sort(f.ms.begin(), f.ms.end());
    if (f.ms.empty()) {
        std::printf("%-12s no answers (lost %d)\n", name, f.lost);
        return;
    }
    const auto at = [&](double q) { return f.ms[size_t(q * double(f.ms.size() - 1))]; };
    std::printf("%-12s n=%zu median %.2f ms  p90 %.2f ms  p99 %.2f ms  max %.2f ms"
                "  (accepted %d, refused %d, lost %d)\n",
                name, f.ms.size(), at(0.5), at(0.9), at(0.99), f.ms.back(), f.accepted, f.refused,
                f.lost);
}

std::vector<std::unique_ptr<RawClient>> connectClients(quint16 port)
{
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < kClients; ++i) {
        auto c = std::make_unique<RawClient>();
        if (!c->connectTo(port)) {
            std::fprintf(stderr, "cannot connect to port %u\n", port);
            std::exit(1);
        }
        clients.push_back(std::move(c));
    }
    return clients;
}

// Logs every client in with the seat it is offered, in seat order, and keeps
// those seated (a full server refuses the last ones); false when none was.
bool seatClients(std::vector<std::unique_ptr<RawClient>> &clients)
{
    // Connected in order: the server seats connections as it accepts them.
    for (auto &c : clients) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(kWaitMs);
        while (c->seat() == 0 && !c->closed() && Clock::now() < deadline)
            pollClients(clients, 5);
        if (c->seat() != 0)
            c->send(Msg::logininfo(c->seat(), "1.0.3", "Bench" + QByteArray::number(c->seat())));
    }
    std::vector<std::unique_ptr<RawClient>> seated;
    for (auto &c : clients) {
        if (c->seat() != 0)
            seated.push_back(std::move(c));
    }
    std::sort(seated.begin(), seated.end(),
              [](const auto &a, const auto &b) { return a->seat() < b->seat(); });
    clients = std::move(seated);
    return !clients.empty();
}

// The number of clients in player seats (they come first).
int playerCount(const std::vector<std::unique_ptr<RawClient>> &clients)
{
    return int(std::count_if(clients.begin(), clients.end(),
                             [](const auto &c) { return c->seat() <= kPlayerSeats; }));
}

// Sends the words one by one from the client until one is accepted; false when none was.
bool findWord(std::vector<std::unique_ptr<RawClient>> &clients, RawClient &client,
              const std::vector<QByteArray> &words)
{
    for (const QByteArray &word : words) {
        client.send(Msg::sendword(client.seat(), word));
        const auto answer = waitMessage(clients, client, [&](const QByteArray &t) {
            const SplitMessage m = splitMessage(t);
            return (m.command == Cmd::gotword && Msg::readGotword(m.body).seat == client.seat()) ||
                   m.command == Cmd::notvalid;
        });
        if (answer && answer->startsWith(Cmd::gotword))
            return true;
    }
    return false;
}

// Every player gives up until the server names the winner. A tie plays
// another round, in which one player (another each time) finds a word before
// giving up, so a leader among the tied ones is bound to come.
bool playToWinner(std::vector<std::unique_ptr<RawClient>> &clients, int players,
                  const QString &listFile)
{
    std::optional<Msg::StartRound> tie;
    for (int round = 1; round <= 2 * kPlayerSeats + 1; ++round) {
        if (tie) {
            RawClient &scorer = *clients[size_t((round - 2) % players)];
            findWord(clients, scorer, candidateWords(listFile, tie->prefix));
        }
        for (int p = 0; p < players; ++p)
            clients[size_t(p)]->send(Msg::giveup(clients[size_t(p)]->seat()));
        std::printf("gave up in round %d\n", round);
        std::fflush(stdout);
        const auto next = waitMessage(
            clients, *clients[0],
            [](const QByteArray &t) {
                return t.startsWith(Cmd::winner) || t.startsWith(Cmd::startround);
            },
            kHostWaitMs);
        if (!next)
            return false;
        const SplitMessage m = splitMessage(*next);
        if (m.command == Cmd::winner) {
            std::printf("game over: winner seat %d\n", Msg::readWinner(m.body));
            return true;
        }
        tie = Msg::readStartround(m.body);
    }
    return false;
}

// Waits until the first client was told of every client's login.
bool waitAllLoggedIn(std::vector<std::unique_ptr<RawClient>> &clients)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(kWaitMs);
    while (Clock::now() < deadline) {
        std::vector<int> told{clients[0]->seat()};
        for (const QByteArray &message : clients[0]->received()) {
            const SplitMessage m = splitMessage(message);
            if (m.command == Cmd::newplayerinfo || m.command == Cmd::existingplayers)
                told.push_back(Msg::readPlayerinfo(m.body).seat);
        }
        if (std::all_of(clients.begin(), clients.end(), [&](const auto &c) {
                return std::find(told.begin(), told.end(), c->seat()) != told.end();
            }))
            return true;
        pollClients(clients, 5);
    }
    return false;
}

// The whole client side, on its own thread; a server of this process runs on the main one.
void runClients(quint16 echoPort, quint16 gamePort, bool ownServer, int samples, int intervalMs,
                const QString &listFile, std::atomic<int> &status)
{
    std::vector<QByteArray> words;
    {
        auto clients = connectClients(echoPort);
        words = candidateWords(listFile, "A");
        const Figures echo =
            measure(clients, kPlayerSeats, samples, intervalMs, words,
                    [](RawClient &, const QByteArray &t) { return t.startsWith(Cmd::sendword); });
        report("echo", echo);
    }

    auto clients = connectClients(gamePort);
    if (!seatClients(clients) || !waitAllLoggedIn(clients)) {
        std::fprintf(stderr, "no seat offered, or no login confirmed\n");
        status = 1;
        return;
    }
    const int players = playerCount(clients);
    std::printf("seats %d to %d, %d of them playing\n", clients.front()->seat(),
                clients.back()->seat(), players);
    if (clients[0]->seat() == 1) {
        clients[0]->send(Msg::startgameRequest("Bench1", 100, 600, 0, true));
    } else {
        std::printf("waiting for the host to start the game\n");
        std::fflush(stdout);
    }
    const auto start = waitMessage(
        clients, *clients[0], [](const QByteArray &t) { return t.startsWith(Cmd::startround); },
        ownServer ? kWaitMs : kHostWaitMs);
    if (!start) {
        std::fprintf(stderr, "the round did not start\n");
        status = 1;
        return;
    }
    const Msg::StartRound round = Msg::readStartround(splitMessage(*start).body);
    words = candidateWords(listFile, round.prefix);
    std::printf("round prefix %s, %zu candidate words\n", round.prefix.constData(), words.size());
    for (auto &c : clients)
        c->clearReceived();
    const Figures game = measure(clients, players, samples, intervalMs, words,
                                 [](RawClient &c, const QByteArray &t) {
                                     const SplitMessage m = splitMessage(t);
                                     if (m.command == Cmd::gotword)
                                         return Msg::readGotword(m.body).seat == c.seat();
                                     return m.command == Cmd::notvalid;
                                 });
    report(ownServer ? "TServer" : "server", game);
    status = game.ms.empty() ? 1 : 0;
    if (!ownServer && !playToWinner(clients, players, listFile)) {
        std::fprintf(stderr, "the server named no winner\n");
        status = 1;
    }
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::vector<int> numbers;
    quint16 hostPort = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--port") == 0 && i + 1 < argc)
            hostPort = quint16(std::atoi(argv[++i]));
        else
            numbers.push_back(std::atoi(argv[i]));
    }
    const int samples = numbers.size() > 0 ? numbers[0] : 1000;
    const int intervalMs = numbers.size() > 1 ? numbers[1] : 25;
    QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    ::setenv("LEXICLASH_PORT", "0", 1);
    ::setenv("XDG_RUNTIME_DIR", qPrintable(folder.path()), 1);
    setMessageBoxHandler(
        [](const QString &text) { std::fprintf(stderr, "%s\n", qPrintable(text)); });

    TSock echo;
    echo.setPortName(QStringLiteral("0"));
    echo.OnAccept = [&echo](TSock *) {
        TSock *conn = nullptr;
        if (echo.Accept(conn) && conn)
            conn->OnRead = [](TSock *c, int) { c->Send(c->Receive()); };
    };
    echo.setListen(true);

    // The list the candidate words come from: the one the server judges by.
    const TDictn list;
    std::unique_ptr<TServer> server;
    if (hostPort == 0) {
        server = std::make_unique<TServer>();
        server->Sock1()->setListen(true);
    }
    const quint16 gamePort = server ? server->Sock1()->localPort() : hostPort;

    std::atomic<int> status{1};
    std::thread clients([&] {
        runClients(echo.localPort(), gamePort, server != nullptr, samples, intervalMs,
                   list.fileName(), status);
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    app.exec();
    clients.join();
    return status;
}

// Word latency of the game server: a real TServer in this process, nine raw
// clients over loopback (seats 1 to 6 play, 7 to 9 watch), and the time from
// sending "CMD_sendword" to receiving its "CMD_gotword" or "CMD_notvalid".
// The reference, in the same run, is a plain TSock echo server on the same
// event loop: the floor set by loopback TCP and Qt's event loop, without the
// server's receive queue of one message per 10 ms tick.
//
// Usage: bench_wordlatency [samples] [interval-ms]
//   samples: words sent in each phase (default 1000)
//   interval-ms: time between two sends, spread over the six players (default 25)

#include "common/messagebox.h"
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
#include <memory>
#include <optional>
#include <poll.h>
#include <thread>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kClients = 9;
constexpr int kPlayers = 6;
constexpr int kWaitMs = 10000;

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
                                      RawClient &client, Match match)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(kWaitMs);
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

// Sends samples words, one every intervalMs, taking the players in turn, and
// times each answer. isAnswer tells a client's answer to its own word.
template <typename IsAnswer>
Figures measure(std::vector<std::unique_ptr<RawClient>> &clients, int samples, int intervalMs,
                const std::vector<QByteArray> &words, IsAnswer isAnswer)
{
    Figures f;
    struct Pending {
        Clock::time_point sent;
        bool waiting = false;
    };
    std::vector<Pending> pending(kPlayers);
    const auto start = Clock::now();
    int sent = 0;
    int answered = 0;
    const auto give = start + std::chrono::milliseconds(qint64(samples) * intervalMs + kWaitMs);
    while ((sent < samples || answered + f.lost < sent) && Clock::now() < give) {
        const auto due = start + std::chrono::milliseconds(qint64(sent) * intervalMs);
        if (sent < samples && Clock::now() >= due) {
            const int p = sent % kPlayers;
            if (pending[p].waiting)
                ++f.lost;
            RawClient &c = *clients[p];
            c.send(Msg::sendword(c.seat(), words[size_t(sent) % words.size()]));
            pending[p] = {Clock::now(), true};
            ++sent;
        }
        pollClients(clients, 1);
        const auto now = Clock::now();
        for (int p = 0; p < kPlayers; ++p) {
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
        for (int s = kPlayers; s < kClients; ++s)
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

// The whole client side, on its own thread; the server runs on the main one.
void runClients(quint16 echoPort, quint16 gamePort, int samples, int intervalMs,
                const QString &listFile, std::atomic<int> &status)
{
    std::vector<QByteArray> words;
    {
        auto clients = connectClients(echoPort);
        words = candidateWords(listFile, "A");
        const Figures echo =
            measure(clients, samples, intervalMs, words,
                    [](RawClient &, const QByteArray &t) { return t.startsWith(Cmd::sendword); });
        report("echo", echo);
    }

    auto clients = connectClients(gamePort);
    // Connect in seat order: the server seats connections as it accepts them.
    for (auto &c : clients) {
        const auto login = waitMessage(
            clients, *c, [](const QByteArray &t) { return t.startsWith(Cmd::sendlogininfo); });
        if (!login) {
            std::fprintf(stderr, "no seat offered\n");
            status = 1;
            return;
        }
        c->send(Msg::logininfo(c->seat(), "1.0.3", "Bench" + QByteArray::number(c->seat())));
    }
    std::sort(clients.begin(), clients.end(),
              [](const auto &a, const auto &b) { return a->seat() < b->seat(); });
    clients[0]->send(Msg::startgameRequest("Bench1", 100, 600, 0, true));
    const auto start = waitMessage(
        clients, *clients[0], [](const QByteArray &t) { return t.startsWith(Cmd::startround); });
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
    const Figures game =
        measure(clients, samples, intervalMs, words, [](RawClient &c, const QByteArray &t) {
            const SplitMessage m = splitMessage(t);
            if (m.command == Cmd::gotword)
                return Msg::readGotword(m.body).seat == c.seat();
            return m.command == Cmd::notvalid;
        });
    report("TServer", game);
    status = game.ms.empty() ? 1 : 0;
}
} // namespace

int main(int argc, char *argv[])
{
    const int samples = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int intervalMs = argc > 2 ? std::atoi(argv[2]) : 25;
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    ::setenv("LEXICLASH_PORT", "0", 1);
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

    TServer server;
    server.Sock1()->setListen(true);

    std::atomic<int> status{1};
    std::thread clients([&] {
        runClients(echo.localPort(), server.Sock1()->localPort(), samples, intervalMs,
                   folder.filePath(QStringLiteral("English")), status);
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    app.exec();
    clients.join();
    return status;
}

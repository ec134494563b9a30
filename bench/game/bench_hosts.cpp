// The dedicated host against the desktop host, side by side in one run, taking
// turns run by run (the order swapped every run) so both see the same machine
// load. Each run starts build/bin/lexiclash-host and build/bin/lexiclash
// hosting ("Host 127.0.0.1 true", its window on the platform given, offscreen
// by default), each on a free port with its own folders, port mapping off and
// its discovery datagrams kept on the loopback, and measures from outside:
//
//   listening: from exec until the game port is in the LISTEN state
//              (/proc/net/tcp and tcp6, looked at every 1 ms), that is until
//              the kernel completes a connection to it; no connection is made,
//              so the desktop window's own client still takes seat 1.
//   login:     desktop only: until its window's own client is seated (seat 1
//              shows its name).
//   memory:    VmRSS and VmHWM (/proc/PID/status), PSS, USS (private clean
//              + dirty) and private dirty alone (what the process wrote: heap,
//              stacks, relocated data) from /proc/PID/smaps_rollup, 2 s after
//              it is up and idle, and again 2 s after a game to its winner.
//   CPU:       run time of all its threads (/proc/PID/task/*/schedstat, in
//              ns) over a window, as a share of one core, and wake-ups (context
//              switches) per second: with nobody connected (the desktop
//              host's own window is always connected), then with five raw
//              clients logged in and idle.
//   latency:   bench_wordlatency --port, which plays a one-round game on the
//              host: nine raw clients, the players send a word every 25 ms in
//              turn; the desktop host's window holds seat 1, starts the game
//              (clicked through the automation channel) and gives up. Both
//              hosts get the same LEXICLASH_SEED, so they draw the same letters.
//
// Usage: bench_hosts [runs] [samples] [cpu-seconds] [--platform NAME]
//   runs: runs of both hosts (default 3); samples: words per latency phase
//   (default 500); cpu-seconds: length of each CPU window (default 10);
//   --platform: the desktop host's Qt platform (default offscreen; xcb
//   needs a display, such as xvfb-run gives).

#include "../../tests/e2e/gameprocess.h"
#include "loopbackport.h"
#include "rawclient.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {
constexpr int kSettleMs = 2000;
constexpr int kIdlePlayers = 5;
constexpr int kWaitMs = 20000;
constexpr int kSeed = 1;

enum class Kind { Dedicated, Desktop };

struct Options {
    int runs = 3;
    int samples = 500;
    int cpuSeconds = 10;
    QString platform = QStringLiteral("offscreen");
};

// The figures of every run of one host, one row each, in the order measured.
class Figures {
public:
    // The values of the row, added at the end when it is new.
    std::vector<double> &operator[](const std::string &row)
    {
        for (auto &[name, values] : rows_) {
            if (name == row)
                return values;
        }
        rows_.push_back({row, {}});
        return rows_.back().second;
    }
    const std::vector<std::pair<std::string, std::vector<double>>> &rows() const { return rows_; }

private:
    std::vector<std::pair<std::string, std::vector<double>>> rows_;
};

bool listening(quint16 port)
{
    const QByteArray hex = QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const char *table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        QFile file(QString::fromLatin1(table));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : file.readAll().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() > 3 && fields[3] == "0A" && fields[1].endsWith(':' + hex))
                return true;
        }
    }
    return false;
}

// The kB of a "Key:   N kB" line of a /proc file, or -1.
qint64 fieldKb(const QByteArray &text, const QByteArray &key)
{
    for (const QByteArray &line : text.split('\n')) {
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

QByteArray readProc(qint64 pid, const QString &name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void noteMemory(Figures &f, const std::string &when, qint64 pid)
{
    const QByteArray status = readProc(pid, QStringLiteral("status"));
    const QByteArray rollup = readProc(pid, QStringLiteral("smaps_rollup"));
    const auto mb = [](qint64 kb) { return double(kb) / 1024.0; };
    f["VmRSS " + when + " (MB)"].push_back(mb(fieldKb(status, "VmRSS")));
    f["PSS " + when + " (MB)"].push_back(mb(fieldKb(rollup, "Pss")));
    f["USS " + when + " (MB)"].push_back(
        mb(fieldKb(rollup, "Private_Clean") + fieldKb(rollup, "Private_Dirty")));
    f["Private_Dirty " + when + " (MB)"].push_back(mb(fieldKb(rollup, "Private_Dirty")));
    f["VmHWM " + when + " (MB)"].push_back(mb(fieldKb(status, "VmHWM")));
}

struct CpuClock {
    qint64 ns = 0;
    qint64 switches = 0;
};

// Run time and context switches of all threads of the process.
CpuClock cpuClock(qint64 pid)
{
    CpuClock clock;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString base = QStringLiteral("task/") + task;
        clock.ns += readProc(pid, base + QStringLiteral("/schedstat")).split(' ')[0].toLongLong();
        const QByteArray status = readProc(pid, base + QStringLiteral("/status"));
        clock.switches += fieldKb(status, "voluntary_ctxt_switches") +
                          fieldKb(status, "nonvoluntary_ctxt_switches");
    }
    return clock;
}

void noteCpu(Figures &f, const std::string &when, qint64 pid, int seconds)
{
    const CpuClock before = cpuClock(pid);
    QElapsedTimer timer;
    timer.start();
    QThread::msleep(seconds * 1000);
    const CpuClock after = cpuClock(pid);
    const double elapsedNs = double(timer.nsecsElapsed());
    f["CPU " + when + " (% of a core)"].push_back(100.0 * double(after.ns - before.ns) / elapsedNs);
    f["wake-ups " + when + " (/s)"].push_back(double(after.switches - before.switches) /
                                              (elapsedNs / 1e9));
}

// The median, p90, p99, maximum and accepted count of bench_wordlatency's result line.
void noteLatency(Figures &f, const QString &line)
{
    static const QRegularExpression pattern(QStringLiteral(
        R"(^(\w+)\s+n=\d+ median ([\d.]+) ms\s+p90 ([\d.]+) ms\s+p99 ([\d.]+) ms\s+max ([\d.]+) ms.*accepted (\d+))"));
    const QRegularExpressionMatch m = pattern.match(line);
    if (!m.hasMatch())
        return;
    if (m.captured(1) == QLatin1String("echo")) {
        f["echo floor median (ms)"].push_back(m.captured(2).toDouble());
        return;
    }
    f["word latency median (ms)"].push_back(m.captured(2).toDouble());
    f["word latency p90 (ms)"].push_back(m.captured(3).toDouble());
    f["word latency p99 (ms)"].push_back(m.captured(4).toDouble());
    f["word latency max (ms)"].push_back(m.captured(5).toDouble());
    f["words accepted"].push_back(m.captured(6).toDouble());
}

// Clicks a control of the desktop host's window once it is visible.
bool clickWhenVisible(GameProcess &game, const QByteArray &visible, const QByteArray &control)
{
    return GameProcess::waitFor([&] { return game.command("visible " + visible) == "ok 1"; }) &&
           game.command("click " + control) == "ok";
}

// Runs bench_wordlatency against the host on port; the desktop host's window
// starts the game and gives up when the benchmark asks for it.
bool playGame(Kind kind, GameProcess &game, quint16 port, int samples, Figures &f)
{
    QProcess bench;
    bench.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/bench_wordlatency"));
    bench.setArguments({QString::number(samples), QStringLiteral("25"), QStringLiteral("--port"),
                        QString::number(port)});
    bench.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    bench.start();
    QElapsedTimer timer;
    timer.start();
    const qint64 limitMs = qint64(samples) * 25 * 2 + 180000;
    bool ok = true;
    while (bench.state() != QProcess::NotRunning || bench.canReadLine()) {
        if (timer.elapsed() > limitMs) {
            bench.kill();
            return false;
        }
        if (!bench.canReadLine()) {
            bench.waitForReadyRead(100);
            continue;
        }
        const QString line = QString::fromUtf8(bench.readLine()).trimmed();
        std::printf("    %s\n", qPrintable(line));
        std::fflush(stdout);
        noteLatency(f, line);
        if (kind != Kind::Desktop)
            continue;
        if (line.startsWith(QLatin1String("waiting for the host")))
            ok = ok && clickWhenVisible(game, "chat", "button_start") &&
                 clickWhenVisible(game, "gamestart", "gamestart/Image1");
        else if (line.startsWith(QLatin1String("gave up")))
            ok = ok && clickWhenVisible(game, "button_igiveup", "button_igiveup");
    }
    return ok && bench.exitStatus() == QProcess::NormalExit && bench.exitCode() == 0;
}

bool fail(const char *what, GameProcess &game)
{
    std::fprintf(stderr, "%s\n%s\n", what, game.log().constData());
    return false;
}

bool runHost(Kind kind, const Options &options, Figures &f)
{
    QTemporaryDir root;
    const quint16 port = unusedLoopbackPort();
    const bool desktop = kind == Kind::Desktop;
    GameProcess game(root.path(), desktop ? QStringLiteral("desktop") : QStringLiteral("dedicated"),
                     port);
    game.setEnv(QStringLiteral("LEXICLASH_PORTMAP"), QStringLiteral("off"));
    game.setEnv(QStringLiteral("LEXICLASH_DISCOVERY_PORT"),
                QString::number(unusedLoopbackUdpPort()));
    game.setEnv(QStringLiteral("LEXICLASH_DISCOVERY_TARGETS"), QStringLiteral("127.255.255.255"));
    game.setEnv(QStringLiteral("QT_QPA_PLATFORM"), options.platform);
    // Both draw the same letters for the round, so they judge the same words.
    game.setEnv(QStringLiteral("LEXICLASH_SEED"), QString::number(kSeed));
    QStringList arguments;
    if (desktop) {
        QFile settings(game.home() + QStringLiteral("/quillmarklobby.ini"));
        settings.open(QIODevice::WriteOnly);
        settings.write("[Lexiclash]\nPlaytoscore=1\nTimeperturn=120\nGametype=0\n"
                       "Playsounds=false\nBotspeed=10\n");
        settings.close();
        arguments = {QStringLiteral("Host"), QStringLiteral("127.0.0.1"), QStringLiteral("true")};
    } else {
        game.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/lexiclash-host"));
        arguments = QStringLiteral("--name Bench --rounds 1 --seconds 120 --length any "
                                   "--words shown --pause 1 --computer none --port")
                        .split(QLatin1Char(' '));
        arguments << QString::number(port);
    }

    std::atomic<qint64> listenedNs{-1};
    std::atomic<bool> watching{true};
    QElapsedTimer timer;
    timer.start();
    std::thread watch([&] {
        while (watching && listenedNs < 0) {
            if (listening(port))
                listenedNs = timer.nsecsElapsed();
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    const bool started = desktop ? game.start(arguments) : game.launch(arguments);
    GameProcess::waitFor([&] { return listenedNs >= 0; }, kWaitMs);
    watching = false;
    watch.join();
    if (!started || listenedNs < 0)
        return fail("the host did not listen", game);
    f["listening (ms from exec)"].push_back(double(listenedNs) / 1e6);
    std::printf("    listening after %.1f ms\n", double(listenedNs) / 1e6);
    if (desktop) {
        if (!GameProcess::waitFor([&] {
                return game.text(QStringLiteral("label_playername1")) == QLatin1String("Host");
            }))
            return fail("the window's own client was not seated", game);
        f["window's own login (ms from exec)"].push_back(double(timer.elapsed()));
    } else {
        // No window: the row is there, empty.
        f["window's own login (ms from exec)"];
    }

    QThread::msleep(kSettleMs);
    noteMemory(f, "idle", game.pid());
    noteCpu(f, "idle, nobody connected", game.pid(), options.cpuSeconds);
    {
        std::vector<std::unique_ptr<RawClient>> players;
        for (int i = 1; i <= kIdlePlayers; ++i) {
            auto c = std::make_unique<RawClient>();
            if (!c->connectTo(port) || !c->login("Idle" + QByteArray::number(i)))
                return fail("an idle player was not seated", game);
            players.push_back(std::move(c));
        }
        QThread::msleep(kSettleMs);
        noteCpu(f, "idle, 5 players", game.pid(), options.cpuSeconds);
    }
    QThread::msleep(kSettleMs);

    if (!playGame(kind, game, port, options.samples, f))
        return fail("the game was not played to its winner", game);
    QThread::msleep(kSettleMs);
    noteMemory(f, "after a game", game.pid());

    if (desktop)
        game.command("close");
    else
        game.signal(SIGTERM);
    if (!game.waitExit())
        return fail("the host did not end", game);
    return true;
}

// "median (lowest–highest)" of the runs, or "-" without figures; counts
// without decimals, times of under a millisecond with two.
std::string cell(const std::string &row, std::vector<double> v)
{
    if (v.empty())
        return "-";
    std::sort(v.begin(), v.end());
    const auto starts = [&](const char *text) { return row.rfind(text, 0) == 0; };
    int decimals = 1;
    if (starts("words"))
        decimals = 0;
    else if (starts("CPU") || starts("word") || starts("echo"))
        decimals = 2;
    char text[96];
    if (v.size() == 1)
        std::snprintf(text, sizeof text, "%.*f", decimals, v[0]);
    else
        std::snprintf(text, sizeof text, "%.*f (%.*f–%.*f)", decimals, v[v.size() / 2], decimals,
                      v.front(), decimals, v.back());
    return text;
}

QByteArray loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
}

Options readOptions(int argc, char *argv[])
{
    Options options;
    std::vector<int> numbers;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--platform") == 0 && i + 1 < argc)
            options.platform = QString::fromLocal8Bit(argv[++i]);
        else
            numbers.push_back(std::max(1, std::atoi(argv[i])));
    }
    options.runs = numbers.size() > 0 ? numbers[0] : options.runs;
    options.samples = numbers.size() > 1 ? numbers[1] : options.samples;
    options.cpuSeconds = numbers.size() > 2 ? numbers[2] : options.cpuSeconds;
    return options;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const Options options = readOptions(argc, argv);
    std::printf("load average at start: %s\n", loadAverage().constData());
    Figures dedicated;
    Figures desktop;
    for (int run = 1; run <= options.runs; ++run) {
        const std::vector<Kind> order = run % 2 == 1 ? std::vector{Kind::Dedicated, Kind::Desktop}
                                                     : std::vector{Kind::Desktop, Kind::Dedicated};
        for (const Kind kind : order) {
            const bool isDesktop = kind == Kind::Desktop;
            std::printf("== run %d: %s\n", run, isDesktop ? "desktop host" : "dedicated host");
            std::fflush(stdout);
            if (!runHost(kind, options, isDesktop ? desktop : dedicated))
                return 1;
        }
    }
    std::printf("load average at end: %s\n", loadAverage().constData());

    std::printf("\n%d runs, median (lowest–highest); desktop host on the %s platform\n\n",
                options.runs, qPrintable(options.platform));
    std::printf("| figure | lexiclash-host | lexiclash hosting |\n|---|---|---|\n");
    for (const auto &[row, values] : desktop.rows())
        std::printf("| %s | %s | %s |\n", row.c_str(), cell(row, dedicated[row]).c_str(),
                    cell(row, values).c_str());
    return 0;
}

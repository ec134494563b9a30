// Start-up time, peak memory and CPU of the real program, measured from
// outside: build/bin/lexiclash is started with no parameters (a solo game
// against the computer player) on the offscreen platform with its own
// folders and the automation channel, as the end-to-end tests start it.
//
//   shown:  from exec until the main window is exposed on the screen (the
//           platform reports its first frame), asked through the automation
//           channel every 20 ms.
//   login:  from exec until the seat row of seat 1 shows "You": the window's
//           own client has connected to its server and its login is confirmed.
//   VmHWM:  peak resident memory after the login, and again at the end.
//   idle:   CPU (user + system, /proc/<pid>/stat) over 10 s at the start screen.
//   round:  CPU over 10 s of a running solo round (the computer player plays).
//
// Usage: bench_process [runs]   (default 5 start-ups; CPU from the last run)

#include "../../tests/e2e/gameprocess.h"
#include "loopbackport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {
constexpr int kWindowMs = 10000;

// utime + stime of the process in clock ticks.
qint64 cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // Fields after the command name, which is in brackets and may hold blanks.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return fields.value(11).toLongLong() + fields.value(12).toLongLong();
}

double cpuPercent(qint64 pid, int ms)
{
    const qint64 before = cpuTicks(pid);
    QElapsedTimer timer;
    timer.start();
    QThread::msleep(ms);
    const qint64 after = cpuTicks(pid);
    const double seconds = double(timer.elapsed()) / 1000.0;
    return 100.0 * double(after - before) / double(::sysconf(_SC_CLK_TCK)) / seconds;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::vector<double> shown;
    std::vector<double> login;
    std::vector<double> peak;
    for (int run = 0; run < runs; ++run) {
        QTemporaryDir root;
        const quint16 port = unusedLoopbackPort();
        GameProcess game(root.path(), QStringLiteral("solo"), port);
        QFile settings(game.home() + QStringLiteral("/quillmarklobby.ini"));
        settings.open(QIODevice::WriteOnly);
        settings.write(
            "[Lexiclash]\nPlaytoscore=1\nTimeperturn=60\nGametype=0\nPlaysounds=false\n");
        settings.close();

        QElapsedTimer timer;
        timer.start();
        if (!game.start({})) {
            std::fprintf(stderr, "the program did not start\n%s\n", game.log().constData());
            return 1;
        }
        if (!GameProcess::waitFor([&] { return game.command("exposed chat") == "ok 1"; })) {
            std::fprintf(stderr, "the window was not shown\n");
            return 1;
        }
        shown.push_back(double(timer.elapsed()));
        if (!GameProcess::waitFor([&] {
                return game.text(QStringLiteral("label_playername1")) == QLatin1String("You");
            })) {
            std::fprintf(stderr, "no login\n");
            return 1;
        }
        login.push_back(double(timer.elapsed()));
        peak.push_back(double(game.statusKb("VmHWM")) / 1024.0);
        std::printf("run %d: shown %.0f ms, login %.0f ms, VmHWM %.1f MB\n", run + 1, shown.back(),
                    login.back(), peak.back());

        if (run + 1 < runs) {
            game.command("close");
            game.waitExit();
            continue;
        }
        const double idle = cpuPercent(game.pid(), kWindowMs);
        game.command("click button_start");
        GameProcess::waitFor([&] { return game.command("visible gamestart") == "ok 1"; });
        game.command("click gamestart/Image1");
        if (!GameProcess::waitFor(
                [&] { return game.command("visible button_igiveup") == "ok 1"; })) {
            std::fprintf(stderr, "the round did not start\n");
            return 1;
        }
        const double round = cpuPercent(game.pid(), kWindowMs);
        const QString words = game.text(QStringLiteral("memo_wordlist"));
        std::printf("CPU idle at the start screen: %.2f %% of one core over %d s\n", idle,
                    kWindowMs / 1000);
        std::printf("CPU during a solo round:      %.2f %% of one core over %d s (%lld words "
                    "listed)\n",
                    round, kWindowMs / 1000,
                    qint64(words.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size()));
        std::printf("VmHWM at the end: %.1f MB\n", double(game.statusKb("VmHWM")) / 1024.0);
        game.command("close");
        game.waitExit();
    }
    std::printf("median of %d: shown %.0f ms, login %.0f ms, VmHWM %.1f MB\n", runs, median(shown),
                median(login), median(peak));
    return 0;
}

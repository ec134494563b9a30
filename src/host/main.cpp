// lexiclash-host: hosts Lexiclash games without a window until it is stopped.

#include "common/infooption.h"
#include "common/ports.h"
#include "common/signalwatcher.h"
#include "host/dedicatedhost.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// Time for the last words to the players to leave before the program ends.
constexpr int kFarewellMs = 200;

void logLine(const QString &line)
{
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    if (printInfoOption(argc, argv, "lexiclash-host", HostConfigReader::usage()))
        return 0;
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments == QStringList{QStringLiteral("-h")}) {
        std::fputs(HostConfigReader::usage().toLocal8Bit().constData(), stdout);
        return 0;
    }
    QString error;
    const HostConfig config =
        HostConfigReader::fromArguments(arguments, gamePortName().toUShort(), error);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "lexiclash-host: %s\n", qPrintable(error));
        return kExitUsage;
    }
    DedicatedHost host(config, arguments, logLine);
    if (!host.start(error)) {
        std::fprintf(stderr, "lexiclash-host: %s\n", qPrintable(error));
        return kExitFailure;
    }
    SignalWatcher watcher;
    watcher.watchHangup();
    QObject::connect(&watcher, &SignalWatcher::hangupReceived, &host, [&host] { host.reload(); });
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, &host, [&host] {
        host.stop();
        QTimer::singleShot(kFarewellMs, qApp, &QCoreApplication::quit);
    });
    return app.exec();
}

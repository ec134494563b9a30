// A helper of the port-mapping tests, run inside the rig's home namespace:
//   portmap_probe map PORT LEASE       the port mapper of a hosting copy
//   portmap_probe take INTERNAL EXTERNAL   one mapping made directly
// It prints "result outcome=N method=M external=A:P local=L ms=T" and the
// message once the router answered, then takes the lines "renew" (the
// renewal timer's handler) and "quit" on its standard input; at the end of
// its input it removes the mapping and prints "removed".

#include "portmap/gatewayclient.h"
#include "portmap/portmapper.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

void print(const PortMapResult &result, qint64 ms)
{
    std::printf("result outcome=%d method=%s external=%s:%u local=%s ms=%lld\n%s\n",
                int(result.outcome), qPrintable(result.methodName()),
                qPrintable(result.externalAddress), unsigned(result.externalPort),
                qPrintable(result.localAddress), ms, qPrintable(result.message()));
    std::fflush(stdout);
}

// Calls handler with each line of the standard input, and quits at its end.
void readCommands(QObject *context, const std::function<void(const QByteArray &)> &handler)
{
    auto *notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [handler, notifier] {
        char buffer[256];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer - 1);
        if (got <= 0) {
            notifier->setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        for (const QByteArray &line : QByteArray(buffer, got).split('\n')) {
            if (line == "quit")
                QCoreApplication::quit();
            else if (!line.isEmpty())
                handler(line);
        }
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return 2;
    const quint16 first = quint16(args.at(2).toUInt());
    const int third = args.at(3).toInt();
    QElapsedTimer clock;
    clock.start();
    int code = 0;
    if (args.at(1) == QLatin1String("take")) {
        GatewayClient client;
        const PortMapResult result = client.map(first, quint16(third), 600);
        print(result, clock.elapsed());
        readCommands(&app, [](const QByteArray &) {});
        code = app.exec();
        client.unmap();
    } else {
        auto mapper = std::make_unique<PortMapper>();
        mapper->setLeaseSeconds(third);
        QObject::connect(mapper.get(), &PortMapper::finished, &app,
                         [&clock](const PortMapResult &result) { print(result, clock.elapsed()); });
        mapper->start(first);
        readCommands(&app, [&mapper](const QByteArray &line) {
            if (line == "renew")
                mapper->renewTimer();
        });
        code = app.exec();
        mapper.reset();
    }
    std::printf("removed\n");
    return code;
}

// How long a hosting copy waits for the router: run inside the home namespace
// of tests/portmap/rig.sh (bench_portmap.sh does that).
//   bench_portmap RUNS PORT
// Each run makes the port mapper a hosting copy makes when hosting starts,
// times start() to finished() (the mapping in place) and the removal when the
// mapper goes. The reference, in the same run: one request to the router
// with nothing else, a renewal of a mapping in place (one UPnP SOAP call or
// one NAT-PMP datagram and its answer), RUNS times.

#include "portmap/gatewayclient.h"
#include "portmap/portmapper.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kGiveUpMs = 10000;

void row(const char *what, std::vector<double> ms)
{
    if (ms.empty())
        return;
    std::sort(ms.begin(), ms.end());
    const double median =
        ms.size() % 2 ? ms[ms.size() / 2] : (ms[ms.size() / 2 - 1] + ms[ms.size() / 2]) / 2;
    std::printf("| %s | %zu | %.1f ms | %.1f ms |\n", what, ms.size(), median, ms.back());
}

double msSince(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const int runs = QByteArray(argv[1]).toInt();
    const quint16 port = quint16(QByteArray(argv[2]).toUInt());
    std::vector<double> mapping;
    std::vector<double> removal;
    QString method;
    QString outcome;
    for (int run = 0; run < runs; ++run) {
        auto mapper = std::make_unique<PortMapper>();
        QEventLoop loop;
        QElapsedTimer clock;
        bool answered = false;
        QObject::connect(mapper.get(), &PortMapper::finished, &loop,
                         [&](const PortMapResult &result) {
                             mapping.push_back(msSince(clock));
                             method = result.methodName();
                             outcome = result.message();
                             answered = true;
                             loop.quit();
                         });
        QTimer::singleShot(kGiveUpMs, &loop, &QEventLoop::quit);
        clock.start();
        mapper->start(port);
        loop.exec();
        if (!answered)
            return 1;
        clock.restart();
        mapper.reset();
        removal.push_back(msSince(clock));
    }
    std::vector<double> renewal;
    {
        GatewayClient client;
        if (client.map(port, port, 600).outcome == PortMapResult::Outcome::Mapped) {
            for (int run = 0; run < runs; ++run) {
                QElapsedTimer clock;
                clock.start();
                client.renew(600);
                renewal.push_back(msSince(clock));
            }
        }
        client.unmap();
    }
    std::printf("method: %s\noutcome: %s\n\n", qPrintable(method), qPrintable(outcome));
    std::printf("| step | runs | median | worst |\n|---|---|---|---|\n");
    row("hosting starts to the mapping in place", mapping);
    row("removal when the game ends", removal);
    row("reference: one renewal request", renewal);
    return 0;
}

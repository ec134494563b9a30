#include "discovery/discoverybrowser.h"

#include "common/guard.h"
#include "common/ports.h"

#include <QElapsedTimer>
#include <QNetworkInterface>

namespace {
qint64 steadyMs()
{
    static const QElapsedTimer started = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return started.elapsed();
}
} // namespace

DiscoveryBrowser::DiscoveryBrowser(QObject *parent)
    : QObject(parent)
    , querySocket_(this)
    , announcementSocket_(this)
    , timer_(this)
    , clock_(steadyMs)
{
    timer_.setInterval(kQueryIntervalMs);
    connect(&timer_, &QTimer::timeout, this, [this] { guarded([this] { query(); }); });
    for (QUdpSocket *socket : {&querySocket_, &announcementSocket_}) {
        connect(socket, &QUdpSocket::readyRead, this,
                [this, socket] { guarded([this, socket] { readPending(*socket); }); });
    }
}

QList<DiscoveryBrowser::Target> DiscoveryBrowser::defaultTargets(quint16 port)
{
    return discovery::broadcastTargets(port);
}

void DiscoveryBrowser::setTargets(const QList<Target> &targets)
{
    targets_ = targets;
    targetsSet_ = true;
}

void DiscoveryBrowser::setAnnouncementPort(quint16 port)
{
    announcementPort_ = port;
}

void DiscoveryBrowser::setClock(std::function<qint64()> clock)
{
    clock_ = clock ? std::move(clock) : std::function<qint64()>(steadyMs);
}

bool DiscoveryBrowser::start()
{
    if (running())
        return true;
    if (querySocket_.state() != QAbstractSocket::BoundState &&
        !querySocket_.bind(QHostAddress::AnyIPv4, 0))
        return false;
    const quint16 port = announcementPort_ < 0 ? discoveryPort() : quint16(announcementPort_);
    // Without the shared port (an older host holds it alone) the queries
    // still find the games.
    if (port != 0)
        announcementSocket_.bind(QHostAddress::AnyIPv4, port,
                                 QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
    timer_.start();
    query();
    return true;
}

void DiscoveryBrowser::stop()
{
    timer_.stop();
    querySocket_.close();
    announcementSocket_.close();
    if (!table_.games().empty()) {
        table_.clear();
        changed();
    }
}

bool DiscoveryBrowser::running() const
{
    return timer_.isActive();
}

void DiscoveryBrowser::query()
{
    if (table_.expire(now()))
        changed();
    table_.setOwnAddresses(QNetworkInterface::allAddresses());
    // Interfaces come and go (a laptop joins a network), so the usual
    // targets are looked up afresh each round.
    const QList<Target> targets = targetsSet_ ? targets_ : defaultTargets(discoveryPort());
    const QByteArray query = discovery::encodeQuery();
    for (const Target &target : targets)
        querySocket_.writeDatagram(query, target.address, target.port);
}

void DiscoveryBrowser::readPending(QUdpSocket &socket)
{
    char buffer[discovery::kMaxReplySize + 1];
    bool anyChange = false;
    // The socket stays readable, so what is left over is read on the next turn.
    for (int read = 0; read < kReadBatch && socket.hasPendingDatagrams(); ++read) {
        QHostAddress sender;
        const qint64 size = socket.readDatagram(buffer, sizeof buffer, &sender);
        if (size < 0)
            break;
        const QByteArrayView data(buffer, size);
        if (const auto info = discovery::decodeGame(data))
            anyChange = table_.take(*info, sender, now()) || anyChange;
        else if (const auto mark = discovery::decodeServerMark(data))
            anyChange = table_.markServer(*mark, sender) || anyChange;
    }
    if (anyChange)
        changed();
}

void DiscoveryBrowser::changed()
{
    if (onChanged)
        onChanged();
}

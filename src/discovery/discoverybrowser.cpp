#include "discovery/discoverybrowser.h"

#include "common/guard.h"
#include "common/ports.h"

#include <QDateTime>
#include <QNetworkInterface>

#include <algorithm>

namespace {
qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}
} // namespace

DiscoveryBrowser::DiscoveryBrowser(QObject *parent)
    : QObject(parent)
    , socket_(this)
    , timer_(this)
{
    timer_.setInterval(kQueryIntervalMs);
    connect(&timer_, &QTimer::timeout, this, [this] { guarded([this] { query(); }); });
    connect(&socket_, &QUdpSocket::readyRead, this, [this] { guarded([this] { readPending(); }); });
}

QList<DiscoveryBrowser::Target> DiscoveryBrowser::defaultTargets(quint16 port)
{
    QList<Target> targets;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            !flags.testFlag(QNetworkInterface::CanBroadcast) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol &&
                !entry.broadcast().isNull())
                targets.append({entry.broadcast(), port});
        }
    }
    targets.append({QHostAddress(QHostAddress::LocalHost), port});
    return targets;
}

void DiscoveryBrowser::setTargets(const QList<Target> &targets)
{
    targets_ = targets;
    targetsSet_ = true;
}

bool DiscoveryBrowser::start()
{
    if (running())
        return true;
    if (socket_.state() != QAbstractSocket::BoundState && !socket_.bind(QHostAddress::AnyIPv4, 0))
        return false;
    timer_.start();
    query();
    return true;
}

void DiscoveryBrowser::stop()
{
    timer_.stop();
    socket_.close();
    if (!games_.empty()) {
        games_.clear();
        changed();
    }
}

bool DiscoveryBrowser::running() const
{
    return timer_.isActive();
}

void DiscoveryBrowser::query()
{
    const qint64 now = nowMs();
    const auto gone = std::remove_if(games_.begin(), games_.end(), [now](const Game &game) {
        return now - game.lastSeenMs > kForgetAfterMs;
    });
    if (gone != games_.end()) {
        games_.erase(gone, games_.end());
        changed();
    }
    // Interfaces come and go (a laptop joins a network), so the usual
    // targets are looked up afresh each round.
    const QList<Target> targets = targetsSet_ ? targets_ : defaultTargets(discoveryPort());
    const QByteArray query = discovery::encodeQuery();
    for (const Target &target : targets)
        socket_.writeDatagram(query, target.address, target.port);
}

void DiscoveryBrowser::readPending()
{
    char buffer[discovery::kMaxReplySize + 1];
    while (socket_.hasPendingDatagrams()) {
        QHostAddress sender;
        const qint64 size = socket_.readDatagram(buffer, sizeof buffer, &sender);
        if (size < 0)
            break;
        if (const auto info = discovery::decodeReply(QByteArrayView(buffer, size)))
            take(*info, sender);
    }
}

void DiscoveryBrowser::take(const discovery::GameInfo &info, const QHostAddress &from)
{
    // IPv4 senders may come as IPv4-mapped IPv6 addresses.
    bool isV4 = false;
    const quint32 v4 = from.toIPv4Address(&isV4);
    const QHostAddress address = isV4 ? QHostAddress(v4) : from;
    const auto it = std::find_if(games_.begin(), games_.end(), [&info](const Game &game) {
        return game.info.gameId == info.gameId && game.info.gamePort == info.gamePort;
    });
    if (it == games_.end()) {
        games_.push_back({info, address, nowMs()});
        changed();
        return;
    }
    it->lastSeenMs = nowMs();
    // A game on this machine answers on loopback and on its network
    // address; the network address is the one others can use.
    const bool betterAddress = it->address.isLoopback() && !address.isLoopback();
    if (it->info == info && !betterAddress)
        return;
    it->info = info;
    if (betterAddress)
        it->address = address;
    changed();
}

void DiscoveryBrowser::changed()
{
    if (onChanged)
        onChanged();
}

#include "discovery/discoveryannouncer.h"

#include "common/guard.h"
#include "common/ports.h"

DiscoveryAnnouncer::DiscoveryAnnouncer(std::function<discovery::GameInfo()> describe,
                                       QObject *parent)
    : QObject(parent)
    , describe_(std::move(describe))
    , socket_(this)
    , timer_(this)
{
    timer_.setInterval(kIntervalMs);
    connect(&timer_, &QTimer::timeout, this, [this] { guarded([this] { announce(); }); });
}

void DiscoveryAnnouncer::setTargets(const QList<discovery::Target> &targets)
{
    targets_ = targets;
    targetsSet_ = true;
}

void DiscoveryAnnouncer::start()
{
    sent_ = 0;
    timer_.start();
    announce();
}

void DiscoveryAnnouncer::stop()
{
    timer_.stop();
}

bool DiscoveryAnnouncer::running() const
{
    return timer_.isActive();
}

void DiscoveryAnnouncer::announce()
{
    // Interfaces come and go (a laptop joins a network), so the usual
    // targets are looked up afresh each time.
    const QList<discovery::Target> targets =
        targetsSet_ ? targets_ : discovery::broadcastTargets(discoveryPort());
    const discovery::GameInfo info = describe_();
    const QByteArray announcement = discovery::encodeAnnouncement(info);
    const QByteArray mark = info.dedicated ? discovery::encodeServerMark(info) : QByteArray();
    for (const discovery::Target &target : targets) {
        if (socket_.writeDatagram(announcement, target.address, target.port) == announcement.size())
            ++sent_;
        if (!mark.isEmpty())
            socket_.writeDatagram(mark, target.address, target.port);
    }
}

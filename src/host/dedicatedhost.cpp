#include "host/dedicatedhost.h"

#include "common/errors.h"
#include "common/version.h"
#include "discovery/gamebeacon.h"
#include "portmap/portmapper.h"
#include "server/tserver.h"

DedicatedHost::DedicatedHost(const HostConfig &config, QStringList arguments,
                             std::function<void(const QString &)> log, QObject *parent)
    : QObject(parent)
    , rules_(config)
    , arguments_(std::move(arguments))
    , log_(std::move(log))
    , server_(std::make_unique<TServer>())
{
    server_->setHostOptions(&rules_);
    server_->setleadership(TServer::Leadership::LowestSeat);
    server_->seteventlog([this](const QString &line) { event(line); });
}

DedicatedHost::~DedicatedHost() = default;

bool DedicatedHost::start(QString &error)
{
    TSock *listener = server_->Sock1();
    listener->setPortName(QString::number(config().port));
    try {
        listener->setListen(true);
    } catch (const Error &e) {
        error =
            QStringLiteral("cannot listen on TCP port %1: %2").arg(config().port).arg(e.message());
        return false;
    }
    const quint16 gamePort = listener->localPort();
    const HostRules *rules = &rules_;
    beacon_ = std::make_unique<GameBeacon>(
        *server_, gamePort, [rules] { return rules->config().name; }, true);
    if (const QString trouble = beacon_->start(); !trouble.isEmpty())
        log_(trouble);
    log_(QStringLiteral("started: \"%1\" version %2 on TCP port %3")
             .arg(config().name, QString::fromLatin1(kVersionText))
             .arg(gamePort));
    if (config().portmap)
        startPortMapping(gamePort);
    return true;
}

void DedicatedHost::startPortMapping(quint16 port)
{
    if (!PortMapper::enabledByEnvironment()) {
        log_(QStringLiteral("port mapping (off): ") + PortMapResult::offMessage(port));
        return;
    }
    portMapper_ = std::make_unique<PortMapper>();
    connect(portMapper_.get(), &PortMapper::finished, this, [this](const PortMapResult &result) {
        log_(QStringLiteral("port mapping (%1): %2").arg(result.methodName(), result.message()));
    });
    portMapper_->start(port);
}

void DedicatedHost::stop()
{
    if (server_->state().gameon)
        log_(QStringLiteral("game ended: the host stops"));
    if (beacon_)
        beacon_->stopAnnouncing();
    server_->endhosting();
    // Waits for the router to drop the forwarding (or for a router that
    // stopped answering to time out), so that it is gone when we exit.
    portMapper_.reset();
    log_(QStringLiteral("stopped"));
}

void DedicatedHost::reload()
{
    if (server_->state().gameon) {
        reloadPending_ = true;
        log_(QStringLiteral("settings: reread after this game"));
        return;
    }
    applyReload();
}

void DedicatedHost::applyReload()
{
    reloadPending_ = false;
    QString error;
    const HostConfig fresh = HostConfigReader::fromArguments(arguments_, config().port, error);
    if (!error.isEmpty()) {
        log_(QStringLiteral("settings: kept, %1").arg(error));
        return;
    }
    if (fresh.port != config().port)
        log_(QStringLiteral("settings: the port stays %1 until a restart").arg(config().port));
    if (fresh.portmap != config().portmap)
        log_(QStringLiteral("settings: port mapping stays %1 until a restart")
                 .arg(config().portmap ? QLatin1String("on") : QLatin1String("off")));
    HostConfig next = fresh;
    next.port = config().port;
    next.portmap = config().portmap;
    rules_.setConfig(next);
    log_(QStringLiteral("settings: reread"));
}

void DedicatedHost::event(const QString &line)
{
    log_(line);
    if (reloadPending_ && !server_->state().gameon)
        applyReload();
}

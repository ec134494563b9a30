#include "discovery/gamebeacon.h"

#include "common/ports.h"
#include "common/version.h"
#include "discovery/discoveryannouncer.h"
#include "discovery/discoveryresponder.h"
#include "server/tserver.h"

#include <QRandomGenerator>

GameBeacon::GameBeacon(const TServer &server, quint16 gamePort, std::function<QString()> hostName,
                       bool dedicated)
{
    const quint32 gameId = QRandomGenerator::system()->generate();
    const auto describe = [&server, gamePort, hostName = std::move(hostName), dedicated, gameId] {
        discovery::GameInfo info;
        info.gameId = gameId;
        info.gamePort = gamePort;
        info.hostName = hostName();
        info.dedicated = dedicated;
        for (int seat = 1; seat <= TServer::kMaxSeats; ++seat) {
            if (!server.seat(seat).connected || !server.seat(seat).loggedin)
                continue;
            ++(seat <= TServer::numplayers ? info.players : info.spies);
        }
        const GameState &game = server.state();
        info.running = game.gameon;
        info.round = game.round;
        info.rounds = game.rounds;
        info.version = QString::fromLatin1(kVersionText);
        return info;
    };
    responder_ = std::make_unique<DiscoveryResponder>(describe);
    announcer_ = std::make_unique<DiscoveryAnnouncer>(describe);
}

GameBeacon::~GameBeacon() = default;

QString GameBeacon::start()
{
    const bool answering = responder_->start(discoveryPort());
    announcer_->start();
    if (answering)
        return {};
    return QStringLiteral("cannot answer discovery queries on UDP port %1: %2")
        .arg(discoveryPort())
        .arg(responder_->errorString());
}

void GameBeacon::stopAnnouncing()
{
    announcer_->stop();
}

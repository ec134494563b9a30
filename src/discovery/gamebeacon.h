#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>

class DiscoveryAnnouncer;
class DiscoveryResponder;
class TServer;

// Makes a hosted game findable on the network: answers discovery queries and
// announces the game, each time describing the server's seats and state as
// they are then.
class GameBeacon {
public:
    // hostName gives the name the game is listed under, asked each time;
    // dedicated marks a host without a window.
    GameBeacon(const TServer &server, quint16 gamePort, std::function<QString()> hostName,
               bool dedicated);
    ~GameBeacon();

    // Starts answering on the discovery port and announcing. Returns why
    // queries cannot be answered (a copy of an earlier version may hold the
    // port alone; the announcements still make the game found), else empty.
    QString start();
    // Stops announcing; queries are answered until the beacon goes.
    void stopAnnouncing();

private:
    std::unique_ptr<DiscoveryResponder> responder_;
    std::unique_ptr<DiscoveryAnnouncer> announcer_;
};

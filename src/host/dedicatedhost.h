#pragma once

#include "host/hostconfig.h"
#include "host/hostrules.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class GameBeacon;
class PortMapper;
class TServer;

// A game server without a window: it listens on the game port, answers and
// announces discovery, keeps the port open on the router when asked to, lets
// the lowest seated player lead, hosts one game after another and writes one
// line per event to its log.
class DedicatedHost : public QObject {
public:
    // arguments: the command line without the program's name, read again
    // (with its settings file) on reload().
    DedicatedHost(const HostConfig &config, QStringList arguments,
                  std::function<void(const QString &)> log, QObject *parent = nullptr);
    ~DedicatedHost() override;

    // Starts listening, answering discovery and (when configured) asking
    // the router for the port; false with error set when the game port
    // cannot be taken.
    bool start(QString &error);
    // Ends the game, tells the players the host is going and gives the
    // router's port back.
    void stop();
    // Rereads the settings file now, or after the running game ends.
    void reload();

    const TServer &server() const { return *server_; }
    // The server itself, for tests that step its timers by hand.
    TServer &server() { return *server_; }
    const HostConfig &config() const { return rules_.config(); }
    // True while a reread waits for the game to end.
    bool reloadPending() const { return reloadPending_; }

private:
    void event(const QString &line);
    void applyReload();
    void startPortMapping(quint16 port);

    HostRules rules_;
    QStringList arguments_;
    std::function<void(const QString &)> log_;
    std::unique_ptr<TServer> server_;
    std::unique_ptr<GameBeacon> beacon_;
    std::unique_ptr<PortMapper> portMapper_;
    bool reloadPending_ = false;
};

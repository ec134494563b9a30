#pragma once

#include "lobby/gamelaunch.h"
#include "lobby/lobbyoptions.h"
#include "net/tsock.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

class QTextStream;

// One game run by the lobby: listens on the presence port, starts the game
// program beside the lobby with the player's three parameters, reports the
// game's presence connection and ends when the game process ends. The game
// does not depend on the session: a lobby that leaves lets it play on.
class LobbySession : public QObject {
public:
    LobbySession(const LobbyOptions &options, QTextStream &out, QTextStream &err,
                 QObject *parent = nullptr);

    // Called once with the lobby's exit code when the session is over.
    std::function<void(int exitCode)> onFinished;
    // Called with a plain sentence when the game cannot be started.
    std::function<void(const QString &problem)> onProblem;

    // The game program that is started: "lexiclash" beside the lobby.
    static QString gamePath();
    // Starts listening and, once no game is closing any more, the game.
    void start();
    // The lobby goes away: the game plays on, the session ends now.
    void leave();
    // True while the started game runs.
    bool gameRunning() const { return game_.running(); }
    // The running game's process id, 0 when none runs.
    qint64 gamePid() const { return game_.pid(); }
    // What a game's exit code tells the player, or an empty text.
    static QString endReport(int exitCode);

private:
    void listen();
    void waitForClosingGame();
    void startGame();
    void acceptPresence();
    void presenceEnded(TSock *connection);
    void gameFinished(int exitCode, bool crashed);
    void say(const QString &line);
    void problem(const QString &line);
    void finish(int exitCode);

    LobbyOptions options_;
    QTextStream &out_;
    QTextStream &err_;
    TSock listener_;
    std::vector<TSock *> presence_;
    GameLaunch game_;
    QTimer closingGameTimer_;
    int closingGameChecks_ = 0;
    bool finished_ = false;
};

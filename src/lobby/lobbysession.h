#pragma once

#include "lobby/lobbyoptions.h"
#include "net/tsock.h"

#include <QObject>
#include <QProcess>
#include <QTimer>

#include <functional>
#include <vector>

class QTextStream;

// One game run by the lobby: listens on the presence port, starts the game
// program beside the lobby with the player's three parameters, reports the
// game's presence connection and ends when the game process ends.
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
    // Asks the game to close as its close box would; the session ends with it.
    void stop();

private:
    void listen();
    void waitForClosingGame();
    void startGame();
    void acceptPresence();
    void presenceEnded(TSock *connection);
    void gameFinished(int exitCode, QProcess::ExitStatus status);
    void gameFailed(QProcess::ProcessError error);
    void say(const QString &line);
    void problem(const QString &line);
    void finish(int exitCode);

    LobbyOptions options_;
    QTextStream &out_;
    QTextStream &err_;
    TSock listener_;
    std::vector<TSock *> presence_;
    QProcess game_;
    QTimer closingGameTimer_;
    int closingGameChecks_ = 0;
    bool finished_ = false;
};

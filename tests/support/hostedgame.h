#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// A lobby program started with its own folders and private ports, for tests
// that need a real hosting or joining copy of the game.
class HostedGame {
public:
    // lobbyProgram: the lexiclash-lobby to run.
    explicit HostedGame(const QString &lobbyProgram);
    ~HostedGame();

    // Starts "lexiclash-lobby arguments" with the game on gamePort, discovery
    // on discoveryPort and instance as the single-instance scope; false when
    // the program did not start.
    bool start(const QStringList &arguments, quint16 gamePort, quint16 discoveryPort,
               const QString &instance);
    // True once the lobby has seen its game connect.
    bool gameConnected();
    // The game's process id as the lobby printed it, 0 before.
    qint64 gamePid();
    // Closes the game as its close box would and waits for the lobby, which
    // ends with it (a lobby told to stop would leave the game running).
    void stop();
    // Everything the lobby printed so far.
    const QByteArray &output();

private:
    QString program_;
    QTemporaryDir folder_;
    QProcess process_;
    QByteArray output_;
};

#pragma once

#include <QString>
#include <QStringList>

// What the lobby was asked to do by its command line.
struct LobbyOptions {
    enum class Action { Window, Play, Help, Invalid };

    Action action = Action::Invalid;
    QString playerName;
    QString hostAddress;
    // The game's TCP port for the started copy; empty keeps the usual one.
    QString gamePort;
    bool hosting = false;
    // Started without arguments (by the game's "Play with Others"): the game
    // that started the lobby may still be closing.
    bool fromGame = false;

    // Reads the arguments after the program name; with none, the lobby
    // window opens.
    static LobbyOptions parse(const QStringList &arguments);
    // The three parameters the game is started with.
    QStringList gameArguments() const;
};

// The usage text printed for --help and for a wrong command line.
QString lobbyUsage();
// The user's login name, or "Player" when the system names none.
QString loginName();

#pragma once

#include "gameprocess.h"
#include "net/messages.h"
#include "rawclient.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Steps of a game played through real copies' windows, shared by the
// whole-program tests.

// One round, 30 seconds, any word length, the quick pause, no sounds; the
// number of rounds and the seconds may be given.
void writeHostSettings(const QString &home, int rounds = 1, int seconds = 30);
// A word of the copy's word-list file (15-byte records) that begins with
// the prefix and is not in the list of words to avoid.
QByteArray wordWithPrefix(const GameProcess &copy, const QByteArray &prefix,
                          const QList<QByteArray> &avoid = {});
// Waits until the copy's row of the seat shows the name.
bool seatShows(GameProcess &copy, int seat, const QString &name);
// Starts the copy hosting on the loopback as the player; waits until its
// seat 1 shows the name.
bool startHosting(GameProcess &host, const QString &player);
// Starts the copy joining the loopback host as the player; waits until the
// watching copy's row of the seat shows the name.
bool startJoining(GameProcess &copy, const QString &player, GameProcess &watcher, int seat);
// Starts a game from the host's windows: "START GAME", then the game start
// window's start picture.
bool startGame(GameProcess &host);
// Enters a word in a copy's word field as a player does.
void enterWord(GameProcess &copy, const QByteArray &word);
// The latest round start the client received.
Msg::StartRound lastRound(const RawClient &client);
// Waits until the client has received count messages of the command.
bool waitCount(RawClient &client, const QByteArray &command, int count, int timeoutMs = 30000);

#pragma once

#include "gameprocess.h"

#include <QByteArray>

// Writes settings for a short game into the copy's settings folder: one round
// of two minutes, any word length, no sounds (before the copy starts).
void writeShortGameSettings(const GameProcess &copy);
// Joins a raw player to the game that host hosts on port, starts a game from
// the host's windows and sends a word of the shipped word list that fits the
// round; true when the server accepted it, else why tells what happened.
bool hostAcceptsARealWord(GameProcess &host, quint16 port, QByteArray &why);

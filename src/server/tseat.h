#pragma once

#include "net/framing.h"

#include <QByteArray>

class TSock;

// One place at the game: the connection that holds it and the seat's game
// numbers. The game numbers are reset by the game's own steps, so a player who
// leaves hands them on to the next occupant of the seat; only a person who
// takes the seat the computer played starts from zero.
struct TSeat {
    QByteArray name;
    bool connected = false;
    // The seat's connection, owned by the listening socket; null when free.
    TSock *sock = nullptr;
    int score = 0;
    int roundwords = 0;
    int roundletters = 0;
    int gamewords = 0;
    bool gaveup = false;
    // Set by the seat's own login; a seat still without one is closed after
    // the login time-out.
    bool loggedin = false;
    // Steady-clock milliseconds at which the connection was seated.
    qint64 seatedat = 0;
    // The connection's unfinished tail between reads.
    Framer framer;
    // Messages of this seat still waiting in the receive queue.
    int queued = 0;

    // A new round: no words, letters or giving up yet.
    void clearRound()
    {
        roundwords = 0;
        roundletters = 0;
        gaveup = false;
    }
    // A new game: no total and no words yet.
    void clearGame()
    {
        score = 0;
        gamewords = 0;
        clearRound();
    }
};

#pragma once

#include "net/framing.h"

#include <QByteArray>

class TSock;

// One place at the game: the connection that holds it and the seat's game
// numbers. A person who logs into a seat starts from zero; a player whose
// connection dropped keeps the seat, held with all its numbers, until the
// copy takes it back with its token or the grace period ends.
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
    // The copy can take the seat back after a drop ("CMD_rejoinable").
    bool rejoinable = false;
    // The copy said it quits, or the host removed it: a close frees the seat.
    bool leaving = false;
    // The connection dropped and the seat waits for its player; not connected.
    bool held = false;
    // Steady-clock milliseconds at which the seat was held.
    qint64 heldsince = 0;
    // Steady-clock milliseconds of the latest bytes from the connection.
    qint64 lastheard = 0;
    // The secret that takes the seat back (hexadecimal), given to the seat alone.
    QByteArray token;

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

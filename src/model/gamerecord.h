#pragma once

#include "net/messages.h"

#include <QList>
#include <QString>

#include <array>

// Plain records of what a client saw of a game, kept by GameModel for the
// round review and the game summary.

// A word accepted for a seat, with the name the seat's row showed when it arrived.
struct ListedWord {
    int seat = 0;
    QString word;
    int points = 0;
    QString finder;
};

// What a seat's score panel shows: the name at the round's end, the round's
// words and points, and the game's words and total.
struct SeatPanel {
    QString name;
    int roundWords = 0;
    int roundPoints = 0;
    int gameWords = 0;
    int total = 0;
};

// One round as this copy saw it.
struct RoundRecord {
    int round = 0;
    // Played past the game's number of rounds because the lead was shared.
    bool tieBreak = false;
    // Required length (0 for any), the starting letters and the starter word
    // (empty when this copy joined during the round and was never told it).
    int length = 0;
    QString prefix;
    QString starter;
    // False when this copy joined during the round: words found before it
    // arrived are missing from `words`.
    bool seenFromStart = false;
    // The round's end arrived; `scores` holds the six seats' numbers.
    bool ended = false;
    QList<ListedWord> words;
    std::array<Msg::SeatScore, 6> scores{};
};

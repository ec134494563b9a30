#pragma once

#include "review/roundreview.h"

#include <QList>

#include <map>

class WordLevels;

// One player's game at a glance.
struct PlayerSummary {
    int seat = 0;
    // Words accepted for the seat over the game, as far as this copy knows.
    int wordsFound = 0;
    // Highest points, then the rarest, then alphabetically first; empty word
    // when none was found.
    FoundWord best;
    // The rarest word found (highest level), then the one of most points,
    // then alphabetically first; empty word when none was found.
    FoundWord rarest;
    int rarestLevel = 0;
    // Points of each round of the summary, in its order.
    QList<int> pointsPerRound;
    int total = 0;
};

// One round in the game summary.
struct RoundLine {
    int round = 0;
    RoundRule rule;
    // Played after the last round because the lead was shared.
    bool tieBreak = false;
};

// The look back at a whole game.
struct GameSummary {
    // The rounds in the order played.
    QList<RoundLine> rounds;
    // Every player seat that took part in any round.
    std::map<int, PlayerSummary> players;
};

// Sums up the rounds of a game that was set to `rounds` rounds; levels tell
// how common each word is.
GameSummary buildGameSummary(const QList<RoundPlay> &plays, int rounds, const WordLevels &levels);

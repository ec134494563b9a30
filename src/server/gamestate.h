#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

// What the server holds of the game beside the seat table: the options of the
// running game, the current round and its countdown, and the words and
// prefixes used. The server owns it; everybody else reads it.
struct GameState {
    // A game is running: set at a game start, cleared when it has a winner.
    bool gameon = false;
    int rounds = 0;
    // Seconds of a round as the players are told them.
    int roundtime = 0;
    // 0 no length rule, 3 to 7 a fixed length, 8 a length drawn per round.
    int lengthcode = 0;
    // Accepted words are told to every seat, or to the finder only.
    bool showwords = true;
    int round = 0;
    // Length required in the current round; 0 for any.
    int wordlength = 0;
    QByteArray prefix;
    QByteArray starterword;
    // A round is running and words are accepted.
    bool roundon = false;
    // Seconds left in the current round or pause.
    int countdown = 0;
    // What the end of the countdown means: 1 ends the round, 2 starts the next.
    int phase = 0;
    // Words accepted in the current round, upper case.
    QList<QByteArray> listbox_gotten;
    // The seat that found each word of listbox_gotten, in the same order.
    QList<int> gottenby;
    // Every prefix drawn so far; none is drawn twice.
    QList<QByteArray> listbox_prefix;
};

// A situation that play would take long to reach or that chance decides (a
// round with a chosen prefix, chosen totals), for tests to set up directly.
// Every field that is set replaces the server's value; the rest stay.
struct StagedGame {
    std::optional<bool> gameon;
    std::optional<bool> roundon;
    std::optional<bool> showwords;
    std::optional<int> round;
    std::optional<int> wordlength;
    std::optional<QByteArray> prefix;
    std::optional<int> countdown;
    std::optional<int> phase;
    std::optional<QList<QByteArray>> listbox_gotten;
    std::optional<QList<QByteArray>> listbox_prefix;
    // A player seat's game total and game words.
    struct Totals {
        int seat = 0;
        int score = 0;
        int gamewords = 0;
    };
    QList<Totals> totals;
};

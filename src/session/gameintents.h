#pragma once

#include <QString>

// What a player can ask of the game. The windows call these and never build
// a message themselves; the client session turns each into its message.
class GameIntents {
public:
    virtual ~GameIntents() = default;
    // Submits a word as typed (the server judges it).
    virtual void sendWord(const QString &word) = 0;
    // Gives up this player's round.
    virtual void giveUp() = 0;
    // A chat line in the colour given as colour text.
    virtual void chat(const QString &text, const QString &colour) = 0;
    // An action line ("/me" without its first four characters).
    virtual void act(const QString &text, const QString &colour) = 0;
    // A phrase button's line, shown as the player saying it.
    virtual void sayPhrase(const QString &phrase, const QString &colour) = 0;
    // Asks the server to remove a seat; only the host's seat 1 is heard.
    virtual void kick(int seat) = 0;
    // Starts a game: rounds, seconds per round, game type 0 to 6 and whether
    // found words are shown to everybody.
    virtual void startGame(int rounds, int seconds, int gameType, bool showWords) = 0;
};

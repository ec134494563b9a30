#pragma once

#include <QByteArray>
#include <QString>

// The game view's side of the dispatcher: the game messages go here with
// their bodies (the text after the command's "+"), and so does every sound.
class GameCommands {
public:
    virtual ~GameCommands() = default;
    // "CMD_startgame": a new game with its options.
    virtual void startthegame(const QByteArray &body) = 0;
    // "CMD_startround": a round begins.
    virtual void startround(const QByteArray &body) = 0;
    // "CMD_winner": the game has a winner.
    virtual void winner(const QByteArray &body) = 0;
    // "CMD_endround": the scores of a finished round.
    virtual void endround(const QByteArray &body) = 0;
    // "CMD_notvalid": one of our words was refused.
    virtual void notvalid(const QByteArray &body) = 0;
    // "CMD_gotword": a word was accepted.
    virtual void gotword(const QByteArray &body) = 0;
    // "CMD_loadstats": the state of a running game, for a late arrival.
    virtual void loadstats(const QByteArray &body) = 0;
    // Plays the program's sound of that name when sounds are on.
    virtual void playsounds(const QString &name) = 0;
    // Fills the tally window's list of current opponents.
    virtual void loadchecklist() = 0;
};

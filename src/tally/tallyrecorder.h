#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// What the game view reports to the tally: finished games, words and best
// scores of the local player, and the other players of the current game. The
// tally window (src/tallywindow/) is the one recorder of the program.
class TallyRecorder {
public:
    virtual ~TallyRecorder() = default;

    // The handler addgame asks to rebuild "Players In Current Game" before counting.
    virtual void setLoadChecklistHandler(std::function<void()> handler) = 0;
    // A finished game the local player took part in as a player; winner is
    // "addtomine" when he won, else the winner's name as shown on the seat.
    virtual void addgame(const QString &winner) = 0;
    // Adds 1 to the own total in `column` (1 to 4).
    virtual void addtomineincrease(int column) = 0;
    // Sets the own total in `column` (1 to 4) to `value`.
    virtual void addtomineset(int column, const QString &value) = 0;
    // The best score recorded so far, as shown under "High Score:".
    virtual QString mylabel_3Text() const = 0;
    // Rebuilds "Players In Current Game", ticking the names already followed.
    virtual void setPlayersInGame(const QStringList &names) = 0;
};

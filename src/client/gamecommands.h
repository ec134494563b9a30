#pragma once

#include <QString>

// What the main window and the dispatcher ask of the game view besides
// showing the model: the sounds, and the tally window's list of opponents.
class GameCommands {
public:
    virtual ~GameCommands() = default;
    // Plays the program's sound of that name when sounds are on.
    virtual void playsounds(const QString &name) = 0;
    // Fills the tally window's list of current opponents.
    virtual void loadchecklist() = 0;
};

#pragma once

#include "settings/gamesettings.h"

// The window where the host chooses a new game's options; the settings file
// keeps its choices.
class GameStartOptions {
public:
    virtual ~GameStartOptions() = default;
    // Takes the stored choices; a number without a value leaves the window's own.
    virtual void applyStartSettings(const GameStartSettings &settings) = 0;
    // The choices in force.
    virtual GameStartSettings startSettings() const = 0;
};

#pragma once

#include "settings/gamesettings.h"

class ChatMenus;
class ChatPane;
class GameStartOptions;
class QWidget;

// Puts the settings file's options into the main window's parts and collects
// them back: the window's place and size, the option menus, the chat pane's
// text size, colours and phrases, and the game start window's choices.
class SettingsBinding {
public:
    // What the options live in; gamestart may be missing, and then its
    // choices are neither applied nor collected.
    struct Parts {
        QWidget *window = nullptr;
        ChatMenus *menus = nullptr;
        ChatPane *chat = nullptr;
        GameStartOptions *gamestart = nullptr;
    };

    explicit SettingsBinding(const Parts &parts);

    // Shows the options in the parts; an empty phrase leaves its button's own.
    void apply(const GameSettings &settings) const;
    // The options in force in the parts; the phrases are not collected (the
    // phrase editor stores them when it is done).
    GameSettings collect() const;

private:
    Parts parts_;
};

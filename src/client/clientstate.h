#pragma once

#include <QColor>
#include <QString>

// What the main window knows about its own player and connection; the seat
// rows, the chat pane and the dispatcher read and update it.
struct ClientState {
    // The player's name: launch parameter 1, or "You" in a solo game.
    QString playername;
    // The host's address: launch parameter 2, or "127.0.0.1" in a solo game.
    QString hostaddress;
    // The name sent at login; set once a connecting mode was chosen.
    QString loginname;
    // This copy runs the game server.
    bool hosting = false;
    // The main window's section of the settings file.
    QString sectionname;
    // Colour of every line the program itself writes into the chat pane.
    QColor infocolour = QColor(0, 0, 255);
    int defaultwidth = 790;
    int defaultheight = 525;
    // Window geometry as last read from or written to the settings file.
    int storedtop = 0;
    int storedleft = 0;
    int storedwidth = 0;
    int storedheight = 0;
};

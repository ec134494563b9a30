#pragma once

#include "client/tchat.h"
#include "dialogs/tabout.h"
#include "dialogs/tgamestart.h"
#include "dialogs/thelp.h"
#include "dialogs/tphrases.h"
#include "dialogs/tspylist.h"
#include "server/tserver.h"
#include "tallywindow/ttallylist.h"

#include <QByteArray>
#include <QList>
#include <QString>

class QPixmap;

// What the window tests and the programs that take the README's pictures
// share.

// Hands one server message to the window as if it had arrived on its connection.
void receive(Tchat &chat, const QByteArray &message);
// Makes chat a silent host's window at its default size and shows it. Only
// the model hears of the own seat: the dispatcher would answer the server.
void showAsHost(Tchat &chat, int seat);
// Writes a picture; false, and a line on stderr, when it cannot be written.
bool savePicture(const QPixmap &picture, const QString &path);

// Every window of the program, made once and not wired to each other.
struct AllWindows {
    Tchat chat;
    Tgamestart gamestart;
    Tphrases phrases;
    Tspylist spylist;
    Ttallylist tally;
    Tabout about;
    Thelp help;

    QList<QWidget *> all();
    // The window of that objectName, or nullptr.
    QWidget *byName(const QString &name);
};

// A solo game's table as the program lays it: the main window wired to its
// game start window, the game server and the tally window. The server
// listens on LEXICLASH_PORT once the window is shown.
struct SoloTable {
    Tchat chat;
    Tgamestart gamestart;
    TServer server;
    Ttallylist tally;

    SoloTable();
};

#pragma once

#include "client/tchat.h"
#include "dialogs/tabout.h"
#include "dialogs/tgamestart.h"
#include "dialogs/thelp.h"
#include "dialogs/tphrases.h"
#include "dialogs/tspylist.h"
#include "net/messages.h"
#include "server/tserver.h"
#include "tallywindow/ttallylist.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <utility>

class QPixmap;
class TDictn;

// A round to feed a window: its letters and length rule, and the words found,
// as (seat, word) in the order found.
struct FedRound {
    QByteArray prefix;
    int length = 0;
    QList<std::pair<int, QByteArray>> words;
};

// What the window tests and the programs that take the README's pictures
// share.

// Hands one server message to the window as if it had arrived on its connection.
void receive(Tchat &chat, const QByteArray &message);
// Makes chat a silent host's window at its default size and shows it. Only
// the model hears of the own seat: the dispatcher would answer the server.
void showAsHost(Tchat &chat, int seat);
// Feeds a whole round through the dispatcher: its start, the words and its
// end with the seats' numbers, which scores carries from round to round.
void playRound(Tchat &chat, int number, const FedRound &round,
               std::array<Msg::SeatScore, 6> &scores);
// Six players with names of 24 letters, seated at a hosting window (seat 1 is its own).
void seatSixLongNames(Tchat &chat);
// A round of `prefix` in which each of six seats finds `each` words of the
// list, picked from the dictionary in turn, so the seats score unevenly.
FedRound roundOfSix(const TDictn &dictionary, const QByteArray &prefix, int length, int each);
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

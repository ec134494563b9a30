#pragma once

#include <QWidget>

class Dispatcher;
class GameModel;
class Tabout;
class Tchat;
class Tgamestart;
class Thelp;
class Tphrases;
class Tspylist;
class TSock;
class TallyRecorder;

// The secondary windows and the parts of the program the main window works
// with; any of them may be missing.
struct WindowSet {
    Tabout *about = nullptr;
    QWidget *download = nullptr;
    Tgamestart *gamestart = nullptr;
    Thelp *help = nullptr;
    Tphrases *phrases = nullptr;
    Tspylist *spylist = nullptr;
    // The tally window, shown by "View Tally", and the recorder of results.
    QWidget *tally = nullptr;
    TallyRecorder *tallyRecorder = nullptr;
    // The game server's listening socket.
    TSock *serverListener = nullptr;
};

// Hands the windows to the main window and wires what each asks of the other:
// the game start window's sending and saving, the phrase editor, the spy list
// and its kicks, the help window's "About" and the maker's logo. Call once,
// before the main window is first shown.
void wireWindows(Tchat &chat, const WindowSet &windows);

// Lists the model's spies in the spy list as they come and go, and sends its
// kicks through the dispatcher.
void wireSpyList(const GameModel &model, Dispatcher &dispatcher, Tspylist &spylist);

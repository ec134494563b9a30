#pragma once

#include "net/servermessage.h"
#include "session/clientsession.h"

#include <QObject>
#include <QString>

#include <functional>

class ChatPane;
class GameCommands;
class GameModel;
struct ClientState;

// The main window's reader of the session: writes the arrivals, departures,
// lost and returning players, chat lines and version warnings into the chat
// pane, says what became of the connection, shows "Game is full", and asks
// the session to remove a seat for the host. The session owns the connection
// and feeds the model; this only tells the player.
class Dispatcher : public QObject {
public:
    // Hooks into the main window.
    struct Hooks {
        // Closes the main window, which ends the program.
        std::function<void()> closeWindow;
        // Reads the settings file, once the server confirmed our own login.
        std::function<void()> loadSettings;
        // Shows that the connection is coming back with the attempt number
        // (1 for the first), or that it is back (0).
        std::function<void(int attempt)> reconnecting;
        // The game is over for this copy: tells the player (asking him to
        // confirm when `ask` is set) and closes the window, which ends the
        // program with the exit code.
        std::function<void(const QString &text, int exitCode, bool ask)> endGame;
    };

    Dispatcher(ClientState &state, GameModel &model, ChatPane &chat, ClientSession &session,
               Hooks hooks, QObject *parent = nullptr);

    // Where the sounds go; without one they are dropped.
    void setGameView(GameCommands *view);
    // Handles one decoded message that is not game state (the session passes
    // on every message after the model took it in).
    void handle(const ServerMessage &message);
    // Tells the player what the session's new state means.
    void sessionChanged(ClientSession::State state);

    // Asks the server to remove a seat; only the logged-in host can.
    void kicking(int seat);

    // Writes a line of the program's own into the chat pane, in infocolour.
    void info(const QString &text);

private:
    void playerArrived(int seat, const QString &name);
    void playerLeft(const QString &shown, bool announce);
    void spyLeft(const QString &name);
    void playsounds(const QString &name);

    ClientState &state_;
    GameModel &model_;
    ChatPane &chat_;
    ClientSession &session_;
    Hooks hooks_;
    GameCommands *game_ = nullptr;
    bool wasLost_ = false;
};

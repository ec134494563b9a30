#pragma once

#include "net/framing.h"
#include "net/servermessage.h"

#include <QByteArray>
#include <QObject>

#include <functional>

class ChatPane;
class GameCommands;
class GameModel;
class QTimer;
struct ClientState;

// The client's half of the connection: cuts the bytes from the server into
// messages, queues them in receivedlist, and on each tick of Timer1 decodes
// the oldest one once and applies it to the game model. It logs in, writes
// the arrivals and departures into the chat pane, and handles the chat lines,
// version warnings and "Game is full" itself.
class Dispatcher : public QObject {
public:
    // Hooks into the main window.
    struct Hooks {
        // Sends a whole message (terminator included) on the client connection.
        std::function<void(const QByteArray &)> send;
        // Closes the main window, which ends the program.
        std::function<void()> closeWindow;
        // Reads the settings file, once the server confirmed our own login.
        std::function<void()> loadSettings;
    };

    Dispatcher(ClientState &state, GameModel &model, ChatPane &chat, Hooks hooks,
               QObject *parent = nullptr);

    // Where the sounds go; without one they are dropped.
    void setGameView(GameCommands *view);

    // Bytes arrived on the connection: cut them at the terminator and queue the
    // messages; the unfinished tail waits for the next read. Starts Timer1.
    void received(const QByteArray &bytes);
    // True when a peer sent more than the framer keeps without a terminator.
    bool overflowed() const;
    // Handles the oldest queued message (nothing when the queue is empty) and
    // stops Timer1 once the queue is drained. A number that does not convert
    // raises EConvertError and the message changes nothing.
    void processsocktimer();
    // Handles every queued message at once, oldest first; the connection
    // closed, and what the server said before closing must still be heard.
    void drain();
    // Handles one decoded message.
    void handle(const ServerMessage &message);

    // Asks the server to remove a seat; only the logged-in host can.
    void kicking(int seat);

    // Writes a line of the program's own into the chat pane, in infocolour.
    void info(const QString &text);

    // The receive queue; holds "receivedlist" at start, which is handled as nothing.
    ReceiveQueue receivedlist;
    // Runs while messages are waiting; one message per tick.
    QTimer *Timer1 = nullptr;

private:
    void sendloginfo(const Msg::SendLoginInfo &login);
    void playerArrived(int seat, const QString &name);
    void playerLeft(const QString &shown, bool announce);
    void spyLeft(const QString &name);
    void playsounds(const QString &name);

    ClientState &state_;
    GameModel &model_;
    ChatPane &chat_;
    Hooks hooks_;
    Framer framer_;
    GameCommands *game_ = nullptr;
};

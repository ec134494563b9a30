#pragma once

#include "net/framing.h"
#include "net/tsock.h"
#include "server/starterwords.h"
#include "server/tseat.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>

#include <array>
#include <functional>
#include <memory>

class HostOptions;
class QTimer;
class TDictn;

// The game server of the hosting copy: it listens for connections, gives each
// a seat, relays chat, runs the rounds, judges the words, keeps the scores and
// plays seat 2 while no client holds it. It has no window; the hosting main
// window switches listening on and connects its own client first (seat 1).
class TServer : public QObject {
public:
    static constexpr int numplayers = 6;
    // Highest seat given to a connection; seat 10 only refuses the tenth.
    static constexpr int kMaxSeats = 9;
    // Seconds a seated connection may take to log in before it is closed.
    static constexpr int kLoginTimeoutSecs = 30;
    // Draws of a round's prefix before the used prefixes are forgotten.
    static constexpr int kMaxPrefixDraws = 1000;
    // Attempts of the computer player to find a fitting word in one tick.
    static constexpr int kComputerAttempts = 1000;
    // Messages one connection may have waiting in the receive queue; a
    // connection that floods past it is closed.
    static constexpr int kMaxQueuedPerSeat = 200;
    // The queue timer's period: at most one message is handled per tick.
    static constexpr int kQueueTickMs = 10;

    explicit TServer(QObject *parent = nullptr);
    ~TServer() override;

    // The listening socket; the host's main window sets Listen on it.
    TSock *Sock1() const { return sock1_; }
    // The host's options; without any, a pause of 12 s and a bot interval of 1200 ms.
    void setHostOptions(const HostOptions *options);

    // Steady-clock milliseconds, the clock of the login time-out.
    static qint64 clockms();

    // --- connections (socket callbacks and timers; public so tests can step) ---
    // A connection is waiting on Sock1: seat it, or refuse it when all nine are taken.
    void Sock1Accept(TSock *sender);
    // Bytes arrived on a seat's connection: cut them into messages and queue them.
    void Sock1Read(TSock *sender, int count);
    // The peer of a seat closed gracefully: close our end.
    void tempsockDisconnect(TSock *sender);
    // A connection's report: "Socket Closed" frees its seat; a broken connection is closed.
    void tempsockInfo(TSock *sender, TSocketInfo info, const QString &msg);
    // Takes one message off the receive queue and handles it.
    void socktimerTimer();
    // Closes every connection seated more than kLoginTimeoutSecs before nowms without a login.
    void checklogins(qint64 nowms);

    // --- message handlers (the body is the text after the command's "+") ---
    // Seats a player under his name, introduces the seats to each other,
    // checks the version and, during a game, sends the game's state.
    void receivedlogininfo(const QByteArray &body);
    // Relays a chat line to every seat under the sender's name.
    void chat(const QByteArray &body);
    // Relays an action line to every seat under the sender's name.
    void action(const QByteArray &body);
    // Honoured only when the sender field is 1.
    void kickhim(const QByteArray &body);
    // Closes the seat's connection when it is connected.
    void disconnectsock(int seat);

    // --- game flow ---
    // Starts a new game (also during one) with the options of the body.
    void startgame(const QByteArray &body);
    // Judges a word of a player seat; answers a refusal to the sender only.
    void sendword(const QByteArray &body);
    // Marks the seat as given up; ends the round when every connected player has.
    void giveup(const QByteArray &body);
    // Starts the next round, or announces the winner after the last one.
    void starttheround();
    // Adds the round's points to the totals, reports them and starts the pause.
    void endtheround();
    // True when the game is over (a winner was announced).
    bool checkforwin();
    // One second of the round or pause countdown.
    void roundtimerTimer();
    // The pause between rounds in seconds: the host's setting, or 12 when it is 20 or more.
    int pausebetweenrounds() const;
    // The computer player's interval in milliseconds.
    int botspeed() const;

    // --- computer player (seat 2 while no client holds it) ---
    // One tick of the computer player: may try one word.
    void computertimerTimer();
    // Searches the built-in list for a word that fits the round and submits it for seat 2.
    void computerfindword();

    // --- components and state, open to the host's window and to tests ---
    TSock *tempsock = nullptr;
    QTimer *socktimer = nullptr;
    QTimer *roundtimer = nullptr;
    QTimer *computertimer = nullptr;
    QTimer *logintimer = nullptr;
    ReceiveQueue receivedlist;
    std::unique_ptr<TDictn> spell;
    StarterWords listbox_words;
    QList<QByteArray> listbox_gotten;
    QList<QByteArray> listbox_prefix;

    // Seats 1 to 10 (index 0 unused).
    std::array<TSeat, kMaxSeats + 2> seats;
    int seatcount = 0;
    bool gameon = false;

    int rounds = 0;
    int roundtime = 0;
    int lengthcode = 0;
    bool showwords = true;
    int round = 0;
    int wordlength = 0;
    QByteArray prefix;
    QByteArray starterword;
    bool roundon = false;
    // The computer player has played seat 2 in this game; a person who then
    // takes the seat starts from zero instead of with the computer's points.
    bool computerplayed = false;
    int countdown = 0;
    // What the end of the countdown means: 1 ends the round, 2 starts the next.
    int phase = 0;

private:
    // The queue timer stopped itself on an empty queue and starts again with
    // the next message.
    bool queueresting_ = false;
    // Runs from the moment the last message was handled, so a message that
    // finds the queue resting is handled at once when a tick has passed since.
    QElapsedTimer lasthandled_;

    QTimer *addtimer(const QString &name, int interval, std::function<void()> handler);
    void dispatch(const QueuedMessage &message);
    void sendto(int seat, const QByteArray &message);
    void sendtoall(const QByteArray &message);
    void freeseat(int seat);
    void wakequeue();
    void handleoldest();
    bool isbrokenconnection(const QString &msg) const;
    void drawround();

    TSock *sock1_ = nullptr;
    const HostOptions *options_ = nullptr;
};

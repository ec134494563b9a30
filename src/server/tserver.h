#pragma once

#include "net/clientmessage.h"
#include "net/tsock.h"
#include "server/clientqueue.h"
#include "server/gamestate.h"
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
    // Seconds a dropped player's seat is held for the copy to take it back.
    static constexpr int kDefaultRejoinGraceSecs = 120;
    // Seconds without a byte from a copy that probes (it pings every few
    // seconds) after which its connection counts as dropped.
    static constexpr int kSilenceSecs = 15;

    // Who may start a game and remove players.
    enum class Leadership {
        HostSeat,   // seat 1, the hosting window's own
        LowestSeat, // the lowest player seat taken by a logged-in player (no host window)
    };

    explicit TServer(QObject *parent = nullptr);
    ~TServer() override;

    // The listening socket; the host's main window sets Listen on it.
    TSock *Sock1() const { return sock1_; }
    // The host's options; without any, a pause of 12 s and a bot interval of 1200 ms.
    void setHostOptions(const HostOptions *options);

    // Who leads; seat 1 until set.
    void setleadership(Leadership leadership);
    // The seat that leads now; 0 when no player seat is taken.
    int leader() const;
    // Receives one line per event: a player joined, left, lost or came back,
    // the leader changed, a game started or ended.
    void seteventlog(std::function<void(const QString &)> log);

    // Seconds a dropped player's seat is held (the host's option; 0 frees it at once).
    void setrejoingrace(int seconds);
    int rejoingrace() const { return rejoingrace_; }

    // Steady-clock milliseconds, the clock of the login time-out and the held seats.
    static qint64 clockms();

    // --- connections (socket callbacks and timers; public so tests can step) ---
    // A connection is waiting on Sock1: seat it, or refuse it when all nine are taken.
    void Sock1Accept(TSock *sender);
    // Bytes arrived on a seat's connection: cut them into messages and queue them.
    void Sock1Read(TSock *sender, int count);
    // The peer of a seat closed gracefully: close our end.
    void tempsockDisconnect(TSock *sender);
    // A connection's report, by its code and error number (the sender's
    // lastReport() and lastErrorNumber()): "Socket Closed" frees its seat; an
    // error that means the connection broke closes it.
    void tempsockInfo(TSock *sender, TSockReport report, int errorNumber);
    // Takes one message off the receive queue and handles it.
    void socktimerTimer();
    // Closes every connection seated more than kLoginTimeoutSecs before nowms without a login.
    void checklogins(qint64 nowms);
    // Frees the seats held longer than the grace at nowms, with a clean
    // slate, and closes the connections of probing copies silent for
    // kSilenceSecs (their seats are then held).
    void checkheld(qint64 nowms);

    // --- message handlers (each takes the message decoded once) ---
    // Seats a player under his name from zero, introduces the seats to each
    // other, checks the version and, during a game, sends the game's state.
    void receivedlogininfo(const Msg::LoginInfo &login);
    // Relays a chat line to every seat under the sender's name.
    void chat(const Msg::ChatLine &line);
    // Relays an action line to every seat under the sender's name.
    void action(const Msg::ChatLine &line);
    // Honoured only from the leader's seat.
    void kickhim(const Msg::Kick &kick);
    // Closes the seat's connection when it is connected, freeing the seat.
    void disconnectsock(int seat);
    // The seat's copy can take it back after a drop: it gets its token.
    void rejoinable(int seat);
    // A new connection (on seat r.seat, not logged in) takes back seat
    // r.held with its token; otherwise it is told the seat is gone and closed.
    void rejoin(const Msg::Rejoin &r);
    // Answers a probe.
    void ping(int seat);
    // Tells every connected copy that the host ends the game (the destructor does).
    void endhosting();

    // --- game flow ---
    // Starts a new game (also during one) with the options of the request.
    void startgame(const Msg::StartGameRequest &request);
    // Judges a word of a player seat; answers a refusal to the sender only.
    void sendword(const Msg::Word &submitted);
    // Marks the seat as given up; ends the round when every connected player has.
    void giveup(int seat);
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

    // --- what the host's window, the discovery responder and tests read ---
    // A seat's record, 1 to kMaxSeats + 1 (the last only refuses the tenth connection).
    const TSeat &seat(int number) const;
    // The highest seat handed out so far.
    int seatcount() const { return seatcount_; }
    // The game, the round and its countdown.
    const GameState &state() const { return game_; }
    // The dictionary that judges the words.
    const TDictn &dictionary() const { return *spell_; }
    // The built-in list of starter words, also the computer player's words.
    const StarterWords &starterwords() const { return listbox_words_; }
    // Messages waiting in the receive queue.
    qsizetype queuelength() const { return receivedlist_.size(); }
    // The queue timer: rests while nothing waits.
    const QTimer &socktimer() const { return *socktimer_; }
    // The round and pause countdown's timer.
    const QTimer &roundtimer() const { return *roundtimer_; }
    // The computer player's timer; its interval is the bot speed of the round.
    const QTimer &computertimer() const { return *computertimer_; }

    // --- for tests and the fuzzer, which step time themselves ---
    // From now on the round, computer and login timers still start and stop
    // as the game says but their ticks do nothing; the caller steps
    // roundtimerTimer(), computertimerTimer() and checklogins() itself.
    void steptimersbyhand();
    // While byhand is set the receive queue is handled only by calls of
    // socktimerTimer(); clearing it lets the queue timer drain it again.
    void stepqueuebyhand(bool byhand);
    // Sets up a situation directly (see StagedGame); never used in play.
    void stage(const StagedGame &staged);

private:
    static constexpr bool isseat(int seat) { return seat >= 1 && seat <= kMaxSeats; }
    QTimer *addtimer(const QString &name, int interval, std::function<void()> handler);
    // Whether the message may come from the seat `origin`.
    bool mayspeak(const ClientMessage &message, int origin) const;
    // Tells everybody when the leading seat changed, and ends a game every
    // player has left (lowest-seat leadership only).
    void updateleader();
    // Ends the running game when no player is seated or may come back.
    void endabandonedgame();
    // Tells a seat that just logged in who leads (lowest-seat leadership only).
    void tellleader(int seat);
    void note(const QString &event) const;
    QString who(int seat) const;
    void dispatch(const QueuedClientMessage &message);
    void sendto(int seat, const QByteArray &message);
    void sendtoall(const QByteArray &message);
    // Drops the seat's connection and what it had queued; the seat keeps the rest.
    void closeseat(int seat);
    void freeseat(int seat);
    void holdseat(int seat);
    void refuserejoin(int seat, Msg::SeatFreed reason);
    void sendgamestate(int seat);
    // The state of the running game as a seat that comes in is told it.
    Msg::LoadStats gamestate(int seat) const;
    void sendtoken(int seat);
    void endroundifallgaveup();
    void wakequeue();
    void handleoldest();
    void drawround();

    TSock *sock1_ = nullptr;
    TSock *tempsock_ = nullptr;
    QTimer *socktimer_ = nullptr;
    QTimer *roundtimer_ = nullptr;
    QTimer *computertimer_ = nullptr;
    QTimer *logintimer_ = nullptr;
    ClientQueue receivedlist_;
    std::unique_ptr<TDictn> spell_;
    StarterWords listbox_words_;

    // Seats 1 to 10 (index 0 unused).
    std::array<TSeat, kMaxSeats + 2> seats_;
    int seatcount_ = 0;
    GameState game_;

    // The queue timer stopped itself on an empty queue and starts again with
    // the next message.
    bool queueresting_ = false;
    // Runs from the moment the last message was handled, so a message that
    // finds the queue resting is handled at once when a tick has passed since.
    QElapsedTimer lasthandled_;
    bool timersbyhand_ = false;
    bool queuebyhand_ = false;
    const HostOptions *options_ = nullptr;
    Leadership leadership_ = Leadership::HostSeat;
    int announcedleader_ = 0;
    std::function<void(const QString &)> eventlog_;
    int rejoingrace_ = kDefaultRejoinGraceSecs;
};

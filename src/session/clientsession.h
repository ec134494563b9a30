#pragma once

#include "net/framing.h"
#include "net/servermessage.h"
#include "net/tsock.h"
#include "session/gameintents.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class GameModel;
class QTimer;

// A player's session with the game server, without any window: it owns the
// connection (sock), cuts the bytes into messages, queues them in
// receivedlist and on each tick of Timer1 decodes the oldest one once and
// applies it to the game model. It logs in, carries out the player's intents,
// and when the connection drops without the player leaving it reconnects by
// itself and takes its own seat back with the token the server gave it.
//
// Windows observe the model, the state and messageReceived (chat lines,
// version warnings, "Game is full"); a program without windows can play
// through the intents alone.
class ClientSession : public QObject, public GameIntents {
    Q_OBJECT
    Q_PROPERTY(State state READ state NOTIFY stateChanged)
    Q_PROPERTY(int attempt READ attempt NOTIFY stateChanged)
public:
    enum class State {
        Idle,         // not opened yet
        Connecting,   // the first connection and login are under way
        Connected,    // logged in (also after taking the seat back)
        Reconnecting, // the connection dropped; attempt() counts the tries
        Closed,       // the server closed and the seat cannot be taken back
        HostEnded,    // the host ended the game
        HostGone,     // the host's game no longer takes connections
        SeatGone,     // the seat was freed before this copy could take it back
        Removed,      // the host removed this player
        Left,         // this player quit
    };
    Q_ENUM(State)

    // A probing copy pings after this long without sending, and counts the
    // connection as dropped after kSilenceMs without hearing anything.
    static constexpr int kProbeMs = 5000;
    static constexpr int kSilenceMs = 15000;
    // How long one reconnection attempt may take before the next is tried.
    static constexpr int kAttemptMs = 5000;

    explicit ClientSession(GameModel &model, QObject *parent = nullptr);
    ~ClientSession() override;

    // Connects to host at port and logs in as name once the server offers a seat.
    void open(const QString &host, const QString &port, const QString &name);
    // Quits on purpose: tells the server so (it frees the seat at once) and closes.
    void leave();

    State state() const { return state_; }
    // The reconnection attempt under way (1 for the first), 0 when none.
    int attempt() const { return attempt_; }
    // The server gave this copy a token, so it can take its seat back.
    bool canRejoin() const { return !token_.isEmpty(); }
    // Seconds the server holds a dropped seat (from the token message).
    int graceSeconds() const { return graceSeconds_; }
    // The name sent at login.
    QString loginName() const { return name_; }
    GameModel &model() const { return model_; }
    // The delay before reconnection attempt n (1, 2, ...), growing to a cap.
    static int reconnectDelayMs(int attempt);

    // GameIntents: each is sent while the connection is up (not while it is
    // only coming back); the windows check the login where it matters.
    void sendWord(const QString &word) override;
    void giveUp() override;
    void chat(const QString &text, const QString &colour) override;
    void act(const QString &text, const QString &colour) override;
    void sayPhrase(const QString &phrase, const QString &colour) override;
    void kick(int seat) override;
    void startGame(int rounds, int seconds, int gameType, bool showWords) override;

    // --- handlers (public so tests can step them) ---
    // Bytes arrived: cut them at the terminator and queue the messages; the
    // unfinished tail waits for the next read. Starts Timer1; while the seat
    // is being taken back the messages are handled at once.
    void received(const QByteArray &bytes);
    // Handles the oldest queued message and stops Timer1 once the queue is
    // drained; a number that does not convert raises EConvertError.
    void processsocktimer();
    // Handles every queued message at once, oldest first.
    void drain();
    // Handles one decoded message.
    void handle(const ServerMessage &message);
    // The connection's report, by its code and error number.
    void sockInfo(TSockReport report, int errorNumber);
    // Once a second: pings a server that answers pings and counts a
    // connection silent for kSilenceMs as dropped (nowms on a steady clock).
    void probe(qint64 nowms);
    // The pause before a reconnection attempt is over: try.
    void reconnecttimerTimer();
    // The attempt took too long: give it up and try again later.
    void attempttimerTimer();
    // Steady-clock milliseconds, the clock of probe().
    static qint64 clockms();

    // The connection to the server.
    TSock *sock = nullptr;
    // The receive queue; one message per tick of Timer1.
    ReceiveQueue receivedlist;
    QTimer *Timer1 = nullptr;

signals:
    // The state or the attempt number changed.
    void stateChanged(ClientSession::State state);
    // A decoded message that the model has taken in; tokens and the
    // reconnection's own messages are not passed on.
    void messageReceived(const ServerMessage &message);
    // The first connection could not be made.
    void connectFailed();

private:
    void send(const QByteArray &message);
    bool canSend() const;
    void setState(State state, int attempt = 0);
    void connectionClosed();
    void startReconnecting();
    void scheduleAttempt();
    void login(int seat);
    void rejoin(int offered);

    GameModel &model_;
    QString host_;
    QString port_;
    QString name_;
    Framer framer_;
    State state_ = State::Idle;
    int attempt_ = 0;
    QByteArray token_;
    int graceSeconds_ = 0;
    // The seat this copy holds, kept while it reconnects.
    int seat_ = 0;
    // A new connection is waiting for its seat offer to answer with the token.
    bool rejoining_ = false;
    bool failedReported_ = false;
    qint64 lostAt_ = 0;
    qint64 lastHeard_ = 0;
    qint64 lastSent_ = 0;
    QTimer *probetimer_ = nullptr;
    QTimer *reconnecttimer_ = nullptr;
    QTimer *attempttimer_ = nullptr;
};

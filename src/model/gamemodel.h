#pragma once

// GameModel: everything a client knows of the game, in one QtCore object.
//
// The client session decodes each received text once (decodeServerMessage) and
// hands the value to apply(); the seat rows, the game view, the score panels
// and the chat pane then only show what the model says and react to its
// signals. No widget text or tag is read back as game state.
//
// For the engineer wiring the widgets:
// - Seats 1 to 6 keep the name exactly as the row shows it ("<Waiting>" when
//   empty, "Klot" for the computer player), the total shown in the row, the
//   total the leader test ranks by (only round ends set it, it survives a new
//   game), the last-word text ("LEADER!" included) and the panel numbers.
//   Spies (seats 7 to 9) are a list of seat and name, in arrival order.
// - The round's requirements are unknown while prefix() is empty (before
//   the first round start or game state arrived).
// - phase() is the status line's state; watchedSeat() names the player a
//   watching copy follows (read its name when phaseChanged arrives).
// - The local countdown lives here too: turntime ticks turntimeTimer() once a
//   second from a round's start; the round's end and the game's end stop it.
//   Tests call the handler directly. Sounds, colours, focus and the bar stay
//   in the view, driven by countdownStarted(), countdownTicked(),
//   countdownExpired() and countdownStopped().
// - Chat lines, version warnings and "Game is full" are not game state:
//   apply() ignores them and the dispatcher handles them; a dropped
//   message (a number that did not convert) changes nothing here either.

#include "model/gamerecord.h"
#include "net/servermessage.h"

#include <QList>
#include <QObject>
#include <QString>

#include <array>

class QTimer;

class GameModel : public QObject {
    Q_OBJECT
public:
    static constexpr int kPlayerSeats = 6;
    static constexpr int kHighestSeat = 9;
    // The text of an empty seat, the computer player's name and the leader's mark.
    static const QString kWaiting;
    static const QString kComputer;
    static const QString kLeader;

    // What the status line stands for.
    enum class Phase {
        Welcome,          // no round seen yet
        OwnTurn,          // "Your Turn."
        Watching,         // another seat's turn: watchedSeat()
        WaitForNextRound, // joined too late in a round
        TimeUp,           // the countdown ran out during the turn
        PostingScores,    // between rounds
        GameOver,         // a winner was announced
    };

    // Whether the server tells found words to everybody. Clients are not told
    // the option: it shows once another seat's word arrives, or once a round
    // seen from its start ends with words of others that never arrived.
    enum class WordsShown { Unknown, ToAll, ToFinderOnly };

    explicit GameModel(QObject *parent = nullptr);

    // The name a computer player would have at a seat; empty where there is none.
    static QString computerName(int seat);

    // Applies one decoded server message; messages that are not game state are ignored.
    void apply(const ServerMessage &message);
    // This copy is taking its seat back: the server now sends the game's
    // state again, which replaces what the board shows, up to "CMD_rejoined".
    // Players already shown arrive again without being announced.
    void beginResync();
    // One second of the local countdown.
    void turntimeTimer();

    // --- own connection ---
    // Own seat (0 until the server hands one out).
    int mySeat() const { return mySeat_; }
    // The server handed this copy a seat; never cleared.
    bool loggedIn() const { return loggedIn_; }
    // This copy sits on a spy seat and never plays.
    bool isSpy() const { return mySeat_ > kPlayerSeats; }

    // --- seats 1 to 6 (neutral values for any other number) ---
    // The name the seat's row shows: a player, "Klot" or "<Waiting>".
    QString name(int seat) const;
    // The row shows somebody (a player or the computer player).
    bool occupied(int seat) const;
    // A client holds the seat (announced and not gone).
    bool connected(int seat) const;
    // The seat's player lost the connection and the seat waits for him.
    bool lost(int seat) const;
    // The total shown in the seat's row.
    int total(int seat) const;
    // The total the leader test ranks by: set only when a round ends.
    int rankedTotal(int seat) const;
    // The seat's last accepted word, "LEADER!" after a round, or empty.
    QString lastWord(int seat) const;
    // The seat's score panel.
    SeatPanel panel(int seat) const;
    // The seat marked leader at the latest round end; 0 before any.
    int leader() const { return leader_; }
    // The seat that starts games and removes players on a host without a
    // window ("CMD_leader"); 0 when the host has a window of its own.
    int leadingSeat() const { return leadingSeat_; }
    // This player leads a host without a window.
    bool leadsGame() const { return loggedIn_ && leadingSeat_ != 0 && leadingSeat_ == mySeat_; }
    // Spies in arrival order.
    QList<Msg::PlayerInfo> spies() const { return spies_; }

    // --- the game ---
    // A game was started and has no winner yet.
    bool gameOn() const { return gameOn_; }
    int rounds() const { return rounds_; }
    int seconds() const { return seconds_; }
    // 0 no length rule, 3 to 7 fixed, 8 a random length per round.
    int lengthCode() const { return lengthCode_; }
    // The current round, 0 before the first; past rounds() in a tie-break.
    int round() const { return round_; }
    bool tieBreak() const { return round_ > rounds_; }
    // This round's required length (0 for any), starting letters and starter word.
    int roundLength() const { return roundLength_; }
    QString prefix() const { return prefix_; }
    QString starter() const { return starter_; }
    WordsShown wordsShown() const { return wordsShown_; }
    // The winning seat, 0 while there is none.
    int winner() const { return winner_; }
    // The score panels are up (between rounds and after the game).
    bool scoresShown() const { return scoresShown_; }

    // --- turn and countdown ---
    Phase phase() const { return phase_; }
    // The seat that may enter words; 0 before the first round and after the countdown.
    int turnseat() const { return turnseat_; }
    // The seat a watching copy follows (valid while watching()).
    int watchedSeat() const { return watchedSeat_; }
    // From a round start until the countdown runs out or the round ends.
    bool turnActive() const { return turnActive_; }
    // This copy watches the round instead of playing it ("You are not playing").
    bool watching() const { return watching_; }
    // The word entry is open.
    bool entryOpen() const { return entryOpen_; }
    // Enter in the word field sends the word.
    bool canSendWords() const { return loggedIn() && turnseat_ == mySeat_; }
    int timeleft() const { return timeleft_; }
    // The last seconds per round below 300 that a game announced, which
    // scales the countdown bar; 0 before any.
    int barSeconds() const { return barSeconds_; }

    // The word list of the board: this round's words as they arrived.
    QList<ListedWord> listedWords() const { return listedWords_; }
    // Every round of the current game that this copy saw, oldest first.
    const QList<RoundRecord> &history() const { return history_; }

    // The countdown timer (1 s); started by a round, stopped by its end.
    QTimer *turntime = nullptr;

signals:
    // The server handed this copy its seat.
    void seatAssigned(int seat);
    // A player or spy arrived (seats 1 to 9); existing for those already there.
    void playerArrived(int seat, const QString &name, bool existing);
    // A player seat emptied; `shown` is the name its row showed, and announce
    // is false for an empty row or a computer player's name.
    void playerLeft(int seat, const QString &shown, bool announce);
    // A listed spy left.
    void spyLeft(int seat, const QString &name);
    // A player's connection dropped and his seat is held for him.
    void playerLost(int seat, const QString &name);
    // A player whose connection dropped took his seat back.
    void playerBack(int seat, const QString &name);
    // This copy took its seat back and the board shows the server's state again.
    void rejoined();
    // A seat row's name, connection, total or last word changed.
    void seatChanged(int seat);
    // A new game; `starter` is the name of the player who started it.
    void gameStarted(const QString &starter);
    // Rounds, seconds or the length rule changed.
    void optionsChanged();
    // A round began (its requirements and the turn are set).
    void roundStarted();
    // The state of a running game arrived for this late-comer.
    void gameLoaded();
    void phaseChanged();
    // The board's word list was emptied.
    void wordsCleared();
    // A word was accepted for a player seat.
    void wordFound(int seat, const QString &word, int points);
    // One of this copy's words was refused with reason 0 to 3.
    void wordRefused(int reason);
    // Totals or panels changed.
    void scoresChanged();
    // A round ended and `seat` is marked leader.
    void leaderChanged(int seat);
    // A host without a window names the seat that leads now.
    void leadingSeatChanged(int seat);
    void scoresShownChanged(bool shown);
    void gameOver(int winner);
    // A countdown began with `timeleft` seconds: the clock shows them at once.
    void countdownStarted(int timeleft);
    // A countdown second passed with `timeleft` seconds still to go.
    void countdownTicked(int timeleft);
    // The countdown stands at zero; timeUp is true on the tick that ended an active turn.
    void countdownExpired(bool timeUp);
    // The round or the game ended: the countdown stopped at zero.
    void countdownStopped();

private:
    struct Seat {
        QString name = kWaiting;
        bool connected = false;
        bool lost = false;
        int total = 0;
        int rankedTotal = 0;
        QString lastWord;
        SeatPanel panel;
    };

    void onSendLoginInfo(const Msg::SendLoginInfo &login);
    void onArrival(const Msg::Arrival &arrival);
    void onDeparture(const Msg::Departure &departure);
    void onStartGame(const Msg::StartGame &game);
    void onStartRound(const Msg::StartRound &start);
    void onLoadStats(const Msg::LoadStats &stats);
    void onGotWord(const Msg::GotWord &got);
    void onNotValid(const Msg::NotValid &refusal);
    void onEndRound(const Msg::EndRound &end);
    void onWinner(const Msg::Winner &win);
    void onPlayerLost(int seat, bool lost);
    void endTurn();
    void onRejoined();
    void onLeadingSeat(int seat);

    Seat *seat(int number);
    const Seat *seat(int number) const;
    void clearall();
    void setOptions(int rounds, int seconds, int lengthCode);
    void setPhase(Phase phase);
    void beginOwnTurn();
    void watchTurn(int seat);
    void startCountdown(int seconds);
    void stopCountdown();
    void setScoresShown(bool shown);
    RoundRecord *openRecord();
    // Adds the record of the round in play, from what is known of it.
    RoundRecord &appendRecord();
    void inferWordsShown(const RoundRecord &record);
    void markLeader();

    std::array<Seat, kPlayerSeats> seats_;
    QList<Msg::PlayerInfo> spies_;
    int mySeat_ = 0;
    bool loggedIn_ = false;
    bool gameOn_ = false;
    int rounds_ = 5;
    int seconds_ = 60;
    int lengthCode_ = 3;
    int round_ = 0;
    int roundLength_ = 0;
    QString prefix_;
    QString starter_;
    WordsShown wordsShown_ = WordsShown::Unknown;
    int winner_ = 0;
    int leader_ = 0;
    int leadingSeat_ = 0;
    bool scoresShown_ = false;
    Phase phase_ = Phase::Welcome;
    int turnseat_ = 0;
    int watchedSeat_ = 0;
    bool turnActive_ = false;
    bool watching_ = false;
    bool entryOpen_ = false;
    int timeleft_ = 0;
    int barSeconds_ = 0;
    QList<ListedWord> listedWords_;
    QList<RoundRecord> history_;
    // Between beginResync() and "CMD_rejoined": the seats the server named again.
    bool resyncing_ = false;
    std::array<bool, kPlayerSeats> resynced_{};
    bool resyncLoaded_ = false;
};

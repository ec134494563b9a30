#pragma once

#include "client/gamecommands.h"

#include <QObject>

#include <functional>

class ChatMenus;
class GameBoard;
class QKeyEvent;
class QLabel;
class QPushButton;
class QTimer;
class SeatRows;
class SoundPlayer;
class TallyRecorder;
struct ClientState;

// The game view: shows what the server tells about the game on the board
// (GameBoard), keeps the local countdown, sends the player's words and
// give-ups, plays the game's sounds and reports results to the tally window.
// The server decides everything; the view only shows and asks.
class GameView : public QObject, public GameCommands {
    Q_OBJECT
public:
    // Hooks into the main window.
    struct Hooks {
        // Sends a whole message (terminator included) on the client connection.
        std::function<void(const QByteArray &)> send;
        // Writes a line of the program's own into the chat pane, in infocolour.
        std::function<void(const QString &)> info;
        // True while the main window is the active window.
        std::function<bool()> windowActive;
        // Puts the keyboard focus into the chat entry field.
        std::function<void()> focusChat;
    };

    // Builds the board in `area` (the main window's panel_game), taking over
    // the main window's button_start.
    GameView(ClientState &state, SeatRows &rows, ChatMenus &menus, QWidget *area,
             QPushButton *button_start, Hooks hooks, QObject *parent = nullptr);

    // The tally window that records this player's results (may be set later).
    void setTally(TallyRecorder *tally);

    // --- GameCommands: the game messages, each with its body ---
    void startthegame(const QByteArray &body) override;
    void startround(const QByteArray &body) override;
    void winner(const QByteArray &body) override;
    void endround(const QByteArray &body) override;
    void notvalid(const QByteArray &body) override;
    void gotword(const QByteArray &body) override;
    void loadstats(const QByteArray &body) override;
    // Plays the named sound when "Play Sounds" is ticked.
    void playsounds(const QString &name) override;
    // Fills the tally window's "Players In Current Game" with the other players.
    void loadchecklist() override;

    // Empties scores, last words, panels and word list; hides the entry box.
    void clearall();
    // Appends a line to the word list in the seat's colour (black for other numbers).
    void addtowordlist(const QString &text, int seat);
    // One second of the countdown (turntime).
    void turntimeTimer();
    // A key went down in the word field: hides the refusal banner. True when
    // the key was Enter, which is then consumed by edit_wordKeyPress.
    bool edit_wordKeyDown(QKeyEvent *event);
    // Enter in the word field: sends the word during the own turn; always
    // empties the field.
    void edit_wordKeyPress();
    // "I GIVE UP": asks the server to end this player's round.
    void button_igiveupClick();

    // The turn-active flag (the tag of label_status).
    bool turnActive() const;
    // The bar's pixels per second (the tag of image_timer).
    int pixelsPerSecond() const;

    GameBoard *board() const { return board_; }
    SoundPlayer *sounds() const { return sounds_; }

    // The seat that may enter words; 0 before the first round and after the countdown.
    int turnseat = 0;
    // Seconds left in the local countdown.
    int timeleft = 0;
    // The countdown; runs from a round start until the round ends or runs out.
    QTimer *turntime = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setTurnActive(bool active);
    void showGameOptions(int rounds, int seconds, int lengthCode);
    void showRoundRequirements(int length, const QByteArray &prefix);
    void beginOwnTurn();
    void watchTurn(int seat);
    void hideEntry();
    void showclock();
    void startclock(int seconds);
    void stopclock();
    QString seatName(int seat) const;
    QLabel *scoreRow(int seat) const;

    ClientState &state_;
    SeatRows &rows_;
    ChatMenus &menus_;
    Hooks hooks_;
    GameBoard *board_ = nullptr;
    SoundPlayer *sounds_ = nullptr;
    TallyRecorder *tally_ = nullptr;
};

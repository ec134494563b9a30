#pragma once

#include "client/gamecommands.h"

#include <QObject>

#include <functional>

class ChatMenus;
class GameBoard;
class GameIntents;
class GameModel;
class QKeyEvent;
class QLabel;
class QPushButton;
class SoundPlayer;
class TallyRecorder;
struct ClientState;

// The game view: shows what the game model says on the board (GameBoard),
// sends the player's words and give-ups, plays the game's sounds and reports
// results to the tally window. The server decides everything and the model
// keeps it; the view only shows and asks.
class GameView : public QObject, public GameCommands {
    Q_OBJECT
public:
    // Hooks into the main window.
    struct Hooks {
        // Where the player's words and give-ups go (the client session).
        GameIntents *intents = nullptr;
        // Writes a line of the program's own into the chat pane, in infocolour.
        std::function<void(const QString &)> info;
    };

    // Builds the board in `area` (the main window's panel_game), taking over
    // the main window's button_start, and follows `model`. The word box gets
    // the keyboard at every round start, from whichever window of the
    // program was active; when it goes, the keyboard rests on `area`, never
    // in the chat.
    GameView(const ClientState &state, const GameModel &model, ChatMenus &menus, QWidget *area,
             QPushButton *button_start, Hooks hooks, QObject *parent = nullptr);

    // The tally window that records this player's results (may be set later).
    void setTally(TallyRecorder *tally);

    // Plays the named sound when "Play Sounds" is ticked.
    void playsounds(const QString &name) override;
    // Fills the tally window's "Players In Current Game" with the other players.
    void loadchecklist() override;

    // Appends a line to the word list in the seat's colour (black for other numbers).
    void addtowordlist(const QString &text, int seat);
    // A key went down in the word field: hides the refusal banner. True when
    // the key was Enter, which is then consumed by edit_wordKeyPress.
    bool edit_wordKeyDown(QKeyEvent *event);
    // Enter in the word field: sends the word during the own turn; always
    // empties the field.
    void edit_wordKeyPress();
    // "I GIVE UP": asks the server to end this player's round.
    void button_igiveupClick();

    // The countdown bar's pixels per second of the game's round length.
    int pixelsPerSecond() const;

    GameBoard *board() const { return board_; }
    SoundPlayer *sounds() const { return sounds_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void follow();
    void gameStarted(const QString &starter);
    void showGameOptions();
    void showRound();
    void roundStarted();
    void showPhase();
    void beginOwnTurn();
    void wordFound(int seat, const QString &word, int points);
    void wordRefused(int reason);
    void showScores();
    void showScoresShown(bool shown);
    void gameOver(int seat);
    void recordGame(int seat);
    void countdownTicked();
    void countdownExpired();
    void countdownStopped();
    void hideEntry();
    void parkKeyboard();
    void focusWordBox();
    void showclock();

    const ClientState &state_;
    const GameModel &model_;
    ChatMenus &menus_;
    Hooks hooks_;
    QWidget *area_ = nullptr;
    GameBoard *board_ = nullptr;
    SoundPlayer *sounds_ = nullptr;
    TallyRecorder *tally_ = nullptr;
};

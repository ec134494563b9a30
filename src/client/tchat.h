#pragma once

#include "client/clientstate.h"
#include "net/tsock.h"
#include "server/hostoptions.h"
#include "widgets/pressablelabel.h"

#include <QMainWindow>
#include <QStringList>

#include <memory>

class ChatMenus;
class ChatPane;
class ClientSession;
class Dispatcher;
class GameCommands;
class GameModel;
class GameStartOptions;
class GameView;
class QLabel;
class QPushButton;
class ReviewWindows;
class RunningMarker;
class SeatRows;
class SettingsBinding;
class TallyRecorder;

// The main window: menus, the board (seat rows and the game area) and the
// chat pane, and the presence connection Sock11. It decides the launch mode
// when first shown, and closing it ends the program. It is assembled from
// parts: ChatMenus, SeatRows, ChatPane and Dispatcher around one GameModel,
// which the client session feeds and the seat rows and the game view (on
// panel_game) show; the windows ask the session for what the player does.
class Tchat : public QMainWindow, public HostOptions {
    Q_OBJECT
public:
    // The other windows, created after this one and handed over in one go.
    // This window only shows them; what they need of it beyond that, they
    // ask through its signals and public handlers.
    struct Windows {
        // Shown by "About".
        QWidget *about = nullptr;
        // Shown when a solo game starts.
        QWidget *download = nullptr;
        // The game start window's choices, kept in the settings file.
        GameStartOptions *gamestart = nullptr;
        // Shown by "Content".
        QWidget *help = nullptr;
        // The game server's listening socket (Sock1).
        TSock *serverListener = nullptr;
        // Shown by "Spy List".
        QWidget *spylist = nullptr;
        // The tally window, shown by "View Tally", and its recorder.
        QWidget *tally = nullptr;
        TallyRecorder *tallyRecorder = nullptr;
    };

    explicit Tchat(QWidget *parent = nullptr);
    ~Tchat() override;

    // Wires the other windows in; call before the window is first shown.
    void setWindows(const Windows &windows);
    // The command-line parameters (without the program's name).
    void setParameters(const QStringList &parameters);
    // Where the sounds and the tally's list of opponents go (the game view by default).
    void setGameView(GameCommands *view);

    // HostOptions: the tags of "Time Between Rounds" and "Bot Speed".
    int pauseBetweenRounds() const override;
    int botInterval() const override;

    // Window events.
    void FormCreate();
    void FormShow();
    // Closing: saves the geometry when it changed since the settings were read.
    void FormClose();
    // Keeps the client area at least the board plus a margin.
    void FormResize();

    // Launch modes.
    void processparams();
    void hostpress();
    void joinpress();
    // Offers the game start to this player while he leads a host without a window.
    void showleading();

    // Settings file: the single place where the options are written and read.
    void saveinifile();
    void loadinifile();

    // The game ended for this copy other than by the player's choice: says
    // so in the status line and, when `ask` is set, in a message box; then
    // closes the window with the exit code (kNoticeMs later without a box).
    void endgame(const QString &text, int exitCode, bool ask);
    // Shows in the status line and the title that the connection is coming
    // back, with the attempt number; 0: it is back.
    void showreconnecting(int attempt);
    // How long the window shows an ending that needs no answer.
    static constexpr int kNoticeMs = 5000;
    // The program's exit code: 0, or what endgame() was given.
    int exitCode() const { return exitcode_; }
    // Sends one line to the lobby on the presence connection; dropped without one.
    void tellLobby(const QByteArray &line);

    // Menu and board handlers.
    void Exit1Click();
    void ResetScreenLocation1Click();
    void Content1Click();
    void About1Click();
    void SpyList1Click();
    void PrhaseList1Click();
    void ViewTally1Click();
    void Image4Click();
    void button_startClick();
    // The phrase editor's "Done": the phrases (one per button, in order)
    // become the buttons' phrases and are stored in the settings file.
    void phrasesDone(const QStringList &phrases);
    // Shows a secondary window (not modal) centred on this one.
    void showCentred(QWidget *window);

    // The smallest window size FormResize allows.
    QSize minimumWindowSize() const;

    ClientState state;
    TSock *Sock11 = nullptr;
    // What this copy knows of the game; the session feeds it.
    GameModel *model = nullptr;
    // The connection to the game server, the login and the player's intents.
    ClientSession *session = nullptr;
    ChatMenus *menus = nullptr;
    QWidget *panel_board = nullptr;
    // The game view's area on the board.
    QWidget *panel_game = nullptr;
    SeatRows *seats = nullptr;
    ChatPane *chat = nullptr;
    Dispatcher *dispatcher = nullptr;
    // The game view on panel_game; shows the model.
    GameView *gameview = nullptr;
    QPushButton *button_start = nullptr;
    PressableLabel *Image4 = nullptr;
    // The round review and the game summary, shown from the model.
    ReviewWindows *reviews = nullptr;

signals:
    // The window was closed; the program ends.
    void closed();
    // "Start Game" by a logged-in player: the game start window is wanted.
    void gameStartRequested();
    // "Phrase List": the phrase editor is wanted, filled with the buttons' phrases.
    void phraseListRequested();
    // The maker's logo was pressed: the maker's web site is wanted.
    void makerSiteRequested();
    // This copy hosts the game and its client is connecting; hosts may kick.
    // withOthers: a game others may join, not a solo game.
    void hostingBegan(bool withOthers);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildBoard();
    // What the settings file's options are read into and written from.
    SettingsBinding settings();
    void wireMenus();
    void info(const QString &text);

    Windows windows_;
    GameCommands *game_ = nullptr;
    QStringList parameters_;
    std::unique_ptr<RunningMarker> marker_;
    bool shown_ = false;
    bool closed_ = false;
    bool settingsread_ = false;
    int exitcode_ = 0;
    // The status line before the connection dropped, and what it shows since.
    QString statusbeforedrop_;
    QString reconnectingstatus_;
};

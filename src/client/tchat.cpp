#include "client/tchat.h"

#include "client/chatmenus.h"
#include "client/chatpane.h"
#include "client/dispatcher.h"
#include "client/gameboard.h"
#include "client/gamecommands.h"
#include "client/gameview.h"
#include "client/reviewwindows.h"
#include "client/seatrows.h"
#include "client/settingsbinding.h"
#include "common/guard.h"
#include "common/messagebox.h"
#include "common/ports.h"
#include "common/random.h"
#include "common/runningmarker.h"
#include "model/gamemodel.h"
#include "session/clientsession.h"
#include "settings/gamesettings.h"
#include "settings/profilefile.h"
#include "widgets/elidinglabel.h"
#include "widgets/pressablelabel.h"
#include "widgets/tag.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// The board's fixed size; the game view lays itself out inside it.
constexpr int kBoardWidth = 470;
constexpr int kBoardHeight = 450;
const QString kLoopback = QStringLiteral("127.0.0.1");
} // namespace

Tchat::Tchat(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("chat"));
    setWindowTitle(QStringLiteral("Lexiclash"));

    Sock11 = new TSock(this);
    Sock11->setObjectName(QStringLiteral("Sock11"));
    Sock11->setHostName(kLoopback);
    Sock11->setPortName(lobbyPortName());

    model = new GameModel(this);
    model->setObjectName(QStringLiteral("model"));
    session = new ClientSession(*model, this);
    menus = new ChatMenus(menuBar());
    buildBoard();

    chat = new ChatPane(*model, this);
    chat->setIntents(session);
    chat->setOptionsScrollItem(menus->ScrollChatOff1);

    Dispatcher::Hooks hooks;
    hooks.closeWindow = [this] { close(); };
    hooks.loadSettings = [this] {
        settingsread_ = true;
        loadinifile();
    };
    hooks.reconnecting = [this](int attempt) { showreconnecting(attempt); };
    hooks.endGame = [this](const QString &text, int code, bool ask) { endgame(text, code, ask); };
    reviews = new ReviewWindows(*model, this);
    dispatcher = new Dispatcher(state, *model, *chat, *session, std::move(hooks), this);
    seats->setKickHandler([this](int seat) { dispatcher->kicking(seat); });

    GameView::Hooks game;
    game.intents = session;
    game.info = [this](const QString &text) { info(text); };
    gameview = new GameView(state, *model, *menus, panel_game, button_start, std::move(game), this);
    setGameView(gameview);
    connect(model, &GameModel::leadingSeatChanged, this, &Tchat::showleading);
    reviews->setMenuItem(menus->LastReview1);
    reviews->setWordList(gameview->board()->memo_wordlist);

    auto *central = new QWidget(this);
    auto *row = new QHBoxLayout(central);
    row->setContentsMargins(6, 6, 6, 6);
    row->addWidget(panel_board, 0, Qt::AlignTop);
    row->addWidget(chat, 1);
    setCentralWidget(central);

    wireMenus();
    // The maker's logo is the last stop of Tab, after the chat, so the window
    // does not open with the focus on it.
    setTabOrder(chat->b_phrase.back(), Image4);
    resize(state.defaultwidth, state.defaultheight);
    move(3, 3);
    FormCreate();
}

Tchat::~Tchat() = default;

void Tchat::buildBoard()
{
    panel_board = new QFrame(this);
    panel_board->setObjectName(QStringLiteral("panel_board"));
    static_cast<QFrame *>(panel_board)->setFrameShape(QFrame::StyledPanel);
    panel_board->setFixedSize(kBoardWidth, kBoardHeight);

    seats = new SeatRows(state, *model, panel_board);

    panel_game = new QWidget(panel_board);
    panel_game->setObjectName(QStringLiteral("panel_game"));
    button_start = new QPushButton(QStringLiteral("START GAME"), panel_game);
    button_start->setObjectName(QStringLiteral("button_start"));
    connect(button_start, &QPushButton::clicked, this,
            [this] { guarded([this] { button_startClick(); }); });

    Image4 = new PressableLabel(QStringLiteral("Quillmark"), panel_board);
    Image4->setObjectName(QStringLiteral("Image4"));
    Image4->setAccessibleName(QStringLiteral("Quillmark"));
    Image4->setAccessibleDescription(QStringLiteral("Opens the maker's web site"));
    QFont logo = Image4->font();
    logo.setBold(true);
    logo.setItalic(true);
    Image4->setFont(logo);
    connect(Image4, &PressableLabel::pressed, this, [this] { guarded([this] { Image4Click(); }); });

    auto *game = new QVBoxLayout(panel_game);
    game->addStretch();
    game->addWidget(button_start, 0, Qt::AlignHCenter);
    game->addStretch();

    auto *column = new QVBoxLayout(panel_board);
    column->setContentsMargins(4, 4, 4, 4);
    column->addWidget(seats);
    column->addWidget(panel_game, 1);
    column->addWidget(Image4, 0, Qt::AlignRight);
}

void Tchat::wireMenus()
{
    auto onClick = [this](QAction *item, void (Tchat::*handler)()) {
        connect(item, &QAction::triggered, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    onClick(menus->StartGame1, &Tchat::button_startClick);
    onClick(menus->Exit1, &Tchat::Exit1Click);
    onClick(menus->ResetScreenLocation1, &Tchat::ResetScreenLocation1Click);
    onClick(menus->Content1, &Tchat::Content1Click);
    onClick(menus->About1, &Tchat::About1Click);
    onClick(menus->SpyList1, &Tchat::SpyList1Click);
    onClick(menus->PhraseList1, &Tchat::PrhaseList1Click);
    onClick(menus->ViewTally1, &Tchat::ViewTally1Click);

    connect(menus->TextColor1, &QAction::triggered, this,
            [this] { guarded([this] { chat->TextColor1Click(); }); });
    connect(menus->ActionColor1, &QAction::triggered, this,
            [this] { guarded([this] { chat->ActionColor1Click(); }); });
    for (QAction *size : {menus->N8, menus->N10, menus->N12, menus->N14}) {
        connect(size, &QAction::triggered, this,
                [this, size] { guarded([this, size] { chat->N14Click(tagOf(size)); }); });
    }
    // The pane keeps both "Scroll Chat Off" items ticked alike; undo Qt's own toggle.
    connect(menus->ScrollChatOff1, &QAction::triggered, this, [this](bool checked) {
        menus->ScrollChatOff1->setChecked(!checked);
        guarded([this] { chat->ScrollChatOff1Click(); });
    });
    connect(menus->ClearMainChat1, &QAction::triggered, this,
            [this] { guarded([this] { chat->ClearMainChat1Click(); }); });

    connect(menus, &ChatMenus::optionChanged, this, [this] { guarded([this] { saveinifile(); }); });
    connect(chat, &ChatPane::settingsChanged, this, [this] { guarded([this] { saveinifile(); }); });
}

void Tchat::setWindows(const Windows &windows)
{
    windows_ = windows;
    gameview->setTally(windows_.tallyRecorder);
}

void Tchat::setParameters(const QStringList &parameters)
{
    parameters_ = parameters;
}

void Tchat::setGameView(GameCommands *view)
{
    game_ = view;
    dispatcher->setGameView(view);
}

int Tchat::pauseBetweenRounds() const
{
    return menus->pauseBetweenRounds();
}

int Tchat::botInterval() const
{
    return menus->botInterval();
}

void Tchat::FormCreate()
{
    state.sectionname = QStringLiteral("Lexiclash");
    marker_ = std::make_unique<RunningMarker>();
    state.defaultwidth = 790;
    state.defaultheight = 525;
    chat->setPhraseReady(true);
    state.infocolour = QColor(0, 0, 255);
    // The server in this process draws its letters and the computer's words from it.
    Random::seedFromClock();
    state.hosting = false;
    setMinimumSize(minimumWindowSize());
}

void Tchat::FormShow()
{
    processparams();
}

void Tchat::processparams()
{
    button_start->hide();
    menus->StartGame1->setEnabled(false);
    state.loginname.clear();

    if (parameters_.isEmpty()) {
        info(QStringLiteral("Loading Solo Game..Please wait."));
        if (windows_.download)
            windows_.download->show();
        state.hostaddress = kLoopback;
        state.playername = QStringLiteral("You");
        hostpress();
        return;
    }

    info(QStringLiteral("Loading Multi-player Game.. Please Wait."));
    if (parameters_.size() < 3)
        return;
    state.playername = parameters_.at(0);
    state.hostaddress = parameters_.at(1);
    if (parameters_.at(2) == QLatin1String("true"))
        hostpress();
    else
        joinpress();
    Sock11->Open();
}

void Tchat::tellLobby(const QByteArray &line)
{
    // The game never depends on its lobby: a line nobody can take is dropped.
    if (Sock11->handle() < 0)
        return;
    try {
        Sock11->Send(line);
    } catch (const ESockException &) {
    }
}

void Tchat::hostpress()
{
    if (windows_.serverListener) {
        windows_.serverListener->setPortName(gamePortName());
        // A solo game is for this computer alone.
        windows_.serverListener->setLoopbackOnly(parameters_.isEmpty());
        try {
            windows_.serverListener->setListen(true);
        } catch (const ESockException &) {
            // Another program holds the port: without a server there is no
            // game to show, so the window closes once the player has read why.
            showMessage(QStringLiteral("Cannot host the game: port %1 is already in use by "
                                       "another program, or may not be opened. Close that "
                                       "program, or start Lexiclash with LEXICLASH_PORT set to "
                                       "a free port. Lexiclash will now close.")
                            .arg(gamePortName()));
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
            return;
        }
    }
    state.loginname = state.playername;
    state.hosting = true;
    session->open(kLoopback, gamePortName(), state.loginname);
    button_start->show();
    menus->StartGame1->setEnabled(true);
    emit hostingBegan(parameters_.size() >= 3);
}

void Tchat::showleading()
{
    // On a host without a window the leading player starts the games.
    if (state.hosting)
        return;
    const bool leads = model->leadsGame();
    menus->StartGame1->setEnabled(leads);
    button_start->setVisible(leads && !model->gameOn());
}

void Tchat::joinpress()
{
    state.loginname = state.playername;
    session->open(state.hostaddress, gamePortName(), state.loginname);
    button_start->hide();
    menus->StartGame1->setEnabled(false);
}

void Tchat::FormClose()
{
    // A window that never read the settings would write its built-in values
    // over the player's stored ones.
    if (!settingsread_)
        return;
    if (y() == state.storedtop && x() == state.storedleft && height() == state.storedheight &&
        width() == state.storedwidth)
        return;
    if (const QScreen *display = screen()) {
        const QRect work = display->availableGeometry();
        // Once each, whatever the excess: the saved window is only nudged back.
        if (width() > work.width())
            resize(width() - 15, height());
        if (height() > work.height())
            resize(width(), height() - 15);
    }
    state.storedleft = x();
    state.storedtop = y();
    state.storedwidth = width();
    state.storedheight = height();
    saveinifile();
}

QSize Tchat::minimumWindowSize() const
{
    const int menuHeight = menuBar()->sizeHint().height();
    // Room for the board and, beside it, the narrowest chat pane: the chat
    // must never lie over the board.
    const QSize least = centralWidget() ? centralWidget()->minimumSizeHint() : QSize();
    return {std::max(panel_board->width() + 15, least.width()),
            std::max(panel_board->height() + 12, least.height()) + menuHeight};
}

void Tchat::FormResize()
{
    const QSize least = minimumWindowSize();
    if (width() < least.width() || height() < least.height())
        resize(std::max(width(), least.width()), std::max(height(), least.height()));
}

SettingsBinding Tchat::settings()
{
    return SettingsBinding({this, menus, chat, windows_.gamestart});
}

void Tchat::saveinifile()
{
    ProfileFile file(settingsFilePath());
    writeGameSettings(file, state.sectionname, settings().collect());
    // One replacement of the file for all keys: a failure leaves the old file
    // whole and is reported once.
    file.flush();
}

void Tchat::loadinifile()
{
    const GameSettings stored = readGameSettings(ProfileFile(settingsFilePath()), state.sectionname,
                                                 state.defaultwidth, state.defaultheight);
    state.storedtop = stored.top;
    state.storedleft = stored.left;
    state.storedwidth = stored.width;
    state.storedheight = stored.height;
    settings().apply(stored);
}

void Tchat::showreconnecting(int attempt)
{
    ElidingLabel *line = gameview->board()->label_status;
    if (attempt == 0) {
        setWindowTitle(QStringLiteral("Lexiclash"));
        // Back: unless the rebuilt game said something new, the line says
        // again what it said before the drop.
        if (line->text() == reconnectingstatus_)
            line->setText(statusbeforedrop_);
        reconnectingstatus_.clear();
        return;
    }
    const QString number = QString::number(attempt);
    setWindowTitle(QStringLiteral("Lexiclash - Connection lost. Reconnecting… (attempt ") + number +
                   QLatin1Char(')'));
    if (reconnectingstatus_.isEmpty())
        statusbeforedrop_ = line->text();
    // The attempt number stays in sight however narrow the line.
    line->setText(QStringLiteral("Reconnecting, "), QStringLiteral("attempt ") + number);
    reconnectingstatus_ = line->text();
}

void Tchat::endgame(const QString &text, int exitCode, bool ask)
{
    if (closed_)
        return;
    exitcode_ = exitCode;
    gameview->board()->label_status->setText(text);
    if (!ask) {
        QTimer::singleShot(kNoticeMs, this, &QWidget::close);
        return;
    }
    showMessage(text);
    close();
}

void Tchat::Exit1Click()
{
    close();
}

void Tchat::ResetScreenLocation1Click()
{
    move(3, 3);
    resize(790, 525);
}

void Tchat::showCentred(QWidget *window)
{
    // Shown first: a window's frame is only known once it is on screen.
    window->show();
    QRect frame = window->frameGeometry();
    frame.moveCenter(frameGeometry().center());
    window->move(frame.topLeft());
    window->raise();
    window->activateWindow();
}

void Tchat::Content1Click()
{
    if (windows_.help)
        showCentred(windows_.help);
}

void Tchat::About1Click()
{
    if (windows_.about)
        showCentred(windows_.about);
}

void Tchat::SpyList1Click()
{
    if (windows_.spylist)
        showCentred(windows_.spylist);
}

void Tchat::PrhaseList1Click()
{
    emit phraseListRequested();
}

void Tchat::phrasesDone(const QStringList &phrases)
{
    for (int n = 1; n <= phrases.size(); ++n)
        chat->setPhrase(n, phrases.at(n - 1));
    ProfileFile file(settingsFilePath());
    writePhrases(file, state.sectionname, phrases);
    file.flush();
}

void Tchat::ViewTally1Click()
{
    if (game_)
        game_->loadchecklist();
    if (windows_.tally)
        showCentred(windows_.tally);
}

void Tchat::Image4Click()
{
    emit makerSiteRequested();
}

void Tchat::button_startClick()
{
    if (!model->loggedIn()) {
        showMessage(QStringLiteral("You are not connected"));
        return;
    }
    emit gameStartRequested();
}

void Tchat::info(const QString &text)
{
    dispatcher->info(text);
}

void Tchat::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    guarded([this] { FormShow(); });
}

void Tchat::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (closed_)
        return;
    closed_ = true;
    // Quitting on purpose frees the seat at once instead of holding it.
    session->leave();
    guarded([this] { FormClose(); });
    emit closed();
}

void Tchat::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    guarded([this] { FormResize(); });
}

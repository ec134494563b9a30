#include "client/dispatcher.h"

#include "client/chatpane.h"
#include "client/clientstate.h"
#include "client/gamecommands.h"
#include "common/gameexit.h"
#include "common/messagebox.h"
#include "model/gamemodel.h"

#include <type_traits>

Dispatcher::Dispatcher(ClientState &state, GameModel &model, ChatPane &chat, ClientSession &session,
                       Hooks hooks, QObject *parent)
    : QObject(parent)
    , state_(state)
    , model_(model)
    , chat_(chat)
    , session_(session)
    , hooks_(std::move(hooks))
{
    connect(&model_, &GameModel::playerArrived, this,
            [this](int seat, const QString &name, bool) { playerArrived(seat, name); });
    connect(&model_, &GameModel::playerLeft, this,
            [this](int, const QString &shown, bool announce) { playerLeft(shown, announce); });
    connect(&model_, &GameModel::spyLeft, this,
            [this](int, const QString &name) { spyLeft(name); });
    connect(&model_, &GameModel::playerLost, this, [this](int, const QString &name) {
        info(name + QStringLiteral(" lost the connection…"));
    });
    connect(&model_, &GameModel::playerBack, this,
            [this](int, const QString &name) { info(name + QStringLiteral(" is back.")); });
    connect(&session_, &ClientSession::messageReceived, this, &Dispatcher::handle);
    connect(&session_, &ClientSession::stateChanged, this, &Dispatcher::sessionChanged);
    connect(&session_, &ClientSession::connectFailed, this,
            [this] { info(QStringLiteral("Could not connect to the host.")); });
}

void Dispatcher::setGameView(GameCommands *view)
{
    game_ = view;
}

void Dispatcher::handle(const ServerMessage &message)
{
    std::visit(
        [this](const auto &m) {
            using T = std::decay_t<decltype(m)>;
            if constexpr (std::is_same_v<T, Msg::Relayed>) {
                chat_.chatrecieved(m.line);
            } else if constexpr (std::is_same_v<T, Msg::HaveWrongVersion>) {
                info(QString::fromUtf8(m.name) +
                     QStringLiteral(" has a different version of the game then you."));
            } else if constexpr (std::is_same_v<T, Msg::WrongVersion>) {
                info(QStringLiteral("You have a differnt version of the game then the host."));
            } else if constexpr (std::is_same_v<T, Msg::Full>) {
                showMessage(QStringLiteral("Game is full"));
                if (hooks_.closeWindow)
                    hooks_.closeWindow();
            }
        },
        message);
}

void Dispatcher::sessionChanged(ClientSession::State state)
{
    using S = ClientSession::State;
    const auto end = [this](const QString &text, int code, bool ask = true) {
        info(text);
        if (hooks_.endGame)
            hooks_.endGame(text, code, ask);
    };
    switch (state) {
    case S::Reconnecting:
        if (!wasLost_) {
            wasLost_ = true;
            info(QStringLiteral("Connection lost. Reconnecting…"));
        }
        if (hooks_.reconnecting)
            hooks_.reconnecting(std::max(1, session_.attempt()));
        return;
    case S::Connected:
        if (wasLost_) {
            wasLost_ = false;
            info(QStringLiteral("You are back in the game."));
            if (hooks_.reconnecting)
                hooks_.reconnecting(0);
        }
        return;
    case S::Closed:
        // A server that cannot hold seats closed the connection: as ever, the window closes.
        if (hooks_.closeWindow)
            hooks_.closeWindow();
        return;
    case S::HostEnded:
        // Nothing is left to decide: the window says so and goes, and the
        // lobby tells the player again by the exit code.
        end(QStringLiteral("The host ended the game."), int(GameExit::HostEnded), false);
        return;
    case S::HostGone:
        end(QStringLiteral("The host left the game."), int(GameExit::HostLeft));
        return;
    case S::SeatGone:
        end(QStringLiteral("The connection to the game could not be restored in time, so your "
                           "seat was given up. Press OK to return to the lobby."),
            int(GameExit::SeatGone));
        return;
    case S::Removed:
        end(QStringLiteral("The host removed you from the game."), int(GameExit::Removed));
        return;
    case S::Idle:
    case S::Connecting:
    case S::Left:
        return;
    }
}

void Dispatcher::playerArrived(int seat, const QString &name)
{
    if (seat == model_.mySeat()) {
        info(QStringLiteral("You are Connected."));
        if (hooks_.loadSettings)
            hooks_.loadSettings();
    } else {
        info(name + QStringLiteral(" is Connected."));
    }
    if (seat > GameModel::kPlayerSeats) {
        info(seat == model_.mySeat() ? QStringLiteral("You are spying.")
                                     : name + QStringLiteral(" is spying."));
    }
    playsounds(QStringLiteral("entered"));
}

void Dispatcher::playerLeft(const QString &shown, bool announce)
{
    if (announce)
        info(shown + QStringLiteral(" disconnected."));
}

void Dispatcher::spyLeft(const QString &name)
{
    info(name + QStringLiteral(" has left."));
}

void Dispatcher::kicking(int seat)
{
    if (!(state_.hosting || model_.leadsGame()) || !model_.loggedIn())
        return;
    session_.kick(seat);
}

void Dispatcher::info(const QString &text)
{
    chat_.addlinetochat(text, state_.infocolour);
}

void Dispatcher::playsounds(const QString &name)
{
    if (game_)
        game_->playsounds(name);
}

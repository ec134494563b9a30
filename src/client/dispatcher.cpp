#include "client/dispatcher.h"

#include "client/chatpane.h"
#include "client/clientstate.h"
#include "client/gamecommands.h"
#include "common/errors.h"
#include "common/guard.h"
#include "common/messagebox.h"
#include "common/version.h"
#include "model/gamemodel.h"
#include "net/messages.h"

#include <QTimer>

#include <type_traits>

Dispatcher::Dispatcher(ClientState &state, GameModel &model, ChatPane &chat, Hooks hooks,
                       QObject *parent)
    : QObject(parent)
    , state_(state)
    , model_(model)
    , chat_(chat)
    , hooks_(std::move(hooks))
{
    receivedlist.push(QByteArrayLiteral("receivedlist"));
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1);
    connect(Timer1, &QTimer::timeout, this, [this] { guarded([this] { processsocktimer(); }); });
    Timer1->start();

    connect(&model_, &GameModel::playerArrived, this,
            [this](int seat, const QString &name, bool) { playerArrived(seat, name); });
    connect(&model_, &GameModel::playerLeft, this,
            [this](int, const QString &shown, bool announce) { playerLeft(shown, announce); });
    connect(&model_, &GameModel::spyLeft, this,
            [this](int, const QString &name) { spyLeft(name); });
}

void Dispatcher::setGameView(GameCommands *view)
{
    game_ = view;
}

void Dispatcher::received(const QByteArray &bytes)
{
    for (QByteArray &text : framer_.feed(bytes))
        receivedlist.push(std::move(text));
    if (!receivedlist.isEmpty() && !Timer1->isActive())
        Timer1->start();
}

bool Dispatcher::overflowed() const
{
    return framer_.overflowed();
}

void Dispatcher::processsocktimer()
{
    const QByteArray text = receivedlist.take().text;
    // An idle window costs nothing: the timer sleeps until the next read.
    if (receivedlist.isEmpty())
        Timer1->stop();
    handle(decodeServerMessage(text));
}

void Dispatcher::drain()
{
    while (!receivedlist.isEmpty())
        processsocktimer();
}

void Dispatcher::handle(const ServerMessage &message)
{
    if (const auto *dropped = std::get_if<Msg::Dropped>(&message))
        throw EConvertError(dropped->error);
    model_.apply(message);
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
            } else if constexpr (std::is_same_v<T, Msg::SendLoginInfo>) {
                sendloginfo(m);
            }
        },
        message);
}

void Dispatcher::sendloginfo(const Msg::SendLoginInfo &login)
{
    hooks_.send(
        Msg::logininfo(login.seat, QByteArrayLiteral(kVersionText), state_.loginname.toUtf8()));
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
    if (!state_.hosting || !model_.loggedIn())
        return;
    hooks_.send(Msg::kickhim(model_.mySeat(), seat));
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

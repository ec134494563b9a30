#include "client/dispatcher.h"

#include "client/chatpane.h"
#include "client/clientstate.h"
#include "client/gamecommands.h"
#include "client/seatcolours.h"
#include "client/seatrows.h"
#include "common/guard.h"
#include "common/messagebox.h"
#include "common/version.h"
#include "dialogs/tspylist.h"
#include "net/messages.h"

#include <QLabel>
#include <QTimer>

namespace {
constexpr int kHighestSeat = 9;
}

Dispatcher::Dispatcher(ClientState &state, SeatRows &rows, ChatPane &chat, Hooks hooks,
                       QObject *parent)
    : QObject(parent)
    , state_(state)
    , rows_(rows)
    , chat_(chat)
    , hooks_(std::move(hooks))
{
    receivedlist.push(QByteArrayLiteral("receivedlist"));
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1);
    connect(Timer1, &QTimer::timeout, this, [this] { guarded([this] { processsocktimer(); }); });
    Timer1->start();
}

void Dispatcher::setSpyList(Tspylist *spylist)
{
    spylist_ = spylist;
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
    if (hooks_.received)
        hooks_.received(text);
    const SplitMessage message = splitMessage(text);
    if (message.command.isEmpty())
        return;
    dispatch(message.command, message.body);
}

void Dispatcher::drain()
{
    while (!receivedlist.isEmpty())
        processsocktimer();
}

void Dispatcher::dispatch(const QByteArray &command, const QByteArray &body)
{
    if (command == Cmd::sendlogininfo)
        sendloginfo(body);
    else if (command == Cmd::chat)
        chat_.chatrecieved(body);
    else if (command == Cmd::action)
        chat_.chatrecieved(body);
    else if (command == Cmd::newplayerinfo)
        newplayerinfo(body);
    else if (command == Cmd::havewrongversion)
        info(QString::fromUtf8(body) +
             QStringLiteral(" has a different version of the game then you."));
    else if (command == Cmd::wrongversion)
        info(QStringLiteral("You have a differnt version of the game then the host."));
    else if (command == Cmd::existingplayers)
        newplayerinfo(body);
    else if (command == Cmd::playerdisconnected)
        playerdisconnected(body);
    else if (command == Cmd::startgame) {
        if (game_)
            game_->startthegame(body);
    } else if (command == Cmd::startround) {
        if (game_)
            game_->startround(body);
    } else if (command == Cmd::winner) {
        if (game_)
            game_->winner(body);
    } else if (command == Cmd::full) {
        showMessage(QStringLiteral("Game is full"));
        if (hooks_.closeWindow)
            hooks_.closeWindow();
    } else if (command == Cmd::endround) {
        if (game_)
            game_->endround(body);
    } else if (command == Cmd::notvalid) {
        if (game_)
            game_->notvalid(body);
    } else if (command == Cmd::gotword) {
        if (game_)
            game_->gotword(body);
    } else if (command == Cmd::loadstats) {
        if (game_)
            game_->loadstats(body);
    }
}

void Dispatcher::sendloginfo(const QByteArray &body)
{
    state_.myseat = Msg::readSendlogininfo(body);
    state_.loggedin = true;
    hooks_.send(
        Msg::logininfo(state_.myseat, QByteArrayLiteral(kVersionText), state_.loginname.toUtf8()));
}

void Dispatcher::newplayerinfo(const QByteArray &body)
{
    const Msg::PlayerInfo player = Msg::readPlayerinfo(body);
    // A seat the server never hands out has no row and no spy line.
    if (player.seat < 1 || player.seat > kHighestSeat)
        return;
    const QString name = QString::fromUtf8(player.name);
    if (player.seat == state_.myseat) {
        info(QStringLiteral("You are Connected."));
        if (hooks_.loadSettings)
            hooks_.loadSettings();
    } else {
        info(name + QStringLiteral(" is Connected."));
    }

    if (player.seat <= state_.numseats) {
        if (QLabel *row = rows_.playername(player.seat))
            row->setText(name);
    } else {
        if (spylist_)
            spylist_->addSpy(QString::number(player.seat) + QStringLiteral(": ") + name);
        info(player.seat == state_.myseat ? QStringLiteral("You are spying.")
                                          : name + QStringLiteral(" is spying."));
    }
    playsounds(QStringLiteral("entered"));
}

void Dispatcher::playerdisconnected(const QByteArray &body)
{
    const Msg::Departure departure = Msg::readPlayerdisconnected(body);
    if (departure.seat < 1 || departure.seat > kHighestSeat)
        return;
    if (departure.seat <= state_.numseats) {
        QLabel *row = rows_.playername(departure.seat);
        if (!row)
            return;
        const QString shown = row->text();
        if (shown != SeatRows::kWaiting && shown != computerName(departure.seat))
            info(shown + QStringLiteral(" disconnected."));
        row->setText(departure.seatText == "2" ? QStringLiteral("Klot") : SeatRows::kWaiting);
        return;
    }
    const QString name = QString::fromUtf8(departure.name);
    const QString entry = QString::fromUtf8(departure.seatText) + QStringLiteral(": ") + name;
    if (spylist_ && spylist_->removeSpy(entry))
        info(name + QStringLiteral(" has left."));
}

void Dispatcher::kicking(int seat)
{
    if (!state_.hosting || !state_.loggedin)
        return;
    hooks_.send(Msg::kickhim(state_.myseat, seat));
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

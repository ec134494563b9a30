#include "session/clientsession.h"

#include "common/errors.h"
#include "common/guard.h"
#include "common/version.h"
#include "model/gamemodel.h"
#include "net/messages.h"

#include <QTimer>

#include <cerrno>
#include <chrono>
#include <type_traits>

namespace {
// The pause before the first reconnection attempt; each later one doubles
// it up to the cap.
constexpr int kFirstDelayMs = 200;
constexpr int kMaxDelayMs = 5000;
// Beyond the server's grace a seat is gone; a little slack for the clocks.
constexpr int kGraceSlackMs = 5000;

bool isFinal(ClientSession::State state)
{
    using S = ClientSession::State;
    return state == S::Closed || state == S::HostEnded || state == S::HostGone ||
           state == S::SeatGone || state == S::Removed || state == S::Left;
}
} // namespace

ClientSession::ClientSession(GameModel &model, QObject *parent)
    : QObject(parent)
    , model_(model)
{
    setObjectName(QStringLiteral("session"));
    sock = new TSock(this);
    sock->setObjectName(QStringLiteral("sock"));
    sock->OnRead = [this](TSock *sender, int) {
        guarded([&] {
            received(sender->Receive());
            // A server that never ends its message is broken; hang up.
            if (framer_.overflowed())
                sender->Close();
        });
    };
    sock->OnInfo = [this](TSock *sender, TSocketInfo, const QString &) {
        guarded([&] { sockInfo(sender->lastReport(), sender->lastErrorNumber()); });
    };

    receivedlist.push(QByteArrayLiteral("receivedlist"));
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1);
    connect(Timer1, &QTimer::timeout, this, [this] { guarded([this] { processsocktimer(); }); });
    Timer1->start();

    const auto addtimer = [this](const QString &name, int interval,
                                 void (ClientSession::*handler)()) {
        auto *timer = new QTimer(this);
        timer->setObjectName(name);
        timer->setInterval(interval);
        connect(timer, &QTimer::timeout, this,
                [this, handler] { guarded([&] { (this->*handler)(); }); });
        return timer;
    };
    probetimer_ = new QTimer(this);
    probetimer_->setObjectName(QStringLiteral("probetimer"));
    probetimer_->setInterval(1000);
    connect(probetimer_, &QTimer::timeout, this, [this] { guarded([this] { probe(clockms()); }); });
    reconnecttimer_ = addtimer(QStringLiteral("reconnecttimer"), kFirstDelayMs,
                               &ClientSession::reconnecttimerTimer);
    reconnecttimer_->setSingleShot(true);
    attempttimer_ =
        addtimer(QStringLiteral("attempttimer"), kAttemptMs, &ClientSession::attempttimerTimer);
    attempttimer_->setSingleShot(true);
}

ClientSession::~ClientSession()
{
    // Destroying the socket reports "Socket Closed"; this session is gone by then.
    sock->OnRead = nullptr;
    sock->OnInfo = nullptr;
}

qint64 ClientSession::clockms()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int ClientSession::reconnectDelayMs(int attempt)
{
    int delay = kFirstDelayMs;
    for (int n = 1; n < attempt && delay < kMaxDelayMs; ++n)
        delay *= 2;
    return std::min(delay, kMaxDelayMs);
}

void ClientSession::setState(State state, int attempt)
{
    if (state_ == state && attempt_ == attempt)
        return;
    state_ = state;
    attempt_ = attempt;
    if (isFinal(state)) {
        probetimer_->stop();
        reconnecttimer_->stop();
        attempttimer_->stop();
    }
    emit stateChanged(state_);
}

void ClientSession::open(const QString &host, const QString &port, const QString &name)
{
    host_ = host;
    port_ = port;
    name_ = name;
    setState(State::Connecting);
    lastHeard_ = clockms();
    sock->setHostName(host_);
    sock->setPortName(port_);
    probetimer_->start();
    sock->Open();
}

void ClientSession::leave()
{
    if (isFinal(state_))
        return;
    const bool tell = canSend() && model_.loggedIn();
    setState(State::Left);
    if (tell)
        send(Msg::leaving(model_.mySeat()));
    sock->Close();
}

bool ClientSession::canSend() const
{
    // The windows decide what needs a login (a phrase does not); a
    // connection that is only coming back carries nothing but the token.
    return sock->Connected() && !rejoining_ && !isFinal(state_);
}

void ClientSession::send(const QByteArray &message)
{
    // A message of a connection that has just gone goes with it.
    if (!sock->Connected())
        return;
    lastSent_ = clockms();
    sock->Send(message);
}

// --- intents ---

void ClientSession::sendWord(const QString &word)
{
    if (canSend())
        send(Msg::sendword(model_.mySeat(), word.toUtf8()));
}

void ClientSession::giveUp()
{
    if (canSend())
        send(Msg::giveup(model_.mySeat()));
}

void ClientSession::chat(const QString &text, const QString &colour)
{
    if (canSend())
        send(Msg::chat(model_.mySeat(), text.toUtf8(), colour.toLatin1()));
}

void ClientSession::act(const QString &text, const QString &colour)
{
    if (canSend())
        send(Msg::action(model_.mySeat(), text.toUtf8(), colour.toLatin1()));
}

void ClientSession::sayPhrase(const QString &phrase, const QString &colour)
{
    if (canSend())
        send(Msg::actionSays(model_.mySeat(), phrase.toUtf8(), colour.toLatin1()));
}

void ClientSession::kick(int seat)
{
    if (canSend())
        send(Msg::kickhim(model_.mySeat(), seat));
}

void ClientSession::startGame(int rounds, int seconds, int gameType, bool showWords)
{
    if (canSend())
        send(Msg::startgameRequest(name_.toUtf8(), rounds, seconds, gameType, showWords));
}

// --- receiving ---

void ClientSession::received(const QByteArray &bytes)
{
    lastHeard_ = clockms();
    for (QByteArray &text : framer_.feed(bytes))
        receivedlist.push(std::move(text));
    // Taking the seat back rebuilds the board in one go: nobody plays
    // meanwhile, and a board half rebuilt is never shown.
    while (rejoining_ && !receivedlist.isEmpty())
        processsocktimer();
    if (!receivedlist.isEmpty() && !Timer1->isActive())
        Timer1->start();
}

void ClientSession::processsocktimer()
{
    const QByteArray text = receivedlist.take().text;
    // An idle session costs nothing: the timer sleeps until the next read.
    if (receivedlist.isEmpty())
        Timer1->stop();
    handle(decodeServerMessage(text));
}

void ClientSession::drain()
{
    while (!receivedlist.isEmpty())
        processsocktimer();
}

void ClientSession::handle(const ServerMessage &message)
{
    if (const auto *dropped = std::get_if<Msg::Dropped>(&message))
        throw EConvertError(dropped->error);
    bool passOn = true;
    std::visit(
        [&](const auto &m) {
            using T = std::decay_t<decltype(m)>;
            if constexpr (std::is_same_v<T, Msg::SendLoginInfo>) {
                if (rejoining_) {
                    // The seat offered to a new connection is only a way in.
                    rejoin(m.seat);
                    passOn = false;
                    return;
                }
                model_.apply(message);
                login(m.seat);
            } else if constexpr (std::is_same_v<T, Msg::SeatToken>) {
                // The token is this copy's secret: kept, never passed on.
                passOn = false;
                if (m.seat == model_.mySeat()) {
                    token_ = m.token;
                    graceSeconds_ = m.graceSeconds;
                }
            } else if constexpr (std::is_same_v<T, Msg::Rejoined>) {
                model_.apply(message);
                rejoining_ = false;
                attempttimer_->stop();
                setState(State::Connected);
            } else if constexpr (std::is_same_v<T, Msg::SeatGone>) {
                setState(m.reason == Msg::SeatFreed::Removed ? State::Removed : State::SeatGone);
            } else if constexpr (std::is_same_v<T, Msg::HostEnded>) {
                setState(State::HostEnded);
            } else if constexpr (std::is_same_v<T, Msg::Full>) {
                // A full game met while coming back is tried again later.
                passOn = !rejoining_;
            } else if constexpr (std::is_same_v<T, Msg::Pong>) {
                passOn = false;
            } else {
                model_.apply(message);
            }
        },
        message);
    if (passOn)
        emit messageReceived(message);
}

void ClientSession::login(int seat)
{
    seat_ = seat;
    send(Msg::logininfo(seat, QByteArrayLiteral(kVersionText), name_.toUtf8()));
    // Servers that know how to hold a seat answer with a token; older ones drop this.
    send(Msg::rejoinable(seat));
    setState(State::Connected);
}

void ClientSession::rejoin(int offered)
{
    model_.beginResync();
    send(Msg::rejoin({offered, seat_, token_}));
}

// --- the connection's fate ---

void ClientSession::sockInfo(TSockReport report, int errorNumber)
{
    if (report == TSockReport::SocketClosed) {
        connectionClosed();
        return;
    }
    if (report != TSockReport::ErrorNumber)
        return;
    if (state_ == State::Reconnecting) {
        // Nobody takes connections at the host's address any more: its game is over.
        if (errorNumber == wsaErrorFromErrno(ECONNREFUSED)) {
            setState(State::HostGone);
            sock->Close();
            return;
        }
        sock->Close();
        return;
    }
    // Before the login an error is a connection that could not be made.
    if (!model_.loggedIn()) {
        if (!failedReported_) {
            failedReported_ = true;
            emit connectFailed();
        }
        return;
    }
    // A reset or broken connection ends it as a close would.
    if (isBrokenConnectionError(errorNumber))
        sock->Close();
}

void ClientSession::connectionClosed()
{
    // A session that is over (the player quit) has nothing more to hear.
    if (isFinal(state_))
        return;
    // What the server said before closing must still be heard.
    drain();
    if (isFinal(state_))
        return;
    if (state_ == State::Reconnecting) {
        attempttimer_->stop();
        scheduleAttempt();
        return;
    }
    if (state_ == State::Connected && canRejoin()) {
        startReconnecting();
        return;
    }
    setState(State::Closed);
}

void ClientSession::startReconnecting()
{
    lostAt_ = clockms();
    rejoining_ = false;
    setState(State::Reconnecting, 0);
    scheduleAttempt();
}

void ClientSession::scheduleAttempt()
{
    if (clockms() - lostAt_ > qint64(graceSeconds_) * 1000 + kGraceSlackMs) {
        // The server has given the seat away by now.
        setState(State::SeatGone);
        return;
    }
    reconnecttimer_->start(reconnectDelayMs(attempt_ + 1));
}

void ClientSession::reconnecttimerTimer()
{
    if (state_ != State::Reconnecting)
        return;
    setState(State::Reconnecting, attempt_ + 1);
    framer_ = Framer();
    rejoining_ = true;
    lastHeard_ = clockms();
    attempttimer_->start();
    try {
        sock->Open();
    } catch (const ESockException &) {
        // The host's name does not resolve now; the next attempt asks again.
        attempttimer_->stop();
        scheduleAttempt();
    }
}

void ClientSession::attempttimerTimer()
{
    if (state_ == State::Reconnecting && rejoining_)
        sock->Close();
}

void ClientSession::probe(qint64 nowms)
{
    if (state_ != State::Connected || !canRejoin())
        return;
    if (nowms - lastHeard_ >= kSilenceMs) {
        // No data and no answer to the pings: the connection is gone.
        sock->Close();
        return;
    }
    if (nowms - lastSent_ >= kProbeMs)
        send(Msg::ping(model_.mySeat()));
}

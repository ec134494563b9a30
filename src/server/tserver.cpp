#include "server/tserver.h"

#include "common/errors.h"
#include "common/guard.h"
#include "common/ports.h"
#include "common/random.h"
#include "common/version.h"
#include "dict/tdictn.h"
#include "net/messages.h"

#include <QDebug>
#include <QTimer>

#include <algorithm>
#include <chrono>

namespace {
constexpr int kRefusedSeat = TServer::kMaxSeats + 1;

} // namespace

TServer::TServer(QObject *parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("Server"));
    Random::seedFromClock();

    sock1_ = new TSock(this);
    sock1_->setObjectName(QStringLiteral("Sock1"));
    sock1_->setPortName(gamePortName());
    sock1_->OnAccept = [this](TSock *sender) { guarded([&] { Sock1Accept(sender); }); };
    sock1_->OnRead = [this](TSock *sender, int count) {
        guarded([&] { Sock1Read(sender, count); });
    };

    tempsock_ = new TSock(this);
    tempsock_->setObjectName(QStringLiteral("tempsock"));
    tempsock_->OnDisconnect = [this](TSock *sender) {
        guarded([&] { tempsockDisconnect(sender); });
    };
    tempsock_->OnInfo = [this](TSock *sender, TSocketInfo, const QString &) {
        guarded([&] { tempsockInfo(sender, sender->lastReport(), sender->lastErrorNumber()); });
    };

    socktimer_ = addtimer(QStringLiteral("socktimer"), kQueueTickMs, [this] { socktimerTimer(); });
    socktimer_->start();
    roundtimer_ = addtimer(QStringLiteral("roundtimer"), 1000, [this] {
        if (!timersbyhand_)
            roundtimerTimer();
    });
    computertimer_ = addtimer(QStringLiteral("computertimer"), 1000, [this] {
        if (!timersbyhand_)
            computertimerTimer();
    });
    computertimer_->start();
    logintimer_ = addtimer(QStringLiteral("logintimer"), 1000, [this] {
        if (timersbyhand_)
            return;
        checklogins(clockms());
        checkheld(clockms());
    });
    logintimer_->start();

    spell_ = std::make_unique<TDictn>();
    listbox_words_.loadBuiltIn();
}

TServer::~TServer()
{
    endhosting();
    // The connections close as Sock1 goes; their reports must not reach a
    // server that is half destroyed.
    for (QObject *child : sock1_->children()) {
        if (auto *conn = dynamic_cast<TSock *>(child)) {
            conn->OnInfo = nullptr;
            conn->OnDisconnect = nullptr;
            conn->OnRead = nullptr;
        }
    }
    sock1_->OnAccept = nullptr;
    sock1_->OnRead = nullptr;
}

QTimer *TServer::addtimer(const QString &name, int interval, std::function<void()> handler)
{
    auto *timer = new QTimer(this);
    timer->setObjectName(name);
    timer->setInterval(interval);
    connect(timer, &QTimer::timeout, this, [handler = std::move(handler)] { guarded(handler); });
    return timer;
}

void TServer::setHostOptions(const HostOptions *options)
{
    options_ = options;
}

void TServer::setrejoingrace(int seconds)
{
    rejoingrace_ = std::max(0, seconds);
}

const TSeat &TServer::seat(int number) const
{
    return seats_.at(static_cast<std::size_t>(number));
}

void TServer::steptimersbyhand()
{
    timersbyhand_ = true;
}

void TServer::stepqueuebyhand(bool byhand)
{
    queuebyhand_ = byhand;
    queueresting_ = false;
    if (byhand)
        socktimer_->stop();
    else
        socktimer_->start(kQueueTickMs);
}

void TServer::stage(const StagedGame &staged)
{
    const auto set = [](auto &field, const auto &value) {
        if (value)
            field = *value;
    };
    set(game_.gameon, staged.gameon);
    set(game_.roundon, staged.roundon);
    set(game_.showwords, staged.showwords);
    set(game_.round, staged.round);
    set(game_.wordlength, staged.wordlength);
    set(game_.prefix, staged.prefix);
    set(game_.countdown, staged.countdown);
    set(game_.phase, staged.phase);
    set(game_.listbox_gotten, staged.listbox_gotten);
    if (staged.listbox_gotten)
        game_.gottenby = QList<int>(game_.listbox_gotten.size(), 0);
    set(game_.listbox_prefix, staged.listbox_prefix);
    for (const StagedGame::Totals &totals : staged.totals) {
        TSeat &s = seats_.at(static_cast<std::size_t>(totals.seat));
        s.score = totals.score;
        s.gamewords = totals.gamewords;
    }
}

qint64 TServer::clockms()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// --- connections ---

void TServer::Sock1Accept(TSock *)
{
    int seat = 0;
    for (int s = 1; s <= seatcount_; ++s) {
        if (!seats_[s].connected && !seats_[s].held) {
            seat = s;
            break;
        }
    }
    if (seat == 0 && seatcount_ < kMaxSeats)
        seat = seatcount_ + 1;

    if (seat == 0) {
        // All nine seats are held: tell the tenth and close it at once.
        TSeat &refused = seats_[kRefusedSeat];
        if (!sock1_->Accept(refused.sock) || !refused.sock)
            return;
        std::unique_ptr<TSock> conn(refused.sock);
        refused.sock = nullptr;
        conn->Send(Msg::full());
        return;
    }

    TSock *conn = nullptr;
    if (!sock1_->Accept(conn) || !conn)
        return;
    seatcount_ = std::max(seatcount_, seat);

    TSeat &s = seats_[seat];
    s.sock = conn;
    s.connected = true;
    s.loggedin = false;
    s.rejoinable = false;
    s.leaving = false;
    s.token.clear();
    s.seatedat = clockms();
    s.lastheard = s.seatedat;
    s.framer = Framer();
    conn->Tag = seat;
    conn->OnDisconnect = tempsock_->OnDisconnect;
    conn->OnInfo = tempsock_->OnInfo;
    conn->OnRead = sock1_->OnRead;
    conn->Send(Msg::sendlogininfo(seat));
}

void TServer::Sock1Read(TSock *sender, int)
{
    const int seat = sender->Tag;
    const QByteArray bytes = sender->Receive();
    if (!isseat(seat) || seats_[seat].sock != sender)
        return;
    TSeat &s = seats_[seat];
    s.lastheard = clockms();
    bool flooding = false;
    for (const QByteArray &text : s.framer.feed(bytes)) {
        ClientMessage message = decodeClientMessage(text);
        // Texts the server would ignore are dropped here, so junk never takes
        // a tick of the one queue that every connection shares.
        if (std::holds_alternative<Msg::Ignored>(message))
            continue;
        if (const auto *dropped = std::get_if<Msg::Dropped>(&message)) {
            // A remote client's bad number is its own problem, not the host's.
            qWarning().noquote() << "Lexiclash server: dropped a message of seat" << seat << "-"
                                 << dropped->error;
            continue;
        }
        // Quitting is noted as it arrives: the close that follows it at once
        // must find the seat marked before the queue reaches the message.
        if (const auto *leaving = std::get_if<Msg::Leaving>(&message)) {
            if (leaving->seat == seat)
                s.leaving = true;
            continue;
        }
        if (s.queued >= kMaxQueuedPerSeat) {
            flooding = true;
            break;
        }
        ++s.queued;
        receivedlist_.push(std::move(message), seat);
    }
    if (queueresting_ && !receivedlist_.isEmpty())
        wakequeue();
    if (flooding) {
        qWarning().noquote() << "Lexiclash server: seat" << seat
                             << "sent messages faster than they are handled; closing it";
        sender->Close();
        return;
    }
    if (s.framer.overflowed()) {
        qWarning().noquote() << "Lexiclash server: seat" << seat
                             << "sent an unterminated message over the size limit; closing it";
        sender->Close();
    }
}

void TServer::wakequeue()
{
    if (queuebyhand_)
        return;
    // The first message after a rest waits only for what is left of the tick
    // since the last one was handled: none at all after a pause, so a word
    // is judged as soon as it arrives, while a burst still goes one per tick.
    queueresting_ = false;
    const qint64 since = lasthandled_.isValid() ? lasthandled_.elapsed() : kQueueTickMs;
    socktimer_->start(int(std::clamp<qint64>(kQueueTickMs - since, 0, kQueueTickMs)));
}

void TServer::tempsockDisconnect(TSock *sender)
{
    const int seat = sender->Tag;
    if (isseat(seat) && seats_[seat].connected && seats_[seat].sock == sender)
        sender->Close();
}

void TServer::tempsockInfo(TSock *sender, TSockReport report, int errorNumber)
{
    const int seat = sender->Tag;
    if (!isseat(seat) || seats_[seat].sock != sender)
        return;
    if (report == TSockReport::SocketClosed) {
        const TSeat &s = seats_[seat];
        // A player who did not say he quits may come back to his seat.
        if (s.loggedin && s.rejoinable && !s.leaving && rejoingrace_ > 0)
            holdseat(seat);
        else
            freeseat(seat);
        updateleader();
        return;
    }
    // A connection that broke without a close would otherwise hold its seat
    // for ever; closing it takes the same road as a graceful close.
    if (report == TSockReport::ErrorNumber && isBrokenConnectionError(errorNumber))
        sender->Close();
}

void TServer::closeseat(int seat)
{
    TSeat &s = seats_[seat];
    TSock *conn = s.sock;
    s.connected = false;
    s.sock = nullptr;
    s.framer = Framer();
    // What the connection still had waiting goes with it: a newcomer in this
    // seat must not be taken for its sender.
    receivedlist_.dropFrom(seat);
    s.queued = 0;
    if (conn) {
        conn->Tag = 0;
        conn->deleteLater();
    }
}

void TServer::freeseat(int seat)
{
    TSeat &s = seats_[seat];
    const bool wasthere = s.connected || s.held;
    const QByteArray name = s.name;
    if (s.loggedin)
        note(QStringLiteral("player left: %1").arg(who(seat)));
    closeseat(seat);
    s.name.clear();
    s.loggedin = false;
    s.rejoinable = false;
    s.leaving = false;
    s.held = false;
    s.token.clear();
    if (!wasthere)
        return;
    const QByteArray message = Msg::playerdisconnected(seat, name);
    for (int other = 1; other <= seatcount_; ++other) {
        if (other != seat)
            sendto(other, message);
    }
    // A seat that is not connected does not hold the round open: the others
    // may all have given up already.
    endroundifallgaveup();
}

void TServer::checklogins(qint64 nowms)
{
    for (int seat = 1; seat <= seatcount_; ++seat) {
        const TSeat &s = seats_[seat];
        if (s.connected && !s.loggedin && s.sock &&
            nowms - s.seatedat >= qint64(kLoginTimeoutSecs) * 1000) {
            qWarning().noquote() << "Lexiclash server: seat" << seat
                                 << "did not log in in time; closing it";
            s.sock->Close();
        }
    }
}

void TServer::socktimerTimer()
{
    // A wake-up tick comes early; the ticks after it keep the full period.
    if (socktimer_->isActive() && socktimer_->interval() != kQueueTickMs)
        socktimer_->setInterval(kQueueTickMs);
    if (!receivedlist_.isEmpty())
        handleoldest();
    if (receivedlist_.isEmpty() && socktimer_->isActive()) {
        // Nothing waits: the timer rests until the next message arrives, so
        // an idle host costs no CPU. A queue stepped by hand never runs
        // its timer.
        socktimer_->stop();
        queueresting_ = true;
    }
}

void TServer::handleoldest()
{
    const std::optional<QueuedClientMessage> message = receivedlist_.take();
    lasthandled_.start();
    if (!message)
        return;
    if (isseat(message->origin) && seats_[message->origin].queued > 0)
        --seats_[message->origin].queued;
    try {
        dispatch(*message);
    } catch (const EConvertError &e) {
        // A game start whose game type is not a number stops half-way.
        qWarning().noquote() << "Lexiclash server: dropped a message of seat" << message->origin
                             << "-" << e.message();
    }
    updateleader();
}

void TServer::dispatch(const QueuedClientMessage &queued)
{
    if (!mayspeak(queued.message, queued.origin))
        return;
    std::visit(
        [this](const auto &m) {
            using T = std::decay_t<decltype(m)>;
            if constexpr (std::is_same_v<T, Msg::LoginInfo>)
                receivedlogininfo(m);
            else if constexpr (std::is_same_v<T, Msg::Kick>)
                kickhim(m);
            else if constexpr (std::is_same_v<T, Msg::ClientChat>)
                m.action ? action(m.line) : chat(m.line);
            else if constexpr (std::is_same_v<T, Msg::StartGameRequest>)
                startgame(m);
            else if constexpr (std::is_same_v<T, Msg::Word>)
                sendword(m);
            else if constexpr (std::is_same_v<T, Msg::GiveUp>)
                giveup(m.seat);
            else if constexpr (std::is_same_v<T, Msg::Rejoinable>)
                rejoinable(m.seat);
            else if constexpr (std::is_same_v<T, Msg::Rejoin>)
                rejoin(m);
            else if constexpr (std::is_same_v<T, Msg::Ping>)
                ping(m.seat);
        },
        queued.message);
}

void TServer::sendto(int seat, const QByteArray &message)
{
    const TSeat &s = seats_[seat];
    if (s.connected && s.sock)
        s.sock->Send(message);
}

void TServer::sendtoall(const QByteArray &message)
{
    for (int seat = 1; seat <= seatcount_; ++seat)
        sendto(seat, message);
}

// --- login, chat, removal ---

void TServer::receivedlogininfo(const Msg::LoginInfo &login)
{
    const int seat = login.seat;
    if (!isseat(seat) || !seats_[seat].connected)
        return;
    TSeat &s = seats_[seat];
    // Nobody inherits another player's numbers: a person who takes a seat
    // starts from zero, whoever had it before.
    if (!s.loggedin && seat <= numplayers)
        s.clearGame();
    s.name = login.name;
    s.loggedin = true;
    note(QStringLiteral("player joined: %1").arg(who(seat)));

    sendtoall(Msg::newplayerinfo(seat, s.name));
    for (int other = 1; other <= seatcount_; ++other) {
        if (other != seat && seats_[other].connected)
            sendto(seat, Msg::existingplayers(other, seats_[other].name));
    }
    if (login.version != QByteArray(kVersionText)) {
        sendto(1, Msg::havewrongversion(s.name));
        sendto(seat, Msg::wrongversion());
    }
    for (int other = 1; other <= numplayers; ++other) {
        if (other != seat && seats_[other].held)
            sendto(seat, Msg::playerlost(other));
    }
    sendgamestate(seat);
    tellleader(seat);
}

void TServer::sendgamestate(int seat)
{
    if (game_.gameon)
        sendto(seat, Msg::loadstats(gamestate(seat)));
}

Msg::LoadStats TServer::gamestate(int seat) const
{
    Msg::LoadStats stats;
    stats.seat = seat;
    stats.rounds = game_.rounds;
    stats.seconds = game_.roundtime;
    stats.lengthCode = game_.lengthcode;
    stats.round = game_.round;
    stats.length = game_.wordlength;
    stats.prefix = game_.prefix;
    // Between rounds the countdown is the pause's: nothing is left to play.
    stats.remaining = game_.roundon ? game_.countdown - 5 : 0;
    for (int p = 1; p <= numplayers; ++p)
        stats.totals.append({p, seats_[p].score});
    return stats;
}

void TServer::chat(const Msg::ChatLine &line)
{
    if (isseat(line.seat))
        sendtoall(Msg::chatRelay(seats_[line.seat].name, line.rest));
}

void TServer::action(const Msg::ChatLine &line)
{
    if (isseat(line.seat))
        sendtoall(Msg::actionRelay(seats_[line.seat].name, line.rest));
}

void TServer::disconnectsock(int seat)
{
    if (!isseat(seat))
        return;
    TSeat &s = seats_[seat];
    if (s.held) {
        freeseat(seat);
        return;
    }
    if (!s.connected || !s.sock)
        return;
    // A removed player does not get his seat back; his copy is told why.
    s.leaving = true;
    if (s.rejoinable)
        s.sock->Send(Msg::seatfreed(seat, Msg::SeatFreed::Removed));
    s.sock->Close();
}

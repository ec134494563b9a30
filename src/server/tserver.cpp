#include "server/tserver.h"

#include "common/errors.h"
#include "common/guard.h"
#include "common/intconv.h"
#include "common/ports.h"
#include "common/random.h"
#include "common/version.h"
#include "dict/roundrule.h"
#include "dict/tdictn.h"
#include "net/messages.h"
#include "server/hostoptions.h"
#include "server/submittedword.h"

#include <QDebug>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <climits>

namespace {
constexpr int kDefaultPause = 12;
constexpr int kDefaultBotInterval = 1200;
constexpr int kRefusedSeat = TServer::kMaxSeats + 1;

// The commands the server handles; everything else it ignores.
bool understood(const QByteArray &command)
{
    static const std::array<QByteArrayView, 7> commands = {
        Cmd::logininfo, Cmd::kickhim,  Cmd::chat,  Cmd::action,
        Cmd::startgame, Cmd::sendword, Cmd::giveup};
    return std::find(commands.begin(), commands.end(), command) != commands.end();
}

bool isSeat(int seat)
{
    return seat >= 1 && seat <= TServer::kMaxSeats;
}

// Game type of the start window to the length code sent to the clients.
int lengthcodeforgametype(int gametype)
{
    switch (gametype) {
    case 1:
        return 3;
    case 2:
        return 4;
    case 3:
        return 5;
    case 4:
        return 6;
    case 5:
        return 7;
    case 6:
        return 8;
    default:
        return 0;
    }
}
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

    tempsock = new TSock(this);
    tempsock->setObjectName(QStringLiteral("tempsock"));
    tempsock->OnDisconnect = [this](TSock *sender) {
        guarded([&] { tempsockDisconnect(sender); });
    };
    tempsock->OnInfo = [this](TSock *sender, TSocketInfo info, const QString &msg) {
        guarded([&] { tempsockInfo(sender, info, msg); });
    };

    socktimer = addtimer(QStringLiteral("socktimer"), kQueueTickMs, [this] { socktimerTimer(); });
    socktimer->start();
    roundtimer = addtimer(QStringLiteral("roundtimer"), 1000, [this] { roundtimerTimer(); });
    computertimer =
        addtimer(QStringLiteral("computertimer"), 1000, [this] { computertimerTimer(); });
    computertimer->start();
    logintimer = addtimer(QStringLiteral("logintimer"), 1000, [this] { checklogins(clockms()); });
    logintimer->start();

    spell = std::make_unique<TDictn>();
    listbox_words.loadBuiltIn();
}

TServer::~TServer()
{
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

qint64 TServer::clockms()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// --- connections ---

void TServer::Sock1Accept(TSock *)
{
    int seat = 0;
    for (int s = 1; s <= seatcount; ++s) {
        if (!seats[s].connected) {
            seat = s;
            break;
        }
    }
    if (seat == 0 && seatcount < kMaxSeats)
        seat = seatcount + 1;

    if (seat == 0) {
        // All nine seats are held: tell the tenth and close it at once.
        TSeat &refused = seats[kRefusedSeat];
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
    seatcount = std::max(seatcount, seat);

    TSeat &s = seats[seat];
    if (seat == 2 && computerplayed) {
        s.score = 0;
        s.roundwords = 0;
        s.roundletters = 0;
        s.gamewords = 0;
        s.gaveup = false;
        computerplayed = false;
    }
    s.sock = conn;
    s.connected = true;
    s.loggedin = false;
    s.seatedat = clockms();
    s.framer = Framer();
    conn->Tag = seat;
    conn->OnDisconnect = tempsock->OnDisconnect;
    conn->OnInfo = tempsock->OnInfo;
    conn->OnRead = sock1_->OnRead;
    conn->Send(Msg::sendlogininfo(seat));
}

void TServer::Sock1Read(TSock *sender, int)
{
    const int seat = sender->Tag;
    const QByteArray bytes = sender->Receive();
    if (!isSeat(seat) || seats[seat].sock != sender)
        return;
    TSeat &s = seats[seat];
    bool flooding = false;
    for (QByteArray &text : s.framer.feed(bytes)) {
        // Texts the server would ignore are dropped here, so junk never takes
        // a tick of the one queue that every connection shares.
        if (!understood(splitMessage(text).command))
            continue;
        if (s.queued >= kMaxQueuedPerSeat) {
            flooding = true;
            break;
        }
        ++s.queued;
        receivedlist.push(std::move(text), seat);
    }
    if (queueresting_ && !receivedlist.isEmpty())
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
    // The first message after a rest waits only for what is left of the tick
    // since the last one was handled: none at all after a pause, so a word
    // is judged as soon as it arrives, while a burst still goes one per tick.
    queueresting_ = false;
    const qint64 since = lasthandled_.isValid() ? lasthandled_.elapsed() : kQueueTickMs;
    socktimer->start(int(std::clamp<qint64>(kQueueTickMs - since, 0, kQueueTickMs)));
}

void TServer::tempsockDisconnect(TSock *sender)
{
    const int seat = sender->Tag;
    if (isSeat(seat) && seats[seat].connected && seats[seat].sock == sender)
        sender->Close();
}

void TServer::tempsockInfo(TSock *sender, TSocketInfo info, const QString &msg)
{
    const int seat = sender->Tag;
    if (!isSeat(seat) || seats[seat].sock != sender)
        return;
    if (sender->lastReport() == TSockReport::SocketClosed) {
        freeseat(seat);
        return;
    }
    // A connection that broke without a close would otherwise hold its seat
    // for ever; closing it takes the same road as a graceful close.
    if (info == TSocketInfo::siError && isbrokenconnection(msg))
        sender->Close();
}

bool TServer::isbrokenconnection(const QString &msg) const
{
    const int codes[] = {wsaErrorFromErrno(ECONNRESET),
                         wsaErrorFromErrno(EPIPE),
                         wsaErrorFromErrno(ECONNABORTED),
                         wsaErrorFromErrno(ETIMEDOUT),
                         10053,
                         10054,
                         10060};
    for (const int code : codes) {
        if (code > 0 && msg.startsWith(QStringLiteral("Error #%1 (").arg(code)))
            return true;
    }
    return false;
}

void TServer::freeseat(int seat)
{
    TSeat &s = seats[seat];
    TSock *conn = s.sock;
    const bool wasconnected = s.connected;
    const QByteArray name = s.name;
    s.connected = false;
    s.name.clear();
    s.sock = nullptr;
    s.loggedin = false;
    s.framer = Framer();
    // What the connection still had waiting goes with it: a newcomer in this
    // seat must not be taken for its sender.
    receivedlist.dropFrom(seat);
    s.queued = 0;
    if (conn)
        conn->deleteLater();
    if (!wasconnected)
        return;
    const QByteArray message = Msg::playerdisconnected(seat, name);
    for (int other = 1; other <= seatcount; ++other) {
        if (other != seat)
            sendto(other, message);
    }
}

void TServer::checklogins(qint64 nowms)
{
    for (int seat = 1; seat <= seatcount; ++seat) {
        const TSeat &s = seats[seat];
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
    if (socktimer->isActive() && socktimer->interval() != kQueueTickMs)
        socktimer->setInterval(kQueueTickMs);
    if (!receivedlist.isEmpty())
        handleoldest();
    if (receivedlist.isEmpty() && socktimer->isActive()) {
        // Nothing waits: the timer rests until the next message arrives, so
        // an idle host costs no CPU. A test that stopped the timer to step the
        // queue by hand keeps it stopped.
        socktimer->stop();
        queueresting_ = true;
    }
}

void TServer::handleoldest()
{
    const QueuedMessage message = receivedlist.take();
    lasthandled_.start();
    if (isSeat(message.origin) && seats[message.origin].queued > 0)
        --seats[message.origin].queued;
    try {
        dispatch(message);
    } catch (const EConvertError &e) {
        // A remote client's bad number is its own problem, not the host's.
        qWarning().noquote() << "Lexiclash server: dropped a message of seat" << message.origin
                             << "-" << e.message();
    }
}

void TServer::dispatch(const QueuedMessage &message)
{
    const SplitMessage m = splitMessage(message.text);
    if (m.command.isEmpty())
        return;
    const int origin = message.origin;
    // A message speaks only for the connection it came from.
    const auto ownseat = [&] { return FieldReader(m.body).nextInt() == origin; };

    if (m.command == Cmd::logininfo) {
        if (ownseat())
            receivedlogininfo(m.body);
    } else if (m.command == Cmd::kickhim) {
        if (origin == 1 && ownseat())
            kickhim(m.body);
    } else if (m.command == Cmd::chat) {
        if (ownseat())
            chat(m.body);
    } else if (m.command == Cmd::action) {
        if (ownseat())
            action(m.body);
    } else if (m.command == Cmd::startgame) {
        if (origin == 1)
            startgame(m.body);
    } else if (m.command == Cmd::sendword) {
        if (ownseat())
            sendword(m.body);
    } else if (m.command == Cmd::giveup) {
        if (ownseat())
            giveup(m.body);
    }
}

void TServer::sendto(int seat, const QByteArray &message)
{
    const TSeat &s = seats[seat];
    if (s.connected && s.sock)
        s.sock->Send(message);
}

void TServer::sendtoall(const QByteArray &message)
{
    for (int seat = 1; seat <= seatcount; ++seat)
        sendto(seat, message);
}

// --- login, chat, removal ---

void TServer::receivedlogininfo(const QByteArray &body)
{
    const Msg::LoginInfo login = Msg::readLogininfo(body);
    const int seat = login.seat;
    if (!isSeat(seat) || !seats[seat].connected)
        return;
    TSeat &s = seats[seat];
    s.name = login.name;
    s.loggedin = true;

    sendtoall(Msg::newplayerinfo(seat, s.name));
    for (int other = 1; other <= seatcount; ++other) {
        if (other != seat && seats[other].connected)
            sendto(seat, Msg::existingplayers(other, seats[other].name));
    }
    if (login.version != QByteArray(kVersionText)) {
        sendto(1, Msg::havewrongversion(s.name));
        sendto(seat, Msg::wrongversion());
    }
    if (gameon) {
        Msg::LoadStats stats;
        stats.seat = seat;
        stats.rounds = rounds;
        stats.seconds = roundtime;
        stats.lengthCode = lengthcode;
        stats.round = round;
        stats.length = wordlength;
        stats.prefix = prefix;
        stats.remaining = countdown - 5;
        for (int p = 1; p <= numplayers; ++p)
            stats.totals.append({p, seats[p].score});
        sendto(seat, Msg::loadstats(stats));
    }
}

void TServer::chat(const QByteArray &body)
{
    const Msg::ChatLine line = Msg::readChat(body);
    if (isSeat(line.seat))
        sendtoall(Msg::chatRelay(seats[line.seat].name, line.rest));
}

void TServer::action(const QByteArray &body)
{
    const Msg::ChatLine line = Msg::readChat(body);
    if (isSeat(line.seat))
        sendtoall(Msg::actionRelay(seats[line.seat].name, line.rest));
}

void TServer::kickhim(const QByteArray &body)
{
    const Msg::Kick kick = Msg::readKickhim(body);
    if (kick.sender != 1 || !isSeat(kick.target))
        return;
    disconnectsock(kick.target);
}

void TServer::disconnectsock(int seat)
{
    if (isSeat(seat) && seats[seat].connected && seats[seat].sock)
        seats[seat].sock->Close();
}

// --- game flow ---

void TServer::startgame(const QByteArray &body)
{
    computertimer->stop();
    if (listbox_prefix.size() > 26)
        listbox_prefix.clear();
    roundtimer->stop();
    gameon = true;

    const Msg::StartGameRequest request = Msg::readStartgameRequest(body);
    const int gametype = strToInt(request.gameType);
    int value = 0;
    rounds = tryStrToInt(request.rounds, value) ? value : 5;
    roundtime = tryStrToInt(request.seconds, value) ? value : 60;
    showwords = request.show != "0";
    lengthcode = lengthcodeforgametype(gametype);

    sendtoall(Msg::startgame(request.name, rounds, roundtime, lengthcode));
    for (int seat = 1; seat <= numplayers; ++seat) {
        TSeat &s = seats[seat];
        s.score = 0;
        s.roundwords = 0;
        s.roundletters = 0;
        s.gamewords = 0;
    }
    computerplayed = false;
    wordlength = 0;
    round = 0;
    starttheround();
}

void TServer::starttheround()
{
    computertimer->stop();
    ++round;
    if (round > rounds && checkforwin())
        return;

    listbox_gotten.clear();
    for (int seat = 1; seat <= numplayers; ++seat) {
        TSeat &s = seats[seat];
        s.roundwords = 0;
        s.roundletters = 0;
        s.gaveup = false;
    }
    drawround();
    listbox_prefix.append(prefix);
    roundon = true;

    for (int seat = 1; seat <= seatcount; ++seat) {
        Msg::StartRound start;
        start.round = round;
        start.seconds = roundtime;
        start.length = wordlength;
        start.prefix = prefix;
        start.seat = seat <= numplayers ? seat : 1;
        start.starter = starterword;
        sendto(seat, Msg::startround(start));
    }

    if (!seats[2].connected) {
        computerplayed = true;
        computertimer->setInterval(botspeed());
        computertimer->start();
    }
    roundtimer->stop();
    countdown = roundtime > INT_MAX - 4 ? INT_MAX : roundtime + 4;
    phase = 1;
    roundtimer->start();
}

void TServer::drawround()
{
    for (int draw = 0;; ++draw) {
        // Every prefix possible for the lengths drawn may have been used;
        // forgetting them lets the game go on.
        if (draw == kMaxPrefixDraws)
            listbox_prefix.clear();
        if (lengthcode == 8) {
            const int r = Random::below(10);
            wordlength = r >= 3 && r <= 7 ? r : 0;
        } else {
            wordlength = lengthcode;
        }
        const QByteArray word = listbox_words.drawStarter(wordlength);
        int length = 1;
        if (wordlength == 4)
            length = 1 + Random::below(2);
        else if (wordlength != 3)
            length = 1 + Random::below(3);
        const QByteArray candidate = word.left(length);
        if (!listbox_prefix.contains(candidate)) {
            prefix = candidate;
            starterword = word;
            return;
        }
    }
}

void TServer::sendword(const QByteArray &body)
{
    const Msg::Word submitted = Msg::readSendword(body);
    const int seat = submitted.seat;
    if (!roundon || seat < 1 || seat > numplayers)
        return;
    // Length, repeat check, lookup, points and the word everybody is shown
    // all use the one trimmed form, so padding cannot make a word count twice.
    const QByteArray word = submittedWord(submitted.word);
    const int n = static_cast<int>(word.size());

    const Refusal refusal = RoundRule{prefix, wordlength}.judge(word, *spell, listbox_gotten);
    if (refusal != Refusal::None) {
        sendto(seat, Msg::notvalid(seat, static_cast<int>(refusal)));
        return;
    }

    listbox_gotten.append(word);
    TSeat &s = seats[seat];
    ++s.roundwords;
    ++s.gamewords;
    s.roundletters += n;

    const QByteArray message = Msg::gotword(seat, word, n);
    if (showwords)
        sendtoall(message);
    else
        sendto(seat, message);
}

void TServer::giveup(const QByteArray &body)
{
    const int seat = Msg::readGiveup(body);
    if (!isSeat(seat))
        return;
    seats[seat].gaveup = true;
    if (!roundon || countdown < 5)
        return;
    for (int player = 1; player <= numplayers; ++player) {
        if (seats[player].connected && !seats[player].gaveup)
            return;
    }
    endtheround();
}

void TServer::endtheround()
{
    roundon = false;
    computertimer->stop();
    std::array<Msg::SeatScore, numplayers> report;
    for (int seat = 1; seat <= numplayers; ++seat) {
        TSeat &s = seats[seat];
        s.score += s.roundletters;
        report[seat - 1] = {seat, s.score, s.gamewords, s.roundwords, s.roundletters};
    }
    sendtoall(Msg::endround(report));
    roundtimer->stop();
    phase = 2;
    countdown = pausebetweenrounds();
    roundtimer->start();
}

bool TServer::checkforwin()
{
    int best = 1;
    for (int seat = 2; seat <= numplayers; ++seat) {
        if (seats[seat].score > seats[best].score)
            best = seat;
    }
    for (int seat = 1; seat <= numplayers; ++seat) {
        if (seat != best && seats[seat].score == seats[best].score)
            return false;
    }
    sendtoall(Msg::winner(best));
    gameon = false;
    return true;
}

void TServer::roundtimerTimer()
{
    --countdown;
    if (countdown >= 1)
        return;
    roundtimer->stop();
    if (phase == 1)
        endtheround();
    else if (phase == 2)
        starttheround();
}

int TServer::pausebetweenrounds() const
{
    const int pause = options_ ? options_->pauseBetweenRounds() : kDefaultPause;
    return pause >= 20 ? 12 : pause;
}

int TServer::botspeed() const
{
    const int interval = options_ ? options_->botInterval() : kDefaultBotInterval;
    return std::max(1, interval);
}

// --- computer player ---

void TServer::computertimerTimer()
{
    if (seats[2].connected || !roundon)
        return;
    if (Random::below(10) <= 3)
        return;
    if (countdown <= 4)
        return;
    computerfindword();
}

void TServer::computerfindword()
{
    const QByteArray word = listbox_words.findFitting(wordlength, prefix, kComputerAttempts);
    if (!word.isEmpty())
        sendword(Msg::sendwordBody(2, word));
}

#include "model/gamemodel.h"

#include "common/guard.h"

#include <QTimer>

#include <algorithm>

#include <type_traits>

const QString GameModel::kWaiting = QStringLiteral("<Waiting>");
const QString GameModel::kComputer = QStringLiteral("Klot");
const QString GameModel::kLeader = QStringLiteral("LEADER!");

namespace {
// Seconds per round from which the countdown bar keeps its old scale.
constexpr int kBarLimit = 300;
// A late-comer told this many seconds or fewer waits for the next round.
constexpr int kTooLateToPlay = 9;
} // namespace

GameModel::GameModel(QObject *parent)
    : QObject(parent)
{
    turntime = new QTimer(this);
    turntime->setObjectName(QStringLiteral("turntime"));
    turntime->setInterval(1000);
    connect(turntime, &QTimer::timeout, this, [this] { guarded([this] { turntimeTimer(); }); });
}

QString GameModel::computerName(int seat)
{
    // Only seat 2 is ever played by the computer; the other names only keep
    // the departure of such a name out of the chat.
    static const std::array<QString, kPlayerSeats> names{QString(),
                                                         QStringLiteral("Klot"),
                                                         QStringLiteral("Klick"),
                                                         QStringLiteral("Kling"),
                                                         QStringLiteral("Klick"),
                                                         QStringLiteral("Krazy")};
    if (seat < 1 || seat > kPlayerSeats)
        return {};
    return names[static_cast<std::size_t>(seat - 1)];
}

GameModel::Seat *GameModel::seat(int number)
{
    if (number < 1 || number > kPlayerSeats)
        return nullptr;
    return &seats_[static_cast<std::size_t>(number - 1)];
}

const GameModel::Seat *GameModel::seat(int number) const
{
    if (number < 1 || number > kPlayerSeats)
        return nullptr;
    return &seats_[static_cast<std::size_t>(number - 1)];
}

QString GameModel::name(int number) const
{
    const Seat *s = seat(number);
    return s ? s->name : QString();
}

bool GameModel::occupied(int number) const
{
    const Seat *s = seat(number);
    return s && s->name != kWaiting;
}

bool GameModel::connected(int number) const
{
    const Seat *s = seat(number);
    return s && s->connected;
}

bool GameModel::lost(int number) const
{
    const Seat *s = seat(number);
    return s && s->lost;
}

int GameModel::total(int number) const
{
    const Seat *s = seat(number);
    return s ? s->total : 0;
}

int GameModel::rankedTotal(int number) const
{
    const Seat *s = seat(number);
    return s ? s->rankedTotal : 0;
}

QString GameModel::lastWord(int number) const
{
    const Seat *s = seat(number);
    return s ? s->lastWord : QString();
}

SeatPanel GameModel::panel(int number) const
{
    const Seat *s = seat(number);
    return s ? s->panel : SeatPanel{};
}

void GameModel::apply(const ServerMessage &message)
{
    std::visit(
        [this](const auto &m) {
            using T = std::decay_t<decltype(m)>;
            if constexpr (std::is_same_v<T, Msg::SendLoginInfo>)
                onSendLoginInfo(m);
            else if constexpr (std::is_same_v<T, Msg::Arrival>)
                onArrival(m);
            else if constexpr (std::is_same_v<T, Msg::Departure>)
                onDeparture(m);
            else if constexpr (std::is_same_v<T, Msg::StartGame>)
                onStartGame(m);
            else if constexpr (std::is_same_v<T, Msg::StartRound>)
                onStartRound(m);
            else if constexpr (std::is_same_v<T, Msg::LoadStats>)
                onLoadStats(m);
            else if constexpr (std::is_same_v<T, Msg::GotWord>)
                onGotWord(m);
            else if constexpr (std::is_same_v<T, Msg::NotValid>)
                onNotValid(m);
            else if constexpr (std::is_same_v<T, Msg::EndRound>)
                onEndRound(m);
            else if constexpr (std::is_same_v<T, Msg::Winner>)
                onWinner(m);
            else if constexpr (std::is_same_v<T, Msg::PlayerLost>)
                onPlayerLost(m.seat, true);
            else if constexpr (std::is_same_v<T, Msg::PlayerBack>)
                onPlayerLost(m.seat, false);
            else if constexpr (std::is_same_v<T, Msg::Rejoined>)
                onRejoined();
            else if constexpr (std::is_same_v<T, Msg::Leader>)
                onLeadingSeat(m.seat);
        },
        message);
}

void GameModel::onSendLoginInfo(const Msg::SendLoginInfo &login)
{
    mySeat_ = login.seat;
    loggedIn_ = true;
    emit seatAssigned(mySeat_);
}

void GameModel::onArrival(const Msg::Arrival &arrival)
{
    const int number = arrival.player.seat;
    // A seat the server never hands out has no row and no spy line.
    if (number < 1 || number > kHighestSeat)
        return;
    const QString shown = QString::fromUtf8(arrival.player.name);
    if (Seat *s = seat(number)) {
        // Somebody already on the board, named again as this copy takes its
        // seat back, is no news.
        const bool known = resyncing_ && arrival.existing && s->connected && s->name == shown;
        if (resyncing_)
            resynced_[static_cast<std::size_t>(number - 1)] = true;
        // A newcomer starts from zero: nobody inherits another's numbers.
        if (!arrival.existing && number != mySeat_) {
            s->total = 0;
            s->rankedTotal = 0;
            s->lastWord.clear();
            s->panel = SeatPanel{};
        }
        s->name = shown;
        s->connected = true;
        s->lost = false;
        emit seatChanged(number);
        if (known)
            return;
    } else {
        const bool known =
            resyncing_ && std::any_of(spies_.cbegin(), spies_.cend(), [&](const auto &spy) {
                return spy.seat == number && spy.name == arrival.player.name;
            });
        if (known)
            return;
        spies_.append(arrival.player);
    }
    emit playerArrived(number, shown, arrival.existing);
}

void GameModel::onPlayerLost(int number, bool isLost)
{
    Seat *s = seat(number);
    if (!s || !s->connected || s->lost == isLost)
        return;
    s->lost = isLost;
    emit seatChanged(number);
    if (isLost)
        emit playerLost(number, s->name);
    else
        emit playerBack(number, s->name);
}

void GameModel::endTurn()
{
    turnActive_ = false;
    entryOpen_ = false;
    turnseat_ = 0;
    stopCountdown();
}

void GameModel::beginResync()
{
    resyncing_ = true;
    resyncLoaded_ = false;
    resynced_.fill(false);
    // The round's words come again from the server.
    listedWords_.clear();
    if (!history_.isEmpty() && !history_.last().ended)
        history_.last().words.clear();
    emit wordsCleared();
}

void GameModel::onLeadingSeat(int seat)
{
    leadingSeat_ = seat;
    emit leadingSeatChanged(seat);
}

void GameModel::onRejoined()
{
    if (!resyncing_)
        return;
    resyncing_ = false;
    // Without a game's state the game ended while this copy was away.
    if (!resyncLoaded_ && turntime->isActive())
        endTurn();
    // Players who left while this copy was away are gone from the board.
    for (int number = 1; number <= kPlayerSeats; ++number) {
        Seat &s = seats_[static_cast<std::size_t>(number - 1)];
        if (number == mySeat_ || resynced_[static_cast<std::size_t>(number - 1)] || !s.connected)
            continue;
        s.name = number == 2 ? kComputer : kWaiting;
        s.connected = false;
        s.lost = false;
        emit seatChanged(number);
    }
    emit rejoined();
}

void GameModel::onDeparture(const Msg::Departure &departure)
{
    if (departure.seat < 1 || departure.seat > kHighestSeat)
        return;
    if (Seat *s = seat(departure.seat)) {
        const QString shown = s->name;
        const bool announce = shown != kWaiting && shown != computerName(departure.seat);
        // The seat text as sent decides: only seat 2 falls back to the computer.
        s->name = departure.seatText == "2" ? kComputer : kWaiting;
        s->connected = false;
        s->lost = false;
        emit seatChanged(departure.seat);
        emit playerLeft(departure.seat, shown, announce);
        return;
    }
    // A spy line reads "seat: name" with the seat as the server wrote it.
    for (qsizetype i = 0; i < spies_.size(); ++i) {
        const Msg::PlayerInfo &spy = spies_[i];
        if (QByteArray::number(spy.seat) == departure.seatText && spy.name == departure.name) {
            spies_.removeAt(i);
            emit spyLeft(departure.seat, QString::fromUtf8(departure.name));
            return;
        }
    }
}

void GameModel::clearall()
{
    for (std::size_t i = 0; i < seats_.size(); ++i) {
        Seat &s = seats_[i];
        s.total = 0;
        s.lastWord.clear();
        // The panel keeps its name until the next round end.
        s.panel = SeatPanel{s.panel.name};
        emit seatChanged(static_cast<int>(i) + 1);
    }
    winner_ = 0;
    entryOpen_ = false;
    listedWords_.clear();
    emit wordsCleared();
    emit scoresChanged();
}

void GameModel::setOptions(int rounds, int seconds, int lengthCode)
{
    rounds_ = rounds;
    seconds_ = seconds;
    lengthCode_ = lengthCode;
    // Long rounds keep the bar's scale as it was.
    if (seconds > 0 && seconds < kBarLimit)
        barSeconds_ = seconds;
    emit optionsChanged();
}

void GameModel::setPhase(Phase phase)
{
    phase_ = phase;
    emit phaseChanged();
}

void GameModel::setScoresShown(bool shown)
{
    if (scoresShown_ == shown)
        return;
    scoresShown_ = shown;
    emit scoresShownChanged(shown);
}

void GameModel::onStartGame(const Msg::StartGame &game)
{
    setScoresShown(false);
    gameOn_ = true;
    turnActive_ = false;
    timeleft_ = 0;
    clearall();
    setOptions(game.rounds, game.seconds, game.lengthCode);
    round_ = 0;
    wordsShown_ = WordsShown::Unknown;
    history_.clear();
    emit gameStarted(QString::fromUtf8(game.name));
    // Nobody holds seat 2, so the computer player takes it.
    if (seats_[1].name == kWaiting) {
        seats_[1].name = kComputer;
        emit seatChanged(2);
    }
}

void GameModel::beginOwnTurn()
{
    watching_ = false;
    entryOpen_ = true;
    setPhase(Phase::OwnTurn);
}

void GameModel::watchTurn(int number)
{
    watchedSeat_ = number;
    watching_ = true;
    setPhase(Phase::Watching);
}

void GameModel::startCountdown(int seconds)
{
    turnActive_ = true;
    timeleft_ = seconds;
    emit countdownStarted(timeleft_);
    turntime->start();
}

void GameModel::stopCountdown()
{
    turntime->stop();
    timeleft_ = 0;
    emit countdownStopped();
}

void GameModel::onStartRound(const Msg::StartRound &start)
{
    setScoresShown(false);
    turnseat_ = start.seat;
    round_ = start.round;
    roundLength_ = start.length;
    prefix_ = QString::fromUtf8(start.prefix);
    starter_ = QString::fromUtf8(start.starter.toUpper());

    RoundRecord &record = appendRecord();
    record.starter = starter_;
    record.seenFromStart = true;

    listedWords_.clear();
    emit wordsCleared();
    if (turnseat_ == mySeat_)
        beginOwnTurn();
    else
        watchTurn(turnseat_);
    startCountdown(start.seconds);
    emit roundStarted();
}

void GameModel::onLoadStats(const Msg::LoadStats &stats)
{
    if (stats.seat != mySeat_)
        return;
    for (const auto &[number, value] : stats.totals) {
        // Only the shown total: the leader test keeps ranking by round ends.
        if (Seat *s = seat(number)) {
            s->total = value;
            emit seatChanged(number);
        }
    }
    emit scoresChanged();
    setOptions(stats.rounds, stats.seconds, stats.lengthCode);
    const bool sameRound = resyncing_ && !history_.isEmpty() && !history_.last().ended &&
                           history_.last().round == stats.round && round_ == stats.round;
    round_ = stats.round;
    roundLength_ = stats.length;
    prefix_ = QString::fromUtf8(stats.prefix);

    if (!sameRound)
        appendRecord();
    resyncLoaded_ = true;
    emit gameLoaded();

    if (stats.remaining <= kTooLateToPlay) {
        // A copy coming back between rounds must not go on counting its old round.
        if (turntime->isActive())
            endTurn();
        setPhase(Phase::WaitForNextRound);
        return;
    }
    if (isSpy()) {
        // A spy arriving mid-round has not been told a seat yet; spies always
        // watch seat 1.
        watchTurn(turnseat_ >= 1 ? turnseat_ : 1);
    } else {
        beginOwnTurn();
        turnseat_ = mySeat_;
    }
    startCountdown(stats.remaining);
}

void GameModel::turntimeTimer()
{
    --timeleft_;
    if (timeleft_ > 0) {
        emit countdownTicked(timeleft_);
        return;
    }
    timeleft_ = 0;
    const bool timeUp = turnActive_;
    if (timeUp) {
        turnActive_ = false;
        setPhase(Phase::TimeUp);
    }
    turnseat_ = 0;
    entryOpen_ = false;
    emit countdownExpired(timeUp);
}

RoundRecord &GameModel::appendRecord()
{
    RoundRecord record;
    record.round = round_;
    record.tieBreak = tieBreak();
    record.length = roundLength_;
    record.prefix = prefix_;
    history_.append(record);
    return history_.last();
}

RoundRecord *GameModel::openRecord()
{
    if (history_.isEmpty() || history_.last().ended)
        return nullptr;
    return &history_.last();
}

void GameModel::onGotWord(const Msg::GotWord &got)
{
    Seat *s = seat(got.seat);
    // The server only reports words of player seats; anything else has no row.
    if (!s)
        return;
    const ListedWord found{got.seat, QString::fromUtf8(got.word), got.length, s->name};
    listedWords_.append(found);
    if (RoundRecord *record = openRecord())
        record->words.append(found);
    s->lastWord = found.word;
    if (got.seat != mySeat_)
        wordsShown_ = WordsShown::ToAll;
    emit seatChanged(got.seat);
    emit wordFound(got.seat, found.word, found.points);
}

void GameModel::onNotValid(const Msg::NotValid &refusal)
{
    if (refusal.seat != mySeat_)
        return;
    emit wordRefused(refusal.reason);
}

void GameModel::onEndRound(const Msg::EndRound &end)
{
    // A copy that arrived after the round's start was told opens the record now.
    RoundRecord *record = openRecord();
    if (!record)
        record = &appendRecord();
    for (const Msg::SeatScore &score : end.scores) {
        Seat *s = seat(score.seat);
        if (!s)
            continue;
        s->total = score.total;
        s->rankedTotal = score.total;
        s->panel =
            SeatPanel{s->name, score.roundWords, score.roundPoints, score.gameWords, score.total};
        record->scores[static_cast<std::size_t>(score.seat - 1)] = score;
        emit seatChanged(score.seat);
    }
    record->ended = true;
    inferWordsShown(*record);

    turnActive_ = false;
    entryOpen_ = false;
    // The round is over, also when it ended early: its clock stops.
    stopCountdown();
    setPhase(Phase::PostingScores);
    setScoresShown(true);
    emit scoresChanged();
    markLeader();
}

void GameModel::inferWordsShown(const RoundRecord &record)
{
    if (wordsShown_ != WordsShown::Unknown || !record.seenFromStart)
        return;
    // Words of others that counted but never reached us were told to their
    // finders only.
    for (const Msg::SeatScore &score : record.scores) {
        if (score.seat < 1 || score.seat == mySeat_)
            continue;
        const auto seen = std::count_if(record.words.cbegin(), record.words.cend(),
                                        [&](const ListedWord &w) { return w.seat == score.seat; });
        if (score.roundWords > seen) {
            wordsShown_ = WordsShown::ToFinderOnly;
            return;
        }
    }
}

void GameModel::markLeader()
{
    // A tie keeps the lower seat; an empty row never leads.
    int best = 1;
    for (int number = 2; number <= kPlayerSeats; ++number) {
        if (rankedTotal(number) > rankedTotal(best) && occupied(number))
            best = number;
    }
    leader_ = best;
    seat(best)->lastWord = kLeader;
    emit seatChanged(best);
    emit leaderChanged(best);
}

void GameModel::onWinner(const Msg::Winner &win)
{
    // A seat without a row is not a winner the board can show.
    if (!seat(win.seat))
        return;
    winner_ = win.seat;
    gameOn_ = false;
    stopCountdown();
    setPhase(Phase::GameOver);
    emit gameOver(win.seat);
}

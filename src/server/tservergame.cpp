// Game flow and scoring: games and rounds, judging words, giving up, the
// end of a round and the winner.

#include "server/tserver.h"

#include "common/intconv.h"
#include "common/random.h"
#include "dict/roundrule.h"
#include "dict/tdictn.h"
#include "net/messages.h"
#include "server/hostoptions.h"
#include "server/submittedword.h"

#include <QTimer>

#include <algorithm>
#include <array>
#include <climits>

namespace {
constexpr int kDefaultPause = 12;
constexpr int kDefaultBotInterval = 1200;

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

void TServer::startgame(const Msg::StartGameRequest &asked)
{
    const Msg::StartGameRequest request = options_ ? options_->gameOptions(asked) : asked;
    computertimer_->stop();
    if (game_.listbox_prefix.size() > 26)
        game_.listbox_prefix.clear();
    roundtimer_->stop();
    game_.gameon = true;

    const int gametype = strToInt(request.gameType);
    int value = 0;
    game_.rounds = tryStrToInt(request.rounds, value) ? value : 5;
    game_.roundtime = tryStrToInt(request.seconds, value) ? value : 60;
    game_.showwords = request.show != "0";
    game_.lengthcode = lengthcodeforgametype(gametype);

    sendtoall(Msg::startgame(request.name, game_.rounds, game_.roundtime, game_.lengthcode));
    note(QStringLiteral("game started: %1 rounds of %2 s, length code %3, words %4")
             .arg(game_.rounds)
             .arg(game_.roundtime)
             .arg(game_.lengthcode)
             .arg(game_.showwords ? QStringLiteral("shown") : QStringLiteral("hidden")));
    for (int seat = 1; seat <= numplayers; ++seat)
        seats_[seat].clearGame();
    game_.wordlength = 0;
    game_.round = 0;
    starttheround();
}

void TServer::starttheround()
{
    computertimer_->stop();
    ++game_.round;
    if (game_.round > game_.rounds && checkforwin())
        return;

    game_.listbox_gotten.clear();
    game_.gottenby.clear();
    for (int seat = 1; seat <= numplayers; ++seat)
        seats_[seat].clearRound();
    drawround();
    game_.listbox_prefix.append(game_.prefix);
    game_.roundon = true;

    for (int seat = 1; seat <= seatcount_; ++seat) {
        Msg::StartRound start;
        start.round = game_.round;
        start.seconds = game_.roundtime;
        start.length = game_.wordlength;
        start.prefix = game_.prefix;
        start.seat = seat <= numplayers ? seat : 1;
        start.starter = game_.starterword;
        sendto(seat, Msg::startround(start));
    }

    if (!seats_[2].connected && !seats_[2].held) {
        computertimer_->setInterval(botspeed());
        computertimer_->start();
    }
    roundtimer_->stop();
    game_.countdown = game_.roundtime > INT_MAX - 4 ? INT_MAX : game_.roundtime + 4;
    game_.phase = 1;
    roundtimer_->start();
}

void TServer::drawround()
{
    for (int draw = 0;; ++draw) {
        // Every prefix possible for the lengths drawn may have been used;
        // forgetting them lets the game go on.
        if (draw == kMaxPrefixDraws)
            game_.listbox_prefix.clear();
        if (game_.lengthcode == 8) {
            const int r = Random::below(10);
            game_.wordlength = r >= 3 && r <= 7 ? r : 0;
        } else {
            game_.wordlength = game_.lengthcode;
        }
        const QByteArray word = listbox_words_.drawStarter(game_.wordlength);
        int length = 1;
        if (game_.wordlength == 4)
            length = 1 + Random::below(2);
        else if (game_.wordlength != 3)
            length = 1 + Random::below(3);
        const QByteArray candidate = word.left(length);
        if (!game_.listbox_prefix.contains(candidate)) {
            game_.prefix = candidate;
            game_.starterword = word;
            return;
        }
    }
}

void TServer::sendword(const Msg::Word &submitted)
{
    const int seat = submitted.seat;
    if (!game_.roundon || seat < 1 || seat > numplayers)
        return;
    // Length, repeat check, lookup, points and the word everybody is shown
    // all use the one trimmed form, so padding cannot make a word count twice.
    const QByteArray word = submittedWord(submitted.word);
    const int n = static_cast<int>(word.size());

    const Refusal refusal =
        RoundRule{game_.prefix, game_.wordlength}.judge(word, *spell_, game_.listbox_gotten);
    if (refusal != Refusal::None) {
        sendto(seat, Msg::notvalid(seat, static_cast<int>(refusal)));
        return;
    }

    game_.listbox_gotten.append(word);
    game_.gottenby.append(seat);
    TSeat &s = seats_[seat];
    ++s.roundwords;
    ++s.gamewords;
    s.roundletters += n;

    const QByteArray message = Msg::gotword(seat, word, n);
    if (game_.showwords)
        sendtoall(message);
    else
        sendto(seat, message);
}

void TServer::giveup(int seat)
{
    if (!isseat(seat))
        return;
    seats_[seat].gaveup = true;
    endroundifallgaveup();
}

void TServer::endtheround()
{
    game_.roundon = false;
    computertimer_->stop();
    std::array<Msg::SeatScore, numplayers> report;
    for (int seat = 1; seat <= numplayers; ++seat) {
        TSeat &s = seats_[seat];
        s.score += s.roundletters;
        report[seat - 1] = {seat, s.score, s.gamewords, s.roundwords, s.roundletters};
    }
    sendtoall(Msg::endround(report));
    roundtimer_->stop();
    game_.phase = 2;
    game_.countdown = pausebetweenrounds();
    roundtimer_->start();
}

bool TServer::checkforwin()
{
    int best = 1;
    for (int seat = 2; seat <= numplayers; ++seat) {
        if (seats_[seat].score > seats_[best].score)
            best = seat;
    }
    for (int seat = 1; seat <= numplayers; ++seat) {
        if (seat != best && seats_[seat].score == seats_[best].score)
            return false;
    }
    sendtoall(Msg::winner(best));
    game_.gameon = false;
    note(QStringLiteral("game ended: winner %1 with %2 points")
             .arg(who(best))
             .arg(seats_[best].score));
    return true;
}

void TServer::roundtimerTimer()
{
    --game_.countdown;
    if (game_.countdown >= 1)
        return;
    roundtimer_->stop();
    if (game_.phase == 1)
        endtheround();
    else if (game_.phase == 2)
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

#include "client/gameview.h"

#include "client/chatmenus.h"
#include "client/clientstate.h"
#include "client/gameboard.h"
#include "client/gamescorepanels.h"
#include "client/seatcolours.h"
#include "client/seatrows.h"
#include "client/soundplayer.h"
#include "common/guard.h"
#include "common/intconv.h"
#include "net/messages.h"
#include "tally/tallyrecorder.h"
#include "tally/tallytable.h"
#include "widgets/elidinglabel.h"
#include "widgets/gamepicturebutton.h"
#include "widgets/tag.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>

namespace {

// The countdown bar spans at most this many pixels for a whole round.
constexpr int kBarPixels = 300;
// From this many seconds left the countdown text turns red.
constexpr int kWarnBelow = 20;
const QColor kTimerNormal(224, 227, 157);
const QColor kTimerWarning(255, 0, 0);

QString lengthText(int length)
{
    return length == 0 ? QStringLiteral("No Limit") : QString::number(length) + " Letters";
}

void setTextColour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

} // namespace

GameView::GameView(ClientState &state, SeatRows &rows, ChatMenus &menus, QWidget *area,
                   QPushButton *button_start, Hooks hooks, QObject *parent)
    : QObject(parent)
    , state_(state)
    , rows_(rows)
    , menus_(menus)
    , hooks_(std::move(hooks))
{
    board_ = new GameBoard(area, button_start);
    sounds_ = new SoundPlayer(this);

    turntime = new QTimer(this);
    turntime->setObjectName(QStringLiteral("turntime"));
    turntime->setInterval(1000);
    connect(turntime, &QTimer::timeout, this, [this] { guarded([this] { turntimeTimer(); }); });

    board_->edit_word->installEventFilter(this);
    connect(board_->button_igiveup, &QAbstractButton::clicked, this,
            [this] { guarded([this] { button_igiveupClick(); }); });
}

void GameView::setTally(TallyRecorder *tally)
{
    tally_ = tally;
    if (tally_)
        tally_->setLoadChecklistHandler([this] { loadchecklist(); });
}

bool GameView::turnActive() const
{
    return tagOf(board_->label_status) == 1;
}

int GameView::pixelsPerSecond() const
{
    return tagOf(board_->image_timer);
}

void GameView::setTurnActive(bool active)
{
    setTag(board_->label_status, active ? 1 : 0);
}

QLabel *GameView::scoreRow(int seat) const
{
    return rows_.score(seat);
}

QString GameView::seatName(int seat) const
{
    const QLabel *row = rows_.playername(seat);
    return row ? row->text() : QString();
}

void GameView::clearall()
{
    GameScorePanels *panels = board_->panel_scores;
    for (int seat = 1; seat <= state_.numseats && seat <= SeatRows::kRows; ++seat) {
        rows_.score(seat)->setText(QStringLiteral("0"));
        rows_.last(seat)->clear();
        panels->winnerImage(seat)->hide();
        for (int field = 1; field <= 4; ++field)
            panels->scoreLabel(seat, field)->setText(QStringLiteral("0"));
    }
    hideEntry();
    board_->edit_word->clear();
    board_->memo_wordlist->clear();
}

void GameView::hideEntry()
{
    board_->image_word->hide();
    board_->edit_word->hide();
    board_->button_igiveup->hide();
    board_->image_error->hide();
}

void GameView::showGameOptions(int rounds, int seconds, int lengthCode)
{
    setTag(board_->label_timeperturn, seconds);
    board_->label_timeperturn->setText(QString::number(seconds) + " secs");
    // Long rounds keep the bar as it was; a round of no seconds has no bar to scale.
    if (seconds > 0 && seconds < kBarPixels)
        setTag(board_->image_timer, kBarPixels / seconds);
    if (lengthCode == 0)
        board_->label_numletters->setText(QStringLiteral("No Limit"));
    else if (lengthCode == 8)
        board_->label_numletters->setText(QStringLiteral("Random"));
    else
        board_->label_numletters->setText(QString::number(lengthCode) + " Letters");
    setTag(board_->label_round, rounds);
}

void GameView::showRoundRequirements(int length, const QByteArray &prefix)
{
    board_->label_word1->setText(lengthText(length));
    board_->label_word2->setText(QString::fromUtf8(prefix));
}

void GameView::startthegame(const QByteArray &body)
{
    const Msg::StartGame game = Msg::readStartgame(body);
    board_->panel_scores->hide();
    board_->button_start->hide();
    setTurnActive(false);
    timeleft = 0;
    clearall();
    showGameOptions(game.rounds, game.seconds, game.lengthCode);
    board_->label_round->setText(QStringLiteral("0 of ") + QString::number(game.rounds));
    if (hooks_.info)
        hooks_.info(QString::fromUtf8(game.name) + QStringLiteral(" has started a game."));
    QLabel *second = rows_.playername(2);
    if (second && second->text() == SeatRows::kWaiting)
        second->setText(QStringLiteral("Klot"));
}

void GameView::beginOwnTurn()
{
    board_->image_full->hide();
    board_->label_status->setText(QStringLiteral("Your Turn."));
    playsounds(tagOf(menus_.TurnSound1) == 1 ? QStringLiteral("turnnew") : QStringLiteral("turn"));
    board_->edit_word->clear();
    board_->image_word->show();
    board_->edit_word->show();
    board_->button_igiveup->show();
    if (hooks_.windowActive && hooks_.windowActive())
        board_->edit_word->setFocus();
}

void GameView::watchTurn(int seat)
{
    board_->label_status->setText(seatName(seat), QStringLiteral("'s turn."));
    board_->image_full->show();
}

void GameView::startround(const QByteArray &body)
{
    const Msg::StartRound round = Msg::readStartround(body);
    board_->panel_scores->hide();
    turnseat = round.seat;
    board_->panel_scores->label_starter->setText(QStringLiteral("Starter Word: ") +
                                                 QString::fromUtf8(round.starter.toUpper()));
    board_->label_round->setText(QString::number(round.round) + QStringLiteral(" of ") +
                                 QString::number(tagOf(board_->label_round)));
    showRoundRequirements(round.length, round.prefix);
    if (turnseat == state_.myseat)
        beginOwnTurn();
    else
        watchTurn(turnseat);
    setTurnActive(true);
    board_->memo_wordlist->clear();
    startclock(round.seconds);
}

void GameView::loadstats(const QByteArray &body)
{
    const Msg::LoadStats stats = Msg::readLoadstats(body);
    if (stats.seat != state_.myseat)
        return;
    for (const auto &[seat, total] : stats.totals) {
        if (QLabel *row = scoreRow(seat))
            row->setText(QString::number(total));
    }
    showGameOptions(stats.rounds, stats.seconds, stats.lengthCode);
    board_->label_round->setText(QString::number(stats.round) + QStringLiteral(" of ") +
                                 QString::number(stats.rounds));
    showRoundRequirements(stats.length, stats.prefix);
    if (stats.remaining <= 9) {
        board_->label_status->setText(QStringLiteral("Please wait for next round.."));
        return;
    }
    if (state_.myseat > state_.numseats) {
        // A spy that arrives mid-round has not been told a seat yet; spies
        // always watch seat 1, so name that player.
        watchTurn(turnseat >= 1 ? turnseat : 1);
    } else {
        beginOwnTurn();
        turnseat = state_.myseat;
    }
    setTurnActive(true);
    startclock(stats.remaining);
}

void GameView::turntimeTimer()
{
    --timeleft;
    if (timeleft > 0) {
        showclock();
        if (timeleft == 20 || timeleft == 15 || timeleft <= 10)
            playsounds(QStringLiteral("time"));
        return;
    }
    timeleft = 0;
    if (turnActive()) {
        playsounds(QStringLiteral("timeup"));
        board_->label_status->setText(QStringLiteral("Please Wait.."));
        setTurnActive(false);
        if (hooks_.windowActive && hooks_.windowActive() && hooks_.focusChat)
            hooks_.focusChat();
    }
    showclock();
    turnseat = 0;
    hideEntry();
}

void GameView::showclock()
{
    if (timeleft <= 0) {
        board_->label_timer->setText(QStringLiteral("Time: 0:00"));
        board_->image_timer->resize(0, board_->image_timer->height());
        return;
    }
    board_->image_timer->resize(std::min(pixelsPerSecond() * timeleft, GameBoard::kBarWidth),
                                board_->image_timer->height());
    setTextColour(board_->label_timer, timeleft < kWarnBelow ? kTimerWarning : kTimerNormal);
    const int seconds = timeleft % 60;
    board_->label_timer->setText(QStringLiteral("Time: ") + QString::number(timeleft / 60) +
                                 (seconds < 10 ? QStringLiteral(":0") : QStringLiteral(":")) +
                                 QString::number(seconds));
}

void GameView::startclock(int seconds)
{
    timeleft = seconds;
    // The new round's time shows at once, not after the first second.
    showclock();
    turntime->start();
}

void GameView::stopclock()
{
    turntime->stop();
    timeleft = 0;
    setTextColour(board_->label_timer, kTimerNormal);
    showclock();
}

bool GameView::edit_wordKeyDown(QKeyEvent *event)
{
    board_->image_error->hide();
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

void GameView::edit_wordKeyPress()
{
    if (turnseat == state_.myseat && state_.loggedin && hooks_.send)
        hooks_.send(Msg::sendword(state_.myseat, board_->edit_word->text().trimmed().toUtf8()));
    board_->edit_word->clear();
}

void GameView::notvalid(const QByteArray &body)
{
    const Msg::NotValid refusal = Msg::readNotvalid(body);
    if (refusal.seat != state_.myseat)
        return;
    if (board_->drawError(refusal.reason))
        board_->image_error->show();
    playsounds(QStringLiteral("error1"));
}

void GameView::gotword(const QByteArray &body)
{
    const Msg::GotWord found = Msg::readGotword(body);
    QLabel *last = rows_.last(found.seat);
    // The server only reports words of player seats; anything else has no row.
    if (!last)
        return;
    const QString word = QString::fromUtf8(found.word);
    addtowordlist(QString::number(found.length) + QStringLiteral(" : ") + word +
                      QStringLiteral(" : ") + seatName(found.seat),
                  found.seat);
    last->setText(word);
    if (found.seat == state_.myseat) {
        playsounds(QStringLiteral("goodwordme"));
        if (tally_)
            tally_->addtomineincrease(4);
    } else {
        playsounds(QStringLiteral("goodwordthem"));
    }
}

void GameView::addtowordlist(const QString &text, int seat)
{
    QTextEdit *list = board_->memo_wordlist;
    QTextCursor cursor(list->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat plain;
    plain.setForeground(seatColour(seat));
    if (!list->document()->isEmpty())
        cursor.insertBlock();
    cursor.insertText(text, plain);
    list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
}

void GameView::endround(const QByteArray &body)
{
    const QList<Msg::SeatScore> scores = Msg::readEndround(body);
    GameScorePanels *panels = board_->panel_scores;
    for (const Msg::SeatScore &score : scores) {
        QLabel *row = scoreRow(score.seat);
        if (!row)
            continue;
        row->setText(QString::number(score.total));
        setTag(row, score.total);
        panels->scoreLabel(score.seat, 0)->setText(seatName(score.seat));
        panels->scoreLabel(score.seat, 1)->setText(QString::number(score.roundWords));
        panels->scoreLabel(score.seat, 2)->setText(QString::number(score.roundPoints));
        panels->scoreLabel(score.seat, 3)->setText(QString::number(score.gameWords));
        panels->scoreLabel(score.seat, 4)->setText(QString::number(score.total));
    }

    setTurnActive(false);
    // The round is over, also when it ended early: its clock and warnings stop.
    stopclock();
    board_->label_status->setText(QStringLiteral("Posting Scores.. Please Wait."));
    hideEntry();
    board_->edit_word->clear();
    panels->show();
    panels->raise();

    int leader = 1;
    for (int seat = 2; seat <= SeatRows::kRows; ++seat) {
        if (tagOf(scoreRow(seat)) > tagOf(scoreRow(leader)) && seatName(seat) != SeatRows::kWaiting)
            leader = seat;
    }
    rows_.last(leader)->setText(QStringLiteral("LEADER!"));
}

void GameView::winner(const QByteArray &body)
{
    const int seat = Msg::readWinner(body);
    const QLabel *winnerRow = rows_.playername(seat);
    if (!winnerRow)
        return;
    const QString name = winnerRow->text();
    stopclock();
    playsounds(QStringLiteral("gameover"));
    board_->label_status->setText(QStringLiteral("Game Over!"));
    if (hooks_.info)
        hooks_.info(name + QStringLiteral(" has Won the Game!"));
    board_->panel_scores->winnerImage(seat)->show();
    if (state_.hosting)
        board_->button_start->show();

    // Only a player's own copy records the game; a spy's watches.
    if (!tally_ || !TallyTable::countsGame(state_.myseat, state_.numseats))
        return;
    const QString own = scoreRow(state_.myseat)->text();
    int ownTotal = 0;
    int best = 0;
    if (tryStrToInt(own.toUtf8(), ownTotal) &&
        tryStrToInt(tally_->mylabel_3Text().toUtf8(), best) && ownTotal > best)
        tally_->addtomineset(3, own);
    tally_->addgame(seat == state_.myseat ? QStringLiteral("addtomine") : name);
}

void GameView::button_igiveupClick()
{
    if (state_.loggedin && hooks_.send)
        hooks_.send(Msg::giveup(state_.myseat));
}

void GameView::playsounds(const QString &name)
{
    sounds_->setEnabled(menus_.PlaySounds1->isChecked());
    sounds_->playsounds(name);
}

void GameView::loadchecklist()
{
    if (!tally_)
        return;
    QStringList names;
    for (int seat = 1; seat <= state_.numseats && seat <= SeatRows::kRows; ++seat) {
        const QString name = seatName(seat);
        if (seat == state_.myseat || name == SeatRows::kWaiting)
            continue;
        names << name;
    }
    tally_->setPlayersInGame(names);
}

bool GameView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != board_->edit_word || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    bool enter = false;
    guarded([&] { enter = edit_wordKeyDown(static_cast<QKeyEvent *>(event)); });
    if (!enter)
        return false;
    // Enter is the player's "send": no beep, no new line.
    guarded([this] { edit_wordKeyPress(); });
    return true;
}

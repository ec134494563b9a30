#include "client/gameview.h"

#include "client/chatmenus.h"
#include "client/clientstate.h"
#include "client/gameboard.h"
#include "client/gamescorepanels.h"
#include "client/seatcolours.h"
#include "client/soundplayer.h"
#include "common/guard.h"
#include "common/intconv.h"
#include "model/gamemodel.h"
#include "session/gameintents.h"
#include "tally/tallyrecorder.h"
#include "tally/tallytable.h"
#include "widgets/elidinglabel.h"
#include "widgets/gamepicturebutton.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextEdit>

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

GameView::GameView(const ClientState &state, const GameModel &model, ChatMenus &menus,
                   QWidget *area, QPushButton *button_start, Hooks hooks, QObject *parent)
    : QObject(parent)
    , state_(state)
    , model_(model)
    , menus_(menus)
    , hooks_(std::move(hooks))
    , area_(area)
{
    board_ = new GameBoard(area, button_start);
    sounds_ = new SoundPlayer(this);

    board_->edit_word->installEventFilter(this);
    connect(board_->button_igiveup, &QAbstractButton::clicked, this,
            [this] { guarded([this] { button_igiveupClick(); }); });
    follow();
}

void GameView::follow()
{
    const GameModel *m = &model_;
    connect(m, &GameModel::gameStarted, this, &GameView::gameStarted);
    connect(m, &GameModel::optionsChanged, this, &GameView::showGameOptions);
    connect(m, &GameModel::roundStarted, this, &GameView::roundStarted);
    connect(m, &GameModel::gameLoaded, this, &GameView::showRound);
    connect(m, &GameModel::phaseChanged, this, &GameView::showPhase);
    connect(m, &GameModel::wordsCleared, board_->memo_wordlist, &QTextEdit::clear);
    connect(m, &GameModel::wordFound, this, &GameView::wordFound);
    connect(m, &GameModel::wordRefused, this, &GameView::wordRefused);
    connect(m, &GameModel::scoresChanged, this, &GameView::showScores);
    connect(m, &GameModel::scoresShownChanged, this, &GameView::showScoresShown);
    connect(m, &GameModel::gameOver, this, &GameView::gameOver);
    connect(m, &GameModel::countdownStarted, this, &GameView::showclock);
    connect(m, &GameModel::countdownTicked, this, &GameView::countdownTicked);
    connect(m, &GameModel::countdownExpired, this, &GameView::countdownExpired);
    connect(m, &GameModel::countdownStopped, this, &GameView::countdownStopped);
}

void GameView::setTally(TallyRecorder *tally)
{
    tally_ = tally;
    if (tally_)
        tally_->setLoadChecklistHandler([this] { loadchecklist(); });
}

int GameView::pixelsPerSecond() const
{
    const int seconds = model_.barSeconds();
    return seconds > 0 ? kBarPixels / seconds : 0;
}

void GameView::hideEntry()
{
    parkKeyboard();
    board_->image_word->hide();
    board_->edit_word->hide();
    board_->button_igiveup->hide();
    board_->image_error->hide();
}

void GameView::parkKeyboard()
{
    // A hidden word box hands the focus on along the Tab chain, which leads
    // into the chat: keys typed as the round ends would be sent to everyone.
    const QWidget *focus = board_->edit_word->window()->focusWidget();
    if (!focus || focus == board_->edit_word || focus == board_->button_igiveup)
        area_->setFocus(Qt::OtherFocusReason);
}

void GameView::focusWordBox()
{
    QWidget *window = board_->edit_word->window();
    // Also when another window of the program is active: the main window
    // then shows the word box focused as soon as it is active again.
    board_->edit_word->setFocus(Qt::OtherFocusReason);
    const QWidget *active = QApplication::activeWindow();
    if (!active || active == window || QApplication::activeModalWidget())
        return;
    window->raise();
    window->activateWindow();
}

void GameView::showGameOptions()
{
    board_->label_timeperturn->setText(QString::number(model_.seconds()) + " secs");
    const int lengthCode = model_.lengthCode();
    if (lengthCode == 0)
        board_->label_numletters->setText(QStringLiteral("No Limit"));
    else if (lengthCode == 8)
        board_->label_numletters->setText(QStringLiteral("Random"));
    else
        board_->label_numletters->setText(QString::number(lengthCode) + " Letters");
}

void GameView::showRound()
{
    board_->label_round->setText(QString::number(model_.round()) + QStringLiteral(" of ") +
                                 QString::number(model_.rounds()));
    board_->label_word1->setText(lengthText(model_.roundLength()));
    board_->label_word2->setText(model_.prefix());
}

void GameView::roundStarted()
{
    board_->panel_scores->label_starter->setText(QStringLiteral("Starter Word: ") +
                                                 model_.starter());
    showRound();
}

void GameView::gameStarted(const QString &starter)
{
    board_->panel_scores->hide();
    board_->button_start->hide();
    for (int seat = 1; seat <= GameScorePanels::kPanels; ++seat)
        board_->panel_scores->winnerImage(seat)->hide();
    hideEntry();
    board_->edit_word->clear();
    board_->label_round->setText(QStringLiteral("0 of ") + QString::number(model_.rounds()));
    if (hooks_.info)
        hooks_.info(starter + QStringLiteral(" has started a game."));
}

void GameView::showPhase()
{
    switch (model_.phase()) {
    case GameModel::Phase::Welcome:
        return;
    case GameModel::Phase::OwnTurn:
        beginOwnTurn();
        return;
    case GameModel::Phase::Watching:
        board_->label_status->setText(model_.name(model_.watchedSeat()),
                                      QStringLiteral("'s turn."));
        board_->image_full->show();
        return;
    case GameModel::Phase::WaitForNextRound:
        board_->label_status->setText(QStringLiteral("Please wait for next round.."));
        return;
    case GameModel::Phase::TimeUp:
        playsounds(QStringLiteral("timeup"));
        board_->label_status->setText(QStringLiteral("Please Wait.."));
        return;
    case GameModel::Phase::PostingScores:
        board_->label_status->setText(QStringLiteral("Posting Scores.. Please Wait."));
        hideEntry();
        board_->edit_word->clear();
        return;
    case GameModel::Phase::GameOver:
        board_->label_status->setText(QStringLiteral("Game Over!"));
        return;
    }
}

void GameView::beginOwnTurn()
{
    board_->image_full->hide();
    board_->label_status->setText(QStringLiteral("Your Turn."));
    playsounds(menus_.newTurnSound() ? QStringLiteral("turnnew") : QStringLiteral("turn"));
    board_->edit_word->clear();
    board_->image_word->show();
    board_->edit_word->show();
    board_->button_igiveup->show();
    focusWordBox();
}

void GameView::countdownTicked()
{
    showclock();
    const int timeleft = model_.timeleft();
    if (timeleft == 20 || timeleft == 15 || timeleft <= 10)
        playsounds(QStringLiteral("time"));
}

void GameView::countdownExpired()
{
    showclock();
    hideEntry();
}

void GameView::countdownStopped()
{
    setTextColour(board_->label_timer, kTimerNormal);
    showclock();
}

void GameView::showclock()
{
    const int timeleft = model_.timeleft();
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

bool GameView::edit_wordKeyDown(QKeyEvent *event)
{
    board_->image_error->hide();
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

void GameView::edit_wordKeyPress()
{
    if (model_.canSendWords() && hooks_.intents)
        hooks_.intents->sendWord(board_->edit_word->text().trimmed());
    board_->edit_word->clear();
}

void GameView::wordRefused(int reason)
{
    if (board_->drawError(reason))
        board_->image_error->show();
    playsounds(QStringLiteral("error1"));
}

void GameView::wordFound(int seat, const QString &word, int points)
{
    addtowordlist(QString::number(points) + QStringLiteral(" : ") + word + QStringLiteral(" : ") +
                      model_.name(seat),
                  seat);
    if (seat == model_.mySeat()) {
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

void GameView::showScores()
{
    for (int seat = 1; seat <= GameScorePanels::kPanels; ++seat)
        board_->panel_scores->showPanel(seat, model_.panel(seat));
}

void GameView::showScoresShown(bool shown)
{
    GameScorePanels *panels = board_->panel_scores;
    if (!shown) {
        panels->hide();
        return;
    }
    panels->show();
    panels->raise();
}

void GameView::gameOver(int seat)
{
    playsounds(QStringLiteral("gameover"));
    if (hooks_.info)
        hooks_.info(model_.name(seat) + QStringLiteral(" has Won the Game!"));
    board_->panel_scores->winnerImage(seat)->show();
    if (state_.hosting || model_.leadsGame())
        board_->button_start->show();
    recordGame(seat);
}

void GameView::recordGame(int seat)
{
    // Only a player's own copy records the game; a spy's watches.
    const int own = model_.mySeat();
    if (!tally_ || !TallyTable::countsGame(own, GameModel::kPlayerSeats))
        return;
    const int ownTotal = model_.total(own);
    int best = 0;
    if (tryStrToInt(tally_->mylabel_3Text().toUtf8(), best) && ownTotal > best)
        tally_->addtomineset(3, QString::number(ownTotal));
    tally_->addgame(seat == own ? QStringLiteral("addtomine") : model_.name(seat));
}

void GameView::button_igiveupClick()
{
    if (model_.loggedIn() && hooks_.intents)
        hooks_.intents->giveUp();
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
    for (int seat = 1; seat <= GameModel::kPlayerSeats; ++seat) {
        if (seat == model_.mySeat() || !model_.occupied(seat))
            continue;
        names << model_.name(seat);
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

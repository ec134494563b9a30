#include "client/reviewwindows.h"

#include "client/gamesummarywindow.h"
#include "client/roundreviewwindow.h"
#include "dict/tdictn.h"
#include "model/gamemodel.h"
#include "review/gamesummary.h"
#include "review/recordplay.h"

#include <QScreen>

#include <algorithm>
#include <QWidget>

namespace {
constexpr int kGap = 8;
}

ReviewWindows::ReviewWindows(const GameModel &model, QWidget *mainWindow)
    : QObject(mainWindow)
    , model_(model)
    , main_(mainWindow)
{
    review = new RoundReviewWindow(mainWindow);
    summary = new GameSummaryWindow(mainWindow);
    // Every round end marks a leader, after the round's numbers are in.
    connect(&model, &GameModel::leaderChanged, this, &ReviewWindows::roundEnded);
    connect(&model, &GameModel::roundStarted, this, &ReviewWindows::roundStarted);
    connect(&model, &GameModel::gameStarted, this, [this] {
        roundStarted();
        summary->hide();
    });
    connect(&model, &GameModel::gameOver, this, &ReviewWindows::gameOver);
}

ReviewWindows::~ReviewWindows() = default;

void ReviewWindows::setDictionary(const TDictn &dictionary)
{
    shared_ = &dictionary;
}

const TDictn &ReviewWindows::dictionary()
{
    if (shared_)
        return *shared_;
    if (!dictionary_)
        dictionary_ = std::make_unique<TDictn>();
    return *dictionary_;
}

std::map<int, QString> ReviewWindows::names() const
{
    std::map<int, QString> names;
    for (int seat = 1; seat <= GameModel::kPlayerSeats; ++seat) {
        const QString atEnd = model_.panel(seat).name;
        names[seat] = atEnd.isEmpty() ? model_.name(seat) : atEnd;
    }
    return names;
}

void ReviewWindows::roundEnded()
{
    if (model_.history().isEmpty() || !model_.history().last().ended)
        return;
    const RoundRecord &record = model_.history().last();
    const RoundPlay play = playOf(record, model_.mySeat(), model_.wordsShown(), seatedOf(model_));
    ReviewContext context;
    context.rounds = model_.rounds();
    context.tieBreak = record.tieBreak;
    context.myseat = model_.mySeat();
    context.names = names();
    for (const auto &[seat, points] : play.roundletters)
        context.points[seat] = points;
    review->showReview(buildRoundReview(play, dictionary()), context);
    if (!review->isVisible())
        placeBeside(review, main_->frameGeometry());
    review->show();
}

void ReviewWindows::roundStarted()
{
    review->hide();
}

void ReviewWindows::gameOver(int winner)
{
    GameSummary game = buildGameSummary(playsOf(model_), model_.rounds());
    // The server counts every seat's words, also those this copy was never told.
    for (auto &[seat, player] : game.players) {
        int counted = 0;
        for (const RoundRecord &record : model_.history())
            counted += record.ended ? record.scores[std::size_t(seat - 1)].roundWords : 0;
        player.wordsFound = std::max(player.wordsFound, counted);
    }
    summary->showSummary(game, names(), winner);
    QRect anchor = main_->frameGeometry();
    if (review->isVisible())
        anchor = anchor.united(review->frameGeometry());
    placeBeside(summary, anchor);
    summary->show();
}

void ReviewWindows::placeBeside(QWidget *window, const QRect &anchor) const
{
    const QScreen *screen = main_->screen();
    const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
    const QSize size = window->frameGeometry().size();
    int x = anchor.right() + 1 + kGap;
    if (x + size.width() > room.right() + 1)
        x = anchor.left() - kGap - size.width();
    if (x < room.left())
        x = room.right() + 1 - size.width();
    const int y = std::clamp(anchor.top(), room.top(),
                             std::max(room.top(), room.bottom() + 1 - size.height()));
    window->move(x, y);
}

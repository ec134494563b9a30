#include "client/reviewwindows.h"

#include "client/gamesummarywindow.h"
#include "client/reviewlook.h"
#include "client/reviewplacement.h"
#include "client/roundreviewwindow.h"
#include "dict/tdictn.h"
#include "dict/wordlevels.h"
#include "dict/wordmeanings.h"
#include "model/gamemodel.h"
#include "review/recordplay.h"

#include <QAction>
#include <QDockWidget>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolTip>

#include <algorithm>

namespace {
// The panel's width as asked of the window, for the review and the summary.
constexpr int kReviewWidth = 380;
constexpr int kSummaryWidth = 560;

// Places in the model's history of the rounds that ended, oldest first.
QList<qsizetype> endedRecords(const GameModel &model)
{
    QList<qsizetype> ended;
    for (qsizetype i = 0; i < model.history().size(); ++i)
        if (model.history().at(i).ended)
            ended.append(i);
    return ended;
}
} // namespace

ReviewWindows::ReviewWindows(const GameModel &model, QMainWindow *mainWindow)
    : QObject(mainWindow)
    , model_(model)
    , main_(mainWindow)
{
    dock = new QDockWidget(QStringLiteral("Round review"), mainWindow);
    dock->setObjectName(QStringLiteral("dock_review"));
    dock->setAccessibleName(QStringLiteral("Review panel"));
    // Docked for good: a floating panel could lie over the board or the chat.
    dock->setFeatures(QDockWidget::DockWidgetClosable);
    dock->setAllowedAreas(Qt::RightDockWidgetArea | Qt::BottomDockWidgetArea);
    pages_ = new QStackedWidget(dock);
    pages_->setObjectName(QStringLiteral("pages_review"));
    review = new RoundReviewWindow(pages_);
    summary = new GameSummaryWindow(pages_);
    pages_->addWidget(review);
    pages_->addWidget(summary);
    dock->setWidget(pages_);
    mainWindow->addDockWidget(Qt::RightDockWidgetArea, dock);
    dock->hide();
    placement_ = std::make_unique<ReviewPlacement>(*mainWindow, *dock);

    connect(dock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (!visible && dock->isHidden())
            placement_->closed();
    });
    connect(review, &RoundReviewWindow::closeRequested, this, &ReviewWindows::close);
    connect(summary, &GameSummaryWindow::closeRequested, this, &ReviewWindows::close);
    connect(review, &RoundReviewWindow::summaryRequested, this, &ReviewWindows::showSummary);
    connect(review, &RoundReviewWindow::wordChosen, this, &ReviewWindows::wordChosen);
    connect(summary, &GameSummaryWindow::wordChosen, this, &ReviewWindows::wordChosen);
    connect(summary, &GameSummaryWindow::roundChosen, this, &ReviewWindows::showRoundReview);

    // Every round end marks a leader, after the round's numbers are in.
    connect(&model, &GameModel::leaderChanged, this, &ReviewWindows::roundEnded);
    connect(&model, &GameModel::roundStarted, this, &ReviewWindows::roundStarted);
    connect(&model, &GameModel::gameStarted, this, &ReviewWindows::roundStarted);
    connect(&model, &GameModel::gameOver, this, &ReviewWindows::gameOver);
}

ReviewWindows::~ReviewWindows() = default;

void ReviewWindows::setDictionary(const TDictn &dictionary)
{
    shared_ = &dictionary;
    levels_.reset();
}

void ReviewWindows::setMenuItem(QAction *item)
{
    menuItem_ = item;
    menuItem_->setEnabled(!endedRecords(model_).isEmpty());
    connect(item, &QAction::triggered, this, &ReviewWindows::showLastReview);
}

void ReviewWindows::setWordList(QTextEdit *wordList)
{
    wordList_ = wordList;
    wordList->installEventFilter(this);
    wordList->viewport()->installEventFilter(this);
}

const TDictn &ReviewWindows::dictionary()
{
    if (shared_)
        return *shared_;
    if (!dictionary_)
        dictionary_ = std::make_unique<TDictn>();
    return *dictionary_;
}

const WordLevels &ReviewWindows::levels()
{
    if (!levels_)
        levels_ = std::make_unique<WordLevels>(dictionary());
    return *levels_;
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

bool ReviewWindows::fillReview(qsizetype index)
{
    if (index < 0 || index >= model_.history().size() || !model_.history().at(index).ended)
        return false;
    const RoundRecord &record = model_.history().at(index);
    const RoundPlay play = playOf(record, model_.mySeat(), model_.wordsShown(), seatedOf(model_));
    ReviewContext context;
    context.rounds = model_.rounds();
    context.tieBreak = record.tieBreak;
    context.myseat = model_.mySeat();
    context.names = names();
    for (const auto &[seat, points] : play.roundletters)
        context.points[seat] = points;
    review->showReview(buildRoundReview(play, dictionary(), levels()), context);
    return true;
}

void ReviewWindows::showPage(QWidget *page, const QString &title, int wanted)
{
    pages_->setCurrentWidget(page);
    dock->setWindowTitle(title);
    if (!dock->isVisible())
        placement_->open(wanted);
}

void ReviewWindows::roundEnded()
{
    const QList<qsizetype> ended = endedRecords(model_);
    if (ended.isEmpty() || ended.last() != model_.history().size() - 1)
        return;
    if (menuItem_)
        menuItem_->setEnabled(true);
    fillReview(ended.last());
    review->button_summary->hide();
    showPage(review, QStringLiteral("Round review"), kReviewWidth);
}

void ReviewWindows::roundStarted()
{
    close();
    if (menuItem_)
        menuItem_->setEnabled(!endedRecords(model_).isEmpty());
}

void ReviewWindows::close()
{
    dock->hide();
    placement_->closed();
}

void ReviewWindows::showLastReview()
{
    const QList<qsizetype> ended = endedRecords(model_);
    if (ended.isEmpty() || !fillReview(ended.last()))
        return;
    review->button_summary->hide();
    showPage(review, QStringLiteral("Round review"), kReviewWidth);
}

void ReviewWindows::showRoundReview(int index)
{
    const QList<qsizetype> ended = endedRecords(model_);
    if (index < 0 || index >= ended.size() || !fillReview(ended.at(index)))
        return;
    review->button_summary->show();
    showPage(review, QStringLiteral("Round review"), kSummaryWidth);
}

void ReviewWindows::showSummary()
{
    showPage(summary, QStringLiteral("Game summary"), kSummaryWidth);
}

void ReviewWindows::gameOver(int winner)
{
    GameSummary game = buildGameSummary(playsOf(model_), model_.rounds(), levels());
    // The server counts every seat's words, also those this copy was never told.
    for (auto &[seat, player] : game.players) {
        int counted = 0;
        for (const RoundRecord &record : model_.history())
            counted += record.ended ? record.scores[std::size_t(seat - 1)].roundWords : 0;
        player.wordsFound = std::max(player.wordsFound, counted);
    }
    summary->showSummary(game, names(), winner);
    // The summary wants more room than the review it follows.
    if (dock->isVisible() && dock->width() < kSummaryWidth)
        close();
    showSummary();
}

QString ReviewWindows::meaningOf(const QByteArray &word)
{
    if (!meanings_)
        meanings_ = std::make_unique<WordMeanings>();
    return ReviewLook::meaningText(meanings_->lookup(word));
}

void ReviewWindows::wordChosen(const QByteArray &word)
{
    const QString text = meaningOf(word);
    review->showMeaning(text);
    summary->showMeaning(text);
}

bool ReviewWindows::eventFilter(QObject *watched, QEvent *event)
{
    if (!wordList_)
        return false;
    if (watched == wordList_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto *click = static_cast<QMouseEvent *>(event);
        if (click->button() == Qt::LeftButton)
            showListedMeaning(click->position().toPoint());
    } else if (watched == wordList_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            showListedMeaning(wordList_->cursorRect().center());
            return true;
        }
    }
    return false;
}

void ReviewWindows::showListedMeaning(const QPoint &at)
{
    QTextCursor cursor = wordList_->cursorForPosition(at);
    cursor.select(QTextCursor::WordUnderCursor);
    const QByteArray word = cursor.selectedText().toLatin1();
    // A line of the list is "points : word : finder": only the middle one is a word of the round's.
    const QString listed = cursor.block().text().section(QStringLiteral(" : "), 1, 1);
    if (word.isEmpty() || listed.compare(QString::fromLatin1(word), Qt::CaseInsensitive) != 0)
        return;
    const QString text = meaningOf(word);
    const QPoint global = wordList_->viewport()->mapToGlobal(at);
    QToolTip::showText(global, text, wordList_);
    wordList_->setAccessibleDescription(text);
}

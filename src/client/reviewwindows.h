#pragma once

#include <QObject>
#include <QString>

#include <map>
#include <memory>

class GameModel;
class GameSummaryWindow;
class QRect;
class QWidget;
class RoundReviewWindow;
class TDictn;

// Shows the round review when a round ends and hides it when the next one
// starts, and shows the game summary when a winner is announced; both stand
// beside the main window so the score panels stay in sight. Every copy does
// this, spies included. The review reads the word list handed to it (the
// server's own); only a copy without one opens its own at the first round end.
class ReviewWindows : public QObject {
public:
    // Observes the model; the windows are children of mainWindow.
    ReviewWindows(const GameModel &model, QWidget *mainWindow);
    ~ReviewWindows() override;

    // The model's latest round ended: fill the review and show it.
    void roundEnded();
    // A round began or a new game started: the old review goes.
    void roundStarted();
    // A winner was announced: fill the summary and show it.
    void gameOver(int winner);

    // Builds reviews from this word list; without one the review opens its own.
    void setDictionary(const TDictn &dictionary);

    RoundReviewWindow *review = nullptr;
    GameSummaryWindow *summary = nullptr;

private:
    const TDictn &dictionary();
    std::map<int, QString> names() const;
    // Puts a window beside `anchor` (right, else left, else at the screen's right edge).
    void placeBeside(QWidget *window, const QRect &anchor) const;

    const GameModel &model_;
    QWidget *main_ = nullptr;
    const TDictn *shared_ = nullptr;
    std::unique_ptr<TDictn> dictionary_;
};

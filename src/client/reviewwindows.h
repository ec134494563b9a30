#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <map>
#include <memory>

class GameModel;
class GameSummaryWindow;
class QAction;
class QDockWidget;
class QMainWindow;
class QPoint;
class QStackedWidget;
class QTextEdit;
class ReviewPlacement;
class RoundReviewWindow;
class TDictn;
class WordLevels;
class WordMeanings;

// The review panel, docked at the right of the main window: it shows the
// round review when a round ends and goes when the next one starts, and shows
// the game summary when a winner is announced. The window widens for it, so
// it never lies over the board, the score panels or the chat. The last
// round's review comes back from the menu, and the summary opens any round's.
// Every copy does this, spies included. The reviews read the word list handed
// over (the server's own); only a copy without one opens its own at the
// first round end. Words clicked here or in the round's word list show their
// meaning.
class ReviewWindows : public QObject {
public:
    // Observes the model; the panel is docked in mainWindow.
    ReviewWindows(const GameModel &model, QMainWindow *mainWindow);
    ~ReviewWindows() override;

    // The model's latest round ended: fill the review and show it.
    void roundEnded();
    // A round began or a new game started: the panel goes.
    void roundStarted();
    // A winner was announced: fill the summary and show it.
    void gameOver(int winner);
    // Shows the review of the last round ended, if any.
    void showLastReview();
    // Shows the review of a round of the game, by its place in the summary's rounds.
    void showRoundReview(int index);
    // Shows the game summary again (after a round review opened from it).
    void showSummary();
    // Hides the panel.
    void close();

    // Builds reviews from this word list; without one the review opens its own.
    void setDictionary(const TDictn &dictionary);
    // The menu item that shows the last round's review; enabled once there is one.
    void setMenuItem(QAction *item);
    // The round's word list: clicking a word there, or Enter, shows its meaning.
    void setWordList(QTextEdit *wordList);
    // The meaning of a word as the panel shows it.
    QString meaningOf(const QByteArray &word);

    QDockWidget *dock = nullptr;
    RoundReviewWindow *review = nullptr;
    GameSummaryWindow *summary = nullptr;

protected:
    // Clicks and Enter in the round's word list.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const TDictn &dictionary();
    const WordLevels &levels();
    std::map<int, QString> names() const;
    // Reviews the recorded round at that place of the model's history.
    bool fillReview(qsizetype record);
    void showPage(QWidget *page, const QString &title, int wanted);
    void wordChosen(const QByteArray &word);
    // Shows the meaning of the word at a place of the word list, beside it.
    void showListedMeaning(const QPoint &at);

    const GameModel &model_;
    QMainWindow *main_ = nullptr;
    QStackedWidget *pages_ = nullptr;
    QAction *menuItem_ = nullptr;
    QTextEdit *wordList_ = nullptr;
    std::unique_ptr<ReviewPlacement> placement_;
    const TDictn *shared_ = nullptr;
    std::unique_ptr<TDictn> dictionary_;
    std::unique_ptr<WordLevels> levels_;
    std::unique_ptr<WordMeanings> meanings_;
};

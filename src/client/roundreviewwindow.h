#pragma once

#include "review/roundreview.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QWidget>

#include <map>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// What the review page needs beyond the review itself.
struct ReviewContext {
    // The game's number of rounds; a tie-break round is played past it.
    int rounds = 0;
    bool tieBreak = false;
    // This copy's seat (a spy's is past the player seats).
    int myseat = 0;
    // The names the seat rows showed at the round's end.
    std::map<int, QString> names;
    // The round's points per seat as the round's end told them; they count
    // words this copy was never told of.
    std::map<int, int> points;
};

// The look back at one round, a page of the review panel: the best word
// found, the longest the round allowed, each player's words with points, and
// the words nobody found (or, when the host hid the words of others, the words
// this copy did not find): the common ones first, the rest by length behind
// "Show all". Clicking a word or pressing Enter on it asks for its meaning.
class RoundReviewWindow : public QWidget {
    Q_OBJECT
public:
    explicit RoundReviewWindow(QWidget *parent = nullptr);

    // Fills the page with a round's review.
    void showReview(const RoundReview &review, const ReviewContext &context);
    // Lists every missed word, grouped by length, not only the common ones.
    void showAllMissed();
    // Shows a word's meaning (already formatted) under the lists.
    void showMeaning(const QString &text);
    // The round shown (0 before the first).
    int round() const { return round_; }

    QLabel *label_title = nullptr;
    QLabel *label_rule = nullptr;
    QLabel *label_best = nullptr;
    QLabel *label_longest = nullptr;
    QLabel *label_found = nullptr;
    // One row per player, the player's words beneath.
    QTreeWidget *tree_found = nullptr;
    QLabel *label_missed = nullptr;
    // The common missed words, then (after "Show all") one row per length with its words.
    QTreeWidget *tree_missed = nullptr;
    QLabel *label_meaning = nullptr;
    QPushButton *button_allmissed = nullptr;
    // Back to the game summary; shown when the summary opened this review.
    QPushButton *button_summary = nullptr;
    QPushButton *button_close = nullptr;

signals:
    // A word was clicked or Enter was pressed on it.
    void wordChosen(const QByteArray &word);
    // "Close" was pressed.
    void closeRequested();
    // "Back to the summary" was pressed.
    void summaryRequested();

protected:
    // Escape asks to close.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void fillFound(const RoundReview &review, const ReviewContext &context);
    void fillMissed(const RoundReview &review);
    void chooseItem(QTreeWidgetItem *item);

    QList<QByteArray> missed_;
    qsizetype commonMissed_ = 0;
    int round_ = 0;
};

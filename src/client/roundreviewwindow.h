#pragma once

#include "review/roundreview.h"

#include <QByteArray>
#include <QDialog>
#include <QList>
#include <QString>

#include <map>

class QLabel;
class QListWidget;
class QPushButton;
class QTreeWidget;

// What the review window needs beyond the review itself.
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

// The look back at one round, shown between rounds beside the main window:
// each player's words with points, the best word, and the words the round
// allowed that nobody found (or, when the host hid the words of others, the
// words this copy did not find). Not modal; Escape or "Close" hides it.
class RoundReviewWindow : public QDialog {
    Q_OBJECT
public:
    // Missed words listed at once; the rest wait for "Show all".
    static constexpr int kFirstMissed = 50;

    explicit RoundReviewWindow(QWidget *parent = nullptr);

    // Fills the window with a round's review (it is not shown here).
    void showReview(const RoundReview &review, const ReviewContext &context);
    // Lists every missed word, not only the first ones.
    void showAllMissed();

    QLabel *label_title = nullptr;
    QLabel *label_rule = nullptr;
    QLabel *label_best = nullptr;
    QLabel *label_found = nullptr;
    // One row per player, the player's words beneath.
    QTreeWidget *tree_found = nullptr;
    QLabel *label_missed = nullptr;
    QListWidget *list_missed = nullptr;
    QPushButton *button_allmissed = nullptr;
    QPushButton *button_close = nullptr;

private:
    void fillFound(const RoundReview &review, const ReviewContext &context);
    void fillMissed(const RoundReview &review);
    void addMissed(qsizetype from, qsizetype to);

    QList<QByteArray> missed_;
};

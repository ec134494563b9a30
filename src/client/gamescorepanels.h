#pragma once

#include <QWidget>

#include "model/gamerecord.h"

class QFrame;
class QLabel;

// panel_scores: the scores of the round just played, one panel per player
// seat in the seat's colour (panel_1 to panel_6), and label_starter with the
// round's starter word. Seat N's labels are label_scoreN0 (name), N1 and N2
// (round words and score), N3 and N4 (total words and score), and its hidden
// winner picture is image_winnerN.
class GameScorePanels : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPanels = 6;

    explicit GameScorePanels(QWidget *parent = nullptr);

    // Seat 1 to 6 panel; nullptr for any other seat.
    QFrame *panel(int seat) const;
    // Label `field` (0 name, 1 round words, 2 round score, 3 total words,
    // 4 total score) of a seat's panel; nullptr outside 1 to 6 and 0 to 4.
    QLabel *scoreLabel(int seat, int field) const;
    // The seat's winner picture; nullptr outside 1 to 6.
    QLabel *winnerImage(int seat) const;
    // Shows a seat's panel numbers and name; nothing outside 1 to 6.
    void showPanel(int seat, const SeatPanel &panel);

    QLabel *label_starter = nullptr;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void buildPanel(int seat, QFrame *panel);
};

#pragma once

#include "review/gamesummary.h"

#include <QDialog>
#include <QString>

#include <map>

class QLabel;
class QPushButton;
class QTreeWidget;
class RoundChart;

// The look back at a whole game after "Game Over!": each player's words found,
// best word, longest word and total, and the points of each round as a chart.
// Not modal; Escape or "Close" hides it.
class GameSummaryWindow : public QDialog {
    Q_OBJECT
public:
    explicit GameSummaryWindow(QWidget *parent = nullptr);

    // Fills the window with a game's summary (it is not shown here); names are
    // the seat rows' names and winner the winning seat (0: none).
    void showSummary(const GameSummary &summary, const std::map<int, QString> &names, int winner);

    QLabel *label_title = nullptr;
    // One row per player: name, words, best word, longest word, points.
    QTreeWidget *tree_players = nullptr;
    QLabel *label_chart = nullptr;
    RoundChart *chart = nullptr;
    QPushButton *button_close = nullptr;
};

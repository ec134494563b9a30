#pragma once

#include "review/gamesummary.h"

#include <QByteArray>
#include <QString>
#include <QWidget>

#include <map>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class RoundChart;

// The look back at a whole game after "Game Over!", a page of the review
// panel: each player's words found, best word, rarest word and total, and the
// points of each round as a chart, or the running totals. Choosing a round on
// the chart opens its review; clicking a word or pressing Enter on it asks
// for its meaning.
class GameSummaryWindow : public QWidget {
    Q_OBJECT
public:
    explicit GameSummaryWindow(QWidget *parent = nullptr);

    // Fills the page with a game's summary; names are the seat rows' names
    // and winner the winning seat (0: none).
    void showSummary(const GameSummary &summary, const std::map<int, QString> &names, int winner);
    // Shows a word's meaning (already formatted) under the table.
    void showMeaning(const QString &text);

    QLabel *label_title = nullptr;
    // One row per player: name, words, best word, rarest word, points.
    QTreeWidget *tree_players = nullptr;
    QLabel *label_chart = nullptr;
    RoundChart *chart = nullptr;
    QLabel *label_meaning = nullptr;
    // Switches the chart between points per round and running totals.
    QPushButton *button_totals = nullptr;
    QPushButton *button_close = nullptr;

signals:
    // A word was clicked or Enter was pressed on it.
    void wordChosen(const QByteArray &word);
    // A round of the chart was chosen: its place in the summary's rounds.
    void roundChosen(int index);
    // "Close" was pressed.
    void closeRequested();

protected:
    // Escape asks to close.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void chooseItem(QTreeWidgetItem *item, int column);
    void showTotals(bool totals);
};

#pragma once

#include <QWidget>

#include <functional>

class QAction;
class QLabel;
class GameModel;
class QMenu;
struct ClientState;

// The six player rows of the board (last word, name, score, each in the seat
// colour), showing what the game model says of each seat, and their pop-up
// menu through which the host removes a player.
// Controls are named with the seat number: label_playername1, label_score1,
// label_last1, ... label_last6.
class SeatRows : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRows = 6;
    SeatRows(const ClientState &state, const GameModel &model, QWidget *parent = nullptr);

    // The row labels of a seat 1 to 6; nullptr for any other seat.
    QLabel *playername(int seat) const;
    QLabel *score(int seat) const;
    QLabel *last(int seat) const;

    // Runs for every removal chosen in popup_kick, with the seat number.
    void setKickHandler(std::function<void(int)> handler);

    // Prepares popup_kick for the label under the pointer: "Remove From Game"
    // is enabled only for the host and only when the label's row is occupied.
    void label_playername1ContextPopup(QLabel *label);
    // "Remove From Game": asks to remove the seat remembered by the menu.
    void RemoveFromGame1Click();

    QMenu *popup_kick = nullptr;
    QAction *RemoveFromGame1 = nullptr;

private:
    QLabel *rowLabel(const char *prefix, int seat) const;
    void showSeat(int seat);

    const ClientState &state_;
    const GameModel &model_;
    std::function<void(int)> kick_;
};

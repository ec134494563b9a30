#pragma once

#include <QRect>
#include <QSize>

class QDockWidget;
class QMainWindow;
class QWidget;

// Makes room in the main window for the review panel docked at its right:
// widens the window as far as its screen allows (moving it left when it would
// run off the screen) and, where the screen has the room, makes it a little
// taller for the panel's lists; on a screen too narrow for that (under
// 1024 pixels) the panel docks under the board and the chat instead and the
// window grows taller, so the board, the score panels and the chat
// keep their places and the panel lies over none of them; gives the size back
// when the panel closes. While it is open the window's least width keeps room
// for it, so the chat can never be squeezed over the board. The program's
// other windows that would lie over the panel move off it, or hide where the
// screen has no room for them.
class ReviewPlacement {
public:
    ReviewPlacement(QMainWindow &main, QDockWidget &dock);

    // Height the window grows to for the panel beside the chat, where the screen allows.
    static constexpr int kTallest = 700;
    // Height the window grows by for the panel under the board, where the screen allows.
    static constexpr int kBelow = 300;

    // Opens the panel about `wanted` pixels wide.
    void open(int wanted);
    // The panel closed: the window goes back to its width.
    void closed();

private:
    // Moves or hides the other visible windows that lie over `panel` (global).
    void clearWay(const QRect &panel) const;

    QMainWindow &main_;
    QDockWidget &dock_;
    // The window's size and least size before the panel widened it (invalid: not widened).
    QSize sizeBefore_;
    QSize leastBefore_;
};

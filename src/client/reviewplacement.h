#pragma once

#include <QRect>

class QDockWidget;
class QMainWindow;
class QWidget;

// Makes room in the main window for the review panel docked at its right:
// widens the window as far as its screen allows (moving it left when it
// would run off the screen), so the board, the score panels and the chat keep
// their places and the panel lies over none of them; gives the width back
// when the panel closes. The program's other windows that would lie over the
// panel move off it, or hide where the screen has no room for them.
class ReviewPlacement {
public:
    ReviewPlacement(QMainWindow &main, QDockWidget &dock);

    // Opens the panel about `wanted` pixels wide.
    void open(int wanted);
    // The panel closed: the window goes back to its width.
    void closed();

private:
    // Moves or hides the other visible windows that lie over `panel` (global).
    void clearWay(const QRect &panel) const;

    QMainWindow &main_;
    QDockWidget &dock_;
    // The window's width before the panel widened it (-1: not widened).
    int widthBefore_ = -1;
};

#include "client/reviewplacement.h"

#include <QApplication>
#include <QDockWidget>
#include <QMainWindow>
#include <QScreen>

#include <algorithm>

namespace {
constexpr int kGap = 8;

QRect roomOf(const QWidget &window)
{
    const QScreen *screen = window.screen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
}

// A place for a window of that frame size on the screen, clear of `keep`; empty when none.
QRect placeClear(const QSize &size, const QRect &keep, const QRect &room)
{
    const QList<QPoint> tries = {
        {keep.left(), keep.bottom() + 1 + kGap},
        {keep.right() + 1 + kGap, keep.top()},
        {keep.left(), keep.top() - kGap - size.height()},
        {keep.left() - kGap - size.width(), keep.top()},
        {room.right() + 1 - size.width(), room.bottom() + 1 - size.height()},
    };
    for (QPoint at : tries) {
        at.setX(std::clamp(at.x(), room.left(),
                           std::max(room.left(), room.right() + 1 - size.width())));
        at.setY(std::clamp(at.y(), room.top(),
                           std::max(room.top(), room.bottom() + 1 - size.height())));
        const QRect place(at, size);
        if (room.contains(place) && !place.intersects(keep))
            return place;
    }
    return {};
}

} // namespace

ReviewPlacement::ReviewPlacement(QMainWindow &main, QDockWidget &dock)
    : main_(main)
    , dock_(dock)
{
}

void ReviewPlacement::open(int wanted)
{
    const QRect room = roomOf(main_);
    const QRect frame = main_.frameGeometry();
    const int frameExtra = frame.width() - main_.width();
    if (widthBefore_ < 0)
        widthBefore_ = main_.width();
    const int width = std::min(widthBefore_ + wanted, room.width() - frameExtra);
    int left = frame.left();
    if (left + width + frameExtra > room.right() + 1)
        left = std::max(room.left(), room.right() + 1 - width - frameExtra);
    if (left != frame.left())
        main_.move(left, frame.top());
    main_.resize(std::max(width, main_.width()), main_.height());
    dock_.show();
    const int panel = std::max(dock_.minimumSizeHint().width(), width - widthBefore_);
    main_.resizeDocks({&dock_}, {panel}, Qt::Horizontal);
    const QRect placed(left, frame.top(), width + frameExtra, frame.height());
    clearWay(QRect(placed.right() + 1 - panel - frameExtra, placed.top(), panel + frameExtra,
                   placed.height()));
}

void ReviewPlacement::closed()
{
    if (widthBefore_ < 0)
        return;
    main_.resize(widthBefore_, main_.height());
    widthBefore_ = -1;
}

void ReviewPlacement::clearWay(const QRect &panel) const
{
    const QRect room = roomOf(main_);
    const QRect keep = main_.frameGeometry().united(panel);
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window == &main_ || !window->isVisible() || window->windowType() == Qt::Popup ||
            window->windowType() == Qt::ToolTip || !window->frameGeometry().intersects(panel))
            continue;
        const QRect place = placeClear(window->frameGeometry().size(), keep, room);
        if (place.isEmpty())
            window->hide();
        else
            window->move(place.topLeft());
    }
}

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
    const QSize frameExtra = frame.size() - main_.size();
    if (!sizeBefore_.isValid()) {
        sizeBefore_ = main_.size();
        leastBefore_ = main_.minimumSize();
    }
    const QSize least = dock_.minimumSizeHint();
    // Beside the chat where the screen is wide enough for the board, the
    // narrowest chat and the panel, else under the board and the chat.
    const bool beside =
        room.width() - frameExtra.width() >= leastBefore_.width() + least.width() + kGap;
    main_.addDockWidget(beside ? Qt::RightDockWidgetArea : Qt::BottomDockWidgetArea, &dock_);
    const QSize most = room.size() - frameExtra;
    const QSize size =
        beside ? QSize(std::min(sizeBefore_.width() + wanted, most.width()),
                       std::max(sizeBefore_.height(), std::min(kTallest, most.height())))
               : QSize(sizeBefore_.width(), std::min(sizeBefore_.height() + kBelow, most.height()));
    QPoint at = frame.topLeft();
    at.setX(std::max(room.left(),
                     std::min(at.x(), room.right() + 1 - size.width() - frameExtra.width())));
    at.setY(std::max(room.top(),
                     std::min(at.y(), room.bottom() + 1 - size.height() - frameExtra.height())));
    if (at != frame.topLeft())
        main_.move(at);
    main_.resize(size.expandedTo(main_.size()));
    dock_.show();
    QRect panel;
    const QRect placed(at, size + frameExtra);
    if (beside) {
        // The chat gives up width down to its narrowest before the panel goes without.
        const int width =
            std::max(least.width(), std::min(wanted, size.width() - leastBefore_.width() - kGap));
        main_.setMinimumWidth(leastBefore_.width() + least.width() + kGap);
        main_.resizeDocks({&dock_}, {width}, Qt::Horizontal);
        panel = QRect(placed.right() + 1 - width - frameExtra.width(), placed.top(),
                      width + frameExtra.width(), placed.height());
    } else {
        const int height = std::max(least.height(), size.height() - sizeBefore_.height());
        // Never at the board's cost: on a screen too small for both the window
        // runs past its edge rather than squeezing the board.
        main_.setMinimumHeight(leastBefore_.height() + least.height() + kGap);
        main_.resizeDocks({&dock_}, {height}, Qt::Vertical);
        panel = QRect(placed.left(), placed.bottom() + 1 - height - frameExtra.height(),
                      placed.width(), height + frameExtra.height());
    }
    clearWay(panel);
}

void ReviewPlacement::closed()
{
    if (!sizeBefore_.isValid())
        return;
    main_.setMinimumSize(leastBefore_);
    main_.resize(sizeBefore_);
    sizeBefore_ = QSize();
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

#include "client/seatcolours.h"

#include <array>

namespace {
const std::array<QColor, 6> kSeats = {{
    QColor(0, 0, 221),
    QColor(255, 128, 0),
    QColor(0, 170, 170),
    QColor(255, 0, 0),
    QColor(128, 128, 192),
    QColor(164, 164, 0),
}};

bool isPlayerSeat(int seat)
{
    return seat >= 1 && seat <= int(kSeats.size());
}
} // namespace

QColor seatColour(int seat)
{
    return isPlayerSeat(seat) ? kSeats[seat - 1] : QColor(Qt::black);
}

#include "client/seatcolours.h"

#include <array>

namespace {
struct SeatLook {
    QColor colour;
    const char *computer;
};

const std::array<SeatLook, 6> kSeats = {{
    {QColor(0, 0, 221), ""},
    {QColor(255, 128, 0), "Klot"},
    {QColor(0, 170, 170), "Klick"},
    {QColor(255, 0, 0), "Kling"},
    {QColor(128, 128, 192), "Klick"},
    {QColor(164, 164, 0), "Krazy"},
}};

bool isPlayerSeat(int seat) { return seat >= 1 && seat <= int(kSeats.size()); }
} // namespace

QColor seatColour(int seat)
{
    return isPlayerSeat(seat) ? kSeats[seat - 1].colour : QColor(Qt::black);
}

QString computerName(int seat)
{
    return isPlayerSeat(seat) ? QString::fromLatin1(kSeats[seat - 1].computer) : QString();
}

#pragma once

#include <QColor>

// Fixed colour of player seats 1 to 6 (seat rows, score panels, word list);
// black for any other number.
QColor seatColour(int seat);

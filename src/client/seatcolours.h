#pragma once

#include <QColor>
#include <QString>

// Fixed colour of player seats 1 to 6 (seat rows, score panels, word list);
// black for any other number.
QColor seatColour(int seat);
// The name a computer player would have at a seat; empty where there is none.
QString computerName(int seat);

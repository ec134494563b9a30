#pragma once

#include <QString>

// The lobby window's style sheet: the board's dark tile and light text
// (contrast about 13:1), and the first seat's colours for the buttons and
// the error text.
QString lobbyStyleSheet();

#pragma once

// Teaches the accessibility interface that the lobby window is a window (a
// frame to screen readers), not a plain area of some other window. Safe to
// call any number of times.
void installLobbyAccess();

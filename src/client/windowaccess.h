#pragma once

#include <functional>

class QWidget;

// Teaches the accessibility interface about the program's own windows and
// controls: a secondary window (a QWidget shown as a dialog) presents itself
// as a dialog, and a PressableLabel as a button (or, when it shows a web
// address, a link) with the "Press" action. Safe to call any number of times.
void installWindowAccess();

// Escape pressed anywhere in window (and not taken by a control) runs close.
void closeOnEscape(QWidget *window, std::function<void()> close);

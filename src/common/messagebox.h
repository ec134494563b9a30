#pragma once

#include <QString>

#include <functional>

// Every modal message box of the program goes through here, so that tests can
// record the texts instead of blocking on a dialog. The windows install the
// real dialog at start-up; without one the text goes to the log.
void setMessageBoxHandler(std::function<void(const QString &)> handler);
// Shows a modal message box with an OK button; returns when it was closed.
void showMessage(const QString &text);

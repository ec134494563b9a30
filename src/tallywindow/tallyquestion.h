#pragma once

#include <QString>

#include <functional>

// The tally window's yes/no questions go through here, so that tests can
// answer them instead of blocking on a dialog.
namespace Tally {
// Replaces the question box; an empty handler restores the real one.
void setYesNoHandler(std::function<bool(const QString &)> handler);
// Asks a modal question with Yes and No buttons; true when Yes was chosen.
bool askYesNo(const QString &text);
} // namespace Tally

#pragma once

#include <QString>

#include <functional>
#include <utility>

// The program's general error handler: shows the message and carries on.
// Tests and the shell replace it; by default it writes to the log.
void setErrorHandler(std::function<void(const QString &)> handler);
// Hands a message to the current general error handler.
void reportError(const QString &message);

// The handler of reports that nobody has to wait for (a notice shown beside
// the windows); without one they go to the general error handler.
void setNoticeHandler(std::function<void(const QString &)> handler);
// Hands a message to the notice handler, or else to the general error handler.
void reportNotice(const QString &message);

// Runs one entry point from the event loop (socket notification, timer tick,
// user action); an exception never crosses the loop, it reaches the handler.
void runGuarded(const std::function<void()> &entry);

// Convenience wrapper for lambdas and member calls.
template <typename F> void guarded(F &&entry)
{
    runGuarded(std::function<void()>(std::forward<F>(entry)));
}

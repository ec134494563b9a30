#pragma once

#include <QObject>
#include <QProcessEnvironment>
#include <QStringList>

#include <functional>
#include <memory>

class QSocketNotifier;
class QTimer;

// Starts the game program as a process of its own session and learns when it
// ends, with its exit code. The game never depends on the lobby: nothing here
// stops it, and destroying this object or ending the lobby leaves it running.
class GameLaunch : public QObject {
public:
    explicit GameLaunch(QObject *parent = nullptr);
    ~GameLaunch() override;

    // Called once when the game has ended: its exit code, or crashed.
    std::function<void(int exitCode, bool crashed)> onFinished;

    // Starts program with arguments and environment, standard input from
    // /dev/null and the lobby's own output; the reason on failure, else empty.
    QString start(const QString &program, const QStringList &arguments,
                  const QProcessEnvironment &environment);
    // Asks the game to close as its close box would (SIGTERM).
    void terminate() const;
    // True from a successful start until the end was noticed.
    bool running() const { return pid_ > 0; }
    // The game's process id, 0 when none runs.
    qint64 pid() const { return pid_; }
    // Checks whether the game has ended and reports it (the watcher does this
    // by itself when the game ends).
    void checkEnded();

private:
    qint64 pid_ = 0;
    int pidfd_ = -1;
    std::unique_ptr<QSocketNotifier> watcher_;
    std::unique_ptr<QTimer> poll_;
};

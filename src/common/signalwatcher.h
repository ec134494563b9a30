#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

// Turns SIGTERM and SIGINT into a Qt signal on the main thread (through a
// pipe written by the signal handler), so the program can close its main
// window the way the close box does: the tally is saved, the word list removed.
// A program that rereads its settings also watches SIGHUP.
class SignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;
    // From now on SIGHUP is reported by hangupReceived too.
    void watchHangup();

signals:
    // SIGTERM or SIGINT arrived.
    void terminationRequested();
    // SIGHUP arrived (after watchHangup).
    void hangupReceived();

private:
    void onReadable();

    std::unique_ptr<QSocketNotifier> notifier_;
    bool hangup_ = false;
};

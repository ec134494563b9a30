#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

// Turns SIGTERM and SIGINT into a Qt signal on the main thread (through a
// pipe written by the signal handler), so the program can close its main
// window the way the close box does: the tally is saved, the word list removed.
class SignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;

signals:
    // SIGTERM or SIGINT arrived.
    void terminationRequested();

private:
    void onReadable();

    std::unique_ptr<QSocketNotifier> notifier_;
};

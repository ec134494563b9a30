#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QSocketNotifier;

// Lets only one copy of the program run per user (and per scope). The first
// copy holds an exclusive lock on "<runtime folder>/<identifier>[-<scope>].lock"
// and listens on a local socket of the same name; a later copy finds the lock
// taken, asks the first over that socket to restore and raise its window, and
// is to end without a window. The scope comes from the environment variable
// LEXICLASH_INSTANCE, so tests and side-by-side games can run several copies.
class SingleInstance : public QObject {
public:
    explicit SingleInstance(const QString &identifier, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when another copy runs; with activate, that copy has been asked to
    // restore and raise its window. False makes this copy the first one.
    bool anotherInstanceRuns(bool activate);
    // Runs in the first copy whenever a later copy asks for its window.
    void setActivationHandler(std::function<void()> handler);
    // The local socket's path for an identifier in the current scope.
    static QString scopedName(const QString &identifier);

private:
    bool becomeFirst();
    void askFirst(bool activate);
    void onConnection();

    QString name_;
    int lockfd_ = -1;
    int listenfd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void()> activate_;
};

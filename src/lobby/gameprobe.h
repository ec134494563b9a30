#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class TSock;

// One check that a game answers at an address before a game window opens
// for it: a TCP connection, closed as soon as it is taken (the game then
// makes its own).
class GameProbe : public QObject {
public:
    explicit GameProbe(QObject *parent = nullptr);
    ~GameProbe() override;

    // Called once per check: true when the game answered.
    std::function<void(bool answered)> onDone;

    // Starts a check of address (numeric) and port; one at a time.
    void start(const QString &address, quint16 port);
    // True from start() until onDone was called.
    bool busy() const { return busy_; }

private:
    void finish(bool answered);

    std::unique_ptr<TSock> sock_;
    bool busy_ = false;
};

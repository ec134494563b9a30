#pragma once

#include <QLabel>
#include <QTimer>

class DiscoveryBrowser;

// The line under the list of games that shows once no game has been listed
// for kQuietMs while the lobby looks: a firewall may block the answers, and
// which port to let in. It checks once a second while looking.
class FirewallHint : public QLabel {
public:
    static constexpr qint64 kQuietMs = 10000;

    // browser: the lobby's, read for whether it looks, what it found and the time.
    explicit FirewallHint(const DiscoveryBrowser &browser, QWidget *parent = nullptr);

    // Looking began: the quiet time counts from now.
    void lookingBegan();
    // Looking ended: the hint goes.
    void lookingEnded();
    // Shows or hides the hint as the list and the time say (the timer's handler).
    void hintTimerTimer();

private:
    const DiscoveryBrowser &browser_;
    QTimer timer_;
    // Since when the list has been empty while looking; -1 while not known.
    qint64 quietSinceMs_ = -1;
};

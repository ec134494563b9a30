#include "lobby/firewallhint.h"

#include "common/guard.h"
#include "common/ports.h"
#include "discovery/discoverybrowser.h"

FirewallHint::FirewallHint(const DiscoveryBrowser &browser, QWidget *parent)
    : QLabel(parent)
    , browser_(browser)
    , timer_(this)
{
    setObjectName(QStringLiteral("label_hint"));
    setWordWrap(true);
    hide();
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, [this] { guarded([this] { hintTimerTimer(); }); });
}

void FirewallHint::lookingBegan()
{
    quietSinceMs_ = browser_.now();
    timer_.start();
}

void FirewallHint::lookingEnded()
{
    timer_.stop();
    hide();
}

void FirewallHint::hintTimerTimer()
{
    const bool looking = browser_.running();
    if (!looking || !browser_.games().empty()) {
        quietSinceMs_ = -1;
        hide();
        return;
    }
    const qint64 now = browser_.now();
    if (quietSinceMs_ < 0)
        quietSinceMs_ = now;
    if (now - quietSinceMs_ < kQuietMs || !isHidden())
        return;
    setText(QStringLiteral("No game has been seen on your network for %1 seconds. If someone is "
                           "hosting one, a firewall on this computer may be blocking the answers: "
                           "let UDP port %2 in (for example: sudo ufw allow %2/udp).")
                .arg(kQuietMs / 1000)
                .arg(discoveryPort()));
    setAccessibleName(text());
    show();
}

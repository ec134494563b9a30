#pragma once

#include "net/gameaddress.h"

#include <QStringList>
#include <QWidget>

struct InternetReport;
class QLabel;
class QPushButton;
class QStackedWidget;

// The lobby's small page while a game started from it runs: whose game it
// is and, while this machine hosts, the addresses friends type to join.
class LobbyGamePage : public QWidget {
public:
    explicit LobbyGamePage(QWidget *parent = nullptr);

    // A game joined at another player's machine.
    void showJoined(const QString &hostPlayer);
    // A game hosted here on port; addresses: this machine's own.
    void showHosting(const QStringList &addresses, const QString &port);
    // What the hosting game found out about players on the internet.
    void showInternet(const InternetReport &report);
    // The invite link the button copies, empty while there is none.
    QString inviteLink() const { return link_; }
    // Puts the invite link on the clipboard (the button's action).
    void copyInviteClick();

    QLabel *label_ingame = nullptr;
    QLabel *label_invite = nullptr;
    QLabel *label_internet = nullptr;
    QPushButton *button_copyinvite = nullptr;

private:
    static void setText(QLabel *label, const QString &text);
    void setLink(const QString &link);

    QStringList addresses_;
    quint16 port_ = 0;
    QString link_;
    // What the page says about players on the internet, in one line.
    QString internet_;
};

// The invite link of a game hosted here: at outside when its host is known
// (the router opened the port), else at the first of this machine's own
// addresses (as listed, IPv6 in brackets) on port; empty without either.
QString hostingInviteLink(const GameAddress &outside, const QStringList &ownAddresses,
                          quint16 port);

// Shows page, one of the pages, and lets only it count for the window's size.
void showPageAlone(QStackedWidget *pages, QWidget *page);
// Puts a small window in its screen's far corner, away from the game's
// window (which opens at the top left) yet in sight.
void placeInCorner(QWidget *window);
// A question box with OK and Cancel over parent; true for OK.
bool askOkCancel(QWidget *parent, const QString &question);

#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;
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

    QLabel *label_ingame = nullptr;
    QLabel *label_invite = nullptr;

private:
    static void setText(QLabel *label, const QString &text);
};

// Shows page, one of the pages, and lets only it count for the window's size.
void showPageAlone(QStackedWidget *pages, QWidget *page);
// Puts a small window in its screen's far corner, away from the game's
// window (which opens at the top left) yet in sight.
void placeInCorner(QWidget *window);
// A question box with OK and Cancel over parent; true for OK.
bool askOkCancel(QWidget *parent, const QString &question);

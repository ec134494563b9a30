#pragma once

#include "discovery/discoverybrowser.h"
#include "lobby/lobbyoptions.h"

#include <QTextStream>
#include <QWidget>

#include <functional>
#include <memory>

class FirewallHint;
class GameListModel;
class GameListView;
class GameProbe;
class LobbyGamePage;
class LobbySession;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class TSock;

// The lobby window: the player's name, hosting a game, the games found on the
// local network, joining one of them or a game at an address, and this
// machine's own addresses. While a game started from it runs, it shrinks to a
// small page that says so (with the addresses friends need while hosting)
// and stays the presence the game connects to; it comes back to the list
// after. The game never depends on it: closing the lobby leaves it running.
class LobbyWindow : public QWidget {
public:
    explicit LobbyWindow(QWidget *parent = nullptr);
    ~LobbyWindow() override;

    // The component that finds games (tests point it at private ports).
    DiscoveryBrowser &browser() { return browser_; }
    // True while a game started from this window runs.
    bool inGame() const;
    // The running game's process id, 0 when none runs.
    qint64 gamePid() const;

    // The question asked before the window closes while a game runs; true
    // lets it close. A real question box unless replaced (tests do).
    std::function<bool(const QString &question)> askToLeave;
    // Closes the window without asking; a running game plays on (SIGTERM).
    void leave();
    // Puts an invite link into the join field, ready to be joined with one
    // press; returns the game's address as text, or empty (and shows why)
    // for a link that cannot be used.
    QString offerInvite(const QString &link);

    // The actions behind the buttons (public so tests can step them).
    void hostClick();
    void joinClick();
    void joinAddressClick();
    // Shows the games the browser knows.
    void refreshGames();
    // The games listed.
    GameListModel &games() { return *games_; }

    // A name the game can carry: empty text, or why not.
    static QString nameProblem(const QString &name);
    // This machine's IPv4 addresses other than loopback, and its global
    // IPv6 ones in brackets.
    static QStringList ownAddresses();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void build();
    void applyLook();
    void loadSettings();
    void saveSettings();
    bool checkName();
    void showNameProblem(const QString &problem);
    void showError(const QString &text);
    void rememberAddress(const QString &address);
    void probeAndJoin(const QString &typedHost, const QString &typed, const QString &address,
                      quint16 port, const QString &silence);
    void setJoinButtonsEnabled(bool enabled);
    void startLooking();
    void startGame(LobbyOptions options, const QString &hostPlayer);
    void showGameLook(bool inGame);
    void gameEnded(int exitCode);

    DiscoveryBrowser browser_;
    GameListModel *games_ = nullptr;
    QTextStream out_;
    QTextStream err_;
    std::unique_ptr<LobbySession> session_;
    GameProbe *probe_ = nullptr;
    QStackedWidget *pages_ = nullptr;
    QLineEdit *edit_name = nullptr;
    QLabel *label_nameproblem = nullptr;
    QPushButton *button_host = nullptr;
    GameListView *list_games = nullptr;
    FirewallHint *label_hint = nullptr;
    QPushButton *button_join = nullptr;
    QComboBox *combo_address = nullptr;
    QPushButton *button_joinaddress = nullptr;
    QLabel *label_status = nullptr;
    QLabel *label_addresses = nullptr;
    LobbyGamePage *page_ingame = nullptr;
    QByteArray listGeometry_;
    bool leaving_ = false;
};

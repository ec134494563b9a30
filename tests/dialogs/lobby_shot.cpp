// Takes the README's picture of the lobby window from the real window: a
// hosting copy of the game on private ports (a running lexiclash-lobby
// "host NAME" started by the caller), found over loopback only.
//
// Usage: lobby_shot OUT.png DISCOVERY_PORT [hosting]
// With "hosting" the window hosts a game itself and is taken while the game
// runs; the whole screen goes beside it, as OUT-screen.png.

#include "lobby/lobbywindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>

#include <csignal>
#include <cstdio>
#include <functional>

namespace {
void waitFor(const std::function<bool()> &done, int ms)
{
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 100);
}

// Hosts a game from the window and takes it and the screen while it runs.
int shootHosting(LobbyWindow &window, const QString &out)
{
    window.findChild<QLineEdit *>(QStringLiteral("edit_name"))->setText(QStringLiteral("Ann"));
    window.findChild<QPushButton *>(QStringLiteral("button_host"))->click();
    waitFor([&] { return window.gamePid() > 0; }, 30000);
    const qint64 game = window.gamePid();
    if (game <= 0) {
        std::fprintf(stderr, "lobby_shot: the game did not start\n");
        return 1;
    }
    // The game's window comes up meanwhile.
    waitFor([] { return false; }, 4000);
    const bool saved =
        window.grab().save(out) && window.screen()->grabWindow(0).save(QString(out).replace(
                                       QLatin1String(".png"), QLatin1String("-screen.png")));
    ::kill(pid_t(game), SIGTERM);
    waitFor([&] { return window.gamePid() == 0; }, 30000);
    return saved ? 0 : 1;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 3 && !(argc == 4 && QByteArray(argv[3]) == "hosting")) {
        std::fprintf(stderr, "usage: lobby_shot OUT.png DISCOVERY_PORT [hosting]\n");
        return 2;
    }
    LobbyWindow window;
    window.browser().setTargets(
        {{QHostAddress(QHostAddress::LocalHost), quint16(QByteArray(argv[2]).toUInt())}});
    window.findChild<QLineEdit *>(QStringLiteral("edit_name"))->setText(QStringLiteral("Bob"));
    window.resize(720, 480);
    window.show();
    if (argc == 4)
        return shootHosting(window, QString::fromLocal8Bit(argv[1]));
    auto *list = window.findChild<QTreeView *>(QStringLiteral("list_games"));
    QElapsedTimer waited;
    waited.start();
    while (list->model()->rowCount() == 0 && waited.elapsed() < 30000)
        QApplication::processEvents(QEventLoop::AllEvents, 100);
    if (list->model()->rowCount() == 0) {
        std::fprintf(stderr, "lobby_shot: no game was found\n");
        return 1;
    }
    list->setFocus();
    QApplication::processEvents();
    return window.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}

// Takes the README's picture of the lobby window from the real window: a
// hosting copy of the game on private ports (a running lexiclash-lobby
// "host NAME" started by the caller), found over loopback only.
//
// Usage: lobby_shot OUT.png DISCOVERY_PORT

#include "lobby/lobbywindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTreeView>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: lobby_shot OUT.png DISCOVERY_PORT\n");
        return 2;
    }
    LobbyWindow window;
    window.browser().setTargets(
        {{QHostAddress(QHostAddress::LocalHost), quint16(QByteArray(argv[2]).toUInt())}});
    window.findChild<QLineEdit *>(QStringLiteral("edit_name"))->setText(QStringLiteral("Bob"));
    window.resize(720, 480);
    window.show();
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

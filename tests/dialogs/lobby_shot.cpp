// Takes the README's picture of the lobby window from the real window: a
// hosting copy of the game on private ports (a running lexiclash-lobby
// "host NAME" started by the caller), found over loopback only. With
// "crowded", the window also hears many made-up games from other loopback
// addresses (one with a 64-byte name and a long version, one with a blank
// name) and has tried a 300-character address, at its own size.
//
// Usage: lobby_shot OUT.png DISCOVERY_PORT [crowded|hosting|server]
// With "hosting" the window hosts a game itself and is taken while the game
// runs; the whole screen goes beside it, as OUT-screen.png. With "server" it
// waits until a dedicated host is listed beside the other game.

#include "discovery/discoverydatagram.h"
#include "lobby/lobbywindow.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>

#include <QUdpSocket>

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

void waitFor(const std::function<bool()> &done)
{
    waitFor(done, 30000);
}

// Made-up games from 127.0.0.2 on, a few a second as the list takes them in.
void sendMadeUpGames(quint16 port)
{
    const QStringList names{QString(64, QLatin1Char('W')), QStringLiteral("   "),
                            QStringLiteral("Zoë"),         QStringLiteral("Łukasz"),
                            QStringLiteral("山田"),        QStringLiteral("Priya")};
    for (int n = 0; n < 40; ++n) {
        QUdpSocket socket;
        socket.bind(QHostAddress(quint32(0x7F000002 + n)), 0);
        discovery::GameInfo info{quint32(100 + n),
                                 quint16(n % 3 ? 7772 : 7800 + n),
                                 n < int(names.size()) ? names[n]
                                                       : QStringLiteral("Player %1").arg(n),
                                 1 + n % 6,
                                 n % 4,
                                 n % 2 == 1,
                                 n % 2 ? 2 : 0,
                                 n % 2 ? 5 : 0,
                                 n == 0 ? QStringLiteral("1.0.3-beta.12345") : "1.0.3"};
        socket.writeDatagram(discovery::encodeAnnouncement(info),
                             QHostAddress(QHostAddress::LocalHost), port);
        if (n % 4 == 3) {
            QElapsedTimer pause;
            pause.start();
            waitFor([&pause] { return pause.elapsed() > 250; });
        }
    }
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QByteArray mode = argc == 4 ? QByteArray(argv[3]) : QByteArray();
    if (argc != 3 && !(argc == 4 && (mode == "crowded" || mode == "hosting" || mode == "server"))) {
        std::fprintf(stderr, "usage: lobby_shot OUT.png DISCOVERY_PORT [crowded|hosting|server]\n");
        return 2;
    }
    const bool crowded = mode == "crowded";
    LobbyWindow window;
    window.browser().setTargets(
        {{QHostAddress(QHostAddress::LocalHost), quint16(QByteArray(argv[2]).toUInt())}});
    window.findChild<QLineEdit *>(QStringLiteral("edit_name"))->setText(QStringLiteral("Bob"));
    if (!crowded)
        window.resize(720, 480);
    window.show();
    if (mode == "hosting")
        return shootHosting(window, QString::fromLocal8Bit(argv[1]));
    auto *list = window.findChild<QTreeView *>(QStringLiteral("list_games"));
    waitFor([list] { return list->model()->rowCount() > 0; });
    if (list->model()->rowCount() == 0) {
        std::fprintf(stderr, "lobby_shot: no game was found\n");
        return 1;
    }
    if (mode == "server") {
        const auto serverListed = [list] {
            const QAbstractItemModel *games = list->model();
            bool server = false;
            for (int row = 0; row < games->rowCount(); ++row)
                server = server || games->index(row, 0).data().toString().endsWith(
                                       QLatin1String(" (server)"));
            return server && games->rowCount() >= 2;
        };
        waitFor(serverListed);
        if (!serverListed()) {
            std::fprintf(stderr, "lobby_shot: no dedicated host was listed beside the game\n");
            return 1;
        }
    }
    if (crowded) {
        sendMadeUpGames(window.browser().localPort());
        auto *address = window.findChild<QComboBox *>(QStringLiteral("combo_address"));
        address->setEditText(QString(290, QLatin1Char('x')) + QStringLiteral(".example.org"));
        window.joinAddressClick();
        auto *status = window.findChild<QLabel *>(QStringLiteral("label_status"));
        waitFor([status] { return status->text().startsWith(QLatin1String("No computer")); });
        waitFor([list] { return list->model()->rowCount() > 30; });
    }
    list->setFocus();
    QApplication::processEvents();
    return window.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}

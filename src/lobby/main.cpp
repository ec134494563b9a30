#include "common/displaycheck.h"
#include "common/guard.h"
#include "common/infooption.h"
#include "common/signalwatcher.h"
#include "lobby/lobbyoptions.h"
#include "lobby/lobbysession.h"
#include "lobby/lobbywindow.h"
#include "widgets/appicon.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>

#include <optional>

namespace {
// Without arguments: the lobby window, for players who never open a terminal.
int runWindow(int argc, char *argv[])
{
    std::optional<DisplayCheck> displayCheck(std::in_place, "lexiclash-lobby");
    QApplication app(argc, argv);
    displayCheck.reset();
    QApplication::setApplicationName(QStringLiteral("lexiclash-lobby"));
    QGuiApplication::setDesktopFileName(QStringLiteral("example.lexiclash.Lobby"));
    // For the title bars and task lists that read the window's own icon.
    QApplication::setWindowIcon(applicationIcon());
    setErrorHandler([](const QString &message) {
        QTextStream(stderr) << "lexiclash-lobby: " << message << Qt::endl;
    });
    LobbyWindow window;
    SignalWatcher signalWatcher;
    // Asked to end, the lobby goes without a question; its game plays on.
    QObject::connect(&signalWatcher, &SignalWatcher::terminationRequested, &window,
                     &LobbyWindow::leave);
    window.show();
    return app.exec();
}
} // namespace

int main(int argc, char *argv[])
{
    if (printInfoOption(argc, argv, "lexiclash-lobby", lobbyUsage()))
        return 0;
    if (argc <= 1)
        return runWindow(argc, argv);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lexiclash-lobby"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    const LobbyOptions options = LobbyOptions::parse(QCoreApplication::arguments().mid(1));
    if (options.action == LobbyOptions::Action::Help) {
        out << lobbyUsage() << Qt::flush;
        return 0;
    }
    if (options.action == LobbyOptions::Action::Invalid) {
        err << lobbyUsage() << Qt::flush;
        return 2;
    }

    setErrorHandler(
        [&err](const QString &message) { err << "lexiclash-lobby: " << message << Qt::endl; });
    LobbySession session(options, out, err);
    session.onFinished = [](int exitCode) { QCoreApplication::exit(exitCode); };
    // Stopping the lobby never stops its game: the players play on.
    SignalWatcher signalWatcher;
    QObject::connect(&signalWatcher, &SignalWatcher::terminationRequested, &session,
                     [&session] { session.leave(); });
    // Started from the running loop, so that an early end can leave it.
    QTimer::singleShot(0, &session, [&session] { session.start(); });
    return app.exec();
}

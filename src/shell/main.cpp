#include "client/tchat.h"
#include "common/displaycheck.h"
#include "common/infooption.h"
#include "common/paths.h"
#include "common/signalwatcher.h"
#include "shell/appwindows.h"
#include "shell/automation.h"
#include "shell/singleinstance.h"
#include "shell/uihandlers.h"
#include "shell/usage.h"
#include "widgets/appicon.h"

#include "common/errors.h"

#include <QApplication>
#include <QDebug>

#include <optional>

// Lexiclash: with no parameters a solo game against the computer player;
// with NAME HOST true a hosted game, with NAME HOST anything-else a game
// joined at HOST. LEXICLASH_PORT and LEXICLASH_LOBBY_PORT change the game and
// lobby ports, LEXICLASH_INSTANCE the scope of the single-instance guard.
int main(int argc, char *argv[])
{
    // Answered before the application exists, so they work without a display.
    if (printInfoOption(argc, argv, "lexiclash", lexiclashUsage()))
        return 0;
    std::optional<DisplayCheck> displayCheck(std::in_place, "lexiclash");
    QApplication app(argc, argv);
    displayCheck.reset();
    QApplication::setApplicationName(QStringLiteral("Lexiclash"));
    // Ties the windows to the menu entry and its icon.
    QApplication::setDesktopFileName(QString::fromLatin1(kApplicationId));
    // For the title bars and task lists that read the window's own icon.
    QApplication::setWindowIcon(applicationIcon());

    SingleInstance guard(QStringLiteral("kramlliuq"));
    if (guard.anotherInstanceRuns(true))
        return 0;

    installUiHandlers();
    // SIGTERM and SIGINT end the program the way the main window's close box
    // does, also while a message box waits and before the windows are up.
    bool terminating = false;
    Tchat *chat = nullptr;
    SignalWatcher signalWatcher;
    QObject::connect(&signalWatcher, &SignalWatcher::terminationRequested, [&] {
        terminating = true;
        closeMessageBoxesForGood();
        if (chat)
            chat->close();
    });
    // Only the main window's close ends the program, whatever else is open.
    QApplication::setQuitOnLastWindowClosed(false);
    std::unique_ptr<AppWindows> windows;
    try {
        windows = std::make_unique<AppWindows>(QApplication::arguments().mid(1));
    } catch (const Error &error) {
        qCritical().noquote() << "Lexiclash cannot start:" << error.message();
        closeMessageBoxesForGood();
        return 1;
    }
    chat = windows->chat();
    // A game that ended for this copy by the host's doing, or a lost seat,
    // gives its own exit code, so the lobby can tell the player.
    QObject::connect(chat, &Tchat::closed, &app,
                     [chat] { QCoreApplication::exit(chat->exitCode()); });
    if (terminating) {
        chat->close();
        closeMessageBoxesForGood();
        return 0;
    }

    guard.setActivationHandler([chat] {
        chat->setWindowState(chat->windowState() & ~Qt::WindowMinimized);
        chat->show();
        chat->raise();
        chat->activateWindow();
        qInfo("Lexiclash: window raised for another copy");
    });

    // A test hook only when LEXICLASH_AUTOMATION is set; nothing otherwise.
    const auto automation = Automation::fromEnvironment();
    chat->show();
    // A signal that came while the window was being shown (a message box of
    // the start-up) closed it before the event loop ran.
    const int code = terminating || !chat->isVisible() ? 0 : app.exec();
    closeMessageBoxesForGood();
    return code;
}

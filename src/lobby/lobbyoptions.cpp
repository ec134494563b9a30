#include "lobby/lobbyoptions.h"

#include <pwd.h>
#include <unistd.h>

LobbyOptions LobbyOptions::parse(const QStringList &arguments)
{
    LobbyOptions options;
    if (arguments.isEmpty()) {
        options.action = Action::Window;
        return options;
    }
    const QString command = arguments.first();
    if (command == QLatin1String("-h") || command == QLatin1String("--help")) {
        options.action = Action::Help;
        return options;
    }
    if (command == QLatin1String("host") && arguments.size() == 2 && !arguments[1].isEmpty()) {
        options.action = Action::Play;
        options.playerName = arguments[1];
        options.hostAddress = QStringLiteral("127.0.0.1");
        options.hosting = true;
        return options;
    }
    if (command == QLatin1String("join") && arguments.size() == 3 && !arguments[1].isEmpty() &&
        !arguments[2].isEmpty()) {
        options.action = Action::Play;
        options.playerName = arguments[1];
        options.hostAddress = arguments[2];
        options.hosting = false;
        return options;
    }
    return options;
}

QStringList LobbyOptions::gameArguments() const
{
    return {playerName, hostAddress, hosting ? QStringLiteral("true") : QStringLiteral("false")};
}

QString lobbyUsage()
{
    return QStringLiteral(
        "Usage: lexiclash-lobby [host NAME | join NAME HOST]\n"
        "  host NAME       start a game that others join, playing as NAME\n"
        "  join NAME HOST  join the game hosted at HOST, playing as NAME\n"
        "  (no arguments)  open the lobby window: host, find games, join by address\n"
        "  --help          print this text\n"
        "  --version       print the version\n"
        "Games are played over TCP port 7772; let it through the firewall to host.\n"
        "Games on the network are found over UDP port 7773: hosts answer and announce\n"
        "there, and the lobby hears them there; let it through to host or to find games.\n");
}

QString loginName()
{
    const QString fromEnvironment = qEnvironmentVariable("USER");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    if (const passwd *entry = ::getpwuid(::getuid()); entry && entry->pw_name && *entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return QStringLiteral("Player");
}

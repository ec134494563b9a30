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
        "  -h, --help      print this text\n"
        "  --version       print the version\n"
        "Games are played over TCP port 7772; let it through the firewall to host.\n"
        "Games on the network are found over UDP port 7773: hosts answer and announce\n"
        "there, and the lobby hears them there; let it through to host or to find games.\n"
        "The game a lobby starts connects back to it on 127.0.0.1, on a port the system\n"
        "chooses that the lobby tells the game.\n"
        "\n"
        "Environment:\n"
        "  LEXICLASH_PORT            the game's TCP port (default 7772)\n"
        "  LEXICLASH_LOBBY_PORT      the port on 127.0.0.1 on which the lobby sees its\n"
        "                            game (default: one the system chooses)\n"
        "  LEXICLASH_DISCOVERY_PORT  the UDP port of finding games (default 7773)\n"
        "  LEXICLASH_HOME            the folder of the lobby's settings file\n"
        "  XDG_CONFIG_HOME           the settings of an installed lobby go into its\n"
        "                            lexiclash/ (default ~/.config)\n"
        "The game started by the lobby gets the same environment (see lexiclash --help).\n"
        "\n"
        "Files:\n"
        "  lexiclash-lobby.ini\n"
        "      the player's name and the last addresses joined: in LEXICLASH_HOME when\n"
        "      set, else beside the program when it is not installed and its folder\n"
        "      can be written, else in $XDG_CONFIG_HOME/lexiclash/\n"
        "\n"
        "The game runs on its own: closing the window or stopping the lobby (SIGTERM,\n"
        "SIGINT) leaves it running.\n"
        "\n"
        "Exit status: the window: 0 when it closes, 1 when the display cannot be\n"
        "opened. host and join: the game's own exit status (3: the host ended the\n"
        "game, 4: the host left); 0 when the lobby was stopped while the game runs on;\n"
        "1 when the game could not be started or crashed, or the lobby was stopped\n"
        "before it started. 2 for a wrong command line.\n");
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

#include "shell/usage.h"

QString lexiclashUsage()
{
    return QStringLiteral(
        "Usage: lexiclash                      a solo game against the computer player Klot\n"
        "       lexiclash NAME HOST true       host a game as NAME\n"
        "       lexiclash NAME HOST OTHER      join the game hosted at HOST as NAME\n"
        "                                      (any third parameter but exactly \"true\";\n"
        "                                      HOST may be an IPv6 address, as ::1 or [::1])\n"
        "       lexiclash NAME [HOST]          show the loading line, connect nothing\n"
        "       lexiclash --help | --version\n"
        "Parameters after the third are ignored. Only one copy runs per user: a second\n"
        "one raises the first one's window and ends. Games with others are usually\n"
        "started through lexiclash-lobby.\n"
        "\n"
        "Environment:\n"
        "  LEXICLASH_PORT        the game's TCP port (default 7772)\n"
        "  LEXICLASH_LOBBY_PORT  the lobby's presence port on 127.0.0.1 (default 9001)\n"
        "  LEXICLASH_INSTANCE    the single-instance guard's scope: copies with\n"
        "                        different values run side by side\n"
        "  LEXICLASH_HOME        the folder of the settings and tally files (else the\n"
        "                        program's folder, or ~/.config/lexiclash/ for an\n"
        "                        installed copy)\n"
        "  LEXICLASH_SEED        a number that replaces the clock as the random seed\n"
        "  LEXICLASH_LOBBY_URL   where the lobby download window fetches the installer\n"
        "  LEXICLASH_PORTMAP     off: a hosted game does not ask the router to open\n"
        "                        its port\n"
        "  LEXICLASH_AUTOMATION  test hook: a local socket path on which the program\n"
        "                        takes commands that work its windows\n");
}

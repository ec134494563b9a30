#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The dedicated host's options: built-in values, then the settings file,
// then the command line, each over the one before. A game option left unset
// is taken from the leader's game start.
struct HostConfig {
    static constexpr int kSlowMs = 2000;
    static constexpr int kNormalMs = 1200;
    static constexpr int kFastMs = 750;

    // The name shown in the lobby.
    QString name = QStringLiteral("Lexiclash server");
    // The game's TCP port.
    quint16 port = 7772;
    // Rounds of a game, 1 to 10.
    std::optional<int> rounds;
    // Seconds of a round, 30 to 120.
    std::optional<int> seconds;
    // The game type of the game start: 0 any length, 1 to 5 words of 3 to 7
    // letters, 6 a length drawn for each round.
    std::optional<int> gameType;
    // Whether found words are shown to everybody.
    std::optional<bool> showWords;
    // Seconds between rounds, 1 to 19.
    int pause = 12;
    // The computer player's interval in milliseconds; 0 when it does not play.
    int botInterval = kNormalMs;
    // Whether the router is asked to forward the game port (UPnP IGD, else
    // NAT-PMP) while the host runs.
    bool portmap = false;
    // The settings file read, empty when none.
    QString settingsFile;
};

// Reads options into a configuration; the first error stops it.
class HostConfigReader {
public:
    // The configuration from the command line (arguments without the
    // program's name) and the settings file it names with --settings; on an
    // error, error is set and the result is meaningless.
    static HostConfig fromArguments(const QStringList &arguments, quint16 defaultPort,
                                    QString &error);
    // Sets one option by its name (as in the settings file) from its text;
    // false with error set when the name or the value is not known.
    static bool set(HostConfig &config, const QString &key, const QString &value, QString &error);
    // Reads the settings file into config; false with error set when it cannot.
    static bool readFile(HostConfig &config, const QString &path, QString &error);
    // The text of --help.
    static QString usage();
};

#include "host/hostconfig.h"

#include <QFile>
#include <QSettings>

namespace {

bool number(const QString &text, int low, int high, int &value)
{
    bool ok = false;
    value = text.trimmed().toInt(&ok);
    return ok && value >= low && value <= high;
}

bool fail(QString &error, const QString &text)
{
    error = text;
    return false;
}

const QStringList kKeys = {
    QStringLiteral("name"),    QStringLiteral("port"),     QStringLiteral("rounds"),
    QStringLiteral("seconds"), QStringLiteral("length"),   QStringLiteral("words"),
    QStringLiteral("pause"),   QStringLiteral("computer"), QStringLiteral("portmap")};

} // namespace

bool HostConfigReader::set(HostConfig &config, const QString &key, const QString &value,
                           QString &error)
{
    const QString v = value.trimmed().toLower();
    const auto bad = [&](const QString &allowed) {
        return fail(error, QStringLiteral("%1: \"%2\" is not %3").arg(key, value, allowed));
    };
    int n = 0;
    if (key == QLatin1String("name")) {
        if (value.trimmed().isEmpty())
            return bad(QStringLiteral("a name"));
        config.name = value.trimmed();
    } else if (key == QLatin1String("port")) {
        if (!number(v, 1, 65535, n))
            return bad(QStringLiteral("a port from 1 to 65535"));
        config.port = quint16(n);
    } else if (key == QLatin1String("rounds")) {
        if (v == QLatin1String("asked"))
            config.rounds.reset();
        else if (number(v, 1, 10, n))
            config.rounds = n;
        else
            return bad(QStringLiteral("1 to 10 or asked"));
    } else if (key == QLatin1String("seconds")) {
        if (v == QLatin1String("asked"))
            config.seconds.reset();
        else if (number(v, 30, 120, n))
            config.seconds = n;
        else
            return bad(QStringLiteral("30 to 120 or asked"));
    } else if (key == QLatin1String("length")) {
        if (v == QLatin1String("asked"))
            config.gameType.reset();
        else if (v == QLatin1String("any"))
            config.gameType = 0;
        else if (v == QLatin1String("mixed"))
            config.gameType = 6;
        else if (number(v, 3, 7, n))
            config.gameType = n - 2;
        else
            return bad(QStringLiteral("any, 3 to 7, mixed or asked"));
    } else if (key == QLatin1String("words")) {
        if (v == QLatin1String("asked"))
            config.showWords.reset();
        else if (v == QLatin1String("shown") || v == QLatin1String("hidden"))
            config.showWords = v == QLatin1String("shown");
        else
            return bad(QStringLiteral("shown, hidden or asked"));
    } else if (key == QLatin1String("pause")) {
        if (!number(v, 1, 19, n))
            return bad(QStringLiteral("1 to 19 seconds"));
        config.pause = n;
    } else if (key == QLatin1String("computer")) {
        if (v == QLatin1String("none"))
            config.botInterval = 0;
        else if (v == QLatin1String("slow"))
            config.botInterval = HostConfig::kSlowMs;
        else if (v == QLatin1String("normal"))
            config.botInterval = HostConfig::kNormalMs;
        else if (v == QLatin1String("fast"))
            config.botInterval = HostConfig::kFastMs;
        else if (number(v, 100, 60000, n))
            config.botInterval = n;
        else
            return bad(QStringLiteral("none, slow, normal, fast or 100 to 60000 ms"));
    } else if (key == QLatin1String("portmap")) {
        if (v != QLatin1String("on") && v != QLatin1String("off"))
            return bad(QStringLiteral("on or off"));
        config.portmap = v == QLatin1String("on");
    } else {
        return fail(error, QStringLiteral("unknown option: %1").arg(key));
    }
    return true;
}

bool HostConfigReader::readFile(HostConfig &config, const QString &path, QString &error)
{
    if (!QFile::exists(path))
        return fail(error, QStringLiteral("cannot read the settings file %1").arg(path));
    const QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError)
        return fail(error, QStringLiteral("the settings file %1 is not readable").arg(path));
    for (const QString &key : file.allKeys()) {
        // A name with a comma reads back as a list.
        const QVariant value = file.value(key);
        const QString text = value.typeId() == QMetaType::QStringList
                                 ? value.toStringList().join(QStringLiteral(", "))
                                 : value.toString();
        if (!set(config, key, text, error)) {
            error = QStringLiteral("%1: %2").arg(path, error);
            return false;
        }
    }
    config.settingsFile = path;
    return true;
}

HostConfig HostConfigReader::fromArguments(const QStringList &arguments, quint16 defaultPort,
                                           QString &error)
{
    HostConfig config;
    config.port = defaultPort;
    QList<std::pair<QString, QString>> given;
    QString settings;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        if (!arg.startsWith(QLatin1String("--"))) {
            error = QStringLiteral("unexpected argument: %1").arg(arg);
            return config;
        }
        QString key = arg.mid(2);
        QString value;
        const qsizetype eq = key.indexOf(QLatin1Char('='));
        if (eq >= 0) {
            value = key.mid(eq + 1);
            key.truncate(eq);
        } else if (key == QLatin1String("portmap")) {
            // A switch on its own: --portmap turns it on, --portmap=off off.
            value = QStringLiteral("on");
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            error = QStringLiteral("%1 needs a value").arg(arg);
            return config;
        }
        if (key == QLatin1String("settings"))
            settings = value;
        else if (!kKeys.contains(key))
            error = QStringLiteral("unknown option: %1").arg(arg);
        else
            given.append({key, value});
        if (!error.isEmpty())
            return config;
    }
    if (!settings.isEmpty() && !readFile(config, settings, error))
        return config;
    for (const auto &[key, value] : given) {
        if (!set(config, key, value, error))
            return config;
    }
    return config;
}

QString HostConfigReader::usage()
{
    return QStringLiteral(
        "Usage: lexiclash-host [--settings FILE] [--OPTION VALUE]...\n"
        "       lexiclash-host --help | --version\n"
        "Hosts Lexiclash games without a window, one after another, until it is\n"
        "stopped. The player in the lowest player seat leads: he starts the games\n"
        "and may remove players. Options (also KEY=VALUE lines of the settings file;\n"
        "the command line wins):\n"
        "  --name TEXT        the name shown in the lobby (Lexiclash server)\n"
        "  --port N           the game's TCP port (7772)\n"
        "  --rounds N         rounds of a game, 1 to 10, or asked (asked)\n"
        "  --seconds N        seconds of a round, 30 to 120, or asked (asked)\n"
        "  --length RULE      any, 3 to 7, mixed or asked (asked)\n"
        "  --words WHO        found words shown, hidden or asked (asked)\n"
        "  --pause N          seconds between rounds, 1 to 19 (12)\n"
        "  --computer SPEED   none, slow, normal, fast or milliseconds (normal)\n"
        "  --portmap          ask the router to forward the game port (UPnP, else\n"
        "                     NAT-PMP) while running; portmap = on|off in the file (off)\n"
        "  --settings FILE    read the options from FILE; SIGHUP reads it again\n"
        "\"asked\" takes the value from the leader's game start.\n");
}

#include "hostedgame.h"

#include <QProcessEnvironment>

#include <csignal>

HostedGame::HostedGame(const QString &lobbyProgram)
    : program_(lobbyProgram)
{
}

HostedGame::~HostedGame()
{
    stop();
}

bool HostedGame::start(const QStringList &arguments, quint16 gamePort, quint16 discoveryPort,
                       const QString &instance)
{
    if (!folder_.isValid())
        return false;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("LEXICLASH_PORT", QString::number(gamePort));
    environment.insert("LEXICLASH_LOBBY_PORT", "0");
    environment.insert("LEXICLASH_DISCOVERY_PORT", QString::number(discoveryPort));
    environment.insert("LEXICLASH_INSTANCE", instance);
    environment.insert("LEXICLASH_HOME", folder_.path());
    environment.insert("XDG_RUNTIME_DIR", folder_.path());
    process_.setProcessEnvironment(environment);
    process_.setWorkingDirectory(folder_.path());
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(program_, arguments);
    return process_.waitForStarted(30000);
}

bool HostedGame::gameConnected()
{
    return output().contains("lexiclash-lobby: the game connected\n");
}

qint64 HostedGame::gamePid()
{
    static const QByteArray kRuns = "lexiclash-lobby: the game runs as process ";
    const QByteArray &text = output();
    const qsizetype at = text.indexOf(kRuns);
    if (at < 0)
        return 0;
    const qsizetype from = at + kRuns.size();
    return text.mid(from, text.indexOf('\n', from) - from).toLongLong();
}

void HostedGame::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    const qint64 game = gamePid();
    if (game > 0)
        ::kill(pid_t(game), SIGTERM);
    else
        process_.terminate();
    if (!process_.waitForFinished(60000)) {
        if (game > 0)
            ::kill(pid_t(game), SIGKILL);
        process_.kill();
    }
    process_.waitForFinished(10000);
}

const QByteArray &HostedGame::output()
{
    output_ += process_.readAll();
    return output_;
}

#include "lobby/lobbysession.h"

#include "common/gameexit.h"
#include "common/guard.h"
#include "common/runningmarker.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTextStream>

#include <algorithm>

namespace {
// How long a game that started the lobby may take to close: 50 checks, 100 ms apart.
constexpr int kClosingGameChecks = 50;
constexpr int kClosingGameInterval = 100;
} // namespace

LobbySession::LobbySession(const LobbyOptions &options, QTextStream &out, QTextStream &err,
                           QObject *parent)
    : QObject(parent)
    , options_(options)
    , out_(out)
    , err_(err)
    , listener_(this)
{
    closingGameTimer_.setInterval(kClosingGameInterval);
    connect(&closingGameTimer_, &QTimer::timeout, this,
            [this] { guarded([this] { waitForClosingGame(); }); });
    game_.onFinished = [this](int code, bool crashed) { gameFinished(code, crashed); };
}

QString LobbySession::gamePath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("lexiclash"));
}

void LobbySession::start()
{
    listen();
    if (!options_.fromGame) {
        startGame();
        return;
    }
    // The game that started us closes right after; a new copy started while
    // it is still running would only bring the old window forward.
    closingGameChecks_ = 0;
    if (RunningMarker::gameRunning()) {
        say(QStringLiteral("waiting for the running game to close"));
        closingGameTimer_.start();
        return;
    }
    startGame();
}

void LobbySession::leave()
{
    closingGameTimer_.stop();
    if (!game_.running()) {
        finish(1);
        return;
    }
    say(QStringLiteral("the game goes on without the lobby"));
    finish(0);
}

QString LobbySession::endReport(int exitCode)
{
    switch (GameExit(exitCode)) {
    case GameExit::HostEnded:
        return QStringLiteral("The host ended the game.");
    case GameExit::HostLeft:
        return QStringLiteral("The host left.");
    case GameExit::SeatGone:
        return QStringLiteral("The connection to the game could not be restored in time.");
    case GameExit::Removed:
        return QStringLiteral("The host removed you from the game.");
    case GameExit::Closed:
    case GameExit::Failed:
        break;
    }
    return {};
}

void LobbySession::waitForClosingGame()
{
    if (RunningMarker::gameRunning() && ++closingGameChecks_ < kClosingGameChecks)
        return;
    closingGameTimer_.stop();
    startGame();
}

void LobbySession::listen()
{
    // A port the system chooses, told to the game alone: a shared, fixed
    // port would let one user's game report to another user's lobby.
    const QString port = qEnvironmentVariable("LEXICLASH_LOBBY_PORT", QStringLiteral("0"));
    listener_.setHostName(QStringLiteral("127.0.0.1"));
    listener_.setPortName(port);
    listener_.OnAccept = [this](TSock *) { guarded([this] { acceptPresence(); }); };
    try {
        listener_.setListen(true);
    } catch (const Error &e) {
        // The game runs without a lobby watching it; it never needs one.
        err_ << "lexiclash-lobby: cannot listen on 127.0.0.1 port " << port << ": " << e.message()
             << Qt::endl;
        return;
    }
    say(QStringLiteral("listening on 127.0.0.1 port %1").arg(listener_.localPort()));
}

void LobbySession::startGame()
{
    const QString program = gamePath();
    if (!QFileInfo(program).isExecutable()) {
        problem(QStringLiteral("the game was not found at ") + program);
        finish(1);
        return;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The game finds the lobby at the port that is actually listening; a
    // game this lobby cannot watch reports to nobody (port 0 takes no
    // connection) rather than to some other lobby.
    environment.insert(QStringLiteral("LEXICLASH_LOBBY_PORT"),
                       listener_.Listen() ? QString::number(listener_.localPort())
                                          : QStringLiteral("0"));
    if (!options_.gamePort.isEmpty())
        environment.insert(QStringLiteral("LEXICLASH_PORT"), options_.gamePort);
    say(QStringLiteral("starting the game: lexiclash ") + options_.gameArguments().join(' '));
    const QString failure = game_.start(program, options_.gameArguments(), environment);
    if (!failure.isEmpty()) {
        problem(QStringLiteral("cannot start ") + program + QStringLiteral(": ") + failure);
        finish(1);
        return;
    }
    say(QStringLiteral("the game runs as process %1").arg(game_.pid()));
}

void LobbySession::acceptPresence()
{
    TSock *connection = nullptr;
    if (!listener_.Accept(connection) || !connection)
        return;
    // The listener takes connections on every address; only the game on this
    // machine may report its presence.
    if (!connection->HostName().startsWith(QLatin1String("127."))) {
        connection->Close();
        connection->deleteLater();
        return;
    }
    connection->OnRead = [](TSock *sender, int) { sender->Receive(); };
    connection->OnDisconnect = [this](TSock *sender) { presenceEnded(sender); };
    connection->OnInfo = [this](TSock *sender, TSocketInfo info, const QString &) {
        if (info == TSocketInfo::siError)
            presenceEnded(sender);
    };
    presence_.push_back(connection);
    say(QStringLiteral("the game connected"));
}

void LobbySession::presenceEnded(TSock *connection)
{
    const auto it = std::find(presence_.begin(), presence_.end(), connection);
    if (it == presence_.end())
        return;
    presence_.erase(it);
    connection->OnDisconnect = nullptr;
    connection->OnInfo = nullptr;
    connection->deleteLater();
    say(QStringLiteral("the game ended (connection closed)"));
}

void LobbySession::gameFinished(int exitCode, bool crashed)
{
    // The process is gone, so its presence connection is too, even when the
    // close has not been noticed yet.
    while (!presence_.empty())
        presenceEnded(presence_.front());
    if (crashed) {
        say(QStringLiteral("the game crashed"));
        finish(1);
        return;
    }
    say(QStringLiteral("the game exited with code %1").arg(exitCode));
    const QString report = endReport(exitCode);
    if (!report.isEmpty())
        say(report.toLower().chopped(1));
    finish(exitCode);
}

void LobbySession::say(const QString &line)
{
    out_ << "lexiclash-lobby: " << line << Qt::endl;
}

void LobbySession::problem(const QString &line)
{
    err_ << "lexiclash-lobby: " << line << Qt::endl;
    if (onProblem)
        onProblem(line);
}

void LobbySession::finish(int exitCode)
{
    if (finished_)
        return;
    finished_ = true;
    if (onFinished)
        onFinished(exitCode);
}

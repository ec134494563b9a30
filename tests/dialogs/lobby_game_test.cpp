#include "loopbackport.h"
#include "net/tsock.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <unistd.h>

#include <memory>

namespace {
// A lobby with everything of its own: working folder, settings folder, and
// the scope of the game's single-instance guard.
struct Lobby {
    QTemporaryDir folder;
    QProcess process;
    QByteArray output;

    const QByteArray &readOutput()
    {
        output += process.readAllStandardOutput();
        return output;
    }
    // The game's process id as the lobby printed it, 0 before.
    qint64 gamePid()
    {
        static const QByteArray kRuns = "lexiclash-lobby: the game runs as process ";
        const QByteArray &text = readOutput();
        const qsizetype at = text.indexOf(kRuns);
        if (at < 0)
            return 0;
        const qsizetype from = at + kRuns.size();
        return text.mid(from, text.indexOf('\n', from) - from).toLongLong();
    }
};

// True while a process of that id exists (the game is not this test's child,
// so it never lingers as a zombie here).
bool processRuns(qint64 pid)
{
    return pid > 0 && ::kill(pid_t(pid), 0) == 0;
}

} // namespace

// The lobby program starts a real hosting copy and a real joining copy of the
// game, which log in to each other; a watcher that logs in to the host's
// server sees both players.
class LobbyGameTest : public QObject {
    Q_OBJECT
private slots:
    void hostAndJoinLogInThroughTheLobbyAndOutliveIt();
    void cleanup();

private:
    void startLobby(Lobby &lobby, const QString &instance, const QStringList &arguments);

    quint16 gamePort_ = 0;
    std::unique_ptr<Lobby> host_;
    std::unique_ptr<Lobby> join_;
};

void LobbyGameTest::startLobby(Lobby &lobby, const QString &instance, const QStringList &arguments)
{
    QVERIFY(lobby.folder.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("LEXICLASH_PORT", QString::number(gamePort_));
    environment.insert("LEXICLASH_LOBBY_PORT", "0");
    environment.insert("LEXICLASH_INSTANCE", instance);
    environment.insert("LEXICLASH_HOME", lobby.folder.path());
    environment.insert("XDG_RUNTIME_DIR", lobby.folder.path());
    lobby.process.setProcessEnvironment(environment);
    lobby.process.setWorkingDirectory(lobby.folder.path());
    lobby.process.setProcessChannelMode(QProcess::SeparateChannels);
    lobby.process.start(QStringLiteral(LOBBY_PROGRAM), arguments);
    QVERIFY(lobby.process.waitForStarted(30000));
}

void LobbyGameTest::hostAndJoinLogInThroughTheLobbyAndOutliveIt()
{
    gamePort_ = unusedLoopbackPort();
    host_ = std::make_unique<Lobby>();
    join_ = std::make_unique<Lobby>();

    startLobby(*host_, "host", {"host", "Ann"});
    QTRY_VERIFY_WITH_TIMEOUT(host_->readOutput().contains("lexiclash-lobby: the game connected\n"),
                             60000);
    startLobby(*join_, "join", {"join", "Bob", "127.0.0.1"});
    QTRY_VERIFY_WITH_TIMEOUT(join_->readOutput().contains("lexiclash-lobby: the game connected\n"),
                             60000);

    // The watcher logs in as one more player and collects who is seated.
    QByteArray received;
    QMap<QByteArray, QByteArray> seated;
    TSock watcher;
    watcher.setHostName("127.0.0.1");
    watcher.setPortName(QString::number(gamePort_));
    watcher.OnRead = [&](TSock *sender, int) {
        received += sender->Receive();
        qsizetype end;
        while ((end = received.indexOf('\xFF')) >= 0) {
            const QByteArray message = received.left(end);
            received.remove(0, end + 1);
            const QList<QByteArray> fields = message.split('+');
            if (fields.first() == "CMD_sendlogininfo" && fields.size() > 1)
                sender->Send("CMD_logininfo+" + fields[1] + "+1.0.3+Watcher\xFF");
            if ((fields.first() == "CMD_newplayerinfo" ||
                 fields.first() == "CMD_existingplayers") &&
                fields.size() > 2)
                seated[fields[1]] =
                    message.mid(message.indexOf('+', fields.first().size() + 1) + 1);
        }
    };
    watcher.Open();
    QTRY_VERIFY_WITH_TIMEOUT(seated.values().contains("Bob") && seated.value("1") == "Ann", 60000);
    QVERIFY(seated.values().contains("Watcher"));
    watcher.Close();

    // SIGTERM to the host's lobby ends the lobby alone: the game plays on,
    // with its port, word list and single-instance guard.
    const qint64 hostGame = host_->gamePid();
    QVERIFY(processRuns(hostGame));
    host_->process.terminate();
    QVERIFY(host_->process.waitForFinished(60000));
    QCOMPARE(host_->process.exitCode(), 0);
    QVERIFY2(host_->readOutput().contains("lexiclash-lobby: the game goes on without the lobby\n"),
             host_->output.constData());
    // The game's word list lives in its runtime folder, under a name of its own.
    const QStringList lists =
        QDir(host_->folder.path()).entryList({QStringLiteral("lexiclash-English-*")}, QDir::Files);
    QCOMPARE(lists.size(), 1);
    const QString wordList = host_->folder.filePath(lists.first());
    const QString guard = host_->folder.filePath("kramlliuq-host");
    for (int check = 0; check < 10; ++check) {
        QVERIFY(processRuns(hostGame));
        QVERIFY(loopbackPortAnswers(gamePort_));
        QTest::qWait(100);
    }
    QVERIFY(QFile::exists(wordList));
    QVERIFY(QFile::exists(guard));
    QCOMPARE(join_->process.state(), QProcess::Running);

    // The host's game closes as its close box would: it cleans up after
    // itself, and the joined game, whose server is gone, ends with its lobby.
    ::kill(pid_t(hostGame), SIGTERM);
    QTRY_VERIFY_WITH_TIMEOUT(!processRuns(hostGame), 60000);
    QVERIFY(!QFile::exists(wordList));
    QVERIFY(!QFile::exists(guard));
    QVERIFY(!loopbackPortAnswers(gamePort_));
    QTRY_COMPARE_WITH_TIMEOUT(join_->process.state(), QProcess::NotRunning, 60000);
    const QByteArray output = join_->readOutput();
    QVERIFY2(output.contains("lexiclash-lobby: the game ended (connection closed)\n"),
             output.constData());
    // The lobby ends with its game's exit code, which tells how it ended.
    const QByteArray exited = "lexiclash-lobby: the game exited with code " +
                              QByteArray::number(join_->process.exitCode()) + "\n";
    QVERIFY2(output.contains(exited), output.constData());
    // The joined game was told the host ended it (exit code 3).
    QCOMPARE(join_->process.exitCode(), 3);
}

void LobbyGameTest::cleanup()
{
    // Whatever failed, no game copy is left running: a lobby ends with its game.
    for (Lobby *lobby : {host_.get(), join_.get()}) {
        if (!lobby)
            continue;
        const qint64 game = lobby->gamePid();
        if (processRuns(game))
            ::kill(pid_t(game), SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(!processRuns(game), 30000);
        if (lobby->process.state() != QProcess::NotRunning &&
            !lobby->process.waitForFinished(30000))
            lobby->process.kill();
    }
    host_.reset();
    join_.reset();
}

QTEST_GUILESS_MAIN(LobbyGameTest)
#include "lobby_game_test.moc"

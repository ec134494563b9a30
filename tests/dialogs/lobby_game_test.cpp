#include "loopbackport.h"
#include "net/tsock.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
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
};
} // namespace

// The lobby program starts a real hosting copy and a real joining copy of the
// game, which log in to each other; a watcher that logs in to the host's
// server sees both players.
class LobbyGameTest : public QObject {
    Q_OBJECT
private slots:
    void hostAndJoinLogInThroughTheLobby();
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

void LobbyGameTest::hostAndJoinLogInThroughTheLobby()
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

    // Stopping the host's lobby closes the host's game; that takes the server
    // down, so the joined game says the host ended it and closes as well, and
    // each lobby ends with its game's exit code (3: the host ended the game).
    host_->process.terminate();
    QVERIFY(host_->process.waitForFinished(60000));
    QVERIFY(join_->process.waitForFinished(60000));
    for (Lobby *lobby : {host_.get(), join_.get()}) {
        const int code = lobby == join_.get() ? 3 : 0;
        const QByteArray output = lobby->readOutput();
        QVERIFY2(output.contains("lexiclash-lobby: the game ended (connection closed)\n"),
                 output.constData());
        QVERIFY2(output.contains("lexiclash-lobby: the game exited with code " +
                                 QByteArray::number(code) + "\n"),
                 output.constData());
        QCOMPARE(lobby->process.exitCode(), code);
    }
}

void LobbyGameTest::cleanup()
{
    // Whatever failed, no game copy is left running.
    for (Lobby *lobby : {host_.get(), join_.get()}) {
        if (!lobby || lobby->process.state() == QProcess::NotRunning)
            continue;
        lobby->process.terminate();
        if (!lobby->process.waitForFinished(30000))
            lobby->process.kill();
    }
    host_.reset();
    join_.reset();
}

QTEST_GUILESS_MAIN(LobbyGameTest)
#include "lobby_game_test.moc"

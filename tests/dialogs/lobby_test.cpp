#include "testfiles.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// Runs the real lobby program from a folder of its own, beside a stand-in
// game that records its parameters, makes the presence connection and ends
// when the test tells it to.
class LobbyTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void helpAndWrongCommandLines_data();
    void helpAndWrongCommandLines();
    void startsGameAndWatchesPresence_data();
    void startsGameAndWatchesPresence();
    void missingGame();
    void eachUsersGameReportsToItsOwnLobby();

private:
    // Copies the lobby into the folder and, when wanted, the stand-in game beside it.
    void installLobby(bool withGame);
    void installLobbyIn(const QString &path, bool withGame);
    std::unique_ptr<QProcess> startLobby(const QStringList &arguments);
    // lobbyPort: LEXICLASH_LOBBY_PORT for the lobby, or empty to leave it unset.
    std::unique_ptr<QProcess> startLobbyIn(const QString &folder, const QString &runtime,
                                           const QStringList &arguments, const QString &lobbyPort);

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<QTemporaryDir> runtime_;
};

void LobbyTest::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    runtime_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid() && runtime_->isValid());
}

void LobbyTest::installLobby(bool withGame)
{
    installLobbyIn(dir_->path(), withGame);
}

void LobbyTest::installLobbyIn(const QString &path, bool withGame)
{
    QVERIFY(QFile::copy(QStringLiteral(LOBBY_PROGRAM), path + "/lexiclash-lobby"));
    if (!withGame)
        return;
    const QByteArray folder = path.toUtf8();
    writeExecutable(path + "/lexiclash",
                    "#!/bin/bash\n"
                    "printf '%s\\n' \"$@\" > '" +
                        folder +
                        "/args.txt'\n"
                        "exec 3<>/dev/tcp/127.0.0.1/$LEXICLASH_LOBBY_PORT || exit 9\n"
                        "while [ ! -e '" +
                        folder +
                        "/release' ]; do sleep 0.02; done\n"
                        "exec 3>&-\n"
                        "exit \"$(cat '" +
                        folder + "/code' 2>/dev/null || echo 0)\"\n");
}

std::unique_ptr<QProcess> LobbyTest::startLobby(const QStringList &arguments)
{
    return startLobbyIn(dir_->path(), runtime_->path(), arguments, "0");
}

std::unique_ptr<QProcess> LobbyTest::startLobbyIn(const QString &folder, const QString &runtime,
                                                  const QStringList &arguments,
                                                  const QString &lobbyPort)
{
    auto lobby = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("LEXICLASH_LOBBY_PORT");
    if (!lobbyPort.isEmpty())
        environment.insert("LEXICLASH_LOBBY_PORT", lobbyPort);
    environment.insert("USER", "Carol");
    environment.insert("XDG_RUNTIME_DIR", runtime);
    lobby->setProcessEnvironment(environment);
    lobby->setWorkingDirectory(folder);
    lobby->start(folder + "/lexiclash-lobby", arguments);
    return lobby;
}

void LobbyTest::helpAndWrongCommandLines_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("help") << QStringList{"--help"} << 0;
    QTest::newRow("short help") << QStringList{"-h"} << 0;
    QTest::newRow("unknown command") << QStringList{"play", "Ann"} << 2;
    QTest::newRow("host without name") << QStringList{"host"} << 2;
    QTest::newRow("join without host") << QStringList{"join", "Ann"} << 2;
    QTest::newRow("host with extra") << QStringList{"host", "Ann", "x"} << 2;
}

void LobbyTest::helpAndWrongCommandLines()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    installLobby(true);
    auto lobby = startLobby(arguments);
    QVERIFY(lobby->waitForFinished(30000));
    QCOMPARE(lobby->exitCode(), exitCode);
    const QByteArray usage =
        exitCode == 0 ? lobby->readAllStandardOutput() : lobby->readAllStandardError();
    QVERIFY(usage.startsWith("Usage: lexiclash-lobby [host NAME | join NAME HOST]\n"));
    QVERIFY(!QFile::exists(dir_->filePath("args.txt")));
}

void LobbyTest::startsGameAndWatchesPresence_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("gameArguments");
    // How the game ends (its exit code) and what the lobby makes of it.
    QTest::addColumn<int>("gameExit");
    QTest::addColumn<QByteArray>("report");
    QTest::newRow("host") << QStringList{"host", "Ann"} << QByteArray("Ann\n127.0.0.1\ntrue\n") << 0
                          << QByteArray();
    QTest::newRow("join") << QStringList{"join", "Bob", "10.1.2.3"}
                          << QByteArray("Bob\n10.1.2.3\nfalse\n") << 0 << QByteArray();
    QTest::newRow("join, the host ended the game")
        << QStringList{"join", "Bob", "10.1.2.3"} << QByteArray("Bob\n10.1.2.3\nfalse\n") << 3
        << QByteArray("lexiclash-lobby: the host ended the game\n");
    QTest::newRow("join, the host left")
        << QStringList{"join", "Bob", "10.1.2.3"} << QByteArray("Bob\n10.1.2.3\nfalse\n") << 4
        << QByteArray("lexiclash-lobby: the host left\n");
    QTest::newRow("join, the game failed")
        << QStringList{"join", "Bob", "10.1.2.3"} << QByteArray("Bob\n10.1.2.3\nfalse\n") << 1
        << QByteArray();
}

void LobbyTest::startsGameAndWatchesPresence()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, gameArguments);
    QFETCH(int, gameExit);
    QFETCH(QByteArray, report);
    installLobby(true);
    QFile code(dir_->filePath("code"));
    QVERIFY(code.open(QIODevice::WriteOnly));
    code.write(QByteArray::number(gameExit));
    code.close();
    auto lobby = startLobby(arguments);
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += lobby->readAllStandardOutput())
                                 .contains("lexiclash-lobby: the game connected\n"),
                             30000);
    QCOMPARE(readBytes(dir_->filePath("args.txt")), gameArguments);
    QVERIFY(output.contains("lexiclash-lobby: listening on 127.0.0.1 port "));
    QVERIFY(!output.contains("ended"));
    QCOMPARE(lobby->state(), QProcess::Running);

    QFile release(dir_->filePath("release"));
    QVERIFY(release.open(QIODevice::WriteOnly));
    release.close();
    QVERIFY(lobby->waitForFinished(30000));
    output += lobby->readAllStandardOutput();
    QCOMPARE(lobby->exitStatus(), QProcess::NormalExit);
    // The lobby ends with its game's exit code.
    QCOMPARE(lobby->exitCode(), gameExit);
    QVERIFY2(output.contains("lexiclash-lobby: the game ended (connection closed)\n"
                             "lexiclash-lobby: the game exited with code " +
                             QByteArray::number(gameExit) + "\n" + report),
             output.constData());
    QVERIFY(report.isEmpty() == !output.contains("the host"));
}

void LobbyTest::missingGame()
{
    installLobby(false);
    auto lobby = startLobby({"host", "Ann"});
    QVERIFY(lobby->waitForFinished(30000));
    QCOMPARE(lobby->exitCode(), 1);
    QVERIFY(lobby->readAllStandardError().contains("lexiclash-lobby: the game was not found at " +
                                                   dir_->filePath("lexiclash").toUtf8()));
}

// Two users' lobbies on one machine, each with its usual settings: each
// game reports to the lobby that started it, never to the other.
void LobbyTest::eachUsersGameReportsToItsOwnLobby()
{
    QTemporaryDir otherFolder;
    QTemporaryDir otherRuntime;
    QVERIFY(otherFolder.isValid() && otherRuntime.isValid());
    installLobby(true);
    installLobbyIn(otherFolder.path(), true);
    auto first = startLobbyIn(dir_->path(), runtime_->path(), {"host", "Ann"}, {});
    QByteArray firstOutput;
    QTRY_VERIFY_WITH_TIMEOUT((firstOutput += first->readAllStandardOutput())
                                 .contains("lexiclash-lobby: the game connected\n"),
                             30000);
    auto second = startLobbyIn(otherFolder.path(), otherRuntime.path(), {"host", "Bea"}, {});
    QByteArray secondOutput;
    QTRY_VERIFY_WITH_TIMEOUT((secondOutput += second->readAllStandardOutput())
                                 .contains("lexiclash-lobby: the game connected\n"),
                             30000);
    // Both games run; the first lobby still watches only its own.
    QTest::qWait(500);
    firstOutput += first->readAllStandardOutput();
    QCOMPARE(firstOutput.count("the game connected"), 1);
    QCOMPARE(secondOutput.count("the game connected"), 1);
    const auto portOf = [](const QByteArray &output) {
        const qsizetype at = output.indexOf("listening on 127.0.0.1 port ");
        return at < 0 ? QByteArray() : output.mid(at + 28).split('\n').first();
    };
    QVERIFY(!portOf(firstOutput).isEmpty());
    QVERIFY(portOf(firstOutput) != portOf(secondOutput));
    QVERIFY(portOf(firstOutput) != "9001");

    for (const QString &folder : {dir_->path(), otherFolder.path()}) {
        QFile release(folder + "/release");
        QVERIFY(release.open(QIODevice::WriteOnly));
    }
    QVERIFY(first->waitForFinished(30000));
    QVERIFY(second->waitForFinished(30000));
    QCOMPARE(first->exitCode(), 0);
    QCOMPARE(second->exitCode(), 0);
}

QTEST_GUILESS_MAIN(LobbyTest)
#include "lobby_test.moc"

// The dedicated host: its options, and the real program with three players
// that have no window (client sessions in this process): who leads, whole
// games one after another, a reread of the settings and the end on SIGTERM.

#include "dict/tdictn.h"
#include "discovery/discoverybrowser.h"
#include "host/hostconfig.h"
#include "host/hostrules.h"
#include "loopbackport.h"
#include "model/gamemodel.h"
#include "server/starterwords.h"
#include "session/clientsession.h"
#include "testfiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <memory>

namespace {
constexpr int kWait = 15000;

// A player with no window: a model, the session that feeds it and the lines
// the server relayed to it.
struct Player {
    GameModel model;
    ClientSession session{model};
    QStringList lines;

    Player(quint16 port, const QString &name, const QString &address = QStringLiteral("127.0.0.1"))
    {
        QObject::connect(&session, &ClientSession::messageReceived, &session,
                         [this](const ServerMessage &message) {
                             if (const auto *relayed = std::get_if<Msg::Relayed>(&message))
                                 lines.append(QString::fromUtf8(relayed->line.line));
                         });
        session.open(address, QString::number(port), name);
    }
    bool told(const QString &line) const { return lines.contains(line); }
};

// The host program, its port and what it logged.
struct HostProcess {
    QProcess process;
    quint16 port = unusedLoopbackPort();
    quint16 discoveryPort = unusedLoopbackUdpPort();
    QString log;

    // With a root, every folder the program may write to lies under it:
    // home, settings, cache, data, temporary files, runtime and work folder.
    explicit HostProcess(const QStringList &arguments, const QString &root = QString())
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!root.isEmpty()) {
            const QDir top(root);
            for (const char *name : {"home", "cache", "config", "data", "state", "tmp", "work"})
                top.mkpath(QLatin1String(name));
            top.mkpath(QStringLiteral("run"));
            QFile::setPermissions(top.filePath(QStringLiteral("run")), QFileDevice::ReadOwner |
                                                                           QFileDevice::WriteOwner |
                                                                           QFileDevice::ExeOwner);
            env.insert(QStringLiteral("HOME"), top.filePath(QStringLiteral("home")));
            env.insert(QStringLiteral("XDG_CACHE_HOME"), top.filePath(QStringLiteral("cache")));
            env.insert(QStringLiteral("XDG_CONFIG_HOME"), top.filePath(QStringLiteral("config")));
            env.insert(QStringLiteral("XDG_DATA_HOME"), top.filePath(QStringLiteral("data")));
            env.insert(QStringLiteral("XDG_STATE_HOME"), top.filePath(QStringLiteral("state")));
            env.insert(QStringLiteral("TMPDIR"), top.filePath(QStringLiteral("tmp")));
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), top.filePath(QStringLiteral("run")));
            process.setWorkingDirectory(top.filePath(QStringLiteral("work")));
        }
        env.insert(QStringLiteral("LEXICLASH_DISCOVERY_PORT"), QString::number(discoveryPort));
        // Its announcements stay on this machine.
        env.insert(QStringLiteral("LEXICLASH_DISCOVERY_TARGETS"),
                   QStringLiteral("127.255.255.255"));
        process.setProcessEnvironment(env);
        QObject::connect(&process, &QProcess::readyReadStandardOutput, &process,
                         [this] { log += QString::fromUtf8(process.readAllStandardOutput()); });
        process.start(QStringLiteral(HOST_PROGRAM),
                      QStringList{QStringLiteral("--port"), QString::number(port)} + arguments);
    }
    ~HostProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(kWait);
        }
    }
    bool logged(const QString &text) const { return log.contains(text); }
};

// True when this machine has the IPv6 loopback address.
bool hasIpv6Loopback()
{
    const int fd = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_loopback;
    const bool bound =
        ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

// The options of a quick game: one round, a pause of a second, no computer player.
QStringList quickGame()
{
    return {QStringLiteral("--rounds"),   QStringLiteral("1"),        QStringLiteral("--pause"),
            QStringLiteral("1"),          QStringLiteral("--length"), QStringLiteral("any"),
            QStringLiteral("--computer"), QStringLiteral("none")};
}

// Finds words for the round a player sees, as the computer player does.
class WordFinder {
public:
    WordFinder() { words_.loadBuiltIn(); }
    QString fitting(const GameModel &model) const
    {
        for (int attempt = 0; attempt < 200; ++attempt) {
            const QByteArray word =
                words_.findFitting(model.roundLength(), model.prefix().toLatin1(), 1000).toUpper();
            if (!word.isEmpty() && dictionary_.IsWord(QString::fromLatin1(word)))
                return QString::fromLatin1(word).toLower();
        }
        return {};
    }

private:
    StarterWords words_;
    TDictn dictionary_;
};
} // namespace

class TestHost : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void options_data();
    void options();
    void settingsFileUnderCommandLine();
    void portmapSwitch_data();
    void portmapSwitch();
    void portmapOffByEnvironmentIsLogged();
    void shippedExampleReads();
    void fixedOptionsReplaceTheLeaders();
    void leaderStartsAndTheOthersCannot();
    void gamesFollowAndTheLeadPasses();
    void hangupRereadsBetweenGames();
    void terminationTellsThePlayers();
    void joinsOverIpv6AndIpv4();
    void writesOnlyTheRuntimeWordList();
    void lobbiesListItAsAServer_data();
    void lobbiesListItAsAServer();

private:
    // Three players in seats 1, 2 and 3, each holding its token.
    bool seatThree(const HostProcess &host);
    // Everything a player sent before this has been handled by the server
    // once the others see the chat line (the server handles one queue in order).
    bool barrier(Player &from, const QString &text);
    // Plays the running one-round game to its end: the player scores, then
    // everybody gives up.
    bool playToWinner(Player &scorer);

    std::unique_ptr<Player> ann_;
    std::unique_ptr<Player> bob_;
    std::unique_ptr<Player> cy_;
    WordFinder finder_;
};

void TestHost::cleanup()
{
    ann_.reset();
    bob_.reset();
    cy_.reset();
}

void TestHost::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("rounds");
    QTest::addColumn<int>("gameType");
    QTest::addColumn<int>("bot");

    QTest::newRow("nothing") << QStringList{} << "" << 0 << -1 << 1200;
    QTest::newRow("all") << QStringList{"--name",       "Club",     "--rounds", "7",
                                        "--seconds=45", "--length", "mixed",    "--words",
                                        "hidden",       "--pause",  "5",        "--computer",
                                        "fast"}
                         << "" << 7 << 6 << 750;
    QTest::newRow("length 3") << QStringList{"--length", "3"} << "" << 0 << 1 << 1200;
    QTest::newRow("length 7") << QStringList{"--length=7"} << "" << 0 << 5 << 1200;
    QTest::newRow("no computer") << QStringList{"--computer", "none"} << "" << 0 << -1 << 0;
    QTest::newRow("computer ms") << QStringList{"--computer", "3000"} << "" << 0 << -1 << 3000;
    QTest::newRow("asked again") << QStringList{"--rounds", "3", "--rounds", "asked"} << "" << 0
                                 << -1 << 1200;
    QTest::newRow("rounds 11") << QStringList{"--rounds", "11"} << "rounds: \"11\" is not" << 0
                               << -1 << 0;
    QTest::newRow("seconds 20") << QStringList{"--seconds", "20"} << "seconds: \"20\" is not" << 0
                                << -1 << 0;
    QTest::newRow("length 8") << QStringList{"--length", "8"} << "length: \"8\" is not" << 0 << -1
                              << 0;
    QTest::newRow("pause 20") << QStringList{"--pause", "20"} << "pause: \"20\" is not" << 0 << -1
                              << 0;
    QTest::newRow("port 0") << QStringList{"--port", "0"} << "port: \"0\" is not" << 0 << -1 << 0;
    QTest::newRow("unknown") << QStringList{"--colour", "red"} << "unknown option: --colour" << 0
                             << -1 << 0;
    QTest::newRow("no value") << QStringList{"--name"} << "--name needs a value" << 0 << -1 << 0;
    QTest::newRow("bare word") << QStringList{"Ann"} << "unexpected argument: Ann" << 0 << -1 << 0;
    QTest::newRow("missing file") << QStringList{"--settings", "nothere.conf"}
                                  << "cannot read the settings file nothere.conf" << 0 << -1 << 0;
}

void TestHost::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    QString said;
    const HostConfig config = HostConfigReader::fromArguments(arguments, 7772, said);
    if (!error.isEmpty()) {
        QVERIFY2(said.startsWith(error), qPrintable(said));
        return;
    }
    QVERIFY2(said.isEmpty(), qPrintable(said));
    QFETCH(int, rounds);
    QFETCH(int, gameType);
    QFETCH(int, bot);
    QCOMPARE(config.rounds.value_or(0), rounds);
    QCOMPARE(config.gameType.value_or(-1), gameType);
    QCOMPARE(config.botInterval, bot);
    QCOMPARE(HostRules(config).computerPlays(), bot > 0);
}

void TestHost::settingsFileUnderCommandLine()
{
    writeBytes(QStringLiteral("host.conf"), "# the club's host\n"
                                            "name = Friday club, room 2\n"
                                            "port = 7780\n"
                                            "rounds = 4\n"
                                            "pause = 6\n"
                                            "computer = slow\n");
    QString error;
    const HostConfig config =
        HostConfigReader::fromArguments({"--rounds", "2", "--settings", "host.conf"}, 7772, error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(config.name, QStringLiteral("Friday club, room 2"));
    QCOMPARE(config.port, quint16(7780));
    QCOMPARE(config.rounds.value_or(0), 2);
    QCOMPARE(config.pause, 6);
    QCOMPARE(config.botInterval, HostConfig::kSlowMs);

    writeBytes(QStringLiteral("bad.conf"), "rounds = many\n");
    HostConfigReader::fromArguments({"--settings", "bad.conf"}, 7772, error);
    QCOMPARE(error, QStringLiteral("bad.conf: rounds: \"many\" is not 1 to 10 or asked"));
}

void TestHost::portmapSwitch_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("error");
    QTest::addColumn<bool>("portmap");
    QTest::newRow("not asked") << QStringList{} << QByteArray() << "" << false;
    QTest::newRow("switch") << QStringList{"--portmap"} << QByteArray() << "" << true;
    QTest::newRow("switch before another option")
        << QStringList{"--portmap", "--rounds", "3"} << QByteArray() << "" << true;
    QTest::newRow("switch off") << QStringList{"--portmap=off"} << QByteArray() << "" << false;
    QTest::newRow("file on") << QStringList{} << QByteArray("portmap = on\n") << "" << true;
    QTest::newRow("file on, command line off")
        << QStringList{"--portmap=off"} << QByteArray("portmap = on\n") << "" << false;
    QTest::newRow("file off, switch")
        << QStringList{"--portmap"} << QByteArray("portmap = off\n") << "" << true;
    QTest::newRow("wrong word") << QStringList{"--portmap=yes"} << QByteArray()
                                << "portmap: \"yes\" is not on or off" << false;
    QTest::newRow("wrong word in the file")
        << QStringList{} << QByteArray("portmap = maybe\n")
        << "host.conf: portmap: \"maybe\" is not on or off" << false;
}

void TestHost::portmapSwitch()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, file);
    QFETCH(QString, error);
    QFETCH(bool, portmap);
    if (!file.isEmpty()) {
        writeBytes(QStringLiteral("host.conf"), file);
        arguments << QStringLiteral("--settings") << QStringLiteral("host.conf");
    }
    QString said;
    const HostConfig config = HostConfigReader::fromArguments(arguments, 7772, said);
    QCOMPARE(said, error);
    if (error.isEmpty())
        QCOMPARE(config.portmap, portmap);
}

// Port mapping turned off (as the suite does everywhere) wins over the
// switch, and the host says so in the desktop host's words.
void TestHost::portmapOffByEnvironmentIsLogged()
{
    qputenv("LEXICLASH_PORTMAP", "off");
    HostProcess host({QStringLiteral("--portmap")});
    QTRY_VERIFY_WITH_TIMEOUT(host.logged(QStringLiteral("port mapping")), kWait);
    QVERIFY2(host.logged(QStringLiteral("\nport mapping (off): This game does not ask the "
                                        "router to open its port (LEXICLASH_PORTMAP=off): players "
                                        "outside your local network can join once TCP port %1 "
                                        "is forwarded on the router to this computer.\n")
                             .arg(host.port)),
             qPrintable(host.log));
}

void TestHost::shippedExampleReads()
{
    QString error;
    const HostConfig config =
        HostConfigReader::fromArguments({"--settings", EXAMPLE_SETTINGS}, 7000, error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    // The example states the defaults.
    const HostConfig defaults;
    QCOMPARE(config.name, defaults.name);
    QCOMPARE(config.port, quint16(7772));
    QVERIFY(!config.rounds && !config.seconds && !config.gameType && !config.showWords);
    QCOMPARE(config.pause, defaults.pause);
    QCOMPARE(config.botInterval, defaults.botInterval);
    QCOMPARE(config.portmap, defaults.portmap);
}

void TestHost::fixedOptionsReplaceTheLeaders()
{
    const Msg::StartGameRequest asked{"Ann", "5", "60", "6", "1"};
    HostConfig config;
    const Msg::StartGameRequest free = HostRules(config).gameOptions(asked);
    QCOMPARE(free.rounds, QByteArray("5"));
    QCOMPARE(free.gameType, QByteArray("6"));
    config.rounds = 2;
    config.seconds = 90;
    config.gameType = 3;
    config.showWords = false;
    const Msg::StartGameRequest fixed = HostRules(config).gameOptions(asked);
    QCOMPARE(fixed.name, QByteArray("Ann"));
    QCOMPARE(fixed.rounds, QByteArray("2"));
    QCOMPARE(fixed.seconds, QByteArray("90"));
    QCOMPARE(fixed.gameType, QByteArray("3"));
    QCOMPARE(fixed.show, QByteArray("0"));
}

bool TestHost::seatThree(const HostProcess &host)
{
    if (!QTest::qWaitFor([&] { return host.logged(QStringLiteral("started:")); }, kWait))
        return false;
    const auto join = [&](const QString &name) {
        auto player = std::make_unique<Player>(host.port, name);
        const bool seated = QTest::qWaitFor([&] { return player->session.canRejoin(); }, kWait);
        return seated ? std::move(player) : nullptr;
    };
    ann_ = join(QStringLiteral("Ann"));
    bob_ = ann_ ? join(QStringLiteral("Bob")) : nullptr;
    cy_ = bob_ ? join(QStringLiteral("Cy")) : nullptr;
    return cy_ && ann_->model.mySeat() == 1 && bob_->model.mySeat() == 2 &&
           cy_->model.mySeat() == 3;
}

bool TestHost::barrier(Player &from, const QString &text)
{
    from.session.chat(text, QStringLiteral("0"));
    const QString line = from.session.loginName() + QStringLiteral(" chats: ") + text;
    return QTest::qWaitFor(
        [&] {
            for (const Player *p : {ann_.get(), bob_.get(), cy_.get()}) {
                if (p && p->session.state() == ClientSession::State::Connected && !p->told(line))
                    return false;
            }
            return true;
        },
        kWait);
}

bool TestHost::playToWinner(Player &scorer)
{
    QList<Player *> playing;
    for (Player *p : {ann_.get(), bob_.get(), cy_.get()}) {
        if (p && p->session.state() == ClientSession::State::Connected)
            playing.append(p);
    }
    const auto everybody = [&](const std::function<bool(const GameModel &)> &test) {
        return QTest::qWaitFor(
            [&] {
                return std::all_of(playing.begin(), playing.end(),
                                   [&](const Player *p) { return test(p->model); });
            },
            kWait);
    };
    if (!everybody([](const GameModel &m) { return m.gameOn(); }))
        return false;
    const int rounds = scorer.model.rounds();
    for (int round = 1; round <= rounds; ++round) {
        if (!everybody([&](const GameModel &m) { return m.round() == round && m.canSendWords(); }))
            return false;
        if (round == 1) {
            const QString word = finder_.fitting(scorer.model);
            if (word.isEmpty())
                return false;
            scorer.session.sendWord(word);
            if (!everybody([&](const GameModel &m) { return !m.listedWords().isEmpty(); }))
                return false;
        }
        for (Player *p : playing)
            p->session.giveUp();
    }
    const int seat = scorer.model.mySeat();
    return everybody([&](const GameModel &m) { return m.winner() == seat; });
}

void TestHost::leaderStartsAndTheOthersCannot()
{
    HostProcess host(quickGame());
    QVERIFY(seatThree(host));
    QTRY_VERIFY_WITH_TIMEOUT(cy_->told(QStringLiteral("Ann leads the game now.")), kWait);
    QVERIFY(host.logged(QStringLiteral("leader: seat 1 \"Ann\"")));
    QVERIFY(ann_->model.leadsGame());
    QCOMPARE(cy_->model.leadingSeat(), 1);

    // Bob asks for a game and for Cy's removal: the server hears neither.
    bob_->session.startGame(1, 30, 0, true);
    bob_->session.kick(3);
    cy_->session.kick(2);
    QVERIFY(barrier(*ann_, QStringLiteral("after the others' requests")));
    QVERIFY(!ann_->model.gameOn());
    QCOMPARE(cy_->session.state(), ClientSession::State::Connected);
    QCOMPARE(bob_->session.state(), ClientSession::State::Connected);
    QVERIFY(!host.logged(QStringLiteral("game started")));

    // Ann leads: her game start and her removal are heard.
    ann_->session.startGame(1, 30, 0, true);
    QTRY_VERIFY_WITH_TIMEOUT(cy_->model.gameOn() && cy_->model.round() == 1, kWait);
    ann_->session.kick(3);
    QTRY_COMPARE_WITH_TIMEOUT(cy_->session.state(), ClientSession::State::Removed, kWait);
    QTRY_VERIFY_WITH_TIMEOUT(host.logged(QStringLiteral("player left: seat 3 \"Cy\"")), kWait);
}

void TestHost::gamesFollowAndTheLeadPasses()
{
    HostProcess host(quickGame());
    QVERIFY(seatThree(host));

    ann_->session.startGame(1, 30, 0, true);
    QVERIFY(playToWinner(*bob_));
    QTRY_VERIFY_WITH_TIMEOUT(host.logged(QStringLiteral("game ended: winner seat 2 \"Bob\"")),
                             kWait);
    QVERIFY(host.logged(QStringLiteral("game started: 1 rounds of 30 s")));

    // The second game on the same host, no restart.
    ann_->session.startGame(1, 30, 0, true);
    QTRY_VERIFY_WITH_TIMEOUT(bob_->model.gameOn() && bob_->model.winner() == 0, kWait);
    QVERIFY(playToWinner(*cy_));
    QCOMPARE(host.log.count(QStringLiteral("game started:")), 2);

    // Ann leaves: Bob leads now, and everybody is told.
    ann_->session.leave();
    QTRY_VERIFY_WITH_TIMEOUT(cy_->told(QStringLiteral("Bob leads the game now.")), kWait);
    QVERIFY(bob_->told(QStringLiteral("Bob leads the game now.")));
    QVERIFY(host.logged(QStringLiteral("leader: seat 2 \"Bob\"")));
    QVERIFY(bob_->model.leadsGame());
    QCOMPARE(cy_->model.leadingSeat(), 2);
    cy_->session.startGame(1, 30, 0, true);
    QVERIFY(barrier(*bob_, QStringLiteral("after Cy's request")));
    QCOMPARE(host.log.count(QStringLiteral("game started:")), 2);
    bob_->session.startGame(1, 30, 0, true);
    QTRY_COMPARE_WITH_TIMEOUT(host.log.count(QStringLiteral("game started:")), 3, kWait);
    QVERIFY(playToWinner(*bob_));
}

void TestHost::hangupRereadsBetweenGames()
{
    writeBytes(QStringLiteral("host.conf"), "rounds = 1\npause = 1\n");
    HostProcess host({QStringLiteral("--settings"), QStringLiteral("host.conf"),
                      QStringLiteral("--computer"), QStringLiteral("none")});
    QVERIFY(seatThree(host));
    ann_->session.startGame(5, 30, 0, true);
    QTRY_COMPARE_WITH_TIMEOUT(bob_->model.rounds(), 1, kWait);

    // During the game the reread waits for its end.
    writeBytes(QStringLiteral("host.conf"), "rounds = 2\npause = 1\n");
    ::kill(pid_t(host.process.processId()), SIGHUP);
    QTRY_VERIFY_WITH_TIMEOUT(host.logged(QStringLiteral("settings: reread after this game")),
                             kWait);
    QVERIFY(playToWinner(*ann_));
    QTRY_VERIFY_WITH_TIMEOUT(host.logged(QStringLiteral("settings: reread\n")), kWait);
    ann_->session.startGame(5, 30, 0, true);
    QTRY_COMPARE_WITH_TIMEOUT(bob_->model.rounds(), 2, kWait);

    QVERIFY(playToWinner(*cy_));

    // A file that no longer reads keeps the options in force.
    writeBytes(QStringLiteral("host.conf"), "rounds = lots\n");
    ::kill(pid_t(host.process.processId()), SIGHUP);
    QTRY_VERIFY_WITH_TIMEOUT(host.logged(QStringLiteral("settings: kept, host.conf: rounds:")),
                             kWait);
    ann_->session.startGame(5, 30, 0, true);
    QTRY_VERIFY_WITH_TIMEOUT(bob_->model.gameOn() && bob_->model.winner() == 0, kWait);
    QCOMPARE(bob_->model.rounds(), 2);
}

void TestHost::terminationTellsThePlayers()
{
    HostProcess host(quickGame());
    QVERIFY(seatThree(host));
    ann_->session.startGame(1, 30, 0, true);
    QTRY_VERIFY_WITH_TIMEOUT(cy_->model.gameOn(), kWait);
    host.process.terminate();
    for (Player *p : {ann_.get(), bob_.get(), cy_.get()})
        QTRY_COMPARE_WITH_TIMEOUT(p->session.state(), ClientSession::State::HostEnded, kWait);
    QVERIFY(host.process.waitForFinished(kWait));
    QCOMPARE(host.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(host.process.exitCode(), 0);
    host.log += QString::fromUtf8(host.process.readAllStandardOutput());
    QVERIFY(host.logged(QStringLiteral("game ended: the host stops\nstopped\n")));
}

void TestHost::joinsOverIpv6AndIpv4()
{
    if (!hasIpv6Loopback())
        QSKIP("this machine has no IPv6 loopback address (::1)");
    HostProcess host(quickGame());
    QTRY_VERIFY_WITH_TIMEOUT(host.logged(QStringLiteral("started:")), kWait);
    // One listener takes both: a player on [::1] and one on 127.0.0.1 share
    // the game.
    ann_ = std::make_unique<Player>(host.port, QStringLiteral("Ann"), QStringLiteral("::1"));
    QTRY_VERIFY_WITH_TIMEOUT(ann_->session.canRejoin(), kWait);
    QCOMPARE(ann_->model.mySeat(), 1);
    bob_ = std::make_unique<Player>(host.port, QStringLiteral("Bob"));
    QTRY_VERIFY_WITH_TIMEOUT(bob_->session.canRejoin(), kWait);
    QCOMPARE(bob_->model.mySeat(), 2);
    QVERIFY(host.logged(QStringLiteral("player joined: seat 1 \"Ann\"")));
    QVERIFY(barrier(*ann_, QStringLiteral("over IPv6")));
    QVERIFY(barrier(*bob_, QStringLiteral("over IPv4")));
    ann_->session.startGame(1, 30, 0, true);
    QVERIFY(playToWinner(*ann_));
}

void TestHost::writesOnlyTheRuntimeWordList()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const auto files = [&root] {
        QStringList found;
        QDirIterator it(root.path(), QDir::Files | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            found << QDir(root.path()).relativeFilePath(it.next());
        return found;
    };
    HostProcess host(quickGame(), root.path());
    QVERIFY(seatThree(host));
    ann_->session.startGame(1, 30, 0, true);
    QVERIFY(playToWinner(*bob_));
    const QStringList written = files();
    QCOMPARE(written.size(), 1);
    QVERIFY2(written.first().startsWith(QStringLiteral("run/lexiclash-English-")),
             qPrintable(written.first()));

    // The word list goes with the host.
    host.process.terminate();
    QVERIFY(host.process.waitForFinished(kWait));
    QCOMPARE(files(), QStringList());
}

void TestHost::lobbiesListItAsAServer_data()
{
    QTest::addColumn<bool>("asking");
    QTest::newRow("its reply to a query") << true;
    QTest::newRow("its announcement") << false;
}

// A lobby's browser finds the real host, by asking it or by hearing its
// announcements, and learns that it is a dedicated host.
void TestHost::lobbiesListItAsAServer()
{
    QFETCH(bool, asking);
    HostProcess host({QStringLiteral("--name"), QStringLiteral("Friday club")});
    QTRY_VERIFY_WITH_TIMEOUT(host.logged(QStringLiteral("started:")), kWait);
    DiscoveryBrowser browser;
    if (asking) {
        browser.setTargets({{QHostAddress(QHostAddress::LocalHost), host.discoveryPort}});
        browser.setAnnouncementPort(0);
    } else {
        browser.setTargets({});
        browser.setAnnouncementPort(host.discoveryPort);
    }
    QVERIFY(browser.start());
    QTRY_VERIFY_WITH_TIMEOUT(browser.games().size() == 1 && browser.games()[0].info.dedicated,
                             kWait);
    const discovery::GameInfo &info = browser.games()[0].info;
    QCOMPARE(info.hostName, QStringLiteral("Friday club"));
    QCOMPARE(info.gamePort, host.port);
}

QTEST_GUILESS_MAIN(TestHost)
#include "test_host.moc"

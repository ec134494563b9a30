// Reliability of real program copies under faults and bad input: every test
// starts build/bin/lexiclash as a host (offscreen, its own folders, its own
// port) and works against it with raw clients and the automation channel.

#include "gameprocess.h"
#include "gamesteps.h"
#include "loopbackport.h"
#include "net/messages.h"
#include "rawclient.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <csignal>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {
// Growth of VmRSS allowed after many connections or a flood; the sanitizer
// build keeps freed memory in quarantine, so only the plain build is held to it.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMeasureMemory = false;
#else
constexpr bool kMeasureMemory = true;
#endif
constexpr qint64 kRssSlackKb = 8 * 1024;

QStringList hostParameters()
{
    return {QStringLiteral("Hostess"), QStringLiteral("127.0.0.1"), QStringLiteral("true")};
}

// A host copy whose own client holds seat 1.
std::unique_ptr<GameProcess> startHost(const QString &root, quint16 port,
                                       const QString &name = QStringLiteral("host"))
{
    auto host = std::make_unique<GameProcess>(root, name, port);
    if (!host->start(hostParameters()))
        return nullptr;
    if (!GameProcess::waitFor([&] {
            return host->text(QStringLiteral("label_playername1")) == QLatin1String("Hostess");
        }))
        return nullptr;
    return host;
}

// A raw client that can still log in and have its chat relayed: the game goes on.
bool gameGoesOn(quint16 port, const QByteArray &name)
{
    RawClient probe;
    if (!probe.connectTo(port) || !probe.login(name) || !probe.waitFor(Cmd::newplayerinfo))
        return false;
    probe.send(Msg::chat(probe.seat(), "still here", "clBlack"));
    return probe.waitFor("CMD_chat+" + name + " chats: still here");
}
// Another program that listens on the game's port on 127.0.0.1.
class PortHolder {
public:
    explicit PortHolder(quint16 port)
        : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        listening_ =
            fd_ >= 0 &&
            ::bind(fd_, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0 &&
            ::listen(fd_, 1) == 0;
    }
    ~PortHolder()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    PortHolder(const PortHolder &) = delete;
    PortHolder &operator=(const PortHolder &) = delete;
    bool listening() const { return listening_; }

private:
    int fd_ = -1;
    bool listening_ = false;
};

// The texts of the message boxes that the copy shows now.
QByteArray shownMessages(GameProcess &copy)
{
    return copy.command("messages");
}
} // namespace

class FaultTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void thousandConnectionsLeaveNothingBehind();
    void endlessMessageIsCutAtTheCap();
    void randomBytesForTenSeconds();
    void terminationClosesLikeTheWindow_data();
    void terminationClosesLikeTheWindow();
    void unwritableSettingsFileIsReported();
    void tenthCopyIsToldTheGameIsFull();
    void busyPortIsNamedAndTheCopyEnds_data();
    void busyPortIsNamedAndTheCopyEnds();
    void damagedTallyNoticeHoldsUpNothing_data();
    void damagedTallyNoticeHoldsUpNothing();
    void unwritableWorkingFolderStillPlays();
    void nowhereToWriteTheWordListEndsCleanly();

private:
    std::unique_ptr<QTemporaryDir> root_;
    quint16 port_ = 0;
};

void FaultTest::init()
{
    root_ = std::make_unique<QTemporaryDir>(QDir::currentPath() + QStringLiteral("/faultXXXXXX"));
    port_ = unusedLoopbackPort();
}

void FaultTest::cleanup()
{
    root_.reset();
}

void FaultTest::thousandConnectionsLeaveNothingBehind()
{
    auto host = startHost(root_->path(), port_);
    QVERIFY(host);

    // Rounds of nine connections: seats 2 to 9, and a tenth that is refused.
    auto round = [&] {
        std::vector<std::unique_ptr<RawClient>> clients;
        for (int i = 0; i < 9; ++i) {
            clients.push_back(std::make_unique<RawClient>());
            if (!clients.back()->connectTo(port_))
                return false;
            // Seats are given in the order the server accepts connections.
            if (i < 8 && !clients.back()->waitFor(Cmd::sendlogininfo))
                return false;
        }
        if (!clients.back()->waitFor(Cmd::full) || !clients.back()->waitClosed())
            return false;
        for (int i = 0; i < 8; ++i) {
            if (!clients[size_t(i)]->withCommand(Cmd::full).isEmpty())
                return false;
        }
        return true;
    };
    QVERIFY(round());
    QVERIFY(GameProcess::waitFor([&] {
        return host->text(QStringLiteral("label_playername1")) == QLatin1String("Hostess");
    }));
    const int fdsBefore = host->fdCount();
    const qint64 rssBefore = host->statusKb("VmRSS");
    int connections = 9;
    while (connections < 1000) {
        QVERIFY2(round(), qPrintable(QStringLiteral("after %1 connections").arg(connections)));
        connections += 9;
    }
    // The last seats are freed as the server sees the closes. The count taken
    // before may still hold files of the start-up that have closed since, so
    // nothing left behind means no more than before.
    QVERIFY2(
        GameProcess::waitFor([&] { return host->fdCount() <= fdsBefore; }),
        qPrintable(QStringLiteral("%1 files open, %2 before").arg(host->fdCount()).arg(fdsBefore)));
    if (kMeasureMemory)
        QVERIFY2(host->statusKb("VmRSS") - rssBefore < kRssSlackKb,
                 qPrintable(QStringLiteral("VmRSS %1 kB -> %2 kB")
                                .arg(rssBefore)
                                .arg(host->statusKb("VmRSS"))));
    QVERIFY(gameGoesOn(port_, "Late"));
}

void FaultTest::endlessMessageIsCutAtTheCap()
{
    auto host = startHost(root_->path(), port_);
    QVERIFY(host);
    RawClient player;
    QVERIFY(player.connectTo(port_));
    QVERIFY(player.login("Player"));
    const qint64 rssBefore = host->statusKb("VmRSS");

    RawClient flood;
    QVERIFY(flood.connectTo(port_));
    QVERIFY(flood.waitFor(Cmd::sendlogininfo));
    const QByteArray block(1024 * 1024, 'A');
    qint64 sent = 0;
    while (sent < 100LL * 1024 * 1024 && flood.send(block))
        sent += block.size();
    // The server closed the connection long before 100 MB went through.
    QVERIFY2(sent < 100LL * 1024 * 1024, qPrintable(QString::number(sent)));
    QVERIFY(flood.waitClosed());
    if (kMeasureMemory)
        QVERIFY2(host->statusKb("VmRSS") - rssBefore < kRssSlackKb,
                 qPrintable(QStringLiteral("VmRSS %1 kB -> %2 kB")
                                .arg(rssBefore)
                                .arg(host->statusKb("VmRSS"))));

    player.send(Msg::chat(player.seat(), "play on", "clBlack"));
    QVERIFY(player.waitFor("CMD_chat+Player chats: play on"));
    QVERIFY(GameProcess::waitFor(
        [&] { return host->text(QStringLiteral("mainchat")).contains(QLatin1String("play on")); }));
}

void FaultTest::randomBytesForTenSeconds()
{
    auto host = startHost(root_->path(), port_);
    QVERIFY(host);
    RawClient player;
    QVERIFY(player.connectTo(port_));
    QVERIFY(player.login("Player"));

    QRandomGenerator random(20261209);
    RawClient noise;
    QElapsedTimer timer;
    timer.start();
    int reconnects = 0;
    qint64 terminators = 0;
    while (timer.elapsed() < 10000) {
        if (!noise.send(QByteArray()) || noise.closed()) {
            noise.close();
            QVERIFY(noise.connectTo(port_));
            ++reconnects;
        }
        QByteArray bytes(int(1 + random.bounded(2048)), Qt::Uninitialized);
        for (char &c : bytes)
            c = char(random.bounded(256));
        noise.send(bytes);
        terminators += bytes.count(kTerminator);
        noise.poll(1);
        player.poll();
    }
    noise.close();
    qInfo("noise: %lld messages on %d connections", terminators, reconnects);
    QVERIFY2(host->fdCount() > 0, host->log().constData());
    QCOMPARE(host->text(QStringLiteral("label_playername1")), QStringLiteral("Hostess"));
    player.send(Msg::chat(player.seat(), "still playing", "clBlack"));
    QVERIFY(player.waitFor("CMD_chat+Player chats: still playing", 5000));
    QVERIFY(gameGoesOn(port_, "After"));
}

void FaultTest::terminationClosesLikeTheWindow_data()
{
    QTest::addColumn<int>("signo");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void FaultTest::terminationClosesLikeTheWindow()
{
    QFETCH(int, signo);
    auto host = startHost(root_->path(), port_);
    QVERIFY(host);
    GameProcess joiner(root_->path(), QStringLiteral("joiner"), port_);
    QVERIFY(startJoining(joiner, QStringLiteral("Joe"), joiner, 2));
    RawClient watcher;
    QVERIFY(watcher.connectTo(port_));
    QVERIFY(watcher.login("Watcher"));
    QCOMPARE(host->wordLists().size(), 1);

    host->signal(signo);
    QVERIFY(host->waitExit());
    QCOMPARE(host->exitStatus(), QProcess::NormalExit);
    QCOMPARE(host->exitCode(), 0);
    QVERIFY(QFile::exists(host->home() + QStringLiteral("/Lexiclashtally.tld")));
    QCOMPARE(host->wordLists(), QStringList());
    // The joiners are told the host ended the game, and their windows close
    // with the exit code that says so.
    QVERIFY(watcher.waitFor(Cmd::hostended));
    QVERIFY(watcher.waitClosed());
    QVERIFY(GameProcess::waitFor([&] {
        return joiner.text(QStringLiteral("mainchat")).contains("The host ended the game.");
    }));
    QVERIFY(joiner.waitExit());
    QCOMPARE(joiner.exitCode(), 3);
    QVERIFY(QFile::exists(joiner.home() + QStringLiteral("/Lexiclashtally.tld")));
    QCOMPARE(joiner.wordLists(), QStringList());
}

void FaultTest::unwritableSettingsFileIsReported()
{
    // Root may write anywhere; a folder in the file's place can be written by nobody.
    auto host = std::make_unique<GameProcess>(root_->path(), QStringLiteral("host"), port_);
    const QString settings = host->home() + QStringLiteral("/quillmarklobby.ini");
    QVERIFY(QDir().mkpath(settings));
    QVERIFY(host->start(hostParameters()));
    QVERIFY(GameProcess::waitFor([&] {
        return host->text(QStringLiteral("label_playername1")) == QLatin1String("Hostess");
    }));

    QCOMPARE(host->command("trigger PlaySounds1"), QByteArray("ok"));
    QVERIFY(GameProcess::waitFor([&] {
        return host->command("messages")
            .contains("Unable to write to " + QFile::encodeName(settings));
    }));
    QCOMPARE(host->command("dismiss").left(2), QByteArray("ok"));
    // The program carries on: the option took effect and the game still answers.
    QCOMPARE(host->command("checked PlaySounds1"), QByteArray("ok 0"));
    QVERIFY(gameGoesOn(port_, "Guest"));
    QVERIFY(QFileInfo(settings).isDir());
    QCOMPARE(host->command("close"), QByteArray("ok"));
    // Closing may report the same file again; nothing waits on the dialog.
    GameProcess::waitFor([&] {
        host->command("dismiss");
        return host->waitExit(100);
    });
    QVERIFY(host->waitExit());
    QVERIFY(QFile::exists(host->home() + QStringLiteral("/Lexiclashtally.tld")));
}

void FaultTest::tenthCopyIsToldTheGameIsFull()
{
    auto host = startHost(root_->path(), port_);
    QVERIFY(host);
    // Seats 2 to 9 are held by raw clients.
    std::vector<std::unique_ptr<RawClient>> seated;
    for (int i = 0; i < 8; ++i) {
        seated.push_back(std::make_unique<RawClient>());
        QVERIFY(seated.back()->connectTo(port_));
        QVERIFY(seated.back()->waitFor(Cmd::sendlogininfo));
    }

    // The server sends "CMD_full" and closes at once; the copy must still
    // show the message before its window goes.
    GameProcess tenth(root_->path(), QStringLiteral("tenth"), port_);
    QVERIFY(
        tenth.start({QStringLiteral("Ten"), QStringLiteral("127.0.0.1"), QStringLiteral("false")}));
    QVERIFY(
        GameProcess::waitFor([&] { return tenth.command("messages").contains("Game is full"); }));
    QCOMPARE(tenth.command("dismiss").left(2), QByteArray("ok"));
    QVERIFY(tenth.waitExit());
    QCOMPARE(tenth.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tenth.exitCode(), 0);
    // The refusal took nobody's seat.
    for (const auto &client : seated)
        QVERIFY(client->withCommand(Cmd::full).isEmpty());
    QCOMPARE(host->text(QStringLiteral("label_playername1")), QStringLiteral("Hostess"));
}

void FaultTest::busyPortIsNamedAndTheCopyEnds_data()
{
    QTest::addColumn<int>("signo");
    QTest::newRow("OK clicked") << 0;
    QTest::newRow("SIGTERM while the message is shown") << int(SIGTERM);
    QTest::newRow("SIGINT while the message is shown") << int(SIGINT);
}

void FaultTest::busyPortIsNamedAndTheCopyEnds()
{
    QFETCH(int, signo);
    PortHolder other(port_);
    QVERIFY(other.listening());
    GameProcess host(root_->path(), QStringLiteral("host"), port_);
    QVERIFY(host.start(hostParameters()));
    const QByteArray expected = "Cannot host the game: port " + QByteArray::number(port_) +
                                " is already in use by another program";
    QVERIFY2(GameProcess::waitFor([&] { return shownMessages(host).contains(expected); }),
             shownMessages(host).constData());
    QVERIFY(shownMessages(host).contains("LEXICLASH_PORT set to a free port"));

    if (signo == 0)
        QCOMPARE(host.command("dismiss").left(2), QByteArray("ok"));
    else
        host.signal(signo);
    QVERIFY2(host.waitExit(), host.log().constData());
    QCOMPARE(host.exitStatus(), QProcess::NormalExit);
    QCOMPARE(host.exitCode(), 0);
    // Ended as by the close box: the tally written, the word list removed.
    QVERIFY(QFile::exists(host.home() + QStringLiteral("/Lexiclashtally.tld")));
    QCOMPARE(host.wordLists(), QStringList());
}

void FaultTest::damagedTallyNoticeHoldsUpNothing_data()
{
    QTest::addColumn<int>("signo");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void FaultTest::damagedTallyNoticeHoldsUpNothing()
{
    QFETCH(int, signo);
    GameProcess host(root_->path(), QStringLiteral("host"), port_);
    const QString tally = host.home() + QStringLiteral("/Lexiclashtally.tld");
    const QByteArray damaged = "WRZL this is not a tally";
    {
        QFile file(tally);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(damaged);
    }
    QVERIFY(host.start(hostParameters()));
    // Hosting goes on while the notice is shown: the own client logs in and a
    // guest is seated and relayed without anybody clicking.
    QVERIFY(GameProcess::waitFor([&] {
        return host.text(QStringLiteral("label_playername1")) == QLatin1String("Hostess");
    }));
    QVERIFY(shownMessages(host).contains(QFile::encodeName(tally)));
    QVERIFY(gameGoesOn(port_, "Guest"));

    host.signal(signo);
    QVERIFY2(host.waitExit(), host.log().constData());
    QCOMPARE(host.exitStatus(), QProcess::NormalExit);
    QCOMPARE(host.exitCode(), 0);
    QFile kept(tally + QStringLiteral(".bad"));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), damaged);
    QVERIFY(QFile::exists(tally));
}

void FaultTest::unwritableWorkingFolderStillPlays()
{
    // /proc takes no new files, not even from root.
    GameProcess host(root_->path(), QStringLiteral("host"), port_);
    host.setWorkingFolder(QStringLiteral("/proc"));
    {
        QFile settings(host.home() + QStringLiteral("/quillmarklobby.ini"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write(
            "[Lexiclash]\nPlaytoscore=1\nTimeperturn=120\nGametype=0\nPlaysounds=false\n");
    }
    QVERIFY(host.start(hostParameters()));
    QVERIFY2(GameProcess::waitFor([&] {
                 return host.text(QStringLiteral("label_playername1")) == QLatin1String("Hostess");
             }),
             host.log().constData());
    QCOMPARE(host.wordLists().size(), 1);
    const QString standIn = host.wordLists().first();

    // The server judges words from the list in the runtime folder: a word of
    // that file with the round's prefix is accepted.
    RawClient player;
    QVERIFY(player.connectTo(port_));
    QVERIFY(player.login("Guest"));
    QCOMPARE(host.command("click button_start"), QByteArray("ok"));
    QVERIFY(GameProcess::waitFor([&] { return host.command("visible gamestart") == "ok 1"; }));
    QCOMPARE(host.command("click gamestart/Image1"), QByteArray("ok"));
    QVERIFY(player.waitFor(Cmd::startround));
    const Msg::StartRound round =
        Msg::readStartround(splitMessage(player.withCommand(Cmd::startround).first()).body);
    QFile list(standIn);
    QVERIFY(list.open(QIODevice::ReadOnly));
    const QByteArray records = list.readAll();
    QByteArray word;
    for (qsizetype at = 0; at + 15 <= records.size() && word.isEmpty(); at += 15) {
        const QByteArray entry = records.mid(at + 1, 14).trimmed();
        if (entry.startsWith(round.prefix) && entry.size() > round.prefix.size() &&
            (round.length == 0 || entry.size() == round.length))
            word = entry;
    }
    QVERIFY2(!word.isEmpty(), round.prefix.constData());
    QVERIFY(player.send(Msg::sendword(player.seat(), word)));
    QVERIFY2(player.waitFor("CMD_gotword+" + QByteArray::number(player.seat()) + '+' + word + '+'),
             player.received().join('\n').constData());

    QVERIFY(host.command("close").startsWith("ok"));
    QVERIFY2(host.waitExit(), host.log().constData());
    QCOMPARE(host.exitCode(), 0);
    QVERIFY(!QFile::exists(standIn));
    QVERIFY(!host.log().contains("Cannot create file"));
}

void FaultTest::nowhereToWriteTheWordListEndsCleanly()
{
    GameProcess host(root_->path(), QStringLiteral("host"), port_);
    host.setWorkingFolder(QStringLiteral("/proc"));
    host.setEnv(QStringLiteral("XDG_RUNTIME_DIR"), QStringLiteral("/proc"));
    host.setEnv(QStringLiteral("TMPDIR"), QStringLiteral("/proc"));
    QVERIFY(host.launch(hostParameters()));
    QVERIFY(host.waitExit());
    QCOMPARE(host.exitStatus(), QProcess::NormalExit);
    QCOMPARE(host.exitCode(), 1);
    QVERIFY2(host.log().contains("Lexiclash cannot start: The word list could not be written."),
             host.log().constData());
}

QTEST_GUILESS_MAIN(FaultTest)
#include "test_faults.moc"

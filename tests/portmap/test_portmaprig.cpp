// The port mapper of a hosting copy against the real miniupnpd, in a small
// internet of network namespaces (rig.sh): a home with the hosting copy and
// a neighbour on its network, a router with nftables masquerade to a wan side,
// and a remote copy on the wan side with no route home. Also IPv6 joins and the solo game's
// loopback-only listener, inside namespaces, and the dedicated host's port
// mapping. Needs root and namespaces; skipped otherwise.

#include "gameprocess.h"
#include "gamesteps.h"
#include "loopbackport.h"
#include "rig.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

namespace {

constexpr int kMappingWaitMs = 10000;

// The port-mapping line the hosting copy printed, once there is one.
QString mappingLine(GameProcess &host)
{
    QString line;
    GameProcess::waitFor(
        [&] {
            const QRegularExpressionMatch match =
                QRegularExpression(QStringLiteral("lexiclash: port mapping \\(.*"))
                    .match(QString::fromUtf8(host.log()));
            line = match.captured(0);
            return match.hasMatch();
        },
        kMappingWaitMs);
    return line;
}

// The forwarding rule miniupnpd makes for an outside port.
QByteArray rule(quint16 external, const QString &to)
{
    return "dport " + QByteArray::number(external) + " dnat ip to " + to.toLatin1();
}

// True once a TCP connection to address:port from inside the namespace
// succeeds; false when it is refused.
bool connects(const Rig &rig, const QString &nameKey, const QString &address, quint16 port)
{
    return rig.run(nameKey, {QStringLiteral("bash"), QStringLiteral("-c"),
                             QStringLiteral("exec 3<>/dev/tcp/%1/%2").arg(address).arg(port)}) == 0;
}

} // namespace

class TestPortMapRig : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void hostMapsAndRemoteJoins_data();
    void hostMapsAndRemoteJoins();
    void dedicatedHostMapsAndRemoteJoins();
    void noGatewaySaysSoAndTheGameGoesOn();
    void silentRouterIsGivenUpWithinThreeSeconds();
    void closingWhileTheRouterIsAskedEndsCleanly_data();
    void closingWhileTheRouterIsAskedEndsCleanly();
    void takenOutsidePortGivesTheNextOne();
    void sharedOutsideAddressIsTold();
    void offMapsNothing();
    void renewalAsksTheRouterAgain();
    void joinsOverIpv6_data();
    void joinsOverIpv6();
    void soloGameIsForThisComputerOnly();

private:
    // Starts the rig or skips the test with the reason.
    bool standRig(Rig &rig, const QString &mode);
    std::unique_ptr<GameProcess> copy(const Rig &rig, const QString &nameKey, const QString &name,
                                      quint16 port);

    std::unique_ptr<QTemporaryDir> root_;
    quint16 port_ = 0;
};

void TestPortMapRig::init()
{
    root_ = std::make_unique<QTemporaryDir>(QDir::currentPath() + QStringLiteral("/rigXXXXXX"));
    // Inside the namespaces nothing else listens; a port that is free here
    // keeps the game's fixed port out of the test all the same.
    port_ = unusedLoopbackPort();
}

void TestPortMapRig::cleanup()
{
    root_.reset();
}

bool TestPortMapRig::standRig(Rig &rig, const QString &mode)
{
    if (rig.start(mode))
        return true;
    if (!rig.skipReason().isEmpty())
        qInfo("rig: %s", qPrintable(rig.skipReason()));
    return false;
}

std::unique_ptr<GameProcess> TestPortMapRig::copy(const Rig &rig, const QString &nameKey,
                                                  const QString &name, quint16 port)
{
    auto process = std::make_unique<GameProcess>(root_->path(), name, port);
    process->setLauncher(rig.in(nameKey));
    // The suite turns port mapping off everywhere else.
    process->setEnv(QStringLiteral("LEXICLASH_PORTMAP"), QStringLiteral("on"));
    return process;
}

#define STAND_RIG(rig, mode)                                                                       \
    do {                                                                                           \
        if (!standRig(rig, mode)) {                                                                \
            if (!(rig).skipReason().isEmpty())                                                     \
                QSKIP(qPrintable((rig).skipReason()));                                             \
            QFAIL(qPrintable((rig).failure()));                                                    \
        }                                                                                          \
    } while (false)

void TestPortMapRig::hostMapsAndRemoteJoins_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("method");
    QTest::addColumn<bool>("terminate");
    QTest::newRow("UPnP, host quits") << "upnp"
                                      << "UPnP" << false;
    QTest::newRow("UPnP, host gets SIGTERM") << "upnp"
                                             << "UPnP" << true;
    QTest::newRow("NAT-PMP, host quits") << "natpmp"
                                         << "NAT-PMP" << false;
    QTest::newRow("NAT-PMP, host gets SIGTERM") << "natpmp"
                                                << "NAT-PMP" << true;
}

void TestPortMapRig::hostMapsAndRemoteJoins()
{
    QFETCH(QString, mode);
    QFETCH(QString, method);
    QFETCH(bool, terminate);
    Rig rig;
    STAND_RIG(rig, mode);
    const QString wan = rig.value(QStringLiteral("wan_ip"));

    const auto host = copy(rig, QStringLiteral("home"), QStringLiteral("host"), port_);
    writeHostSettings(host->home());
    QVERIFY(host->start(
        {QStringLiteral("Hostess"), QStringLiteral("127.0.0.1"), QStringLiteral("true")}));
    const QString line = mappingLine(*host);
    QVERIFY2(line.startsWith(QStringLiteral("lexiclash: port mapping (%1, ").arg(method)),
             qPrintable(line));
    QVERIFY2(line.endsWith(QStringLiteral("Players on the internet can join this game at %1:%2: "
                                          "the router opened the port.")
                               .arg(wan)
                               .arg(port_)),
             qPrintable(line));
    const QString inside = QStringLiteral("%1:%2").arg(rig.value("home_ip")).arg(port_);
    QVERIFY2(rig.mappings().contains(rule(port_, inside)), rig.mappings().constData());

    // A copy on the wan side reaches the game only through the router.
    const auto remote = copy(rig, QStringLiteral("remote"), QStringLiteral("remote"), port_);
    QVERIFY(remote->start({QStringLiteral("Remy"), wan, QStringLiteral("false")}));
    QVERIFY(seatShows(*host, 2, QStringLiteral("Remy")));
    if (!terminate) {
        QCOMPARE(host->command("click button_start"), QByteArray("ok"));
        QVERIFY(GameProcess::waitFor([&] { return host->command("visible gamestart") == "ok 1"; }));
        QCOMPARE(host->command("click gamestart/Image1"), QByteArray("ok"));
        QVERIFY(
            GameProcess::waitFor([&] { return remote->command("visible edit_word") == "ok 1"; }));
        const QByteArray prefix = remote->text(QStringLiteral("label_word2")).toLatin1();
        const QByteArray word = wordWithPrefix(*host, prefix);
        QVERIFY2(!word.isEmpty(), prefix.constData());
        QCOMPARE(remote->command("type edit_word " + word.toLower()), QByteArray("ok"));
        QCOMPARE(remote->command("key edit_word Return"), QByteArray("ok"));
        QVERIFY(GameProcess::waitFor([&] {
            return host->text(QStringLiteral("memo_wordlist")).contains(QString::fromLatin1(word));
        }));
        QCOMPARE(host->command("close"), QByteArray("ok"));
    } else {
        host->signal(SIGTERM);
    }
    QVERIFY(host->waitExit());
    QVERIFY2(!rig.mappings().contains("dport"), rig.mappings().constData());
}

// lexiclash-host --portmap, the game server without a window: the router
// forwards its port, a remote copy joins through the outside address, and
// SIGTERM takes the forwarding away again.
void TestPortMapRig::dedicatedHostMapsAndRemoteJoins()
{
    Rig rig;
    STAND_RIG(rig, QStringLiteral("upnp"));
    const QString wan = rig.value(QStringLiteral("wan_ip"));
    const auto host = copy(rig, QStringLiteral("home"), QStringLiteral("server"), port_);
    host->setProgram(QStringLiteral(HOST_PROGRAM));
    QVERIFY(
        host->launch({QStringLiteral("--portmap"), QStringLiteral("--computer"),
                      QStringLiteral("none"), QStringLiteral("--name"), QStringLiteral("Club")}));
    const QString mapped = QStringLiteral("port mapping (UPnP): Players on the internet can join "
                                          "this game at %1:%2: the router opened the port.\n")
                               .arg(wan)
                               .arg(port_);
    QVERIFY2(GameProcess::waitFor([&] { return QString::fromUtf8(host->log()).contains(mapped); },
                                  kMappingWaitMs),
             host->log().constData());
    QCOMPARE(host->log().count("port mapping"), 1);
    const QString inside = QStringLiteral("%1:%2").arg(rig.value("home_ip")).arg(port_);
    QVERIFY2(rig.mappings().contains(rule(port_, inside)), rig.mappings().constData());

    const auto remote = copy(rig, QStringLiteral("remote"), QStringLiteral("remote"), port_);
    QVERIFY(remote->start({QStringLiteral("Remy"), wan, QStringLiteral("false")}));
    QVERIFY(seatShows(*remote, 1, QStringLiteral("Remy")));
    QVERIFY(GameProcess::waitFor(
        [&] { return host->log().contains("player joined: seat 1 \"Remy\""); }));

    host->signal(SIGTERM);
    QVERIFY(host->waitExit());
    QCOMPARE(host->exitStatus(), QProcess::NormalExit);
    QCOMPARE(host->exitCode(), 0);
    QVERIFY2(host->log().endsWith("stopped\n"), host->log().constData());
    QVERIFY2(!rig.mappings().contains("dport"), rig.mappings().constData());
}

void TestPortMapRig::noGatewaySaysSoAndTheGameGoesOn()
{
    Rig rig;
    STAND_RIG(rig, QStringLiteral("nogw"));
    const auto host = copy(rig, QStringLiteral("home"), QStringLiteral("host"), port_);
    writeHostSettings(host->home());
    QVERIFY(host->start(
        {QStringLiteral("Hostess"), QStringLiteral("127.0.0.1"), QStringLiteral("true")}));
    const QString line = mappingLine(*host);
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^lexiclash: port mapping \\(none, (\\d+) ms\\): (.*)$"))
            .match(line);
    QVERIFY2(match.hasMatch(), qPrintable(line));
    QVERIFY2(match.captured(1).toInt() < 3000, qPrintable(line));
    QCOMPARE(match.captured(2),
             QStringLiteral("The router did not answer, so players outside your local network "
                            "cannot join yet: forward TCP port %1 on the router to this computer "
                            "(%2).")
                 .arg(port_)
                 .arg(rig.value("home_ip")));
    QVERIFY(seatShows(*host, 1, QStringLiteral("Hostess")));
    QVERIFY(startGame(*host));
    QVERIFY(GameProcess::waitFor([&] { return host->command("visible edit_word") == "ok 1"; }));
    QCOMPARE(host->command("close"), QByteArray("ok"));
    QVERIFY(host->waitExit());
}

void TestPortMapRig::silentRouterIsGivenUpWithinThreeSeconds()
{
    Rig rig;
    STAND_RIG(rig, QStringLiteral("silent"));
    const auto host = copy(rig, QStringLiteral("home"), QStringLiteral("host"), port_);
    QVERIFY(host->start(
        {QStringLiteral("Hostess"), QStringLiteral("127.0.0.1"), QStringLiteral("true")}));
    const QString line = mappingLine(*host);
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^lexiclash: port mapping \\(none, (\\d+) ms\\): The "
                                          "router did not answer, "))
            .match(line);
    QVERIFY2(match.hasMatch(), qPrintable(line));
    QVERIFY2(match.captured(1).toInt() < 3000, qPrintable(line));
    QCOMPARE(host->command("close"), QByteArray("ok"));
    QVERIFY(host->waitExit());
}

void TestPortMapRig::closingWhileTheRouterIsAskedEndsCleanly_data()
{
    QTest::addColumn<bool>("terminate");
    QTest::newRow("closed") << false;
    QTest::newRow("SIGTERM") << true;
}

// The host goes while its mapper still waits for a router that never
// answers: the mapping is cut short, the worker thread ends, the program
// ends normally.
void TestPortMapRig::closingWhileTheRouterIsAskedEndsCleanly()
{
    QFETCH(bool, terminate);
    Rig rig;
    STAND_RIG(rig, QStringLiteral("silent"));
    const auto host = copy(rig, QStringLiteral("home"), QStringLiteral("host"), port_);
    QVERIFY(host->start(
        {QStringLiteral("Hostess"), QStringLiteral("127.0.0.1"), QStringLiteral("true")}));
    if (terminate)
        host->signal(SIGTERM);
    else
        QCOMPARE(host->command("close"), QByteArray("ok"));
    QVERIFY(host->waitExit());
    QCOMPARE(host->exitStatus(), QProcess::NormalExit);
    QCOMPARE(host->exitCode(), 0);
    QVERIFY2(!host->log().contains("QThread"), host->log().constData());
}

void TestPortMapRig::takenOutsidePortGivesTheNextOne()
{
    Rig rig;
    STAND_RIG(rig, QStringLiteral("upnp"));
    // Another computer of the home network holds the outside port already.
    const quint16 next = quint16(port_ + 1);
    QProcess holder;
    const QStringList launcher =
        rig.in(QStringLiteral("neighbour")) +
        QStringList{QCoreApplication::applicationDirPath() + QStringLiteral("/portmap_probe"),
                    QStringLiteral("take"), QString::number(port_), QString::number(port_)};
    holder.start(launcher.first(), launcher.mid(1));
    QVERIFY(holder.waitForStarted());
    QVERIFY(holder.waitForReadyRead(kMappingWaitMs));
    QVERIFY(QString::fromUtf8(holder.readLine()).startsWith(QStringLiteral("result outcome=0")));
    const QString home = rig.value("home_ip");
    const QString neighbour = rig.value("neighbour_ip");
    QVERIFY(
        rig.mappings().contains(rule(port_, QStringLiteral("%1:%2").arg(neighbour).arg(port_))));

    const auto host = copy(rig, QStringLiteral("home"), QStringLiteral("host"), port_);
    QVERIFY(host->start(
        {QStringLiteral("Hostess"), QStringLiteral("127.0.0.1"), QStringLiteral("true")}));
    const QString line = mappingLine(*host);
    QVERIFY2(line.endsWith(QStringLiteral("join this game at %1:%2: the router opened the port.")
                               .arg(rig.value("wan_ip"))
                               .arg(next)),
             qPrintable(line));
    QVERIFY(rig.mappings().contains(rule(next, QStringLiteral("%1:%2").arg(home).arg(port_))));
    QCOMPARE(host->command("close"), QByteArray("ok"));
    QVERIFY(host->waitExit());
    // The neighbour's mapping stays; only the host's went.
    QVERIFY(
        rig.mappings().contains(rule(port_, QStringLiteral("%1:%2").arg(neighbour).arg(port_))));
    QVERIFY(!rig.mappings().contains("dport " + QByteArray::number(next)));
    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished(kMappingWaitMs));
    QVERIFY2(!rig.mappings().contains("dport"), rig.mappings().constData());
}

void TestPortMapRig::sharedOutsideAddressIsTold()
{
    Rig rig;
    STAND_RIG(rig, QStringLiteral("cgnat"));
    const auto host = copy(rig, QStringLiteral("home"), QStringLiteral("host"), port_);
    QVERIFY(host->start(
        {QStringLiteral("Hostess"), QStringLiteral("127.0.0.1"), QStringLiteral("true")}));
    const QString line = mappingLine(*host);
    QVERIFY2(line.contains(QStringLiteral("is itself private or shared (carrier-grade NAT), so "
                                          "forwarding a port cannot help")),
             qPrintable(line));
    QVERIFY2(!rig.mappings().contains("dport"), rig.mappings().constData());
    QCOMPARE(host->command("close"), QByteArray("ok"));
    QVERIFY(host->waitExit());
}

void TestPortMapRig::offMapsNothing()
{
    Rig rig;
    STAND_RIG(rig, QStringLiteral("upnp"));
    const auto host = copy(rig, QStringLiteral("home"), QStringLiteral("host"), port_);
    host->setEnv(QStringLiteral("LEXICLASH_PORTMAP"), QStringLiteral("off"));
    QVERIFY(host->start(
        {QStringLiteral("Hostess"), QStringLiteral("127.0.0.1"), QStringLiteral("true")}));
    QVERIFY(GameProcess::waitFor([&] {
        return host->log().contains("lexiclash: port mapping is off (LEXICLASH_PORTMAP=off)");
    }));
    QVERIFY(seatShows(*host, 1, QStringLiteral("Hostess")));
    QVERIFY(!rig.routerLog().contains("AddPortMapping"));
    QVERIFY(!rig.mappings().contains("dport"));
    QCOMPARE(host->command("close"), QByteArray("ok"));
    QVERIFY(host->waitExit());
}

void TestPortMapRig::renewalAsksTheRouterAgain()
{
    Rig rig;
    STAND_RIG(rig, QStringLiteral("upnp"));
    QProcess probe;
    const QStringList launcher =
        rig.in(QStringLiteral("home")) +
        QStringList{QCoreApplication::applicationDirPath() + QStringLiteral("/portmap_probe"),
                    QStringLiteral("map"), QString::number(port_), QStringLiteral("120")};
    probe.start(launcher.first(), launcher.mid(1));
    QVERIFY(probe.waitForStarted());
    QVERIFY(probe.waitForReadyRead(kMappingWaitMs));
    QVERIFY(QString::fromUtf8(probe.readLine()).startsWith(QStringLiteral("result outcome=0")));
    const QByteArray asked = "AddPortMapping: ext port " + QByteArray::number(port_);
    QCOMPARE(rig.routerLog().count(asked), 1);
    QVERIFY(rig.routerLog().contains("leaseduration=120"));
    // The renewal timer's handler, as the timer calls it at half the lease.
    probe.write("renew\n");
    QVERIFY(probe.waitForBytesWritten());
    QVERIFY(
        GameProcess::waitFor([&] { return rig.routerLog().count(asked) == 2; }, kMappingWaitMs));
    QVERIFY(rig.mappings().contains("dport " + QByteArray::number(port_)));
    probe.closeWriteChannel();
    QVERIFY(probe.waitForFinished(kMappingWaitMs));
    QVERIFY(probe.readAll().contains("removed"));
    QVERIFY2(!rig.mappings().contains("dport"), rig.mappings().constData());
}

void TestPortMapRig::joinsOverIpv6_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("address");
    QTest::newRow("loopback, brackets") << "home"
                                        << "[::1]";
    QTest::newRow("across the link, bare") << "router"
                                           << "fd77::2";
}

void TestPortMapRig::joinsOverIpv6()
{
    QFETCH(QString, from);
    QFETCH(QString, address);
    Rig rig;
    STAND_RIG(rig, QStringLiteral("upnp"));
    const auto host = copy(rig, QStringLiteral("home"), QStringLiteral("host"), port_);
    host->setEnv(QStringLiteral("LEXICLASH_PORTMAP"), QStringLiteral("off"));
    QVERIFY(host->start(
        {QStringLiteral("Hostess"), QStringLiteral("127.0.0.1"), QStringLiteral("true")}));
    const auto joiner = copy(rig, from, QStringLiteral("joiner"), port_);
    QVERIFY(joiner->start({QStringLiteral("Ivy"), address, QStringLiteral("false")}));
    QVERIFY(seatShows(*host, 2, QStringLiteral("Ivy")));
    QVERIFY(seatShows(*joiner, 1, QStringLiteral("Hostess")));
}

void TestPortMapRig::soloGameIsForThisComputerOnly()
{
    Rig rig;
    STAND_RIG(rig, QStringLiteral("upnp"));
    const auto solo = copy(rig, QStringLiteral("home"), QStringLiteral("solo"), port_);
    QVERIFY(solo->start({}));
    QVERIFY(GameProcess::waitFor(
        [&] { return connects(rig, QStringLiteral("home"), QStringLiteral("127.0.0.1"), port_); }));
    const QString home = QStringLiteral("home");
    const QString router = QStringLiteral("router");
    QVERIFY(!connects(rig, home, rig.value("home_ip"), port_));
    QVERIFY(!connects(rig, home, rig.value("home_ip6"), port_));
    QVERIFY(!connects(rig, home, QStringLiteral("::1"), port_));
    QVERIFY(!connects(rig, router, rig.value("home_ip"), port_));
    QVERIFY(!connects(rig, router, rig.value("home_ip6"), port_));
    // A solo game asks the router for nothing.
    QVERIFY(!solo->log().contains("port mapping"));
    QVERIFY(!rig.routerLog().contains("AddPortMapping"));
}

QTEST_GUILESS_MAIN(TestPortMapRig)
#include "test_portmaprig.moc"

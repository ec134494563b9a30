// A joined copy whose connection is reset from outside, as a dropped link
// would: real program copies, the connection destroyed in the kernel with
// "ss -K" (root only), the copy coming back to its own seat by itself.

#include "gameprocess.h"
#include "gamesteps.h"
#include "loopbackport.h"
#include "net/messages.h"
#include "rawclient.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <unistd.h>

namespace {
// The seconds a dropped copy may take to be back in its seat.
constexpr int kBackWithinMs = 10000;

// The local port of the copy's established connection to the game port, or 0.
quint16 connectionPort(qint64 pid, quint16 gamePort)
{
    QProcess ss;
    ss.start(QStringLiteral("ss"),
             {QStringLiteral("-Htnp"), QStringLiteral("state"), QStringLiteral("established")});
    if (!ss.waitForFinished(10000))
        return 0;
    const QString peer = QStringLiteral(":%1").arg(gamePort);
    for (const QString &line : QString::fromLocal8Bit(ss.readAllStandardOutput()).split('\n')) {
        if (!line.contains(QStringLiteral("pid=%1,").arg(pid)))
            continue;
        const QStringList fields = line.simplified().split(' ');
        if (fields.size() >= 4 && fields[3].endsWith(peer))
            return quint16(fields[2].section(':', -1).toUInt());
    }
    return 0;
}

// Destroys both directions of the loopback connection between the ports;
// false when the kernel would not.
bool killConnection(quint16 a, quint16 b)
{
    for (const auto &[from, to] : {std::pair{a, b}, std::pair{b, a}}) {
        QProcess ss;
        ss.start(QStringLiteral("ss"),
                 {QStringLiteral("-K"),
                  QStringLiteral("( sport = :%1 and dport = :%2 )").arg(from).arg(to)});
        if (!ss.waitForFinished(10000) || ss.exitCode() != 0)
            return false;
    }
    return true;
}
} // namespace

class RejoinTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void resetFromOutsideRejoinsTheSameSeat();
    void vanishedHostIsNoticed();

private:
    std::unique_ptr<QTemporaryDir> root_;
    quint16 port_ = 0;
};

void RejoinTest::init()
{
    root_ = std::make_unique<QTemporaryDir>(QDir::currentPath() + QStringLiteral("/rejoinXXXXXX"));
    port_ = unusedLoopbackPort();
}

void RejoinTest::cleanup()
{
    root_.reset();
}

void RejoinTest::resetFromOutsideRejoinsTheSameSeat()
{
    if (::geteuid() != 0)
        QSKIP("resetting a connection from outside (ss -K) needs root");
    GameProcess host(root_->path(), QStringLiteral("host"), port_);
    writeHostSettings(host.home(), 2, 90);
    QVERIFY(startHosting(host, QStringLiteral("Hostess")));
    GameProcess jack(root_->path(), QStringLiteral("jack"), port_);
    QVERIFY(startJoining(jack, QStringLiteral("Jack"), host, 2));
    RawClient robo;
    QVERIFY(robo.connectTo(port_));
    QVERIFY(robo.login("Robo"));
    QCOMPARE(robo.seat(), 3);

    // Round 1: Jack finds a word and everybody gives up, so Jack has a total.
    QCOMPARE(host.command("trigger Quick1"), QByteArray("ok"));
    QVERIFY(startGame(host));
    QVERIFY(waitCount(robo, Cmd::startround, 1));
    const QByteArray word = wordWithPrefix(host, lastRound(robo).prefix);
    QVERIFY(!word.isEmpty());
    enterWord(jack, word.toLower());
    QVERIFY(robo.waitFor("CMD_gotword+2+" + word + "+"));
    QCOMPARE(host.command("click button_igiveup"), QByteArray("ok"));
    QCOMPARE(jack.command("click button_igiveup"), QByteArray("ok"));
    robo.send(Msg::giveup(robo.seat()));
    QVERIFY(waitCount(robo, Cmd::endround, 1));
    const QString total = QString::number(word.size());
    QVERIFY(
        GameProcess::waitFor([&] { return jack.text(QStringLiteral("label_score2")) == total; }));

    // Round 2 runs when the link drops.
    QVERIFY(waitCount(robo, Cmd::startround, 2));
    const quint16 jackPort = connectionPort(jack.pid(), port_);
    QVERIFY(jackPort != 0);
    QElapsedTimer sinceDrop;
    sinceDrop.start();
    if (!killConnection(jackPort, port_) || connectionPort(jack.pid(), port_) == jackPort)
        QSKIP("the kernel does not destroy sockets from outside (ss -K, INET_DIAG_DESTROY)");

    // The copy does not close: it says so and comes back by itself.
    QVERIFY(GameProcess::waitFor([&] {
        return jack.text(QStringLiteral("mainchat")).contains("Connection lost. Reconnecting…");
    }));
    QVERIFY(GameProcess::waitFor(
        [&] { return jack.text(QStringLiteral("mainchat")).contains("You are back in the game."); },
        kBackWithinMs));
    QVERIFY2(sinceDrop.elapsed() <= kBackWithinMs,
             qPrintable(QString::number(sinceDrop.elapsed())));
    QVERIFY(connectionPort(jack.pid(), port_) != 0);

    // The round went on for the others: nothing ended it, and words still count.
    QCOMPARE(robo.withCommand(Cmd::endround).size(), 1);
    const QByteArray other = wordWithPrefix(host, lastRound(robo).prefix);
    robo.send(Msg::sendword(robo.seat(), other));
    QVERIFY(robo.waitFor("CMD_gotword+3+" + other + "+"));
    QVERIFY(GameProcess::waitFor([&] {
        return jack.text(QStringLiteral("memo_wordlist")).contains(QString::fromLatin1(other));
    }));

    // Same seat, same total, the round's letters on the board, everybody told.
    QCOMPARE(jack.text(QStringLiteral("label_playername2")), QStringLiteral("Jack"));
    QCOMPARE(jack.text(QStringLiteral("label_score2")), total);
    QCOMPARE(host.text(QStringLiteral("label_playername2")), QStringLiteral("Jack"));
    QCOMPARE(jack.text(QStringLiteral("label_word2")), QString::fromLatin1(lastRound(robo).prefix));
    QCOMPARE(jack.command("visible edit_word"), QByteArray("ok 1"));
    const QString hostChat = host.text(QStringLiteral("mainchat"));
    QVERIFY(hostChat.contains("Jack lost the connection…"));
    QVERIFY(hostChat.contains("Jack is back."));
    // Jack plays on in his seat.
    const QByteArray again = wordWithPrefix(host, lastRound(robo).prefix, {other});
    enterWord(jack, again.toLower());
    QVERIFY(robo.waitFor("CMD_gotword+2+" + again + "+"));
}

void RejoinTest::vanishedHostIsNoticed()
{
    GameProcess host(root_->path(), QStringLiteral("host"), port_);
    QVERIFY(startHosting(host, QStringLiteral("Hostess")));
    GameProcess jack(root_->path(), QStringLiteral("jack"), port_);
    QVERIFY(startJoining(jack, QStringLiteral("Jack"), jack, 2));
    // The host has handled all Jack said at login, the offer to hold his seat
    // included, once his chat line comes back to him: he has his token.
    QCOMPARE(jack.command("type mychat ready"), QByteArray("ok"));
    QCOMPARE(jack.command("key mychat Return"), QByteArray("ok"));
    QVERIFY(GameProcess::waitFor(
        [&] { return jack.text(QStringLiteral("mainchat")).contains("Jack chats: ready"); }));

    // The host stops answering altogether: no data, no answer to the probes.
    host.signal(SIGSTOP);
    QElapsedTimer silent;
    silent.start();
    QVERIFY(GameProcess::waitFor(
        [&] {
            return jack.text(QStringLiteral("mainchat")).contains("Connection lost. Reconnecting…");
        },
        30000));
    // Noticed after the probe's silence, not before.
    QVERIFY2(silent.elapsed() >= 14000, qPrintable(QString::number(silent.elapsed())));
    QVERIFY(jack.text(QStringLiteral("label_status")).startsWith("Reconnecting, attempt "));

    // The host wakes up: the copy is back in its seat.
    host.signal(SIGCONT);
    QVERIFY(GameProcess::waitFor(
        [&] { return jack.text(QStringLiteral("mainchat")).contains("You are back in the game."); },
        30000));
    QCOMPARE(jack.text(QStringLiteral("label_playername2")), QStringLiteral("Jack"));
    QVERIFY(seatShows(host, 2, QStringLiteral("Jack")));
}

QTEST_GUILESS_MAIN(RejoinTest)
#include "test_rejoin.moc"

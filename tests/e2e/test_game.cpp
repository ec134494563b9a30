// Whole games with real program copies: a host and two joiners of
// build/bin/lexiclash on the offscreen platform, each with its own folders,
// played through their windows over the automation channel, and a raw test
// client that logs in and records every message it receives.

#include "gameprocess.h"
#include "gamesteps.h"
#include "loopbackport.h"
#include "net/messages.h"
#include "rawclient.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <map>
#include <memory>

class GameTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void wholeGameThroughTheWindows();
    void joinerKilledInTheMiddleOfARound();

private:
    std::unique_ptr<QTemporaryDir> root_;
    quint16 port_ = 0;
};

void GameTest::init()
{
    root_ = std::make_unique<QTemporaryDir>(QDir::currentPath() + QStringLiteral("/gameXXXXXX"));
    port_ = unusedLoopbackPort();
}

void GameTest::cleanup()
{
    root_.reset();
}

void GameTest::wholeGameThroughTheWindows()
{
    GameProcess host(root_->path(), QStringLiteral("host"), port_);
    host.setEnv(QStringLiteral("LEXICLASH_SEED"), QStringLiteral("4242"));
    writeHostSettings(host.home());
    QVERIFY(startHosting(host, QStringLiteral("Hostess")));

    GameProcess jack(root_->path(), QStringLiteral("jack"), port_);
    QVERIFY(startJoining(jack, QStringLiteral("Jack"), host, 2));
    GameProcess jill(root_->path(), QStringLiteral("jill"), port_);
    QVERIFY(startJoining(jill, QStringLiteral("Jill"), host, 3));

    RawClient robo;
    QVERIFY(robo.connectTo(port_));
    QVERIFY(robo.login("Robo"));
    QCOMPARE(robo.seat(), 4);
    QVERIFY(robo.waitFor("CMD_newplayerinfo+4+Robo"));
    QVERIFY(seatShows(jill, 4, QStringLiteral("Robo")));
    QVERIFY(robo.waitFor("CMD_existingplayers+3+Jill"));

    // Chat from the host's entry field reaches the raw client and the joiners.
    QCOMPARE(host.command("type mychat Hello all"), QByteArray("ok"));
    QCOMPARE(host.command("key mychat Return"), QByteArray("ok"));
    QVERIFY(robo.waitFor("CMD_chat+Hostess chats: Hello all"));
    QVERIFY(GameProcess::waitFor([&] {
        return jack.text(QStringLiteral("mainchat")).contains(QLatin1String("Hello all"));
    }));

    QCOMPARE(host.command("trigger Quick1"), QByteArray("ok"));
    QVERIFY(GameProcess::waitFor([&] { return host.command("checked Quick1") == "ok 1"; }));
    QVERIFY(startGame(host));
    QVERIFY(robo.waitFor(Cmd::startgame));
    QVERIFY(waitCount(robo, Cmd::startround, 1));
    QCOMPARE(lastRound(robo).round, 1);

    // Round 1: only refused words, and every player gives up: all totals are
    // 0, so the lead is shared and a tie-break round follows.
    robo.send(Msg::sendword(robo.seat(), "QQZXJ"));
    QVERIFY(robo.waitFor("CMD_notvalid+4+1+"));
    enterWord(jack, "QQZXJ");
    QCOMPARE(host.command("click button_igiveup"), QByteArray("ok"));
    QCOMPARE(jack.command("click button_igiveup"), QByteArray("ok"));
    QCOMPARE(jill.command("click button_igiveup"), QByteArray("ok"));
    robo.send(Msg::giveup(robo.seat()));
    QVERIFY(waitCount(robo, Cmd::endround, 1));
    QVERIFY(robo.withCommand(Cmd::gotword).isEmpty());
    QVERIFY(robo.withCommand(Cmd::winner).isEmpty());

    QVERIFY(waitCount(robo, Cmd::startround, 2));
    const Msg::StartRound second = lastRound(robo);
    QCOMPARE(second.round, 2);
    QCOMPARE(second.length, 0);
    const QByteArray word = wordWithPrefix(host, second.prefix);
    QVERIFY2(!word.isEmpty(), second.prefix.constData());

    // Round 2: the host finds a word; the raw client's copy of it is refused
    // as already found, and everybody gives up.
    enterWord(host, word.toLower());
    QVERIFY(robo.waitFor("CMD_gotword+1+" + word + "+"));
    QVERIFY(GameProcess::waitFor([&] {
        return jill.text(QStringLiteral("memo_wordlist")).contains(QString::fromLatin1(word));
    }));
    robo.send(Msg::sendword(robo.seat(), word));
    QVERIFY(robo.waitFor("CMD_notvalid+4+2+"));
    QCOMPARE(host.command("click button_igiveup"), QByteArray("ok"));
    QCOMPARE(jack.command("click button_igiveup"), QByteArray("ok"));
    QCOMPARE(jill.command("click button_igiveup"), QByteArray("ok"));
    robo.send(Msg::giveup(robo.seat()));
    QVERIFY(waitCount(robo, Cmd::endround, 2));
    const QList<Msg::SeatScore> totals =
        Msg::readEndround(splitMessage(robo.withCommand(Cmd::endround).last()).body);
    QCOMPARE(totals.size(), 6);
    QCOMPARE(totals[0].total, int(word.size()));
    QCOMPARE(totals[1].total, 0);
    QVERIFY(robo.waitFor("CMD_winner+1+"));
    // Every window has taken the winner (and counted the game) before the host goes.
    for (GameProcess *copy : {&host, &jack, &jill})
        QVERIFY(GameProcess::waitFor([&] {
            return copy->text(QStringLiteral("label_status")) == QLatin1String("Game Over!");
        }));

    // Closing the host ends the game for everybody: each joined window says
    // so and closes, its exit code telling the lobby, and every copy writes
    // its tally file.
    QCOMPARE(host.command("close"), QByteArray("ok"));
    QVERIFY(host.waitExit());
    QCOMPARE(host.exitCode(), 0);
    QVERIFY(robo.waitClosed());
    for (GameProcess *joined : {&jack, &jill}) {
        QVERIFY(GameProcess::waitFor([&] {
            return joined->text(QStringLiteral("label_status")) ==
                   QLatin1String("The host ended the game.");
        }));
        QVERIFY(joined->text(QStringLiteral("mainchat")).contains("The host ended the game."));
    }
    QVERIFY(jack.waitExit());
    QVERIFY(jill.waitExit());
    QCOMPARE(jack.exitCode(), 3);
    QCOMPARE(jill.exitCode(), 3);
    // Each copy's own row, as stored: games, wins, best total, words found.
    // The host won with its one word; Jack and Jill lost with nothing. Nobody
    // followed an opponent, so the own row is the only one.
    const QByteArray letters = QByteArray::number(word.size());
    const std::map<const GameProcess *, QByteArrayList> ownRows{{&host, {"1", "1", letters, "1"}},
                                                                {&jack, {"1", "0", "0", "0"}},
                                                                {&jill, {"1", "0", "0", "0"}}};
    for (GameProcess *copy : {&host, &jack, &jill}) {
        const QString tally = copy->home() + QStringLiteral("/Lexiclashtally.tld");
        QVERIFY2(QFile::exists(tally), qPrintable(tally));
        QCOMPARE(copy->wordLists(), QStringList());
        const QString text = copy->home() + QStringLiteral("/tally.txt");
        QProcess tool;
        tool.start(QCoreApplication::applicationDirPath() + QStringLiteral("/lexiclash-container"),
                   {QStringLiteral("decompress"), tally, text});
        QVERIFY(tool.waitForFinished(20000));
        QCOMPARE(tool.exitCode(), 0);
        QFile stored(text);
        QVERIFY(stored.open(QIODevice::ReadOnly));
        // Columns, rows, then every column top to bottom, one cell a line.
        const QByteArrayList lines = stored.readAll().split('\n');
        QVERIFY2(lines.size() >= 11, qPrintable(text));
        QCOMPARE(lines[0], QByteArray("9\r"));
        QCOMPARE(lines[1], QByteArray("1\r"));
        QByteArrayList own;
        for (int column = 1; column <= 4; ++column)
            own << lines[2 + column].chopped(1);
        QCOMPARE(own, ownRows.at(copy));
    }
}

void GameTest::joinerKilledInTheMiddleOfARound()
{
    GameProcess host(root_->path(), QStringLiteral("host"), port_);
    writeHostSettings(host.home());
    // A short grace: the killed player's seat is held for him, then freed.
    host.setEnv(QStringLiteral("LEXICLASH_REJOIN_GRACE"), QStringLiteral("3"));
    QVERIFY(startHosting(host, QStringLiteral("Hostess")));
    GameProcess jack(root_->path(), QStringLiteral("jack"), port_);
    QVERIFY(startJoining(jack, QStringLiteral("Jack"), host, 2));
    RawClient robo;
    QVERIFY(robo.connectTo(port_));
    QVERIFY(robo.login("Robo"));
    QCOMPARE(robo.seat(), 3);

    QVERIFY(startGame(host));
    QVERIFY(waitCount(robo, Cmd::startround, 1));
    jack.signal(SIGKILL);
    QVERIFY(jack.waitExit());

    // The seat is held for Jack: the host's window says he lost the connection.
    QVERIFY(GameProcess::waitFor([&] {
        return host.text(QStringLiteral("mainchat")).contains("Jack lost the connection…");
    }));
    QVERIFY(seatShows(host, 2, QStringLiteral("Jack")));

    // The round still ends when the remaining players give up: the held
    // seat counts as given up.
    QCOMPARE(host.command("click button_igiveup"), QByteArray("ok"));
    robo.send(Msg::giveup(robo.seat()));
    QVERIFY(waitCount(robo, Cmd::endround, 1));

    // Nobody comes back within the grace: the seat is freed and the others
    // are told once.
    QVERIFY(robo.waitFor("CMD_playerdisconnected+2+Jack"));
    QVERIFY(seatShows(host, 2, QStringLiteral("Klot")));
    robo.poll(500);
    QCOMPARE(robo.withCommand(Cmd::playerdisconnected).size(), 1);

    // A newcomer takes the freed seat.
    RawClient late;
    QVERIFY(late.connectTo(port_));
    QVERIFY(late.login("Late"));
    QCOMPARE(late.seat(), 2);
    QCOMPARE(host.command("close"), QByteArray("ok"));
    QVERIFY(host.waitExit());
}

QTEST_GUILESS_MAIN(GameTest)
#include "test_game.moc"

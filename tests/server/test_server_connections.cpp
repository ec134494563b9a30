// Connections, seats, login, chat relay and removal of players, over real
// loopback connections to a server listening on a port the system chose.

#include "serverharness.h"

#include "common/guard.h"
#include "common/messagebox.h"
#include "common/version.h"
#include "net/messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

#include <cerrno>

namespace {
QByteArray text(const QByteArray &message)
{
    return message.chopped(1);
}

int countOf(const TestClient *client, const QByteArray &message)
{
    return static_cast<int>(client->received().count(text(message)));
}

// The messages received that are not barrier relays.
QList<QByteArray> withoutBarriers(const TestClient *client)
{
    QList<QByteArray> list;
    for (const QByteArray &message : client->received()) {
        if (!(message.startsWith("CMD_chat+") && message.contains(" chats: barrier ")))
            list.append(message);
    }
    return list;
}

int openDescriptors()
{
    return static_cast<int>(
        QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

// A round with prefix "BA" and 30 seconds left, set directly.
void stageRound(TServer &server)
{
    StagedGame round;
    round.roundon = true;
    round.countdown = 30;
    round.prefix = QByteArray("BA");
    server.stage(round);
}

int connectionObjects(TServer &server)
{
    int count = 0;
    for (QObject *child : server.Sock1()->children())
        count += dynamic_cast<TSock *>(child) != nullptr;
    return count;
}
} // namespace

class TestServerConnections : public QObject {
    Q_OBJECT

private slots:
    void init();
    void seatChoice();
    void loginOrder_data();
    void loginOrder();
    void chatRelay();
    void kick_data();
    void kick();
    void peerCloseFreesSeatOnce();
    void resetFreesSeat();
    void brokenConnectionReports_data();
    void brokenConnectionReports();
    void loginTimeout();
    void loginForFreedSeatIgnored();
    void seatsOutOfRangeIgnored_data();
    void seatsOutOfRangeIgnored();
    void spokenForAnotherSeatIgnored_data();
    void spokenForAnotherSeatIgnored();
    void startgameOnlyFromHost();
    void badNumbersDropped();
    void unfinishedTailKeptAndCapped();
    void junkAndFloodsKeptOutOfTheQueue();
    void queueTimerRestsWhileIdle();
    void burstHandledInArrivalOrder();
    void freedSeatsQueuedMessagesGoWithIt();
    void connectionObjectsReleased();

private:
    QStringList shown_;
};

void TestServerConnections::init()
{
    shown_.clear();
    setMessageBoxHandler([this](const QString &message) { shown_.append(message); });
    setErrorHandler([this](const QString &message) { shown_.append(message); });
}

void TestServerConnections::seatChoice()
{
    ServerHarness h;
    QList<TestClient *> c;
    for (int seat = 1; seat <= 4; ++seat) {
        c.append(h.connect());
        QVERIFY(c.last());
        QCOMPARE(c.last()->seat(), seat);
        QCOMPARE(c.last()->received().first(),
                 QByteArray("CMD_sendlogininfo+") + QByteArray::number(seat));
    }
    // The lowest free seat is reused; after that the table grows.
    c[1]->close();
    QVERIFY(h.wait([&] { return !h.server.seat(2).connected; }));
    QCOMPARE(h.connect()->seat(), 2);
    QCOMPARE(h.connect()->seat(), 5);
    for (int seat = 6; seat <= 9; ++seat)
        QCOMPARE(h.connect()->seat(), seat);
    QCOMPARE(h.server.seatcount(), 9);

    TestClient *tenth = h.connect();
    QVERIFY(tenth);
    QVERIFY(h.wait([&] { return tenth->closed(); }));
    QCOMPARE(tenth->received(), QList<QByteArray>{"CMD_full+"});
    QCOMPARE(h.server.seatcount(), 9);
    QVERIFY(!h.server.seat(10).connected);
    QVERIFY(!h.server.seat(10).sock);
    for (int seat = 1; seat <= 9; ++seat)
        QVERIFY(h.server.seat(seat).connected);
}

void TestServerConnections::loginOrder_data()
{
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<bool>("duringGame");
    QTest::newRow("same version") << QByteArray(kVersionText) << false;
    QTest::newRow("other version") << QByteArray("1.0.2") << false;
    QTest::newRow("during a game") << QByteArray(kVersionText) << true;
    QTest::newRow("other version during a game") << QByteArray("1.0.3 ") << true;
}

void TestServerConnections::loginOrder()
{
    QFETCH(QByteArray, version);
    QFETCH(bool, duringGame);
    ServerHarness h;
    TestClient *ann = h.join("Ann");
    TestClient *bob = h.join("Bob");
    TestClient *cy = h.connect();
    QVERIFY(ann && bob && cy);
    QCOMPARE(cy->seat(), 3);
    if (duringGame) {
        ann->send(Msg::startgameRequest("Ann", 5, 60, 2, true));
        QVERIFY(h.wait([&] {
            return !ann->withCommand(Cmd::startround).isEmpty() &&
                   !bob->withCommand(Cmd::startround).isEmpty() &&
                   !cy->withCommand(Cmd::startround).isEmpty();
        }));
    }
    ann->clearReceived();
    bob->clearReceived();
    cy->clearReceived();

    cy->send(Msg::logininfo(3, version, "Cy"));
    QVERIFY(h.wait([&] { return h.server.seat(3).loggedin; }));
    QVERIFY(h.barrier(ann));

    const bool wrong = version != kVersionText;
    QList<QByteArray> expected{text(Msg::newplayerinfo(3, "Cy")),
                               text(Msg::existingplayers(1, "Ann")),
                               text(Msg::existingplayers(2, "Bob"))};
    if (wrong)
        expected.append(text(Msg::wrongversion()));
    if (duringGame) {
        Msg::LoadStats stats;
        stats.seat = 3;
        stats.rounds = 5;
        stats.seconds = 60;
        stats.lengthCode = 4;
        stats.round = 1;
        stats.length = 4;
        stats.prefix = h.server.state().prefix;
        stats.remaining = 60 + 4 - 5;
        for (int seat = 1; seat <= 6; ++seat)
            stats.totals.append({seat, 0});
        expected.append(text(Msg::loadstats(stats)));
    }
    QCOMPARE(withoutBarriers(cy), expected);

    QList<QByteArray> toHost{text(Msg::newplayerinfo(3, "Cy"))};
    if (wrong)
        toHost.append(text(Msg::havewrongversion("Cy")));
    QCOMPARE(withoutBarriers(ann), toHost);
    QCOMPARE(withoutBarriers(bob), QList<QByteArray>{text(Msg::newplayerinfo(3, "Cy"))});
    QCOMPARE(h.server.seat(3).name, QByteArray("Cy"));
    QVERIFY(h.server.seat(3).connected);
}

void TestServerConnections::chatRelay()
{
    ServerHarness h;
    TestClient *ann = h.join("Ann");
    TestClient *bob = h.join("Bob");
    TestClient *anon = h.connect();
    QVERIFY(ann && bob && anon);

    bob->send(Msg::chat(2, "a+b", "clRed"));
    bob->send(Msg::action(2, "waves", "$00FF00FF"));
    bob->send(Msg::actionSays(2, "Good game", "clBlue"));
    QVERIFY(h.barrier(bob));
    anon->send(Msg::chat(3, "hi", "clRed"));
    QVERIFY(h.barrier(anon));
    const QList<QByteArray> expected{
        "CMD_chat+Bob chats: a+b|clRed", "CMD_action+Bob waves|$00FF00FF",
        "CMD_action+Bob says: Good game|clBlue", "CMD_chat+ chats: hi|clRed"};
    for (TestClient *client : {ann, bob, anon}) {
        QList<QByteArray> relays;
        for (const QByteArray &message : withoutBarriers(client)) {
            if (message.startsWith("CMD_chat+") || message.startsWith("CMD_action+"))
                relays.append(message);
        }
        QCOMPARE(relays, expected);
    }
}

void TestServerConnections::kick_data()
{
    QTest::addColumn<int>("fromSeat");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<int>("removed");
    QTest::newRow("host removes seat 3") << 1 << Msg::kickhim(1, 3) << 3;
    QTest::newRow("host removes seat 4") << 1 << Msg::kickhim(1, 4) << 4;
    QTest::newRow("seat 3 asks") << 3 << Msg::kickhim(3, 4) << 0;
    QTest::newRow("seat 3 speaks for the host") << 3 << Msg::kickhim(1, 4) << 0;
    QTest::newRow("host names a free seat") << 1 << Msg::kickhim(1, 6) << 0;
    QTest::newRow("host names seat 0") << 1 << Msg::kickhim(1, 0) << 0;
    QTest::newRow("host names seat 10") << 1 << Msg::kickhim(1, 10) << 0;
}

void TestServerConnections::kick()
{
    QFETCH(int, fromSeat);
    QFETCH(QByteArray, message);
    QFETCH(int, removed);
    ServerHarness h;
    const QList<QByteArray> names{"Ann", "Bob", "Cy", "Di"};
    QList<TestClient *> c;
    for (const QByteArray &name : names) {
        c.append(h.join(name));
        QVERIFY(c.last());
    }
    c[fromSeat - 1]->send(message);
    if (removed) {
        QVERIFY(h.wait([&] { return c[removed - 1]->closed(); }));
        QVERIFY(!h.server.seat(removed).connected);
        QVERIFY(h.server.seat(removed).name.isEmpty());
    }
    QVERIFY(h.barrier(c[fromSeat - 1]));
    for (int seat = 1; seat <= 4; ++seat) {
        const bool gone = seat == removed;
        QCOMPARE(h.server.seat(seat).connected, !gone);
        QCOMPARE(c[seat - 1]->closed(), gone);
        int departures = static_cast<int>(c[seat - 1]->withCommand(Cmd::playerdisconnected).size());
        if (gone)
            continue;
        if (removed) {
            QCOMPARE(departures, 1);
            QCOMPARE(countOf(c[seat - 1], Msg::playerdisconnected(removed, names[removed - 1])), 1);
        } else {
            QCOMPARE(departures, 0);
        }
    }
}

void TestServerConnections::peerCloseFreesSeatOnce()
{
    ServerHarness h;
    TestClient *ann = h.join("Ann");
    TestClient *bob = h.join("Bob");
    QVERIFY(ann && bob);
    StagedGame totals;
    totals.totals = {{2, 17, 4}};
    h.server.stage(totals);

    bob->close();
    QVERIFY(h.wait([&] { return !h.server.seat(2).connected; }));
    QVERIFY(h.barrier(ann));
    QCOMPARE(ann->withCommand(Cmd::playerdisconnected),
             QList<QByteArray>{text(Msg::playerdisconnected(2, "Bob"))});
    QVERIFY(h.server.seat(2).name.isEmpty());
    QVERIFY(!h.server.seat(2).sock);

    // Until somebody takes the seat its numbers stay for the winner's count;
    // the newcomer at the same seat starts from zero.
    QCOMPARE(h.server.seat(2).score, 17);
    TestClient *cy = h.join("Cy");
    QVERIFY(cy);
    QCOMPARE(cy->seat(), 2);
    QCOMPARE(h.server.seat(2).score, 0);
    QCOMPARE(h.server.seat(2).gamewords, 0);
}

void TestServerConnections::resetFreesSeat()
{
    ServerHarness h;
    TestClient *ann = h.join("Ann");
    TestClient *bob = h.join("Bob");
    QVERIFY(ann && bob);
    bob->reset();
    QVERIFY(h.wait([&] { return !h.server.seat(2).connected; }));
    QVERIFY(h.barrier(ann));
    QCOMPARE(ann->withCommand(Cmd::playerdisconnected),
             QList<QByteArray>{text(Msg::playerdisconnected(2, "Bob"))});
}

void TestServerConnections::brokenConnectionReports_data()
{
    QTest::addColumn<TSockReport>("report");
    QTest::addColumn<int>("errorNumber");
    QTest::addColumn<bool>("frees");
    const TSockReport error = TSockReport::ErrorNumber;
    QTest::newRow("reset") << error << wsaErrorFromErrno(ECONNRESET) << true;
    QTest::newRow("broken pipe") << error << wsaErrorFromErrno(EPIPE) << true;
    QTest::newRow("aborted") << error << wsaErrorFromErrno(ECONNABORTED) << true;
    QTest::newRow("timed out") << error << wsaErrorFromErrno(ETIMEDOUT) << true;
    QTest::newRow("would block") << error << 10035 << false;
    QTest::newRow("refused") << error << wsaErrorFromErrno(ECONNREFUSED) << false;
    QTest::newRow("error on send without a number") << TSockReport::SocketErrorOnSend << 0 << false;
    QTest::newRow("incoming data") << TSockReport::NonBlockingIncomingData << 0 << false;
}

void TestServerConnections::brokenConnectionReports()
{
    QFETCH(TSockReport, report);
    QFETCH(int, errorNumber);
    QFETCH(bool, frees);
    ServerHarness h;
    TestClient *ann = h.join("Ann");
    TestClient *bob = h.join("Bob");
    QVERIFY(ann && bob);
    TSock *conn = h.server.seat(2).sock;
    guarded([&] { h.server.tempsockInfo(conn, report, errorNumber); });
    QCOMPARE(!h.server.seat(2).connected, frees);
    QVERIFY(h.barrier(ann));
    QCOMPARE(ann->withCommand(Cmd::playerdisconnected).size(), frees ? 1 : 0);
    if (frees)
        QVERIFY(h.wait([&] { return bob->closed(); }));
}

void TestServerConnections::loginTimeout()
{
    ServerHarness h;
    TestClient *ann = h.join("Ann");
    TestClient *idle = h.connect();
    QVERIFY(ann && idle);
    QCOMPARE(idle->seat(), 2);
    const qint64 seated = h.server.seat(2).seatedat;

    h.server.checklogins(seated + 29999);
    QVERIFY(h.server.seat(2).connected);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("did not log in in time"));
    h.server.checklogins(seated + 30000);
    QVERIFY(!h.server.seat(2).connected);
    QVERIFY(h.wait([&] { return idle->closed(); }));
    // A player who logged in is never timed out.
    h.server.checklogins(h.server.seat(1).seatedat + 3600 * 1000);
    QVERIFY(h.server.seat(1).connected);
    QVERIFY(h.barrier(ann));
    QCOMPARE(ann->withCommand(Cmd::playerdisconnected),
             QList<QByteArray>{text(Msg::playerdisconnected(2, ""))});
}

void TestServerConnections::loginForFreedSeatIgnored()
{
    ServerHarness h;
    TestClient *ann = h.join("Ann");
    QVERIFY(ann);
    h.server.receivedlogininfo(Msg::readLogininfo("5+1.0.3+Ghost"));
    QVERIFY(!h.server.seat(5).connected);
    QVERIFY(h.server.seat(5).name.isEmpty());
    QCOMPARE(h.server.seatcount(), 1);
    QVERIFY(h.barrier(ann));
    QCOMPARE(withoutBarriers(ann),
             (QList<QByteArray>{"CMD_sendlogininfo+1", text(Msg::newplayerinfo(1, "Ann"))}));
}

void TestServerConnections::seatsOutOfRangeIgnored_data()
{
    QTest::addColumn<QByteArray>("handler");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("login seat 0") << QByteArray("login") << QByteArray("0+1.0.3+X");
    QTest::newRow("login seat 10") << QByteArray("login") << QByteArray("10+1.0.3+X");
    QTest::newRow("chat seat 0") << QByteArray("chat") << QByteArray("0+hi|clRed");
    QTest::newRow("chat seat 12") << QByteArray("chat") << QByteArray("12+hi|clRed");
    QTest::newRow("action seat -3") << QByteArray("action") << QByteArray("-3+hi|clRed");
    QTest::newRow("kick target 11") << QByteArray("kick") << QByteArray("1+11+");
    QTest::newRow("word seat 0") << QByteArray("word") << QByteArray("0+bat+");
    QTest::newRow("word seat -1") << QByteArray("word") << QByteArray("-1+bat+");
    QTest::newRow("give up seat 0") << QByteArray("giveup") << QByteArray("0+");
    QTest::newRow("give up seat 10") << QByteArray("giveup") << QByteArray("10+");
}

void TestServerConnections::seatsOutOfRangeIgnored()
{
    QFETCH(QByteArray, handler);
    QFETCH(QByteArray, body);
    ServerHarness h;
    TestClient *ann = h.join("Ann");
    QVERIFY(ann);
    stageRound(h.server);
    if (handler == "login")
        h.server.receivedlogininfo(Msg::readLogininfo(body));
    else if (handler == "chat")
        h.server.chat(Msg::readChat(body));
    else if (handler == "action")
        h.server.action(Msg::readChat(body));
    else if (handler == "kick")
        h.server.kickhim(Msg::readKickhim(body));
    else if (handler == "word")
        h.server.sendword(Msg::readSendword(body));
    else
        h.server.giveup(Msg::readGiveup(body));
    QVERIFY(h.server.state().listbox_gotten.isEmpty());
    QVERIFY(h.server.state().roundon);
    QVERIFY(h.server.seat(1).connected);
    QVERIFY(h.barrier(ann));
    QCOMPARE(withoutBarriers(ann).size(), 2);
}

void TestServerConnections::spokenForAnotherSeatIgnored_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("login as seat 1") << Msg::logininfo(1, kVersionText, "Mallory");
    QTest::newRow("chat as seat 1") << Msg::chat(1, "I am Ann", "clRed");
    QTest::newRow("action as seat 1") << Msg::action(1, "waves", "clRed");
    QTest::newRow("word as seat 1") << Msg::sendword(1, "bat");
    QTest::newRow("give up as seat 1") << Msg::giveup(1);
    QTest::newRow("remove as the host") << Msg::kickhim(1, 1);
}

void TestServerConnections::spokenForAnotherSeatIgnored()
{
    QFETCH(QByteArray, message);
    ServerHarness h;
    TestClient *ann = h.join("Ann");
    TestClient *bob = h.join("Bob");
    QVERIFY(ann && bob);
    stageRound(h.server);
    ann->clearReceived();
    bob->clearReceived();

    bob->send(message);
    QVERIFY(h.barrier(bob));
    QCOMPARE(withoutBarriers(ann), QList<QByteArray>{});
    QCOMPARE(withoutBarriers(bob), QList<QByteArray>{});
    QCOMPARE(h.server.seat(1).name, QByteArray("Ann"));
    QVERIFY(h.server.seat(1).connected);
    QVERIFY(!h.server.seat(1).gaveup);
    QVERIFY(h.server.state().listbox_gotten.isEmpty());
    QVERIFY(h.server.state().roundon);
}

void TestServerConnections::startgameOnlyFromHost()
{
    ServerHarness h;
    TestClient *ann = h.join("Ann");
    TestClient *bob = h.join("Bob");
    QVERIFY(ann && bob);
    bob->send(Msg::startgameRequest("Bob", 3, 30, 0, true));
    QVERIFY(h.barrier(bob));
    QVERIFY(!h.server.state().gameon);
    QVERIFY(ann->withCommand(Cmd::startgame).isEmpty());

    ann->send(Msg::startgameRequest("Ann", 3, 30, 0, true));
    QVERIFY(h.wait([&] { return !bob->withCommand(Cmd::startround).isEmpty(); }));
    QVERIFY(h.server.state().gameon);
    QCOMPARE(bob->withCommand(Cmd::startgame), QList<QByteArray>{"CMD_startgame+Ann+3+30+0+"});
}

void TestServerConnections::badNumbersDropped()
{
    ServerHarness h;
    TestClient *ann = h.join("Ann");
    TestClient *bob = h.join("Bob");
    QVERIFY(ann && bob);
    ann->clearReceived();
    for (int i = 0; i < 4; ++i)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("dropped a message of seat"));
    bob->send("CMD_chat+two+hi|clRed\xFF");
    bob->send("CMD_giveup+2x+\xFF");
    bob->send("CMD_sendword+\xFF");
    ann->send("CMD_startgame+Ann+5+60+many+1+\xFF");
    QVERIFY(h.barrier(bob));
    QVERIFY(h.barrier(ann));
    QVERIFY(withoutBarriers(ann).isEmpty());
    QVERIFY(shown_.isEmpty());
    // A game type that is not a number stops the game start after its first step.
    QVERIFY(h.server.state().gameon);
    QVERIFY(!h.server.roundtimer().isActive());
    QCOMPARE(h.server.state().round, 0);
}

void TestServerConnections::unfinishedTailKeptAndCapped()
{
    ServerHarness h;
    TestClient *ann = h.join("Ann");
    TestClient *bob = h.join("Bob");
    QVERIFY(ann && bob);

    ann->send("CMD_chat+1+hel");
    QVERIFY(h.wait([&] { return h.server.seat(1).framer.tailSize() > 0; }));
    ann->send("lo|clRed\xFF");
    QVERIFY(h.wait([&] { return bob->received().contains("CMD_chat+Ann chats: hello|clRed"); }));

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("over the size limit"));
    bob->send(QByteArray(Framer::kMaxTail + 1024, 'a'));
    QVERIFY(h.wait([&] { return bob->closed(); }));
    QVERIFY(!h.server.seat(2).connected);
    QVERIFY(h.barrier(ann));
    QCOMPARE(ann->withCommand(Cmd::playerdisconnected),
             QList<QByteArray>{text(Msg::playerdisconnected(2, "Bob"))});
    QVERIFY(h.server.seat(1).connected);
}

// The server takes one message per tick for all connections together, so
// texts it would ignore never enter the queue, and a connection that queues
// more than its share is closed.
void TestServerConnections::junkAndFloodsKeptOutOfTheQueue()
{
    ServerHarness h;
    TestClient *ann = h.join("Ann");
    TestClient *bob = h.join("Bob");
    QVERIFY(ann && bob);
    QVERIFY(h.barrier(ann));
    h.server.stepqueuebyhand(true);

    QByteArray junk;
    for (int i = 0; i < 1000; ++i)
        junk += QByteArray("noise") + QByteArray::number(i) + kTerminator + kTerminator;
    bob->send(junk + "CMD_chat+2+hi|clRed" + kTerminator);
    QVERIFY(h.wait([&] { return h.server.queuelength() == 1; }));
    QVERIFY(h.server.seat(2).connected);

    QByteArray flood;
    for (int i = 0; i <= TServer::kMaxQueuedPerSeat; ++i)
        flood += Msg::chat(2, "spam", "clRed");
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("faster than they are handled"));
    bob->send(flood);
    QVERIFY(h.wait([&] { return !h.server.seat(2).connected; }));
    QVERIFY(h.server.seat(1).connected);
    h.server.stepqueuebyhand(false);
}

// An idle host must not wake every 10 ms: the queue timer stops on an empty
// queue and the next message starts it again.
void TestServerConnections::queueTimerRestsWhileIdle()
{
    ServerHarness h;
    TestClient *ann = h.join("Ann");
    TestClient *bob = h.join("Bob");
    QVERIFY(ann && bob);
    QVERIFY(h.wait([&] { return !h.server.socktimer().isActive(); }));

    ann->send(Msg::chat(1, "awake", "clRed"));
    QVERIFY(h.wait([&] { return bob->received().contains("CMD_chat+Ann chats: awake|clRed"); }));
    QVERIFY(h.wait([&] { return !h.server.socktimer().isActive(); }));
}

void TestServerConnections::burstHandledInArrivalOrder()
{
    ServerHarness h;
    TestClient *ann = h.join("Ann");
    TestClient *bob = h.join("Bob");
    QVERIFY(ann && bob);
    QVERIFY(h.wait([&] { return !h.server.socktimer().isActive(); }));
    bob->clearReceived();

    // Five messages in one write reach the resting queue together: the first
    // wakes it, the others follow tick by tick, in the order they were sent.
    QByteArray burst;
    for (int i = 1; i <= 5; ++i)
        burst += Msg::chat(1, "line " + QByteArray::number(i), "clRed");
    ann->send(burst);
    QVERIFY(h.wait([&] { return bob->received().size() >= 5; }));
    QList<QByteArray> expected;
    for (int i = 1; i <= 5; ++i)
        expected << "CMD_chat+Ann chats: line " + QByteArray::number(i) + "|clRed";
    QCOMPARE(bob->received(), expected);
    QVERIFY(h.wait([&] { return !h.server.socktimer().isActive(); }));
}

void TestServerConnections::freedSeatsQueuedMessagesGoWithIt()
{
    ServerHarness h;
    TestClient *ann = h.join("Ann");
    TestClient *bob = h.join("Bob");
    QVERIFY(ann && bob);
    // Ann's long burst keeps the queue busy for more than a second, so Bob's
    // line still waits behind it when his connection goes.
    QByteArray burst;
    for (int i = 0; i < 150; ++i)
        burst += Msg::chat(1, "filler", "clRed");
    ann->send(burst);
    bob->send(Msg::chat(2, "left behind", "clRed"));
    QVERIFY(h.wait([&] { return h.server.seat(2).queued == 1; }));
    QCOMPARE(h.server.queuelength(), h.server.seat(1).queued + 1);
    bob->close();
    QVERIFY(h.wait([&] { return !h.server.seat(2).connected; }));
    QCOMPARE(h.server.seat(2).queued, 0);
    QVERIFY(h.server.seat(1).queued > 0);
    QCOMPARE(h.server.queuelength(), h.server.seat(1).queued);

    // The newcomer takes seat 2 and is not made the sender of Bob's line.
    TestClient *cid = h.join("Cid");
    QVERIFY(cid);
    QCOMPARE(h.server.seat(2).name, QByteArray("Cid"));
    QVERIFY(h.barrier(ann));
    QCOMPARE(ann->received().count("CMD_chat+Ann chats: filler|clRed"), 150);
    for (const QByteArray &line : ann->received())
        QVERIFY2(!line.contains("left behind"), line.constData());
}

void TestServerConnections::connectionObjectsReleased()
{
    ServerHarness h;
    int descriptorsAfterWarmUp = 0;
    for (int cycle = 0; cycle < 1000; ++cycle) {
        TestClient client;
        QVERIFY(client.connectTo(h.port));
        QVERIFY(h.wait([&] {
            client.poll();
            return client.seat() == 1;
        }));
        client.close();
        QVERIFY(h.wait([&] { return !h.server.seat(1).connected; }));
        if (cycle == 9) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            descriptorsAfterWarmUp = openDescriptors();
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(connectionObjects(h.server), 0);
    QCOMPARE(openDescriptors(), descriptorsAfterWarmUp);
}

QTEST_GUILESS_MAIN(TestServerConnections)
#include "test_server_connections.moc"

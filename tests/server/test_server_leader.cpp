// Who leads: seat 1 under a host window; without one, the lowest player seat
// taken by a logged-in player, told to everybody when it changes and to each
// newcomer.

#include "net/messages.h"
#include "serverharness.h"

#include <QtTest>

namespace {
// Waits, with the server running, until the client got the message.
bool told(ServerHarness &h, TestClient *client, const QByteArray &message)
{
    return h.wait([&] { return client->received().contains(message); });
}
} // namespace

class TestServerLeader : public QObject {
    Q_OBJECT
private slots:
    void hostWindowKeepsSeatOne();
    void lowestSeatLeadsAndIsTold();
    void onlyTheLeaderIsHeard_data();
    void onlyTheLeaderIsHeard();
    void leadPassesAndComesBack();
    void spiesNeverLead();
    void gameEveryPlayerLeftEnds();
};

void TestServerLeader::hostWindowKeepsSeatOne()
{
    ServerHarness h;
    TestClient *one = h.join("Ann");
    TestClient *two = h.join("Bob");
    QVERIFY(one && two);
    QCOMPARE(h.server.leader(), 1);
    one->close();
    QVERIFY(h.wait([&] { return !h.server.seat(1).connected; }));
    // Seat 1 is the host's own window: nobody else leads, and nobody is told.
    QCOMPARE(h.server.leader(), 1);
    two->send(Msg::startgameRequest("Bob", 1, 30, 0, true));
    QVERIFY(h.barrier(two));
    QVERIFY(!h.server.state().gameon);
    QVERIFY(two->withCommand(Cmd::leader).isEmpty());
}

void TestServerLeader::lowestSeatLeadsAndIsTold()
{
    ServerHarness h;
    h.server.setleadership(TServer::Leadership::LowestSeat);
    QCOMPARE(h.server.leader(), 0);
    TestClient *ann = h.join("Ann");
    QVERIFY(ann);
    QVERIFY(told(h, ann, Msg::leader(1).chopped(1)));
    QVERIFY(told(h, ann, "CMD_action+Ann leads the game now."));
    TestClient *bob = h.join("Bob");
    QVERIFY(bob);
    // The newcomer is told who leads; Ann hears nothing new.
    QVERIFY(told(h, bob, Msg::leader(1).chopped(1)));
    QVERIFY(told(h, bob, "CMD_action+Ann leads the game now."));
    QVERIFY(h.barrier(bob));
    QCOMPARE(ann->withCommand(Cmd::leader).size(), 1);
}

void TestServerLeader::onlyTheLeaderIsHeard_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<bool>("heard");

    QTest::newRow("leader starts") << 1 << Msg::startgameRequest("Ann", 1, 30, 0, true) << true;
    QTest::newRow("seat 2 starts") << 2 << Msg::startgameRequest("Bob", 1, 30, 0, true) << false;
    QTest::newRow("leader removes 3") << 1 << Msg::kickhim(1, 3) << true;
    QTest::newRow("seat 2 removes 3") << 2 << Msg::kickhim(2, 3) << false;
    QTest::newRow("seat 2 speaks for the leader") << 2 << Msg::kickhim(1, 3) << false;
}

void TestServerLeader::onlyTheLeaderIsHeard()
{
    QFETCH(int, from);
    QFETCH(QByteArray, message);
    QFETCH(bool, heard);
    ServerHarness h;
    h.server.setleadership(TServer::Leadership::LowestSeat);
    TestClient *clients[] = {h.join("Ann"), h.join("Bob"), h.join("Cy")};
    QVERIFY(clients[0] && clients[1] && clients[2]);
    TestClient *sender = clients[from - 1];
    sender->send(message);
    QVERIFY(h.barrier(clients[0]));
    const bool happened = h.server.state().gameon || !h.server.seat(3).connected;
    QCOMPARE(happened, heard);
}

void TestServerLeader::leadPassesAndComesBack()
{
    ServerHarness h;
    h.server.setleadership(TServer::Leadership::LowestSeat);
    TestClient *ann = h.join("Ann");
    TestClient *bob = h.join("Bob");
    TestClient *cy = h.join("Cy");
    QVERIFY(ann && bob && cy);
    ann->close();
    QVERIFY(told(h, cy, Msg::leader(2).chopped(1)));
    QVERIFY(told(h, cy, "CMD_action+Bob leads the game now."));
    QCOMPARE(h.server.leader(), 2);
    QVERIFY(h.startGame(bob, 1, 30, 0, true));

    // A newcomer takes the lowest free seat, 1, and with it the lead.
    cy->clearReceived();
    TestClient *dee = h.join("Dee");
    QVERIFY(dee);
    QCOMPARE(dee->seat(), 1);
    QVERIFY(told(h, cy, Msg::leader(1).chopped(1)));
    QVERIFY(told(h, cy, "CMD_action+Dee leads the game now."));
}

void TestServerLeader::spiesNeverLead()
{
    ServerHarness h;
    h.server.setleadership(TServer::Leadership::LowestSeat);
    QList<TestClient *> seated;
    for (const QByteArray name : {"P1", "P2", "P3", "P4", "P5", "P6", "Spy"})
        seated.append(h.join(name));
    QVERIFY(!seated.contains(nullptr));
    QCOMPARE(seated.last()->seat(), 7);
    for (int i = 0; i < 6; ++i)
        seated[i]->close();
    QVERIFY(h.wait([&] { return !h.server.seat(6).connected && !h.server.seat(1).connected; }));
    QVERIFY(h.wait([&] { return h.server.leader() == 0; }));
    seated.last()->send(Msg::startgameRequest("Spy", 1, 30, 0, true));
    QVERIFY(h.barrier(seated.last()));
    QVERIFY(!h.server.state().gameon);
}

// Without a host window nobody else ends a game whose players all went: it
// ends once no seat is taken or held for a return, and the next leader
// starts afresh.
void TestServerLeader::gameEveryPlayerLeftEnds()
{
    ServerHarness h;
    h.server.setleadership(TServer::Leadership::LowestSeat);
    TestClient *ann = h.join("Ann");
    TestClient *bob = h.join("Bob");
    QVERIFY(ann && bob);
    bob->send(Msg::rejoinable(bob->seat()));
    QVERIFY(h.wait([&] { return h.server.seat(2).rejoinable; }));
    QVERIFY(h.startGame(ann, 3, 60, 0, true));
    ann->close();
    QVERIFY(h.wait([&] { return h.server.leader() == 2; }));
    QVERIFY(h.server.state().gameon);

    // Bob's link drops: his seat is held, and the game waits for him.
    bob->reset();
    QVERIFY(h.wait([&] { return h.server.seat(2).held; }));
    QVERIFY(h.server.state().gameon);
    h.server.checkheld(h.server.seat(2).heldsince + TServer::kDefaultRejoinGraceSecs * 1000);
    QVERIFY(!h.server.seat(2).held);
    QVERIFY(!h.server.state().gameon);
    QVERIFY(!h.server.roundtimer().isActive());

    TestClient *cy = h.join("Cy");
    QVERIFY(cy);
    QCOMPARE(h.server.leader(), 1);
    QVERIFY(h.startGame(cy, 1, 30, 0, true));
}

QTEST_GUILESS_MAIN(TestServerLeader)
#include "test_server_leader.moc"

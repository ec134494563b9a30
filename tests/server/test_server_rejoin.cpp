// Seats that outlive a dropped connection: the token given at login, the
// seat held for its player, taking it back, the end of the grace, quitting on
// purpose, the probe and the host's end, over real loopback connections.

#include "serverharness.h"

#include "net/messages.h"
#include "net/servermessage.h"

#include <QRegularExpression>
#include <QtTest>

namespace {
QByteArray text(const QByteArray &message)
{
    return message.chopped(1);
}

// The token a client got for its seat (empty when none came).
QByteArray tokenOf(const TestClient *client)
{
    const QList<QByteArray> tokens = client->withCommand(Cmd::seattoken);
    if (tokens.isEmpty())
        return {};
    return Msg::readSeattoken(splitMessage(tokens.last()).body).token;
}

// A new connection asks for seat `held` with `token`; returns the client.
TestClient *rejoin(ServerHarness &h, int held, const QByteArray &token)
{
    TestClient *client = h.connect();
    if (!client || client->seat() == 0)
        return nullptr;
    client->send(Msg::rejoin({client->seat(), held, token}));
    return client;
}
} // namespace

class TestServerRejoin : public QObject {
    Q_OBJECT
private slots:
    void tokenGoesToTheSeatAlone();
    void olderCopiesGetNoToken();
    void droppedSeatIsHeldWithItsNumbers();
    void seatTakenBackWithItsToken();
    void wrongTokenRefused_data();
    void wrongTokenRefused();
    void twoCopiesRaceForOneSeat();
    void deliberateQuitFreesAtOnce();
    void graceRunsOutWithACleanSlate();
    void newcomerNeverTakesAHeldSeat();
    void lastPlayerGoneEndsTheRound_data();
    void lastPlayerGoneEndsTheRound();
    void takingBackReplacesAStaleConnection();
    void silentCopyIsHeld();
    void pingIsAnswered();
    void removedPlayerIsTold();
    void hostEndingTellsEverybody();
    void noGraceFreesAtOnce();
    void backBetweenRoundsWaitsForTheNext();
};

// A client of the new kind: logged in, and with its token.
static TestClient *joinRejoinable(ServerHarness &h, const QByteArray &name)
{
    TestClient *client = h.join(name);
    if (!client)
        return nullptr;
    client->send(Msg::rejoinable(client->seat()));
    if (!h.wait([client] { return !tokenOf(client).isEmpty(); }))
        return nullptr;
    return client;
}

void TestServerRejoin::tokenGoesToTheSeatAlone()
{
    ServerHarness h;
    TestClient *ann = joinRejoinable(h, "Ann");
    TestClient *bob = joinRejoinable(h, "Bob");
    QVERIFY(ann && bob);
    const QByteArray token = tokenOf(bob);
    // 128 bits as 32 hexadecimal digits, new for every seat.
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$"))
                .match(QString::fromLatin1(token))
                .hasMatch());
    QVERIFY(tokenOf(ann) != token);
    QCOMPARE(h.server.seat(2).token, token);
    QVERIFY(h.barrier(bob));
    // Nobody else ever sees it, in any message.
    for (const QByteArray &message : ann->received())
        QVERIFY2(!message.contains(token), message.constData());
    const Msg::SeatToken told =
        Msg::readSeattoken(splitMessage(bob->withCommand(Cmd::seattoken).last()).body);
    QCOMPARE(told.seat, 2);
    QCOMPARE(told.graceSeconds, TServer::kDefaultRejoinGraceSecs);
}

void TestServerRejoin::olderCopiesGetNoToken()
{
    ServerHarness h;
    TestClient *ann = h.join("Ann");
    TestClient *bob = h.join("Bob");
    QVERIFY(ann && bob);
    QVERIFY(h.barrier(bob));
    QVERIFY(bob->withCommand(Cmd::seattoken).isEmpty());
    // Its seat is freed at once when it goes, as ever.
    bob->reset();
    QVERIFY(h.wait([&] { return !ann->withCommand(Cmd::playerdisconnected).isEmpty(); }));
    QVERIFY(!h.server.seat(2).held);
}

void TestServerRejoin::droppedSeatIsHeldWithItsNumbers()
{
    ServerHarness h;
    TestClient *ann = joinRejoinable(h, "Ann");
    TestClient *old = h.join("Old");
    TestClient *bob = joinRejoinable(h, "Bob");
    QVERIFY(ann && old && bob);
    QVERIFY(h.startGame(ann, 5, 60, 0, true));
    StagedGame totals;
    totals.totals = {{3, 41, 9}};
    h.server.stage(totals);
    bob->reset();
    QVERIFY(h.wait([&] { return h.server.seat(3).held; }));
    const TSeat &held = h.server.seat(3);
    QVERIFY(!held.connected);
    QCOMPARE(held.name, QByteArray("Bob"));
    QCOMPARE(held.score, 41);
    QCOMPARE(held.gamewords, 9);
    // A copy of the new kind hears he lost the connection; an older one hears nothing.
    QVERIFY(h.wait([&] { return ann->received().contains(text(Msg::playerlost(3))); }));
    QVERIFY(h.barrier(ann));
    QVERIFY(old->withCommand(Cmd::playerlost).isEmpty());
    QVERIFY(ann->withCommand(Cmd::playerdisconnected).isEmpty());
    QVERIFY(old->withCommand(Cmd::playerdisconnected).isEmpty());
}

void TestServerRejoin::seatTakenBackWithItsToken()
{
    ServerHarness h;
    TestClient *ann = joinRejoinable(h, "Ann");
    TestClient *old = h.join("Old");
    TestClient *bob = joinRejoinable(h, "Bob");
    QVERIFY(ann && old && bob);
    QVERIFY(h.startGame(ann, 5, 60, 0, true));
    StagedGame round;
    round.prefix = QByteArray("BA");
    round.totals = {{3, 41, 9}};
    h.server.stage(round);
    ann->send(Msg::sendword(1, "bat"));
    bob->send(Msg::sendword(3, "bad"));
    QVERIFY(h.wait([&] { return ann->withCommand(Cmd::gotword).size() == 2; }));
    const QByteArray token = tokenOf(bob);
    bob->reset();
    QVERIFY(h.wait([&] { return h.server.seat(3).held; }));
    h.stepcountdownto(40);

    TestClient *back = rejoin(h, 3, token);
    QVERIFY(back);
    const int spare = back->seat();
    QVERIFY(spare != 3);
    QVERIFY(h.wait([&] { return !back->withCommand(Cmd::rejoined).isEmpty(); }));
    QVERIFY(h.server.seat(3).connected);
    QVERIFY(!h.server.seat(3).held);
    QCOMPARE(h.server.seat(3).score, 41);
    QVERIFY(!h.server.seat(spare).connected);

    // The board comes back: the others, the game's state with the clock, the
    // round's words, then the end of it all.
    const QList<QByteArray> &got = back->received();
    const qsizetype from = got.indexOf(text(Msg::sendlogininfo(spare)));
    QVERIFY(from >= 0);
    QVERIFY(got.contains(text(Msg::existingplayers(1, "Ann"))));
    QVERIFY(got.contains(text(Msg::existingplayers(2, "Old"))));
    const QList<QByteArray> stats = back->withCommand(Cmd::loadstats);
    QCOMPARE(stats.size(), 1);
    const Msg::LoadStats loaded = Msg::readLoadstats(splitMessage(stats.first()).body);
    QCOMPARE(loaded.seat, 3);
    QCOMPARE(loaded.remaining, 35);
    QCOMPARE(loaded.prefix, QByteArray("BA"));
    QCOMPARE(loaded.totals.at(2).first, 3);
    QCOMPARE(loaded.totals.at(2).second, 41);
    // The round's words as everybody saw them, in the order they were found.
    QCOMPARE(ann->withCommand(Cmd::gotword).size(), 2);
    QCOMPARE(back->withCommand(Cmd::gotword), ann->withCommand(Cmd::gotword));
    QCOMPARE(got.last(), text(Msg::rejoined(3)));
    // A fresh token, and the old one is spent.
    QVERIFY(!tokenOf(back).isEmpty());
    QVERIFY(tokenOf(back) != token);

    // The others: "is back" for the new kind, an arrival for older copies.
    QVERIFY(h.wait([&] { return ann->received().contains(text(Msg::playerback(3))); }));
    QVERIFY(h.wait([&] { return old->received().contains(text(Msg::newplayerinfo(3, "Bob"))); }));
    // The spare seat was never announced.
    QVERIFY(h.barrier(ann));
    QVERIFY(ann->withCommand(Cmd::playerdisconnected).isEmpty());

    // The seat plays on under its own number.
    back->send(Msg::sendword(3, "bag"));
    QVERIFY(h.wait([&] { return ann->received().contains(text(Msg::gotword(3, "BAG", 3))); }));
}

void TestServerRejoin::wrongTokenRefused_data()
{
    QTest::addColumn<QByteArray>("token");
    QTest::addColumn<bool>("otherSeats");
    QTest::newRow("guessed") << QByteArray("0123456789abcdef0123456789abcdef") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("one digit short") << QByteArray("0123456789abcdef0123456789abcde") << false;
    QTest::newRow("another seat's token") << QByteArray() << true;
}

void TestServerRejoin::wrongTokenRefused()
{
    QFETCH(QByteArray, token);
    QFETCH(bool, otherSeats);
    ServerHarness h;
    TestClient *ann = joinRejoinable(h, "Ann");
    TestClient *bob = joinRejoinable(h, "Bob");
    QVERIFY(ann && bob);
    if (otherSeats)
        token = tokenOf(ann);
    bob->reset();
    QVERIFY(h.wait([&] { return h.server.seat(2).held; }));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("gave a wrong token for seat 2"));
    TestClient *thief = rejoin(h, 2, token);
    QVERIFY(thief);
    QVERIFY(h.wait([&] {
        return thief->received().contains(
            text(Msg::seatfreed(thief->seat(), Msg::SeatFreed::WrongToken)));
    }));
    QVERIFY(h.wait([&] { return thief->closed(); }));
    // The seat stays held for its player.
    QVERIFY(h.server.seat(2).held);
    QCOMPARE(h.server.seat(2).name, QByteArray("Bob"));
    QVERIFY(thief->withCommand(Cmd::loadstats).isEmpty());
    QVERIFY(thief->withCommand(Cmd::existingplayers).isEmpty());
    // A copy that knows only the name gets a seat of its own, from zero.
    TestClient *namesake = h.join("Bob");
    QVERIFY(namesake);
    QVERIFY(namesake->seat() != 2);
    QVERIFY(h.server.seat(2).held);
}

void TestServerRejoin::twoCopiesRaceForOneSeat()
{
    ServerHarness h;
    TestClient *ann = joinRejoinable(h, "Ann");
    TestClient *bob = joinRejoinable(h, "Bob");
    QVERIFY(ann && bob);
    const QByteArray token = tokenOf(bob);
    bob->reset();
    QVERIFY(h.wait([&] { return h.server.seat(2).held; }));
    // Both are seated before either speaks, then both ask at once.
    TestClient *first = h.connect();
    TestClient *second = h.connect();
    QVERIFY(first && second);
    first->send(Msg::rejoin({first->seat(), 2, token}));
    second->send(Msg::rejoin({second->seat(), 2, token}));
    const auto won = [](const TestClient *c) { return !c->withCommand(Cmd::rejoined).isEmpty(); };
    QVERIFY(
        h.wait([&] { return won(first) != won(second) && (first->closed() || second->closed()); }));
    TestClient *winner = first->withCommand(Cmd::rejoined).isEmpty() ? second : first;
    TestClient *loser = winner == first ? second : first;
    QVERIFY(loser->withCommand(Cmd::seatfreed).size() == 1);
    QVERIFY(!winner->closed());
    QVERIFY(h.server.seat(2).connected);
    QCOMPARE(h.server.seat(2).token, tokenOf(winner));
}

void TestServerRejoin::deliberateQuitFreesAtOnce()
{
    ServerHarness h;
    TestClient *ann = joinRejoinable(h, "Ann");
    TestClient *bob = joinRejoinable(h, "Bob");
    QVERIFY(ann && bob);
    const QByteArray token = tokenOf(bob);
    // The quit and the close come together; the seat is freed, not held.
    bob->send(Msg::leaving(2));
    bob->close();
    QVERIFY(
        h.wait([&] { return ann->received().contains(text(Msg::playerdisconnected(2, "Bob"))); }));
    QVERIFY(!h.server.seat(2).held);
    QVERIFY(h.server.seat(2).token.isEmpty());
    TestClient *back = rejoin(h, 2, token);
    QVERIFY(back);
    QVERIFY(h.wait([&] {
        return back->received().contains(
            text(Msg::seatfreed(back->seat(), Msg::SeatFreed::GraceOver)));
    }));
    QVERIFY(back->withCommand(Cmd::rejoined).isEmpty());
}

void TestServerRejoin::graceRunsOutWithACleanSlate()
{
    ServerHarness h;
    // An older copy watches: it never probes, so stepping the clock far
    // ahead cannot take it for silent.
    TestClient *ann = h.join("Ann");
    TestClient *bob = joinRejoinable(h, "Bob");
    QVERIFY(ann && bob);
    QVERIFY(h.startGame(ann, 5, 60, 0, true));
    StagedGame totals;
    totals.totals = {{2, 41, 9}};
    h.server.stage(totals);
    const QByteArray token = tokenOf(bob);
    bob->reset();
    QVERIFY(h.wait([&] { return h.server.seat(2).held; }));
    const qint64 since = h.server.seat(2).heldsince;
    h.server.checkheld(since + TServer::kDefaultRejoinGraceSecs * 1000 - 1);
    QVERIFY(h.server.seat(2).held);
    h.server.checkheld(since + TServer::kDefaultRejoinGraceSecs * 1000);
    QVERIFY(!h.server.seat(2).held);
    QCOMPARE(h.server.seat(2).score, 0);
    QCOMPARE(h.server.seat(2).gamewords, 0);
    QVERIFY(h.server.seat(2).name.isEmpty());
    QVERIFY(
        h.wait([&] { return ann->received().contains(text(Msg::playerdisconnected(2, "Bob"))); }));
    // Too late: the copy is told its seat is gone.
    TestClient *late = rejoin(h, 2, token);
    QVERIFY(late);
    QVERIFY(h.wait([&] {
        return late->received().contains(
            text(Msg::seatfreed(late->seat(), Msg::SeatFreed::GraceOver)));
    }));
    QVERIFY(h.wait([&] { return late->closed(); }));
}

void TestServerRejoin::newcomerNeverTakesAHeldSeat()
{
    ServerHarness h;
    TestClient *ann = joinRejoinable(h, "Ann");
    TestClient *bob = joinRejoinable(h, "Bob");
    TestClient *cy = joinRejoinable(h, "Cy");
    QVERIFY(ann && bob && cy);
    bob->reset();
    QVERIFY(h.wait([&] { return h.server.seat(2).held; }));
    TestClient *dan = h.join("Dan");
    QVERIFY(dan);
    QCOMPARE(dan->seat(), 4);
    // A different player in a freed seat starts from zero.
    StagedGame totals;
    totals.totals = {{3, 30, 6}};
    h.server.stage(totals);
    cy->send(Msg::leaving(3));
    cy->close();
    QVERIFY(h.wait([&] { return !h.server.seat(3).connected; }));
    TestClient *eve = h.join("Eve");
    QVERIFY(eve);
    QCOMPARE(eve->seat(), 3);
    QCOMPARE(h.server.seat(3).score, 0);
    QCOMPARE(h.server.seat(3).gamewords, 0);
}

void TestServerRejoin::lastPlayerGoneEndsTheRound_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("held");
    QTest::newRow("drops") << "drops" << true;
    QTest::newRow("quits") << "quits" << false;
    QTest::newRow("removed") << "removed" << false;
    QTest::newRow("older copy closes") << "older copy closes" << false;
}

void TestServerRejoin::lastPlayerGoneEndsTheRound()
{
    QFETCH(QString, how);
    QFETCH(bool, held);
    ServerHarness h;
    TestClient *ann = joinRejoinable(h, "Ann");
    TestClient *bob = how == "older copy closes" ? h.join("Bob") : joinRejoinable(h, "Bob");
    QVERIFY(ann && bob);
    QVERIFY(h.startGame(ann, 5, 60, 0, true));
    ann->send(Msg::giveup(1));
    QVERIFY(h.barrier(ann));
    QVERIFY(h.server.state().roundon);
    // Bob, the last one playing, goes: whether his seat is held or freed,
    // it does not keep the round open.
    if (how == "drops") {
        bob->reset();
    } else if (how == "quits") {
        bob->send(Msg::leaving(2));
        bob->close();
    } else if (how == "removed") {
        ann->send(Msg::kickhim(1, 2));
    } else {
        bob->close();
    }
    QVERIFY(h.wait([&] { return !ann->withCommand(Cmd::endround).isEmpty(); }));
    QVERIFY(!h.server.state().roundon);
    QCOMPARE(h.server.seat(2).held, held);
    QVERIFY(!h.server.seat(2).connected);
}

void TestServerRejoin::takingBackReplacesAStaleConnection()
{
    ServerHarness h;
    TestClient *ann = joinRejoinable(h, "Ann");
    TestClient *bob = joinRejoinable(h, "Bob");
    QVERIFY(ann && bob);
    // Bob's copy lost the link, but the server has not noticed yet.
    TestClient *back = rejoin(h, 2, tokenOf(bob));
    QVERIFY(back);
    QVERIFY(h.wait([&] { return !back->withCommand(Cmd::rejoined).isEmpty(); }));
    QVERIFY(h.wait([&] { return bob->closed(); }));
    QVERIFY(h.server.seat(2).connected);
    QVERIFY(h.barrier(ann));
    QVERIFY(ann->withCommand(Cmd::playerdisconnected).isEmpty());
    QVERIFY(ann->withCommand(Cmd::playerlost).isEmpty());
}

void TestServerRejoin::silentCopyIsHeld()
{
    ServerHarness h;
    TestClient *ann = h.join("Ann");
    TestClient *bob = joinRejoinable(h, "Bob");
    QVERIFY(ann && bob);
    const qint64 heard = h.server.seat(2).lastheard;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("seat 2 has been silent too long"));
    h.server.checkheld(heard + TServer::kSilenceSecs * 1000 - 1);
    QVERIFY(h.server.seat(2).connected);
    h.server.checkheld(heard + TServer::kSilenceSecs * 1000);
    QVERIFY(h.server.seat(2).held);
    QVERIFY(h.wait([&] { return bob->closed(); }));
    // Older copies never probe, so they are never taken for silent.
    h.server.checkheld(h.server.seat(1).lastheard + 3600 * 1000);
    QVERIFY(h.server.seat(1).connected);
}

void TestServerRejoin::pingIsAnswered()
{
    ServerHarness h;
    TestClient *bob = joinRejoinable(h, "Bob");
    QVERIFY(bob);
    bob->send(Msg::ping(1));
    QVERIFY(h.wait([&] { return bob->received().contains(text(Msg::pong(1))); }));
    // A ping in another seat's name is not answered.
    bob->send(Msg::ping(5));
    QVERIFY(h.barrier(bob));
    QCOMPARE(bob->withCommand(Cmd::pong).size(), 1);
}

void TestServerRejoin::removedPlayerIsTold()
{
    ServerHarness h;
    TestClient *ann = joinRejoinable(h, "Ann");
    TestClient *bob = joinRejoinable(h, "Bob");
    QVERIFY(ann && bob);
    ann->send(Msg::kickhim(1, 2));
    QVERIFY(h.wait([&] {
        return bob->received().contains(text(Msg::seatfreed(2, Msg::SeatFreed::Removed)));
    }));
    QVERIFY(h.wait([&] { return bob->closed(); }));
    QVERIFY(
        h.wait([&] { return ann->received().contains(text(Msg::playerdisconnected(2, "Bob"))); }));
    QVERIFY(!h.server.seat(2).held);
}

void TestServerRejoin::hostEndingTellsEverybody()
{
    auto h = std::make_unique<ServerHarness>();
    TestClient *ann = joinRejoinable(*h, "Ann");
    TestClient *old = h->join("Old");
    QVERIFY(ann && old);
    h->server.endhosting();
    QVERIFY(h->wait([&] { return ann->received().contains(text(Msg::hostended())); }));
    QVERIFY(h->wait([&] { return old->received().contains(text(Msg::hostended())); }));
}

void TestServerRejoin::noGraceFreesAtOnce()
{
    ServerHarness h;
    h.server.setrejoingrace(0);
    TestClient *ann = joinRejoinable(h, "Ann");
    TestClient *bob = joinRejoinable(h, "Bob");
    QVERIFY(ann && bob);
    bob->reset();
    QVERIFY(
        h.wait([&] { return ann->received().contains(text(Msg::playerdisconnected(2, "Bob"))); }));
    QVERIFY(!h.server.seat(2).held);
}

void TestServerRejoin::backBetweenRoundsWaitsForTheNext()
{
    ServerHarness h;
    h.options.pause = 17;
    TestClient *ann = joinRejoinable(h, "Ann");
    TestClient *bob = joinRejoinable(h, "Bob");
    QVERIFY(ann && bob);
    QVERIFY(h.startGame(ann, 5, 60, 0, true));
    h.server.endtheround();
    QCOMPARE(h.server.state().countdown, 17);
    const QByteArray token = tokenOf(bob);
    bob->reset();
    QVERIFY(h.wait([&] { return h.server.seat(2).held; }));
    TestClient *back = rejoin(h, 2, token);
    QVERIFY(back);
    QVERIFY(h.wait([&] { return !back->withCommand(Cmd::rejoined).isEmpty(); }));
    const Msg::LoadStats stats =
        Msg::readLoadstats(splitMessage(back->withCommand(Cmd::loadstats).first()).body);
    QCOMPARE(stats.remaining, 0);
    // The finished round's words are not the board's any more.
    QVERIFY(back->withCommand(Cmd::gotword).isEmpty());
}

QTEST_GUILESS_MAIN(TestServerRejoin)
#include "test_server_rejoin.moc"

// The game model across a dropped connection: a newcomer's numbers, players
// who lose and take back their seats, and the board rebuilt when this copy
// takes its own seat back.

#include "model/gamemodel.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
void feed(GameModel &model, const QByteArray &message)
{
    model.apply(decodeServerMessage(message.chopped(1)));
}

QByteArray totals(const std::array<int, 6> &values)
{
    std::array<Msg::SeatScore, 6> scores{};
    for (int i = 0; i < 6; ++i)
        scores[static_cast<std::size_t>(i)] = {i + 1, values[static_cast<std::size_t>(i)], 1, 1, 1};
    return Msg::endround(scores);
}

// Seat 3 is this copy's; Ann on 1, Bob on 2, a running round after one ended.
void seated(GameModel &model)
{
    feed(model, Msg::sendlogininfo(3));
    feed(model, Msg::newplayerinfo(3, "Cy"));
    feed(model, Msg::existingplayers(1, "Ann"));
    feed(model, Msg::existingplayers(2, "Bob"));
    feed(model, Msg::startgame("Ann", 5, 60, 0));
    feed(model, Msg::startround({1, 60, 0, "BA", 3, "BANDIT"}));
    feed(model, totals({10, 20, 30, 0, 0, 0}));
    feed(model, Msg::startround({2, 60, 0, "CO", 3, "COMET"}));
    feed(model, Msg::gotword(1, "COT", 3));
}
} // namespace

class TestGameModelRejoin : public QObject {
    Q_OBJECT
private slots:
    void newcomerStartsFromZero_data();
    void newcomerStartsFromZero();
    void lostAndBack();
    void rebuildKeepsTheRoundAndDropsTheGone();
    void rebuildBetweenRoundsStopsTheClock();
};

void TestGameModelRejoin::newcomerStartsFromZero_data()
{
    QTest::addColumn<QByteArray>("arrival");
    QTest::addColumn<int>("total");
    // A new player in Bob's seat starts from zero; the players already there
    // when this copy came are shown as the server counts them.
    QTest::newRow("new player") << Msg::newplayerinfo(2, "Dan") << 0;
    QTest::newRow("already there") << Msg::existingplayers(2, "Dan") << 20;
}

void TestGameModelRejoin::newcomerStartsFromZero()
{
    QFETCH(QByteArray, arrival);
    QFETCH(int, total);
    GameModel model;
    seated(model);
    feed(model, Msg::playerdisconnected(2, "Bob"));
    QCOMPARE(model.total(2), 20);
    feed(model, arrival);
    QCOMPARE(model.name(2), QStringLiteral("Dan"));
    QCOMPARE(model.total(2), total);
    QCOMPARE(model.rankedTotal(2), total);
}

void TestGameModelRejoin::lostAndBack()
{
    GameModel model;
    seated(model);
    QSignalSpy lost(&model, &GameModel::playerLost);
    QSignalSpy back(&model, &GameModel::playerBack);
    feed(model, Msg::playerlost(2));
    QVERIFY(model.lost(2));
    QCOMPARE(model.name(2), QStringLiteral("Bob"));
    QCOMPARE(model.total(2), 20);
    QCOMPARE(lost.size(), 1);
    QCOMPARE(lost.first().at(1).toString(), QStringLiteral("Bob"));
    // Told twice, said once.
    feed(model, Msg::playerlost(2));
    QCOMPARE(lost.size(), 1);
    feed(model, Msg::playerback(2));
    QVERIFY(!model.lost(2));
    QCOMPARE(back.size(), 1);
    // An empty seat neither loses nor gets back anybody.
    feed(model, Msg::playerlost(5));
    feed(model, Msg::playerback(5));
    QCOMPARE(lost.size() + back.size(), 2);
}

void TestGameModelRejoin::rebuildKeepsTheRoundAndDropsTheGone()
{
    GameModel model;
    seated(model);
    QSignalSpy arrived(&model, &GameModel::playerArrived);
    QSignalSpy rejoined(&model, &GameModel::rejoined);
    model.beginResync();
    QVERIFY(model.listedWords().isEmpty());
    // Bob left while this copy was away; Ann is still there; Eve came.
    feed(model, Msg::existingplayers(1, "Ann"));
    feed(model, Msg::existingplayers(4, "Eve"));
    Msg::LoadStats stats{3, 5, 60, 0, 2, 0, "CO", 40, {{1, 10}, {2, 0}, {3, 30}, {4, 0}}};
    feed(model, Msg::loadstats(stats));
    feed(model, Msg::gotword(1, "COT", 3));
    feed(model, Msg::rejoined(3));
    QCOMPARE(rejoined.size(), 1);
    // Only Eve is news.
    QCOMPARE(arrived.size(), 1);
    QCOMPARE(arrived.first().at(1).toString(), QStringLiteral("Eve"));
    QCOMPARE(model.name(1), QStringLiteral("Ann"));
    QCOMPARE(model.name(2), GameModel::kComputer);
    QCOMPARE(model.name(3), QStringLiteral("Cy"));
    QCOMPARE(model.total(3), 30);
    // The same round goes on: one record of it, its word once, the clock anew.
    QCOMPARE(model.history().size(), 2);
    QCOMPARE(model.history().last().words.size(), 1);
    QCOMPARE(model.listedWords().size(), 1);
    QCOMPARE(model.timeleft(), 40);
    QVERIFY(model.canSendWords());
    QCOMPARE(model.mySeat(), 3);
}

void TestGameModelRejoin::rebuildBetweenRoundsStopsTheClock()
{
    GameModel model;
    seated(model);
    QVERIFY(model.turntime->isActive());
    model.beginResync();
    Msg::LoadStats stats{3, 5, 60, 0, 2, 0, "CO", 0, {{1, 13}, {2, 20}, {3, 30}}};
    feed(model, Msg::loadstats(stats));
    feed(model, Msg::rejoined(3));
    QVERIFY(!model.turntime->isActive());
    QVERIFY(!model.canSendWords());
    QCOMPARE(model.phase(), GameModel::Phase::WaitForNextRound);
    QCOMPARE(model.total(1), 13);
}

QTEST_GUILESS_MAIN(TestGameModelRejoin)
#include "test_gamemodel_rejoin.moc"

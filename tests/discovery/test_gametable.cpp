#include "discovery/gametable.h"

#include <QtTest>

using discovery::GameInfo;
using discovery::GameTable;

namespace {
GameInfo game(quint32 id, const QString &name = QStringLiteral("Ann"), int players = 1)
{
    return GameInfo{id, 7772, name, players, 0, false, 0, 0, QStringLiteral("1.0.3")};
}

QHostAddress address(const QString &text)
{
    return QHostAddress(text);
}

// The address of the n-th made-up machine, 10.0.x.y.
QHostAddress machine(int n)
{
    return QHostAddress(quint32(0x0A000000 + n));
}
} // namespace

// The lobby's table of games, stepped with a made-up clock.
class GameTableTest : public QObject {
    Q_OBJECT
private slots:
    void rowsAreKeyedByWhereTheyCameFrom();
    void thisMachineIsOneSource();
    void newRowsAreLimitedEachSecond_data();
    void newRowsAreLimitedEachSecond();
    void oneAddressHasItsShare();
    void aFullTableKeepsTheGamesThatAnnounce();
    void silentGamesAreForgotten();
    void serverMarkSticksToItsRow();
};

void GameTableTest::rowsAreKeyedByWhereTheyCameFrom()
{
    GameTable table;
    QVERIFY(table.take(game(1), address("192.168.1.20"), 0));
    QVERIFY(!table.take(game(1), address("192.168.1.20"), 100));
    // The same id and port from another address: a row of its own.
    QVERIFY(table.take(game(1, "Mallory", 5), address("192.168.1.66"), 200));
    QCOMPARE(table.games().size(), std::size_t(2));
    QCOMPARE(table.games()[0].info, game(1));
    QCOMPARE(table.games()[0].address, address("192.168.1.20"));
    // A change from the row's own address changes it.
    QVERIFY(table.take(game(1, "Ann", 2), address("192.168.1.20"), 300));
    QCOMPARE(table.games()[0].info.players, 2);
    QCOMPARE(table.games()[1].info.hostName, QStringLiteral("Mallory"));
    QCOMPARE(table.games()[0].lastHeardMs, 300);
    QVERIFY(table.games()[0].serial != table.games()[1].serial);
}

void GameTableTest::thisMachineIsOneSource()
{
    GameTable table;
    table.setOwnAddresses({address("192.168.1.5"), address("127.0.0.1")});
    QVERIFY(table.take(game(1), address("127.0.0.1"), 0));
    // Heard on the network address too: the same row, shown at that address.
    QVERIFY(table.take(game(1), address("192.168.1.5"), 10));
    QVERIFY(!table.take(game(1), address("127.0.0.1"), 20));
    QCOMPARE(table.games().size(), std::size_t(1));
    QCOMPARE(table.games()[0].address, address("192.168.1.5"));
    // Other loopback addresses are not this machine's game.
    QVERIFY(table.take(game(1), address("127.0.0.2"), 30));
    QCOMPARE(table.games().size(), std::size_t(2));
    // IPv4-mapped senders are read as IPv4.
    QVERIFY(!table.take(game(1), address("::ffff:127.0.0.2"), 40));
}

void GameTableTest::newRowsAreLimitedEachSecond_data()
{
    QTest::addColumn<int>("addresses");
    QTest::addColumn<int>("listed");
    QTest::newRow("from many addresses") << 100 << GameTable::kNewGamesPerSecond;
    QTest::newRow("from one address") << 1 << GameTable::kNewGamesPerAddress;
}

void GameTableTest::newRowsAreLimitedEachSecond()
{
    QFETCH(int, addresses);
    QFETCH(int, listed);
    GameTable table;
    for (int n = 0; n < 100; ++n)
        table.take(game(quint32(n)), machine(n % addresses), n);
    QCOMPARE(int(table.games().size()), listed);
    // The next second takes more.
    QVERIFY(table.take(game(1000), machine(0), 1000));
}

void GameTableTest::oneAddressHasItsShare()
{
    GameTable table;
    QVERIFY(table.take(game(999), machine(1), 0));
    for (int n = 0; n < 40; ++n)
        table.take(game(quint32(n)), machine(2), 1000 * (n / GameTable::kNewGamesPerAddress) + n);
    std::size_t fromTwo = 0;
    for (const auto &listed : table.games())
        fromTwo += listed.address == machine(2) ? 1 : 0;
    QCOMPARE(int(fromTwo), GameTable::kMaxGamesPerAddress);
    // Its newest are kept; its own oldest made room, never another's.
    QCOMPARE(table.games().front().info.gameId, 999u);
    QCOMPARE(table.games().back().info.gameId, 39u);
}

void GameTableTest::aFullTableKeepsTheGamesThatAnnounce()
{
    GameTable table;
    qint64 now = 0;
    QVERIFY(table.take(game(7, "Real"), machine(0), now));
    // 600 forged games, each sent again every 3 s from an address of its
    // own, 200 datagrams a second for 20 s: the table fills, and newcomers
    // push out forged games gone quiet. The real game announces every 2 s.
    for (int step = 1; step <= 4000; ++step) {
        now = step * 5;
        const auto forged = quint32(100 + step % 600);
        table.take(game(forged, "Fake"), machine(int(forged)), now);
        if (now % 2000 == 0)
            table.take(game(7, "Real"), machine(0), now);
        if (now % 2000 == 0)
            table.expire(now);
        QVERIFY(table.games().size() <= std::size_t(GameTable::kMaxGames));
        QVERIFY2(table.games().front().info.hostName == QLatin1String("Real"),
                 qPrintable(QString::number(now)));
    }
    QCOMPARE(int(table.games().size()), GameTable::kMaxGames);
}

void GameTableTest::silentGamesAreForgotten()
{
    GameTable table;
    table.take(game(1), machine(1), 0);
    table.take(game(2), machine(2), 3000);
    QVERIFY(!table.expire(GameTable::kForgetAfterMs));
    QVERIFY(table.expire(GameTable::kForgetAfterMs + 1));
    QCOMPARE(table.games().size(), std::size_t(1));
    QCOMPARE(table.games().front().info.gameId, 2u);
    table.clear();
    QVERIFY(table.games().empty());
}

void GameTableTest::serverMarkSticksToItsRow()
{
    GameTable table;
    const QHostAddress host = address("192.168.1.20");
    // A mark before its game is listed is dropped.
    QVERIFY(!table.markServer({1, 7772}, host));
    QVERIFY(table.games().empty());
    QVERIFY(table.take(game(1), host, 0));
    QVERIFY(table.take(game(2), host, 0));
    // Only the row of the mark's address, id and port is marked.
    QVERIFY(!table.markServer({1, 7772}, address("192.168.1.66")));
    QVERIFY(!table.markServer({1, 7773}, host));
    QVERIFY(table.markServer({1, 7772}, host));
    QVERIFY(!table.markServer({1, 7772}, host));
    QVERIFY(table.games()[0].info.dedicated);
    QVERIFY(!table.games()[1].info.dedicated);
    // The next reply carries no mark; the row keeps it, and still follows
    // what the reply tells.
    QVERIFY(!table.take(game(1), host, 100));
    QVERIFY(table.take(game(1, "Ann", 3), host, 200));
    QVERIFY(table.games()[0].info.dedicated);
    QCOMPARE(table.games()[0].info.players, 3);
}

QTEST_GUILESS_MAIN(GameTableTest)
#include "test_gametable.moc"

#include "discovery/discoverydatagram.h"

#include <QtTest>

using discovery::GameInfo;

namespace {
GameInfo sampleGame()
{
    GameInfo info;
    info.gameId = 0xA1B2C3D4;
    info.gamePort = 7772;
    info.hostName = QStringLiteral("Ann");
    info.players = 3;
    info.spies = 1;
    info.running = true;
    info.round = 2;
    info.rounds = 5;
    info.version = QStringLiteral("1.0.3");
    return info;
}

QByteArray withByte(QByteArray data, int at, char value)
{
    data[at] = value;
    return data;
}
} // namespace

// The query and reply datagrams: what is written is read back, and anything
// but a well-formed datagram is refused.
class DiscoveryDatagramTest : public QObject {
    Q_OBJECT
private slots:
    void replyRoundTrip_data();
    void replyRoundTrip();
    void replyLayout();
    void encoderKeepsTheReplyReadable();
    void badReplies_data();
    void badReplies();
    void queries_data();
    void queries();
    void replyNeverLargerThanQuery();
    void announcements_data();
    void announcements();
    void serverMarks_data();
    void serverMarks();
    void serverMarkLayout();
};

void DiscoveryDatagramTest::replyRoundTrip_data()
{
    QTest::addColumn<GameInfo>("info");
    QTest::newRow("running game") << sampleGame();
    GameInfo waiting = sampleGame();
    waiting.running = false;
    waiting.round = 0;
    waiting.rounds = 0;
    waiting.players = 1;
    waiting.spies = 0;
    QTest::newRow("waiting") << waiting;
    GameInfo full = sampleGame();
    full.players = 6;
    full.spies = 3;
    full.round = 10;
    full.rounds = 10;
    full.gamePort = 65535;
    full.gameId = 0xFFFFFFFF;
    QTest::newRow("all seats, last round") << full;
    GameInfo accents = sampleGame();
    accents.hostName = QStringLiteral("Zoë Łukasz 山田");
    QTest::newRow("name beyond ASCII") << accents;
    GameInfo longest = sampleGame();
    longest.hostName = QString(discovery::kMaxNameBytes, QLatin1Char('x'));
    longest.version = QString(discovery::kMaxVersionBytes, QLatin1Char('9'));
    QTest::newRow("longest name and version") << longest;
}

void DiscoveryDatagramTest::replyRoundTrip()
{
    QFETCH(GameInfo, info);
    const QByteArray reply = discovery::encodeReply(info);
    QVERIFY(reply.size() <= discovery::kMaxReplySize);
    const auto read = discovery::decodeReply(reply);
    QVERIFY(read.has_value());
    QCOMPARE(*read, info);
}

void DiscoveryDatagramTest::replyLayout()
{
    const QByteArray expected = QByteArray("LXCR\x01"
                                           "\xA1\xB2\xC3\xD4"
                                           "\x1E\x5C"
                                           "\x03\x01\x01\x02\x05"
                                           "\x03"
                                           "Ann"
                                           "\x05"
                                           "1.0.3",
                                           26);
    QCOMPARE(discovery::encodeReply(sampleGame()), expected);
    QByteArray query(discovery::kQuerySize, '\0');
    query.replace(0, 5, QByteArray("LXCQ\x01"));
    QCOMPARE(discovery::encodeQuery(), query);
}

void DiscoveryDatagramTest::encoderKeepsTheReplyReadable()
{
    GameInfo odd = sampleGame();
    odd.hostName = QStringLiteral("A\nn\x01n") + QString(100, QChar(0x00E9));
    odd.players = 9;
    odd.spies = -1;
    odd.round = 7;
    odd.rounds = 5;
    odd.version = QStringLiteral(" 1.0.3\n");
    const auto read = discovery::decodeReply(discovery::encodeReply(odd));
    QVERIFY(read.has_value());
    QVERIFY(read->hostName.startsWith(QLatin1String("Ann")));
    QVERIFY(read->hostName.toUtf8().size() <= discovery::kMaxNameBytes);
    QCOMPARE(read->players, 6);
    QCOMPARE(read->spies, 0);
    QCOMPARE(read->round, 5);
    QCOMPARE(read->version, QStringLiteral("1.0.3"));
}

void DiscoveryDatagramTest::badReplies_data()
{
    QTest::addColumn<QByteArray>("datagram");
    const QByteArray good = discovery::encodeReply(sampleGame());
    const int nameAt = 17;
    const int versionLengthAt = nameAt + 3;
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("1 byte") << QByteArray("L");
    QTest::newRow("header only") << good.left(5);
    QTest::newRow("wrong magic") << withByte(good, 3, 'Q');
    QTest::newRow("a query") << discovery::encodeQuery();
    QTest::newRow("wrong version") << withByte(good, 4, 2);
    QTest::newRow("version 0") << withByte(good, 4, 0);
    QTest::newRow("cut in the numbers") << good.left(14);
    QTest::newRow("cut in the name") << good.left(nameAt + 2);
    QTest::newRow("cut in the version") << good.left(good.size() - 1);
    QTest::newRow("a byte too many") << good + 'x';
    QTest::newRow("oversize") << good + QByteArray(200, 'x');
    QTest::newRow("port 0") << withByte(withByte(good, 9, 0), 10, 0);
    QTest::newRow("7 players") << withByte(good, 11, 7);
    QTest::newRow("4 spies") << withByte(good, 12, 4);
    QTest::newRow("unknown flag") << withByte(good, 13, 0x03);
    QTest::newRow("round past the last") << withByte(good, 14, 6);
    QTest::newRow("empty name") << withByte(good, 16, 0);
    QTest::newRow("name longer than the datagram") << withByte(good, 16, 60);
    QTest::newRow("name with a line feed") << withByte(good, nameAt + 1, '\n');
    QTest::newRow("name with a NUL") << withByte(good, nameAt + 1, '\0');
    QTest::newRow("name with DEL") << withByte(good, nameAt + 1, '\x7F');
    QTest::newRow("name with C1 control")
        << good.left(nameAt - 1) + QByteArray("\x03\xC2\x85n\x05", 5) + "1.0.3";
    QTest::newRow("name not UTF-8") << withByte(good, nameAt + 1, '\xFF');
    QTest::newRow("name cut inside a character") << good.left(nameAt - 1) +
                                                        QByteArray("\x02"
                                                                   "A\xC3\x05",
                                                                   4) +
                                                        "1.0.3";
    QTest::newRow("empty version") << withByte(good.left(versionLengthAt + 1), versionLengthAt, 0);
    QTest::newRow("version with a space") << withByte(good, versionLengthAt + 2, ' ');
    QTest::newRow("version too long")
        << good.left(versionLengthAt) + char(17) + QByteArray(17, '1');
}

void DiscoveryDatagramTest::badReplies()
{
    QFETCH(QByteArray, datagram);
    QVERIFY(!discovery::decodeReply(datagram).has_value());
}

void DiscoveryDatagramTest::queries_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<bool>("valid");
    const QByteArray query = discovery::encodeQuery();
    QTest::newRow("the query") << query << true;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("1 byte") << QByteArray("L") << false;
    QTest::newRow("header only") << query.left(5) << false;
    QTest::newRow("short by one") << query.chopped(1) << false;
    QTest::newRow("long by one") << query + '\0' << false;
    QTest::newRow("oversize") << query + QByteArray(4000, '\0') << false;
    QTest::newRow("wrong magic") << withByte(query, 0, 'X') << false;
    QTest::newRow("a reply's magic") << withByte(query, 3, 'R') << false;
    QTest::newRow("wrong version") << withByte(query, 4, 2) << false;
    QTest::newRow("padding not zero") << withByte(query, 50, 1) << false;
}

void DiscoveryDatagramTest::queries()
{
    QFETCH(QByteArray, datagram);
    QFETCH(bool, valid);
    QCOMPARE(discovery::isQuery(datagram), valid);
}

void DiscoveryDatagramTest::replyNeverLargerThanQuery()
{
    GameInfo biggest = sampleGame();
    biggest.hostName = QString(200, QChar(0x5C71));
    biggest.version = QString(200, QLatin1Char('7'));
    const QByteArray reply = discovery::encodeReply(biggest);
    QVERIFY(reply.size() <= discovery::encodeQuery().size());
    QVERIFY(discovery::decodeReply(reply).has_value());
}

void DiscoveryDatagramTest::announcements_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<bool>("read");
    QTest::addColumn<bool>("otherFormat");
    const QByteArray announcement = discovery::encodeAnnouncement(sampleGame());
    QTest::newRow("announcement") << announcement << true << false;
    QTest::newRow("reply") << discovery::encodeReply(sampleGame()) << true << false;
    QTest::newRow("announcement of a later format")
        << withByte(announcement, 4, 2) + QByteArray(200, 'x') << true << true;
    QTest::newRow("reply of a later format, id and port only")
        << withByte(discovery::encodeReply(sampleGame()), 4, 7).left(11) << true << true;
    QTest::newRow("later format without a port")
        << withByte(withByte(withByte(announcement, 4, 2), 9, 0), 10, 0) << false << false;
    QTest::newRow("later format cut before the port")
        << withByte(announcement, 4, 2).left(10) << false << false;
    QTest::newRow("format 0") << withByte(announcement, 4, 0) << false << false;
    QTest::newRow("query") << discovery::encodeQuery() << false << false;
    QTest::newRow("query of a later format")
        << withByte(discovery::encodeQuery(), 4, 2) << false << false;
}

void DiscoveryDatagramTest::announcements()
{
    QFETCH(QByteArray, datagram);
    QFETCH(bool, read);
    QFETCH(bool, otherFormat);
    const auto heard = discovery::decodeGame(datagram);
    QCOMPARE(heard.has_value(), read);
    if (!read)
        return;
    QCOMPARE(heard->otherFormat, otherFormat);
    QCOMPARE(heard->gameId, sampleGame().gameId);
    QCOMPARE(heard->gamePort, sampleGame().gamePort);
    if (!otherFormat)
        QCOMPARE(*heard, sampleGame());
    // An announcement is the reply's layout under its own magic.
    const QByteArray announcement = discovery::encodeAnnouncement(sampleGame());
    QCOMPARE(announcement.mid(4), discovery::encodeReply(sampleGame()).mid(4));
    QVERIFY(announcement.size() <= discovery::kQuerySize);
    QVERIFY(!discovery::decodeReply(announcement));
    QCOMPARE(*discovery::decodeAnnouncement(announcement), sampleGame());
}

void DiscoveryDatagramTest::serverMarks_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<bool>("mark");
    QTest::addColumn<bool>("game");
    const QByteArray mark = discovery::encodeServerMark(sampleGame());
    // What every reader, older ones included, makes of a game's datagram:
    // a mark is no game and no query, and a game's datagram is no mark.
    QTest::newRow("server mark") << mark << true << false;
    QTest::newRow("reply of an older host, no mark")
        << discovery::encodeReply(sampleGame()) << false << true;
    QTest::newRow("announcement of an older host, no mark")
        << discovery::encodeAnnouncement(sampleGame()) << false << true;
    QTest::newRow("mark with a byte too many") << mark + '\0' << false << false;
    QTest::newRow("mark cut") << mark.chopped(1) << false << false;
    QTest::newRow("mark of port 0") << withByte(withByte(mark, 9, 0), 10, 0) << false << false;
    QTest::newRow("mark of a later format") << withByte(mark, 4, 2) << false << false;
    QTest::newRow("mark of format 0") << withByte(mark, 4, 0) << false << false;
    QTest::newRow("mark under a reply's magic") << withByte(mark, 3, 'R') << false << false;
    QTest::newRow("mark under an announcement's magic") << withByte(mark, 3, 'A') << false << false;
    QTest::newRow("query") << discovery::encodeQuery() << false << false;
}

void DiscoveryDatagramTest::serverMarks()
{
    QFETCH(QByteArray, datagram);
    QFETCH(bool, mark);
    QFETCH(bool, game);
    const auto readMark = discovery::decodeServerMark(datagram);
    QCOMPARE(readMark.has_value(), mark);
    if (mark) {
        QCOMPARE(readMark->gameId, sampleGame().gameId);
        QCOMPARE(readMark->gamePort, sampleGame().gamePort);
        // An older host takes it for no query either.
        QVERIFY(!discovery::isQuery(datagram));
    }
    const auto readGame = discovery::decodeGame(datagram);
    QCOMPARE(readGame.has_value(), game);
    // Only the mark says "dedicated host"; without it a game is a desktop's.
    if (game)
        QVERIFY(!readGame->dedicated);
}

void DiscoveryDatagramTest::serverMarkLayout()
{
    GameInfo server = sampleGame();
    server.dedicated = true;
    QCOMPARE(discovery::encodeServerMark(server), QByteArray("LXCS\x01"
                                                             "\xA1\xB2\xC3\xD4"
                                                             "\x1E\x5C",
                                                             11));
    // A dedicated host's reply and announcement are those of any host, so
    // older lobbies list it as before.
    QCOMPARE(discovery::encodeReply(server), discovery::encodeReply(sampleGame()));
    QCOMPARE(discovery::encodeAnnouncement(server), discovery::encodeAnnouncement(sampleGame()));
}

QTEST_GUILESS_MAIN(DiscoveryDatagramTest)
#include "test_discoverydatagram.moc"

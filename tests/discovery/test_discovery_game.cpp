#include "discovery/discoverybrowser.h"
#include "discovery/discoveryresponder.h"
#include "discovery/replybudget.h"
#include "hostedgame.h"
#include "loopbackport.h"
#include "net/tsock.h"

#include <QElapsedTimer>
#include <QtTest>
#include <QUdpSocket>

#include <memory>

namespace {
const discovery::GameInfo *findGame(const DiscoveryBrowser &browser, const QString &host)
{
    for (const DiscoveryBrowser::Game &game : browser.games()) {
        if (game.info.hostName == host)
            return &game.info;
    }
    return nullptr;
}

const QHostAddress kAttacker(QStringLiteral("127.0.0.2"));

// Every datagram waiting on socket, as it came.
QList<QByteArray> readAll(QUdpSocket &socket)
{
    QList<QByteArray> datagrams;
    while (socket.hasPendingDatagrams()) {
        QByteArray data(socket.pendingDatagramSize(), '\0');
        socket.readDatagram(data.data(), data.size());
        datagrams.append(data);
    }
    return datagrams;
}

// Logs client in to a game server as one more player and tells whether the
// server introduced it: the game still serves. The client stays connected.
bool logsIn(TSock &client, quint16 gamePort, const QByteArray &name)
{
    QByteArray received;
    bool introduced = false;
    client.setHostName("127.0.0.1");
    client.setPortName(QString::number(gamePort));
    client.OnRead = [&](TSock *sender, int) {
        received += sender->Receive();
        qsizetype end;
        while ((end = received.indexOf('\xFF')) >= 0) {
            const QList<QByteArray> fields = received.left(end).split('+');
            received.remove(0, end + 1);
            if (fields.first() == "CMD_sendlogininfo" && fields.size() > 1)
                sender->Send("CMD_logininfo+" + fields[1] + "+1.0.3+" + name + '\xFF');
            if (fields.first() == "CMD_newplayerinfo" && fields.size() > 2 && fields[2] == name)
                introduced = true;
        }
    };
    client.Open();
    QElapsedTimer waited;
    waited.start();
    while (!introduced && waited.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    client.OnRead = [](TSock *sender, int) { sender->Receive(); };
    return introduced;
}
} // namespace

// Real hosting copies of the game, started by the lobby program on private
// ports, found by the discovery component over loopback.
class DiscoveryGameTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void hostIsFoundFollowedAndForgotten();
    void badDatagramsChangeNothing_data();
    void badDatagramsChangeNothing();
    void floodFromOneAddressLeavesRepliesForOthers();
    void aBurstIsReadInBatches();
    void targets_data();
    void targets();
    void replayFromAnotherAddressDoesNotMoveTheRow();
    void announcementsAloneFindTheHost();
    void aServersReplyIsFollowedByItsMark_data();
    void aServersReplyIsFollowedByItsMark();
    void twoHostsOnOneMachineAreBothListed();

private:
    void startHost();
    std::unique_ptr<HostedGame> startHostAs(const char *name, quint16 gamePort);

    quint16 gamePort_ = 0;
    quint16 discoveryPort_ = 0;
    std::unique_ptr<HostedGame> host_;
    std::unique_ptr<HostedGame> join_;
    std::unique_ptr<DiscoveryBrowser> browser_;
};

void DiscoveryGameTest::init()
{
    gamePort_ = unusedLoopbackPort();
    discoveryPort_ = unusedLoopbackUdpPort();
    browser_ = std::make_unique<DiscoveryBrowser>();
    browser_->setTargets({{discovery::kLoopbackBroadcast, discoveryPort_}});
    browser_->setAnnouncementPort(discoveryPort_);
}

void DiscoveryGameTest::cleanup()
{
    browser_.reset();
    join_.reset();
    host_.reset();
}

void DiscoveryGameTest::startHost()
{
    host_ = startHostAs("Ann", gamePort_);
    QTRY_VERIFY_WITH_TIMEOUT(host_->gameConnected(), 60000);
}

std::unique_ptr<HostedGame> DiscoveryGameTest::startHostAs(const char *name, quint16 gamePort)
{
    auto host = std::make_unique<HostedGame>(QStringLiteral(LOBBY_PROGRAM));
    if (!host->start({"host", name}, gamePort, discoveryPort_, QStringLiteral("disco") + name))
        return nullptr;
    return host;
}

void DiscoveryGameTest::hostIsFoundFollowedAndForgotten()
{
    startHost();
    QElapsedTimer clock;
    clock.start();
    QVERIFY(browser_->start());
    QTRY_VERIFY_WITH_TIMEOUT(findGame(*browser_, "Ann") && findGame(*browser_, "Ann")->players == 1,
                             30000);
    qInfo("host found %lld ms after the lobby started asking", clock.elapsed());
    const discovery::GameInfo found = *findGame(*browser_, "Ann");
    QCOMPARE(found.gamePort, gamePort_);
    QCOMPARE(found.spies, 0);
    QCOMPARE(found.running, false);
    QCOMPARE(found.version, QStringLiteral("1.0.3"));
    QCOMPARE(browser_->games().front().address, QHostAddress(QHostAddress::LocalHost));
    QCOMPARE(browser_->games().size(), std::size_t(1));

    join_ = std::make_unique<HostedGame>(QStringLiteral(LOBBY_PROGRAM));
    QVERIFY(join_->start({"join", "Bob", "127.0.0.1"}, gamePort_, discoveryPort_, "discojoin"));
    QTRY_VERIFY_WITH_TIMEOUT(join_->gameConnected(), 60000);
    clock.restart();
    QTRY_VERIFY_WITH_TIMEOUT(findGame(*browser_, "Ann")->players == 2, 30000);
    qInfo("second player seen %lld ms after his game connected", clock.elapsed());
    QCOMPARE(browser_->games().size(), std::size_t(1));

    host_->stop();
    clock.restart();
    QTRY_VERIFY_WITH_TIMEOUT(browser_->games().empty(), 30000);
    qInfo("stopped host forgotten after %lld ms", clock.elapsed());
}

void DiscoveryGameTest::badDatagramsChangeNothing_data()
{
    QTest::addColumn<QByteArray>("datagram");
    const QByteArray query = discovery::encodeQuery();
    QByteArray wrongMagic = query;
    wrongMagic[0] = 'X';
    QByteArray wrongVersion = query;
    wrongVersion[4] = 9;
    QByteArray controlName =
        discovery::encodeReply({1, 7772, "A\x01n", 1, 0, false, 0, 0, "1.0.3"});
    controlName[18] = '\x01';
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("1 byte") << QByteArray("L");
    QTest::newRow("wrong magic") << wrongMagic;
    QTest::newRow("wrong version") << wrongVersion;
    QTest::newRow("cut fields") << query.left(40);
    QTest::newRow("oversize") << query + QByteArray(60000, '\0');
    QTest::newRow("a reply with a control character in the name") << controlName;
    QTest::newRow("noise") << QByteArray(97, '\xFF');
}

// The host's responder and the lobby's browser each get the bad datagram;
// neither answers, lists, nor stops working.
void DiscoveryGameTest::badDatagramsChangeNothing()
{
    QFETCH(QByteArray, datagram);
    int described = 0;
    DiscoveryResponder responder([&described] {
        ++described;
        return discovery::GameInfo{7, 7772, "Ann", 1, 0, false, 0, 0, "1.0.3"};
    });
    QVERIFY(responder.start(0));
    DiscoveryBrowser browser;
    browser.setTargets({});
    browser.setAnnouncementPort(0);
    QVERIFY(browser.start());
    int changes = 0;
    browser.onChanged = [&changes] { ++changes; };

    QUdpSocket sender;
    QVERIFY(sender.bind(QHostAddress(QHostAddress::LocalHost), 0));
    QByteArray reply;
    connect(&sender, &QUdpSocket::readyRead, this, [&] {
        while (sender.hasPendingDatagrams()) {
            QByteArray data(sender.pendingDatagramSize(), '\0');
            sender.readDatagram(data.data(), data.size());
            reply = data;
        }
    });
    // The bad datagram to both, then a good query to each as a marker: the
    // marker's answer shows the bad one was read and passed over.
    sender.writeDatagram(datagram, QHostAddress(QHostAddress::LocalHost), responder.port());
    sender.writeDatagram(discovery::encodeQuery(), QHostAddress(QHostAddress::LocalHost),
                         responder.port());
    QTRY_VERIFY_WITH_TIMEOUT(!reply.isEmpty(), 30000);
    QCOMPARE(responder.repliesSent(), 1);
    QCOMPARE(described, 1);
    QVERIFY(discovery::decodeReply(reply).has_value());

    // The bad datagram to the browser, then a good reply from the same sender:
    // only the good one is listed.
    const discovery::GameInfo good{9, 7772, "Bea", 2, 1, true, 1, 3, "1.0.3"};
    sender.writeDatagram(datagram, QHostAddress(QHostAddress::LocalHost), browser.localPort());
    sender.writeDatagram(discovery::encodeReply(good), QHostAddress(QHostAddress::LocalHost),
                         browser.localPort());
    QTRY_COMPARE_WITH_TIMEOUT(browser.games().size(), std::size_t(1), 30000);
    QCOMPARE(browser.games().front().info, good);
    QCOMPARE(changes, 1);
    QCOMPARE(responder.repliesSent(), 1);
}

// One address asks a thousand times a second: it gets its few replies a
// second, and a lobby at another address still gets its own.
void DiscoveryGameTest::floodFromOneAddressLeavesRepliesForOthers()
{
    startHost();
    QUdpSocket flooder;
    QVERIFY(flooder.bind(kAttacker, 0));
    // A large receive buffer, so that no reply is lost on our side.
    flooder.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 1 << 20);
    QUdpSocket asker;
    QVERIFY(asker.bind(QHostAddress(QHostAddress::LocalHost), 0));
    const QByteArray query = discovery::encodeQuery();
    QElapsedTimer clock;
    clock.start();
    int sent = 0;
    int asked = 0;
    int replies = 0;
    int answered = 0;
    // Three seconds: a thousand queries a second from the flooder, one every
    // 400 ms from the asker.
    while (clock.elapsed() < 3000) {
        for (; sent < clock.elapsed(); ++sent)
            flooder.writeDatagram(query, discovery::kLoopbackBroadcast, discoveryPort_);
        if (asked * 400 <= clock.elapsed()) {
            asker.writeDatagram(query, discovery::kLoopbackBroadcast, discoveryPort_);
            ++asked;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        replies += int(readAll(flooder).size());
        answered += int(readAll(asker).size());
    }
    QElapsedTimer after;
    after.start();
    while (after.elapsed() < 1000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        replies += int(readAll(flooder).size());
        answered += int(readAll(asker).size());
    }
    const qint64 listenedMs = clock.elapsed();
    qInfo("%d queries from the flooder got %d replies; %d from the asker got %d, in %lld ms", sent,
          replies, asked, answered, listenedMs);
    QVERIFY(replies >= 1);
    QVERIFY(replies <= discovery::ReplyBudget::kPerAsker * (listenedMs / 1000 + 1));
    QCOMPARE(answered, asked);
    TSock carl;
    QVERIFY(logsIn(carl, gamePort_, "Carl"));
    QVERIFY(browser_->start());
    QTRY_VERIFY_WITH_TIMEOUT(findGame(*browser_, "Ann") && findGame(*browser_, "Ann")->players == 2,
                             30000);
}

// A burst larger than a batch: the browser reads it over several turns of
// the event loop and misses nothing; so does the responder.
void DiscoveryGameTest::aBurstIsReadInBatches()
{
    DiscoveryBrowser browser;
    browser.setTargets({});
    browser.setAnnouncementPort(0);
    QVERIFY(browser.start());
    int changes = 0;
    browser.onChanged = [&changes] { ++changes; };
    DiscoveryResponder responder(
        [] { return discovery::GameInfo{7, 7772, "Ann", 1, 0, false, 0, 0, "1.0.3"}; });
    QVERIFY(responder.start(0));

    QUdpSocket sender;
    QVERIFY(sender.bind(QHostAddress(QHostAddress::LocalHost), 0));
    sender.setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, 1 << 20);
    // Small enough for the system's usual receive buffer.
    const int burst = 2 * DiscoveryBrowser::kReadBatch + 8;
    // Each datagram changes the one game, so each batch is one change.
    for (int n = 0; n < burst; ++n) {
        const discovery::GameInfo info{9, 7772, "Bea", n % 2 + 1, 0, false, 0, 0, "1.0.3"};
        sender.writeDatagram(discovery::encodeReply(info), QHostAddress(QHostAddress::LocalHost),
                             browser.localPort());
        sender.writeDatagram(QByteArray(20, 'x'), QHostAddress(QHostAddress::LocalHost),
                             responder.port());
    }
    sender.writeDatagram(discovery::encodeReply({9, 7772, "Bea", 6, 0, false, 0, 0, "1.0.3"}),
                         QHostAddress(QHostAddress::LocalHost), browser.localPort());
    sender.writeDatagram(discovery::encodeQuery(), QHostAddress(QHostAddress::LocalHost),
                         responder.port());
    QTRY_VERIFY_WITH_TIMEOUT(!browser.games().empty() && browser.games().front().info.players == 6,
                             30000);
    QTRY_COMPARE_WITH_TIMEOUT(responder.repliesSent(), 1, 30000);
    qInfo("%d datagrams read in %d batches that changed the game", burst + 1, changes);
    QVERIFY(changes >= burst / DiscoveryBrowser::kReadBatch + 1);
}

void DiscoveryGameTest::targets_data()
{
    QTest::addColumn<QByteArray>("chosen");
    QTest::addColumn<QStringList>("addresses");
    QTest::newRow("the loopback's broadcast")
        << QByteArray("127.255.255.255") << QStringList{"127.255.255.255"};
    QTest::newRow("a list, with blanks and one that is not an IPv4 address")
        << QByteArray("127.255.255.255, 10.9.8.255,nowhere,::1")
        << QStringList{"127.255.255.255", "10.9.8.255"};
}

// LEXICLASH_DISCOVERY_TARGETS replaces the broadcast addresses; without it
// they end with the loopback's.
void DiscoveryGameTest::targets()
{
    QFETCH(QByteArray, chosen);
    QFETCH(QStringList, addresses);
    const QByteArray before = qgetenv("LEXICLASH_DISCOVERY_TARGETS");
    qputenv("LEXICLASH_DISCOVERY_TARGETS", chosen);
    QStringList found;
    for (const discovery::Target &target : discovery::broadcastTargets(4321)) {
        found << target.address.toString();
        QCOMPARE(target.port, quint16(4321));
    }
    QCOMPARE(found, addresses);
    qunsetenv("LEXICLASH_DISCOVERY_TARGETS");
    const QList<discovery::Target> usual = discovery::broadcastTargets(4321);
    qputenv("LEXICLASH_DISCOVERY_TARGETS", before);
    QVERIFY(!usual.isEmpty());
    QCOMPARE(usual.last().address, discovery::kLoopbackBroadcast);
    for (const discovery::Target &target : usual)
        QVERIFY(target.address != QHostAddress(QHostAddress::LocalHost));
}

// The host's real reply, sent again from another address (and changed): the
// row heard from the host stays as it is, the copy is at most a row of its own.
void DiscoveryGameTest::replayFromAnotherAddressDoesNotMoveTheRow()
{
    startHost();
    QVERIFY(browser_->start());
    QTRY_VERIFY_WITH_TIMEOUT(findGame(*browser_, "Ann") && findGame(*browser_, "Ann")->players == 1,
                             30000);
    QUdpSocket attacker;
    QVERIFY(attacker.bind(kAttacker, 0));
    attacker.writeDatagram(discovery::encodeQuery(), discovery::kLoopbackBroadcast, discoveryPort_);
    QList<QByteArray> heard;
    QTRY_VERIFY_WITH_TIMEOUT(!(heard += readAll(attacker)).isEmpty(), 30000);
    const QByteArray real = heard.first();
    discovery::GameInfo changed = *discovery::decodeReply(real);
    changed.hostName = QStringLiteral("Mallory");
    changed.players = 5;
    for (const QByteArray &datagram :
         {real, discovery::encodeReply(changed), discovery::encodeAnnouncement(changed)}) {
        attacker.writeDatagram(datagram, QHostAddress(QHostAddress::LocalHost),
                               browser_->localPort());
        attacker.writeDatagram(datagram, QHostAddress(QHostAddress::LocalHost),
                               browser_->announcementPort());
    }
    QTRY_COMPARE_WITH_TIMEOUT(browser_->games().size(), std::size_t(2), 30000);
    QTest::qWait(300);
    const DiscoveryBrowser::Game &first = browser_->games().front();
    QCOMPARE(first.address, QHostAddress(QHostAddress::LocalHost));
    QCOMPARE(first.info, *discovery::decodeReply(real));
    const DiscoveryBrowser::Game &copy = browser_->games().back();
    QCOMPARE(copy.address, kAttacker);
    QCOMPARE(copy.info, changed);
}

void DiscoveryGameTest::aServersReplyIsFollowedByItsMark_data()
{
    QTest::addColumn<bool>("dedicated");
    QTest::addColumn<int>("nameBytes");
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("marked");
    QTest::newRow("desktop host") << false << 3 << "1.0.3" << false;
    QTest::newRow("dedicated host") << true << 3 << "1.0.3" << true;
    QTest::newRow("dedicated host, longest name") << true << 64 << "1.0.3" << true;
    QTest::newRow("dedicated host, 63-byte name, 6-byte version") << true << 63 << "1.0.3b" << true;
    // Reply and mark together would outgrow the query.
    QTest::newRow("dedicated host, longest name, 6-byte version")
        << true << 64 << "1.0.3b" << false;
}

// Each query gets the reply, and from a dedicated host the server mark after
// it, as long as the two are no more bytes than the query.
void DiscoveryGameTest::aServersReplyIsFollowedByItsMark()
{
    QFETCH(bool, dedicated);
    QFETCH(int, nameBytes);
    QFETCH(QString, version);
    QFETCH(bool, marked);
    const discovery::GameInfo info{
        7,     7772,     QString(nameBytes, QLatin1Char('n')), 1, 0, false, 0, 0, version,
        false, dedicated};
    DiscoveryResponder responder([&info] { return info; });
    QVERIFY(responder.start(0));
    QUdpSocket asker;
    QVERIFY(asker.bind(QHostAddress(QHostAddress::LocalHost), 0));
    QList<QByteArray> heard;
    connect(&asker, &QUdpSocket::readyRead, this, [&] { heard += readAll(asker); });
    // The second query's reply shows that whatever followed the first one
    // has come.
    for (int query = 1; query <= 2; ++query) {
        asker.writeDatagram(discovery::encodeQuery(), QHostAddress(QHostAddress::LocalHost),
                            responder.port());
        QTRY_VERIFY_WITH_TIMEOUT(std::count_if(heard.begin(), heard.end(),
                                               [](const QByteArray &data) {
                                                   return discovery::decodeReply(data).has_value();
                                               }) == query,
                                 30000);
    }
    const QByteArray reply = discovery::encodeReply(info);
    const QByteArray mark = discovery::encodeServerMark(info);
    const QList<QByteArray> expected =
        marked ? QList<QByteArray>{reply, mark, reply} : QList<QByteArray>{reply, reply};
    QTRY_COMPARE_WITH_TIMEOUT(heard.mid(0, expected.size()), expected, 30000);
    if (marked) {
        QTRY_COMPARE_WITH_TIMEOUT(heard.size(), 4, 30000);
        QCOMPARE(heard.last(), mark);
        QVERIFY(reply.size() + mark.size() <= discovery::kQuerySize);
    } else {
        QCOMPARE(heard.size(), 2);
    }
}

// A lobby whose queries go nowhere still finds the host by its announcements.
void DiscoveryGameTest::announcementsAloneFindTheHost()
{
    startHost();
    browser_->setTargets({});
    QElapsedTimer clock;
    clock.start();
    QVERIFY(browser_->start());
    QTRY_VERIFY_WITH_TIMEOUT(findGame(*browser_, "Ann"), 30000);
    qInfo("host heard %lld ms after the lobby began listening", clock.elapsed());
    QCOMPARE(browser_->games().front().info.gamePort, gamePort_);
}

// Two hosts on one machine share the discovery port: both answer and both
// announce.
void DiscoveryGameTest::twoHostsOnOneMachineAreBothListed()
{
    startHost();
    const quint16 secondPort = unusedLoopbackPort();
    join_ = startHostAs("Bea", secondPort);
    QVERIFY(join_);
    QTRY_VERIFY_WITH_TIMEOUT(join_->gameConnected(), 60000);
    QVERIFY(!join_->output().contains("cannot answer discovery"));
    QVERIFY(browser_->start());
    QTRY_VERIFY_WITH_TIMEOUT(findGame(*browser_, "Ann") && findGame(*browser_, "Bea"), 30000);
    QCOMPARE(findGame(*browser_, "Bea")->gamePort, secondPort);
    QCOMPARE(findGame(*browser_, "Ann")->gamePort, gamePort_);

    // By the answers alone too: a lobby that hears no announcements.
    DiscoveryBrowser asking;
    asking.setTargets({{discovery::kLoopbackBroadcast, discoveryPort_}});
    asking.setAnnouncementPort(0);
    QVERIFY(asking.start());
    QTRY_VERIFY_WITH_TIMEOUT(findGame(asking, "Ann") && findGame(asking, "Bea"), 30000);
}

QTEST_GUILESS_MAIN(DiscoveryGameTest)
#include "test_discovery_game.moc"

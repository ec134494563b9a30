#include "discovery/discoverybrowser.h"
#include "discovery/discoveryresponder.h"
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
    void floodGetsFewRepliesAndTheGameGoesOn();

private:
    void startHost();

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
    browser_->setTargets({{QHostAddress(QHostAddress::LocalHost), discoveryPort_}});
}

void DiscoveryGameTest::cleanup()
{
    browser_.reset();
    join_.reset();
    host_.reset();
}

void DiscoveryGameTest::startHost()
{
    host_ = std::make_unique<HostedGame>(QStringLiteral(LOBBY_PROGRAM));
    QVERIFY(host_->start({"host", "Ann"}, gamePort_, discoveryPort_, "discohost"));
    QTRY_VERIFY_WITH_TIMEOUT(host_->gameConnected(), 60000);
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

void DiscoveryGameTest::floodGetsFewRepliesAndTheGameGoesOn()
{
    startHost();
    QUdpSocket flooder;
    QVERIFY(flooder.bind(QHostAddress(QHostAddress::LocalHost), 0));
    // A large receive buffer, so that no reply is lost on our side.
    flooder.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 1 << 20);
    const QByteArray query = discovery::encodeQuery();
    QElapsedTimer clock;
    clock.start();
    int sent = 0;
    for (; sent < 10000; ++sent) {
        if (flooder.writeDatagram(query, QHostAddress(QHostAddress::LocalHost), discoveryPort_) !=
            query.size())
            QCoreApplication::processEvents();
    }
    const qint64 floodMs = clock.elapsed();
    int replies = 0;
    const auto countReplies = [&] {
        while (flooder.hasPendingDatagrams()) {
            char buffer[256];
            if (discovery::decodeReply(
                    QByteArrayView(buffer, flooder.readDatagram(buffer, sizeof buffer))))
                ++replies;
        }
    };
    // Whatever arrives within a second of the flood's end.
    QElapsedTimer after;
    after.start();
    while (after.elapsed() < 1000 + floodMs) {
        flooder.waitForReadyRead(100);
        countReplies();
    }
    const qint64 listenedMs = clock.elapsed();
    qInfo("%d queries sent in %lld ms, %d replies within %lld ms", sent, floodMs, replies,
          listenedMs);
    QVERIFY(replies >= 1);
    // The host answers at most its limit in any one second of the time listened.
    QVERIFY(replies <= DiscoveryResponder::kMaxRepliesPerSecond * (listenedMs / 1000 + 1));
    TSock carl;
    QVERIFY(logsIn(carl, gamePort_, "Carl"));
    QVERIFY(browser_->start());
    QTRY_VERIFY_WITH_TIMEOUT(findGame(*browser_, "Ann") && findGame(*browser_, "Ann")->players == 2,
                             30000);
}

QTEST_GUILESS_MAIN(DiscoveryGameTest)
#include "test_discovery_game.moc"

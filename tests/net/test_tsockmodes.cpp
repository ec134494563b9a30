// The modes of TSock that the game never uses: automatic accept, datagram
// sockets and blocking operations.

#include "tsockharness.h"

#include <QtTest>

#include <cerrno>

class TestTSockModes : public QObject {
    Q_OBJECT
private slots:
    void autoAcceptHandsTheConnectionOver();
    void datagramsTravelBetweenTwoObjects();
    void blockingModeWaitsOnTheCallingThread();
    void blockingConnectFailureCloses();
    void blockingAcceptAndReceiveError();
};

void TestTSockModes::autoAcceptHandsTheConnectionOver()
{
    int asked = 0;
    QPointer<TSock> handed;
    TSock listener;
    listener.OnAccept = [&](TSock *) { ++asked; };
    listener.OnAutoAccept = [&](TSock *sender, TSock *newSock) {
        QCOMPARE(sender, &listener);
        handed = newSock;
    };
    listener.setAutoAccept(true);
    listener.setPortName("0");
    listener.setListen(true);
    const int peer = rawConnect(listener.localPort());
    QVERIFY(peer >= 0);
    QTRY_VERIFY_WITH_TIMEOUT(handed, kWait);
    QCOMPARE(asked, 0);
    QCOMPARE(handed->parent(), &listener);
    QVERIFY(handed->Connected());
    ::close(peer);
}

void TestTSockModes::datagramsTravelBetweenTwoObjects()
{
    Log log;
    TSock first;
    log.watch(first, "first ");
    first.setSocketType(TSocketType::stDatagram);
    first.setHostName("127.0.0.1");
    first.setPortName("0");
    QVERIFY(first.Open());
    QVERIFY(log.has("first Connect: Datagram Socket Connected"));
    QVERIFY(log.has("first connect"));
    QString from;
    QByteArray got;
    first.OnRead = [&](TSock *sender, int) { got = sender->ReceiveDatagram(from); };

    // Both ends use the same port number, so the second one binds to another
    // loopback address.
    TSock second;
    second.setSocketType(TSocketType::stDatagram);
    second.setHostName("127.0.0.2");
    second.setPortName(QString::number(first.localPort()));
    QVERIFY(second.Open());
    QVERIFY(second.SendDatagram("CMD_ping+\xff", "127.0.0.1"));
    QTRY_COMPARE_WITH_TIMEOUT(got, QByteArray("CMD_ping+\xff"), kWait);
    QCOMPARE(from, QString("127.0.0.2"));

    second.setHostName("127.0.0.1");
    QVERIFY(second.Send("again"));
    QTRY_COMPARE_WITH_TIMEOUT(got, QByteArray("again"), kWait);
    QCOMPARE(sockErrorOf([&] { first.setSocketType(TSocketType::stStream); }),
             SockCode(TSockError::TypeWhileConnected));
}

void TestTSockModes::blockingModeWaitsOnTheCallingThread()
{
    quint16 port = 0;
    const int listenFd = rawListen(port);
    QVERIFY(listenFd >= 0);
    Log log;
    TSock client;
    log.watch(client);
    client.setBlocking(true);
    client.setBlockingTimeout(10);
    client.setHostName("127.0.0.1");
    client.setPortName(QString::number(port));
    QCOMPARE(client.Open(), true);
    const int peer = ::accept(listenFd, nullptr, nullptr);
    QVERIFY(peer >= 0);

    QVERIFY(client.Send("abc"));
    QCOMPARE(client.pendingSendBytes(), qsizetype(0));
    char sent[3];
    QCOMPARE(::recv(peer, sent, sizeof sent, MSG_WAITALL), ssize_t(3));
    QVERIFY(rawSend(peer, "xyz"));
    QCOMPARE(client.Receive(), QByteArray("xyz"));
    client.setBlockingTimeout(0);
    QCOMPARE(client.Receive(), QByteArray());
    client.setBlockingTimeout(10);
    ::close(peer);
    QCOMPARE(client.Receive(), QByteArray());
    // No notification is queued in blocking mode.
    QTest::qWait(100);
    QCOMPARE(
        log.lines,
        (QStringList{"Lookup: Lookup Of Port " + QString::number(port),
                     "Lookup: Lookup Of Host 127.0.0.1", "Connect: Blocking Socket Connected",
                     "connect", "Send: Blocking Outgoing Data", "Receive: Blocking Incoming Data",
                     "Receive: Blocking Incoming Data", "Close: Socket Disconnected On Receive",
                     "Close: Socket Closed", "disconnect"}));
    QVERIFY(!client.Connected());
    ::close(listenFd);
}

void TestTSockModes::blockingConnectFailureCloses()
{
    Log log;
    TSock client;
    log.watch(client);
    client.setBlocking(true);
    client.setHostName("127.0.0.1");
    client.setPortName(QString::number(closedPort()));
    QCOMPARE(client.Open(), false);
    QCOMPARE(log.lines.mid(2),
             (QStringList{"Close: Blocking Socket Can't Connect", "Close: Socket Closed"}));
    QCOMPARE(client.handle(), -1);
}

void TestTSockModes::blockingAcceptAndReceiveError()
{
    Log log;
    TSock listener;
    listener.OnInfo = log.infoSink("listener ");
    listener.setBlocking(true);
    listener.setPortName("0");
    listener.setListen(true);
    const int peer = rawConnect(listener.localPort());
    QVERIFY(peer >= 0);
    TSock *accepted = nullptr;
    QVERIFY(listener.Accept(accepted));
    QCOMPARE(log.lines.mid(2, 2), (QStringList{"listener Accept: Blocking Accept",
                                               "listener Lookup: Setting PortName While "
                                               "Connected Has No Effect"}));
    QVERIFY(accepted->Blocking());

    const linger abort{1, 0};
    ::setsockopt(peer, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    ::close(peer);
    accepted->setBlockingTimeout(10);
    QString failure;
    try {
        accepted->Receive();
    } catch (const ESockException &e) {
        QCOMPARE(e.code(), TSockError::ReceiveFailed);
        failure = e.message();
    }
    QCOMPARE(failure, QString("Receive - Socket Error WSAECONNRESET"));
    QCOMPARE(log.lines.last(), QString("listener Error: Socket Error On Receive"));
}

QTEST_GUILESS_MAIN(TestTSockModes)
#include "test_tsockmodes.moc"

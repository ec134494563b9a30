#include "tsockharness.h"

#include "common/errors.h"
#include "common/guard.h"
#include "net/tsock.h"

#include <QtTest>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <memory>

Q_DECLARE_METATYPE(SockAction)

class TestTSock : public QObject {
    Q_OBJECT
private slots:
    void twoMessagesInOneReadComeOutOfOneReceive();
    void messageSplitAcrossReadsArrivesInTwoReceives();
    void sendTransmitsExactlyTheBytesGiven_data();
    void sendTransmitsExactlyTheBytesGiven();
    void peerCloseGivesDisconnectThenSocketClosed_data();
    void peerCloseGivesDisconnectThenSocketClosed();
    void resetConnectionGivesOnlyTheErrorReport();
    void refusedConnectionReportsErrorAndSecondOpenDoesNothing();
    void receiveAfterCloseReturnsBufferedBytesThenRaises();
    void closeReportsOnEveryCallAndNeverRaises();
    void lastReportNamesTheReportBeingMade();
    void listenFalseReportsClosedThenStopped();
    void listenTrueTwiceReportsAlreadyRunning();
    void listenOnPortInUseRaises();
    void listenerBindsTheAddressAsked_data();
    void listenerBindsTheAddressAsked();
    void acceptedObjectReportsSettingsBeforeAcceptReturns();
    void deletingTheSockInsideItsCallbackIsSafe_data();
    void deletingTheSockInsideItsCallbackIsSafe();
    void failuresRaiseTheirMessages_data();
    void failuresRaiseTheirMessages();
    void hostNamesResolveWithoutRegardToCase();
    void largeSendArrivesCompleteAndInOrder();
    void idleConnectionIsQuiet();
    void failedSendReportsAndKeepsTheBuffer();
    void raisingCallbackLeavesTheConnectionReading();
    void listenerOutOfDescriptorsPausesThenAccepts();
    void streamConnectionsSendWritesAtOnce();
};

void TestTSock::twoMessagesInOneReadComeOutOfOneReceive()
{
    QList<QByteArray> receives;
    Server server;
    server.onAccepted = [&](TSock *sock) {
        sock->OnRead = [&](TSock *sender, int) { receives << sender->Receive(); };
    };
    const int peer = rawConnect(server.port());
    QVERIFY(peer >= 0);
    QVERIFY(server.waitAccepted());
    QVERIFY(rawSend(peer, "CMD_a+1\xff"
                          "CMD_b+2\xff"));
    QTRY_VERIFY_WITH_TIMEOUT(!receives.isEmpty(), kWait);
    QCOMPARE(receives, QList<QByteArray>{QByteArray("CMD_a+1\xff"
                                                    "CMD_b+2\xff")});
    ::close(peer);
}

void TestTSock::messageSplitAcrossReadsArrivesInTwoReceives()
{
    QList<QByteArray> receives;
    Server server;
    server.onAccepted = [&](TSock *sock) {
        sock->OnRead = [&](TSock *sender, int) { receives << sender->Receive(); };
    };
    const int peer = rawConnect(server.port());
    QVERIFY(peer >= 0);
    QVERIFY(server.waitAccepted());
    QVERIFY(rawSend(peer, "CMD_chat+1+he"));
    QTRY_COMPARE_WITH_TIMEOUT(receives.size(), 1, kWait);
    QVERIFY(rawSend(peer, "llo\xff"));
    QTRY_COMPARE_WITH_TIMEOUT(receives.size(), 2, kWait);
    QCOMPARE(receives, (QList<QByteArray>{"CMD_chat+1+he", "llo\xff"}));
    ::close(peer);
}

void TestTSock::sendTransmitsExactlyTheBytesGiven_data()
{
    QTest::addColumn<bool>("beforeConnect");
    QTest::newRow("connected") << false;
    QTest::newRow("still connecting: queued") << true;
}

void TestTSock::sendTransmitsExactlyTheBytesGiven()
{
    QFETCH(bool, beforeConnect);
    quint16 port = 0;
    const int listenFd = rawListen(port);
    QVERIFY(listenFd >= 0);
    const QByteArray message("CMD_full+\xff");
    QCOMPARE(message.size(), 10);

    Log log;
    TSock client;
    log.watch(client);
    client.setHostName("127.0.0.1");
    client.setPortName(QString::number(port));
    QCOMPARE(client.Open(), false);
    QCOMPARE(log.lines, (QStringList{"Lookup: Lookup Of Port " + QString::number(port),
                                     "Lookup: Lookup Of Host 127.0.0.1"}));
    if (beforeConnect) {
        QVERIFY(client.Send(message));
        QCOMPARE(client.pendingSendBytes(), qsizetype(10));
    }
    QTRY_VERIFY_WITH_TIMEOUT(client.Connected(), kWait);
    if (!beforeConnect)
        QVERIFY(client.Send(message));
    QTRY_COMPARE_WITH_TIMEOUT(client.pendingSendBytes(), qsizetype(0), kWait);
    // The connect report comes first; the first writable notification after
    // it reports the outgoing data.
    QTRY_VERIFY_WITH_TIMEOUT(log.lines.count("Send: Non-Blocking Outgoing Data") >= 2, kWait);
    const qsizetype connected = log.lines.indexOf("Connect: Non-Blocking Socket Connected");
    QVERIFY(connected > 0);
    QCOMPARE(log.lines.at(connected + 1), QString("connect"));
    QVERIFY(log.lines.indexOf("Send: Non-Blocking Outgoing Data", connected) > connected);

    const int peer = ::accept(listenFd, nullptr, nullptr);
    QVERIFY(peer >= 0);
    client.Close();
    QCOMPARE(rawReadUntilClosed(peer), message);
    ::close(peer);
    ::close(listenFd);
}

void TestTSock::peerCloseGivesDisconnectThenSocketClosed_data()
{
    QTest::addColumn<bool>("closeInOnDisconnect");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("owner leaves it open")
        << false << QStringList{"disconnect", "Close: Socket Closed"};
    QTest::newRow("owner closes it in OnDisconnect")
        << true << QStringList{"disconnect", "Close: Socket Closed", "Close: Socket Closed"};
}

void TestTSock::peerCloseGivesDisconnectThenSocketClosed()
{
    QFETCH(bool, closeInOnDisconnect);
    QFETCH(QStringList, expected);
    Log log;
    Server server;
    server.onAccepted = [&](TSock *sock) {
        log.watch(*sock);
        sock->OnDisconnect = [&](TSock *sender) {
            log.lines << "disconnect";
            if (closeInOnDisconnect)
                sender->Close();
        };
    };
    TSock client;
    client.setHostName("127.0.0.1");
    client.setPortName(QString::number(server.port()));
    client.Open();
    TSock *accepted = server.waitAccepted();
    QVERIFY(accepted);
    QTRY_VERIFY_WITH_TIMEOUT(client.Connected(), kWait);
    QTRY_VERIFY_WITH_TIMEOUT(log.has("Send: Non-Blocking Outgoing Data"), kWait);
    QVERIFY(!log.has("disconnect"));

    client.Close();
    QTRY_VERIFY_WITH_TIMEOUT(log.has("disconnect"), kWait);
    QCOMPARE(log.lines.mid(log.lines.indexOf("disconnect")), expected);
    QVERIFY(!accepted->Connected());
    QCOMPARE(accepted->handle(), -1);
}

void TestTSock::resetConnectionGivesOnlyTheErrorReport()
{
    Log log;
    Server server;
    server.onAccepted = [&](TSock *sock) { log.watch(*sock); };
    const int peer = rawConnect(server.port());
    QVERIFY(peer >= 0);
    TSock *accepted = server.waitAccepted();
    QVERIFY(accepted);
    QTRY_VERIFY_WITH_TIMEOUT(log.has("Send: Non-Blocking Outgoing Data"), kWait);
    log.lines.clear();

    const linger abort{1, 0};
    QCOMPARE(::setsockopt(peer, SOL_SOCKET, SO_LINGER, &abort, sizeof abort), 0);
    ::close(peer);
    QTRY_VERIFY_WITH_TIMEOUT(!log.lines.isEmpty(), kWait);
    // Nothing else follows: no disconnect, no close, and a dead handle that
    // is no longer watched gives no further notifications.
    QTest::qWait(200);
    QCOMPARE(log.lines, QStringList{"Error: Error #10054 (WSAECONNRESET)"});
    QCOMPARE(accepted->lastReport(), TSockReport::ErrorNumber);
    QCOMPARE(accepted->lastErrorNumber(), 10054);
    QVERIFY(isBrokenConnectionError(accepted->lastErrorNumber()));
    QVERIFY(accepted->Connected());
    QVERIFY(accepted->handle() >= 0);
}

void TestTSock::refusedConnectionReportsErrorAndSecondOpenDoesNothing()
{
    const quint16 port = closedPort();
    Log log;
    TSock client;
    log.watch(client);
    client.setHostName("127.0.0.1");
    client.setPortName(QString::number(port));
    QCOMPARE(client.Open(), false);
    QTRY_VERIFY_WITH_TIMEOUT(log.lines.size() > 2, kWait);
    QTest::qWait(200);
    QCOMPARE(log.lines, (QStringList{"Lookup: Lookup Of Port " + QString::number(port),
                                     "Lookup: Lookup Of Host 127.0.0.1",
                                     "Error: Error #10061 (WSAECONNREFUSED)"}));
    QVERIFY(!client.Connected());
    const int handle = client.handle();
    QVERIFY(handle >= 0);

    QCOMPARE(client.Open(), false);
    QTest::qWait(200);
    QCOMPARE(log.lines.size(), 3);
    QCOMPARE(client.handle(), handle);
}

void TestTSock::receiveAfterCloseReturnsBufferedBytesThenRaises()
{
    int reads = 0;
    Server server;
    server.onAccepted = [&](TSock *sock) { sock->OnRead = [&](TSock *, int) { ++reads; }; };
    const int peer = rawConnect(server.port());
    QVERIFY(peer >= 0);
    TSock *accepted = server.waitAccepted();
    QVERIFY(accepted);
    QVERIFY(rawSend(peer, "CMD_kick+\xff"));
    QTRY_VERIFY_WITH_TIMEOUT(reads > 0, kWait);

    QVERIFY(accepted->Close());
    QCOMPARE(accepted->Receive(), QByteArray("CMD_kick+\xff"));
    QCOMPARE(sockErrorOf([&] { accepted->Receive(); }), SockCode(TSockError::ReceiveNotConnected));
    ::close(peer);
}

void TestTSock::closeReportsOnEveryCallAndNeverRaises()
{
    Log log;
    TSock sock;
    log.watch(sock);
    QCOMPARE(sock.Close(), false);
    QCOMPARE(sock.Close(), false);
    QCOMPARE(log.lines, (QStringList{"Close: Socket Closed", "Close: Socket Closed"}));

    sock.OnInfo = [](TSock *, TSocketInfo, const QString &) { throw Error("owner failed"); };
    QCOMPARE(failureOf([&] { sock.Close(); }), QString("<no exception>"));
}

void TestTSock::lastReportNamesTheReportBeingMade()
{
    QList<QPair<TSockReport, QString>> reports;
    QList<int> errorNumbers;
    TSock sock;
    QCOMPARE(sock.lastReport(), TSockReport::None);
    QCOMPARE(sock.lastErrorNumber(), 0);
    sock.OnInfo = [&](TSock *sender, TSocketInfo, const QString &msg) {
        reports.append({sender->lastReport(), msg});
        errorNumbers.append(sender->lastErrorNumber());
    };
    sock.setPortName("0");
    sock.setListen(true);
    sock.setListen(false);
    sock.setHostName("127.0.0.1");
    sock.setPortName(QString::number(closedPort()));
    sock.Open();
    QTRY_COMPARE_WITH_TIMEOUT(reports.size(), 7, kWait);
    QCOMPARE(reports.mid(0, 6),
             (QList<QPair<TSockReport, QString>>{
                 {TSockReport::LookupOfPort, "Lookup Of Port 0"},
                 {TSockReport::ListeningStarted, "Listening Started"},
                 {TSockReport::SocketClosed, "Socket Closed"},
                 {TSockReport::ListeningStopped, "Listening Stopped"},
                 {TSockReport::LookupOfPort, "Lookup Of Port " + sock.PortName()},
                 {TSockReport::LookupOfHost, "Lookup Of Host 127.0.0.1"}}));
    QCOMPARE(reports.last(),
             qMakePair(TSockReport::ErrorNumber, QString("Error #10061 (WSAECONNREFUSED)")));
    QCOMPARE(sock.lastReport(), TSockReport::ErrorNumber);
    // Only the Error report carries a number; a refused connect is no break.
    QCOMPARE(errorNumbers, (QList<int>{0, 0, 0, 0, 0, 0, 10061}));
    QVERIFY(!isBrokenConnectionError(sock.lastErrorNumber()));
    sock.Close();
    QCOMPARE(sock.lastErrorNumber(), 0);
}

void TestTSock::listenFalseReportsClosedThenStopped()
{
    Log log;
    Server server;
    server.listener.OnInfo = log.infoSink();
    QVERIFY(server.port() != 0);
    server.listener.setListen(false);
    QCOMPARE(log.lines, (QStringList{"Close: Socket Closed", "Listen: Listening Stopped"}));
    QVERIFY(!server.listener.Listen());
    QCOMPARE(server.listener.handle(), -1);
}

void TestTSock::listenTrueTwiceReportsAlreadyRunning()
{
    Log log;
    TSock listener;
    listener.OnInfo = log.infoSink();
    listener.setPortName("0");
    listener.setListen(true);
    const int handle = listener.handle();
    listener.setListen(true);
    QCOMPARE(log.lines, (QStringList{"Lookup: Lookup Of Port 0", "Listen: Listening Started",
                                     "Listen: Listening Already Running"}));
    QVERIFY(listener.Listen());
    QCOMPARE(listener.handle(), handle);
}

void TestTSock::listenerBindsTheAddressAsked_data()
{
    QTest::addColumn<bool>("loopbackOnly");
    QTest::addColumn<QStringList>("bound");
    // Every interface is IPv6 and IPv4 in one socket, or IPv4 alone where the
    // system has no IPv6.
    QTest::newRow("every interface") << false << QStringList{"::", "0.0.0.0"};
    QTest::newRow("loopback only") << true << QStringList{"127.0.0.1"};
}

void TestTSock::listenerBindsTheAddressAsked()
{
    QFETCH(bool, loopbackOnly);
    QFETCH(QStringList, bound);
    TSock listener;
    listener.setPortName("0");
    listener.setLoopbackOnly(loopbackOnly);
    listener.setListen(true);
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    QCOMPARE(::getsockname(listener.handle(), reinterpret_cast<sockaddr *>(&local), &length), 0);
    const SockAddress address = SockAddress::fromSystem(local, length);
    QVERIFY2(bound.contains(address.text()), qPrintable(address.text()));
    QVERIFY(address.port() != 0);
}

void TestTSock::listenOnPortInUseRaises()
{
    Server server;
    TSock second;
    second.setPortName(QString::number(server.port()));
    QCOMPARE(sockErrorOf([&] { second.setListen(true); }), SockCode(TSockError::ListenBind));
    QVERIFY(!second.Listen());
    QCOMPARE(second.handle(), -1);
}

void TestTSock::acceptedObjectReportsSettingsBeforeAcceptReturns()
{
    QStringList reports;
    TSock listener;
    listener.OnInfo = [&](TSock *sender, TSocketInfo kind, const QString &msg) {
        reports << (sender == &listener ? "listener " : "accepted ") + socketInfoName(kind) + ": " +
                       msg;
    };
    listener.setPortName("0");
    listener.setListen(true);
    reports.clear();
    QStringList seenWhenAcceptReturned;
    TSock *accepted = nullptr;
    listener.OnAccept = [&](TSock *sender) {
        QVERIFY(sender->Accept(accepted));
        seenWhenAcceptReturned = reports;
    };
    const int peer = rawConnect(listener.localPort());
    QVERIFY(peer >= 0);
    QTRY_VERIFY_WITH_TIMEOUT(accepted, kWait);
    QCOMPARE(seenWhenAcceptReturned,
             (QStringList{"accepted Lookup: Setting PortName While Connected Has No Effect",
                          "accepted Lookup: Setting HostName While Connected Has No Effect",
                          "listener Accept: Created New TSock Structure"}));
    QCOMPARE(accepted->parent(), &listener);
    QVERIFY(accepted->Connected());
    QCOMPARE(accepted->PortName(), QString("0"));
    QCOMPARE(accepted->HostName(), QString("127.0.0.1"));
    ::close(peer);
}

void TestTSock::deletingTheSockInsideItsCallbackIsSafe_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("OnConnect") << "OnConnect";
    QTest::newRow("OnWrite") << "OnWrite";
    QTest::newRow("OnRead") << "OnRead";
    QTest::newRow("OnDisconnect") << "OnDisconnect";
    QTest::newRow("Socket Closed report") << "Socket Closed";
    QTest::newRow("Outgoing Data report") << "Non-Blocking Outgoing Data";
}

void TestTSock::deletingTheSockInsideItsCallbackIsSafe()
{
    QFETCH(QString, where);
    Server server;
    server.onAccepted = [](TSock *sock) { sock->Send("CMD_hello+\xff"); };
    QPointer<TSock> client = new TSock;
    bool armed = true;
    auto deleteOnce = [&](TSock *sender) {
        if (!armed)
            return;
        armed = false;
        delete sender;
    };
    client->OnConnect = [&](TSock *sender) {
        if (where == "OnConnect")
            deleteOnce(sender);
    };
    client->OnWrite = [&](TSock *sender) {
        if (where == "OnWrite")
            deleteOnce(sender);
    };
    client->OnRead = [&](TSock *sender, int) {
        sender->Receive();
        if (where == "OnRead")
            deleteOnce(sender);
    };
    client->OnDisconnect = [&](TSock *sender) {
        if (where == "OnDisconnect")
            deleteOnce(sender);
    };
    client->OnInfo = [&](TSock *sender, TSocketInfo, const QString &msg) {
        if (msg == where)
            deleteOnce(sender);
    };
    client->setHostName("127.0.0.1");
    client->setPortName(QString::number(server.port()));
    client->Open();
    TSock *accepted = server.waitAccepted();
    QVERIFY(accepted);
    if (where == "OnDisconnect" || where == "Socket Closed")
        QTRY_VERIFY_WITH_TIMEOUT(client && client->Connected(), kWait);
    if (client && where == "Non-Blocking Outgoing Data")
        client->Send("CMD_x+\xff");
    if (where == "OnDisconnect" || where == "Socket Closed")
        accepted->Close();
    QTRY_VERIFY_WITH_TIMEOUT(client.isNull(), kWait);
    // Notifications queued for the deleted object are dropped.
    QTest::qWait(100);
    delete client.data();
}

void TestTSock::failuresRaiseTheirMessages_data()
{
    QTest::addColumn<SockAction>("action");
    QTest::addColumn<QString>("message");
    QTest::addColumn<SockCode>("code");
    auto listen = [](TSock &sock) {
        sock.setPortName("0");
        sock.setListen(true);
    };
    auto connectTo = [](TSock &sock, quint16 port) {
        sock.setHostName("127.0.0.1");
        sock.setPortName(QString::number(port));
        sock.Open();
    };
    QTest::newRow("send without handle")
        << SockAction([](TSock &s, quint16) { s.Send("x"); }) << "Send - Socket Not Connected"
        << SockCode(TSockError::SendNotConnected);
    QTest::newRow("send on listener") << SockAction([=](TSock &s, quint16) {
        listen(s);
        s.Send("x");
    }) << "Send - Cannot Send On A Listener Socket"
                                      << SockCode(TSockError::SendOnListener);
    QTest::newRow("receive without handle")
        << SockAction([](TSock &s, quint16) { s.Receive(); }) << "Receive - Socket Not Connected"
        << SockCode(TSockError::ReceiveNotConnected);
    QTest::newRow("receive count on listener") << SockAction([=](TSock &s, quint16) {
        listen(s);
        s.ReceiveCount(3);
    }) << "Receive - Cannot Receive On A Listener Socket"
                                               << SockCode(TSockError::ReceiveOnListener);
    QTest::newRow("accept when not listening") << SockAction([](TSock &s, quint16) {
        TSock *n = nullptr;
        s.Accept(n);
    }) << "Accept - Socket Not In Listening Mode"
                                               << SockCode(TSockError::AcceptNotListening);
    QTest::newRow("send datagram without handle")
        << SockAction([](TSock &s, quint16) { s.SendDatagram("x", "127.0.0.1"); })
        << "SendDatagram - Socket Not Connected" << SockCode(TSockError::SendDatagramNotConnected);
    QTest::newRow("send datagram on stream") << SockAction([=](TSock &s, quint16 port) {
        connectTo(s, port);
        s.SendDatagram("x", "127.0.0.1");
    }) << "SendDatagram - Datagram Send Not Supported On Stream Sockets"
                                             << SockCode(TSockError::SendDatagramOnStream);
    QTest::newRow("receive datagram without handle")
        << SockAction([](TSock &s, quint16) {
               QString host;
               s.ReceiveDatagram(host);
           })
        << "ReceiveDatagram - Socket Not Connected"
        << SockCode(TSockError::ReceiveDatagramNotConnected);
    QTest::newRow("receive datagram on stream") << SockAction([=](TSock &s, quint16 port) {
        connectTo(s, port);
        QString host;
        s.ReceiveDatagram(host);
    }) << "ReceiveDatagram - Datagram Receive Not Supported On Stream Sockets"
                                                << SockCode(TSockError::ReceiveDatagramOnStream);
    QTest::newRow("listen on a connection") << SockAction([=](TSock &s, quint16 port) {
        connectTo(s, port);
        s.setListen(true);
    }) << "Listen - Socket Already In Use" << SockCode(TSockError::ListenInUse);
    QTest::newRow("listen on datagram") << SockAction([](TSock &s, quint16) {
        s.setSocketType(TSocketType::stDatagram);
        s.setListen(true);
    }) << "Listen - Cannot Listen On A Datagram Socket"
                                        << SockCode(TSockError::ListenOnDatagram);
    QTest::newRow("socket type while listening") << SockAction([=](TSock &s, quint16) {
        listen(s);
        s.setSocketType(TSocketType::stDatagram);
    }) << "SocketType - Can't Assign Socket Type While Listening"
                                                 << SockCode(TSockError::TypeWhileListening);
    QTest::newRow("invalid dotted host is not looked up by name")
        << SockAction([](TSock &s, quint16 port) {
               s.setHostName("1.2.3.4.5");
               s.setPortName(QString::number(port));
               s.Open();
           })
        << "Host Lookup - Could Not Find Host Entry" << SockCode(TSockError::HostNotFound);
    QTest::newRow("dotted host with trailing text") << SockAction([](TSock &s, quint16 port) {
        s.setHostName("127.0.0.1 x");
        s.setPortName(QString::number(port));
        s.Open();
    }) << "Host Lookup - Could Not Find Host Entry" << SockCode(TSockError::HostNotFound);
    QTest::newRow("unknown service") << SockAction([](TSock &s, quint16) {
        s.setHostName("127.0.0.1");
        s.setPortName("nosuchlexiclashservice");
        s.Open();
    }) << "Port Lookup - Could Not Find Service Entry"
                                     << SockCode(TSockError::ServiceNotFound);
    QTest::newRow("port beyond range") << SockAction([](TSock &s, quint16) {
        s.setPortName("70000");
        s.setListen(true);
    }) << "Port Lookup - Could Not Find Service Entry"
                                       << SockCode(TSockError::ServiceNotFound);
    QTest::newRow("port with digits then letters") << SockAction([](TSock &s, quint16) {
        s.setPortName("77x2");
        s.setListen(true);
    }) << "'77x2' is not a valid integer value" << SockCode();
    QTest::newRow("OnInfo raises") << SockAction([=](TSock &s, quint16) {
        s.OnInfo = [](TSock *, TSocketInfo, const QString &) { throw Error("boom"); };
        listen(s);
    }) << "Error here" << SockCode(TSockError::CallbackFailed);
}

void TestTSock::failuresRaiseTheirMessages()
{
    QFETCH(SockAction, action);
    QFETCH(QString, message);
    QFETCH(SockCode, code);
    Server server;
    TSock sock;
    QString raisedText = QStringLiteral("<no exception>");
    SockCode raisedCode;
    try {
        action(sock, server.port());
    } catch (const ESockException &e) {
        raisedText = e.message();
        raisedCode = e.code();
    } catch (const Error &e) {
        raisedText = e.message();
    }
    QCOMPARE(raisedCode, code);
    QCOMPARE(raisedText, message);
}

void TestTSock::hostNamesResolveWithoutRegardToCase()
{
    Server server;
    for (const QString name : {"localhost", "LocalHost"}) {
        Log log;
        TSock client;
        log.watch(client);
        client.setHostName(name);
        client.setPortName(QString::number(server.port()));
        client.Open();
        QVERIFY(log.has("Lookup: Lookup Of Host " + name));
        QTRY_VERIFY_WITH_TIMEOUT(client.Connected(), kWait);
    }
    Log log;
    TSock byService;
    log.watch(byService);
    byService.setHostName("127.0.0.1");
    byService.setPortName("discard");
    byService.Open();
    QCOMPARE(log.lines.first(), QString("Lookup: Lookup Of Port discard"));
}

void TestTSock::largeSendArrivesCompleteAndInOrder()
{
    QByteArray received;
    Server server;
    server.onAccepted = [&](TSock *sock) {
        sock->OnRead = [&](TSock *sender, int) { received += sender->Receive(); };
    };
    TSock client;
    client.setHostName("127.0.0.1");
    client.setPortName(QString::number(server.port()));
    client.Open();
    QTRY_VERIFY_WITH_TIMEOUT(client.Connected(), kWait);

    QByteArray data(16 * 1024 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < data.size(); ++i)
        data[i] = char((i * 7 + i / 65536) & 0xFF);
    QVERIFY(client.Send(data));
    QVERIFY(client.pendingSendBytes() > 0);
    QTRY_COMPARE_WITH_TIMEOUT(received.size(), data.size(), 120000);
    QVERIFY(received == data);
    QCOMPARE(client.pendingSendBytes(), qsizetype(0));
}

void TestTSock::idleConnectionIsQuiet()
{
    Log log;
    Server server;
    TSock client;
    log.watch(client);
    client.setHostName("127.0.0.1");
    client.setPortName(QString::number(server.port()));
    client.Open();
    QTRY_VERIFY_WITH_TIMEOUT(log.has("Send: Non-Blocking Outgoing Data"), kWait);
    // A writable socket stays writable: watching it without pending bytes
    // would bring a stream of writable notifications.
    QTest::qWait(200);
    QCOMPARE(log.lines.count("Send: Non-Blocking Outgoing Data"), 1);
    QCOMPARE(log.lines.last(), QString("Send: Non-Blocking Outgoing Data"));
}

void TestTSock::failedSendReportsAndKeepsTheBuffer()
{
    Log log;
    Server server;
    server.onAccepted = [&](TSock *sock) { log.watch(*sock); };
    const int peer = rawConnect(server.port());
    QVERIFY(peer >= 0);
    TSock *accepted = server.waitAccepted();
    QVERIFY(accepted);
    const linger abort{1, 0};
    ::setsockopt(peer, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    ::close(peer);
    QTRY_VERIFY_WITH_TIMEOUT(log.has("Error: Error #10054 (WSAECONNRESET)"), kWait);
    log.lines.clear();

    QVERIFY(accepted->Send("CMD_chat+1+still there?\xff"));
    QCOMPARE(log.lines, (QStringList{"Send: Non-Blocking Outgoing Data",
                                     "Error: Error #10053 (WSAECONNABORTED)"}));
    QCOMPARE(accepted->lastErrorNumber(), 10053);
    QVERIFY(isBrokenConnectionError(accepted->lastErrorNumber()));
    QCOMPARE(accepted->pendingSendBytes(), qsizetype(24));
}

void TestTSock::raisingCallbackLeavesTheConnectionReading()
{
    QStringList errors;
    setErrorHandler([&](const QString &message) { errors << message; });
    QByteArray received;
    Server server;
    server.onAccepted = [&](TSock *sock) {
        sock->OnRead = [&](TSock *sender, int) {
            received += sender->Receive();
            if (errors.isEmpty())
                throw Error("handler failed");
        };
    };
    const int peer = rawConnect(server.port());
    QVERIFY(peer >= 0);
    QVERIFY(server.waitAccepted());
    QVERIFY(rawSend(peer, "one\xff"));
    QTRY_COMPARE_WITH_TIMEOUT(errors, QStringList{"handler failed"}, kWait);
    QVERIFY(rawSend(peer, "two\xff"));
    QTRY_COMPARE_WITH_TIMEOUT(received, QByteArray("one\xfftwo\xff"), kWait);
    setErrorHandler(nullptr);
    ::close(peer);
}

void TestTSock::listenerOutOfDescriptorsPausesThenAccepts()
{
    int asked = 0;
    QStringList reports;
    TSock *accepted = nullptr;
    TSock listener;
    listener.OnInfo = [&](TSock *, TSocketInfo, const QString &msg) { reports << msg; };
    listener.OnAccept = [&](TSock *sender) {
        ++asked;
        sender->Accept(accepted);
    };
    listener.setPortName("0");
    listener.setListen(true);
    const int peer = rawConnect(listener.localPort());
    QVERIFY(peer >= 0);

    // With the descriptor limit at the lowest free number, accept fails.
    rlimit saved{};
    QCOMPARE(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int lowestFree = ::open("/dev/null", O_RDONLY);
    QVERIFY(lowestFree >= 0);
    ::close(lowestFree);
    rlimit tight = saved;
    tight.rlim_cur = rlim_t(lowestFree);
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    const bool failedOnce = QTest::qWaitFor([&] { return asked > 0; }, kWait);
    // A listener that looked again at once would be asked hundreds of times
    // here; it waits before it looks again.
    QTest::qWait(50);
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &saved), 0);
    QVERIFY(failedOnce);
    QCOMPARE(asked, 1);
    QCOMPARE(reports.last(), QString("Could Not Accept Connection"));

    QTRY_VERIFY_WITH_TIMEOUT(accepted, kWait);
    QCOMPARE(asked, 2);
    ::close(peer);
}

// Both ends of a game connection turn off Nagle: a login made of several
// small writes goes out at once instead of waiting for delayed answers.
void TestTSock::streamConnectionsSendWritesAtOnce()
{
    const auto noDelay = [](const TSock &sock) {
        int on = 0;
        socklen_t length = sizeof on;
        return ::getsockopt(sock.handle(), IPPROTO_TCP, TCP_NODELAY, &on, &length) == 0 && on;
    };
    Server server;
    TSock client;
    client.setHostName("127.0.0.1");
    client.setPortName(QString::number(server.port()));
    client.Open();
    QTRY_VERIFY_WITH_TIMEOUT(client.Connected(), kWait);
    const TSock *accepted = server.waitAccepted();
    QVERIFY(accepted);
    QVERIFY(noDelay(client));
    QVERIFY(noDelay(*accepted));
}

QTEST_GUILESS_MAIN(TestTSock)
#include "test_tsock.moc"

#include "portmap/portmapper.h"
#include "portmap/portmapresult.h"

#include <QtTest>

// The words the host is shown for each outcome, and which outside addresses
// the internet cannot reach.
class TestPortMapResult : public QObject {
    Q_OBJECT
private slots:
    void unreachableAddresses_data();
    void unreachableAddresses();
    void messages_data();
    void messages();
    void environmentTurnsMappingOff_data();
    void environmentTurnsMappingOff();
};

void TestPortMapResult::unreachableAddresses_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("unreachable");
    QTest::newRow("public") << "25.88.0.1" << false;
    QTest::newRow("public, next to shared") << "100.128.0.1" << false;
    QTest::newRow("public, next to 172.16/12") << "172.32.0.1" << false;
    QTest::newRow("shared, first") << "100.64.0.1" << true;
    QTest::newRow("shared, last") << "100.127.255.254" << true;
    QTest::newRow("10/8") << "10.1.2.3" << true;
    QTest::newRow("172.16/12") << "172.31.0.9" << true;
    QTest::newRow("192.168/16") << "192.168.1.1" << true;
    QTest::newRow("link-local") << "169.254.3.4" << true;
    QTest::newRow("loopback") << "127.0.0.1" << true;
    QTest::newRow("none") << "0.0.0.0" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("not an address") << "router" << true;
}

void TestPortMapResult::unreachableAddresses()
{
    QFETCH(QString, address);
    QFETCH(bool, unreachable);
    QCOMPARE(isUnreachableFromInternet(address), unreachable);
}

void TestPortMapResult::messages_data()
{
    using Outcome = PortMapResult::Outcome;
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("externalAddress");
    QTest::addColumn<QString>("localAddress");
    QTest::addColumn<QString>("message");
    QTest::newRow("mapped") << int(Outcome::Mapped) << "25.88.0.1"
                            << "10.77.0.2"
                            << "Players on the internet can join this game at 25.88.0.1:7773: "
                               "the router opened the port.";
    QTest::newRow("no answer") << int(Outcome::NoAnswer) << ""
                               << "10.77.0.2"
                               << "The router did not answer, so players outside your local "
                                  "network cannot join yet: forward TCP port 7772 on the router "
                                  "to this computer (10.77.0.2).";
    QTest::newRow("no answer, no address")
        << int(Outcome::NoAnswer) << ""
        << ""
        << "The router did not answer, so players outside your local network cannot join yet: "
           "forward TCP port 7772 on the router to this computer.";
    QTest::newRow("refused") << int(Outcome::Refused) << "25.88.0.1"
                             << "10.77.0.2"
                             << "The router would not open the port, so players outside your "
                                "local network cannot join yet: forward TCP port 7772 on the "
                                "router to this computer (10.77.0.2).";
    QTest::newRow("shared") << int(Outcome::SharedOutside) << "100.64.0.1"
                            << "10.77.0.2"
                            << "The router's outside address (100.64.0.1) is itself private or "
                               "shared (carrier-grade NAT), so forwarding a port cannot help: "
                               "players outside your local network can join over IPv6, or one "
                               "of them can host.";
    QTest::newRow("shared, address untold")
        << int(Outcome::SharedOutside) << ""
        << "10.77.0.2"
        << "The router's outside address is itself private or shared (carrier-grade NAT), so "
           "forwarding a port cannot help: players outside your local network can join over "
           "IPv6, or one of them can host.";
}

void TestPortMapResult::messages()
{
    QFETCH(int, outcome);
    QFETCH(QString, externalAddress);
    QFETCH(QString, localAddress);
    QFETCH(QString, message);
    PortMapResult result;
    result.outcome = PortMapResult::Outcome(outcome);
    result.externalAddress = externalAddress;
    result.externalPort = 7773;
    result.internalPort = 7772;
    result.localAddress = localAddress;
    QCOMPARE(result.message(), message);
}

void TestPortMapResult::environmentTurnsMappingOff_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("unset") << QByteArray() << true;
    QTest::newRow("off") << QByteArray("off") << false;
    QTest::newRow("OFF") << QByteArray("OFF") << false;
    QTest::newRow("on") << QByteArray("on") << true;
}

void TestPortMapResult::environmentTurnsMappingOff()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, enabled);
    if (value.isNull())
        qunsetenv("LEXICLASH_PORTMAP");
    else
        qputenv("LEXICLASH_PORTMAP", value);
    QCOMPARE(PortMapper::enabledByEnvironment(), enabled);
    qunsetenv("LEXICLASH_PORTMAP");
}

QTEST_GUILESS_MAIN(TestPortMapResult)
#include "test_portmapresult.moc"

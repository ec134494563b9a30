#include "tsockharness.h"

#include "net/sockresolve.h"
#include "net/tsock.h"

#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// IPv6 in the socket component: connecting to IPv6 literals, listeners that
// take both families, and the loopback-only listener.
class TestTSockIpv6 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void connectsToIpv6Loopback_data();
    void connectsToIpv6Loopback();
    void listenerTakesIpv4AndIpv6();
    void loopbackOnlyListenerRefusesIpv6AndTakesIpv4();
    void hostLookupReadsBothFamilies_data();
    void hostLookupReadsBothFamilies();
};

namespace {

// A plain IPv6 connection to [::1]:port; -1 when refused.
int rawConnect6(quint16 port)
{
    const int fd = ::socket(AF_INET6, SOCK_STREAM, 0);
    sockaddr_in6 sa{};
    sa.sin6_family = AF_INET6;
    sa.sin6_port = htons(port);
    sa.sin6_addr = in6addr_loopback;
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&sa), sizeof sa) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool ipv6Loopback()
{
    const int fd = ::socket(AF_INET6, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_in6 sa{};
    sa.sin6_family = AF_INET6;
    sa.sin6_addr = in6addr_loopback;
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr *>(&sa), sizeof sa) == 0;
    ::close(fd);
    return bound;
}

} // namespace

void TestTSockIpv6::initTestCase()
{
    if (!ipv6Loopback())
        QSKIP("this machine has no IPv6 loopback address ::1");
}

void TestTSockIpv6::connectsToIpv6Loopback_data()
{
    QTest::addColumn<QString>("host");
    QTest::newRow("bare") << "::1";
    QTest::newRow("brackets") << "[::1]";
    QTest::newRow("long form") << "0:0:0:0:0:0:0:1";
}

void TestTSockIpv6::connectsToIpv6Loopback()
{
    QFETCH(QString, host);
    Server server;
    Log log;
    TSock client;
    log.watch(client);
    client.setHostName(host);
    client.setPortName(QString::number(server.port()));
    client.Open();
    QTRY_VERIFY_WITH_TIMEOUT(client.Connected(), kWait);
    TSock *accepted = server.waitAccepted();
    QVERIFY(accepted);
    QCOMPARE(accepted->HostName(), QString("::1"));
    QVERIFY(log.has("Lookup: Lookup Of Host " + host));

    QByteArray got;
    accepted->OnRead = [&](TSock *sender, int) { got += sender->Receive(); };
    client.Send("CMD_chat+1+hello\xff");
    QTRY_COMPARE_WITH_TIMEOUT(got, QByteArray("CMD_chat+1+hello\xff"), kWait);
}

void TestTSockIpv6::listenerTakesIpv4AndIpv6()
{
    Server server;
    const int v4 = rawConnect(server.port());
    QVERIFY(v4 >= 0);
    TSock *first = server.waitAccepted(0);
    QVERIFY(first);
    // An IPv4 peer on the IPv6 socket is named as IPv4, as before.
    QCOMPARE(first->HostName(), QString("127.0.0.1"));
    const int v6 = rawConnect6(server.port());
    QVERIFY(v6 >= 0);
    TSock *second = server.waitAccepted(1);
    QVERIFY(second);
    QCOMPARE(second->HostName(), QString("::1"));
    ::close(v4);
    ::close(v6);
}

void TestTSockIpv6::loopbackOnlyListenerRefusesIpv6AndTakesIpv4()
{
    TSock listener;
    listener.setLoopbackOnly(true);
    listener.setPortName("0");
    listener.OnAccept = [](TSock *sender) {
        TSock *sock = nullptr;
        sender->Accept(sock);
    };
    listener.setListen(true);
    QVERIFY(listener.LoopbackOnly());
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    QCOMPARE(::getsockname(listener.handle(), reinterpret_cast<sockaddr *>(&bound), &length), 0);
    QCOMPARE(int(bound.sin_family), AF_INET);
    QCOMPARE(ntohl(bound.sin_addr.s_addr), quint32(INADDR_LOOPBACK));
    QCOMPARE(rawConnect6(listener.localPort()), -1);
    const int v4 = rawConnect(listener.localPort());
    QVERIFY(v4 >= 0);
    ::close(v4);
}

void TestTSockIpv6::hostLookupReadsBothFamilies_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("family");
    QTest::addColumn<QString>("text");
    QTest::newRow("dotted") << "127.0.0.1" << AF_INET << "127.0.0.1";
    QTest::newRow("short dotted") << "127.1" << AF_INET << "127.0.0.1";
    QTest::newRow("ipv6") << "2001:db8::20" << AF_INET6 << "2001:db8::20";
    QTest::newRow("ipv6 in brackets") << "[2001:DB8:0::20]" << AF_INET6 << "2001:db8::20";
    QTest::newRow("ipv4 inside ipv6") << "::ffff:10.1.2.3" << AF_INET6 << "10.1.2.3";
    QTest::newRow("name with both prefers ipv4") << "localhost" << AF_INET << "127.0.0.1";
    QTest::newRow("ipv6 with a port is no host") << "[::1]:7772" << SockAddress::kNoFamily << "";
    QTest::newRow("bad ipv6") << "2001:db8::zz" << SockAddress::kNoFamily << "";
    QTest::newRow("empty brackets") << "[]" << SockAddress::kNoFamily << "";
}

void TestTSockIpv6::hostLookupReadsBothFamilies()
{
    QFETCH(QString, name);
    QFETCH(int, family);
    QFETCH(QString, text);
    if (family == SockAddress::kNoFamily) {
        QCOMPARE(sockErrorOf([&] { lookupHost(name); }), SockCode(TSockError::HostNotFound));
        return;
    }
    const SockAddress address = lookupHost(name);
    QCOMPARE(address.family(), family);
    QCOMPARE(address.text(), text);
}

QTEST_GUILESS_MAIN(TestTSockIpv6)
#include "test_tsockipv6.moc"

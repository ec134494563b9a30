#include "net/gameaddress.h"
#include "net/internetreport.h"
#include "net/invitelink.h"

#include <QtTest>

// Addresses typed into the join field and invite links pasted there.
class TestGameAddress : public QObject {
    Q_OBJECT
private slots:
    void readsTypedAddresses_data();
    void readsTypedAddresses();
    void readsInviteLinks_data();
    void readsInviteLinks();
    void linksRoundTrip_data();
    void linksRoundTrip();
    void internetReportsRoundTrip_data();
    void internetReportsRoundTrip();
    void internetReportLinesDropped_data();
    void internetReportLinesDropped();
};

namespace {

constexpr quint16 kDefault = 7772;

void addColumns()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("error");
}

QString notAPort(const QString &port)
{
    return QStringLiteral("\"%1\" is not a port. Write it as address:port, for example "
                          "192.168.1.20:7772.")
        .arg(port);
}

const QString kNoAddress = QStringLiteral(
    "Type the address of the game: a computer's name or its numbers, like 192.168.1.20.");

} // namespace

void TestGameAddress::readsTypedAddresses_data()
{
    addColumns();
    QTest::newRow("name") << "gamebox"
                          << "gamebox" << 7772 << "";
    QTest::newRow("name and port") << "gamebox:7001"
                                   << "gamebox" << 7001 << "";
    QTest::newRow("dotted, blanks around") << "  10.0.0.5:7773 "
                                           << "10.0.0.5" << 7773 << "";
    QTest::newRow("bare ipv6") << "2001:db8::20"
                               << "2001:db8::20" << 7772 << "";
    QTest::newRow("bare ipv6 loopback") << "::1"
                                        << "::1" << 7772 << "";
    QTest::newRow("ipv6 in brackets") << "[::1]"
                                      << "::1" << 7772 << "";
    QTest::newRow("ipv6 in brackets, port") << "[::1]:7772"
                                            << "::1" << 7772 << "";
    QTest::newRow("ipv6 with zone") << "[fe80::1%eth0]:9000"
                                    << "fe80::1%eth0" << 9000 << "";
    QTest::newRow("pasted link") << "lexiclash://10.0.0.5:7001"
                                 << "10.0.0.5" << 7001 << "";
    QTest::newRow("empty") << "   "
                           << "" << 0 << kNoAddress;
    QTest::newRow("blank inside") << "game box"
                                  << "" << 0 << kNoAddress;
    QTest::newRow("colon, no host") << ":7772"
                                    << "" << 0 << kNoAddress;
    QTest::newRow("port of letters") << "gamebox:abc"
                                     << "" << 0 << notAPort("abc");
    QTest::newRow("port zero") << "gamebox:0"
                               << "" << 0 << notAPort("0");
    QTest::newRow("port too big") << "gamebox:65536"
                                  << "" << 0 << notAPort("65536");
    QTest::newRow("port with sign") << "gamebox:+80"
                                    << "" << 0 << notAPort("+80");
    QTest::newRow("empty port") << "gamebox:"
                                << "" << 0 << notAPort("");
    QTest::newRow("text after brackets") << "[::1]x"
                                         << "" << 0 << notAPort("x");
    QTest::newRow("bracket not closed")
        << "[::1:7772"
        << "" << 0
        << "\"[::1:7772\" has a \"[\" without its \"]\". Write an IPv6 address as "
           "[2001:db8::20]:7772.";
    QTest::newRow("ipv4 in brackets")
        << "[10.0.0.5]:7772"
        << "" << 0 << "\"10.0.0.5\" is not an IPv6 address; only IPv6 addresses go in brackets.";
}

void TestGameAddress::readsTypedAddresses()
{
    QFETCH(QString, typed);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, error);
    const GameAddressReading reading = readGameAddress(typed, kDefault);
    QCOMPARE(reading.error, error);
    QCOMPARE(reading.ok(), error.isEmpty());
    if (!reading.ok())
        return;
    QCOMPARE(reading.address.host, host);
    QCOMPARE(int(reading.address.port), port);
}

void TestGameAddress::readsInviteLinks_data()
{
    addColumns();
    const auto bad = [](const QString &link, const QString &why) {
        return QStringLiteral("The invite link \"%1\" cannot be used: %2").arg(link, why);
    };
    const QString onlyAddress =
        QStringLiteral("after lexiclash:// it may hold only the address and port.");
    QTest::newRow("ipv4") << "lexiclash://25.88.0.1:7772"
                          << "25.88.0.1" << 7772 << "";
    QTest::newRow("name") << "lexiclash://gamebox.example.org:7001"
                          << "gamebox.example.org" << 7001 << "";
    QTest::newRow("ipv6") << "lexiclash://[2001:db8::20]:7773"
                          << "2001:db8::20" << 7773 << "";
    QTest::newRow("scheme in capitals") << "LEXICLASH://10.0.0.5:7772"
                                        << "10.0.0.5" << 7772 << "";
    QTest::newRow("slash at the end") << "lexiclash://10.0.0.5:7772/"
                                      << "10.0.0.5" << 7772 << "";
    QTest::newRow("no port") << "lexiclash://10.0.0.5"
                             << "10.0.0.5" << 7772 << "";
    QTest::newRow("host called lexiclash") << "lexiclash://lexiclash:7001"
                                           << "lexiclash" << 7001 << "";
    QTest::newRow("other scheme")
        << "http://10.0.0.5:7772"
        << "" << 0
        << bad("http://10.0.0.5:7772",
               "it must start with lexiclash:// and then the address and port, like "
               "lexiclash://192.168.1.20:7772.");
    QTest::newRow("no slashes")
        << "lexiclash:10.0.0.5:7772"
        << "" << 0
        << bad("lexiclash:10.0.0.5:7772",
               "it must start with lexiclash:// and then the address and port, like "
               "lexiclash://192.168.1.20:7772.");
    QTest::newRow("nothing after scheme")
        << "lexiclash://"
        << "" << 0 << bad("lexiclash://", "it has no address after lexiclash://.");
    QTest::newRow("path") << "lexiclash://10.0.0.5:7772/join"
                          << "" << 0 << bad("lexiclash://10.0.0.5:7772/join", onlyAddress);
    QTest::newRow("query") << "lexiclash://10.0.0.5:7772?x=1"
                           << "" << 0 << bad("lexiclash://10.0.0.5:7772?x=1", onlyAddress);
    QTest::newRow("user") << "lexiclash://ann@10.0.0.5:7772"
                          << "" << 0 << bad("lexiclash://ann@10.0.0.5:7772", onlyAddress);
    QTest::newRow("ipv6 without brackets")
        << "lexiclash://2001:db8::20:7772"
        << "" << 0
        << bad("lexiclash://2001:db8::20:7772", "an IPv6 address in a link goes in brackets, like "
                                                "lexiclash://[2001:db8::20]:7772.");
    QTest::newRow("bad port") << "lexiclash://10.0.0.5:99999"
                              << "" << 0 << bad("lexiclash://10.0.0.5:99999", notAPort("99999"));
    QTest::newRow("no host") << "lexiclash://:7772"
                             << "" << 0 << bad("lexiclash://:7772", kNoAddress);
}

void TestGameAddress::readsInviteLinks()
{
    readsTypedAddresses();
}

void TestGameAddress::linksRoundTrip_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("link");
    QTest::newRow("ipv4") << "25.88.0.1" << 7772 << "lexiclash://25.88.0.1:7772";
    QTest::newRow("ipv6") << "2001:db8::20" << 7773 << "lexiclash://[2001:db8::20]:7773";
    QTest::newRow("name") << "gamebox" << 1024 << "lexiclash://gamebox:1024";
}

void TestGameAddress::linksRoundTrip()
{
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, link);
    const GameAddress address{host, quint16(port)};
    QCOMPARE(inviteLink(address), link);
    const GameAddressReading reading = readInviteLink(link, 1);
    QVERIFY2(reading.ok(), qPrintable(reading.error));
    QCOMPARE(reading.address.host, host);
    QCOMPARE(int(reading.address.port), port);
}

void TestGameAddress::internetReportsRoundTrip_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("mapped, IPv4") << "203.0.113.7" << 7773 << "Open at 203.0.113.7:7773."
                                  << QByteArray("internet\t203.0.113.7\t7773\tOpen at "
                                                "203.0.113.7:7773.\n");
    QTest::newRow("IPv6") << "2001:db8::5" << 7772 << "Over IPv6."
                          << QByteArray("internet\t2001:db8::5\t7772\tOver IPv6.\n");
    QTest::newRow("no outside address") << "" << 0 << "The router did not answer."
                                        << QByteArray("internet\t\t\tThe router did not answer.\n");
    QTest::newRow("tabs and line breaks become spaces")
        << "" << 0 << "one\ttwo\nthree" << QByteArray("internet\t\t\tone two three\n");
    QTest::newRow("not ASCII") << "" << 0 << QString::fromUtf8("Routeur injoignable, José")
                               << QByteArray("internet\t\t\tRouteur injoignable, Jos\xc3\xa9\n");
}

void TestGameAddress::internetReportsRoundTrip()
{
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, message);
    QFETCH(QByteArray, line);
    const QByteArray written = internetReportLine({{host, quint16(port)}, message});
    QCOMPARE(written, line);
    const auto read = readInternetReportLine(written.chopped(1));
    QVERIFY(read.has_value());
    QCOMPARE(read->outside.host, host);
    QCOMPARE(int(read->outside.port), port);
    QCOMPARE(read->message, QString(message).replace('\t', ' ').replace('\n', ' '));
}

void TestGameAddress::internetReportLinesDropped_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("another kind") << QByteArray("status\t\t\tplaying");
    QTest::newRow("too few fields") << QByteArray("internet\t1.2.3.4\t7772");
    QTest::newRow("too many fields") << QByteArray("internet\t1.2.3.4\t7772\ta\tb");
    QTest::newRow("port zero") << QByteArray("internet\t1.2.3.4\t0\tx");
    QTest::newRow("port too large") << QByteArray("internet\t1.2.3.4\t65536\tx");
    QTest::newRow("port not a number") << QByteArray("internet\t1.2.3.4\tport\tx");
}

void TestGameAddress::internetReportLinesDropped()
{
    QFETCH(QByteArray, line);
    QVERIFY(!readInternetReportLine(line).has_value());
}

QTEST_GUILESS_MAIN(TestGameAddress)
#include "test_gameaddress.moc"

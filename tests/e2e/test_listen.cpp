// Where a real copy's server can be reached: a solo game only from this
// machine's loopback, a hosted game from every interface. The other address
// is the machine's own, so nothing leaves the machine.

#include "gameprocess.h"
#include "loopbackport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// The first IPv4 address of this machine that is not a loopback one, or 0.
in_addr_t outsideAddress()
{
    ifaddrs *list = nullptr;
    if (::getifaddrs(&list) != 0)
        return 0;
    in_addr_t found = 0;
    for (const ifaddrs *entry = list; entry && !found; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET)
            continue;
        const in_addr_t address =
            reinterpret_cast<const sockaddr_in *>(entry->ifa_addr)->sin_addr.s_addr;
        if ((ntohl(address) >> 24) != 127)
            found = address;
    }
    ::freeifaddrs(list);
    return found;
}

// True when a TCP connection to address (network order) and port is taken.
bool answers(in_addr_t address, quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = address;
    const bool taken =
        ::connect(fd, reinterpret_cast<const sockaddr *>(&target), sizeof target) == 0;
    ::close(fd);
    return taken;
}
} // namespace

class ListenTest : public QObject {
    Q_OBJECT

private slots:
    void reachableFrom_data();
    void reachableFrom();
};

void ListenTest::reachableFrom_data()
{
    QTest::addColumn<QStringList>("parameters");
    QTest::addColumn<bool>("fromOutside");
    QTest::newRow("solo game: loopback only") << QStringList{} << false;
    QTest::newRow("hosted game: every interface")
        << QStringList{QStringLiteral("Ann"), QStringLiteral("127.0.0.1"), QStringLiteral("true")}
        << true;
}

void ListenTest::reachableFrom()
{
    QFETCH(QStringList, parameters);
    QFETCH(bool, fromOutside);
    const in_addr_t outside = outsideAddress();
    if (!outside)
        QSKIP("this machine has no IPv4 address but loopback, so there is no other address to "
              "try the game's port on");
    QTemporaryDir root(QDir::currentPath() + QStringLiteral("/listenXXXXXX"));
    const quint16 port = unusedLoopbackPort();
    GameProcess copy(root.path(), QStringLiteral("copy"), port);
    QVERIFY(copy.start(parameters));
    QVERIFY(GameProcess::waitFor([&] { return answers(htonl(INADDR_LOOPBACK), port); }));
    QCOMPARE(answers(outside, port), fromOutside);
    QCOMPARE(copy.command("close"), QByteArray("ok"));
    QVERIFY(copy.waitExit());
}

QTEST_GUILESS_MAIN(ListenTest)
#include "test_listen.moc"

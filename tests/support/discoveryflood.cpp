// Sends forged discovery datagrams at a steady rate, for the flood tests and
// the benchmarks.
//
// Usage: discovery_flood KIND RATE SECONDS SOURCES PORT...
//   KIND     queries: the query datagram; games: replies and announcements
//            of a different made-up game each time
//   RATE     datagrams a second
//   SECONDS  how long
//   SOURCES  the address sent from (127.0.0.2), or a range of the last
//            number (127.0.0.3-127.0.0.250), taken in turn
//   PORT...  ports on 127.0.0.1 to send to, taken in turn
// Prints the number of datagrams sent.

#include "discovery/discoverydatagram.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {
int boundSocket(const QByteArray &address)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    if (fd < 0 || ::inet_pton(AF_INET, address.constData(), &local.sin_addr) != 1 ||
        ::bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0) {
        std::fprintf(stderr, "discovery_flood: cannot send from %s\n", address.constData());
        return -1;
    }
    return fd;
}

std::vector<int> sourceSockets(const QByteArray &sources)
{
    std::vector<int> sockets;
    const qsizetype dash = sources.indexOf('-');
    if (dash < 0) {
        sockets.push_back(boundSocket(sources));
        return sockets;
    }
    const QByteArray first = sources.left(dash);
    const QByteArray prefix = first.left(first.lastIndexOf('.') + 1);
    const int from = first.mid(prefix.size()).toInt();
    const int to = sources.mid(sources.lastIndexOf('.') + 1).toInt();
    for (int last = from; last <= to; ++last)
        sockets.push_back(boundSocket(prefix + QByteArray::number(last)));
    return sockets;
}

QByteArray forgedGame(quint32 serial)
{
    discovery::GameInfo info;
    info.gameId = 0x40000000u + serial;
    info.gamePort = quint16(20000 + serial % 40000);
    info.hostName = QStringLiteral("Fake %1").arg(serial);
    info.players = 1 + int(serial % 6);
    info.version = QStringLiteral("1.0.3");
    return serial % 2 ? discovery::encodeAnnouncement(info) : discovery::encodeReply(info);
}
} // namespace

int main(int argc, char *argv[])
{
    if (argc < 6) {
        std::fprintf(stderr, "usage: discovery_flood queries|games RATE SECONDS SOURCES PORT...\n");
        return 2;
    }
    const QByteArray kind = argv[1];
    const double rate = QByteArray(argv[2]).toDouble();
    const double seconds = QByteArray(argv[3]).toDouble();
    const std::vector<int> sockets = sourceSockets(argv[4]);
    std::vector<sockaddr_in> targets;
    for (int i = 5; i < argc; ++i) {
        sockaddr_in target{};
        target.sin_family = AF_INET;
        target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        target.sin_port = htons(quint16(QByteArray(argv[i]).toUInt()));
        targets.push_back(target);
    }
    for (const int fd : sockets) {
        if (fd < 0)
            return 1;
    }
    const QByteArray query = discovery::encodeQuery();
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const auto total = quint64(rate * seconds);
    quint64 sent = 0;
    while (sent < total) {
        // As many as are due by now, then a short sleep.
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        const auto due = std::min(total, quint64(elapsed * rate));
        for (; sent < due; ++sent) {
            const QByteArray datagram = kind == "queries" ? query : forgedGame(quint32(sent));
            const sockaddr_in &target = targets[sent % targets.size()];
            ::sendto(sockets[sent % sockets.size()], datagram.constData(), size_t(datagram.size()),
                     0, reinterpret_cast<const sockaddr *>(&target), sizeof target);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::printf("%llu\n", static_cast<unsigned long long>(sent));
    for (const int fd : sockets)
        ::close(fd);
    return 0;
}

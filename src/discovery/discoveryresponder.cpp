#include "discovery/discoveryresponder.h"

#include "common/guard.h"

DiscoveryResponder::DiscoveryResponder(std::function<discovery::GameInfo()> describe,
                                       QObject *parent)
    : QObject(parent)
    , describe_(std::move(describe))
    , socket_(this)
{
    connect(&socket_, &QUdpSocket::readyRead, this, [this] { guarded([this] { readPending(); }); });
}

bool DiscoveryResponder::start(quint16 port)
{
    stop();
    lastReplies_.fill(Clock::time_point{});
    repliesSent_ = 0;
    return socket_.bind(QHostAddress::AnyIPv4, port, QUdpSocket::DefaultForPlatform);
}

void DiscoveryResponder::stop()
{
    socket_.close();
}

bool DiscoveryResponder::running() const
{
    return socket_.state() == QAbstractSocket::BoundState;
}

quint16 DiscoveryResponder::port() const
{
    return socket_.localPort();
}

QString DiscoveryResponder::errorString() const
{
    return socket_.errorString();
}

void DiscoveryResponder::readPending()
{
    // One byte more than a query: a longer datagram is cut there and refused.
    char buffer[discovery::kQuerySize + 1];
    while (socket_.hasPendingDatagrams()) {
        QHostAddress sender;
        quint16 senderPort = 0;
        const qint64 size = socket_.readDatagram(buffer, sizeof buffer, &sender, &senderPort);
        if (size < 0)
            break;
        if (senderPort == 0 || !discovery::isQuery(QByteArrayView(buffer, size)))
            continue;
        if (!replyAllowed(Clock::now()))
            continue;
        const QByteArray reply = discovery::encodeReply(describe_());
        socket_.writeDatagram(reply, sender, senderPort);
        ++repliesSent_;
    }
}

bool DiscoveryResponder::replyAllowed(Clock::time_point now)
{
    // The slot of the oldest of the last replies: free when that reply is a
    // second old, so no second ever holds more than the limit.
    Clock::time_point &oldest = lastReplies_[next_];
    if (oldest != Clock::time_point{} && now - oldest < std::chrono::seconds(1))
        return false;
    oldest = now;
    next_ = (next_ + 1) % lastReplies_.size();
    return true;
}

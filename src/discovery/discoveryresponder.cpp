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
    budget_.reset();
    repliesSent_ = 0;
    return socket_.bind(QHostAddress::AnyIPv4, port,
                        QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
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
    // The socket stays readable, so what is left over is read on the next turn.
    for (int read = 0; read < kReadBatch && socket_.hasPendingDatagrams(); ++read) {
        QHostAddress sender;
        quint16 senderPort = 0;
        const qint64 size = socket_.readDatagram(buffer, sizeof buffer, &sender, &senderPort);
        if (size < 0)
            break;
        if (senderPort == 0 || !discovery::isQuery(QByteArrayView(buffer, size)))
            continue;
        if (!budget_.allow(sender, discovery::ReplyBudget::Clock::now()))
            continue;
        const discovery::GameInfo info = describe_();
        const QByteArray reply = discovery::encodeReply(info);
        socket_.writeDatagram(reply, sender, senderPort);
        ++repliesSent_;
        // The mark follows only while both together are no larger than the
        // query, so that a forged sender address still gains nothing.
        if (info.dedicated && reply.size() + discovery::kServerMarkSize <= discovery::kQuerySize)
            socket_.writeDatagram(discovery::encodeServerMark(info), sender, senderPort);
    }
}

#include "serverharness.h"

#include "net/messages.h"

ServerHarness::ServerHarness()
{
    server.setHostOptions(&options);
    server.steptimersbyhand();
    server.Sock1()->setPortName(QStringLiteral("0"));
    server.Sock1()->setListen(true);
    port = server.Sock1()->localPort();
}

TestClient *ServerHarness::connect()
{
    auto client = std::make_unique<TestClient>();
    if (!client->connectTo(port))
        return nullptr;
    TestClient *raw = client.get();
    clients_.push_back(std::move(client));
    if (!wait([raw] { return raw->seat() != 0 || raw->closed(); }))
        return nullptr;
    return raw;
}

TestClient *ServerHarness::join(const QByteArray &name, const QByteArray &version)
{
    TestClient *client = connect();
    if (!client || client->seat() == 0)
        return nullptr;
    const int seat = client->seat();
    client->send(Msg::logininfo(seat, version, name));
    const QByteArray own = Msg::newplayerinfo(seat, name).chopped(1);
    // Every seat is told of the login; wait until all have heard it.
    const bool told = wait([this, own] {
        for (TestClient *other : all()) {
            if (other->fd() >= 0 && !other->closed() && other->seat() != 0 &&
                !other->received().contains(own))
                return false;
        }
        return true;
    });
    // The introductions to the other seats follow the login; the barrier
    // waits them out.
    if (!told || !barrier(client))
        return nullptr;
    return client;
}

QList<TestClient *> ServerHarness::all() const
{
    QList<TestClient *> list;
    for (const auto &client : clients_)
        list.append(client.get());
    return list;
}

bool ServerHarness::wait(const std::function<bool()> &condition, int timeoutMs)
{
    return waitUntil(condition, all(), timeoutMs);
}

bool ServerHarness::barrier(TestClient *from)
{
    const QByteArray text = "barrier " + QByteArray::number(++barriers_);
    from->send(Msg::chat(from->seat(), text, "clBlack"));
    return wait([this, text] {
        for (TestClient *client : all()) {
            if (client->fd() < 0 || client->closed())
                continue;
            bool seen = false;
            for (const QByteArray &message : client->received())
                seen = seen || (message.startsWith("CMD_chat+") && message.contains(text + "|"));
            if (!seen)
                return false;
        }
        return true;
    });
}

bool ServerHarness::deliver(TestClient *from, const QByteArray &message)
{
    const qsizetype before = server.queuelength();
    from->send(message);
    return wait([this, before] { return server.queuelength() > before; });
}

void ServerHarness::stepcountdownto(int seconds)
{
    while (server.state().countdown > seconds)
        server.roundtimerTimer();
}

void ServerHarness::runout()
{
    stepcountdownto(1);
    server.roundtimerTimer();
}

bool ServerHarness::startGame(TestClient *host, int rounds, int seconds, int type, bool show)
{
    host->send(Msg::startgameRequest("P1", rounds, seconds, type, show));
    return wait([this] {
        for (TestClient *client : all()) {
            if (client->fd() >= 0 && !client->closed() &&
                client->withCommand(Cmd::startround).isEmpty())
                return false;
        }
        return true;
    });
}

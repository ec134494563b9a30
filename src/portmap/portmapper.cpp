#include "portmap/portmapper.h"

#include "portmap/gatewayclient.h"

#include <QThread>

PortMapper::PortMapper(QObject *parent)
    : QObject(parent)
    , thread_(std::make_unique<QThread>())
    , worker_(std::make_unique<QObject>())
    , client_(std::make_shared<GatewayClient>())
{
    thread_->setObjectName(QStringLiteral("portmap"));
    worker_->moveToThread(thread_.get());
    renewal_.setSingleShot(false);
    connect(&renewal_, &QTimer::timeout, this, &PortMapper::renewTimer);
    thread_->start();
}

PortMapper::~PortMapper()
{
    renewal_.stop();
    client_->finish();
    // The worker's last jobs, in order: the removal, its own return to this
    // thread (so that it is deleted here, where it then lives), the end of
    // the thread's loop.
    const std::shared_ptr<GatewayClient> client = client_;
    QObject *worker = worker_.get();
    QThread *home = thread();
    QThread *loop = thread_.get();
    QMetaObject::invokeMethod(worker, [client, worker, home, loop] {
        client->unmap();
        worker->moveToThread(home);
        loop->quit();
    });
    thread_->wait();
}

bool PortMapper::enabledByEnvironment()
{
    return qEnvironmentVariable("LEXICLASH_PORTMAP")
               .compare(QLatin1String("off"), Qt::CaseInsensitive) != 0;
}

void PortMapper::setLeaseSeconds(int seconds)
{
    leaseSeconds_ = qMax(seconds, 2);
}

int PortMapper::leaseSeconds() const
{
    return leaseSeconds_;
}

void PortMapper::start(quint16 port)
{
    const std::shared_ptr<GatewayClient> client = client_;
    const int lease = leaseSeconds_;
    QMetaObject::invokeMethod(worker_.get(), [this, client, port, lease] {
        const PortMapResult result = client->map(port, port, lease);
        QMetaObject::invokeMethod(this, [this, result] { takeResult(result, false); });
    });
}

void PortMapper::renewTimer()
{
    const std::shared_ptr<GatewayClient> client = client_;
    const int lease = leaseSeconds_;
    QMetaObject::invokeMethod(worker_.get(), [this, client, lease] {
        const PortMapResult result = client->renew(lease);
        QMetaObject::invokeMethod(this, [this, result] { takeResult(result, true); });
    });
}

void PortMapper::takeResult(const PortMapResult &result, bool renewal)
{
    const bool changed = !renewal || result.outcome != last_.outcome ||
                         result.externalPort != last_.externalPort ||
                         result.externalAddress != last_.externalAddress;
    last_ = result;
    if (result.outcome == PortMapResult::Outcome::Mapped)
        renewal_.start(leaseSeconds_ * 1000 / 2);
    else
        renewal_.stop();
    if (changed)
        emit finished(result);
}

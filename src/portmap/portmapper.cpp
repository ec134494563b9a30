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
    stop();
    // Quit after the removal: the worker takes its jobs in order.
    QThread *thread = thread_.get();
    QMetaObject::invokeMethod(worker_.get(), [thread] { thread->quit(); });
    if (thread_->wait(kRemoveWaitMs)) {
        worker_.reset();
        return;
    }
    // A router that hangs past the wait: the program is ending, and the
    // thread stuck in its call is left to the exit rather than cut off.
    qWarning("lexiclash: the router did not answer the removal of the port mapping in time");
    (void)thread_.release();
    (void)worker_.release();
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

void PortMapper::stop()
{
    renewal_.stop();
    last_ = PortMapResult();
    const std::shared_ptr<GatewayClient> client = client_;
    QMetaObject::invokeMethod(worker_.get(), [client] { client->unmap(); });
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

bool PortMapper::mapped() const
{
    return last_.outcome == PortMapResult::Outcome::Mapped;
}

void PortMapper::takeResult(const PortMapResult &result, bool renewal)
{
    const bool changed = !renewal || result.outcome != last_.outcome ||
                         result.externalPort != last_.externalPort ||
                         result.externalAddress != last_.externalAddress;
    last_ = result;
    if (mapped())
        renewal_.start(leaseSeconds_ * 1000 / 2);
    else
        renewal_.stop();
    if (changed)
        emit finished(result);
}

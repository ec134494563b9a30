#include "lobby/gameprobe.h"

#include "common/errors.h"
#include "net/tsock.h"

#include <QTimer>

GameProbe::GameProbe(QObject *parent)
    : QObject(parent)
{
}

GameProbe::~GameProbe() = default;

void GameProbe::start(const QString &address, quint16 port)
{
    if (busy_)
        return;
    busy_ = true;
    sock_ = std::make_unique<TSock>();
    sock_->setHostName(address);
    sock_->setPortName(QString::number(port));
    sock_->OnConnect = [this](TSock *sock) {
        sock->Close();
        finish(true);
    };
    sock_->OnInfo = [this](TSock *, TSocketInfo info, const QString &) {
        if (info == TSocketInfo::siError)
            finish(false);
    };
    try {
        sock_->Open();
    } catch (const Error &) {
        finish(false);
    }
}

void GameProbe::finish(bool answered)
{
    if (!busy_)
        return;
    busy_ = false;
    sock_->OnConnect = nullptr;
    sock_->OnInfo = nullptr;
    // The socket is still on the stack of its own report.
    QTimer::singleShot(0, this, [this] {
        if (!busy_)
            sock_.reset();
    });
    if (onDone)
        onDone(answered);
}

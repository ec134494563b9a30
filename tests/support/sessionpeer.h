#pragma once

#include "net/tsock.h"

#include <QByteArray>
#include <QList>

// The far end of a client session's connection for window tests: a loopback
// listener on a port the system chose that keeps every byte the session sends.
struct SessionPeer {
    TSock listener;
    TSock *conn = nullptr;
    QByteArray got;

    SessionPeer()
    {
        listener.setPortName(QStringLiteral("0"));
        listener.OnAccept = [this](TSock *sender) {
            if (!sender->Accept(conn))
                return;
            conn->OnRead = [this](TSock *s, int) { got += s->Receive(); };
        };
        listener.setListen(true);
    }
    // The port to open the session on.
    QString port() const { return QString::number(listener.localPort()); }
    // The messages received so far, terminators removed.
    QList<QByteArray> messages() const
    {
        QList<QByteArray> all = got.split('\xFF');
        all.removeLast();
        return all;
    }
};

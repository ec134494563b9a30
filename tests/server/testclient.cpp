#include "testclient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

bool waitUntil(const std::function<bool()> &condition, const QList<TestClient *> &clients,
               int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        for (TestClient *client : clients)
            client->poll();
        if (condition())
            return true;
        if (clock.elapsed() > timeoutMs)
            return false;
        QThread::msleep(1);
    }
}

void settle(const QList<TestClient *> &clients, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        for (TestClient *client : clients)
            client->poll();
        QThread::msleep(1);
    }
}

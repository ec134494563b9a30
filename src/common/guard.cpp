#include "common/guard.h"

#include "common/errors.h"

#include <QDebug>

#include <exception>

namespace {
std::function<void(const QString &)> &handlerSlot()
{
    static std::function<void(const QString &)> handler;
    return handler;
}
std::function<void(const QString &)> &noticeSlot()
{
    static std::function<void(const QString &)> handler;
    return handler;
}
} // namespace

void setNoticeHandler(std::function<void(const QString &)> handler)
{
    noticeSlot() = std::move(handler);
}

void reportNotice(const QString &message)
{
    if (noticeSlot()) {
        noticeSlot()(message);
        return;
    }
    reportError(message);
}

void setErrorHandler(std::function<void(const QString &)> handler)
{
    handlerSlot() = std::move(handler);
}

void reportError(const QString &message)
{
    if (handlerSlot()) {
        handlerSlot()(message);
        return;
    }
    qWarning().noquote() << "Lexiclash:" << message;
}

void runGuarded(const std::function<void()> &entry)
{
    try {
        entry();
    } catch (const Error &e) {
        reportError(e.message());
    } catch (const std::exception &e) {
        reportError(QString::fromUtf8(e.what()));
    } catch (...) {
        reportError(QStringLiteral("Unknown error"));
    }
}

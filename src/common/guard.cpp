#include "common/guard.h"

#include "common/errors.h"
#include "common/replaceablehandler.h"

#include <QDebug>

#include <exception>

namespace {
ReplaceableHandler<void(const QString &)> &errorHandler()
{
    static ReplaceableHandler<void(const QString &)> handler(
        [](const QString &message) { qWarning().noquote() << "Lexiclash:" << message; });
    return handler;
}
ReplaceableHandler<void(const QString &)> &noticeHandler()
{
    static ReplaceableHandler<void(const QString &)> handler(
        [](const QString &message) { reportError(message); });
    return handler;
}
} // namespace

void setNoticeHandler(std::function<void(const QString &)> handler)
{
    noticeHandler().set(std::move(handler));
}

void reportNotice(const QString &message)
{
    noticeHandler()(message);
}

void setErrorHandler(std::function<void(const QString &)> handler)
{
    errorHandler().set(std::move(handler));
}

void reportError(const QString &message)
{
    errorHandler()(message);
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

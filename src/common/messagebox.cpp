#include "common/messagebox.h"

#include "common/replaceablehandler.h"

#include <QDebug>

namespace {
ReplaceableHandler<void(const QString &)> &messageBox()
{
    static ReplaceableHandler<void(const QString &)> handler(
        [](const QString &text) { qWarning().noquote() << "Lexiclash message:" << text; });
    return handler;
}
} // namespace

void setMessageBoxHandler(std::function<void(const QString &)> handler)
{
    messageBox().set(std::move(handler));
}

void showMessage(const QString &text)
{
    messageBox()(text);
}

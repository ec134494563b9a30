#include "common/messagebox.h"

#include <QDebug>

namespace {
std::function<void(const QString &)> &handlerSlot()
{
    static std::function<void(const QString &)> handler;
    return handler;
}
} // namespace

void setMessageBoxHandler(std::function<void(const QString &)> handler)
{
    handlerSlot() = std::move(handler);
}

void showMessage(const QString &text)
{
    if (handlerSlot()) {
        handlerSlot()(text);
        return;
    }
    qWarning().noquote() << "Lexiclash message:" << text;
}

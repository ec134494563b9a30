#include "lobby/lobbyaccess.h"

#include "lobby/lobbywindow.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {
QAccessibleInterface *lobbyAccess(const QString &, QObject *object)
{
    auto *window = dynamic_cast<LobbyWindow *>(object);
    if (window && window->isWindow())
        return new QAccessibleWidget(window, QAccessible::Window);
    return nullptr;
}
} // namespace

void installLobbyAccess()
{
    static const bool installed = [] {
        QAccessible::installFactory(lobbyAccess);
        return true;
    }();
    Q_UNUSED(installed);
}

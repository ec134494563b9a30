#include "lobby/lobbygamepage.h"

#include "common/ports.h"

#include <QLabel>
#include <QVBoxLayout>

namespace {
// Wide enough for two addresses on a line, narrow enough to stay out of the
// game's way.
constexpr int kTextWidth = 340;
} // namespace

LobbyGamePage::LobbyGamePage(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("page_ingame"));
    auto *column = new QVBoxLayout(this);
    label_ingame = new QLabel(this);
    label_ingame->setObjectName(QStringLiteral("label_ingame"));
    label_ingame->setWordWrap(true);
    label_ingame->setFixedWidth(kTextWidth);
    label_invite = new QLabel(this);
    label_invite->setObjectName(QStringLiteral("label_invite"));
    label_invite->setWordWrap(true);
    label_invite->setFixedWidth(kTextWidth);
    // Friends are told the address, so it can be selected and copied, also
    // from the keyboard.
    label_invite->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label_invite->setFocusPolicy(Qt::StrongFocus);
    column->addWidget(label_ingame);
    column->addWidget(label_invite);
    column->addStretch();
}

void LobbyGamePage::setText(QLabel *label, const QString &text)
{
    label->setText(text);
    label->setAccessibleName(text);
    label->setVisible(!text.isEmpty());
}

void LobbyGamePage::showJoined(const QString &hostPlayer)
{
    setText(label_ingame, QStringLiteral("In a game hosted by %1.\n\nThis window comes back "
                                         "when the game ends.")
                              .arg(hostPlayer));
    setText(label_invite, QString());
}

void LobbyGamePage::showHosting(const QStringList &addresses, const QString &port)
{
    setText(label_ingame, QStringLiteral("You host a game. Closing this window does not end "
                                         "it.\n\nThis window comes back when the game ends."));
    if (addresses.isEmpty()) {
        setText(label_invite,
                QStringLiteral("This machine has no network address now: only games on this "
                               "machine can join."));
        return;
    }
    const bool usualPort = port == QString::number(kDefaultGamePort);
    QStringList typed;
    for (const QString &address : addresses)
        typed << (usualPort ? address : address + QLatin1Char(':') + port);
    setText(label_invite,
            QStringLiteral("Friends on your network find the game in their lobby's list, or "
                           "join by address: %1.\n\nPlayers outside your local network need TCP "
                           "port %2 forwarded to this machine, and your router's outside "
                           "address.")
                .arg(typed.join(QStringLiteral(", ")), port));
}

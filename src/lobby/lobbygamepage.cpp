#include "lobby/lobbygamepage.h"

#include "common/ports.h"

#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>

LobbyGamePage::LobbyGamePage(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("page_ingame"));
    auto *column = new QVBoxLayout(this);
    label_ingame = new QLabel(this);
    label_ingame->setObjectName(QStringLiteral("label_ingame"));
    label_invite = new QLabel(this);
    label_invite->setObjectName(QStringLiteral("label_invite"));
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
    // Lines broken by hand keep the page small, whatever the font.
    setText(label_ingame, QStringLiteral("You host a game. Closing this window does not end "
                                         "it.\nThis window comes back when the game ends."));
    if (addresses.isEmpty()) {
        setText(label_invite,
                QStringLiteral("This machine has no network address now:\nonly games on this "
                               "machine can join."));
        return;
    }
    const bool usualPort = port == QString::number(kDefaultGamePort);
    QString typed;
    for (const QString &address : addresses)
        typed +=
            QStringLiteral("\n    ") + (usualPort ? address : address + QLatin1Char(':') + port);
    setText(label_invite,
            QStringLiteral("Friends on your network find the game in their lobby's list,\nor "
                           "join by address:%1\n\nPlayers outside your local network need TCP "
                           "port %2\nforwarded to this machine, and your router's outside "
                           "address.")
                .arg(typed, port));
}

void showPageAlone(QStackedWidget *pages, QWidget *page)
{
    for (int index = 0; index < pages->count(); ++index) {
        const QSizePolicy::Policy policy =
            pages->widget(index) == page ? QSizePolicy::Preferred : QSizePolicy::Ignored;
        pages->widget(index)->setSizePolicy(policy, policy);
    }
    pages->setCurrentWidget(page);
}

void placeInCorner(QWidget *window)
{
    const QScreen *display = window->screen();
    if (!display)
        return;
    const QRect room = display->availableGeometry();
    const QSize outer = window->frameGeometry().size();
    window->move(room.right() + 1 - outer.width(), room.bottom() + 1 - outer.height());
}

bool askOkCancel(QWidget *parent, const QString &question)
{
    return QMessageBox::question(parent, parent->windowTitle(), question,
                                 QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Ok) == QMessageBox::Ok;
}

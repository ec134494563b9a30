#include "lobby/lobbygamepage.h"

#include "common/ports.h"
#include "net/internetreport.h"
#include "net/invitelink.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
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
    label_internet = new QLabel(this);
    label_internet->setObjectName(QStringLiteral("label_internet"));
    button_copyinvite = new QPushButton(QStringLiteral("&Copy invite link"), this);
    button_copyinvite->setObjectName(QStringLiteral("button_copyinvite"));
    button_copyinvite->setAccessibleName(QStringLiteral("Copy invite link"));
    column->addWidget(label_ingame);
    column->addWidget(label_invite);
    column->addWidget(label_internet);
    column->addWidget(button_copyinvite, 0, Qt::AlignLeft);
    column->addStretch();
    setTabOrder(label_invite, button_copyinvite);
    connect(button_copyinvite, &QPushButton::clicked, this, [this] { copyInviteClick(); });
    setLink(QString());
}

namespace {
// The longest line of the page's own texts, in characters.
constexpr qsizetype kLineLength = 60;

// A sentence broken at spaces into lines of at most kLineLength characters
// (a longer word keeps a line of its own): lines broken here keep the page
// small, as its other texts are.
QString brokenIntoLines(const QString &sentence)
{
    QString text;
    qsizetype lineLength = 0;
    for (const QString &word : sentence.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (lineLength > 0 && lineLength + 1 + word.size() > kLineLength) {
            text += QLatin1Char('\n');
            lineLength = 0;
        } else if (lineLength > 0) {
            text += QLatin1Char(' ');
            ++lineLength;
        }
        text += word;
        lineLength += word.size();
    }
    return text;
}
} // namespace

QString hostingInviteLink(const GameAddress &outside, const QStringList &ownAddresses, quint16 port)
{
    if (!outside.host.isEmpty())
        return inviteLink(outside);
    if (ownAddresses.isEmpty())
        return {};
    const GameAddressReading own = readHostAndPort(ownAddresses.front(), port);
    return own.ok() ? inviteLink(own.address) : QString();
}

void LobbyGamePage::setLink(const QString &link)
{
    link_ = link;
    button_copyinvite->setVisible(!link.isEmpty());
    button_copyinvite->setToolTip(link);
    button_copyinvite->setAccessibleDescription(link);
}

void LobbyGamePage::copyInviteClick()
{
    if (link_.isEmpty())
        return;
    QApplication::clipboard()->setText(link_);
    setText(label_internet,
            brokenIntoLines(internet_) + QStringLiteral("\n\n") +
                brokenIntoLines(QStringLiteral("Copied %1: paste it to your friends.").arg(link_)));
}

void LobbyGamePage::showInternet(const InternetReport &report)
{
    internet_ = report.message;
    setText(label_internet, brokenIntoLines(internet_));
    setLink(hostingInviteLink(report.outside, addresses_, port_));
}

void LobbyGamePage::setText(QLabel *label, const QString &text)
{
    label->setText(text);
    label->setAccessibleName(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    label->setVisible(!text.isEmpty());
}

void LobbyGamePage::showJoined(const QString &hostPlayer)
{
    setText(label_ingame, QStringLiteral("In a game hosted by %1.\n\nThis window comes back "
                                         "when the game ends.")
                              .arg(hostPlayer));
    setText(label_invite, QString());
    setText(label_internet, QString());
    setLink(QString());
}

void LobbyGamePage::showHosting(const QStringList &addresses, const QString &port)
{
    // Lines broken by hand keep the page small, whatever the font.
    setText(label_ingame, QStringLiteral("You host a game. Closing this window does not end "
                                         "it.\nThis window comes back when the game ends."));
    addresses_ = addresses;
    port_ = quint16(port.toUInt());
    setLink(hostingInviteLink({}, addresses_, port_));
    internet_ = QStringLiteral("Asking the router to let players on the internet join...");
    setText(label_internet, internet_);
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
                           "join by address:%1")
                .arg(typed));
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

#include "lobby/lobbywindow.h"

#include "common/errors.h"
#include "common/guard.h"
#include "common/paths.h"
#include "common/ports.h"
#include "common/version.h"
#include "lobby/firewallhint.h"
#include "lobby/gamelistmodel.h"
#include "lobby/gamelistview.h"
#include "lobby/gameprobe.h"
#include "lobby/lobbyaccess.h"
#include "lobby/lobbygamepage.h"
#include "lobby/lobbylook.h"
#include "lobby/lobbysession.h"
#include "net/gameaddress.h"
#include "net/invitelink.h"
#include "net/tsock.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHostInfo>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkInterface>
#include <QPalette>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

namespace {
constexpr int kMaxNameLength = 24;
constexpr int kRecentAddresses = 5;
// Addresses typed by the player are cut to this in messages, so that a long
// one never widens the window.
constexpr int kShownAddressLength = 48;
QString settingsPath()
{
    return QDir(dataFolder()).filePath(QStringLiteral("lexiclash-lobby.ini"));
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAccessibleName(text);
    return label;
}

QString shortened(const QString &text)
{
    return text.size() <= kShownAddressLength ? text
                                              : text.left(kShownAddressLength - 1) + QChar(0x2026);
}

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAccessibleName(text.simplified().remove(QLatin1Char('&')));
    return button;
}
} // namespace

LobbyWindow::LobbyWindow(QWidget *parent)
    : QWidget(parent)
    , browser_(this)
    , out_(stdout)
    , err_(stderr)
{
    setObjectName(QStringLiteral("LobbyWindow"));
    setWindowTitle(QStringLiteral("Lexiclash - Play with others"));
    setAccessibleName(QStringLiteral("Lexiclash lobby"));
    installLobbyAccess();
    probe_ = new GameProbe(this);
    games_ = new GameListModel(
        [this]() -> const auto & { return browser_.games(); }, this);
    build();
    applyLook();
    loadSettings();
    browser_.onChanged = [this] { games_->changed(); };
    for (const auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(games_, signal, this, [this] { refreshGames(); });
    askToLeave = [this](const QString &question) { return askOkCancel(this, question); };
    refreshGames();
}

LobbyWindow::~LobbyWindow()
{
    browser_.onChanged = nullptr;
}

void LobbyWindow::build()
{
    pages_ = new QStackedWidget(this);
    pages_->setObjectName(QStringLiteral("pages"));
    auto *outer = new QVBoxLayout(this);
    outer->addWidget(pages_);

    auto *page = new QWidget(pages_);
    page->setObjectName(QStringLiteral("page_list"));
    auto *grid = new QGridLayout(page);

    grid->addWidget(
        makeLabel(page, QStringLiteral("label_title"), QStringLiteral("Play with others")), 0, 0, 1,
        3);

    auto *nameLabel = makeLabel(page, QStringLiteral("label_name"), QStringLiteral("Your &name:"));
    nameLabel->setAccessibleName(QStringLiteral("Your name"));
    edit_name = new QLineEdit(page);
    edit_name->setObjectName(QStringLiteral("edit_name"));
    edit_name->setAccessibleName(QStringLiteral("Your name"));
    edit_name->setMaxLength(kMaxNameLength);
    nameLabel->setBuddy(edit_name);
    label_nameproblem = makeLabel(page, QStringLiteral("label_nameproblem"), QString());
    label_nameproblem->setAccessibleName(QStringLiteral("Name problem"));
    grid->addWidget(nameLabel, 1, 0);
    grid->addWidget(edit_name, 1, 1);
    grid->addWidget(label_nameproblem, 1, 2);
    connect(edit_name, &QLineEdit::textChanged, this,
            [this](const QString &text) { showNameProblem(nameProblem(text)); });

    button_host = makeButton(page, QStringLiteral("button_host"), QStringLiteral("&Host a game"));
    grid->addWidget(button_host, 2, 1, Qt::AlignLeft);

    auto *gamesLabel =
        makeLabel(page, QStringLiteral("label_games"), QStringLiteral("&Games on your network:"));
    gamesLabel->setAccessibleName(QStringLiteral("Games on your network"));
    grid->addWidget(gamesLabel, 3, 0, 1, 3);
    list_games = new GameListView(games_, page);
    list_games->setObjectName(QStringLiteral("list_games"));
    list_games->setAccessibleName(QStringLiteral("Games on your network"));
    list_games->setMinimumHeight(150);
    gamesLabel->setBuddy(list_games);
    grid->addWidget(list_games, 4, 0, 1, 3);
    label_hint = new FirewallHint(browser_, page);
    grid->addWidget(label_hint, 5, 0, 1, 3);
    button_join = makeButton(page, QStringLiteral("button_join"), QStringLiteral("&Join"));
    grid->addWidget(button_join, 6, 1, Qt::AlignLeft);

    auto *addressLabel =
        makeLabel(page, QStringLiteral("label_address"), QStringLiteral("Join by &address:"));
    addressLabel->setAccessibleName(QStringLiteral("Join by address"));
    combo_address = new QComboBox(page);
    combo_address->setObjectName(QStringLiteral("combo_address"));
    combo_address->setAccessibleName(QStringLiteral("Address of the game"));
    combo_address->setEditable(true);
    combo_address->setInsertPolicy(QComboBox::NoInsert);
    // The field keeps its width, however long the address in it.
    combo_address->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo_address->setMinimumContentsLength(24);
    combo_address->lineEdit()->setPlaceholderText(
        QStringLiteral("name or 1.2.3.4, :port if not 7772"));
    combo_address->lineEdit()->setAccessibleName(QStringLiteral("Address of the game"));
    addressLabel->setBuddy(combo_address);
    button_joinaddress = makeButton(page, QStringLiteral("button_joinaddress"),
                                    QStringLiteral("Join &that address"));
    grid->addWidget(addressLabel, 7, 0);
    grid->addWidget(combo_address, 7, 1);
    grid->addWidget(button_joinaddress, 7, 2, Qt::AlignLeft);

    label_status = makeLabel(page, QStringLiteral("label_status"), QString());
    label_status->setAccessibleName(QStringLiteral("Status"));
    label_status->setWordWrap(true);
    grid->addWidget(label_status, 8, 0, 1, 3);

    label_addresses = makeLabel(page, QStringLiteral("label_addresses"), QString());
    label_addresses->setWordWrap(true);
    label_addresses->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(label_addresses, 9, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    pages_->addWidget(page);

    page_ingame = new LobbyGamePage(pages_);
    pages_->addWidget(page_ingame);

    setTabOrder(edit_name, button_host);
    setTabOrder(button_host, list_games);
    setTabOrder(list_games, button_join);
    setTabOrder(button_join, combo_address);
    setTabOrder(combo_address, button_joinaddress);

    connect(button_host, &QPushButton::clicked, this, [this] { guarded([this] { hostClick(); }); });
    connect(button_join, &QPushButton::clicked, this, [this] { guarded([this] { joinClick(); }); });
    connect(list_games, &QAbstractItemView::activated, this,
            [this] { guarded([this] { joinClick(); }); });
    connect(button_joinaddress, &QPushButton::clicked, this,
            [this] { guarded([this] { joinAddressClick(); }); });
    connect(combo_address->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { guarded([this] { joinAddressClick(); }); });
}

void LobbyWindow::applyLook()
{
    setStyleSheet(lobbyStyleSheet());
    // Style sheets leave the hint text of empty fields to the palette.
    QPalette hints = combo_address->lineEdit()->palette();
    hints.setColor(QPalette::PlaceholderText, QColor(0xa8, 0xb4, 0xc0));
    combo_address->lineEdit()->setPalette(hints);
    const QStringList addresses = ownAddresses();
    const QString where = addresses.isEmpty()
                              ? QStringLiteral("This machine has no network address now.")
                              : QStringLiteral("Others can join you at %1.")
                                    .arg(addresses.join(QStringLiteral(", ")));
    label_addresses->setText(
        where + QStringLiteral(" When you host, the game asks your router to let players on the "
                               "internet join, and tells you here how that went."));
    label_addresses->setAccessibleName(label_addresses->text());
}

QString LobbyWindow::nameProblem(const QString &name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("Type a name first.");
    if (name.size() > kMaxNameLength)
        return QStringLiteral("Use at most %1 letters.").arg(kMaxNameLength);
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            return QStringLiteral("A name cannot hold control characters.");
    }
    return {};
}

QStringList LobbyWindow::ownAddresses()
{
    QStringList addresses;
    for (const QHostAddress &address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            addresses << address.toString();
        else if (address.protocol() == QAbstractSocket::IPv6Protocol && address.isGlobal() &&
                 !address.isUniqueLocalUnicast())
            addresses << QStringLiteral("[%1]").arg(address.toString());
    }
    return addresses;
}

bool LobbyWindow::inGame() const
{
    return session_ != nullptr;
}

qint64 LobbyWindow::gamePid() const
{
    return session_ ? session_->gamePid() : 0;
}

void LobbyWindow::loadSettings()
{
    const QSettings settings(settingsPath(), QSettings::IniFormat);
    edit_name->setText(
        settings.value(QStringLiteral("name"), loginName()).toString().left(kMaxNameLength));
    combo_address->addItems(
        settings.value(QStringLiteral("addresses")).toStringList().mid(0, kRecentAddresses));
    combo_address->setCurrentIndex(combo_address->count() > 0 ? 0 : -1);
}

void LobbyWindow::saveSettings()
{
    QSettings settings(settingsPath(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("name"), edit_name->text());
    QStringList addresses;
    for (int i = 0; i < combo_address->count(); ++i)
        addresses << combo_address->itemText(i);
    settings.setValue(QStringLiteral("addresses"), addresses);
}

bool LobbyWindow::checkName()
{
    const QString problem = nameProblem(edit_name->text());
    showNameProblem(problem);
    if (problem.isEmpty())
        return true;
    showError(problem);
    edit_name->setFocus();
    return false;
}

void LobbyWindow::showNameProblem(const QString &problem)
{
    label_nameproblem->setText(problem);
    label_nameproblem->setAccessibleName(problem.isEmpty() ? QStringLiteral("Name problem")
                                                           : problem);
}

QString LobbyWindow::offerInvite(const QString &link)
{
    combo_address->setEditText(link.trimmed());
    const GameAddressReading reading = readInviteLink(link, quint16(gamePortName().toUInt()));
    if (!reading.ok()) {
        showError(reading.error);
        combo_address->setFocus();
        return {};
    }
    const QString where = gameAddressText(reading.address);
    showError(QString());
    label_status->setText(
        QStringLiteral("Press \"Join that address\" to join the game at %1.").arg(where));
    button_joinaddress->setFocus();
    return where;
}

void LobbyWindow::showError(const QString &text)
{
    label_status->setProperty("error", !text.isEmpty());
    label_status->setStyleSheet(QString());
    label_status->setText(text);
    label_status->setAccessibleName(text.isEmpty() ? QStringLiteral("Status") : text);
}

void LobbyWindow::refreshGames()
{
    list_games->chooseFirstIfNone();
    button_join->setEnabled(games_->rowCount() > 0);
    label_hint->hintTimerTimer();
}

void LobbyWindow::hostClick()
{
    if (!checkName())
        return;
    // Only one game can listen on the game port of a machine.
    TSock check;
    check.setPortName(gamePortName());
    try {
        check.setListen(true);
    } catch (const Error &) {
        showError(QStringLiteral("TCP port %1 is already in use on this machine. Is another game "
                                 "running here? Close it, or join it instead.")
                      .arg(gamePortName()));
        return;
    }
    check.setListen(false);
    LobbyOptions options;
    options.action = LobbyOptions::Action::Play;
    options.playerName = edit_name->text().trimmed();
    options.hostAddress = QStringLiteral("127.0.0.1");
    options.hosting = true;
    startGame(options, options.playerName);
}

void LobbyWindow::joinClick()
{
    if (probe_->busy())
        return;
    const int row = list_games->currentGameRow();
    const discovery::ListedGame *game = games_->game(row);
    if (!game) {
        showError(QStringLiteral("Choose a game in the list first."));
        return;
    }
    if (!checkName())
        return;
    if (!games_->sameVersion(row)) {
        showError(game->info.otherFormat
                      ? QStringLiteral("That is a game of another version; yours is %1. Both "
                                       "sides need the same version.")
                            .arg(QLatin1String(kVersionText))
                      : QStringLiteral("That game runs version %1 and yours is %2. Both sides "
                                       "need the same version.")
                            .arg(game->info.version, QLatin1String(kVersionText)));
        return;
    }
    // The game is joined where it was heard from, once it still answers there:
    // a listed game may have ended since its last announcement.
    const QString hostPlayer = GameListModel::shownName(game->info.hostName);
    probeAndJoin(hostPlayer, QString(), game->address.toString(), game->info.gamePort,
                 QStringLiteral("%1's game no longer answers. It may have just ended; the list "
                                "shows the games that are still there.")
                     .arg(shortened(hostPlayer)));
}

void LobbyWindow::joinAddressClick()
{
    // Enter in the field while an address is still being tried.
    if (!button_joinaddress->isEnabled())
        return;
    if (!checkName())
        return;
    const QString text = combo_address->currentText().trimmed();
    const GameAddressReading reading = readGameAddress(text, quint16(gamePortName().toUInt()));
    if (!reading.ok()) {
        showError(reading.error);
        combo_address->setFocus();
        return;
    }
    const QString host = reading.address.host;
    const quint16 port = reading.address.port;
    showError(QString());
    label_status->setText(QStringLiteral("Looking for %1...").arg(shortened(host)));
    setJoinButtonsEnabled(false);
    QHostInfo::lookupHost(host, this, [this, host, text, port](const QHostInfo &found) {
        guarded([&] {
            // IPv4 where the name has it, else IPv6.
            QHostAddress address;
            for (const QHostAddress &candidate : found.addresses()) {
                if (candidate.protocol() == QAbstractSocket::IPv4Protocol) {
                    address = candidate;
                    break;
                }
                if (candidate.protocol() == QAbstractSocket::IPv6Protocol && address.isNull())
                    address = candidate;
            }
            if (address.isNull()) {
                setJoinButtonsEnabled(true);
                showError(QStringLiteral("No computer called \"%1\" was found. Check the "
                                         "spelling, or use its numbers.")
                              .arg(shortened(host)));
                return;
            }
            probeAndJoin(host, text, address.toString(), port,
                         QStringLiteral("Nobody answers at %1 port %2. Is a game hosted there, "
                                        "and is the port open to you?")
                             .arg(shortened(host))
                             .arg(port));
        });
    });
}

void LobbyWindow::setJoinButtonsEnabled(bool enabled)
{
    button_joinaddress->setEnabled(enabled);
    button_join->setEnabled(enabled && games_->rowCount() > 0);
}

void LobbyWindow::probeAndJoin(const QString &typedHost, const QString &typed,
                               const QString &address, quint16 port, const QString &silence)
{
    const QString host = shortened(typedHost);
    setJoinButtonsEnabled(false);
    probe_->onDone = [this, host, typed, address, port, silence](bool answered) {
        setJoinButtonsEnabled(true);
        if (!answered) {
            showError(silence);
            return;
        }
        // Only an address that answered is worth offering again.
        rememberAddress(typed);
        LobbyOptions options;
        options.action = LobbyOptions::Action::Play;
        options.playerName = edit_name->text().trimmed();
        options.hostAddress = address;
        options.gamePort = QString::number(port);
        options.hosting = false;
        startGame(options, host);
    };
    probe_->start(address, port);
}

void LobbyWindow::rememberAddress(const QString &address)
{
    if (address.isEmpty())
        return;
    QStringList addresses{address};
    for (int i = 0; i < combo_address->count(); ++i) {
        if (combo_address->itemText(i) != address)
            addresses << combo_address->itemText(i);
    }
    combo_address->clear();
    combo_address->addItems(addresses.mid(0, kRecentAddresses));
    combo_address->setCurrentIndex(0);
    saveSettings();
}

void LobbyWindow::startGame(LobbyOptions options, const QString &hostPlayer)
{
    saveSettings();
    // The game that opened this window may still be closing.
    options.fromGame = true;
    session_ = std::make_unique<LobbySession>(options, out_, err_);
    session_->onProblem = [this](const QString &problem) {
        showError(QStringLiteral("The game could not be started: %1.").arg(problem));
    };
    session_->onFinished = [this](int exitCode) {
        // The session is still on the stack of its own report.
        QTimer::singleShot(0, this, [this, exitCode] { guarded([&] { gameEnded(exitCode); }); });
    };
    session_->onInternet = [this](const InternetReport &report) {
        page_ingame->showInternet(report);
        // The small page grows to the new words, in its corner.
        layout()->activate();
        resize(minimumSizeHint());
        placeInCorner(this);
    };
    showError(QString());
    if (options.hosting)
        page_ingame->showHosting(ownAddresses(), gamePortName());
    else
        page_ingame->showJoined(hostPlayer);
    showGameLook(true);
    browser_.stop();
    session_->start();
}

void LobbyWindow::showGameLook(bool inGame)
{
    if (inGame)
        listGeometry_ = saveGeometry();
    showPageAlone(pages_, inGame ? page_ingame : pages_->widget(0));
    layout()->activate();
    if (!inGame) {
        if (!listGeometry_.isEmpty())
            restoreGeometry(listGeometry_);
        return;
    }
    resize(minimumSizeHint());
    placeInCorner(this);
}

void LobbyWindow::gameEnded(int exitCode)
{
    session_.reset();
    showGameLook(false);
    showError(QString());
    label_status->setText(LobbySession::endReport(exitCode));
    label_status->setAccessibleName(label_status->text().isEmpty() ? QStringLiteral("Status")
                                                                   : label_status->text());
    if (isVisible())
        startLooking();
    refreshGames();
}

void LobbyWindow::leave()
{
    leaving_ = true;
    close();
}

void LobbyWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!inGame())
        startLooking();
}

void LobbyWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The small page keeps to its corner: a window system takes a new size
    // some time after it was asked for, so the place follows the size.
    if (inGame())
        placeInCorner(this);
}

void LobbyWindow::startLooking()
{
    if (!browser_.start()) {
        showError(QStringLiteral("Games on your network cannot be looked for now."));
        return;
    }
    label_hint->lookingBegan();
}

void LobbyWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    browser_.stop();
    label_hint->lookingEnded();
}

void LobbyWindow::closeEvent(QCloseEvent *event)
{
    if (session_ && session_->gameRunning() && !leaving_ && askToLeave &&
        !askToLeave(QStringLiteral("A game is running. It goes on without the lobby."))) {
        event->ignore();
        return;
    }
    saveSettings();
    if (session_)
        session_->leave();
    QWidget::closeEvent(event);
}

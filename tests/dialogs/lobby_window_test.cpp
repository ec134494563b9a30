#include "discovery/discoveryresponder.h"
#include "hostedgame.h"
#include "lobby/firewallhint.h"
#include "lobby/gamelistmodel.h"
#include "lobby/lobbysession.h"
#include "lobby/lobbywindow.h"
#include "loopbackport.h"
#include "net/tsock.h"

#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTreeView>
#include <QtTest>
#include <QUdpSocket>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>

namespace {

// The processes this test has started and not yet reaped.
QList<qint64> childProcesses()
{
    QList<qint64> children;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile file(tasks.filePath(task + QStringLiteral("/children")));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &pid : file.readAll().split(' ')) {
            if (!pid.trimmed().isEmpty())
                children << pid.trimmed().toLongLong();
        }
    }
    return children;
}

// True while the process runs (a game started by the window is this test's
// child, so an ended one is reaped here).
bool gameRuns(qint64 pid)
{
    int status = 0;
    return pid > 0 && ::waitpid(pid_t(pid), &status, WNOHANG) == 0;
}
} // namespace

// The lobby window on the offscreen platform, against real hosting copies of
// the game on private ports.
class LobbyWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void listsGamesAndJoinsTheChosenOne();
    void joinByAddressWhereNobodyListens();
    void addressRememberedOnceItAnswered_data();
    void addressRememberedOnceItAnswered();
    void refusesAGameOfAnotherVersion();
    void addressesThatCannotBeUsed_data();
    void addressesThatCannotBeUsed();
    void offersAnInviteLink_data();
    void offersAnInviteLink();
    void namesTheGameCannotCarry_data();
    void namesTheGameCannotCarry();
    void hostingWhenTheGamePortIsTaken();
    void closingLeavesTheGamePlaying_data();
    void closingLeavesTheGamePlaying();
    void joinFromTheListWhenTheGameIsGone();
    void everyControlIsNamedAndInTabOrder();
    void firewallHintAfterTenQuietSeconds();
    void namesThatShowNothing_data();
    void namesThatShowNothing();
    void sortsByTheColumnClicked();
    void showsADedicatedHostAsAServer();
    void longTextsKeepTheWindowsWidth();
    void presentsItselfAsAWindow();

private:
    template <typename T> T *control(const char *name)
    {
        return window_->findChild<T *>(QString::fromLatin1(name));
    }
    QString status() { return control<QLabel>("label_status")->text(); }
    QTreeView *list() { return control<QTreeView>("list_games"); }
    int rows() { return list()->model()->rowCount(); }
    QString cell(int row, int column)
    {
        return list()->model()->index(row, column).data().toString();
    }

    std::unique_ptr<LobbyWindow> window_;
    std::vector<std::unique_ptr<HostedGame>> hosts_;
    std::unique_ptr<QTemporaryDir> runtime_;
    qint64 game_ = 0;
};

void LobbyWindowTest::initTestCase()
{
    // The copies this window starts have their own presence port and
    // single-instance scope.
    qputenv("LEXICLASH_LOBBY_PORT", "0");
    qputenv("LEXICLASH_INSTANCE", "lobbywindow");
    qputenv("LEXICLASH_DISCOVERY_PORT", QByteArray::number(unusedLoopbackUdpPort()));
    // The games' guard sockets and word lists stay in a folder of the test.
    runtime_ = std::make_unique<QTemporaryDir>();
    QVERIFY(runtime_->isValid());
    qputenv("XDG_RUNTIME_DIR", runtime_->path().toUtf8());
}

void LobbyWindowTest::init()
{
    qputenv("LEXICLASH_PORT", QByteArray::number(unusedLoopbackPort()));
    window_ = std::make_unique<LobbyWindow>();
    window_->browser().setTargets({});
}

void LobbyWindowTest::cleanup()
{
    // A game the window started outlives it: whatever a test left running,
    // it ends here.
    if (window_ && window_->gamePid() > 0)
        game_ = window_->gamePid();
    window_.reset();
    hosts_.clear();
    if (gameRuns(game_)) {
        ::kill(pid_t(game_), SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(!gameRuns(game_), 30000);
    }
    game_ = 0;
}

void LobbyWindowTest::listsGamesAndJoinsTheChosenOne()
{
    QList<DiscoveryBrowser::Target> targets;
    std::vector<quint16> gamePorts;
    for (const char *name : {"Ann", "Cid"}) {
        auto host = std::make_unique<HostedGame>(QStringLiteral(LOBBY_PROGRAM));
        const quint16 gamePort = unusedLoopbackPort();
        const quint16 discoveryPort = unusedLoopbackUdpPort();
        QVERIFY(host->start({"host", name}, gamePort, discoveryPort, QString("host") + name));
        targets.append({QHostAddress(QHostAddress::LocalHost), discoveryPort});
        gamePorts.push_back(gamePort);
        hosts_.push_back(std::move(host));
    }
    for (const auto &host : hosts_)
        QTRY_VERIFY_WITH_TIMEOUT(host->gameConnected(), 60000);

    window_->browser().setTargets(targets);
    control<QLineEdit>("edit_name")->setText("Bob");
    window_->show();
    // Each host's own player may still be logging in when its game is found.
    const auto bothSeated = [this] {
        return rows() == 2 && cell(0, 2) == QLatin1String("1 of 6") &&
               cell(1, 2) == QLatin1String("1 of 6");
    };
    QTRY_VERIFY_WITH_TIMEOUT(bothSeated(), 30000);
    int cid = -1;
    for (int row = 0; row < 2; ++row) {
        QCOMPARE(cell(row, 2), QStringLiteral("1 of 6"));
        QCOMPARE(cell(row, 3), QStringLiteral("0"));
        QCOMPARE(cell(row, 4), QStringLiteral("waiting"));
        QCOMPARE(cell(row, 5), QStringLiteral("1.0.3 (yours)"));
        if (cell(row, 0) == "Cid")
            cid = row;
    }
    QVERIFY(cid >= 0);
    QCOMPARE(cell(cid, 1), QStringLiteral("127.0.0.1:%1").arg(gamePorts[1]));

    // Chosen from the keyboard: the row, then Enter.
    list()->setFocus();
    list()->setCurrentIndex(list()->model()->index(cid, 0));
    QTest::keyClick(list(), Qt::Key_Return);
    QTRY_VERIFY(window_->inGame());
    QCOMPARE(control<QStackedWidget>("pages")->currentIndex(), 1);
    QVERIFY(control<QLabel>("label_ingame")->text().startsWith("In a game hosted by Cid."));

    // The host's side: Cid's server now seats two players.
    DiscoveryBrowser watcher;
    watcher.setTargets({targets[1]});
    QVERIFY(watcher.start());
    QTRY_VERIFY_WITH_TIMEOUT(!watcher.games().empty() && watcher.games().front().info.players == 2,
                             60000);
    QCOMPARE(watcher.games().front().info.hostName, QStringLiteral("Cid"));

    // Cid stops hosting: the joined game closes and the window lists again.
    hosts_[1]->stop();
    QTRY_VERIFY_WITH_TIMEOUT(!window_->inGame(), 60000);
    QCOMPARE(control<QStackedWidget>("pages")->currentIndex(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(rows(), 1, 30000);
    QCOMPARE(cell(0, 0), QStringLiteral("Ann"));
}

void LobbyWindowTest::joinByAddressWhereNobodyListens()
{
    control<QLineEdit>("edit_name")->setText("Bob");
    window_->show();
    const quint16 port = unusedLoopbackPort();
    auto *address = control<QComboBox>("combo_address");
    address->setEditText(QStringLiteral("127.0.0.1:%1").arg(port));
    QTest::keyClick(address->lineEdit(), Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(status().startsWith("Nobody answers at 127.0.0.1 port"), 30000);
    QVERIFY(!window_->inGame());
    QVERIFY(control<QPushButton>("button_joinaddress")->isEnabled());
    QCOMPARE(control<QStackedWidget>("pages")->currentIndex(), 0);
    // Still usable: the same address is tried again and answered the same way.
    control<QPushButton>("button_joinaddress")->click();
    QTRY_VERIFY_WITH_TIMEOUT(status().startsWith("Nobody answers"), 30000);
    // An address that never answered is not offered again.
    QCOMPARE(address->findText(QStringLiteral("127.0.0.1:%1").arg(port)), -1);
}

void LobbyWindowTest::addressRememberedOnceItAnswered_data()
{
    QTest::addColumn<QString>("form");
    QTest::newRow("dotted numbers") << "127.0.0.1:%1";
    QTest::newRow("IPv6 in brackets") << "[::1]:%1";
    QTest::newRow("invite link") << "lexiclash://[::1]:%1";
}

void LobbyWindowTest::addressRememberedOnceItAnswered()
{
    QFETCH(QString, form);
    auto host = std::make_unique<HostedGame>(QStringLiteral(LOBBY_PROGRAM));
    const quint16 gamePort = unusedLoopbackPort();
    QVERIFY(host->start({"host", "Ann"}, gamePort, unusedLoopbackUdpPort(), "hostremember"));
    hosts_.push_back(std::move(host));
    QTRY_VERIFY_WITH_TIMEOUT(hosts_.back()->gameConnected(), 60000);
    control<QLineEdit>("edit_name")->setText("Bob");
    window_->show();
    auto *address = control<QComboBox>("combo_address");
    const QString typed = form.arg(gamePort);
    address->setEditText(typed);
    QTest::keyClick(address->lineEdit(), Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(window_->inGame() && window_->gamePid() > 0, 30000);
    // The joined game outlives the window; cleanup ends it.
    game_ = window_->gamePid();
    QCOMPARE(address->itemText(0), typed);
}

void LobbyWindowTest::refusesAGameOfAnotherVersion()
{
    // A host of an older version, answering as its responder would.
    DiscoveryResponder older(
        [] { return discovery::GameInfo{5, 7772, "Dee", 2, 1, true, 3, 5, "0.9.1"}; });
    QVERIFY(older.start(0));
    window_->browser().setTargets({{QHostAddress(QHostAddress::LocalHost), older.port()}});
    control<QLineEdit>("edit_name")->setText("Bob");
    window_->show();
    QTRY_COMPARE_WITH_TIMEOUT(rows(), 1, 30000);
    QCOMPARE(cell(0, 0), QStringLiteral("Dee"));
    QCOMPARE(cell(0, 2), QStringLiteral("2 of 6"));
    QCOMPARE(cell(0, 3), QStringLiteral("1"));
    QCOMPARE(cell(0, 4), QStringLiteral("round 3 of 5"));
    QCOMPARE(cell(0, 5), QStringLiteral("0.9.1 (yours is 1.0.3)"));
    control<QPushButton>("button_join")->click();
    QCOMPARE(status(), QStringLiteral("That game runs version 0.9.1 and yours is 1.0.3. Both "
                                      "sides need the same version."));
    QVERIFY(!window_->inGame());
}

void LobbyWindowTest::addressesThatCannotBeUsed_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("error");
    QTest::newRow("empty") << ""
                           << "Type the address of the game";
    QTest::newRow("port not a number") << "127.0.0.1:abc"
                                       << "\"abc\" is not a port.";
    QTest::newRow("port too large") << "127.0.0.1:70000"
                                    << "\"70000\" is not a port.";
    QTest::newRow("port 0") << "127.0.0.1:0"
                            << "\"0\" is not a port.";
    QTest::newRow("name that cannot be found") << "no..such"
                                               << "No computer called \"no..such\"";
    QTest::newRow("IPv6 bracket not closed") << "[::1:7772"
                                             << "\"[::1:7772\" has a \"[\" without its \"]\".";
    QTest::newRow("invite link with a path")
        << "lexiclash://127.0.0.1:7772/join"
        << "The invite link \"lexiclash://127.0.0.1:7772/join\" cannot be used:";
}

void LobbyWindowTest::addressesThatCannotBeUsed()
{
    QFETCH(QString, address);
    QFETCH(QString, error);
    control<QLineEdit>("edit_name")->setText("Bob");
    window_->show();
    control<QComboBox>("combo_address")->setEditText(address);
    window_->joinAddressClick();
    QTRY_VERIFY_WITH_TIMEOUT(status().startsWith(error), 30000);
    QVERIFY(!window_->inGame());
    QTRY_VERIFY(control<QPushButton>("button_joinaddress")->isEnabled());
}

void LobbyWindowTest::offersAnInviteLink_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("shown");
    QTest::newRow("IPv4") << "lexiclash://25.88.0.1:7001"
                          << "25.88.0.1:7001"
                          << "Press \"Join that address\" to join the game at 25.88.0.1:7001.";
    QTest::newRow("IPv6") << "lexiclash://[2001:db8::20]:7772"
                          << "[2001:db8::20]:7772"
                          << "Press \"Join that address\" to join the game at "
                             "[2001:db8::20]:7772.";
    QTest::newRow("malformed") << "lexiclash://2001:db8::20:7772"
                               << ""
                               << "The invite link \"lexiclash://2001:db8::20:7772\" cannot be "
                                  "used: an IPv6 address in a link goes in brackets, like "
                                  "lexiclash://[2001:db8::20]:7772.";
}

// A link the lobby was started with waits in the join field; nothing is
// joined before the player presses the button.
void LobbyWindowTest::offersAnInviteLink()
{
    QFETCH(QString, link);
    QFETCH(QString, where);
    QFETCH(QString, shown);
    window_->show();
    QCOMPARE(window_->offerInvite(link), where);
    QCOMPARE(control<QComboBox>("combo_address")->currentText(), link);
    QCOMPARE(status(), shown);
    QVERIFY(!window_->inGame());
}

void LobbyWindowTest::namesTheGameCannotCarry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("problem");
    QTest::newRow("empty") << ""
                           << "Type a name first.";
    QTest::newRow("only spaces") << "   "
                                 << "Type a name first.";
    QTest::newRow("a tab") << "A\tB"
                           << "A name cannot hold control characters.";
    QTest::newRow("a line feed") << "A\nB"
                                 << "A name cannot hold control characters.";
    QTest::newRow("fine") << "Zoë"
                          << "";
}

void LobbyWindowTest::namesTheGameCannotCarry()
{
    QFETCH(QString, name);
    QFETCH(QString, problem);
    window_->show();
    control<QLineEdit>("edit_name")->setText(name);
    QCOMPARE(control<QLabel>("label_nameproblem")->text(), problem);
    if (problem.isEmpty())
        return;
    window_->hostClick();
    QCOMPARE(status(), problem);
    window_->joinAddressClick();
    QCOMPARE(status(), problem);
    QVERIFY(!window_->inGame());
}

void LobbyWindowTest::hostingWhenTheGamePortIsTaken()
{
    TSock holder;
    holder.setPortName("0");
    holder.setListen(true);
    qputenv("LEXICLASH_PORT", QByteArray::number(holder.localPort()));
    control<QLineEdit>("edit_name")->setText("Ann");
    window_->show();
    control<QPushButton>("button_host")->click();
    QVERIFY2(status().startsWith(QStringLiteral("TCP port %1 is already in use on this machine.")
                                     .arg(holder.localPort())),
             qPrintable(status()));
    QVERIFY(!window_->inGame());
}

void LobbyWindowTest::closingLeavesTheGamePlaying_data()
{
    QTest::addColumn<bool>("bySignal");
    QTest::newRow("close box, asked first") << false;
    QTest::newRow("SIGTERM, not asked") << true;
}

void LobbyWindowTest::closingLeavesTheGamePlaying()
{
    QFETCH(bool, bySignal);
    const quint16 port = quint16(qgetenv("LEXICLASH_PORT").toUInt());
    QStringList asked;
    bool letGo = false;
    window_->askToLeave = [&](const QString &question) {
        asked << question;
        return letGo;
    };
    control<QLineEdit>("edit_name")->setText("Ann");
    window_->show();
    const QSize listSize = window_->size();
    control<QPushButton>("button_host")->click();
    QVERIFY(window_->inGame());
    QTRY_VERIFY_WITH_TIMEOUT(window_->gamePid() > 0 && loopbackPortAnswers(port), 60000);
    game_ = window_->gamePid();

    // While the game runs the window is small and shows what friends type.
    QCOMPARE(control<QStackedWidget>("pages")->currentWidget()->objectName(),
             QStringLiteral("page_ingame"));
    QVERIFY(window_->width() < listSize.width() && window_->height() < listSize.height());
    // It keeps to the screen's corner, also when a window system hands it
    // a new size late.
    const QRect room = window_->screen()->availableGeometry();
    QCOMPARE(window_->frameGeometry().bottomRight(), room.bottomRight());
    window_->resize(window_->size() + QSize(30, 40));
    QCOMPARE(window_->frameGeometry().bottomRight(), room.bottomRight());
    const QString invite = control<QLabel>("label_invite")->text();
    for (const QString &address : LobbyWindow::ownAddresses())
        QVERIFY2(invite.contains(address + ':' + QString::number(port)), qPrintable(invite));

    if (bySignal) {
        window_->leave();
        QVERIFY(asked.isEmpty());
    } else {
        // The player may keep the lobby; then nothing changes.
        window_->close();
        QCOMPARE(asked, QStringList{"A game is running. It goes on without the lobby."});
        QVERIFY(window_->isVisible());
        QVERIFY(window_->inGame());
        letGo = true;
        window_->close();
        QCOMPARE(asked.size(), 2);
    }
    QVERIFY(!window_->isVisible());
    window_.reset();

    // The lobby is gone; the game is not: it answers on its port, keeps its
    // word list and its single-instance guard, which still turns a second
    // copy away.
    for (int check = 0; check < 10; ++check) {
        QVERIFY(gameRuns(game_));
        QVERIFY(loopbackPortAnswers(port));
        QTest::qWait(100);
    }
    const QString guard = runtime_->filePath("kramlliuq-lobbywindow");
    const QDir runtime(runtime_->path());
    const QStringList wordList{QStringLiteral("lexiclash-English-*")};
    QVERIFY(QFile::exists(guard));
    QCOMPARE(runtime.entryList(wordList, QDir::Files).size(), 1);
    QProcess second;
    second.start(LobbySession::gamePath(), {});
    QVERIFY(second.waitForFinished(30000));
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(gameRuns(game_));

    // Closed as its close box would, the game cleans up after itself.
    ::kill(pid_t(game_), SIGTERM);
    QTRY_VERIFY_WITH_TIMEOUT(!gameRuns(game_), 60000);
    QVERIFY(!QFile::exists(guard));
    QVERIFY(runtime.entryList(wordList, QDir::Files).isEmpty());
    QVERIFY(!loopbackPortAnswers(port));
}

void LobbyWindowTest::joinFromTheListWhenTheGameIsGone()
{
    // Discovery still answers for a game whose port nobody listens on: the
    // host has just quit.
    const quint16 gone = unusedLoopbackPort();
    DiscoveryResponder stale(
        [gone] { return discovery::GameInfo{9, gone, "Eve", 1, 0, false, 0, 0, "1.0.3"}; });
    QVERIFY(stale.start(0));
    window_->browser().setTargets({{QHostAddress(QHostAddress::LocalHost), stale.port()}});
    control<QLineEdit>("edit_name")->setText("Bob");
    window_->show();
    QTRY_COMPARE_WITH_TIMEOUT(rows(), 1, 30000);
    const QList<qint64> before = childProcesses();
    control<QPushButton>("button_join")->click();
    QTRY_COMPARE_WITH_TIMEOUT(status(),
                              QStringLiteral("Eve's game no longer answers. It may have just "
                                             "ended; the list shows the games that are still "
                                             "there."),
                              30000);
    QVERIFY(!window_->inGame());
    QCOMPARE(control<QStackedWidget>("pages")->currentIndex(), 0);
    QCOMPARE(childProcesses(), before);
    QTRY_VERIFY(control<QPushButton>("button_join")->isEnabled());
}

void LobbyWindowTest::everyControlIsNamedAndInTabOrder()
{
    window_->show();
    const QStringList order{"edit_name",   "button_host",   "list_games",
                            "button_join", "combo_address", "button_joinaddress"};
    for (const QString &name : order) {
        auto *widget = window_->findChild<QWidget *>(name);
        QVERIFY2(widget, qPrintable(name));
        QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(name));
        QVERIFY2(widget->focusPolicy() & Qt::TabFocus, qPrintable(name));
    }
    QWidget *widget = window_->findChild<QWidget *>(order.first());
    for (qsizetype i = 1; i < order.size(); ++i) {
        widget = widget->nextInFocusChain();
        // A combo box's line edit follows the combo box itself.
        while (widget && widget->focusPolicy() == Qt::NoFocus)
            widget = widget->nextInFocusChain();
        if (qobject_cast<QLineEdit *>(widget) && order[i] == "button_joinaddress")
            widget = widget->nextInFocusChain();
        QCOMPARE(widget->objectName(), order[i]);
    }
}

void LobbyWindowTest::firewallHintAfterTenQuietSeconds()
{
    qint64 now = 1000;
    window_->browser().setClock([&now] { return now; });
    window_->show();
    auto *hint = control<FirewallHint>("label_hint");
    hint->hintTimerTimer();
    QVERIFY(!hint->isVisible());
    now += FirewallHint::kQuietMs - 1;
    hint->hintTimerTimer();
    QVERIFY(!hint->isVisible());
    now += 1;
    hint->hintTimerTimer();
    QVERIFY(hint->isVisible());
    QVERIFY2(hint->text().contains(QStringLiteral("firewall")) &&
                 hint->text().contains(QStringLiteral("UDP port %1")
                                           .arg(qEnvironmentVariable("LEXICLASH_DISCOVERY_PORT"))),
             qPrintable(hint->text()));
    QCOMPARE(hint->accessibleName(), hint->text());

    // A game heard: the hint goes.
    QUdpSocket host;
    QVERIFY(host.bind(QHostAddress(QHostAddress::LocalHost), 0));
    host.writeDatagram(discovery::encodeReply({3, 7772, "Ann", 1, 0, false, 0, 0, "1.0.3"}),
                       QHostAddress(QHostAddress::LocalHost), window_->browser().localPort());
    QTRY_COMPARE(rows(), 1);
    QVERIFY(!hint->isVisible());
    window_->browser().setClock(nullptr);
}

void LobbyWindowTest::namesThatShowNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown");
    QTest::newRow("blanks") << "   "
                            << "(no name)";
    QTest::newRow("no-break spaces") << QString(3, QChar(0x00A0)) << "(no name)";
    QTest::newRow("Hangul filler") << QString(QChar(0x3164)) << "(no name)";
    QTest::newRow("blank Braille") << QString(QChar(0x2800)) + QChar(0x2800) << "(no name)";
    QTest::newRow("ideographic space and a combining mark")
        << QString(QChar(0x3000)) + QChar(0x0301) << "(no name)";
    QTest::newRow("a name with blanks") << " Ann "
                                        << " Ann ";
}

void LobbyWindowTest::namesThatShowNothing()
{
    QFETCH(QString, name);
    QFETCH(QString, shown);
    window_->show();
    QUdpSocket host;
    QVERIFY(host.bind(QHostAddress(QHostAddress::LocalHost), 0));
    host.writeDatagram(discovery::encodeReply({3, 7772, name, 1, 0, false, 0, 0, "1.0.3"}),
                       QHostAddress(QHostAddress::LocalHost), window_->browser().localPort());
    QTRY_COMPARE(rows(), 1);
    QCOMPARE(cell(0, 0), shown);
}

void LobbyWindowTest::sortsByTheColumnClicked()
{
    window_->show();
    QUdpSocket host;
    QVERIFY(host.bind(QHostAddress(QHostAddress::LocalHost), 0));
    const QList<discovery::GameInfo> games{{1, 7772, "Cid", 2, 0, true, 3, 5, "1.0.3"},
                                           {2, 7772, "ann", 5, 1, false, 0, 0, "1.0.3"},
                                           {3, 7772, "Bea", 1, 3, true, 10, 10, "1.0.3"}};
    for (const discovery::GameInfo &game : games)
        host.writeDatagram(discovery::encodeReply(game), QHostAddress(QHostAddress::LocalHost),
                           window_->browser().localPort());
    QTRY_COMPARE(rows(), 3);
    const auto column = [this](int index) {
        QStringList names;
        for (int row = 0; row < rows(); ++row)
            names << cell(row, index);
        return names;
    };
    // Until a column is clicked, in the order they were heard.
    QCOMPARE(column(0), (QStringList{"Cid", "ann", "Bea"}));
    QHeaderView *header = list()->header();
    const auto click = [header](int section) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + 5, 5));
    };
    click(0);
    QCOMPARE(column(0), (QStringList{"ann", "Bea", "Cid"}));
    click(0);
    QCOMPARE(column(0), (QStringList{"Cid", "Bea", "ann"}));
    // Numbers sort as numbers: round 10 after round 3, waiting first.
    click(4);
    QCOMPARE(column(0), (QStringList{"ann", "Cid", "Bea"}));
    click(2);
    QCOMPARE(column(2), (QStringList{"1 of 6", "2 of 6", "5 of 6"}));
}

// A game whose reply is followed by a server mark is a dedicated host's: its
// name is followed by "(server)", for the eye and for screen readers. A game
// without the mark (a desktop host, or an older dedicated one) is listed as
// before.
void LobbyWindowTest::showsADedicatedHostAsAServer()
{
    window_->show();
    QUdpSocket host;
    QVERIFY(host.bind(QHostAddress(QHostAddress::LocalHost), 0));
    const discovery::GameInfo server{5, 7772, "Friday club", 2, 0, false, 0, 0, "1.0.3"};
    const discovery::GameInfo desktop{6, 7772, "Ann", 1, 0, false, 0, 0, "1.0.3"};
    const discovery::GameInfo unlisted{7, 7772, "", 0, 0, false, 0, 0, ""};
    const quint16 lobby = window_->browser().localPort();
    const QHostAddress here(QHostAddress::LocalHost);
    host.writeDatagram(discovery::encodeReply(server), here, lobby);
    host.writeDatagram(discovery::encodeServerMark(server), here, lobby);
    host.writeDatagram(discovery::encodeReply(desktop), here, lobby);
    // A mark for a game nobody listed changes nothing.
    host.writeDatagram(discovery::encodeServerMark(unlisted), here, lobby);
    QTRY_COMPARE(rows(), 2);
    QTRY_COMPARE(cell(0, 0), QStringLiteral("Friday club (server)"));
    QCOMPARE(cell(1, 0), QStringLiteral("Ann"));
    const QModelIndex first = list()->model()->index(0, 0);
    QCOMPARE(first.data(Qt::AccessibleTextRole).toString(), QStringLiteral("Friday club (server)"));
    QCOMPARE(first.data(Qt::ToolTipRole).toString(), QStringLiteral("Friday club (server)"));
    QAccessibleInterface *access = QAccessible::queryAccessibleInterface(list());
    QVERIFY(access && access->tableInterface());
    QAccessibleInterface *cellAccess = access->tableInterface()->cellAt(0, 0);
    QVERIFY(cellAccess);
    QCOMPARE(cellAccess->text(QAccessible::Name), QStringLiteral("Friday club (server)"));
    // The next reply carries no mark: the row follows it and stays a
    // server's.
    discovery::GameInfo fuller = server;
    fuller.players = 3;
    host.writeDatagram(discovery::encodeReply(fuller), here, lobby);
    QTRY_COMPARE(cell(0, 2), QStringLiteral("3 of 6"));
    QCOMPARE(cell(0, 0), QStringLiteral("Friday club (server)"));
}

void LobbyWindowTest::longTextsKeepTheWindowsWidth()
{
    window_->resize(720, 480);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    const int width = window_->width();
    auto *address = control<QComboBox>("combo_address");
    const QString longAddress = QString(300, QLatin1Char('a')) + QStringLiteral(".example.org");
    address->setEditText(longAddress);
    control<QLineEdit>("edit_name")->setText("Bob");
    window_->joinAddressClick();
    QTRY_VERIFY_WITH_TIMEOUT(status().startsWith("No computer called"), 30000);
    QVERIFY(status().size() < 200);
    QUdpSocket host;
    QVERIFY(host.bind(QHostAddress(QHostAddress::LocalHost), 0));
    const QString longName(64, QChar(0x00E9));
    host.writeDatagram(
        discovery::encodeReply({3, 7772, longName, 1, 0, false, 0, 0, "1.0.3-0.99999999"}),
        QHostAddress(QHostAddress::LocalHost), window_->browser().localPort());
    host.writeDatagram(discovery::encodeReply({4, 7772, "Ann", 1, 0, false, 0, 0, "1.0.3"}),
                       QHostAddress(QHostAddress::LocalHost), window_->browser().localPort());
    QTRY_COMPARE(rows(), 2);
    QCoreApplication::processEvents();
    QVERIFY(window_->sizeHint().width() <= width);
    QCOMPARE(window_->width(), width);
    QVERIFY(address->width() < width);
    // The host column keeps room for a usual name; long texts are elided.
    QVERIFY(list()->header()->sectionSize(0) >= list()->fontMetrics().horizontalAdvance("Ann"));
    QCOMPARE(list()->model()->index(0, 0).data(Qt::ToolTipRole).toString(), longName.left(32));
}

void LobbyWindowTest::presentsItselfAsAWindow()
{
    window_->show();
    QAccessibleInterface *access = QAccessible::queryAccessibleInterface(window_.get());
    QVERIFY(access);
    QCOMPARE(access->role(), QAccessible::Window);
    QCOMPARE(access->text(QAccessible::Name), QStringLiteral("Lexiclash lobby"));
}

QTEST_MAIN(LobbyWindowTest)
#include "lobby_window_test.moc"

#include "discovery/discoveryresponder.h"
#include "hostedgame.h"
#include "lobby/lobbysession.h"
#include "lobby/lobbywindow.h"
#include "loopbackport.h"
#include "net/tsock.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeView>
#include <QtTest>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>

namespace {
// True when something accepts a TCP connection on 127.0.0.1 at port.
bool portAnswers(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool answered =
        ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return answered;
}

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
    void addressRememberedOnceItAnswered();
    void refusesAGameOfAnotherVersion();
    void addressesThatCannotBeUsed_data();
    void addressesThatCannotBeUsed();
    void namesTheGameCannotCarry_data();
    void namesTheGameCannotCarry();
    void hostingWhenTheGamePortIsTaken();
    void closingLeavesTheGamePlaying_data();
    void closingLeavesTheGamePlaying();
    void joinFromTheListWhenTheGameIsGone();
    void everyControlIsNamedAndInTabOrder();

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
    window_.reset();
    hosts_.clear();
    // A game the window started outlives it; a failed test ends it here.
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

void LobbyWindowTest::addressRememberedOnceItAnswered()
{
    auto host = std::make_unique<HostedGame>(QStringLiteral(LOBBY_PROGRAM));
    const quint16 gamePort = unusedLoopbackPort();
    QVERIFY(host->start({"host", "Ann"}, gamePort, unusedLoopbackUdpPort(), "hostremember"));
    hosts_.push_back(std::move(host));
    QTRY_VERIFY_WITH_TIMEOUT(hosts_.back()->gameConnected(), 60000);
    control<QLineEdit>("edit_name")->setText("Bob");
    window_->show();
    auto *address = control<QComboBox>("combo_address");
    const QString typed = QStringLiteral("127.0.0.1:%1").arg(gamePort);
    address->setEditText(typed);
    QTest::keyClick(address->lineEdit(), Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(window_->inGame(), 30000);
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
    QTRY_VERIFY_WITH_TIMEOUT(window_->gamePid() > 0 && portAnswers(port), 60000);
    game_ = window_->gamePid();

    // While the game runs the window is small and shows what friends type.
    QCOMPARE(control<QStackedWidget>("pages")->currentWidget()->objectName(),
             QStringLiteral("page_ingame"));
    QVERIFY(window_->width() < listSize.width() && window_->height() < listSize.height());
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
        QVERIFY(portAnswers(port));
        QTest::qWait(100);
    }
    const QString guard = runtime_->filePath("kramlliuq-lobbywindow");
    const QString wordList = QDir::current().filePath("English");
    QVERIFY(QFile::exists(guard));
    QVERIFY(QFile::exists(wordList));
    QProcess second;
    second.start(LobbySession::gamePath(), {});
    QVERIFY(second.waitForFinished(30000));
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(gameRuns(game_));

    // Closed as its close box would, the game cleans up after itself.
    ::kill(pid_t(game_), SIGTERM);
    QTRY_VERIFY_WITH_TIMEOUT(!gameRuns(game_), 60000);
    QVERIFY(!QFile::exists(guard));
    QVERIFY(!QFile::exists(wordList));
    QVERIFY(!portAnswers(port));
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

QTEST_MAIN(LobbyWindowTest)
#include "lobby_window_test.moc"

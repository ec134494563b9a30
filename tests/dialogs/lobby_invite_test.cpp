#include "lobby/lobbygamepage.h"
#include "lobby/lobbywindow.h"
#include "loopbackport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpSocket>
#include <QtTest>

#include <csignal>
#include <sys/wait.h>

#include <memory>

namespace {
// True while the process runs (a game started by the window is this test's
// child, so an ended one is reaped here).
bool gameRuns(qint64 pid)
{
    int status = 0;
    return pid > 0 && ::waitpid(pid_t(pid), &status, WNOHANG) == 0;
}
} // namespace

// The hosting page of the lobby window: where the host stands with players on
// the internet, as the real game started by the window reports it over the
// presence connection, and the invite link it copies.
class LobbyInviteTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void linkOfAHostedGame_data();
    void linkOfAHostedGame();
    void hostingPageFollowsTheGamesReport();

private:
    template <typename T> T *control(const char *name)
    {
        return window_->findChild<T *>(QString::fromLatin1(name));
    }

    std::unique_ptr<LobbyWindow> window_;
    std::unique_ptr<QTemporaryDir> runtime_;
    qint64 game_ = 0;
};

void LobbyInviteTest::initTestCase()
{
    qputenv("LEXICLASH_INSTANCE", "lobbyinvite");
    qputenv("LEXICLASH_DISCOVERY_PORT", QByteArray::number(unusedLoopbackUdpPort()));
    // The hosted game leaves the router alone and says so.
    qputenv("LEXICLASH_PORTMAP", "off");
    runtime_ = std::make_unique<QTemporaryDir>();
    QVERIFY(runtime_->isValid());
    qputenv("XDG_RUNTIME_DIR", runtime_->path().toUtf8());
}

void LobbyInviteTest::cleanup()
{
    if (window_ && window_->gamePid() > 0)
        game_ = window_->gamePid();
    window_.reset();
    if (gameRuns(game_)) {
        ::kill(pid_t(game_), SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(!gameRuns(game_), 30000);
    }
    game_ = 0;
}

void LobbyInviteTest::linkOfAHostedGame_data()
{
    QTest::addColumn<QString>("outsideHost");
    QTest::addColumn<int>("outsidePort");
    QTest::addColumn<QStringList>("own");
    QTest::addColumn<QString>("link");
    const QStringList lan{"192.168.1.20", "[2001:db8::20]"};
    QTest::newRow("local IPv4") << "" << 0 << lan << "lexiclash://192.168.1.20:7772";
    QTest::newRow("local IPv6 alone")
        << "" << 0 << QStringList{"[2001:db8::20]"} << "lexiclash://[2001:db8::20]:7772";
    QTest::newRow("outside IPv4 before the local ones")
        << "203.0.113.7" << 7773 << lan << "lexiclash://203.0.113.7:7773";
    QTest::newRow("outside IPv6") << "2001:db8:1::7" << 7772 << lan
                                  << "lexiclash://[2001:db8:1::7]:7772";
    QTest::newRow("outside, no local address")
        << "203.0.113.7" << 7772 << QStringList{} << "lexiclash://203.0.113.7:7772";
    QTest::newRow("no address at all") << "" << 0 << QStringList{} << "";
}

void LobbyInviteTest::linkOfAHostedGame()
{
    QFETCH(QString, outsideHost);
    QFETCH(int, outsidePort);
    QFETCH(QStringList, own);
    QFETCH(QString, link);
    QCOMPARE(hostingInviteLink({outsideHost, quint16(outsidePort)}, own, 7772), link);
}

void LobbyInviteTest::hostingPageFollowsTheGamesReport()
{
    const quint16 gamePort = unusedLoopbackPort();
    const quint16 presencePort = unusedLoopbackPort();
    qputenv("LEXICLASH_PORT", QByteArray::number(gamePort));
    qputenv("LEXICLASH_LOBBY_PORT", QByteArray::number(presencePort));
    window_ = std::make_unique<LobbyWindow>();
    window_->browser().setTargets({});
    control<QLineEdit>("edit_name")->setText("Ann");
    window_->show();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    control<QPushButton>("button_host")->click();
    QVERIFY(window_->inGame());

    // Until the game reports, the page says it is asking.
    auto *internet = control<QLabel>("label_internet");
    auto *copy = control<QPushButton>("button_copyinvite");
    QVERIFY(internet->isVisible());
    const QString own = hostingInviteLink({}, LobbyWindow::ownAddresses(), gamePort);
    QCOMPARE(copy->isVisible(), !own.isEmpty());

    // The real game says the router was left alone, in the words it uses.
    const QString offMessage =
        QStringLiteral("This game does not ask the router to open its port "
                       "(LEXICLASH_PORTMAP=off): players outside your local network can join "
                       "once TCP port %1 is forwarded on the router to this computer.")
            .arg(gamePort);
    // Its lines are broken by hand, as the page's other texts are.
    QTRY_COMPARE_WITH_TIMEOUT(internet->accessibleName(), offMessage, 30000);
    QCOMPARE(internet->text().replace('\n', ' '), offMessage);
    for (const QString &line : internet->text().split('\n'))
        QVERIFY2(line.size() <= 60, qPrintable(line));
    game_ = window_->gamePid();

    // Without an outside address the link is to this machine's own one;
    // the button copies it from the keyboard too: Tab from the address
    // label, then Space.
    QCOMPARE(copy->isVisible(), !own.isEmpty());
    if (!own.isEmpty()) {
        QGuiApplication::clipboard()->clear();
        control<QLabel>("label_invite")->setFocus();
        QTest::keyClick(window_.get(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), copy);
        QTest::keyClick(copy, Qt::Key_Space);
        QCOMPARE(QGuiApplication::clipboard()->text(), own);
        QVERIFY2(internet->accessibleName().endsWith(own + ": paste it to your friends."),
                 qPrintable(internet->accessibleName()));
    }

    // A report of an open router, as a game that mapped its port sends it:
    // line kinds the lobby does not know are dropped, and a line may come
    // in pieces.
    QTcpSocket presence;
    presence.connectToHost(QHostAddress(QHostAddress::LocalHost), presencePort);
    QVERIFY(presence.waitForConnected(10000));
    presence.write("status\tplaying\n");
    presence.write("internet\t203.0.113.7\t7773\tPlayers on the internet can join ");
    QVERIFY(presence.waitForBytesWritten(10000));
    QTest::qWait(50);
    presence.write("this game at 203.0.113.7:7773: the router opened the port.\n");
    QVERIFY(presence.waitForBytesWritten(10000));
    QTRY_COMPARE_WITH_TIMEOUT(internet->accessibleName(),
                              QStringLiteral("Players on the internet can join this game at "
                                             "203.0.113.7:7773: the router opened the port."),
                              10000);
    QVERIFY(copy->isVisible());
    QCOMPARE(copy->accessibleName(), QStringLiteral("Copy invite link"));
    QCOMPARE(copy->accessibleDescription(), QStringLiteral("lexiclash://203.0.113.7:7773"));
    copy->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("lexiclash://203.0.113.7:7773"));
    QVERIFY(window_->inGame());
}

QTEST_MAIN(LobbyInviteTest)
#include "lobby_invite_test.moc"

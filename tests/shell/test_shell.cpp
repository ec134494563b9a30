#include "client/chatpane.h"
#include "client/dispatcher.h"
#include "client/seatrows.h"
#include "client/tchat.h"
#include "common/guard.h"
#include "common/messagebox.h"
#include "common/runningmarker.h"
#include "dialogs/tabout.h"
#include "dialogs/tdownload.h"
#include "dialogs/thelp.h"
#include "dialogs/tphrases.h"
#include "dialogs/tspylist.h"
#include "loopbackport.h"
#include "model/gamemodel.h"
#include "net/tsock.h"
#include "server/tserver.h"
#include "session/clientsession.h"
#include "shell/appwindows.h"
#include "shell/singleinstance.h"
#include "shell/windowwiring.h"
#include "tallywindow/ttallylist.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include <memory>

namespace {

constexpr int kWait = 20000;

// Stands in for the lobby: counts the presence connections it accepts.
struct Lobby {
    TSock listener;
    QList<TSock *> accepted;
    Lobby()
    {
        listener.setPortName(QStringLiteral("0"));
        listener.OnAccept = [this](TSock *sender) {
            TSock *sock = nullptr;
            if (sender->Accept(sock))
                accepted << sock;
        };
        listener.setListen(true);
    }
};

QStringList paneLines(const Tchat *chat)
{
    return chat->chat->mainchat->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// A joining player's window as the program builds it, without a server of its own.
struct JoiningWindow {
    Tspylist spylist;
    Tphrases phrases;
    Tchat chat;
    explicit JoiningWindow(const QStringList &parameters)
    {
        WindowSet windows;
        windows.spylist = &spylist;
        windows.phrases = &phrases;
        wireWindows(chat, windows);
        chat.setParameters(parameters);
    }
};

} // namespace

class TestShell : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void secondCopyRaisesTheFirstAndEnds();
    void launchModes_data();
    void launchModes();
    void hostAndJoinerChat();
    void downloadWindowCanEndTheGame();
    void menuItemsShowTheirWindows_data();
    void menuItemsShowTheirWindows();
    void exitAndResetScreenLocation();
    void logoOpensTheMakersPage();

private:
    QStringList boxes;
    QStringList errors;
    std::unique_ptr<Lobby> lobby;
};

void TestShell::initTestCase()
{
    qputenv("LEXICLASH_INSTANCE",
            "test-shell-" + QByteArray::number(QCoreApplication::applicationPid()));
}

void TestShell::init()
{
    boxes.clear();
    errors.clear();
    setMessageBoxHandler([this](const QString &text) { boxes << text; });
    setErrorHandler([this](const QString &text) { errors << text; });
    lobby = std::make_unique<Lobby>();
    qputenv("LEXICLASH_LOBBY_PORT", QByteArray::number(lobby->listener.localPort()));
    // Fresh ports for every case: a port handed back long ago may since have
    // gone to another test's outgoing connection.
    qputenv("LEXICLASH_PORT", QByteArray::number(unusedLoopbackPort()));
    qputenv("LEXICLASH_DISCOVERY_PORT", QByteArray::number(unusedLoopbackUdpPort()));
}

void TestShell::secondCopyRaisesTheFirstAndEnds()
{
    QVERIFY(!RunningMarker::gameRunning());
    QTemporaryDir firstDir;
    QTemporaryDir secondDir;
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LEXICLASH_HOME"), home.path());

    QProcess first;
    first.setProcessEnvironment(env);
    first.setWorkingDirectory(firstDir.path());
    first.start(QStringLiteral(LEXICLASH_EXE),
                {QStringLiteral("Ann"), QStringLiteral("127.0.0.1"), QStringLiteral("true")});
    QVERIFY(first.waitForStarted());
    const QString guardSocket = SingleInstance::scopedName(QStringLiteral("kramlliuq"));
    // The first copy is up once its server has written the word list.
    const auto wordLists = [] {
        return QDir(qEnvironmentVariable("XDG_RUNTIME_DIR"))
            .entryList({QStringLiteral("lexiclash-English-*")}, QDir::Files);
    };
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(guardSocket) && wordLists().size() == 1, kWait);
    const QStringList firstList = wordLists();
    QVERIFY(RunningMarker::gameRunning());

    QProcess second;
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(secondDir.path());
    second.start(QStringLiteral(LEXICLASH_EXE),
                 {QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("true")});
    QVERIFY(second.waitForFinished(kWait));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    // It created no window and so no server: no word list was written.
    QCOMPARE(wordLists(), firstList);

    QByteArray firstLog;
    QTRY_VERIFY_WITH_TIMEOUT(
        (firstLog += first.readAllStandardError()).contains("window raised for another copy"),
        kWait);
    QCOMPARE(first.state(), QProcess::Running);

    // SIGTERM closes the window as the close box does: the tally is saved and
    // the word list goes away.
    QVERIFY(!QFile::exists(QDir(home.path()).filePath("Lexiclashtally.tld")));
    first.terminate();
    QVERIFY(first.waitForFinished(kWait));
    QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    QCOMPARE(first.exitCode(), 0);
    QCOMPARE(wordLists(), QStringList());
    QVERIFY(QFile::exists(QDir(home.path()).filePath("Lexiclashtally.tld")));
    QVERIFY(!RunningMarker::gameRunning());
}

void TestShell::launchModes_data()
{
    QTest::addColumn<QStringList>("parameters");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("playername");
    QTest::addColumn<QString>("connectsTo");
    QTest::addColumn<bool>("hosting");
    QTest::addColumn<bool>("downloadShown");
    QTest::addColumn<bool>("presence");

    const QString solo = QStringLiteral("Loading Solo Game..Please wait.");
    const QString multi = QStringLiteral("Loading Multi-player Game.. Please Wait.");
    QTest::newRow("solo") << QStringList() << solo << "You"
                          << "127.0.0.1" << true << true << false;
    QTest::newRow("host ignores the address")
        << QStringList({"Ann", "192.168.0.5", "true"}) << multi << "Ann"
        << "127.0.0.1" << true << false << true;
    QTest::newRow("four parameters host")
        << QStringList({"Ann", "192.168.0.5", "true", "extra"}) << multi << "Ann"
        << "127.0.0.1" << true << false << true;
    // Joins go to a loopback address standing in for the host's.
    QTest::newRow("True joins") << QStringList({"Ann", "127.0.0.7", "True"}) << multi << "Ann"
                                << "127.0.0.7" << false << false << true;
    QTest::newRow("false joins") << QStringList({"Bob", "127.0.0.9", "false"}) << multi << "Bob"
                                 << "127.0.0.9" << false << false << true;
    QTest::newRow("two parameters idle") << QStringList({"Ann", "192.168.0.5"}) << multi << ""
                                         << "" << false << false << false;
    QTest::newRow("one parameter idle") << QStringList({"Ann"}) << multi << ""
                                        << "" << false << false << false;
}

void TestShell::launchModes()
{
    QFETCH(QStringList, parameters);
    QFETCH(QString, line);
    QFETCH(QString, playername);
    QFETCH(QString, connectsTo);
    QFETCH(bool, hosting);
    QFETCH(bool, downloadShown);
    QFETCH(bool, presence);

    AppWindows windows(parameters);
    Tchat *chat = windows.chat();
    chat->show();

    QCOMPARE(paneLines(chat).value(0), line);
    QCOMPARE(chat->state.playername, playername);
    QCOMPARE(chat->state.loginname, playername);
    QCOMPARE(chat->state.hosting, hosting);
    QCOMPARE(windows.server()->Sock1()->Listen(), hosting);
    QCOMPARE(windows.download()->isVisible(), downloadShown);
    QCOMPARE(chat->button_start->isVisibleTo(chat), hosting);
    QCOMPARE(chat->findChild<QAction *>("StartGame1")->isEnabled(), hosting);
    QCOMPARE(windows.spylist()->popup_kickhim->isEnabled(), hosting);
    QCOMPARE(chat->session->sock->HostName(), connectsTo);
    QCOMPARE(chat->session->sock->handle() >= 0, !connectsTo.isEmpty());
    QCOMPARE(chat->Sock11->handle() >= 0, presence);
    if (presence)
        QTRY_COMPARE_WITH_TIMEOUT(lobby->accepted.size(), 1, kWait);

    if (hosting) {
        // The own client logs in to the own server and takes seat 1.
        QTRY_COMPARE_WITH_TIMEOUT(chat->seats->playername(1)->text(), playername, kWait);
        QCOMPARE(chat->model->mySeat(), 1);
        QVERIFY(paneLines(chat).contains(QStringLiteral("You are Connected.")));
    } else if (!connectsTo.isEmpty()) {
        QTRY_VERIFY_WITH_TIMEOUT(
            paneLines(chat).contains(QStringLiteral("Could not connect to the host.")), kWait);
        QVERIFY(chat->isVisible());
    } else {
        QTest::qWait(50);
        QCOMPARE(paneLines(chat), QStringList({line}));
        chat->button_startClick();
        QCOMPARE(boxes, QStringList({"You are not connected"}));
    }
    QVERIFY(lobby->accepted.size() == (presence ? 1 : 0));
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
}

void TestShell::hostAndJoinerChat()
{
    AppWindows host({QStringLiteral("Ann"), QStringLiteral("127.0.0.1"), QStringLiteral("true")});
    host.chat()->show();
    QTRY_COMPARE_WITH_TIMEOUT(host.chat()->seats->playername(1)->text(), QStringLiteral("Ann"),
                              kWait);

    auto joiner = std::make_unique<JoiningWindow>(
        QStringList({QStringLiteral("Bob"), QStringLiteral("127.0.0.1"), QStringLiteral("false")}));
    Tchat *bob = &joiner->chat;
    Tchat *ann = host.chat();
    bob->show();
    QTRY_COMPARE_WITH_TIMEOUT(bob->seats->playername(1)->text(), QStringLiteral("Ann"), kWait);
    QTRY_COMPARE_WITH_TIMEOUT(bob->seats->playername(2)->text(), QStringLiteral("Bob"), kWait);
    QTRY_COMPARE_WITH_TIMEOUT(ann->seats->playername(2)->text(), QStringLiteral("Bob"), kWait);
    QCOMPARE(bob->model->mySeat(), 2);
    QVERIFY(paneLines(ann).contains(QStringLiteral("Bob is Connected.")));
    QVERIFY(paneLines(bob).contains(QStringLiteral("Ann is Connected.")));

    ann->chat->mychat->setText(QStringLiteral("hello <b>Bob</b> & co"));
    ann->chat->sendit();
    const QString annLine = QStringLiteral("Ann chats: hello <b>Bob</b> & co");
    QTRY_VERIFY_WITH_TIMEOUT(paneLines(bob).contains(annLine), kWait);
    QTRY_VERIFY_WITH_TIMEOUT(paneLines(ann).contains(annLine), kWait);

    bob->chat->mychat->setText(QStringLiteral("/me waves"));
    bob->chat->sendit();
    QTRY_VERIFY_WITH_TIMEOUT(paneLines(ann).contains(QStringLiteral("Bob waves")), kWait);
    bob->chat->b_phrase1Click(7);
    QTRY_VERIFY_WITH_TIMEOUT(paneLines(ann).contains(QStringLiteral("Bob says: Thanks!")), kWait);

    // The host removes Bob: his window closes on "Socket Closed", Klot takes seat 2.
    QSignalSpy bobClosed(bob, &Tchat::closed);
    ann->seats->label_playername1ContextPopup(ann->seats->playername(2));
    QVERIFY(ann->seats->RemoveFromGame1->isEnabled());
    ann->seats->RemoveFromGame1->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(bobClosed.size(), 1, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(ann->seats->playername(2)->text(), QStringLiteral("Klot"), kWait);
    QVERIFY(paneLines(ann).contains(QStringLiteral("Bob disconnected.")));
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
}

void TestShell::downloadWindowCanEndTheGame()
{
    AppWindows windows({QStringLiteral("Ann"), QStringLiteral("127.0.0.1")});
    QSignalSpy closed(windows.chat(), &Tchat::closed);
    windows.chat()->show();
    emit windows.download()->exitRequested();
    QCOMPARE(closed.size(), 1);
}

void TestShell::menuItemsShowTheirWindows_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("window");
    QTest::newRow("content") << "Content1"
                             << "help";
    QTest::newRow("about") << "About1"
                           << "about";
    QTest::newRow("spy list") << "SpyList1"
                              << "spylist";
    QTest::newRow("phrase list") << "PhraseList1"
                                 << "phrases";
    QTest::newRow("view tally") << "ViewTally1"
                                << "tallylist";
}

void TestShell::menuItemsShowTheirWindows()
{
    QFETCH(QString, item);
    QFETCH(QString, window);
    AppWindows windows({QStringLiteral("Ann"), QStringLiteral("127.0.0.1")});
    windows.chat()->show();
    const QList<QWidget *> all = {windows.help(), windows.about(), windows.spylist(),
                                  windows.phrases(), windows.tally()};
    for (QWidget *other : all)
        QVERIFY(!other->isVisible());
    windows.chat()->findChild<QAction *>(item)->trigger();
    for (QWidget *other : all)
        QCOMPARE(other->isVisible(), other->objectName() == window);
}

void TestShell::exitAndResetScreenLocation()
{
    AppWindows windows({QStringLiteral("Ann"), QStringLiteral("127.0.0.1")});
    Tchat *chat = windows.chat();
    chat->show();
    chat->setGeometry(50, 60, 900, 600);
    chat->findChild<QAction *>("ResetScreenLocation1")->trigger();
    QCOMPARE(chat->size(), QSize(790, 525));
    QSignalSpy closed(chat, &Tchat::closed);
    chat->findChild<QAction *>("Exit1")->trigger();
    QCOMPARE(closed.size(), 1);
    QVERIFY(!chat->isVisible());
}

// Opened web addresses arrive here instead of at the desktop's browser.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

void TestShell::logoOpensTheMakersPage()
{
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &recorder, "open");
    AppWindows windows({QStringLiteral("Ann"), QStringLiteral("127.0.0.1")});
    windows.chat()->show();
    QTest::mouseClick(windows.chat()->Image4, Qt::LeftButton);
    QCOMPARE(recorder.opened, QList<QUrl>({QUrl(QStringLiteral("http://www.quillmark.example"))}));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
}

QTEST_MAIN(TestShell)
#include "test_shell.moc"

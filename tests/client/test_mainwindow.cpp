#include "client/chatmenus.h"
#include "client/chatpane.h"
#include "client/dispatcher.h"
#include "client/gameboard.h"
#include "client/gamecommands.h"
#include "client/gameview.h"
#include "client/seatrows.h"
#include "client/tchat.h"
#include "common/guard.h"
#include "common/messagebox.h"
#include "common/paths.h"
#include "dialogs/tphrases.h"
#include "dialogs/tspylist.h"
#include "loopbackport.h"
#include "model/gamemodel.h"
#include "net/messages.h"
#include "net/tsock.h"
#include "session/clientsession.h"
#include "sessionpeer.h"
#include "settings/gamesettings.h"
#include "shell/windowwiring.h"
#include "widgets/elidinglabel.h"
#include "widgets/tag.h"

#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>

#include <memory>

namespace {

constexpr int kWait = 10000;

// The sounds and the tally's opponents as the main window asks for them:
// every call written down.
struct GameRecorder : GameCommands {
    QStringList calls;
    void playsounds(const QString &name) override { calls << "sound " + name; }
    void loadchecklist() override { calls << QStringLiteral("loadchecklist"); }
};

} // namespace

// Opened web addresses arrive here instead of at the desktop's browser.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startsWithMenusSeatRowsAndPhrases();
    void optionItemsKeepTheirValueInTheParentTag_data();
    void optionItemsKeepTheirValueInTheParentTag();
    void firstTickConsumesTheInitialEntry();
    void timerRunsOnlyWhileMessagesWait();
    void messagesCutAcrossReadsAreJoined();
    void loginAsSeat3();
    void loginAsSpyOnSeat8();
    void departures_data();
    void departures();
    void removeFromGame_data();
    void removeFromGame();
    void spyListRemovesASpy();
    void leaderOfAServerGetsTheGameStart();
    void gameIsFullThenClose();
    void fullArrivesWithTheClose();
    void endingsAreTold_data();
    void endingsAreTold();
    void droppedConnectionIsShownWhileItComesBack();
    void closingWithASeatOfferWaiting();
    void socketClosedClosesTheWindow();
    void refusedJoinIsReported();
    void versionLines();
    void badSeatStopsOnlyThatMessage();
    void gameMessagesGoToTheModel();
    void chatGoesOut_data();
    void chatGoesOut();
    void nothingGoesOutBeforeLogin();
    void enterChatHereClearsOnFirstKey();
    void phraseButtons();
    void receivedLinesAreShown_data();
    void receivedLinesAreShown();
    void scrollChatOffKeepsTheView();
    void textAndActionColours();
    void textSize();
    void clearCopyPaste();
    void pasteKey_data();
    void pasteKey();
    void webAddressInThePane();
    void phraseListFillsAndAppliesTheEditor();
    void minimumSize_data();
    void minimumSize();
    void closeSavesGeometryOnlyAfterSettingsWereRead();
    void closeShrinksAWindowWiderThanTheScreen();

private:
    void connectToPeer(const QString &name = QStringLiteral("Ann"));
    void loginAs(int seat, const QString &name = QStringLiteral("Ann"));
    void feed(const QByteArray &text);
    QStringList paneLines() const;
    QList<QByteArray> sentSinceLogin() const;

    std::unique_ptr<Tphrases> phrases;
    std::unique_ptr<Tspylist> spylist;
    std::unique_ptr<Tchat> chat;
    std::unique_ptr<GameRecorder> game;
    std::unique_ptr<SessionPeer> peer;
    QStringList boxes;
    QStringList errors;
};

void TestMainWindow::init()
{
    // A joining window also opens its presence connection to the lobby: never
    // the real lobby's port, always one that nobody listens on.
    qputenv("LEXICLASH_LOBBY_PORT", QByteArray::number(unusedLoopbackPort()));
    boxes.clear();
    errors.clear();
    setMessageBoxHandler([this](const QString &text) { boxes << text; });
    setErrorHandler([this](const QString &text) { errors << text; });
    phrases = std::make_unique<Tphrases>();
    spylist = std::make_unique<Tspylist>();
    chat = std::make_unique<Tchat>();
    game = std::make_unique<GameRecorder>();
    WindowSet windows;
    windows.phrases = phrases.get();
    windows.spylist = spylist.get();
    wireWindows(*chat, windows);
    chat->setGameView(game.get());
    // Two parameters: the idle launch mode, so showing the window connects nothing.
    chat->setParameters({QStringLiteral("Ann"), QStringLiteral("127.0.0.1")});
}

void TestMainWindow::cleanup()
{
    peer.reset();
    chat.reset();
    spylist.reset();
    phrases.reset();
    game.reset();
}

void TestMainWindow::connectToPeer(const QString &name)
{
    peer = std::make_unique<SessionPeer>();
    chat->session->open(QStringLiteral("127.0.0.1"), peer->port(), name);
    QTRY_VERIFY_WITH_TIMEOUT(peer->conn && chat->session->sock->Connected(), kWait);
}

void TestMainWindow::feed(const QByteArray &text)
{
    chat->session->received(text + '\xFF');
    while (!chat->session->receivedlist.isEmpty())
        guarded([this] { chat->session->processsocktimer(); });
}

void TestMainWindow::loginAs(int seat, const QString &name)
{
    connectToPeer(name);
    feed("CMD_sendlogininfo+" + QByteArray::number(seat));
    // The login, and the offer to hold the seat should the connection drop.
    QTRY_COMPARE_WITH_TIMEOUT(peer->messages().size(), 2, kWait);
    QCOMPARE(peer->messages().last(), "CMD_rejoinable+" + QByteArray::number(seat) + "+");
}

QList<QByteArray> TestMainWindow::sentSinceLogin() const
{
    return peer->messages().mid(2);
}

QStringList TestMainWindow::paneLines() const
{
    return chat->chat->mainchat->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void TestMainWindow::startsWithMenusSeatRowsAndPhrases()
{
    QCOMPARE(chat->windowTitle(), QStringLiteral("Lexiclash"));
    for (int seat = 1; seat <= 6; ++seat) {
        const QString n = QString::number(seat);
        auto *name = chat->findChild<QLabel *>("label_playername" + n);
        auto *score = chat->findChild<QLabel *>("label_score" + n);
        auto *last = chat->findChild<QLabel *>("label_last" + n);
        QVERIFY(name && score && last);
        QCOMPARE(name->text(), QStringLiteral("<Waiting>"));
        QCOMPARE(score->text(), QStringLiteral("0"));
        QCOMPARE(last->text(), QString());
    }
    QCOMPARE(chat->seats->playername(3)->palette().color(QPalette::WindowText),
             QColor(0, 170, 170));
    QCOMPARE(chat->seats->last(2)->palette().color(QPalette::WindowText), QColor(255, 128, 0));

    QVERIFY(!chat->findChild<QAction *>("StartGame1")->isEnabled());
    QVERIFY(chat->findChild<QAction *>("PlaySounds1")->isChecked());
    QCOMPARE(tagOf(chat->findChild<QAction *>("BotSpeed1")), 12);
    QCOMPARE(tagOf(chat->findChild<QAction *>("BotSpeed2")), 1200);
    QCOMPARE(chat->pauseBetweenRounds(), 12);
    QCOMPARE(chat->botInterval(), 1200);
    QVERIFY(chat->findChild<QAction *>("Classic1")->isChecked());
    QVERIFY(chat->findChild<QAction *>("N8")->isChecked());
    QCOMPARE(chat->findChild<QAction *>("Content1")->shortcut(), QKeySequence(Qt::Key_F1));
    QCOMPARE(chat->findChild<QAction *>("ScrollChatOff1")->shortcut(), QKeySequence("Ctrl+S"));
    QCOMPARE(chat->findChild<QAction *>("BotSpeed1")->text(),
             QStringLiteral("Time Between Rounds"));
    QCOMPARE(chat->findChild<QAction *>("RemoveFromGame1")->text(),
             QStringLiteral("Remove From Game"));
    QStringList menus;
    for (QAction *menu : chat->menuBar()->actions())
        menus << menu->text();
    QCOMPARE(menus, QStringList({"File", "Options", "View", "Help"}));

    QCOMPARE(chat->chat->mychat->text(), QStringLiteral("<Enter Chat Here>"));
    QVERIFY(chat->chat->mainchat->isReadOnly());
    QCOMPARE(chat->findChild<QPushButton *>("b_phrase1")->toolTip(), QStringLiteral("Way To Go!"));
    QCOMPARE(chat->findChild<QPushButton *>("b_phrase9")->toolTip(),
             QStringLiteral("Good Game Everyone!"));
    QCOMPARE(chat->findChild<QPushButton *>("b_phrase10")->toolTip(),
             QStringLiteral("/me waves \"Good-Bye\""));
    QVERIFY(chat->findChild<QWidget *>("panel_board"));
    QVERIFY(chat->chat->phraseReady());
}

void TestMainWindow::optionItemsKeepTheirValueInTheParentTag_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<int>("value");
    QTest::newRow("long") << "Long1"
                          << "BotSpeed1" << 17;
    QTest::newRow("quick") << "Quick1"
                           << "BotSpeed1" << 10;
    QTest::newRow("slow") << "Slow1"
                          << "BotSpeed2" << 2000;
    QTest::newRow("fast") << "Fast1"
                          << "BotSpeed2" << 750;
    QTest::newRow("new turn sound") << "New1"
                                    << "TurnSound1" << 1;
}

void TestMainWindow::optionItemsKeepTheirValueInTheParentTag()
{
    QFETCH(QString, item);
    QFETCH(QString, parent);
    QFETCH(int, value);
    auto *action = chat->findChild<QAction *>(item);
    action->trigger();
    QCOMPARE(tagOf(chat->findChild<QAction *>(parent)), value);
    for (QAction *other : action->actionGroup()->actions())
        QCOMPARE(other->isChecked(), other == action);
    if (parent == QLatin1String("BotSpeed1"))
        QCOMPARE(chat->pauseBetweenRounds(), value);
    if (parent == QLatin1String("BotSpeed2"))
        QCOMPARE(chat->botInterval(), value);
}

void TestMainWindow::firstTickConsumesTheInitialEntry()
{
    QCOMPARE(chat->session->receivedlist.size(), 1);
    chat->session->processsocktimer();
    QVERIFY(chat->session->receivedlist.isEmpty());
    QVERIFY(paneLines().isEmpty());
    QVERIFY(errors.isEmpty());
}

void TestMainWindow::timerRunsOnlyWhileMessagesWait()
{
    QVERIFY(chat->session->Timer1->isActive());
    chat->session->processsocktimer();
    QVERIFY(!chat->session->Timer1->isActive());
    chat->session->received("CMD_wrongversion+\xFF");
    QVERIFY(chat->session->Timer1->isActive());
    // The timer itself works the queue off and then stops.
    QTRY_VERIFY_WITH_TIMEOUT(!chat->session->Timer1->isActive(), kWait);
    QCOMPARE(paneLines(), QStringList({"You have a differnt version of the game then the host."}));
}

void TestMainWindow::messagesCutAcrossReadsAreJoined()
{
    chat->session->processsocktimer();
    chat->session->received("CMD_newplayerinfo+4+Do");
    chat->session->received("ra\xFF"
                            "CMD_newplayerinfo+5+Eve\xFF");
    QCOMPARE(chat->session->receivedlist.size(), 2);
    chat->session->processsocktimer();
    QCOMPARE(chat->seats->playername(4)->text(), QStringLiteral("Dora"));
    QCOMPARE(chat->seats->playername(5)->text(), QStringLiteral("<Waiting>"));
    chat->session->processsocktimer();
    QCOMPARE(chat->seats->playername(5)->text(), QStringLiteral("Eve"));
}

void TestMainWindow::loginAsSeat3()
{
    loginAs(3);
    QCOMPARE(peer->messages().first(), QByteArray("CMD_logininfo+3+1.0.3+Ann"));
    QCOMPARE(chat->model->mySeat(), 3);
    QVERIFY(chat->model->loggedIn());

    feed("CMD_newplayerinfo+3+Ann");
    QCOMPARE(paneLines(), QStringList({"You are Connected."}));
    QCOMPARE(chat->seats->playername(3)->text(), QStringLiteral("Ann"));
    QCOMPARE(game->calls, QStringList({"sound entered"}));

    feed("CMD_existingplayers+1+Bob");
    QCOMPARE(paneLines().last(), QStringLiteral("Bob is Connected."));
    QCOMPARE(chat->seats->playername(1)->text(), QStringLiteral("Bob"));
    QCOMPARE(spylist->listbox_spys->count(), 0);
    // Program lines are blue and plain.
    const QTextBlock first = chat->chat->mainchat->document()->firstBlock();
    const QTextCharFormat format = first.begin().fragment().charFormat();
    QCOMPARE(format.foreground().color(), QColor(0, 0, 255));
    QCOMPARE(format.fontWeight(), int(QFont::Normal));
}

void TestMainWindow::loginAsSpyOnSeat8()
{
    loginAs(8);
    feed("CMD_newplayerinfo+8+Ann");
    QCOMPARE(paneLines(), QStringList({"You are Connected.", "You are spying."}));
    QCOMPARE(spylist->listbox_spys->count(), 1);
    QCOMPARE(spylist->listbox_spys->item(0)->text(), QStringLiteral("8: Ann"));
    feed("CMD_existingplayers+9+Bob");
    QCOMPARE(paneLines().mid(2), QStringList({"Bob is Connected.", "Bob is spying."}));
    QCOMPARE(spylist->listbox_spys->item(1)->text(), QStringLiteral("9: Bob"));
    for (int seat = 1; seat <= 6; ++seat)
        QCOMPARE(chat->seats->playername(seat)->text(), QStringLiteral("<Waiting>"));
}

void TestMainWindow::departures_data()
{
    QTest::addColumn<QByteArray>("arrival");
    QTest::addColumn<QByteArray>("departure");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("seat");
    QTest::addColumn<QString>("rowAfter");
    QTest::newRow("Klot stays on seat 2")
        << QByteArray("CMD_newplayerinfo+2+Klot") << QByteArray("CMD_playerdisconnected+2+Klot")
        << "" << 2 << "Klot";
    QTest::newRow("a player on seat 2 gives way to Klot")
        << QByteArray("CMD_newplayerinfo+2+Ann") << QByteArray("CMD_playerdisconnected+2+Ann")
        << "Ann disconnected." << 2 << "Klot";
    QTest::newRow("Kling is not announced")
        << QByteArray("CMD_newplayerinfo+4+Kling") << QByteArray("CMD_playerdisconnected+4+Kling")
        << "" << 4 << "<Waiting>";
    QTest::newRow("a player leaves seat 3")
        << QByteArray("CMD_newplayerinfo+3+Cy") << QByteArray("CMD_playerdisconnected+3+Cy")
        << "Cy disconnected." << 3 << "<Waiting>";
    QTest::newRow("empty seat") << QByteArray() << QByteArray("CMD_playerdisconnected+5+Eve") << ""
                                << 5 << "<Waiting>";
}

void TestMainWindow::departures()
{
    QFETCH(QByteArray, arrival);
    QFETCH(QByteArray, departure);
    QFETCH(QString, line);
    QFETCH(int, seat);
    QFETCH(QString, rowAfter);
    chat->model->apply(Msg::SendLoginInfo{1});
    if (!arrival.isEmpty())
        feed(arrival);
    feed("CMD_endround+" + QByteArray::number(seat) + "+17+1+1+17");
    const int before = paneLines().size();
    feed(departure);
    const QStringList added = paneLines().mid(before);
    QCOMPARE(added, line.isEmpty() ? QStringList() : QStringList({line}));
    QCOMPARE(chat->seats->playername(seat)->text(), rowAfter);
    // Score and last word stay as they were.
    QCOMPARE(chat->seats->score(seat)->text(), QStringLiteral("17"));
}

void TestMainWindow::spyListRemovesASpy()
{
    chat->model->apply(Msg::SendLoginInfo{1});
    feed("CMD_newplayerinfo+8+Ann");
    feed("CMD_newplayerinfo+9+Bob");
    const int before = paneLines().size();
    feed("CMD_playerdisconnected+8+Ann");
    QCOMPARE(paneLines().mid(before), QStringList({"Ann has left."}));
    QCOMPARE(spylist->listbox_spys->count(), 1);
    QCOMPARE(spylist->listbox_spys->item(0)->text(), QStringLiteral("9: Bob"));
    // A spy that is not listed leaves no trace.
    feed("CMD_playerdisconnected+7+Cy");
    QCOMPARE(paneLines().size(), before + 1);
    QCOMPARE(spylist->listbox_spys->count(), 1);

    // The host removes the remaining spy through the spy list's pop-up.
    loginAs(1);
    chat->state.hosting = true;
    spylist->popup_kickhim->setEnabled(true);
    spylist->show();
    const QRect row = spylist->listbox_spys->visualItemRect(spylist->listbox_spys->item(0));
    spylist->listbox_spysMouseMove(row.center());
    spylist->popup_kickhimClick();
    QTRY_COMPARE_WITH_TIMEOUT(sentSinceLogin(), QList<QByteArray>({"CMD_kickhim+1+9+"}), kWait);
}

void TestMainWindow::removeFromGame_data()
{
    QTest::addColumn<bool>("hosting");
    QTest::addColumn<int>("leading");
    QTest::addColumn<bool>("occupied");
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("host, occupied name") << true << 0 << true << "label_playername3" << true;
    QTest::newRow("host, occupied last word") << true << 0 << true << "label_last3" << true;
    QTest::newRow("host, empty row") << true << 0 << false << "label_playername3" << false;
    QTest::newRow("host, last word of empty row") << true << 0 << false << "label_last3" << false;
    QTest::newRow("joined, occupied") << false << 0 << true << "label_playername3" << false;
    QTest::newRow("joined, empty") << false << 0 << false << "label_last3" << false;
    QTest::newRow("leads a server, occupied") << false << 1 << true << "label_playername3" << true;
    QTest::newRow("leads a server, empty") << false << 1 << false << "label_last3" << false;
    QTest::newRow("another leads") << false << 2 << true << "label_playername3" << false;
}

void TestMainWindow::removeFromGame()
{
    QFETCH(bool, hosting);
    QFETCH(int, leading);
    QFETCH(bool, occupied);
    QFETCH(QString, label);
    QFETCH(bool, enabled);
    loginAs(1);
    chat->state.hosting = hosting;
    if (leading)
        feed(Msg::leader(leading).chopped(1));
    if (occupied)
        feed("CMD_newplayerinfo+3+Cy");
    chat->seats->label_playername1ContextPopup(chat->findChild<QLabel *>(label));
    QCOMPARE(chat->seats->RemoveFromGame1->isEnabled(), enabled);
    if (!enabled)
        return;
    chat->seats->RemoveFromGame1->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(sentSinceLogin(), QList<QByteArray>({"CMD_kickhim+1+3+"}), kWait);
}

void TestMainWindow::leaderOfAServerGetsTheGameStart()
{
    chat->show();
    loginAs(2);
    QVERIFY(!chat->button_start->isVisible());
    QVERIFY(!chat->menus->StartGame1->isEnabled());
    feed(Msg::leader(2).chopped(1));
    QVERIFY(chat->button_start->isVisible());
    QVERIFY(chat->menus->StartGame1->isEnabled());
    // The lead passes to a player of a lower seat.
    feed(Msg::leader(1).chopped(1));
    QVERIFY(!chat->button_start->isVisible());
    QVERIFY(!chat->menus->StartGame1->isEnabled());
}

void TestMainWindow::gameIsFullThenClose()
{
    QSignalSpy closed(chat.get(), &Tchat::closed);
    bool closedBeforeTheBox = false;
    setMessageBoxHandler([&](const QString &text) {
        boxes << text;
        closedBeforeTheBox = !closed.isEmpty();
    });
    chat->show();
    feed("CMD_full+");
    QCOMPARE(boxes, QStringList({"Game is full"}));
    QVERIFY(!closedBeforeTheBox);
    QCOMPARE(closed.size(), 1);
    QVERIFY(!chat->isVisible());
}

void TestMainWindow::fullArrivesWithTheClose()
{
    QSignalSpy closed(chat.get(), &Tchat::closed);
    bool closedBeforeTheBox = false;
    setMessageBoxHandler([&](const QString &text) {
        boxes << text;
        closedBeforeTheBox = !closed.isEmpty();
    });
    chat->show();
    // The refusal is read, and the close is reported before the queue's next tick.
    chat->session->received(QByteArray("CMD_full+\xFF"));
    chat->session->sock->Close();
    QCOMPARE(boxes, QStringList({"Game is full"}));
    QVERIFY(!closedBeforeTheBox);
    QCOMPARE(closed.size(), 1);
    QVERIFY(chat->session->receivedlist.isEmpty());
}

void TestMainWindow::endingsAreTold_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("the host ended the game")
        << QByteArray("CMD_hostended+") << "The host ended the game." << false << 3;
    QTest::newRow("the grace ran out")
        << QByteArray("CMD_seatfreed+3+0+")
        << "The connection to the game could not be restored in time, so your seat was given up. "
           "Press OK to return to the lobby."
        << true << 5;
    QTest::newRow("removed by the host")
        << QByteArray("CMD_seatfreed+3+2+") << "The host removed you from the game." << true << 6;
}

void TestMainWindow::endingsAreTold()
{
    QFETCH(QByteArray, message);
    QFETCH(QString, text);
    QFETCH(bool, asked);
    QFETCH(int, exitCode);
    QSignalSpy closed(chat.get(), &Tchat::closed);
    chat->show();
    loginAs(3);
    feed(message);
    QCOMPARE(paneLines().last(), text);
    QCOMPARE(chat->gameview->board()->label_status->text(), text);
    QCOMPARE(chat->exitCode(), exitCode);
    QCOMPARE(boxes, asked ? QStringList{text} : QStringList());
    // An ending that asks nothing leaves the window up a moment to be read.
    QCOMPARE(closed.size(), asked ? 1 : 0);
    // The connection that closes after it is no drop: nothing comes back.
    peer->conn->Close();
    QTRY_VERIFY_WITH_TIMEOUT(!chat->session->sock->Connected(), kWait);
    QVERIFY(chat->session->state() != ClientSession::State::Reconnecting);
    QVERIFY(!paneLines().contains(QStringLiteral("Connection lost. Reconnecting…")));
}

void TestMainWindow::droppedConnectionIsShownWhileItComesBack()
{
    chat->show();
    loginAs(3);
    feed("CMD_seattoken+3+00112233445566778899aabbccddeeff+120+");
    QVERIFY(chat->session->canRejoin());
    const QString before = chat->gameview->board()->label_status->text();
    // The host's end of the connection goes: the window stays and says so,
    // with the attempt.
    peer->conn->Close();
    QTRY_COMPARE_WITH_TIMEOUT(chat->session->state(), ClientSession::State::Reconnecting, kWait);
    QVERIFY(chat->isVisible());
    QCOMPARE(paneLines().last(), QStringLiteral("Connection lost. Reconnecting…"));
    QTRY_VERIFY_WITH_TIMEOUT(
        chat->windowTitle().startsWith("Lexiclash - Connection lost. Reconnecting… (attempt "),
        kWait);
    QVERIFY(chat->gameview->board()->label_status->text().startsWith("Reconnecting, attempt "));
    // Back: the line and the title say so no more.
    chat->showreconnecting(0);
    QCOMPARE(chat->windowTitle(), QStringLiteral("Lexiclash"));
    QCOMPARE(chat->gameview->board()->label_status->text(), before);
    chat->session->leave();
}

void TestMainWindow::closingWithASeatOfferWaiting()
{
    QSignalSpy closed(chat.get(), &Tchat::closed);
    chat->show();
    connectToPeer();
    // The offer is still queued when the player closes the window: nothing
    // is answered on the closed connection, and nothing goes wrong.
    chat->session->received("CMD_sendlogininfo+2\xFF");
    chat->close();
    QCOMPARE(closed.size(), 1);
    QVERIFY(errors.isEmpty());
    QVERIFY(boxes.isEmpty());
    QCOMPARE(chat->session->state(), ClientSession::State::Left);
    QVERIFY(peer->messages().isEmpty());
}

void TestMainWindow::socketClosedClosesTheWindow()
{
    QSignalSpy closed(chat.get(), &Tchat::closed);
    chat->show();
    // Before a login an error report is a connection that could not be made.
    chat->session->sockInfo(TSockReport::ErrorNumber, 10054);
    QCOMPARE(closed.size(), 0);
    chat->session->sock->Close();
    QCOMPARE(closed.size(), 1);
    QVERIFY(boxes.isEmpty());
    // A second report closes nothing more.
    chat->session->sock->Close();
    QCOMPARE(closed.size(), 1);
}

void TestMainWindow::refusedJoinIsReported()
{
    const quint16 port = unusedLoopbackPort();
    chat->setParameters(
        {QStringLiteral("Ann"), QStringLiteral("127.0.0.1"), QStringLiteral("join")});
    qputenv("LEXICLASH_PORT", QByteArray::number(port));
    chat->show();
    qunsetenv("LEXICLASH_PORT");
    QTRY_COMPARE_WITH_TIMEOUT(paneLines().size(), 2, kWait);
    QCOMPARE(paneLines(), QStringList({"Loading Multi-player Game.. Please Wait.",
                                       "Could not connect to the host."}));
    QCOMPARE(paneLines().size(), 2);
    QVERIFY(chat->isVisible());
    QVERIFY(errors.isEmpty());
}

void TestMainWindow::versionLines()
{
    feed("CMD_havewrongversion+Bob");
    feed("CMD_wrongversion+");
    QCOMPARE(paneLines(), QStringList({"Bob has a different version of the game then you.",
                                       "You have a differnt version of the game then the host."}));
}

void TestMainWindow::badSeatStopsOnlyThatMessage()
{
    chat->session->processsocktimer();
    chat->session->received("CMD_newplayerinfo+x3+Ann\xFF"
                            "CMD_playerdisconnected++Bob\xFF"
                            "CMD_newplayerinfo+12+Zed\xFF"
                            "CMD_newplayerinfo+4+Dora\xFF");
    for (int tick = 0; tick < 4; ++tick)
        guarded([this] { chat->session->processsocktimer(); });
    QCOMPARE(errors.size(), 2);
    QCOMPARE(errors.first(), QStringLiteral("'x3' is not a valid integer value"));
    QCOMPARE(chat->seats->playername(4)->text(), QStringLiteral("Dora"));
    QCOMPARE(paneLines(), QStringList({"Dora is Connected."}));
}

void TestMainWindow::gameMessagesGoToTheModel()
{
    loginAs(1);
    feed("CMD_startgame+Ann+5+60+8+");
    QVERIFY(chat->model->gameOn());
    QCOMPARE(chat->model->lengthCode(), 8);
    feed("CMD_startround+1+60+0+AB+1+ABOUT+");
    QCOMPARE(chat->model->starter(), QStringLiteral("ABOUT"));
    QCOMPARE(chat->model->turnseat(), 1);
    QCOMPARE(chat->gameview->board()->label_round->text(), QStringLiteral("1 of 5"));
    feed("CMD_gotword+1+ABBEY+5+");
    QCOMPARE(chat->seats->last(1)->text(), QStringLiteral("ABBEY"));
    feed("CMD_notvalid+1+2+");
    QVERIFY(!chat->gameview->board()->image_error->isHidden());
    feed("CMD_endround+1+5+2+2+5");
    QCOMPARE(chat->model->total(1), 5);
    QCOMPARE(chat->seats->score(1)->text(), QStringLiteral("5"));
    feed("CMD_winner+1+");
    QCOMPARE(chat->model->winner(), 1);
    feed("CMD_loadstats+1+5+60+8+1+0+AB+30+1+9");
    QCOMPARE(chat->seats->score(1)->text(), QStringLiteral("9"));
    feed("CMD_unknown+1");
    // The main window's sounds and tally hooks are not asked for any of it.
    QVERIFY(game->calls.isEmpty());
    QVERIFY(errors.isEmpty());
}

void TestMainWindow::chatGoesOut_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("chat") << "hello all" << QByteArray("CMD_chat+3+hello all|clBlack");
    QTest::newRow("plus survives") << "a+b" << QByteArray("CMD_chat+3+a+b|clBlack");
    QTest::newRow("me") << "/me smiles" << QByteArray("CMD_action+3+smiles|clBlack");
    QTest::newRow("me alone") << "/me" << QByteArray("CMD_action+3+|clBlack");
    QTest::newRow("mew") << "/mew" << QByteArray("CMD_action+3+|clBlack");
    QTest::newRow("who") << "/who" << QByteArray();
    QTest::newRow("utf-8") << QString::fromUtf8("h\xC3\xA9")
                           << QByteArray("CMD_chat+3+h\xC3\xA9|clBlack");
}

void TestMainWindow::chatGoesOut()
{
    QFETCH(QString, typed);
    QFETCH(QByteArray, sent);
    loginAs(3);
    chat->chat->mychat->setText(typed);
    chat->chat->sendit();
    QCOMPARE(chat->chat->mychat->text(), QString());
    // A marker message shows that nothing else went out before it.
    chat->chat->mychat->setText(QStringLiteral("end"));
    chat->chat->sendit();
    QList<QByteArray> expected;
    if (!sent.isEmpty())
        expected << sent;
    expected << "CMD_chat+3+end|clBlack";
    QTRY_COMPARE_WITH_TIMEOUT(sentSinceLogin(), expected, kWait);
}

void TestMainWindow::nothingGoesOutBeforeLogin()
{
    connectToPeer();
    chat->chat->mychat->setText(QStringLiteral("hello"));
    chat->chat->sendit();
    QCOMPARE(chat->chat->mychat->text(), QStringLiteral("hello"));
    // A phrase needs no login, only a connection.
    chat->chat->b_phrase1Click(2);
    QTRY_COMPARE_WITH_TIMEOUT(peer->messages(),
                              QList<QByteArray>({"CMD_action+0+says: Good One!|clBlack"}), kWait);
}

void TestMainWindow::enterChatHereClearsOnFirstKey()
{
    loginAs(3);
    chat->show();
    QLineEdit *field = chat->chat->mychat;
    QTest::keyClick(field, Qt::Key_H);
    QCOMPARE(field->text(), QStringLiteral("h"));
    QTest::keyClicks(field, QStringLiteral("i"));
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(field->text(), QString());
    QTRY_COMPARE_WITH_TIMEOUT(sentSinceLogin(), QList<QByteArray>({"CMD_chat+3+hi|clBlack"}),
                              kWait);
}

void TestMainWindow::phraseButtons()
{
    loginAs(3);
    chat->chat->b_phrase1Click(1);
    QVERIFY(!chat->chat->phraseReady());
    QVERIFY(chat->chat->phrasetimer->isActive());
    QCOMPARE(chat->chat->phrasetimer->interval(), ChatPane::kPhrasePauseMs);
    chat->chat->b_phrase1Click(10);
    chat->chat->phrasepauseTimer();
    QVERIFY(chat->chat->phraseReady());
    chat->findChild<QPushButton *>("b_phrase10")->click();
    chat->chat->phrasepauseTimer();
    chat->chat->setPhrase(4, QStringLiteral("/me  claps"));
    chat->chat->b_phrase1Click(4);
    QTRY_COMPARE_WITH_TIMEOUT(sentSinceLogin(),
                              QList<QByteArray>({"CMD_action+3+says: Way To Go!|clBlack",
                                                 "CMD_action+3+waves \"Good-Bye\"|clBlack",
                                                 "CMD_action+3+ claps|clBlack"}),
                              kWait);
}

void TestMainWindow::receivedLinesAreShown_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("head");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("chat") << QByteArray("CMD_chat+Ann chats: hi|clRed") << "Ann chats: hi"
                          << "Ann chats:" << QColor(255, 0, 0);
    QTest::newRow("action") << QByteArray("CMD_action+Ann waves|$00DD0000") << "Ann waves"
                            << "" << QColor(0, 0, 221);
    QTest::newRow("phrase") << QByteArray("CMD_action+Ann says: Thanks!|clNavy")
                            << "Ann says: Thanks!"
                            << "Ann says:" << QColor(0, 0, 128);
    QTest::newRow("colon in the head only once")
        << QByteArray("CMD_chat+Ann chats: 10:30|clGreen") << "Ann chats: 10:30"
        << "Ann chats:" << QColor(0, 128, 0);
    QTest::newRow("no bar is red") << QByteArray("CMD_chat+Ann chats: hi") << "Ann chats: hi"
                                   << "Ann chats:" << QColor(255, 0, 0);
    QTest::newRow("unreadable colour is red")
        << QByteArray("CMD_chat+Ann chats: a|b|clBlue") << "Ann chats: a"
        << "Ann chats:" << QColor(255, 0, 0);
    QTest::newRow("markup stays text")
        << QByteArray("CMD_chat+<b>Bob</b> chats: &amp; <i>x</i>|clBlue")
        << "<b>Bob</b> chats: &amp; <i>x</i>"
        << "<b>Bob</b> chats:" << QColor(0, 0, 255);
    QTest::newRow("utf-8") << QByteArray("CMD_chat+Z\xC3\xB6"
                                         "e chats: ok|clBlack")
                           << QString::fromUtf8("Z\xC3\xB6"
                                                "e chats: ok")
                           << QString::fromUtf8("Z\xC3\xB6"
                                                "e chats:")
                           << QColor(0, 0, 0);
}

void TestMainWindow::receivedLinesAreShown()
{
    QFETCH(QByteArray, message);
    QFETCH(QString, line);
    QFETCH(QString, head);
    QFETCH(QColor, colour);
    feed(message);
    QCOMPARE(paneLines(), QStringList({line}));
    QString bold;
    QString plain;
    const QTextBlock block = chat->chat->mainchat->document()->lastBlock();
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        QCOMPARE(fragment.charFormat().foreground().color(), colour);
        (fragment.charFormat().fontWeight() == QFont::Bold ? bold : plain) += fragment.text();
    }
    QCOMPARE(bold, head);
    QCOMPARE(bold + plain, line);
    QVERIFY(errors.isEmpty());
}

void TestMainWindow::scrollChatOffKeepsTheView()
{
    chat->show();
    for (int n = 0; n < 200; ++n)
        chat->chat->addlinetochat(QStringLiteral("line %1").arg(n), Qt::black);
    QScrollBar *bar = chat->chat->mainchat->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());

    chat->findChild<QAction *>("ScrollChatOff1")->trigger();
    QVERIFY(chat->chat->ScrollChatOff2->isChecked());
    QVERIFY(chat->findChild<QAction *>("ScrollChatOff1")->isChecked());
    bar->setValue(40);
    chat->chat->addlinetochat(QStringLiteral("new"), Qt::black);
    QCOMPARE(bar->value(), 40);
    QCOMPARE(paneLines().last(), QStringLiteral("new"));

    // The oldest lines go once the pane holds its maximum.
    for (int n = 0; n < ChatPane::kMaxLines; ++n)
        chat->chat->addlinetochat(QStringLiteral("flood %1").arg(n), Qt::black);
    QCOMPARE(chat->chat->mainchat->document()->blockCount(), ChatPane::kMaxLines);
    QCOMPARE(paneLines().last(), QStringLiteral("flood %1").arg(ChatPane::kMaxLines - 1));

    // The pane's own item switches both off again.
    chat->chat->ScrollChatOff2->trigger();
    QVERIFY(!chat->findChild<QAction *>("ScrollChatOff1")->isChecked());
    chat->chat->addlinetochat(QStringLiteral("newer"), Qt::black);
    QCOMPARE(bar->value(), bar->maximum());
}

void TestMainWindow::textAndActionColours()
{
    loginAs(3);
    QSignalSpy saved(chat->chat, &ChatPane::settingsChanged);
    std::optional<QColor> answer = QColor(0, 0, 128);
    QStringList asked;
    chat->chat->setColourChooser([&](const QColor &, const QString &title) {
        asked << title;
        return answer;
    });
    chat->findChild<QAction *>("TextColor1")->trigger();
    QCOMPARE(chat->chat->textColour(), QColor(0, 0, 128));
    QCOMPARE(chat->chat->mychat->palette().color(QPalette::Text), QColor(0, 0, 128));
    QCOMPARE(saved.size(), 1);

    answer = QColor(0x12, 0x34, 0x56);
    chat->findChild<QAction *>("ActionColor1")->trigger();
    QCOMPARE(chat->chat->actionColour(), QColor(0x12, 0x34, 0x56));
    QCOMPARE(saved.size(), 2);

    // Cancelled: nothing changes, but the action colour still saves.
    answer.reset();
    chat->findChild<QAction *>("TextColor1")->trigger();
    chat->findChild<QAction *>("ActionColor1")->trigger();
    QCOMPARE(chat->chat->textColour(), QColor(0, 0, 128));
    QCOMPARE(chat->chat->actionColour(), QColor(0x12, 0x34, 0x56));
    QCOMPARE(saved.size(), 3);
    QCOMPARE(asked, QStringList({"Text Color", "Action Color", "Text Color", "Action Color"}));

    chat->chat->mychat->setText(QStringLiteral("hi"));
    chat->chat->sendit();
    chat->chat->mychat->setText(QStringLiteral("/me bows"));
    chat->chat->sendit();
    QTRY_COMPARE_WITH_TIMEOUT(
        sentSinceLogin(),
        QList<QByteArray>({"CMD_chat+3+hi|clNavy", "CMD_action+3+bows|$00563412"}), kWait);
}

void TestMainWindow::textSize()
{
    QSignalSpy saved(chat->chat, &ChatPane::settingsChanged);
    QCOMPARE(chat->chat->textSize(), 8);
    chat->findChild<QAction *>("N12")->trigger();
    QCOMPARE(chat->chat->textSize(), 12);
    QVERIFY(chat->findChild<QAction *>("N12")->isChecked());
    QVERIFY(!chat->findChild<QAction *>("N8")->isChecked());
    QCOMPARE(saved.size(), 1);
}

void TestMainWindow::clearCopyPaste()
{
    chat->show();
    QVERIFY(!chat->chat->mainchat->toPlainText().isEmpty());
    chat->findChild<QAction *>("ClearMainChat1")->trigger();
    QVERIFY(chat->chat->mainchat->toPlainText().isEmpty());

    chat->chat->addlinetochat(QStringLiteral("Ann chats: copy me"), Qt::black);
    QGuiApplication::clipboard()->setText(QStringLiteral("old"));
    chat->chat->Copy1->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString());

    chat->chat->mainchat->selectAll();
    chat->chat->Copy1->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Ann chats: copy me"));

    chat->chat->mychat->setText(QStringLiteral("typed"));
    chat->chat->Paste1->trigger();
    QCOMPARE(chat->chat->mychat->text(), QStringLiteral("Ann chats: copy me"));
}

void TestMainWindow::pasteKey_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("expected");
    QTest::newRow("caret in the middle") << "hello world" << 5 << "pasted"
                                         << "pasted";
    QTest::newRow("caret at the end") << "hello" << 5 << " there"
                                      << " there";
    QTest::newRow("over the hint") << "<Enter Chat Here>" << 3 << "hi"
                                   << "hi";
    QTest::newRow("empty field") << "" << 0 << "hi all"
                                 << "hi all";
    QTest::newRow("clipboard without text") << "hello" << 2 << ""
                                            << "hello";
}

void TestMainWindow::pasteKey()
{
    QFETCH(QString, typed);
    QFETCH(int, caret);
    QFETCH(QString, clipboard);
    QFETCH(QString, expected);
    chat->show();
    QVERIFY(QTest::qWaitForWindowExposed(chat.get()));
    QLineEdit *entry = chat->chat->mychat;
    entry->setFocus();
    entry->setText(typed);
    entry->setCursorPosition(caret);
    if (clipboard.isEmpty())
        QGuiApplication::clipboard()->clear();
    else
        QGuiApplication::clipboard()->setText(clipboard);

    QTest::keyClick(entry, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(entry->text(), expected);

    // The pop-up's "Paste" gives the same text from the same start.
    entry->setText(typed);
    entry->setCursorPosition(caret);
    chat->chat->Paste1->trigger();
    QCOMPARE(entry->text(), expected);
}

void TestMainWindow::webAddressInThePane()
{
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &recorder, "open");
    chat->show();
    QVERIFY(QTest::qWaitForWindowExposed(chat.get()));
    // The window is the active one, so the focus can be seen to move.
    chat->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(chat.get()));
    chat->chat->mainchat->setFocus();
    QTRY_VERIFY(chat->chat->mainchat->hasFocus());
    chat->chat->addlinetochat(QStringLiteral("Ann chats: visit www.quillmark.com."), Qt::black);
    chat->chat->addlinetochat(QStringLiteral("Bob chats: plain words"), Qt::black);
    QTextEdit *pane = chat->chat->mainchat;

    auto pointAt = [pane](int position) {
        QTextCursor cursor(pane->document());
        cursor.setPosition(position);
        const QRect before = pane->cursorRect(cursor);
        cursor.setPosition(position + 1);
        const QRect after = pane->cursorRect(cursor);
        return QPoint((before.left() + after.left()) / 2, before.center().y());
    };
    const QString text = pane->toPlainText();
    const int onAddress = int(text.indexOf(QStringLiteral("quillmark")));
    const int onPlain = int(text.indexOf(QStringLiteral("plain")));

    QCOMPARE(chat->chat->characterAt(pointAt(onAddress)), onAddress);
    chat->chat->mainchatMouseMove(pointAt(onAddress));
    QCOMPARE(pane->viewport()->cursor().shape(), Qt::PointingHandCursor);
    chat->chat->mainchatMouseMove(pointAt(onPlain));
    QCOMPARE(pane->viewport()->cursor().shape(), Qt::ArrowCursor);
    // Far right of the last line is past the text: no character there.
    QCOMPARE(chat->chat->characterAt(QPoint(pane->viewport()->width() - 2, pointAt(onPlain).y())),
             -1);

    QTest::mouseClick(pane->viewport(), Qt::LeftButton, {}, pointAt(onAddress));
    QCOMPARE(recorder.opened, QList<QUrl>({QUrl(QStringLiteral("http://www.quillmark.com"))}));
    QCOMPARE(pane->textCursor().selectedText(), QStringLiteral("www.quillmark.com"));
    // After the click the typing line has the focus back.
    QTRY_VERIFY(chat->chat->mychat->hasFocus());

    QTest::mouseClick(pane->viewport(), Qt::LeftButton, {}, pointAt(onPlain));
    QCOMPARE(recorder.opened.size(), 1);
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
}

void TestMainWindow::phraseListFillsAndAppliesTheEditor()
{
    chat->chat->setPhrase(3, QStringLiteral("Close one!"));
    chat->findChild<QAction *>("PhraseList1")->trigger();
    QVERIFY(phrases->isVisible());
    QCOMPARE(phrases->phrase(1), QStringLiteral("Way To Go!"));
    QCOMPARE(phrases->phrase(3), QStringLiteral("Close one!"));
    QCOMPARE(phrases->phrase(10), QStringLiteral("/me waves \"Good-Bye\""));
    phrases->setPhrase(5, QStringLiteral("Super!"));
    phrases->button_done->click();
    QVERIFY(!phrases->isVisible());
    QCOMPARE(chat->chat->phrase(5), QStringLiteral("Super!"));
    QCOMPARE(chat->findChild<QPushButton *>("b_phrase5")->toolTip(), QStringLiteral("Super!"));
}

void TestMainWindow::minimumSize_data()
{
    QTest::addColumn<QSize>("asked");
    QTest::addColumn<bool>("widthRaised");
    QTest::addColumn<bool>("heightRaised");
    QTest::newRow("both too small") << QSize(100, 100) << true << true;
    QTest::newRow("too narrow") << QSize(100, 900) << true << false;
    QTest::newRow("too low") << QSize(1200, 100) << false << true;
    QTest::newRow("large enough") << QSize(1200, 900) << false << false;
}

void TestMainWindow::minimumSize()
{
    QFETCH(QSize, asked);
    QFETCH(bool, widthRaised);
    QFETCH(bool, heightRaised);
    chat->show();
    chat->resize(asked);
    chat->FormResize();
    // The client area (below the menu bar) is never narrower than the board
    // panel plus 15 pixels and the narrowest chat pane beside it, nor lower
    // than the board plus 12 pixels; a larger one is kept.
    const QSize board = chat->panel_board->size();
    const QSize client(chat->width(), chat->height() - chat->menuBar()->height());
    const int leastWidth = chat->minimumWindowSize().width();
    QVERIFY(leastWidth >= board.width() + 15 + chat->chat->minimumSizeHint().width());
    QCOMPARE(client.width(), widthRaised ? leastWidth : asked.width());
    QCOMPARE(client.height(),
             heightRaised ? board.height() + 12 : asked.height() - chat->menuBar()->height());
}

void TestMainWindow::closeSavesGeometryOnlyAfterSettingsWereRead()
{
    // The settings file as a player left it, with a geometry the window does not have.
    const QString ini = settingsFilePath();
    const QByteArray stored = "[Lexiclash]\nTop=11\nLeft=22\nWidth=900\nHeight=600\n";
    {
        QFile file(ini);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(stored);
    }
    chat->show();
    chat->resize(820, 560);
    chat->close();
    // Never logged in, so the file was never read: its geometry stays as it
    // was, byte for byte, and nothing was taken as stored.
    {
        QFile file(ini);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), stored);
    }
    QCOMPARE(chat->state.storedwidth, 0);
    QCOMPARE(chat->state.storedheight, 0);
    QCOMPARE(chat->state.storedleft, 0);
    QCOMPARE(chat->state.storedtop, 0);
    QFile::remove(ini);

    chat = std::make_unique<Tchat>();
    chat->setParameters({QStringLiteral("Ann"), QStringLiteral("127.0.0.1")});
    chat->show();
    chat->model->apply(Msg::SendLoginInfo{1});
    feed("CMD_newplayerinfo+1+Ann");
    chat->resize(800, 540);
    chat->close();
    QCOMPARE(chat->state.storedwidth, 800);
    QCOMPARE(chat->state.storedheight, 540);
    QCOMPARE(chat->state.storedleft, chat->x());
    QCOMPARE(chat->state.storedtop, chat->y());
}

void TestMainWindow::closeShrinksAWindowWiderThanTheScreen()
{
    chat->show();
    chat->model->apply(Msg::SendLoginInfo{1});
    feed("CMD_newplayerinfo+1+Ann");
    const QRect work = chat->screen()->availableGeometry();
    chat->resize(work.width() + 200, 600);
    QCOMPARE(chat->width(), work.width() + 200);
    chat->close();
    QCOMPARE(chat->state.storedwidth, work.width() + 185);
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"

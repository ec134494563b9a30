#include "client/chatpane.h"
#include "client/clientstate.h"
#include "client/dispatcher.h"
#include "common/guard.h"
#include "common/messagebox.h"
#include "dialogs/tspylist.h"
#include "model/gamemodel.h"
#include "net/servermessage.h"
#include "session/clientsession.h"
#include "sessionpeer.h"
#include "shell/windowwiring.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

// The spy list wired to a real dispatcher, as the main window wires it; what
// the dispatcher sends to the server is written down.
class SpylistTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowLooksAsDesigned();
    void removal_data();
    void removal();
    void lineGoneSinceThePointerMovedSendsNothing();
    void doneHidesAndKeepsTheList();

private:
    void hover(int row);

    ClientState state_;
    std::unique_ptr<GameModel> model_;
    std::unique_ptr<ChatPane> chat_;
    std::unique_ptr<Dispatcher> dispatcher_;
    std::unique_ptr<Tspylist> spylist_;
    std::unique_ptr<SessionPeer> peer_;
    std::unique_ptr<ClientSession> session_;
    QStringList shown_;
};

void SpylistTest::init()
{
    shown_.clear();
    setErrorHandler([this](const QString &text) { shown_ << text; });
    setMessageBoxHandler([this](const QString &text) { shown_ << text; });
    state_ = ClientState();
    model_ = std::make_unique<GameModel>();
    chat_ = std::make_unique<ChatPane>(*model_);
    // The kicks go out on a real connection, to a peer that keeps them.
    peer_ = std::make_unique<SessionPeer>();
    session_ = std::make_unique<ClientSession>(*model_);
    session_->open(QStringLiteral("127.0.0.1"), peer_->port(), QStringLiteral("Host"));
    QTRY_VERIFY_WITH_TIMEOUT(peer_->conn && session_->sock->Connected(), 10000);
    dispatcher_ =
        std::make_unique<Dispatcher>(state_, *model_, *chat_, *session_, Dispatcher::Hooks());
    spylist_ = std::make_unique<Tspylist>();
    wireSpyList(*model_, *dispatcher_, *spylist_);
    spylist_->show();
}

void SpylistTest::cleanup()
{
    spylist_.reset();
    dispatcher_.reset();
    session_.reset();
    peer_.reset();
    chat_.reset();
    model_.reset();
}

// Moves the pointer over a line, or below the last one for -1.
void SpylistTest::hover(int row)
{
    QListWidget *list = spylist_->listbox_spys;
    QPoint pos;
    if (row >= 0) {
        pos = list->visualItemRect(list->item(row)).center();
    } else {
        pos = QPoint(10, list->viewport()->height() - 3);
        QVERIFY(!list->itemAt(pos));
    }
    QTest::mouseMove(list->viewport(), pos);
    spylist_->listbox_spysMouseMove(pos);
}

void SpylistTest::windowLooksAsDesigned()
{
    QCOMPARE(spylist_->windowTitle(), QStringLiteral("Lexiclash - Spys"));
    QVERIFY(spylist_->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!spylist_->isModal());
    QCOMPARE(spylist_->popup_kickhim->text(), QStringLiteral("Remove From Game"));
    QCOMPARE(spylist_->popup_kick->actions(), QList<QAction *>({spylist_->popup_kickhim}));
    // Only the host's main window enables the entry.
    QVERIFY(!spylist_->popup_kickhim->isEnabled());
    QCOMPARE(spylist_->button_done->text(), QStringLiteral("Done"));
    auto *caption = spylist_->findChild<QLabel *>(QStringLiteral("label_caption"));
    QVERIFY(caption);
    QCOMPARE(caption->text(), QStringLiteral("Spy List"));
}

void SpylistTest::removal_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("hosting");
    QTest::addColumn<QList<QByteArray>>("expected");

    const QStringList spies = {"7: Cy", "9: Bob"};
    QTest::newRow("seat 9") << spies << 1 << true << QList<QByteArray>({"CMD_kickhim+1+9+\xFF"});
    QTest::newRow("seat 7") << spies << 0 << true << QList<QByteArray>({"CMD_kickhim+1+7+\xFF"});
    QTest::newRow("empty area") << spies << -1 << true << QList<QByteArray>();
    QTest::newRow("not a number") << QStringList({"x: Bob"}) << 0 << true << QList<QByteArray>();
    QTest::newRow("no colon") << QStringList({"Bob"}) << 0 << true << QList<QByteArray>();
    QTest::newRow("blank before colon")
        << QStringList({"9 : Bob"}) << 0 << true << QList<QByteArray>();
    QTest::newRow("joining copy") << spies << 1 << false << QList<QByteArray>();
}

void SpylistTest::removal()
{
    QFETCH(QStringList, lines);
    QFETCH(int, row);
    QFETCH(bool, hosting);
    QFETCH(QList<QByteArray>, expected);

    model_->apply(Msg::SendLoginInfo{1});
    state_.hosting = hosting;
    // The main window enables the entry only when it hosts.
    spylist_->popup_kickhim->setEnabled(hosting);
    for (const QString &line : lines)
        spylist_->addSpy(line);
    hover(row);
    spylist_->popup_kickhim->trigger();
    if (!expected.isEmpty()) {
        QTRY_COMPARE_WITH_TIMEOUT(peer_->got, expected.join(), 10000);
    } else {
        // A kick would go out at once; a little time would let it arrive.
        QTest::qWait(100);
        QVERIFY(peer_->got.isEmpty());
    }
    QVERIFY(shown_.isEmpty());
}

void SpylistTest::lineGoneSinceThePointerMovedSendsNothing()
{
    model_->apply(Msg::SendLoginInfo{1});
    state_.hosting = true;
    spylist_->popup_kickhim->setEnabled(true);
    model_->apply(decodeServerMessage("CMD_newplayerinfo+7+Cy"));
    model_->apply(decodeServerMessage("CMD_newplayerinfo+9+Bob"));
    QCOMPARE(spylist_->listbox_spys->count(), 2);
    hover(1);
    model_->apply(decodeServerMessage("CMD_playerdisconnected+9+Bob"));
    QCOMPARE(spylist_->listbox_spys->count(), 1);
    spylist_->popup_kickhim->trigger();
    QTest::qWait(100);
    QVERIFY(peer_->got.isEmpty());
    QVERIFY(shown_.isEmpty());
}

void SpylistTest::doneHidesAndKeepsTheList()
{
    spylist_->addSpy(QStringLiteral("8: Ann"));
    spylist_->button_done->click();
    QVERIFY(!spylist_->isVisible());
    model_->apply(decodeServerMessage("CMD_newplayerinfo+9+Bob"));
    spylist_->show();
    QCOMPARE(spylist_->listbox_spys->count(), 2);
    QCOMPARE(spylist_->listbox_spys->item(1)->text(), QStringLiteral("9: Bob"));
}

QTEST_MAIN(SpylistTest)
#include "spylist_test.moc"

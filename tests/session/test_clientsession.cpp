// The client session without any window: real sessions against a real server
// over loopback play a whole game through the intents alone, and come back
// to their own seat after real faults on the connection.

#include "dict/tdictn.h"
#include "model/gamemodel.h"
#include "net/messages.h"
#include "server/tserver.h"
#include "session/clientsession.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <sys/socket.h>

namespace {
constexpr int kWait = 15000;

// A player with no window: a model and the session that feeds it.
struct Player {
    GameModel model;
    ClientSession session{model};

    Player(quint16 port, const QString &name)
    {
        session.open(QStringLiteral("127.0.0.1"), QString::number(port), name);
    }
};

// Resets a connection as a broken link would: the far end gets a reset, not a close.
void resetConnection(TSock *sock)
{
    const linger abort{1, 0};
    ::setsockopt(sock->handle(), SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    sock->Close();
}

// A word the dictionary knows for the round that runs, not yet found.
QByteArray fittingWord(const TServer &server)
{
    const GameState &game = server.state();
    for (int attempt = 0; attempt < 200; ++attempt) {
        const QByteArray word =
            server.starterwords().findFitting(game.wordlength, game.prefix, 1000).toUpper();
        if (!word.isEmpty() && server.dictionary().IsWord(QString::fromLatin1(word)) &&
            !game.listbox_gotten.contains(word))
            return word;
    }
    return {};
}
} // namespace

class TestClientSession : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void wholeGameWithoutAWindow();
    void reconnectsToItsOwnSeat();
    void silenceCountsAsADrop();
    void quittingFreesTheSeat();
    void hostEndingIsTold();
    void hostGoneWhenNobodyListens();
    void seatGoneWhenTheGraceRanOut();
    void reconnectDelaysGrow();

private:
    // Opens a player and waits until the server gave it its token.
    std::unique_ptr<Player> join(const QString &name);

    std::unique_ptr<TServer> server_;
    quint16 port_ = 0;
};

void TestClientSession::init()
{
    server_ = std::make_unique<TServer>();
    server_->steptimersbyhand();
    server_->Sock1()->setPortName(QStringLiteral("0"));
    server_->Sock1()->setListen(true);
    port_ = server_->Sock1()->localPort();
}

void TestClientSession::cleanup()
{
    server_.reset();
}

std::unique_ptr<Player> TestClientSession::join(const QString &name)
{
    auto player = std::make_unique<Player>(port_, name);
    if (!QTest::qWaitFor([&] { return player->session.canRejoin(); }, kWait))
        return nullptr;
    return player;
}

void TestClientSession::wholeGameWithoutAWindow()
{
    auto ann = join(QStringLiteral("Ann"));
    auto bob = join(QStringLiteral("Bob"));
    QVERIFY(ann && bob);
    QCOMPARE(ann->model.mySeat(), 1);
    QCOMPARE(bob->model.mySeat(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(ann->model.name(2), QStringLiteral("Bob"), kWait);
    QCOMPARE(bob->model.name(1), QStringLiteral("Ann"));

    ann->session.startGame(2, 60, 0, true);
    for (int round = 1; round <= 2; ++round) {
        QTRY_COMPARE_WITH_TIMEOUT(bob->model.round(), round, kWait);
        QCOMPARE(ann->model.round(), round);
        QVERIFY(ann->model.canSendWords());
        // Ann finds a word each round; Bob tries a word that is no word.
        const QByteArray word = fittingWord(*server_);
        QVERIFY(!word.isEmpty());
        QSignalSpy refused(&bob->model, &GameModel::wordRefused);
        ann->session.sendWord(QString::fromLatin1(word).toLower());
        bob->session.sendWord(QStringLiteral("qqqqzz"));
        QTRY_COMPARE_WITH_TIMEOUT(bob->model.listedWords().size(), 1, kWait);
        QCOMPARE(bob->model.listedWords().first().word, QString::fromLatin1(word));
        QTRY_COMPARE_WITH_TIMEOUT(refused.size(), 1, kWait);
        // Both give up: the round ends at once.
        ann->session.giveUp();
        bob->session.giveUp();
        QTRY_VERIFY_WITH_TIMEOUT(bob->model.scoresShown(), kWait);
        QCOMPARE(bob->model.total(1), ann->model.total(1));
        QVERIFY(ann->model.total(1) > 0);
        QCOMPARE(ann->model.total(2), 0);
        // The pause runs out.
        while (server_->state().phase == 2 && server_->state().countdown > 0)
            server_->roundtimerTimer();
    }
    QTRY_COMPARE_WITH_TIMEOUT(bob->model.winner(), 1, kWait);
    QCOMPARE(ann->model.winner(), 1);
    QCOMPARE(ann->model.phase(), GameModel::Phase::GameOver);
    QCOMPARE(ann->model.history().size(), 2);
    QCOMPARE(ann->session.state(), ClientSession::State::Connected);
}

void TestClientSession::reconnectsToItsOwnSeat()
{
    auto ann = join(QStringLiteral("Ann"));
    auto bob = join(QStringLiteral("Bob"));
    QVERIFY(ann && bob);
    ann->session.startGame(5, 60, 0, true);
    QTRY_VERIFY_WITH_TIMEOUT(bob->model.canSendWords(), kWait);
    StagedGame totals;
    totals.totals = {{2, 37, 5}};
    server_->stage(totals);
    const QByteArray word = fittingWord(*server_);
    ann->session.sendWord(QString::fromLatin1(word));
    QTRY_COMPARE_WITH_TIMEOUT(bob->model.listedWords().size(), 1, kWait);

    QSignalSpy states(&bob->session, &ClientSession::stateChanged);
    QSignalSpy lost(&ann->model, &GameModel::playerLost);
    QSignalSpy back(&ann->model, &GameModel::playerBack);
    resetConnection(server_->seat(2).sock);
    QVERIFY(server_->seat(2).held);
    QTRY_COMPARE_WITH_TIMEOUT(bob->session.state(), ClientSession::State::Reconnecting, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(bob->session.state(), ClientSession::State::Connected, kWait);
    QCOMPARE(bob->session.attempt(), 0);
    QVERIFY(states.contains(QVariantList{QVariant::fromValue(ClientSession::State::Reconnecting)}));
    // Its own seat, its total, the round's clock and words, the others.
    QCOMPARE(bob->model.mySeat(), 2);
    QVERIFY(server_->seat(2).connected);
    QCOMPARE(bob->model.total(2), 37);
    QCOMPARE(bob->model.name(1), QStringLiteral("Ann"));
    QCOMPARE(bob->model.listedWords().size(), 1);
    QCOMPARE(bob->model.listedWords().first().word, QString::fromLatin1(word));
    QVERIFY(bob->model.canSendWords());
    QVERIFY(bob->model.timeleft() > 0);
    QCOMPARE(bob->model.history().size(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(back.size(), 1, kWait);
    QCOMPARE(lost.size(), 1);
    QCOMPARE(lost.first().at(0).toInt(), 2);
    // It plays on.
    const QByteArray next = fittingWord(*server_);
    bob->session.sendWord(QString::fromLatin1(next));
    QTRY_COMPARE_WITH_TIMEOUT(ann->model.listedWords().size(), 2, kWait);
    QCOMPARE(ann->model.listedWords().last().seat, 2);
}

void TestClientSession::silenceCountsAsADrop()
{
    auto bob = join(QStringLiteral("Bob"));
    QVERIFY(bob);
    const qint64 now = ClientSession::clockms();
    // Quiet for a while: a ping goes out, and the server answers.
    bob->session.probe(now + ClientSession::kProbeMs);
    QCOMPARE(bob->session.state(), ClientSession::State::Connected);
    // Nothing heard for the whole silence: the connection is dropped and comes back.
    bob->session.probe(now + ClientSession::kSilenceMs + 1000);
    QTRY_COMPARE_WITH_TIMEOUT(bob->session.state(), ClientSession::State::Reconnecting, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(bob->session.state(), ClientSession::State::Connected, kWait);
    QCOMPARE(bob->model.mySeat(), 1);
}

void TestClientSession::quittingFreesTheSeat()
{
    auto ann = join(QStringLiteral("Ann"));
    auto bob = join(QStringLiteral("Bob"));
    QVERIFY(ann && bob);
    QSignalSpy left(&ann->model, &GameModel::playerLeft);
    bob->session.leave();
    QCOMPARE(bob->session.state(), ClientSession::State::Left);
    QTRY_COMPARE_WITH_TIMEOUT(left.size(), 1, kWait);
    QVERIFY(!server_->seat(2).held);
    QVERIFY(!server_->seat(2).connected);
}

void TestClientSession::hostEndingIsTold()
{
    auto bob = join(QStringLiteral("Bob"));
    QVERIFY(bob);
    server_.reset();
    QTRY_COMPARE_WITH_TIMEOUT(bob->session.state(), ClientSession::State::HostEnded, kWait);
}

void TestClientSession::hostGoneWhenNobodyListens()
{
    auto bob = join(QStringLiteral("Bob"));
    QVERIFY(bob);
    // The host's game stops taking connections and its link to Bob breaks.
    server_->Sock1()->setListen(false);
    resetConnection(server_->seat(1).sock);
    QTRY_COMPARE_WITH_TIMEOUT(bob->session.state(), ClientSession::State::HostGone, kWait);
    QCOMPARE(bob->session.attempt(), 0);
}

void TestClientSession::seatGoneWhenTheGraceRanOut()
{
    server_->setrejoingrace(1);
    auto ann = join(QStringLiteral("Ann"));
    auto bob = join(QStringLiteral("Bob"));
    QVERIFY(ann && bob);
    resetConnection(server_->seat(2).sock);
    // The grace runs out before the copy's first attempt.
    server_->checkheld(server_->seat(2).heldsince + 1000);
    QVERIFY(!server_->seat(2).held);
    QTRY_COMPARE_WITH_TIMEOUT(bob->session.state(), ClientSession::State::SeatGone, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(ann->model.name(2), QStringLiteral("Klot"), kWait);
}

void TestClientSession::reconnectDelaysGrow()
{
    // The first retry comes well within a second; later ones back off to a cap.
    QVERIFY(ClientSession::reconnectDelayMs(1) < 1000);
    for (int attempt = 2; attempt < 12; ++attempt)
        QVERIFY(ClientSession::reconnectDelayMs(attempt) >=
                ClientSession::reconnectDelayMs(attempt - 1));
    QCOMPARE(ClientSession::reconnectDelayMs(30), ClientSession::reconnectDelayMs(12));
    QVERIFY(ClientSession::reconnectDelayMs(30) <= 5000);
}

QTEST_GUILESS_MAIN(TestClientSession)
#include "test_clientsession.moc"

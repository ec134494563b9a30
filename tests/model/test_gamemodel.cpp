#include "model/gamemodel.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

using Phase = GameModel::Phase;
using WordsShown = GameModel::WordsShown;

// A message as the dispatcher queues it: the builder's text less its terminator.
QByteArray queued(QByteArray message)
{
    message.chop(1);
    return message;
}

void feed(GameModel &model, const QByteArray &message)
{
    model.apply(decodeServerMessage(queued(message)));
}

// The six groups of a round's end from (total, game words, round words, round points).
QByteArray endround(const QList<std::array<int, 4>> &groups)
{
    std::array<Msg::SeatScore, 6> scores{};
    for (qsizetype i = 0; i < groups.size() && i < 6; ++i) {
        const auto &g = groups[i];
        scores[static_cast<std::size_t>(i)] = {static_cast<int>(i) + 1, g[0], g[1], g[2], g[3]};
    }
    return Msg::endround(scores);
}

// Every round's end carries six groups; these give just the totals.
QByteArray totalsOnly(const QList<int> &totals)
{
    QList<std::array<int, 4>> groups;
    for (int total : totals)
        groups.append({total, 0, 0, 0});
    return endround(groups);
}

QByteArray round(int number, int seat, const QByteArray &prefix = "BA", int seconds = 60)
{
    return Msg::startround({number, seconds, 0, prefix, seat, "basic"});
}

// A model logged in at `seat`, with the named players seated.
void login(GameModel &model, int seat, const QList<std::pair<int, QByteArray>> &players)
{
    feed(model, Msg::sendlogininfo(seat));
    for (const auto &[number, name] : players)
        feed(model, number == seat ? Msg::newplayerinfo(number, name)
                                   : Msg::existingplayers(number, name));
}

} // namespace

class TestGameModel : public QObject {
    Q_OBJECT
private slots:
    void startsEmpty();
    void arrivals();
    void departures_data();
    void departures();
    void spies();
    void leadingSeat();
    void startGameResetsTheBoard();
    void startRoundTurn_data();
    void startRoundTurn();
    void countdownRunsOut();
    void countdownAfterEarlyEnd();
    void leader_data();
    void leader();
    void leaderMarkStaysUntilNextWord();
    void words();
    void wordsToFinderOnly();
    void refusals();
    void loadStats_data();
    void loadStats();
    void messagesThatAreNotGameState();
    void wholeGameWithTieBreakAndSpy();
    void recordedGame();
};

void TestGameModel::startsEmpty()
{
    GameModel model;
    QVERIFY(!model.loggedIn());
    for (int seat = 1; seat <= GameModel::kPlayerSeats; ++seat) {
        QCOMPARE(model.name(seat), GameModel::kWaiting);
        QVERIFY(!model.occupied(seat));
        QCOMPARE(model.total(seat), 0);
        QCOMPARE(model.lastWord(seat), QString());
    }
    QCOMPARE(model.name(7), QString());
    QCOMPARE(model.phase(), Phase::Welcome);
    QCOMPARE(model.rounds(), 5);
    QCOMPARE(model.seconds(), 60);
    QCOMPARE(model.lengthCode(), 3);
    QCOMPARE(model.round(), 0);
    QCOMPARE(model.leader(), 0);
    QVERIFY(!model.turnActive());
    QVERIFY(!model.canSendWords());
    QVERIFY(!model.turntime->isActive());
}

void TestGameModel::arrivals()
{
    GameModel model;
    QSignalSpy assigned(&model, &GameModel::seatAssigned);
    QSignalSpy arrived(&model, &GameModel::playerArrived);
    QSignalSpy changed(&model, &GameModel::seatChanged);
    feed(model, Msg::sendlogininfo(3));
    QCOMPARE(assigned.value(0).value(0).toInt(), 3);
    QCOMPARE(model.mySeat(), 3);
    QVERIFY(model.loggedIn());
    QVERIFY(!model.isSpy());

    feed(model, Msg::newplayerinfo(3, "Ann"));
    feed(model, Msg::existingplayers(1, "Bob"));
    QCOMPARE(model.name(3), QStringLiteral("Ann"));
    QCOMPARE(model.name(1), QStringLiteral("Bob"));
    QVERIFY(model.connected(1) && model.connected(3) && !model.connected(2));
    QCOMPARE(arrived.size(), 2);
    QCOMPARE(arrived[0], (QVariantList{3, QStringLiteral("Ann"), false}));
    QCOMPARE(arrived[1], (QVariantList{1, QStringLiteral("Bob"), true}));
    QCOMPARE(changed.size(), 2);

    // Seats the server never hands out have no row and no spy line.
    feed(model, Msg::newplayerinfo(10, "Zed"));
    feed(model, Msg::newplayerinfo(0, "Zed"));
    QCOMPARE(arrived.size(), 2);
    QVERIFY(model.spies().isEmpty());
}

void TestGameModel::departures_data()
{
    QTest::addColumn<int>("seat");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("announce");

    QTest::newRow("player at seat 2 gives way to the computer")
        << 2 << QByteArray("Ann") << "Klot" << true;
    QTest::newRow("computer at seat 2 leaves silently") << 2 << QByteArray() << "Klot" << false;
    QTest::newRow("player at seat 4") << 4 << QByteArray("Ann") << "<Waiting>" << true;
    QTest::newRow("a computer name at seat 4 is not announced")
        << 4 << QByteArray("Kling") << "<Waiting>" << false;
    QTest::newRow("empty seat 5") << 5 << QByteArray() << "<Waiting>" << false;
}

void TestGameModel::departures()
{
    QFETCH(int, seat);
    QFETCH(QByteArray, before);
    QFETCH(QString, after);
    QFETCH(bool, announce);

    GameModel model;
    login(model, 1, {{1, "Host"}});
    feed(model, Msg::startgame("Host", 3, 60, 0));
    if (!before.isEmpty())
        feed(model, Msg::newplayerinfo(seat, before));
    const QString shown = model.name(seat);
    QSignalSpy left(&model, &GameModel::playerLeft);
    feed(model, Msg::playerdisconnected(seat, before));
    QCOMPARE(model.name(seat), after);
    QVERIFY(!model.connected(seat));
    QCOMPARE(left.size(), 1);
    QCOMPARE(left[0], (QVariantList{seat, shown, announce}));
}

void TestGameModel::leadingSeat()
{
    GameModel model;
    QSignalSpy told(&model, &GameModel::leadingSeatChanged);
    // A host with a window never names a leading seat.
    login(model, 2, {{1, "Ann"}, {2, "Bob"}});
    QCOMPARE(model.leadingSeat(), 0);
    QVERIFY(!model.leadsGame());

    feed(model, Msg::leader(1));
    QCOMPARE(model.leadingSeat(), 1);
    QVERIFY(!model.leadsGame());
    feed(model, Msg::leader(2));
    QVERIFY(model.leadsGame());
    QCOMPARE(told.size(), 2);
    QCOMPARE(told.last().value(0).toInt(), 2);
}

void TestGameModel::spies()
{
    GameModel model;
    QSignalSpy arrived(&model, &GameModel::playerArrived);
    QSignalSpy left(&model, &GameModel::spyLeft);
    login(model, 8, {{8, "Ann"}});
    QVERIFY(model.isSpy());
    feed(model, Msg::existingplayers(7, "Cy"));
    QCOMPARE(model.spies().size(), 2);
    QCOMPARE(model.spies()[0].seat, 8);
    QCOMPARE(model.spies()[0].name, QByteArray("Ann"));
    QCOMPARE(arrived[0], (QVariantList{8, QStringLiteral("Ann"), false}));

    // Only the listed line "seat: name" is removed.
    feed(model, Msg::playerdisconnected(7, "Zed"));
    QCOMPARE(model.spies().size(), 2);
    QVERIFY(left.isEmpty());
    feed(model, Msg::playerdisconnected(7, "Cy"));
    QCOMPARE(model.spies().size(), 1);
    QCOMPARE(left[0], (QVariantList{7, QStringLiteral("Cy")}));
    // Spies never take a row.
    QCOMPARE(model.name(1), GameModel::kWaiting);
}

void TestGameModel::startGameResetsTheBoard()
{
    GameModel model;
    login(model, 1, {{1, "Host"}, {3, "Ann"}});
    feed(model, Msg::startgame("Host", 1, 60, 0));
    feed(model, round(1, 1));
    feed(model, Msg::gotword(3, "BAT", 3));
    feed(model, endround({{5, 2, 2, 5}, {0, 0, 0, 0}, {3, 1, 1, 3}}));
    feed(model, Msg::winner(1));
    QCOMPARE(model.winner(), 1);
    QVERIFY(!model.gameOn());
    QCOMPARE(model.phase(), Phase::GameOver);

    QSignalSpy started(&model, &GameModel::gameStarted);
    QSignalSpy cleared(&model, &GameModel::wordsCleared);
    feed(model, Msg::startgame("Ann", 4, 400, 8));
    QCOMPARE(started[0].value(0).toString(), QStringLiteral("Ann"));
    QCOMPARE(cleared.size(), 1);
    QVERIFY(model.gameOn());
    QCOMPARE(model.winner(), 0);
    QCOMPARE(model.rounds(), 4);
    QCOMPARE(model.seconds(), 400);
    QCOMPARE(model.lengthCode(), 8);
    // 400 seconds is too long to scale the bar: the last scale stays.
    QCOMPARE(model.barSeconds(), 60);
    QCOMPARE(model.round(), 0);
    QVERIFY(!model.scoresShown());
    QVERIFY(model.listedWords().isEmpty());
    QVERIFY(model.history().isEmpty());
    QCOMPARE(model.total(1), 0);
    QCOMPARE(model.lastWord(1), QString());
    QCOMPARE(model.panel(1).total, 0);
    // The panels keep their names and the leader test its totals until the next round end.
    QCOMPARE(model.panel(3).name, QStringLiteral("Ann"));
    QCOMPARE(model.rankedTotal(1), 5);
    // The status line waits for the first round.
    QCOMPARE(model.phase(), Phase::GameOver);
    QCOMPARE(model.name(2), GameModel::kComputer);
    QVERIFY(!model.connected(2));
}

void TestGameModel::startRoundTurn_data()
{
    QTest::addColumn<int>("mySeat");
    QTest::addColumn<int>("told");
    QTest::addColumn<Phase>("phase");
    QTest::addColumn<bool>("watching");

    QTest::newRow("every player is told its own seat") << 3 << 3 << Phase::OwnTurn << false;
    QTest::newRow("a spy is told seat 1") << 8 << 1 << Phase::Watching << true;
    QTest::newRow("another seat is watched") << 3 << 1 << Phase::Watching << true;
}

void TestGameModel::startRoundTurn()
{
    QFETCH(int, mySeat);
    QFETCH(int, told);
    QFETCH(Phase, phase);
    QFETCH(bool, watching);

    GameModel model;
    login(model, mySeat, {{1, "Host"}, {mySeat, "Me"}});
    feed(model, Msg::startgame("Host", 2, 45, 0));
    QSignalSpy started(&model, &GameModel::roundStarted);
    feed(model, Msg::startround({1, 45, 5, "CO", told, "coast"}));
    QCOMPARE(started.size(), 1);
    QCOMPARE(model.phase(), phase);
    QCOMPARE(model.watching(), watching);
    QCOMPARE(model.entryOpen(), !watching);
    QCOMPARE(model.canSendWords(), !watching);
    QCOMPARE(model.turnseat(), told);
    if (watching)
        QCOMPARE(model.watchedSeat(), told);
    QCOMPARE(model.round(), 1);
    QCOMPARE(model.roundLength(), 5);
    QCOMPARE(model.prefix(), QStringLiteral("CO"));
    QCOMPARE(model.starter(), QStringLiteral("COAST"));
    QVERIFY(model.turnActive());
    QCOMPARE(model.timeleft(), 45);
    QVERIFY(model.turntime->isActive());
}

void TestGameModel::countdownRunsOut()
{
    GameModel model;
    login(model, 1, {{1, "Host"}});
    feed(model, Msg::startgame("Host", 2, 30, 0));
    feed(model, round(1, 1, "BA", 30));
    QSignalSpy ticked(&model, &GameModel::countdownTicked);
    QSignalSpy expired(&model, &GameModel::countdownExpired);
    for (int i = 0; i < 29; ++i)
        model.turntimeTimer();
    QCOMPARE(ticked.size(), 29);
    QCOMPARE(ticked.last().value(0).toInt(), 1);
    QVERIFY(expired.isEmpty());
    QCOMPARE(model.phase(), Phase::OwnTurn);

    model.turntimeTimer();
    QCOMPARE(expired.size(), 1);
    QCOMPARE(expired[0].value(0).toBool(), true);
    QCOMPARE(model.phase(), Phase::TimeUp);
    QCOMPARE(model.timeleft(), 0);
    QCOMPARE(model.turnseat(), 0);
    QVERIFY(!model.turnActive());
    QVERIFY(!model.entryOpen());
    QVERIFY(!model.canSendWords());

    // A tick that still comes finds zero again and ends no turn.
    model.turntimeTimer();
    QCOMPARE(expired.size(), 2);
    QCOMPARE(expired[1].value(0).toBool(), false);
    QCOMPARE(model.timeleft(), 0);
}

void TestGameModel::countdownAfterEarlyEnd()
{
    GameModel model;
    login(model, 1, {{1, "Host"}});
    feed(model, Msg::startgame("Host", 2, 30, 0));
    QSignalSpy started(&model, &GameModel::countdownStarted);
    feed(model, round(1, 1, "BA", 30));
    // The new round's time shows at once.
    QCOMPARE(started.size(), 1);
    QCOMPARE(started[0].value(0).toInt(), 30);
    for (int i = 0; i < 5; ++i)
        model.turntimeTimer();
    QSignalSpy stopped(&model, &GameModel::countdownStopped);
    feed(model, totalsOnly({0, 0, 0, 0, 0, 0}));
    QCOMPARE(model.phase(), Phase::PostingScores);
    QVERIFY(!model.turnActive());
    QVERIFY(!model.entryOpen());
    // A round that everybody gave up ends early, and so does its clock.
    QCOMPARE(stopped.size(), 1);
    QCOMPARE(model.timeleft(), 0);
    QVERIFY(!model.turntime->isActive());

    feed(model, round(2, 1, "CA", 30));
    QCOMPARE(model.timeleft(), 30);
    QVERIFY(model.turntime->isActive());
    model.turntimeTimer();
    feed(model, totalsOnly({3, 0, 0, 0, 0, 0}));
    feed(model, Msg::winner(1));
    // After "Game Over!" the clock stands still too.
    QCOMPARE(stopped.size(), 3);
    QCOMPARE(model.timeleft(), 0);
    QVERIFY(!model.turntime->isActive());
}

void TestGameModel::leader_data()
{
    QTest::addColumn<QList<int>>("totals");
    QTest::addColumn<QList<int>>("seated");
    QTest::addColumn<int>("leader");

    QTest::newRow("a tie keeps the lower seat")
        << QList<int>{30, 45, 45, 0, 0, 0} << QList<int>{1, 2, 3} << 2;
    QTest::newRow("all zero: seat 1") << QList<int>{0, 0, 0, 0, 0, 0} << QList<int>{1, 3} << 1;
    QTest::newRow("an empty row never leads")
        << QList<int>{10, 0, 20, 0, 50, 0} << QList<int>{1, 3} << 3;
    QTest::newRow("the highest seat")
        << QList<int>{10, 11, 12, 13, 14, 15} << QList<int>{1, 3, 4, 5, 6} << 6;
}

void TestGameModel::leader()
{
    QFETCH(QList<int>, totals);
    QFETCH(QList<int>, seated);
    QFETCH(int, leader);

    GameModel model;
    feed(model, Msg::sendlogininfo(1));
    for (int seat : seated)
        feed(model, Msg::newplayerinfo(seat, "P" + QByteArray::number(seat)));
    feed(model, Msg::startgame("P1", 3, 60, 0));
    feed(model, round(1, 1));
    QSignalSpy changed(&model, &GameModel::leaderChanged);
    feed(model, totalsOnly(totals));
    QCOMPARE(model.leader(), leader);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed[0].value(0).toInt(), leader);
    QCOMPARE(model.lastWord(leader), GameModel::kLeader);
    for (int seat = 1; seat <= 6; ++seat) {
        QCOMPARE(model.total(seat), totals[seat - 1]);
        QCOMPARE(model.rankedTotal(seat), totals[seat - 1]);
    }
}

void TestGameModel::leaderMarkStaysUntilNextWord()
{
    GameModel model;
    login(model, 1, {{1, "Host"}, {3, "Ann"}});
    feed(model, Msg::startgame("Host", 3, 60, 0));
    feed(model, round(1, 1));
    feed(model, totalsOnly({5, 0, 0, 0, 0, 0}));
    feed(model, round(2, 1, "CA"));
    QCOMPARE(model.lastWord(1), GameModel::kLeader);
    feed(model, Msg::gotword(3, "CAT", 3));
    feed(model, totalsOnly({5, 0, 8, 0, 0, 0}));
    // The old mark is not taken back: only a new word replaces it.
    QCOMPARE(model.leader(), 3);
    QCOMPARE(model.lastWord(3), GameModel::kLeader);
    QCOMPARE(model.lastWord(1), GameModel::kLeader);
}

void TestGameModel::words()
{
    GameModel model;
    login(model, 1, {{1, "Host"}, {3, "Ann"}});
    feed(model, Msg::startgame("Host", 3, 60, 0));
    feed(model, round(1, 1));
    QSignalSpy found(&model, &GameModel::wordFound);
    feed(model, Msg::gotword(1, "BAT", 3));
    QCOMPARE(model.wordsShown(), WordsShown::Unknown);
    feed(model, Msg::gotword(3, "BASIN", 5));
    QCOMPARE(model.wordsShown(), WordsShown::ToAll);
    feed(model, Msg::gotword(7, "BAD", 3));
    QCOMPARE(found.size(), 2);
    QCOMPARE(found[1], (QVariantList{3, QStringLiteral("BASIN"), 5}));
    QCOMPARE(model.lastWord(3), QStringLiteral("BASIN"));
    const QList<ListedWord> listed = model.listedWords();
    QCOMPARE(listed.size(), 2);
    QCOMPARE(listed[1].finder, QStringLiteral("Ann"));
    QCOMPARE(listed[1].points, 5);
    // A new round empties the list; the record keeps the old words.
    feed(model, totalsOnly({3, 0, 5, 0, 0, 0}));
    feed(model, round(2, 1, "CA"));
    QVERIFY(model.listedWords().isEmpty());
    QCOMPARE(model.history().size(), 2);
    QCOMPARE(model.history()[0].words.size(), 2);
    QCOMPARE(model.history()[0].words[0].word, QStringLiteral("BAT"));
}

void TestGameModel::wordsToFinderOnly()
{
    GameModel model;
    login(model, 3, {{1, "Host"}, {3, "Ann"}});
    feed(model, Msg::startgame("Host", 3, 60, 0));
    feed(model, round(1, 3));
    feed(model, Msg::gotword(3, "BAT", 3));
    // Seat 1 found two words that never reached this copy.
    feed(model, endround({{9, 2, 2, 9}, {0, 0, 0, 0}, {3, 1, 1, 3}}));
    QCOMPARE(model.wordsShown(), WordsShown::ToFinderOnly);
    QCOMPARE(model.panel(1).roundWords, 2);
    QCOMPARE(model.panel(1).name, QStringLiteral("Host"));
}

void TestGameModel::refusals()
{
    GameModel model;
    login(model, 3, {{3, "Ann"}});
    QSignalSpy refused(&model, &GameModel::wordRefused);
    feed(model, Msg::notvalid(4, 1));
    QVERIFY(refused.isEmpty());
    feed(model, Msg::notvalid(3, 2));
    QCOMPARE(refused.size(), 1);
    QCOMPARE(refused[0].value(0).toInt(), 2);
}

void TestGameModel::loadStats_data()
{
    QTest::addColumn<int>("mySeat");
    QTest::addColumn<int>("addressee");
    QTest::addColumn<int>("remaining");
    QTest::addColumn<Phase>("phase");
    QTest::addColumn<int>("turnseat");

    QTest::newRow("a player joins in time") << 3 << 3 << 30 << Phase::OwnTurn << 3;
    QTest::newRow("a player joins too late") << 3 << 3 << 9 << Phase::WaitForNextRound << 0;
    QTest::newRow("a spy watches seat 1") << 8 << 8 << 30 << Phase::Watching << 0;
    QTest::newRow("meant for another seat") << 3 << 4 << 30 << Phase::Welcome << 0;
}

void TestGameModel::loadStats()
{
    QFETCH(int, mySeat);
    QFETCH(int, addressee);
    QFETCH(int, remaining);
    QFETCH(Phase, phase);
    QFETCH(int, turnseat);

    GameModel model;
    login(model, mySeat, {{1, "Host"}, {mySeat, "Me"}});
    QSignalSpy loaded(&model, &GameModel::gameLoaded);
    feed(model, Msg::loadstats({addressee,
                                4,
                                90,
                                8,
                                2,
                                6,
                                "STR",
                                remaining,
                                {{1, 17}, {2, 9}, {3, 0}, {4, 0}, {5, 0}, {6, 0}}}));
    QCOMPARE(model.phase(), phase);
    QCOMPARE(model.turnseat(), turnseat);
    if (addressee != mySeat) {
        QVERIFY(loaded.isEmpty());
        QCOMPARE(model.total(1), 0);
        return;
    }
    QCOMPARE(loaded.size(), 1);
    QCOMPARE(model.total(1), 17);
    // Only round ends set what the leader test ranks by.
    QCOMPARE(model.rankedTotal(1), 0);
    QCOMPARE(model.rounds(), 4);
    QCOMPARE(model.seconds(), 90);
    QCOMPARE(model.lengthCode(), 8);
    QCOMPARE(model.round(), 2);
    QCOMPARE(model.roundLength(), 6);
    QCOMPARE(model.prefix(), QStringLiteral("STR"));
    QCOMPARE(model.turnActive(), remaining > 9);
    QCOMPARE(model.turntime->isActive(), remaining > 9);
    QCOMPARE(model.timeleft(), remaining > 9 ? remaining : 0);
    if (phase == Phase::Watching)
        QCOMPARE(model.watchedSeat(), 1);
    QCOMPARE(model.history().size(), 1);
    QVERIFY(!model.history()[0].seenFromStart);
}

void TestGameModel::messagesThatAreNotGameState()
{
    GameModel model;
    login(model, 1, {{1, "Host"}});
    QSignalSpy changed(&model, &GameModel::seatChanged);
    QSignalSpy phase(&model, &GameModel::phaseChanged);
    for (const QByteArray &text :
         {QByteArray("CMD_chat+Host chats: hi|clRed"), QByteArray("CMD_wrongversion+"),
          QByteArray("CMD_full+"), QByteArray("CMD_havewrongversion+Bob"),
          QByteArray("CMD_winner+x+"), QByteArray("CMD_newplayerinfo+x+Bob"), QByteArray()})
        model.apply(decodeServerMessage(text));
    QVERIFY(changed.isEmpty());
    QVERIFY(phase.isEmpty());
    QCOMPARE(model.name(1), QStringLiteral("Host"));
    QCOMPARE(model.winner(), 0);
}

void TestGameModel::wholeGameWithTieBreakAndSpy()
{
    // Two rounds between the host (seat 1), the computer player (seat 2) and
    // Ann (seat 3), found words shown to all. The host's copy sees it all; a
    // spy's copy arrives during round 2 and gets what the server sends it.
    GameModel host;
    login(host, 1, {{1, "Host"}, {3, "Ann"}});
    QSignalSpy over(&host, &GameModel::gameOver);
    feed(host, Msg::startgame("Host", 2, 60, 0));
    QCOMPARE(host.name(2), GameModel::kComputer);

    feed(host, round(1, 1, "BA"));
    QVERIFY(!host.tieBreak());
    feed(host, Msg::gotword(1, "BAT", 3));
    feed(host, Msg::gotword(3, "BASIN", 5));
    feed(host, Msg::gotword(2, "BAD", 3));
    feed(host, endround({{3, 1, 1, 3}, {3, 1, 1, 3}, {5, 1, 1, 5}}));
    QCOMPARE(host.leader(), 3);
    QCOMPARE(host.wordsShown(), WordsShown::ToAll);

    feed(host, round(2, 1, "CO"));
    feed(host, Msg::gotword(1, "COAST", 5));
    feed(host, Msg::newplayerinfo(7, "Zed"));
    QCOMPARE(host.spies().size(), 1);

    GameModel spy;
    login(spy, 7, {{7, "Zed"}, {1, "Host"}, {3, "Ann"}});
    feed(spy, Msg::loadstats(
                  {7, 2, 60, 0, 2, 0, "CO", 40, {{1, 8}, {2, 3}, {3, 5}, {4, 0}, {5, 0}, {6, 0}}}));
    QCOMPARE(spy.phase(), Phase::Watching);
    QCOMPARE(spy.watchedSeat(), 1);
    QVERIFY(spy.watching());
    QVERIFY(!spy.canSendWords());
    QCOMPARE(spy.total(1), 8);
    // Nobody tells a late spy about the computer player: its row stays empty.
    QCOMPARE(spy.name(2), GameModel::kWaiting);

    // From here on both copies receive the same messages.
    const QList<QByteArray> rest{
        Msg::gotword(3, "COB", 3),
        endround({{8, 2, 1, 5}, {3, 1, 0, 0}, {8, 2, 1, 3}}),
        // 8 against 8: the lead is shared, so a third round is played.
        round(3, 1, "DO"),
        Msg::gotword(3, "DOG", 3),
        endround({{8, 2, 0, 0}, {3, 1, 0, 0}, {11, 3, 1, 3}}),
        Msg::winner(3),
    };
    for (const QByteArray &m : rest) {
        feed(host, m);
        feed(spy, m);
        if (m.startsWith("CMD_endround") && host.round() == 2) {
            QCOMPARE(host.leader(), 1);
            QCOMPARE(spy.leader(), 1);
        }
        if (m.startsWith("CMD_startround")) {
            QVERIFY(host.tieBreak());
            QVERIFY(spy.tieBreak());
            QCOMPARE(host.phase(), Phase::OwnTurn);
            QCOMPARE(spy.phase(), Phase::Watching);
        }
    }

    QCOMPARE(over.size(), 1);
    QCOMPARE(over[0].value(0).toInt(), 3);
    for (const GameModel *model : {&host, &spy}) {
        QCOMPARE(model->winner(), 3);
        QCOMPARE(model->phase(), Phase::GameOver);
        QVERIFY(!model->gameOn());
        QVERIFY(model->scoresShown());
        QCOMPARE(model->leader(), 3);
        QCOMPARE(model->total(3), 11);
        const SeatPanel ann = model->panel(3);
        QCOMPARE(ann.name, QStringLiteral("Ann"));
        QCOMPARE(ann.roundWords, 1);
        QCOMPARE(ann.roundPoints, 3);
        QCOMPARE(ann.gameWords, 3);
        QCOMPARE(ann.total, 11);
    }

    const QList<RoundRecord> &played = host.history();
    QCOMPARE(played.size(), 3);
    QCOMPARE(played[0].words.size(), 3);
    QCOMPARE(played[0].scores[2].roundPoints, 5);
    QCOMPARE(played[1].words.size(), 2);
    QCOMPARE(played[1].words[1].finder, QStringLiteral("Ann"));
    QCOMPARE(played[1].scores[0].total, 8);
    QCOMPARE(played[2].round, 3);
    QVERIFY(played[2].tieBreak && !played[1].tieBreak);
    QCOMPARE(played[2].starter, QStringLiteral("BASIC"));
    for (const RoundRecord &record : played)
        QVERIFY(record.seenFromStart && record.ended);

    const QList<RoundRecord> &watched = spy.history();
    QCOMPARE(watched.size(), 2);
    QCOMPARE(watched[0].round, 2);
    QVERIFY(!watched[0].seenFromStart);
    QVERIFY(watched[0].ended);
    QCOMPARE(watched[0].words.size(), 1);
    QVERIFY(watched[1].seenFromStart && watched[1].tieBreak);
    QCOMPARE(watched[1].scores[2].total, 11);
    QCOMPARE(spy.wordsShown(), WordsShown::ToAll);
}

void TestGameModel::recordedGame()
{
    // What the real server sent each of two players in a game recorded over
    // loopback: every player's copy must follow it to the same end.
    QFile file(QStringLiteral(TRANSCRIPT_FILE));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QMap<QByteArray, QList<ServerMessage>> received;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const qsizetype mark = line.indexOf("< ");
        if (mark > 0)
            received[line.left(mark)].append(decodeServerMessage(line.mid(mark + 2)));
    }
    QCOMPARE(received.size(), 2);

    for (auto it = received.cbegin(); it != received.cend(); ++it) {
        const QByteArray who = it.key();
        GameModel model;
        int rounds = 0;
        int winner = 0;
        Msg::EndRound last;
        QList<int> wordsPerRound;
        for (const ServerMessage &message : it.value()) {
            QVERIFY2(!std::holds_alternative<Msg::Dropped>(message), who.constData());
            QVERIFY2(!std::holds_alternative<Msg::Ignored>(message), who.constData());
            if (std::holds_alternative<Msg::StartRound>(message)) {
                ++rounds;
                wordsPerRound.append(0);
            } else if (std::holds_alternative<Msg::GotWord>(message)) {
                ++wordsPerRound.last();
            } else if (const auto *win = std::get_if<Msg::Winner>(&message)) {
                winner = win->seat;
            } else if (const auto *end = std::get_if<Msg::EndRound>(&message)) {
                last = *end;
            }
            model.apply(message);
        }
        QVERIFY(model.loggedIn());
        QCOMPARE(model.name(model.mySeat()), QString::fromUtf8(who));
        QVERIFY(winner >= 1);
        QCOMPARE(model.winner(), winner);
        QCOMPARE(model.phase(), Phase::GameOver);
        QVERIFY(!model.gameOn());
        QCOMPARE(last.scores.size(), 6);
        for (const Msg::SeatScore &score : last.scores) {
            QCOMPARE(model.total(score.seat), score.total);
            QCOMPARE(model.panel(score.seat).roundPoints, score.roundPoints);
        }
        QCOMPARE(model.history().size(), rounds);
        for (qsizetype i = 0; i < rounds; ++i) {
            QVERIFY(model.history()[i].ended);
            QCOMPARE(model.history()[i].words.size(), wordsPerRound[i]);
        }
        QCOMPARE(model.wordsShown(), WordsShown::ToAll);
    }
}

QTEST_GUILESS_MAIN(TestGameModel)
#include "test_gamemodel.moc"

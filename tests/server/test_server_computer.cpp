// The computer player on seat 2: what it submits, when it stays silent, and
// its interval. Its timer is stepped by calling the handler; the host's
// client talks over a real loopback connection.

#include "serverharness.h"

#include "common/random.h"
#include "net/messages.h"

#include <QTimer>
#include <QtTest>

namespace {
// Prefixes of one letter give the computer plenty to find: the round's
// prefix is cut to its first letter.
void oneLetterPrefix(TServer &server)
{
    StagedGame round;
    round.prefix = server.state().prefix.left(1);
    server.stage(round);
}
} // namespace

class TestServerComputer : public QObject {
    Q_OBJECT

private slots:
    void computerFitsTheRound_data();
    void computerFitsTheRound();
    void computerFindsOnlyFittingEntries();
    void computerNotWhileSeat2Held();
    void computerHiddenWordsStillScore();
    void personTakingComputerSeatStartsFromZero();
    void seat2NewcomerAfterAPersonStartsFromZero();
    void botIntervalReadAtRoundStart();
};

void TestServerComputer::computerFitsTheRound_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<quint32>("seed");
    QTest::newRow("any length") << 0 << 11u;
    QTest::newRow("four letters") << 2 << 12u;
    QTest::newRow("random length") << 6 << 13u;
}

void TestServerComputer::computerFitsTheRound()
{
    QFETCH(int, type);
    QFETCH(quint32, seed);
    ServerHarness h;
    TestClient *host = h.join("P1");
    QVERIFY(host);
    Random::seed(seed);
    QVERIFY(h.startGame(host, 5, 60, type, true));
    QVERIFY(h.server.computertimer().isActive());
    oneLetterPrefix(h.server);

    int submissions = 0;
    for (int tick = 0; tick < 300; ++tick) {
        const qsizetype before = h.server.state().listbox_gotten.size();
        h.server.computertimerTimer();
        const qsizetype grown = h.server.state().listbox_gotten.size() - before;
        QVERIFY(grown <= 1);
        submissions += static_cast<int>(grown);
    }
    QVERIFY(submissions > 0);
    QCOMPARE(h.server.seat(2).roundwords, submissions);
    for (const QByteArray &word : h.server.state().listbox_gotten) {
        QVERIFY(word.startsWith(h.server.state().prefix));
        if (h.server.state().wordlength)
            QCOMPARE(word.size(), h.server.state().wordlength);
    }
    QVERIFY(h.wait([&] { return host->gotwords(2).size() == submissions; }));
    QCOMPARE(host->gotwords(2), h.server.state().listbox_gotten);

    // Once the players' clock has run out the computer stops trying.
    h.stepcountdownto(4);
    for (int tick = 0; tick < 200; ++tick)
        h.server.computertimerTimer();
    QCOMPARE(h.server.seat(2).roundwords, submissions);
}

void TestServerComputer::computerFindsOnlyFittingEntries()
{
    ServerHarness h;
    const StarterWords &words = h.server.starterwords();
    QVERIFY(words.count() > 5000);
    QByteArrayList all;
    for (qsizetype i = 0; i < words.count(); ++i)
        all.append(words.at(i));

    Random::seed(5);
    struct Case {
        int length;
        QByteArray prefix;
    };
    for (const Case &round :
         {Case{0, "B"}, Case{5, "ST"}, Case{7, "CON"}, Case{3, "Z"}, Case{0, "ZY"}}) {
        for (int tick = 0; tick < 200; ++tick) {
            const QByteArray word = words.findFitting(round.length, round.prefix, 1000);
            if (word.isEmpty())
                continue;
            QVERIFY(all.contains(word));
            QVERIFY(upperLetters(word).startsWith(round.prefix));
            if (round.length)
                QCOMPARE(word.size(), round.length);
        }
    }
    // The last ten entries are never drawn: asked for exactly one of them (a
    // word found nowhere else in the list), the search never finds it, while
    // the same question for the entry just before them is answered.
    const auto onlyAt = [&](qsizetype index) {
        const QByteArray word = upperLetters(words.at(index));
        for (qsizetype i = 0; i < words.count(); ++i) {
            if (i != index && upperLetters(words.at(i)) == word)
                return false;
        }
        return true;
    };
    int askedForTail = 0;
    for (qsizetype index = words.count() - 10; index < words.count(); ++index) {
        if (!onlyAt(index))
            continue;
        ++askedForTail;
        const QByteArray word = upperLetters(words.at(index));
        const int length = int(words.at(index).size());
        for (int tick = 0; tick < 200; ++tick)
            QVERIFY2(words.findFitting(length, word, 1000).isEmpty(), word.constData());
    }
    QVERIFY(askedForTail > 0);
    qsizetype before = words.count() - 11;
    while (!onlyAt(before))
        --before;
    const QByteArray reachable = upperLetters(words.at(before));
    bool found = false;
    for (int tick = 0; tick < 2000 && !found; ++tick)
        found = !words.findFitting(int(words.at(before).size()), reachable, 1000).isEmpty();
    QVERIFY2(found, reachable.constData());

    // Nothing fits: the search gives up after its attempts.
    QVERIFY(words.findFitting(0, "QQQ", 1000).isEmpty());
}

void TestServerComputer::computerNotWhileSeat2Held()
{
    ServerHarness h;
    TestClient *host = h.join("P1");
    QVERIFY(host);
    Random::seed(3);
    QVERIFY(h.startGame(host, 5, 60, 0, true));
    oneLetterPrefix(h.server);
    QVERIFY(h.server.computertimer().isActive());

    // A client takes seat 2 during the round: the computer stops at its next tick.
    TestClient *second = h.join("P2");
    QVERIFY(second);
    QCOMPARE(second->seat(), 2);
    for (int tick = 0; tick < 200; ++tick)
        h.server.computertimerTimer();
    QCOMPARE(h.server.seat(2).roundwords, 0);
    QVERIFY(h.server.state().listbox_gotten.isEmpty());

    // At the next round start the computer is not started at all.
    h.server.endtheround();
    h.runout();
    QVERIFY(h.server.state().roundon);
    QVERIFY(!h.server.computertimer().isActive());
}

void TestServerComputer::computerHiddenWordsStillScore()
{
    ServerHarness h;
    TestClient *host = h.join("P1");
    QVERIFY(host);
    Random::seed(21);
    QVERIFY(h.startGame(host, 5, 60, 0, false));
    oneLetterPrefix(h.server);
    for (int tick = 0; tick < 100; ++tick)
        h.server.computertimerTimer();
    const int letters = h.server.seat(2).roundletters;
    QVERIFY(letters > 0);
    h.runout();
    QVERIFY(h.wait([&] { return !host->withCommand(Cmd::endround).isEmpty(); }));
    QVERIFY(host->withCommand(Cmd::gotword).isEmpty());
    const QList<Msg::SeatScore> scores =
        Msg::readEndround(splitMessage(host->withCommand(Cmd::endround).first()).body);
    QCOMPARE(scores.at(1).seat, 2);
    QCOMPARE(scores.at(1).total, letters);
    QCOMPARE(scores.at(1).roundPoints, letters);
    QVERIFY(scores.at(1).roundWords > 0);
}

void TestServerComputer::personTakingComputerSeatStartsFromZero()
{
    ServerHarness h;
    TestClient *host = h.join("P1");
    QVERIFY(host);
    Random::seed(5);
    QVERIFY(h.startGame(host, 5, 60, 0, true));
    oneLetterPrefix(h.server);
    for (int tick = 0; tick < 100; ++tick)
        h.server.computertimerTimer();
    QVERIFY(h.server.seat(2).roundletters > 0);
    h.runout();
    QVERIFY(h.server.seat(2).score > 0);
    h.runout();
    QVERIFY(h.server.state().roundon);
    for (int tick = 0; tick < 100; ++tick)
        h.server.computertimerTimer();
    QVERIFY(h.server.seat(2).roundletters > 0);
    const QList<QByteArray> computerwords = h.server.state().listbox_gotten;

    // A person takes seat 2 in the middle of the second round.
    TestClient *person = h.join("P2");
    QVERIFY(person);
    QCOMPARE(person->seat(), 2);
    QCOMPARE(h.server.seat(2).score, 0);
    QCOMPARE(h.server.seat(2).gamewords, 0);
    QCOMPARE(h.server.seat(2).roundwords, 0);
    QCOMPARE(h.server.seat(2).roundletters, 0);
    // The words the computer found stay found for this round.
    QCOMPARE(h.server.state().listbox_gotten, computerwords);

    host->clearReceived();
    h.runout();
    QVERIFY(h.wait([&] { return !host->withCommand(Cmd::endround).isEmpty(); }));
    const QList<Msg::SeatScore> scores =
        Msg::readEndround(splitMessage(host->withCommand(Cmd::endround).first()).body);
    QCOMPARE(scores.at(1).seat, 2);
    QCOMPARE(scores.at(1).total, 0);
    QCOMPARE(scores.at(1).gameWords, 0);
}

void TestServerComputer::seat2NewcomerAfterAPersonStartsFromZero()
{
    // Seat 2 was a person's all game: a newcomer after him starts from zero,
    // as at every other seat.
    ServerHarness h;
    TestClient *host = h.join("P1");
    TestClient *first = h.join("P2");
    QVERIFY(host && first);
    QVERIFY(h.startGame(host, 5, 60, 0, true));
    QVERIFY(!h.server.computertimer().isActive());
    StagedGame totals;
    totals.totals = {{2, 17, 4}};
    h.server.stage(totals);
    first->close();
    QVERIFY(h.wait([&] { return !h.server.seat(2).connected; }));
    TestClient *second = h.join("P3");
    QVERIFY(second);
    QCOMPARE(second->seat(), 2);
    QCOMPARE(h.server.seat(2).score, 0);
    QCOMPARE(h.server.seat(2).gamewords, 0);
}

void TestServerComputer::botIntervalReadAtRoundStart()
{
    ServerHarness h;
    TestClient *host = h.join("P1");
    QVERIFY(host);
    h.options.bot = 2000 * 3600;
    QVERIFY(h.startGame(host, 5, 60, 0, true));
    QCOMPARE(h.server.computertimer().interval(), 2000 * 3600);
    QVERIFY(h.server.computertimer().isActive());
    h.options.bot = 750 * 3600;
    QCOMPARE(h.server.computertimer().interval(), 2000 * 3600);
    h.server.endtheround();
    QVERIFY(!h.server.computertimer().isActive());
    h.runout();
    QCOMPARE(h.server.computertimer().interval(), 750 * 3600);
    QVERIFY(h.server.computertimer().isActive());
}

QTEST_GUILESS_MAIN(TestServerComputer)
#include "test_server_computer.moc"

// Game flow and scoring: rounds, word judging, give-ups, the end-of-round
// report, the winner and tie-breaks. Timers are
// stepped by calling their handlers; clients talk over real loopback
// connections.

#include "serverharness.h"

#include "net/messages.h"

#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

namespace {
QByteArray text(const QByteArray &message)
{
    return message.chopped(1);
}

// A running round with the given prefix and length rule, set directly.
void setRound(TServer &server, const QByteArray &prefix, int wordlength)
{
    StagedGame round;
    round.gameon = true;
    round.roundon = true;
    round.showwords = true;
    round.prefix = prefix;
    round.wordlength = wordlength;
    round.countdown = 30;
    round.phase = 1;
    round.listbox_gotten = QByteArrayList{};
    server.stage(round);
}

// Joins `count` players named P1, P2, ...
QList<TestClient *> joinPlayers(ServerHarness &h, int count)
{
    QList<TestClient *> clients;
    for (int i = 1; i <= count; ++i) {
        TestClient *client = h.join("P" + QByteArray::number(i));
        if (!client)
            return {};
        clients.append(client);
    }
    return clients;
}

// Sends a word and waits for the sender's answer; returns it.
QByteArray submit(ServerHarness &h, TestClient *client, const QByteArray &word)
{
    const qsizetype before = client->received().size();
    client->send(Msg::sendword(client->seat(), word));
    if (!h.wait([&] {
            for (qsizetype i = before; i < client->received().size(); ++i) {
                const QByteArray command = splitMessage(client->received().at(i)).command;
                if (command == Cmd::notvalid || command == Cmd::gotword)
                    return true;
            }
            return false;
        }))
        return {};
    for (qsizetype i = before; i < client->received().size(); ++i) {
        const QByteArray &message = client->received().at(i);
        const QByteArray command = splitMessage(message).command;
        if (command == Cmd::notvalid || command == Cmd::gotword)
            return message;
    }
    return {};
}

} // namespace

class TestServerGame : public QObject {
    Q_OBJECT

private slots:
    void lengthCodes_data();
    void lengthCodes();
    void unreadableRoundsAndSeconds();
    void refusalReasons_data();
    void refusalReasons();
    void wordsInTurn();
    void paddedWordCountsOnce();
    void paddedForms_data();
    void paddedForms();
    void spyWordsIgnored();
    void hiddenWordsGoToFinderOnly();
    void giveups_data();
    void giveups();
    void giveupDuringPause();
    void giveupWithoutClosingPlusDropped();
    void departedPlayerDoesNotHoldRound();
    void endroundReport();
    void winner_data();
    void winner();
    void tieBreakRound();
    void pause_data();
    void pause();
    void restartDuringGame();
    void prefixListAtGameStart_data();
    void prefixListAtGameStart();
    void prefixDrawBounded();
};

void TestServerGame::lengthCodes_data()
{
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<int>("code");
    QTest::newRow("no limit") << QByteArray("0") << 0;
    QTest::newRow("3 letters") << QByteArray("1") << 3;
    QTest::newRow("4 letters") << QByteArray("2") << 4;
    QTest::newRow("5 letters") << QByteArray("3") << 5;
    QTest::newRow("6 letters") << QByteArray("4") << 6;
    QTest::newRow("7 letters") << QByteArray("5") << 7;
    QTest::newRow("random length") << QByteArray("6") << 8;
    QTest::newRow("7") << QByteArray("7") << 0;
    QTest::newRow("-1") << QByteArray("-1") << 0;
    QTest::newRow("99") << QByteArray("99") << 0;
}

void TestServerGame::lengthCodes()
{
    QFETCH(QByteArray, type);
    QFETCH(int, code);
    ServerHarness h;
    TestClient *host = h.join("P1");
    QVERIFY(host);
    host->send("CMD_startgame+P1+5+60+" + type + "+1+\xFF");
    QVERIFY(h.wait([&] { return !host->withCommand(Cmd::startround).isEmpty(); }));
    QCOMPARE(host->withCommand(Cmd::startgame),
             QList<QByteArray>{"CMD_startgame+P1+5+60+" + QByteArray::number(code) + "+"});
    QCOMPARE(h.server.state().lengthcode, code);
    const Msg::StartRound start =
        Msg::readStartround(splitMessage(host->withCommand(Cmd::startround).first()).body);
    QCOMPARE(start.round, 1);
    QCOMPARE(start.seconds, 60);
    QCOMPARE(start.seat, 1);
    QVERIFY(start.starter.startsWith(start.prefix));
    QCOMPARE(start.starter, start.starter.toUpper());
    if (code >= 3 && code <= 7) {
        QCOMPARE(start.length, code);
        QCOMPARE(start.starter.size(), code);
    } else if (code == 8) {
        QVERIFY(start.length == 0 || (start.length >= 3 && start.length <= 7));
    } else {
        QCOMPARE(start.length, 0);
    }
    if (start.length == 3)
        QCOMPARE(start.prefix.size(), 1);
    else if (start.length == 4)
        QVERIFY(start.prefix.size() <= 2);
    QVERIFY(start.prefix.size() >= 1 && start.prefix.size() <= 3);
}

void TestServerGame::unreadableRoundsAndSeconds()
{
    ServerHarness h;
    TestClient *host = h.join("P1");
    QVERIFY(host);
    host->send("CMD_startgame+P1+many+long+0+0+\xFF");
    QVERIFY(h.wait([&] { return !host->withCommand(Cmd::startround).isEmpty(); }));
    QCOMPARE(host->withCommand(Cmd::startgame), QList<QByteArray>{"CMD_startgame+P1+5+60+0+"});
    QCOMPARE(h.server.state().rounds, 5);
    QCOMPARE(h.server.state().roundtime, 60);
    QCOMPARE(h.server.state().countdown, 64);
    QVERIFY(!h.server.state().showwords);
}

void TestServerGame::refusalReasons_data()
{
    QTest::addColumn<int>("wordlength");
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<QByteArrayList>("found");
    QTest::addColumn<QByteArray>("word");
    QTest::addColumn<QByteArray>("answer");
    const QByteArrayList none;
    QTest::newRow("accepted") << 0 << QByteArray("BA") << none << QByteArray("bat")
                              << Msg::gotword(3, "BAT", 3);
    QTest::newRow("mixed case") << 0 << QByteArray("BA") << none << QByteArray("BaT")
                                << Msg::gotword(3, "BAT", 3);
    QTest::newRow("right length") << 4 << QByteArray("BA") << none << QByteArray("bats")
                                  << Msg::gotword(3, "BATS", 4);
    QTest::newRow("found before") << 0 << QByteArray("BA") << QByteArrayList{"BAT"}
                                  << QByteArray("bat") << Msg::notvalid(3, 2);
    QTest::newRow("wrong prefix") << 0 << QByteArray("BA") << none << QByteArray("cat")
                                  << Msg::notvalid(3, 3);
    QTest::newRow("not a word before wrong prefix")
        << 0 << QByteArray("BA") << none << QByteArray("xqzt") << Msg::notvalid(3, 1);
    QTest::newRow("wrong length before not a word")
        << 5 << QByteArray("BA") << none << QByteArray("bxqz") << Msg::notvalid(3, 0);
    QTest::newRow("wrong length before found") << 3 << QByteArray("BA") << QByteArrayList{"BATS"}
                                               << QByteArray("bats") << Msg::notvalid(3, 0);
    QTest::newRow("not a word before found") << 0 << QByteArray("BA") << QByteArrayList{"BAXQ"}
                                             << QByteArray("baxq") << Msg::notvalid(3, 1);
    QTest::newRow("found before wrong prefix") << 0 << QByteArray("CA") << QByteArrayList{"BAT"}
                                               << QByteArray("bat") << Msg::notvalid(3, 2);
    QTest::newRow("shorter than the prefix")
        << 0 << QByteArray("BAT") << none << QByteArray("be") << Msg::notvalid(3, 3);
    QTest::newRow("empty word") << 0 << QByteArray("BA") << none << QByteArray()
                                << Msg::notvalid(3, 1);
}

void TestServerGame::refusalReasons()
{
    QFETCH(int, wordlength);
    QFETCH(QByteArray, prefix);
    QFETCH(QByteArrayList, found);
    QFETCH(QByteArray, word);
    QFETCH(QByteArray, answer);
    ServerHarness h;
    const QList<TestClient *> c = joinPlayers(h, 3);
    QVERIFY(!c.isEmpty());
    setRound(h.server, prefix, wordlength);
    StagedGame foundBefore;
    foundBefore.listbox_gotten = found;
    h.server.stage(foundBefore);

    QCOMPARE(submit(h, c[2], word), text(answer));
    const bool accepted = answer.startsWith("CMD_gotword");
    QCOMPARE(h.server.seat(3).roundwords, accepted ? 1 : 0);
    QCOMPARE(h.server.state().listbox_gotten.size(), found.size() + (accepted ? 1 : 0));
    QVERIFY(h.barrier(c[2]));
    // A refusal goes to the sender only; an accepted word to everyone.
    for (TestClient *other : {c[0], c[1]})
        QCOMPARE(other->received().contains(text(answer)), accepted);
}

void TestServerGame::wordsInTurn()
{
    ServerHarness h;
    const QList<TestClient *> c = joinPlayers(h, 4);
    QVERIFY(!c.isEmpty());
    setRound(h.server, "BA", 0);

    QCOMPARE(submit(h, c[2], "bat"), text(Msg::gotword(3, "BAT", 3)));
    QCOMPARE(submit(h, c[3], "bat"), text(Msg::notvalid(4, 2)));
    QCOMPARE(submit(h, c[3], "cat"), text(Msg::notvalid(4, 3)));
    // The players' clock has run out, the server's four extra seconds have not.
    h.stepcountdownto(2);
    QCOMPARE(submit(h, c[3], "bats"), text(Msg::gotword(4, "BATS", 4)));
    QCOMPARE(h.server.seat(3).roundletters, 3);
    QCOMPARE(h.server.seat(3).gamewords, 1);
    QCOMPARE(h.server.seat(4).roundletters, 4);
    QCOMPARE(h.server.state().listbox_gotten, (QByteArrayList{"BAT", "BATS"}));

    // After the round nothing is judged.
    h.server.endtheround();
    c[0]->send(Msg::sendword(1, "bad"));
    QVERIFY(h.barrier(c[0]));
    QVERIFY(c[0]->withCommand(Cmd::notvalid).isEmpty());
    QCOMPARE(c[0]->gotwords(1), QList<QByteArray>{});
}

void TestServerGame::paddedWordCountsOnce()
{
    ServerHarness h;
    const QList<TestClient *> c = joinPlayers(h, 2);
    QVERIFY(!c.isEmpty());
    QVERIFY(h.startGame(c[0], 5, 60, 0, true));
    setRound(h.server, "SP", 0);

    const QByteArray nul(1, '\0');
    const QByteArrayList forms{"spa ",      "spa",  "spa  ",
                               "spa" + nul, " SPA", nul + " sPa " + nul + nul};
    QCOMPARE(submit(h, c[1], forms.at(0)), text(Msg::gotword(2, "SPA", 3)));
    for (qsizetype i = 1; i < forms.size(); ++i)
        QCOMPARE(submit(h, c[1], forms.at(i)), text(Msg::notvalid(2, 2)));
    QCOMPARE(h.server.state().listbox_gotten, QByteArrayList{"SPA"});
    QCOMPARE(h.server.seat(2).roundletters, 3);

    // Everybody is shown the word once, in its trimmed form.
    QVERIFY(h.barrier(c[1]));
    QCOMPARE(c[0]->gotwords(2), QList<QByteArray>{"SPA"});

    h.runout();
    const QByteArray report =
        "CMD_endround+1+0+0+0+0+2+3+1+1+3+3+0+0+0+0+4+0+0+0+0+5+0+0+0+0+6+0+0+0+0";
    QVERIFY(h.wait([&] { return c[0]->received().contains(report); }));
}

void TestServerGame::paddedForms_data()
{
    QTest::addColumn<int>("wordlength");
    QTest::addColumn<QByteArray>("word");
    QTest::addColumn<QByteArray>("answer");
    const QByteArray nul(1, '\0');
    QTest::newRow("trailing blank, length rule")
        << 3 << QByteArray("bat ") << Msg::gotword(3, "BAT", 3);
    QTest::newRow("leading blanks, length rule")
        << 3 << QByteArray("  bat") << Msg::gotword(3, "BAT", 3);
    QTest::newRow("NULs around") << 0 << nul + "bat" + nul << Msg::gotword(3, "BAT", 3);
    QTest::newRow("padding does not fit a longer length")
        << 4 << QByteArray("bat ") << Msg::notvalid(3, 0);
    QTest::newRow("blank inside") << 0 << QByteArray("ba t") << Msg::notvalid(3, 1);
    QTest::newRow("NUL inside") << 0 << "ba" + nul + "t" << Msg::notvalid(3, 1);
    QTest::newRow("two words") << 0 << QByteArray("bat bag") << Msg::notvalid(3, 1);
    QTest::newRow("only blanks") << 0 << QByteArray("   ") << Msg::notvalid(3, 1);
    QTest::newRow("only NULs") << 0 << nul + nul << Msg::notvalid(3, 1);
    QTest::newRow("tab is not padding") << 0 << QByteArray("bat\t") << Msg::notvalid(3, 1);
}

void TestServerGame::paddedForms()
{
    QFETCH(int, wordlength);
    QFETCH(QByteArray, word);
    QFETCH(QByteArray, answer);
    ServerHarness h;
    const QList<TestClient *> c = joinPlayers(h, 3);
    QVERIFY(!c.isEmpty());
    setRound(h.server, "BA", wordlength);

    QCOMPARE(submit(h, c[2], word), text(answer));
    const bool accepted = answer.startsWith("CMD_gotword");
    QCOMPARE(h.server.seat(3).roundletters, accepted ? 3 : 0);
}

void TestServerGame::spyWordsIgnored()
{
    ServerHarness h;
    const QList<TestClient *> c = joinPlayers(h, 7);
    QVERIFY(!c.isEmpty());
    QVERIFY(h.startGame(c[0], 5, 60, 0, true));
    const Msg::StartRound spyRound =
        Msg::readStartround(splitMessage(c[6]->withCommand(Cmd::startround).first()).body);
    QCOMPARE(spyRound.seat, 1);
    const Msg::StartRound playerRound =
        Msg::readStartround(splitMessage(c[2]->withCommand(Cmd::startround).first()).body);
    QCOMPARE(playerRound.seat, 3);

    setRound(h.server, "BA", 0);
    c[6]->send(Msg::sendword(7, "bat"));
    QVERIFY(h.barrier(c[6]));
    QVERIFY(c[6]->withCommand(Cmd::notvalid).isEmpty());
    QVERIFY(c[0]->withCommand(Cmd::gotword).isEmpty());
    QVERIFY(h.server.state().listbox_gotten.isEmpty());
}

void TestServerGame::hiddenWordsGoToFinderOnly()
{
    ServerHarness h;
    const QList<TestClient *> c = joinPlayers(h, 3);
    QVERIFY(!c.isEmpty());
    QVERIFY(h.startGame(c[0], 5, 60, 0, false));
    setRound(h.server, "BA", 0);
    StagedGame hidden;
    hidden.showwords = false;
    h.server.stage(hidden);

    QCOMPARE(submit(h, c[1], "bat"), text(Msg::gotword(2, "BAT", 3)));
    QVERIFY(h.barrier(c[1]));
    QVERIFY(c[0]->withCommand(Cmd::gotword).isEmpty());
    QVERIFY(c[2]->withCommand(Cmd::gotword).isEmpty());
    h.runout();
    QVERIFY(h.wait([&] { return !c[2]->withCommand(Cmd::endround).isEmpty(); }));
    const QList<Msg::SeatScore> scores =
        Msg::readEndround(splitMessage(c[2]->withCommand(Cmd::endround).first()).body);
    QCOMPARE(scores.at(1).total, 3);
}

void TestServerGame::giveups_data()
{
    QTest::addColumn<int>("countdown");
    QTest::addColumn<QList<int>>("givingUp");
    QTest::addColumn<bool>("ends");
    QTest::newRow("both with 30 left") << 30 << QList<int>{1, 2} << true;
    QTest::newRow("both with 5 left") << 5 << QList<int>{2, 1} << true;
    QTest::newRow("both with 4 left") << 4 << QList<int>{1, 2} << false;
    QTest::newRow("one of two") << 30 << QList<int>{1} << false;
    QTest::newRow("the other of two") << 30 << QList<int>{2} << false;
}

void TestServerGame::giveups()
{
    QFETCH(int, countdown);
    QFETCH(QList<int>, givingUp);
    QFETCH(bool, ends);
    ServerHarness h;
    const QList<TestClient *> c = joinPlayers(h, 2);
    QVERIFY(!c.isEmpty());
    QVERIFY(h.startGame(c[0], 5, 60, 0, true));
    h.stepcountdownto(countdown);
    for (int seat : givingUp) {
        c[seat - 1]->send(Msg::giveup(seat));
        QVERIFY(h.barrier(c[seat - 1]));
    }
    QCOMPARE(c[0]->withCommand(Cmd::endround).size(), ends ? 1 : 0);
    QCOMPARE(c[1]->withCommand(Cmd::endround).size(), ends ? 1 : 0);
    QCOMPARE(h.server.state().roundon, !ends);
    QCOMPARE(h.server.state().phase, ends ? 2 : 1);
    QVERIFY(h.server.roundtimer().isActive());
    if (ends)
        QCOMPARE(h.server.state().countdown, 12);
}

void TestServerGame::giveupWithoutClosingPlusDropped()
{
    ServerHarness h;
    const QList<TestClient *> c = joinPlayers(h, 2);
    QVERIFY(!c.isEmpty());
    QVERIFY(h.startGame(c[0], 5, 60, 0, true));
    // The seat is the last field and has no "+" after it: the number is
    // missing, the message is dropped and the round goes on.
    for (int seat = 1; seat <= 2; ++seat) {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("dropped a message of seat"));
        c[seat - 1]->send("CMD_giveup+" + QByteArray::number(seat) + '\xFF');
        QVERIFY(h.barrier(c[seat - 1]));
    }
    QVERIFY(h.server.state().roundon);
    QCOMPARE(h.server.state().phase, 1);
    QVERIFY(c[0]->withCommand(Cmd::endround).isEmpty());
    QVERIFY(!h.server.seat(1).gaveup && !h.server.seat(2).gaveup);
}

void TestServerGame::giveupDuringPause()
{
    ServerHarness h;
    const QList<TestClient *> c = joinPlayers(h, 2);
    QVERIFY(!c.isEmpty());
    QVERIFY(h.startGame(c[0], 5, 60, 0, true));
    h.server.endtheround();
    h.stepcountdownto(10);
    c[0]->send(Msg::giveup(1));
    c[1]->send(Msg::giveup(2));
    QVERIFY(h.barrier(c[0]));
    QVERIFY(h.barrier(c[1]));
    QCOMPARE(c[0]->withCommand(Cmd::endround).size(), 1);
    QCOMPARE(h.server.state().phase, 2);
    QCOMPARE(h.server.state().countdown, 10);
}

void TestServerGame::departedPlayerDoesNotHoldRound()
{
    ServerHarness h;
    const QList<TestClient *> c = joinPlayers(h, 3);
    QVERIFY(!c.isEmpty());
    QVERIFY(h.startGame(c[0], 5, 60, 0, true));
    c[2]->reset();
    QVERIFY(h.wait([&] { return !h.server.seat(3).connected; }));
    c[1]->close();
    QVERIFY(h.wait([&] { return !h.server.seat(2).connected; }));
    // Seat 2 is now the computer's; it does not hold the round open either.
    c[0]->send(Msg::giveup(1));
    QVERIFY(h.wait([&] { return !c[0]->withCommand(Cmd::endround).isEmpty(); }));
    QVERIFY(!h.server.state().roundon);
}

void TestServerGame::endroundReport()
{
    ServerHarness h;
    const QList<TestClient *> c = joinPlayers(h, 2);
    QVERIFY(!c.isEmpty());
    QVERIFY(h.startGame(c[0], 5, 60, 0, true));
    setRound(h.server, "BA", 0);
    QCOMPARE(submit(h, c[0], "bat"), text(Msg::gotword(1, "BAT", 3)));
    QCOMPARE(submit(h, c[0], "bats"), text(Msg::gotword(1, "BATS", 4)));
    QCOMPARE(submit(h, c[1], "ban"), text(Msg::gotword(2, "BAN", 3)));
    h.runout();
    const QByteArray first =
        "CMD_endround+1+7+2+2+7+2+3+1+1+3+3+0+0+0+0+4+0+0+0+0+5+0+0+0+0+6+0+0+0+0";
    QVERIFY(h.wait([&] { return c[1]->received().contains(first); }));
    QCOMPARE(splitMessage(first).body.split('+').size(), 30);

    // Next round: totals and game words carry on, round numbers start again.
    h.runout();
    QVERIFY(h.wait([&] { return c[1]->withCommand(Cmd::startround).size() == 2; }));
    setRound(h.server, "CA", 0);
    QCOMPARE(submit(h, c[1], "cat"), text(Msg::gotword(2, "CAT", 3)));
    h.runout();
    const QByteArray second =
        "CMD_endround+1+7+2+0+0+2+6+2+1+3+3+0+0+0+0+4+0+0+0+0+5+0+0+0+0+6+0+0+0+0";
    QVERIFY(h.wait([&] { return c[0]->received().contains(second); }));
    QCOMPARE(c[0]->withCommand(Cmd::endround), (QList<QByteArray>{first, second}));
}

void TestServerGame::winner_data()
{
    QTest::addColumn<QList<int>>("totals");
    QTest::addColumn<int>("best");
    QTest::newRow("12 12: tied") << QList<int>{12, 12, 0, 0, 0, 0} << 0;
    QTest::newRow("15 12: seat 1") << QList<int>{15, 12, 0, 0, 0, 0} << 1;
    QTest::newRow("all zero: tied") << QList<int>{0, 0, 0, 0, 0, 0} << 0;
    QTest::newRow("lead shared by 2 and 3") << QList<int>{3, 9, 9, 0, 0, 0} << 0;
    QTest::newRow("seat 6 leads") << QList<int>{3, 9, 0, 0, 0, 10} << 6;
    QTest::newRow("a departed player's total") << QList<int>{5, 0, 0, 8, 0, 0} << 4;
}

void TestServerGame::winner()
{
    QFETCH(QList<int>, totals);
    QFETCH(int, best);
    ServerHarness h;
    const QList<TestClient *> c = joinPlayers(h, 2);
    QVERIFY(!c.isEmpty());
    QVERIFY(h.startGame(c[0], 5, 60, 0, true));
    h.server.endtheround();
    StagedGame lastRound;
    lastRound.round = 5;
    for (int seat = 1; seat <= 6; ++seat)
        lastRound.totals.append({seat, totals[seat - 1], h.server.seat(seat).gamewords});
    h.server.stage(lastRound);
    h.runout();
    if (best) {
        QVERIFY(h.wait([&] { return !c[1]->withCommand(Cmd::winner).isEmpty(); }));
        QCOMPARE(c[1]->withCommand(Cmd::winner), QList<QByteArray>{text(Msg::winner(best))});
        QVERIFY(!h.server.state().gameon);
        QVERIFY(!h.server.state().roundon);
        QVERIFY(!h.server.roundtimer().isActive());
        QVERIFY(!h.server.computertimer().isActive());
        QCOMPARE(c[1]->withCommand(Cmd::startround).size(), 1);
    } else {
        QVERIFY(h.wait([&] { return c[1]->withCommand(Cmd::startround).size() == 2; }));
        QVERIFY(c[1]->withCommand(Cmd::startround).last().startsWith("CMD_startround+6+60+"));
        QVERIFY(h.server.state().gameon);
        QVERIFY(h.server.state().roundon);
        QVERIFY(c[1]->withCommand(Cmd::winner).isEmpty());
    }
}

void TestServerGame::tieBreakRound()
{
    ServerHarness h;
    const QList<TestClient *> c = joinPlayers(h, 2);
    QVERIFY(!c.isEmpty());
    QVERIFY(h.startGame(c[0], 1, 30, 0, true));
    setRound(h.server, "BA", 0);
    QCOMPARE(submit(h, c[0], "bat"), text(Msg::gotword(1, "BAT", 3)));
    QCOMPARE(submit(h, c[1], "ban"), text(Msg::gotword(2, "BAN", 3)));
    h.runout(); // end of round 1: 3 to 3
    h.runout(); // after the pause: a tie-break round
    QVERIFY(h.wait([&] { return c[0]->withCommand(Cmd::startround).size() == 2; }));
    QVERIFY(c[0]->withCommand(Cmd::startround).last().startsWith("CMD_startround+2+30+"));
    setRound(h.server, "CA", 0);
    QCOMPARE(submit(h, c[1], "cat"), text(Msg::gotword(2, "CAT", 3)));
    h.runout();
    h.runout();
    QVERIFY(h.wait([&] { return !c[0]->withCommand(Cmd::winner).isEmpty(); }));
    QCOMPARE(c[0]->withCommand(Cmd::winner), QList<QByteArray>{"CMD_winner+2+"});
    QCOMPARE(c[0]->withCommand(Cmd::startround).size(), 2);
    QVERIFY(!h.server.state().gameon);
}

void TestServerGame::pause_data()
{
    QTest::addColumn<int>("setting");
    QTest::addColumn<int>("pause");
    QTest::newRow("25") << 25 << 12;
    QTest::newRow("20") << 20 << 12;
    QTest::newRow("19") << 19 << 19;
    QTest::newRow("5") << 5 << 5;
}

void TestServerGame::pause()
{
    QFETCH(int, setting);
    QFETCH(int, pause);
    ServerHarness h;
    h.options.pause = setting;
    const QList<TestClient *> c = joinPlayers(h, 2);
    QVERIFY(!c.isEmpty());
    QVERIFY(h.startGame(c[0], 5, 30, 0, true));
    for (int second = 0; second < 33; ++second)
        h.server.roundtimerTimer();
    QVERIFY(h.server.state().roundon);
    h.server.roundtimerTimer(); // the 34th second ends the round
    QVERIFY(!h.server.state().roundon);
    QCOMPARE(h.server.state().countdown, pause);
    for (int second = 1; second < pause; ++second)
        h.server.roundtimerTimer();
    QVERIFY(!h.server.state().roundon);
    h.server.roundtimerTimer();
    QVERIFY(h.server.state().roundon);
    QCOMPARE(h.server.state().round, 2);
    QVERIFY(h.wait([&] { return c[1]->withCommand(Cmd::startround).size() == 2; }));
}

void TestServerGame::restartDuringGame()
{
    ServerHarness h;
    const QList<TestClient *> c = joinPlayers(h, 2);
    QVERIFY(!c.isEmpty());
    QVERIFY(h.startGame(c[0], 5, 60, 0, true));
    setRound(h.server, "BA", 0);
    QCOMPARE(submit(h, c[1], "bat"), text(Msg::gotword(2, "BAT", 3)));
    h.server.endtheround();
    QCOMPARE(h.server.seat(2).score, 3);

    c[0]->send(Msg::startgameRequest("P1", 2, 45, 1, true));
    QVERIFY(h.wait([&] { return c[1]->withCommand(Cmd::startround).size() == 2; }));
    QCOMPARE(c[1]->withCommand(Cmd::startgame).last(), QByteArray("CMD_startgame+P1+2+45+3+"));
    QVERIFY(c[1]->withCommand(Cmd::startround).last().startsWith("CMD_startround+1+45+3+"));
    QCOMPARE(h.server.seat(2).score, 0);
    QCOMPARE(h.server.seat(2).gamewords, 0);
    QCOMPARE(h.server.state().round, 1);
    QCOMPARE(h.server.state().phase, 1);
    QCOMPARE(h.server.state().countdown, 49);
    QVERIFY(h.server.state().roundon);
}

void TestServerGame::prefixListAtGameStart_data()
{
    QTest::addColumn<int>("used");
    QTest::addColumn<int>("after");
    QTest::newRow("26 kept") << 26 << 27;
    QTest::newRow("27 emptied") << 27 << 1;
}

void TestServerGame::prefixListAtGameStart()
{
    QFETCH(int, used);
    QFETCH(int, after);
    ServerHarness h;
    QByteArrayList usedPrefixes;
    for (int i = 0; i < used; ++i)
        usedPrefixes.append("ZZ" + QByteArray::number(i));
    StagedGame staged;
    staged.listbox_prefix = usedPrefixes;
    h.server.stage(staged);
    h.server.startgame(Msg::readStartgameRequest("P1+5+60+0+1+"));
    QCOMPARE(h.server.state().listbox_prefix.size(), after);
    QCOMPARE(h.server.state().listbox_prefix.last(), h.server.state().prefix);
}

void TestServerGame::prefixDrawBounded()
{
    ServerHarness h;
    h.server.startgame(Msg::readStartgameRequest("P1+30+60+1+1+"));
    QCOMPARE(h.server.state().lengthcode, 3);
    QByteArrayList seen{h.server.state().prefix};
    // Fewer than 26 letters begin the three-letter words: the used prefixes run
    // out, are forgotten, and the game goes on.
    for (int round = 2; round <= 30; ++round) {
        h.server.starttheround();
        QCOMPARE(h.server.state().round, round);
        QCOMPARE(h.server.state().prefix.size(), 1);
        QCOMPARE(h.server.state().starterword.size(), 3);
        QCOMPARE(h.server.state().listbox_prefix.last(), h.server.state().prefix);
        QCOMPARE(h.server.state().listbox_prefix.count(h.server.state().prefix), 1);
        seen.append(h.server.state().prefix);
    }
    QVERIFY(h.server.state().listbox_prefix.size() < seen.size());

    QByteArrayList everyLetter = h.server.state().listbox_prefix;
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        everyLetter.append(QByteArray(1, letter));
    StagedGame allUsed;
    allUsed.listbox_prefix = everyLetter;
    h.server.stage(allUsed);
    h.server.starttheround();
    QCOMPARE(h.server.state().listbox_prefix, QByteArrayList{h.server.state().prefix});
}

QTEST_GUILESS_MAIN(TestServerGame)
#include "test_server_game.moc"

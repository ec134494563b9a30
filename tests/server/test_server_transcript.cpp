// A whole game played by two clients against the real server over loopback,
// from the logins to the winner. With the generator seeded the messages each
// client receives are the same on every run; they are compared with the
// transcript recorded in game_transcript.txt. Set LEXICLASH_RECORD_TRANSCRIPT=1
// to write that file anew after an intended change of the game; a recording
// run always fails, so that it is never taken for a pass. Since the recording
// comes from our own server, the rules it shows are checked on their own too:
// points, totals, the tie-break and the winner.

#include "serverharness.h"

#include "common/random.h"
#include "common/version.h"
#include "dict/tdictn.h"
#include "net/messages.h"

#include <QFile>
#include <QTimer>
#include <QtTest>

#include <map>

namespace {
constexpr int kMaxRounds = 12;

// Checks the game rules in what one client received and returns the first
// breach, or an empty text: every accepted word begins with the round's
// prefix, has the round's length when there is one, and earns its letters;
// each round's report gives every seat its accepted words and their points,
// adds them to the totals and counts the words of the game; after the last
// round a tie at the top brings another round, and the winner is the one
// seat with the highest total.
QByteArray ruleBreach(const TestClient *client)
{
    std::map<int, int> roundWords;
    std::map<int, int> roundPoints;
    std::map<int, int> totals;
    std::map<int, int> gameWords;
    int rounds = 0;
    int round = 0;
    Msg::StartRound current;
    bool awaitingOutcome = false;
    int expectedWinner = 0;
    for (const QByteArray &message : client->received()) {
        const SplitMessage m = splitMessage(message);
        if (m.command == Cmd::startgame) {
            rounds = Msg::readStartgame(m.body).rounds;
        } else if (m.command == Cmd::startround) {
            current = Msg::readStartround(m.body);
            if (awaitingOutcome && expectedWinner != 0)
                return "a round after the game was won: " + message;
            if (current.round != round + 1)
                return "rounds out of order: " + message;
            round = current.round;
            awaitingOutcome = false;
            roundWords.clear();
            roundPoints.clear();
        } else if (m.command == Cmd::gotword) {
            const Msg::GotWord got = Msg::readGotword(m.body);
            if (!got.word.startsWith(current.prefix))
                return "a word without the round's prefix: " + message;
            if (current.length != 0 && got.word.size() != current.length)
                return "a word of the wrong length: " + message;
            if (got.length != got.word.size())
                return "points that are not the word's letters: " + message;
            ++roundWords[got.seat];
            roundPoints[got.seat] += got.length;
        } else if (m.command == Cmd::endround) {
            for (const Msg::SeatScore &score : Msg::readEndround(m.body)) {
                const int seat = score.seat;
                gameWords[seat] += roundWords[seat];
                totals[seat] += roundPoints[seat];
                if (score.roundWords != roundWords[seat] || score.roundPoints != roundPoints[seat])
                    return "round points that are not the words': " + message;
                if (score.total != totals[seat] || score.gameWords != gameWords[seat])
                    return "totals that do not add up: " + message;
            }
            if (round >= rounds) {
                int best = -1;
                int leaders = 0;
                for (const auto &[seat, total] : totals) {
                    if (total > best) {
                        best = total;
                        leaders = 0;
                        expectedWinner = seat;
                    }
                    leaders += total == best;
                }
                if (leaders > 1)
                    expectedWinner = 0;
                awaitingOutcome = true;
            }
        } else if (m.command == Cmd::winner) {
            if (!awaitingOutcome || expectedWinner == 0)
                return "a winner while the top is tied or rounds remain: " + message;
            if (Msg::readWinner(m.body) != expectedWinner)
                return "the wrong winner: " + message;
            return {};
        }
    }
    return "no winner";
}

QList<QByteArray> transcriptOf(const QByteArray &who, const TestClient *client)
{
    QList<QByteArray> lines;
    for (const QByteArray &message : client->received())
        lines.append(who + "< " + message);
    return lines;
}
} // namespace

class TestServerTranscript : public QObject {
    Q_OBJECT

private slots:
    void wholeGame();

private:
    // Sends a message from the client and lets the server handle it.
    bool play(TestClient *from, const QByteArray &message);
    // Words of the built-in list that the dictionary knows and that fit the round, in list order.
    QByteArrayList fitting(int count) const;

    ServerHarness *h_ = nullptr;
};

bool TestServerTranscript::play(TestClient *from, const QByteArray &message)
{
    if (!h_->deliver(from, message))
        return false;
    h_->server.socktimerTimer();
    return h_->server.queuelength() == 0;
}

QByteArrayList TestServerTranscript::fitting(int count) const
{
    const TServer &server = h_->server;
    QByteArrayList words;
    for (qsizetype i = 0; i < server.starterwords().count() && words.size() < count; ++i) {
        const QByteArray word = upperLetters(server.starterwords().at(i));
        if (!word.startsWith(server.state().prefix) || words.contains(word))
            continue;
        if (server.state().wordlength && word.size() != server.state().wordlength)
            continue;
        if (server.dictionary().IsWord(QString::fromLatin1(word)))
            words.append(word);
    }
    return words;
}

void TestServerTranscript::wholeGame()
{
    ServerHarness h;
    h_ = &h;
    h.server.stepqueuebyhand(true);
    Random::seed(20240611);

    TestClient *ann = h.connect();
    QVERIFY(ann);
    QVERIFY(play(ann, Msg::logininfo(1, kVersionText, "Ann")));
    TestClient *bob = h.connect();
    QVERIFY(bob);
    QVERIFY(play(bob, Msg::logininfo(2, kVersionText, "Bob")));
    QVERIFY(play(ann, Msg::startgameRequest("Ann", 2, 30, 0, true)));

    for (int round = 1;; ++round) {
        QVERIFY2(round <= kMaxRounds, "the game does not end");
        QVERIFY(h.wait([&] {
            return ann->withCommand(Cmd::startround).size() == round &&
                   bob->withCommand(Cmd::startround).size() == round;
        }));
        QVERIFY(h.server.state().roundon);
        const QByteArrayList words = fitting(3);
        QVERIFY(!words.isEmpty());
        // Ann finds the first word, Bob tries it too and then finds another,
        // Ann adds a third and a word that is no word; then both give up.
        QVERIFY(play(ann, Msg::sendword(1, words[0].toLower())));
        QVERIFY(play(bob, Msg::sendword(2, words[0])));
        if (words.size() > 1)
            QVERIFY(play(bob, Msg::sendword(2, words[1].toLower())));
        if (words.size() > 2)
            QVERIFY(play(ann, Msg::sendword(1, words[2])));
        QVERIFY(play(ann, Msg::sendword(1, h.server.state().prefix + "QXZ")));
        QVERIFY(play(ann, Msg::giveup(1)));
        QVERIFY(h.server.state().roundon);
        QVERIFY(play(bob, Msg::giveup(2)));
        QVERIFY(!h.server.state().roundon);

        const int pause = h.server.state().countdown;
        QCOMPARE(pause, 12);
        for (int second = 0; second < pause; ++second)
            h.server.roundtimerTimer();
        if (!h.server.state().gameon)
            break;
    }
    QVERIFY(h.wait([&] {
        return !ann->withCommand(Cmd::winner).isEmpty() && !bob->withCommand(Cmd::winner).isEmpty();
    }));
    // A last chat line: whatever the server sent before it has arrived with it.
    QVERIFY(play(ann, Msg::chat(1, "good game", "clBlack")));
    const QByteArray last = "CMD_chat+Ann chats: good game|clBlack";
    QVERIFY(
        h.wait([&] { return ann->received().contains(last) && bob->received().contains(last); }));
    QCOMPARE(ann->received().last(), last);
    QCOMPARE(bob->received().last(), last);
    QCOMPARE(ann->withCommand(Cmd::winner), bob->withCommand(Cmd::winner));

    QVERIFY2(ruleBreach(ann).isEmpty(), ruleBreach(ann).constData());
    QVERIFY2(ruleBreach(bob).isEmpty(), ruleBreach(bob).constData());

    const QList<QByteArray> transcript = transcriptOf("Ann", ann) + transcriptOf("Bob", bob);
    QFile file(QStringLiteral(TRANSCRIPT_FILE));
    if (qEnvironmentVariableIsSet("LEXICLASH_RECORD_TRANSCRIPT")) {
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        for (const QByteArray &line : transcript)
            file.write(line + '\n');
        QFAIL("transcript recorded, nothing compared: unset LEXICLASH_RECORD_TRANSCRIPT and run "
              "the test again");
    }
    QVERIFY2(file.open(QIODevice::ReadOnly), "the recorded transcript is missing");
    QList<QByteArray> recorded = file.readAll().split('\n');
    if (!recorded.isEmpty() && recorded.last().isEmpty())
        recorded.removeLast();
    QCOMPARE(transcript, recorded);
}

QTEST_GUILESS_MAIN(TestServerTranscript)
#include "test_server_transcript.moc"

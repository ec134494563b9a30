// A whole game played by two clients against the real server over loopback,
// from the logins to the winner. With the generator seeded the messages each
// client receives are the same on every run; they are compared with the
// transcript recorded in game_transcript.txt. Set LEXICLASH_RECORD_TRANSCRIPT=1
// to write that file anew after an intended change of the game.

#include "serverharness.h"

#include "common/random.h"
#include "common/version.h"
#include "dict/tdictn.h"
#include "net/messages.h"

#include <QFile>
#include <QTimer>
#include <QtTest>

namespace {
constexpr int kMaxRounds = 12;

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
    return h_->server.receivedlist.isEmpty();
}

QByteArrayList TestServerTranscript::fitting(int count) const
{
    const TServer &server = h_->server;
    QByteArrayList words;
    for (qsizetype i = 0; i < server.listbox_words.count() && words.size() < count; ++i) {
        const QByteArray word = upperLetters(server.listbox_words.at(i));
        if (!word.startsWith(server.prefix) || words.contains(word))
            continue;
        if (server.wordlength && word.size() != server.wordlength)
            continue;
        if (server.spell->IsWord(QString::fromLatin1(word)))
            words.append(word);
    }
    return words;
}

void TestServerTranscript::wholeGame()
{
    ServerHarness h;
    h_ = &h;
    h.server.socktimer->stop();
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
        QVERIFY(h.server.roundon);
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
        QVERIFY(play(ann, Msg::sendword(1, h.server.prefix + "QXZ")));
        QVERIFY(play(ann, Msg::giveup(1)));
        QVERIFY(h.server.roundon);
        QVERIFY(play(bob, Msg::giveup(2)));
        QVERIFY(!h.server.roundon);

        const int pause = h.server.countdown;
        QCOMPARE(pause, 12);
        for (int second = 0; second < pause; ++second)
            h.server.roundtimerTimer();
        if (!h.server.gameon)
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

    const QList<QByteArray> transcript = transcriptOf("Ann", ann) + transcriptOf("Bob", bob);
    QFile file(QStringLiteral(TRANSCRIPT_FILE));
    if (qEnvironmentVariableIsSet("LEXICLASH_RECORD_TRANSCRIPT")) {
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        for (const QByteArray &line : transcript)
            file.write(line + '\n');
        return;
    }
    QVERIFY2(file.open(QIODevice::ReadOnly), "the recorded transcript is missing");
    QList<QByteArray> recorded = file.readAll().split('\n');
    if (!recorded.isEmpty() && recorded.last().isEmpty())
        recorded.removeLast();
    QCOMPARE(transcript, recorded);
}

QTEST_GUILESS_MAIN(TestServerTranscript)
#include "test_server_transcript.moc"

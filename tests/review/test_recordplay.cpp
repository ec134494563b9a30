#include "dict/tdictn.h"
#include "dict/wordlevels.h"
#include "model/gamemodel.h"
#include "net/messages.h"
#include "review/gamesummary.h"
#include "review/recordplay.h"
#include "review/roundreview.h"
#include "server/tserver.h"

#include <QTest>

namespace {

using WordsShown = GameModel::WordsShown;

// A message as the dispatcher hands it over: the builder's text less its terminator.
void feed(GameModel &model, QByteArray message)
{
    message.chop(1);
    model.apply(decodeServerMessage(message));
}

// A round's end where seats 1 and 2 found `words` words for `points` points each.
QByteArray endround(int words1, int points1, int words2, int points2, int total1, int total2)
{
    std::array<Msg::SeatScore, 6> scores{};
    for (int seat = 1; seat <= 6; ++seat)
        scores[static_cast<std::size_t>(seat - 1)].seat = seat;
    scores[0] = {1, total1, words1, words1, points1};
    scores[1] = {2, total2, words2, words2, points2};
    return Msg::endround(scores);
}

// A model at seat `myseat` of a two-player game against the computer player.
void seated(GameModel &model, int myseat, int rounds)
{
    feed(model, Msg::sendlogininfo(myseat));
    feed(model, Msg::newplayerinfo(1, "Ann"));
    feed(model, Msg::existingplayers(2, "Klot"));
    feed(model, Msg::startgame("Ann", rounds, 60, 0));
}

QByteArray startround(int round, int length, const QByteArray &prefix)
{
    return Msg::startround({round, 60, length, prefix, 1, "CONTEST"});
}

} // namespace

class TestRecordPlay : public QObject {
    Q_OBJECT

private:
    // The server's own dictionary, the one its word judging asks.
    TServer server;
    const TDictn &dictionary() const { return server.dictionary(); }
    WordLevels levels{server.dictionary()};

private slots:
    // A played round as the model recorded it gives each player's words and
    // a missed list of the round's beginning and length without the found words.
    void playedRound_data()
    {
        QTest::addColumn<int>("length");
        QTest::newRow("any length") << 0;
        QTest::newRow("five letters") << 5;
    }

    void playedRound()
    {
        QFETCH(int, length);
        const QByteArray mine = length == 0 ? "CONTESTS" : "CONES";
        const QByteArray klots = length == 0 ? "CONE" : "CONIC";
        GameModel model;
        seated(model, 1, 3);
        feed(model, startround(1, length, "CON"));
        feed(model, Msg::gotword(1, mine.toLower(), int(mine.size())));
        feed(model, Msg::gotword(2, klots, int(klots.size())));
        feed(model, endround(1, int(mine.size()), 1, int(klots.size()), int(mine.size()),
                             int(klots.size())));
        // Another seat's word arrived: words are told to all.
        QCOMPARE(model.wordsShown(), WordsShown::ToAll);

        const RoundPlay play =
            playOf(model.history().last(), model.mySeat(), model.wordsShown(), seatedOf(model));
        QVERIFY(play.showwords);
        QCOMPARE(play.rule.prefix, QByteArray("CON"));
        QCOMPARE(play.rule.wordlength, length);
        const RoundReview review = buildRoundReview(play, dictionary(), levels);
        QCOMPARE(review.missedScope, MissedScope::Everyone);
        QCOMPARE(review.found.size(), std::size_t(2));
        QCOMPARE(review.found.at(1), (QList<FoundWord>{{mine, int(mine.size())}}));
        QCOMPARE(review.found.at(2), (QList<FoundWord>{{klots, int(klots.size())}}));

        QVERIFY(!review.missed.isEmpty());
        QVERIFY(!review.missed.contains(mine));
        QVERIFY(!review.missed.contains(klots));
        for (qsizetype i = 0; i < review.missed.size(); ++i) {
            const QByteArray &word = review.missed.at(i);
            QVERIFY2(word.startsWith("CON"), word.constData());
            QVERIFY2(length == 0 || word.size() == length, word.constData());
            QVERIFY2(dictionary().IsWord(QString::fromLatin1(word)), word.constData());
            QCOMPARE(WordLevels::isCommon(levels.levelOfWord(word)), i < review.commonMissed);
            // Each part, the common words and the rest, runs longest first.
            if (i > 0 && i != review.commonMissed) {
                const QByteArray &before = review.missed.at(i - 1);
                QVERIFY(before.size() > word.size() ||
                        (before.size() == word.size() && before < word));
            }
        }
    }

    // With found words told to their finders only, the list is of this copy's
    // misses: a word of the computer player's, never told, stays in it.
    void hiddenWordsAreYourMisses()
    {
        GameModel model;
        seated(model, 1, 3);
        feed(model, startround(1, 0, "CON"));
        feed(model, Msg::gotword(1, "CONE", 4));
        // Klot found CONIC, which only Klot's copy was told.
        feed(model, endround(1, 4, 1, 5, 4, 5));
        QCOMPARE(model.wordsShown(), WordsShown::ToFinderOnly);

        const RoundPlay play =
            playOf(model.history().last(), model.mySeat(), model.wordsShown(), seatedOf(model));
        QVERIFY(!play.showwords);
        const RoundReview review = buildRoundReview(play, dictionary(), levels);
        QCOMPARE(review.missedScope, MissedScope::You);
        QVERIFY(!review.missed.contains("CONE"));
        QVERIFY(review.missed.contains("CONIC"));
        // Klot takes part with no word this copy knows of.
        QCOMPARE(review.found.at(2), QList<FoundWord>{});
    }

    // A copy that joined during the round missed the words found before it
    // came: its list, too, is only of its own misses.
    void lateJoinerListsOnlyItsMisses()
    {
        GameModel model;
        feed(model, Msg::sendlogininfo(3));
        feed(model, Msg::existingplayers(1, "Ann"));
        feed(model, Msg::existingplayers(2, "Klot"));
        feed(model, Msg::gotword(1, "CONE", 4));
        feed(model, endround(2, 9, 0, 0, 9, 0));
        QVERIFY(!model.history().isEmpty());
        QVERIFY(!model.history().last().seenFromStart);
        const RoundPlay play =
            playOf(model.history().last(), model.mySeat(), model.wordsShown(), seatedOf(model));
        QVERIFY(!play.showwords);
    }

    // A round past the game's rounds is a tie-break in the record and in the summary.
    void tieBreakRoundIsMarked()
    {
        GameModel model;
        seated(model, 1, 1);
        feed(model, startround(1, 0, "CON"));
        feed(model, Msg::gotword(1, "CONE", 4));
        feed(model, Msg::gotword(2, "COND", 4));
        feed(model, endround(1, 4, 1, 4, 4, 4));
        feed(model, startround(2, 3, "BA"));
        feed(model, Msg::gotword(2, "BAT", 3));
        feed(model, endround(1, 0, 2, 3, 4, 7));
        feed(model, Msg::winner(2));

        QCOMPARE(model.history().size(), 2);
        QVERIFY(!model.history().at(0).tieBreak);
        QVERIFY(model.history().at(1).tieBreak);
        const GameSummary summary = buildGameSummary(playsOf(model), model.rounds(), levels);
        QCOMPARE(summary.rounds.size(), 2);
        QVERIFY(!summary.rounds.at(0).tieBreak);
        QVERIFY(summary.rounds.at(1).tieBreak);
        QCOMPARE(summary.players.size(), std::size_t(2));
        QCOMPARE(summary.players.at(1).pointsPerRound, (QList<int>{4, 0}));
        QCOMPARE(summary.players.at(2).pointsPerRound, (QList<int>{4, 3}));
        QCOMPARE(summary.players.at(2).wordsFound, 2);
        QCOMPARE(summary.players.at(2).total, 7);
    }
};

QTEST_GUILESS_MAIN(TestRecordPlay)
#include "test_recordplay.moc"

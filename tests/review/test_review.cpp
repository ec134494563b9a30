#include "dict/tdictn.h"
#include "net/messages.h"
#include "review/gamesummary.h"
#include "review/roundreview.h"
#include "server/tserver.h"

#include <QFile>
#include <QSet>
#include <QTest>

#include <algorithm>

namespace {

using Found = std::map<int, QList<FoundWord>>;

// Every distinct word of the shipped list, read straight from the resource.
QByteArrayList shippedWords()
{
    QFile resource(TDictn::kDefaultResource);
    if (!resource.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = resource.readAll();
    QByteArrayList words;
    for (qsizetype at = 0; at + 15 <= data.size(); at += 15) {
        const QByteArray word = data.mid(at + 1, 14).trimmed();
        if (words.isEmpty() || words.last() != word)
            words << word;
    }
    return words;
}

// The words of the list a round allows, by a plain scan, longest first, then alphabetically.
QByteArrayList allowed(const QByteArray &prefix, int wordlength)
{
    QByteArrayList words;
    for (const QByteArray &word : shippedWords())
        if (word.startsWith(prefix) && (wordlength == 0 || word.size() == wordlength))
            words << word;
    std::stable_sort(words.begin(), words.end(),
                     [](const QByteArray &a, const QByteArray &b) { return a.size() > b.size(); });
    return words;
}

FoundWord found(const QByteArray &word)
{
    return {word, static_cast<int>(word.size())};
}

RoundPlay play(const QByteArray &prefix, int wordlength, bool showwords, int myseat, Found words)
{
    RoundPlay p;
    p.round = 1;
    p.rule = {prefix, wordlength};
    p.showwords = showwords;
    p.myseat = myseat;
    p.found = std::move(words);
    return p;
}

} // namespace

Q_DECLARE_METATYPE(Found)

class TestReview : public QObject {
    Q_OBJECT

private:
    // The server's own dictionary, the one its word judging asks.
    TServer server;
    const TDictn &dictionary() const { return server.dictionary(); }

private slots:
    void perPlayerWords()
    {
        const Found words{{1, {found("QUIT"), found("QUIZ")}},
                          {3, {found("QUILT")}},
                          {5, {}},
                          {8, {found("QUIRK")}}};
        const RoundReview review = buildRoundReview(play("QUI", 0, true, 1, words), dictionary());
        const Found expected{{1, {found("QUIT"), found("QUIZ")}}, {3, {found("QUILT")}}, {5, {}}};
        QCOMPARE(review.found, expected);
        QCOMPARE(pointsOf(review.found.at(1)), 8);
        QCOMPARE(pointsOf(review.found.at(5)), 0);
        QCOMPARE(review.round, 1);
        QCOMPARE(review.rule.prefix, QByteArray("QUI"));
    }

    void missedList_data()
    {
        QTest::addColumn<QByteArray>("prefix");
        QTest::addColumn<int>("wordlength");
        QTest::addColumn<Found>("words");
        QTest::addColumn<QByteArrayList>("setAside");

        QTest::newRow("one letter, 3 letters")
            << QByteArray("X") << 3 << Found{{2, {found("XIS")}}} << QByteArrayList{"XIS"};
        QTest::newRow("two letters, any length")
            << QByteArray("QU") << 0
            << Found{{1, {found("QUIT"), found("QUARTERBACKS")}}, {4, {found("QUA")}}}
            << QByteArrayList{"QUIT", "QUARTERBACKS", "QUA"};
        QTest::newRow("two letters, 5 letters")
            << QByteArray("QU") << 5 << Found{{6, {found("QUILT")}}} << QByteArrayList{"QUILT"};
        QTest::newRow("three letters, nothing found")
            << QByteArray("STR") << 7 << Found{} << QByteArrayList{};
        QTest::newRow("first words of the list")
            << QByteArray("AAH") << 0 << Found{{1, {found("AAH")}}} << QByteArrayList{"AAH"};
        QTest::newRow("last words of the list")
            << QByteArray("ZYM") << 0 << Found{} << QByteArrayList{};
        QTest::newRow("no word has the beginning")
            << QByteArray("QXZ") << 0 << Found{} << QByteArrayList{};
    }

    void missedList()
    {
        QFETCH(QByteArray, prefix);
        QFETCH(int, wordlength);
        QFETCH(Found, words);
        QFETCH(QByteArrayList, setAside);

        const RoundReview review =
            buildRoundReview(play(prefix, wordlength, true, 1, words), dictionary());
        QCOMPARE(review.missedScope, MissedScope::Everyone);
        QByteArrayList expected = allowed(prefix, wordlength);
        for (const QByteArray &word : setAside) {
            QVERIFY2(expected.contains(word), word.constData());
            expected.removeAll(word);
        }
        QCOMPARE(review.missed, expected);
        for (const QByteArray &word : review.missed) {
            QVERIFY(word.startsWith(prefix));
            QVERIFY(wordlength == 0 || word.size() == wordlength);
        }
    }

    // The review allows exactly the words the server accepts in that round.
    void missedListAgreesWithTheServer_data()
    {
        QTest::addColumn<QByteArray>("prefix");
        QTest::addColumn<int>("wordlength");
        QTest::newRow("any length") << QByteArray("QUA") << 0;
        QTest::newRow("4 letters") << QByteArray("J") << 4;
        QTest::newRow("14 letters") << QByteArray("CH") << 14;
    }

    void missedListAgreesWithTheServer()
    {
        QFETCH(QByteArray, prefix);
        QFETCH(int, wordlength);
        const RoundReview review =
            buildRoundReview(play(prefix, wordlength, true, 1, {}), dictionary());
        QVERIFY(!review.missed.isEmpty());

        StagedGame round;
        round.gameon = true;
        round.roundon = true;
        round.prefix = prefix;
        round.wordlength = wordlength;
        round.listbox_gotten = QByteArrayList{};
        server.stage(round);
        // Every word of the list with the beginning, longer and shorter ones
        // and near misses are put to the server.
        QByteArrayList tried;
        for (const QByteArray &word : shippedWords())
            if (word.startsWith(prefix.left(1)))
                tried << word << word + "Q";
        tried << prefix << prefix + "ZZ";
        QSet<QByteArray> accepted;
        for (const QByteArray &word : tried) {
            const int before = server.seat(3).roundwords;
            server.sendword(Msg::Word{3, word});
            if (server.seat(3).roundwords > before)
                accepted.insert(word);
        }
        StagedGame over;
        over.roundon = false;
        server.stage(over);
        const QList<QByteArray> &missed = review.missed;
        QCOMPARE(accepted, QSet<QByteArray>(missed.begin(), missed.end()));
        QCOMPARE(accepted.size(), missed.size());
    }

    void hiddenWordsListOnlyYourMisses()
    {
        // Seat 4's word reached this copy (it should not, with the words hidden);
        // still only the own words leave the list.
        const Found words{{2, {found("QUIT")}}, {4, {found("QUIZ")}}};
        const RoundReview review = buildRoundReview(play("QUI", 4, false, 2, words), dictionary());
        QCOMPARE(review.missedScope, MissedScope::You);
        QVERIFY(!review.missed.contains("QUIT"));
        QVERIFY(review.missed.contains("QUIZ"));
        QCOMPARE(review.missed.size(), allowed("QUI", 4).size() - 1);

        const RoundReview shown = buildRoundReview(play("QUI", 4, true, 2, words), dictionary());
        QCOMPARE(shown.missedScope, MissedScope::Everyone);
        QVERIFY(!shown.missed.contains("QUIZ"));
    }

    void spyMissesEverything()
    {
        const Found words{{1, {found("QUIT")}}};
        const RoundReview review = buildRoundReview(play("QUI", 4, false, 8, words), dictionary());
        QCOMPARE(review.missedScope, MissedScope::You);
        QCOMPARE(review.missed, allowed("QUI", 4));
    }

    void bestWord_data()
    {
        QTest::addColumn<QByteArray>("prefix");
        QTest::addColumn<int>("wordlength");
        QTest::addColumn<Found>("words");
        QTest::addColumn<int>("seat");

        QTest::newRow("nobody found it")
            << QByteArray("QU") << 0 << Found{{1, {found("QUIT")}}} << 0;
        QTest::newRow("found words are shorter or later")
            << QByteArray("QUI") << 4 << Found{{4, {found("QUIT"), found("QUIP")}}} << 0;
        QTest::newRow("length rule") << QByteArray("X") << 3 << Found{{2, {found("XIS")}}} << 2;
        QTest::newRow("last words of the list") << QByteArray("ZYM") << 0 << Found{} << 0;
    }

    void bestWord()
    {
        QFETCH(QByteArray, prefix);
        QFETCH(int, wordlength);
        QFETCH(Found, words);
        QFETCH(int, seat);
        const RoundReview review =
            buildRoundReview(play(prefix, wordlength, true, 1, words), dictionary());
        // Most letters, and of those the alphabetically first.
        const QByteArray best = allowed(prefix, wordlength).first();
        QCOMPARE(review.best, (BestWord{best, static_cast<int>(best.size()), seat}));
    }

    void bestWordFoundBySomebody()
    {
        const QByteArray best = allowed("QUI", 4).first();
        const Found words{{1, {found("QUIT")}}, {5, {found(best)}}};
        const RoundReview review = buildRoundReview(play("QUI", 4, true, 1, words), dictionary());
        QCOMPARE(review.best, (BestWord{best, 4, 5}));
        QVERIFY(!review.missed.contains(best));
    }

    void bestWordWhenTheListAllowsNone()
    {
        const RoundReview review = buildRoundReview(play("QXZ", 0, true, 1, {}), dictionary());
        QCOMPARE(review.best, BestWord{});
        QVERIFY(review.missed.isEmpty());
    }

    void gameSummary()
    {
        RoundPlay first = play("QU", 0, true, 1, {{1, {found("QUIT"), found("QUILTS")}}, {2, {}}});
        RoundPlay second = play("B", 3, true, 1, {{1, {found("BAT")}}, {2, {found("BOA")}}});
        second.round = 2;
        // The lead was shared after two rounds: a third one broke the tie.
        RoundPlay third = play("ST", 0, false, 1, {{1, {found("STAB")}}});
        third.round = 3;
        third.roundletters = {{1, 4}, {2, 11}, {3, 0}};

        const GameSummary summary = buildGameSummary({first, second, third}, 2);
        QCOMPARE(summary.rounds.size(), 3);
        QCOMPARE(summary.rounds[0].tieBreak, false);
        QCOMPARE(summary.rounds[1].tieBreak, false);
        QCOMPARE(summary.rounds[2].tieBreak, true);
        QCOMPARE(summary.rounds[2].round, 3);
        QCOMPARE(summary.rounds[1].rule.prefix, QByteArray("B"));
        QCOMPARE(summary.rounds[1].rule.wordlength, 3);

        QCOMPARE(summary.players.size(), std::size_t(3));
        const PlayerSummary &one = summary.players.at(1);
        QCOMPARE(one.wordsFound, 4);
        QCOMPARE(one.best, found("QUILTS"));
        QCOMPARE(one.longest, found("QUILTS"));
        QCOMPARE(one.pointsPerRound, (QList<int>{10, 3, 4}));
        QCOMPARE(one.total, 17);

        const PlayerSummary &two = summary.players.at(2);
        QCOMPARE(two.wordsFound, 1);
        QCOMPARE(two.best, found("BOA"));
        // Seat 2's words of the hidden round are known only by their points.
        QCOMPARE(two.pointsPerRound, (QList<int>{0, 3, 11}));
        QCOMPARE(two.total, 14);

        const PlayerSummary &three = summary.players.at(3);
        QCOMPARE(three.wordsFound, 0);
        QCOMPARE(three.best, FoundWord{});
        QCOMPARE(three.pointsPerRound, (QList<int>{0, 0, 0}));
    }

    void gameSummaryTiesGoAlphabetically()
    {
        const RoundPlay first = play("B", 0, true, 1, {{1, {found("BOAT"), found("BEAR")}}});
        RoundPlay second = play("C", 0, true, 1, {{1, {found("CRAB"), found("CAT")}}});
        second.round = 2;
        const GameSummary summary = buildGameSummary({first, second}, 5);
        QCOMPARE(summary.players.at(1).best, found("BEAR"));
        QCOMPARE(summary.players.at(1).longest, found("BEAR"));
        QCOMPARE(summary.rounds[1].tieBreak, false);
    }
};

QTEST_GUILESS_MAIN(TestReview)
#include "test_review.moc"

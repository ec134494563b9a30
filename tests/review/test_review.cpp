#include "dict/tdictn.h"
#include "dict/wordlevels.h"
#include "dict/wordmeanings.h"
#include "net/messages.h"
#include "review/gamesummary.h"
#include "review/roundreview.h"
#include "server/tserver.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QTest>

#include <algorithm>

namespace {

using Found = std::map<int, QList<FoundWord>>;

struct ShippedWord {
    QByteArray word;
    int level = 0;
};

// Every word of the shipped list with its level, read straight from the resources once.
const QList<ShippedWord> &shippedWords();

QList<ShippedWord> readShippedWords()
{
    QFile resource(TDictn::kDefaultResource);
    QFile levelResource(WordLevels::kDefaultResource);
    if (!resource.open(QIODevice::ReadOnly) || !levelResource.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = resource.readAll();
    const QByteArray levels = levelResource.readAll();
    QList<ShippedWord> words;
    for (qsizetype at = 0; at + 15 <= data.size(); at += 15) {
        const QByteArray word = data.mid(at + 1, 14).trimmed();
        if (words.isEmpty() || words.last().word != word)
            words.append({word, static_cast<unsigned char>(levels.at(at / 15))});
    }
    return words;
}

const QList<ShippedWord> &shippedWords()
{
    static const QList<ShippedWord> words = readShippedWords();
    return words;
}

// Longest first, then alphabetically.
void sortLongestFirst(QByteArrayList &words)
{
    std::sort(words.begin(), words.end(), [](const QByteArray &a, const QByteArray &b) {
        return a.size() != b.size() ? a.size() > b.size() : a < b;
    });
}

// The words of the list a round allows, by a plain scan, longest first, then alphabetically.
QByteArrayList allowed(const QByteArray &prefix, int wordlength)
{
    QByteArrayList words;
    for (const ShippedWord &shipped : shippedWords())
        if (shipped.word.startsWith(prefix) &&
            (wordlength == 0 || shipped.word.size() == wordlength))
            words << shipped.word;
    sortLongestFirst(words);
    return words;
}

// The level of a word by a plain scan.
int levelOf(const QByteArray &word)
{
    static const QHash<QByteArray, int> levels = [] {
        QHash<QByteArray, int> byWord;
        for (const ShippedWord &shipped : shippedWords())
            byWord.insert(shipped.word, shipped.level);
        return byWord;
    }();
    return levels.value(word, 0);
}

// What the missed list must be, by a plain computation: the allowed words
// less the found ones, those of level 10 first, each part longest first.
QByteArrayList commonFirst(const QByteArray &prefix, int wordlength, const QByteArrayList &setAside,
                           qsizetype &common)
{
    QByteArrayList frequent;
    QByteArrayList others;
    for (const ShippedWord &shipped : shippedWords()) {
        if (!shipped.word.startsWith(prefix) || setAside.contains(shipped.word) ||
            (wordlength != 0 && shipped.word.size() != wordlength))
            continue;
        (shipped.level == 10 ? frequent : others) << shipped.word;
    }
    sortLongestFirst(frequent);
    sortLongestFirst(others);
    common = frequent.size();
    return frequent + others;
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
    WordLevels levels{server.dictionary()};
    WordMeanings meanings_;
    RoundReview reviewOf(const RoundPlay &p) const
    {
        return buildRoundReview(p, dictionary(), levels);
    }

private slots:
    void perPlayerWords()
    {
        const Found words{{1, {found("QUIT"), found("QUIZ")}},
                          {3, {found("QUILT")}},
                          {5, {}},
                          {8, {found("QUIRK")}}};
        const RoundReview review = reviewOf(play("QUI", 0, true, 1, words));
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
        QTest::newRow("one letter, any length, common words found")
            << QByteArray("S") << 0 << Found{{1, {found("SAID"), found("STRAIGHT")}}}
            << QByteArrayList{"SAID", "STRAIGHT"};
        QTest::newRow("three letters, common words only")
            << QByteArray("COM") << 7 << Found{{3, {found("COMPANY")}}}
            << QByteArrayList{"COMPANY"};
    }

    void missedList()
    {
        QFETCH(QByteArray, prefix);
        QFETCH(int, wordlength);
        QFETCH(Found, words);
        QFETCH(QByteArrayList, setAside);

        const RoundReview review = reviewOf(play(prefix, wordlength, true, 1, words));
        QCOMPARE(review.missedScope, MissedScope::Everyone);
        for (const QByteArray &word : setAside)
            QVERIFY2(allowed(prefix, wordlength).contains(word), word.constData());
        qsizetype common = 0;
        QCOMPARE(review.missed, commonFirst(prefix, wordlength, setAside, common));
        QCOMPARE(review.commonMissed, common);
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
        const RoundReview review = reviewOf(play(prefix, wordlength, true, 1, {}));
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
        for (const ShippedWord &shipped : shippedWords())
            if (shipped.word.startsWith(prefix.left(1)))
                tried << shipped.word << shipped.word + "Q";
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
        const RoundReview review = reviewOf(play("QUI", 4, false, 2, words));
        QCOMPARE(review.missedScope, MissedScope::You);
        QVERIFY(!review.missed.contains("QUIT"));
        QVERIFY(review.missed.contains("QUIZ"));
        QCOMPARE(review.missed.size(), allowed("QUI", 4).size() - 1);

        const RoundReview shown = reviewOf(play("QUI", 4, true, 2, words));
        QCOMPARE(shown.missedScope, MissedScope::Everyone);
        QVERIFY(!shown.missed.contains("QUIZ"));
    }

    void spyMissesEverything()
    {
        const Found words{{1, {found("QUIT")}}};
        const RoundReview review = reviewOf(play("QUI", 4, false, 8, words));
        QCOMPARE(review.missedScope, MissedScope::You);
        qsizetype common = 0;
        QCOMPARE(review.missed, commonFirst("QUI", 4, {}, common));
    }

    void longestPossible_data()
    {
        QTest::addColumn<QByteArray>("prefix");
        QTest::addColumn<int>("wordlength");
        QTest::addColumn<Found>("words");

        QTest::newRow("nobody found it") << QByteArray("QU") << 0 << Found{{1, {found("QUIT")}}};
        QTest::newRow("found words are shorter or later")
            << QByteArray("QUI") << 4 << Found{{4, {found("QUIT"), found("QUIP")}}};
        QTest::newRow("length rule") << QByteArray("X") << 3 << Found{{2, {found("XIS")}}};
        QTest::newRow("last words of the list") << QByteArray("ZYM") << 0 << Found{};
        QTest::newRow("one letter, 5 letters") << QByteArray("S") << 5 << Found{};
    }

    void longestPossible()
    {
        QFETCH(QByteArray, prefix);
        QFETCH(int, wordlength);
        QFETCH(Found, words);
        const RoundReview review = reviewOf(play(prefix, wordlength, true, 1, words));
        // Most letters, of those the most common, then the alphabetically first.
        QByteArrayList longest = allowed(prefix, wordlength);
        const qsizetype most = longest.first().size();
        longest.removeIf([&](const QByteArray &w) { return w.size() != most; });
        std::stable_sort(
            longest.begin(), longest.end(),
            [](const QByteArray &a, const QByteArray &b) { return levelOf(a) < levelOf(b); });
        int seat = 0;
        for (const auto &[finder, list] : words)
            for (const FoundWord &w : list)
                seat = w.word == longest.first() ? finder : seat;
        QCOMPARE(review.longest,
                 (BestWord{longest.first(), int(most), seat, levelOf(longest.first())}));
    }

    void longestPossibleFoundBySomebody()
    {
        const QByteArray longest = reviewOf(play("QUI", 4, true, 1, {})).longest.word;
        const Found words{{1, {found("QUIT")}}, {5, {found(longest)}}};
        const RoundReview review = reviewOf(play("QUI", 4, true, 1, words));
        QCOMPARE(review.longest, (BestWord{longest, 4, 5, levelOf(longest)}));
        QVERIFY(!review.missed.contains(longest));
    }

    void longestPossibleWhenTheListAllowsNone()
    {
        const RoundReview review = reviewOf(play("QXZ", 0, true, 1, {}));
        QCOMPARE(review.longest, BestWord{});
        QVERIFY(review.missed.isEmpty());
        QVERIFY(review.bestFound.isEmpty());
    }

    // The best found word: most points, then the rarest; words equal on both all stand.
    void bestFound_data()
    {
        QTest::addColumn<Found>("words");
        QTest::addColumn<QByteArrayList>("best");
        QTest::addColumn<QList<int>>("seats");

        QTest::newRow("nothing found")
            << Found{{1, {}}, {2, {}}} << QByteArrayList{} << QList<int>{};
        QTest::newRow("most points wins over rarity")
            << Found{{1, {found("STONE"), found("STY")}}, {2, {found("STRIPE")}}}
            << QByteArrayList{"STRIPE"} << QList<int>{2};
        // SEND and SAGA have 4 points each: the rarer one is best.
        QTest::newRow("equal points, the rarer")
            << Found{{1, {found("SEND")}}, {3, {found("SAGA")}}}
            << QByteArrayList{levelOf("SAGA") > levelOf("SEND") ? "SAGA" : "SEND"}
            << QList<int>{levelOf("SAGA") > levelOf("SEND") ? 3 : 1};
        QTest::newRow("tie on points and level, alphabetically")
            << Found{{2, {found("SHIP")}}, {1, {found("SEND")}}, {4, {found("SO")}}}
            << QByteArrayList{"SEND", "SHIP"} << QList<int>{1, 2};
        QTest::newRow("a spy's word does not count")
            << Found{{8, {found("STRIPES")}}, {1, {found("SEND")}}} << QByteArrayList{"SEND"}
            << QList<int>{1};
    }

    void bestFound()
    {
        QFETCH(Found, words);
        QFETCH(QByteArrayList, best);
        QFETCH(QList<int>, seats);
        const RoundReview review = reviewOf(play("S", 0, true, 1, words));
        QCOMPARE(review.bestFound.size(), best.size());
        for (qsizetype i = 0; i < best.size(); ++i) {
            QCOMPARE(review.bestFound[i].word, best[i]);
            QCOMPARE(review.bestFound[i].points, int(best[i].size()));
            QCOMPARE(review.bestFound[i].seat, seats[i]);
            QCOMPARE(review.bestFound[i].level, levelOf(best[i]));
        }
    }

    // The words of the tie row above share their level; the table relies on it.
    void tiedWordsShareALevel()
    {
        QCOMPARE(levelOf("SEND"), levelOf("SHIP"));
        QVERIFY(levelOf("SEND") > 0);
    }

    void meanings_data()
    {
        QTest::addColumn<QByteArray>("word");
        QTest::addColumn<QByteArray>("base");
        QTest::addColumn<QString>("firstPart");
        QTest::addColumn<QByteArray>("firstWords");

        QTest::newRow("a lemma") << QByteArray("CAT") << QByteArray() << "noun"
                                 << QByteArray("feline mammal");
        QTest::newRow("a plural") << QByteArray("cats") << QByteArray("CAT") << "noun"
                                  << QByteArray("feline mammal");
        QTest::newRow("an irregular plural")
            << QByteArray("GEESE") << QByteArray("GOOSE") << "noun" << QByteArray("web-footed");
        QTest::newRow("an irregular past")
            << QByteArray("RAN") << QByteArray("RUN") << "verb" << QByteArray("move fast");
        QTest::newRow("a comparative") << QByteArray("HAPPIER") << QByteArray("HAPPY")
                                       << "adjective" << QByteArray("enjoying");
        QTest::newRow("an adverb")
            << QByteArray(" quickly ") << QByteArray() << "adverb" << QByteArray("with rapid");
        QTest::newRow("the last word of the list")
            << QByteArray("ZYMURGY") << QByteArray() << "noun"
            << QByteArray("the branch of chemistry");
        QTest::newRow("a word WordNet lacks")
            << QByteArray("AGAINST") << QByteArray() << QString() << QByteArray();
        QTest::newRow("not a word")
            << QByteArray("QXZ") << QByteArray() << QString() << QByteArray();
        QTest::newRow("empty") << QByteArray() << QByteArray() << QString() << QByteArray();
    }

    void meanings()
    {
        QFETCH(QByteArray, word);
        QFETCH(QByteArray, base);
        QFETCH(QString, firstPart);
        QFETCH(QByteArray, firstWords);
        const WordMeaning meaning = meanings_.lookup(word);
        QCOMPARE(meaning.word, word.trimmed().toUpper());
        QCOMPARE(meaning.base, base);
        if (firstPart.isEmpty()) {
            QVERIFY(meaning.senses.isEmpty());
            return;
        }
        QVERIFY(!meaning.senses.isEmpty());
        QVERIFY(meaning.senses.size() <= 2);
        QCOMPARE(WordMeanings::partName(meaning.senses.first().part), firstPart);
        QVERIFY2(meaning.senses.first().definition.startsWith(firstWords),
                 meaning.senses.first().definition.constData());
    }

    // Most words of the list have a meaning; every common one that WordNet lacks is a
    // function word or a form WordNet does not list.
    void meaningsCoverTheList()
    {
        QVERIFY(meanings_.size() > 80000);
        int commonWithout = 0;
        for (const ShippedWord &shipped : shippedWords())
            if (shipped.level == 10 && meanings_.lookup(shipped.word).senses.isEmpty())
                ++commonWithout;
        QVERIFY2(commonWithout < 120, QByteArray::number(commonWithout).constData());
    }

    void meaningsWithoutTheResource()
    {
        const WordMeanings none(QStringLiteral(":/no/such/resource"));
        QCOMPARE(none.size(), 0);
        QVERIFY(none.lookup("CAT").senses.isEmpty());
    }

    void levelsOfAnotherList()
    {
        // A list file that is not the shipped one has no levels: every word is unknown.
        const WordLevels other(dictionary(), QStringLiteral(":/dict/meanings"));
        QVERIFY(!other.isLoaded());
        QCOMPARE(other.levelOfWord("CAT"), WordLevels::kUnknown);
        QVERIFY(levels.isLoaded());
        QCOMPARE(levels.levelOfWord("CAT"), levelOf("CAT"));
        QCOMPARE(levels.levelOfWord("QXZ"), WordLevels::kUnknown);
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

        const GameSummary summary = buildGameSummary({first, second, third}, 2, levels);
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
        // The rarest by level, whatever its points.
        QByteArray rarest;
        for (const QByteArray word : {"QUIT", "QUILTS", "BAT", "STAB"})
            if (rarest.isEmpty() || levelOf(word) > levelOf(rarest) ||
                (levelOf(word) == levelOf(rarest) && word.size() > rarest.size()))
                rarest = word;
        QCOMPARE(one.rarest, found(rarest));
        QCOMPARE(one.rarestLevel, levelOf(rarest));
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
        RoundPlay second = play("C", 0, true, 1, {{1, {found("CASE"), found("CAT")}}});
        second.round = 2;
        const GameSummary summary = buildGameSummary({first, second}, 5, levels);
        QCOMPARE(levelOf("BEAR"), levelOf("BOAT"));
        QCOMPARE(levelOf("BEAR"), levelOf("CASE"));
        QCOMPARE(summary.players.at(1).best, found("BEAR"));
        QCOMPARE(summary.rounds[1].tieBreak, false);
    }
};

QTEST_GUILESS_MAIN(TestReview)
#include "test_review.moc"

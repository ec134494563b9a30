#include "review/roundreview.h"

#include "dict/tdictn.h"
#include "dict/wordlevels.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <array>

namespace {

// The longest word a record of the list can hold.
constexpr int kLongest = 14;
// Levels stay below this, so points weigh more than any level.
constexpr int kLevels = 256;

// Words by length, each length in the order added.
using ByLength = std::array<QList<QByteArray>, kLongest + 1>;

void appendLongestFirst(QList<QByteArray> &to, const ByLength &words)
{
    for (int length = kLongest; length >= 0; --length)
        to.append(words[std::size_t(length)]);
}

qsizetype countOf(const ByLength &words)
{
    qsizetype total = 0;
    for (const QList<QByteArray> &list : words)
        total += list.size();
    return total;
}

// Keeps the best found words: a better one replaces them, an equal one joins them.
void considerFound(QList<BestWord> &best, const BestWord &word)
{
    const int key = bestKey(word.points, word.level);
    const int held = best.isEmpty() ? -1 : bestKey(best.first().points, best.first().level);
    if (key < held)
        return;
    if (key > held)
        best.clear();
    const auto at =
        std::lower_bound(best.begin(), best.end(), word,
                         [](const BestWord &a, const BestWord &b) { return a.word < b.word; });
    best.insert(at, word);
}

} // namespace

bool isPlayerSeat(int seat)
{
    return seat >= 1 && seat <= 6;
}

bool outranks(int key, const QByteArray &word, int heldKey, const QByteArray &heldWord)
{
    if (heldWord.isEmpty() || key != heldKey)
        return heldWord.isEmpty() || key > heldKey;
    return word < heldWord;
}

int bestKey(int points, int level)
{
    return points * kLevels + level;
}

int pointsOf(const QList<FoundWord> &words)
{
    int points = 0;
    for (const FoundWord &w : words)
        points += w.points;
    return points;
}

RoundReview buildRoundReview(const RoundPlay &play, const TDictn &dictionary,
                             const WordLevels &levels)
{
    RoundReview review;
    review.round = play.round;
    review.rule = play.rule;
    review.missedScope = play.showwords ? MissedScope::Everyone : MissedScope::You;

    QHash<QByteArray, int> finder;
    QSet<QByteArray> setAside;
    for (const auto &[seat, words] : play.found) {
        if (!isPlayerSeat(seat))
            continue;
        review.found[seat] = words;
        // With the words hidden, other seats' words are not this copy's to know.
        const bool counts = play.showwords || seat == play.myseat;
        for (const FoundWord &w : words) {
            finder.insert(w.word, seat);
            if (counts)
                setAside.insert(w.word);
            considerFound(review.bestFound, {w.word, w.points, seat, levels.levelOfWord(w.word)});
        }
    }

    ByLength common;
    ByLength rest;
    // The longest word ranks by length, then by commonness (a lower level first).
    int longestKey = -1;
    const int wordlength = play.rule.wordlength;
    dictionary.forEachWithPrefix(
        QString::fromLatin1(play.rule.prefix), [&](QByteArrayView view, qint64 record) {
            // The length test is the rule's first one, made here before the word is copied.
            if (wordlength != 0 && view.size() != wordlength)
                return;
            const QByteArray word = view.toByteArray();
            if (play.rule.judge(word, dictionary) != Refusal::None)
                return;
            const int level = levels.levelOf(record);
            const int size = static_cast<int>(word.size());
            const int key = size * kLevels + (kLevels - 1 - level);
            if (outranks(key, word, longestKey, review.longest.word)) {
                longestKey = key;
                review.longest = {word, size, finder.value(word, 0), level};
            }
            if (setAside.contains(word))
                return;
            ByLength &to = WordLevels::isCommon(level) ? common : rest;
            to[std::size_t(qMin(size, kLongest))].append(word);
        });

    review.commonMissed = countOf(common);
    review.missed.reserve(review.commonMissed + countOf(rest));
    // The walk runs in alphabetical order, so each length keeps it.
    appendLongestFirst(review.missed, common);
    appendLongestFirst(review.missed, rest);
    return review;
}

#include "review/roundreview.h"

#include "dict/tdictn.h"

#include <QHash>
#include <QSet>

#include <array>

namespace {

// The longest word a record of the list can hold.
constexpr int kLongest = 14;

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

int pointsOf(const QList<FoundWord> &words)
{
    int points = 0;
    for (const FoundWord &w : words)
        points += w.points;
    return points;
}

RoundReview buildRoundReview(const RoundPlay &play, const TDictn &dictionary)
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
            if (outranks(w.points, w.word, review.best.points, review.best.word))
                review.best = {w.word, w.points, seat};
        }
    }

    std::array<QList<QByteArray>, kLongest + 1> byLength;
    const int wordlength = play.rule.wordlength;
    dictionary.forEachWithPrefix(QString::fromLatin1(play.rule.prefix), [&](QByteArrayView view) {
        // The length test is the rule's first one, made here before the word is copied.
        if (wordlength != 0 && view.size() != wordlength)
            return;
        const QByteArray word = view.toByteArray();
        if (play.rule.judge(word, dictionary) != Refusal::None)
            return;
        const int points = static_cast<int>(word.size());
        if (outranks(points, word, review.best.points, review.best.word))
            review.best = {word, points, finder.value(word, 0)};
        if (!setAside.contains(word))
            byLength[qMin<qsizetype>(word.size(), kLongest)].append(word);
    });

    qsizetype total = 0;
    for (const QList<QByteArray> &words : byLength)
        total += words.size();
    review.missed.reserve(total);
    // The walk runs in alphabetical order, so each length keeps it.
    for (int length = kLongest; length >= 0; --length)
        review.missed.append(byLength[length]);
    return review;
}

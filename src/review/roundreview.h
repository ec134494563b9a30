#pragma once

#include "dict/roundrule.h"

#include <QByteArray>
#include <QList>

#include <map>

class TDictn;
class WordLevels;

// A word accepted for a seat and the points it earned.
struct FoundWord {
    QByteArray word;
    int points = 0;

    bool operator==(const FoundWord &) const = default;
};

// What one copy of the game knows of a round it saw played.
struct RoundPlay {
    // Number of the round, from 1; past the game's rounds it broke a tie.
    int round = 0;
    // The round's starting letters and length (0: any length).
    RoundRule rule;
    // Accepted words were told to every seat (false: each finder heard only his own).
    bool showwords = true;
    // This copy's seat.
    int myseat = 0;
    // Words accepted per player seat, in capitals as the server sent them, in
    // the order they were accepted; a seat that played without finding
    // anything may stand with an empty list.
    std::map<int, QList<FoundWord>> found;
    // Round points per seat as the round's end reported them; a seat missing
    // here is counted by the points of its words.
    std::map<int, int> roundletters;
};

// Whose misses the missed list holds: nobody's words (every player's words
// were told to this copy) or only this copy's own.
enum class MissedScope {
    Everyone,
    You,
};

// A word of the round and who found it.
struct BestWord {
    QByteArray word;
    int points = 0;
    // The finder as far as this copy knows; 0 when nobody it knows of found it.
    int seat = 0;
    // How common the word is (see WordLevels).
    int level = 0;

    bool operator==(const BestWord &) const = default;
};

// The look back at one round.
struct RoundReview {
    int round = 0;
    RoundRule rule;
    // Words accepted per player seat (1 to 6), in the order they were accepted.
    std::map<int, QList<FoundWord>> found;
    // Whether missed lists the words nobody found or the words this copy did not find.
    MissedScope missedScope = MissedScope::Everyone;
    // Every word the round allowed and that was not found: first the common
    // ones, then the rest; each part longest first, then alphabetically. Its
    // size is the count to show.
    QList<QByteArray> missed;
    // The first commonMissed words of missed are the common ones.
    qsizetype commonMissed = 0;
    // The best of the words found that this copy knows of: most points, then
    // the rarest, then alphabetically. Words equal on points and commonness
    // all stand here, alphabetically; empty when nothing was found.
    QList<BestWord> bestFound;
    // The longest word the round allowed, the most common of those, then
    // alphabetically first; empty word when the round allowed none.
    BestWord longest;
};

// Reviews a round: picks from the dictionary every word the server would have
// accepted under the round's rule, sets aside the found ones and puts the
// common ones first by their levels. Costs one walk over the words with the
// round's beginning (see bench/README.md).
RoundReview buildRoundReview(const RoundPlay &play, const TDictn &dictionary,
                             const WordLevels &levels);

// True for the seats that play (1 to 6), as opposed to spies.
bool isPlayerSeat(int seat);

// Points of a list of found words.
int pointsOf(const QList<FoundWord> &words);

// True when a word of key ranks above the one held (heldWord empty: none held
// yet): a higher key wins, and on equal keys the alphabetically first word.
bool outranks(int key, const QByteArray &word, int heldKey, const QByteArray &heldWord);

// The rank of a found word for "best": points first, then rarity (a higher
// level is rarer).
int bestKey(int points, int level);

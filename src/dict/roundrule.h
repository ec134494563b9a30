#pragma once

#include <QByteArray>
#include <QList>

class TDictn;

// Why a word cannot score in a round, in the order the players are told; the
// numbers are the reason codes of the refusal message.
enum class Refusal {
    None = -1,
    Length = 0,
    NotAWord = 1,
    AlreadyFound = 2,
    Beginning = 3,
};

// What a round asks of a word: its starting letters and, unless 0, its length.
// The server judges submitted words with it and the round review picks the
// words a round allowed with it, so both always agree.
struct RoundRule {
    QByteArray prefix;
    int wordlength = 0;

    // The refusal for a word in capitals, checked in the server's order against
    // the words already found in the round; None when the word scores.
    Refusal judge(const QByteArray &word, const TDictn &dictionary,
                  const QList<QByteArray> &found = {}) const;
};

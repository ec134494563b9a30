#include "dict/roundrule.h"

#include "dict/tdictn.h"

#include <algorithm>

namespace {

// Only the capitals A to Z make a word; a blank or any other byte inside
// (after the server has trimmed the ends) does not.
bool isPlainWord(const QByteArray &word)
{
    return !word.isEmpty() &&
           std::all_of(word.begin(), word.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

} // namespace

Refusal RoundRule::judge(const QByteArray &word, const TDictn &dictionary,
                         const QList<QByteArray> &found) const
{
    if (wordlength != 0 && word.size() != wordlength)
        return Refusal::Length;
    if (!isPlainWord(word) || !dictionary.IsWord(QString::fromLatin1(word)))
        return Refusal::NotAWord;
    if (found.contains(word))
        return Refusal::AlreadyFound;
    if (!word.startsWith(prefix))
        return Refusal::Beginning;
    return Refusal::None;
}

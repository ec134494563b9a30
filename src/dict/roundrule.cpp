#include "dict/roundrule.h"

#include "dict/tdictn.h"

Refusal RoundRule::judge(const QByteArray &word, const TDictn &dictionary,
                         const QList<QByteArray> &found) const
{
    if (wordlength != 0 && word.size() != wordlength)
        return Refusal::Length;
    if (!dictionary.IsWord(QString::fromLatin1(word)))
        return Refusal::NotAWord;
    if (found.contains(word))
        return Refusal::AlreadyFound;
    if (!word.startsWith(prefix))
        return Refusal::Beginning;
    return Refusal::None;
}

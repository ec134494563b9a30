#include "server/starterwords.h"

#include "common/errors.h"
#include "common/random.h"

#include <QFile>

namespace {
// A length with no entry would make the draw run forever; this many misses
// in a row prove that the list has none of that length.
constexpr int kMaxStarterDraws = 1000000;
} // namespace

QByteArray upperLetters(QByteArray text)
{
    for (char &c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

void StarterWords::loadBuiltIn()
{
    QFile file(QStringLiteral(":/server/starterwords.txt"));
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("The built-in word list is missing."));
    QList<QByteArray> words;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QByteArray word = line.trimmed();
        if (!word.isEmpty())
            words.append(word);
    }
    setWords(std::move(words));
}

void StarterWords::setWords(QList<QByteArray> words)
{
    words_ = std::move(words);
}

QByteArray StarterWords::drawStarter(int wordlength) const
{
    const qsizetype drawable = words_.size() - 1;
    if (drawable < 1)
        throw Error(QStringLiteral("The built-in word list is empty."));
    for (int draw = 0; draw < kMaxStarterDraws; ++draw) {
        const QByteArray &word = words_.at(Random::below(static_cast<int>(drawable)));
        if (wordlength == 0 || word.size() == wordlength)
            return upperLetters(word);
    }
    throw Error(
        QStringLiteral("The built-in word list has no word of %1 letters.").arg(wordlength));
}

QByteArray StarterWords::findFitting(int wordlength, const QByteArray &prefix, int attempts) const
{
    const qsizetype drawable = words_.size() - 10;
    if (drawable < 1)
        return {};
    for (int attempt = 0; attempt < attempts; ++attempt) {
        const QByteArray &word = words_.at(Random::below(static_cast<int>(drawable)));
        if (wordlength != 0 && word.size() != wordlength)
            continue;
        if (upperLetters(word.left(prefix.size())) == prefix)
            return word;
    }
    return {};
}

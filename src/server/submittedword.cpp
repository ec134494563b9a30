#include "server/submittedword.h"

#include "server/starterwords.h"

namespace {
bool isPadding(char c)
{
    return c == ' ' || c == '\0';
}
} // namespace

QByteArray submittedWord(QByteArray text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isPadding(text.at(begin)))
        ++begin;
    while (end > begin && isPadding(text.at(end - 1)))
        --end;
    return upperLetters(text.mid(begin, end - begin));
}

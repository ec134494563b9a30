#include "dict/wordlevels.h"

#include "dict/tdictn.h"

#include <QFile>

const QString WordLevels::kDefaultResource = QStringLiteral(":/dict/levels");

WordLevels::WordLevels(const TDictn &dictionary, const QString &resourceName)
    : dictionary_(dictionary)
{
    QFile file(resourceName);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QByteArray levels = file.readAll();
    // A list file that is not the shipped one has other records: its levels are unknown.
    if (levels.size() == dictionary.recordCount())
        levels_ = std::move(levels);
}

int WordLevels::levelOf(qint64 record) const
{
    if (record < 0 || record >= levels_.size())
        return kUnknown;
    return static_cast<unsigned char>(levels_.at(record));
}

int WordLevels::levelOfWord(QByteArrayView word) const
{
    return levelOf(dictionary_.FindWord(QString::fromLatin1(word)));
}

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class TDictn;

// How common each word of the word list is: the size of the smallest SCOWL
// list that holds it (10 for the most common words, up to 70), kept one byte
// per record of the list in the same order, beside it in the resources.
class WordLevels {
public:
    // Resource holding the levels of the shipped word list.
    static const QString kDefaultResource;
    // Level of the most common words; the review lists them first.
    static constexpr int kCommon = 10;
    // Level of a word the list holds but the levels do not cover.
    static constexpr int kUnknown = 0;

    // Levels for dictionary's records; unknown for all when the resource does
    // not have one level per record (the list file is not the shipped one).
    explicit WordLevels(const TDictn &dictionary, const QString &resourceName = kDefaultResource);

    // Level of a record of the dictionary (kUnknown when out of range or not covered).
    int levelOf(qint64 record) const;
    // Level of a word (kUnknown when the list does not hold it).
    int levelOfWord(QByteArrayView word) const;
    // True for a level of the most common words.
    static bool isCommon(int level) { return level != kUnknown && level <= kCommon; }
    // True when the levels cover the dictionary's records.
    bool isLoaded() const { return !levels_.isEmpty(); }

private:
    const TDictn &dictionary_;
    QByteArray levels_;
};

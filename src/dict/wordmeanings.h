#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <vector>

// One sense of a word: its part of speech and its definition.
struct WordSense {
    enum class Part { Noun, Verb, Adjective, Adverb };
    Part part = Part::Noun;
    QByteArray definition;

    bool operator==(const WordSense &) const = default;
};

// What WordNet says of a word of the list.
struct WordMeaning {
    // The word looked up, in capitals.
    QByteArray word;
    // The form WordNet lists it under (CAT for CATS); empty when it is the word itself.
    QByteArray base;
    // Empty when WordNet lacks the word.
    QList<WordSense> senses;
};

// Short definitions from WordNet 3.0 for the words of the list, read from the
// compact resource the word-list generator makes (tools/gen_wordlists.py).
// The resource is unpacked at the first lookup and kept; a lookup is then a
// binary search over the entries (see bench/README.md).
class WordMeanings {
public:
    // Resource holding the meanings of the shipped word list.
    static const QString kDefaultResource;

    explicit WordMeanings(const QString &resourceName = kDefaultResource);

    // The meanings of a word (any case); no senses when WordNet lacks it or
    // the resource cannot be read.
    WordMeaning lookup(QByteArrayView word) const;
    // Number of words with meanings (unpacks the resource).
    qsizetype size() const;
    // The name of a part of speech as the review shows it ("noun", ...).
    static QString partName(WordSense::Part part);

private:
    struct Entry {
        QByteArrayView word;
        QByteArrayView base;
        QByteArrayView refs;
    };

    void load() const;

    QString resourceName_;
    mutable bool loaded_ = false;
    mutable QByteArray text_;
    mutable std::vector<QByteArrayView> definitions_;
    mutable std::vector<Entry> entries_;
};

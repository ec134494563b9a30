#pragma once

#include <QByteArray>
#include <QList>

// The server's built-in word list: lower-case words of 1 to 7 letters in
// alphabetical order. Starter words are drawn from it, and it is the computer
// player's only source of words.
class StarterWords {
public:
    // Loads the list compiled into the program; raises Error when it is missing.
    void loadBuiltIn();
    // Replaces the list (one word per entry, as given).
    void setWords(QList<QByteArray> words);
    qsizetype count() const { return words_.size(); }
    const QByteArray &at(qsizetype index) const { return words_.at(index); }

    // Draws entries among all but the last until one has wordlength letters
    // (any entry when wordlength is 0); returns it in upper case. Raises Error
    // when no entry of that length exists.
    QByteArray drawStarter(int wordlength) const;
    // Up to `attempts` draws among all entries but the last ten; returns the
    // first entry (as stored) that has wordlength letters (any when 0) and
    // begins with prefix, or an empty text when none was drawn.
    QByteArray findFitting(int wordlength, const QByteArray &prefix, int attempts) const;

private:
    QList<QByteArray> words_;
};

// Upper case of the letters a to z only; every other byte stays as it is.
QByteArray upperLetters(QByteArray text);

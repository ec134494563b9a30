#pragma once

#include <QByteArray>

// The one form in which the server judges, counts and shows a submitted word:
// blanks and NUL characters at both ends removed, letters a to z in capitals.
QByteArray submittedWord(QByteArray text);
// True when the text is one or more of the capitals A to Z and nothing else;
// a word with a blank (or anything else) inside is not a word.
bool isPlainWord(const QByteArray &word);

#pragma once

#include <QByteArray>

// The one form in which the server judges, counts and shows a submitted word:
// blanks and NUL characters at both ends removed, letters a to z in capitals.
QByteArray submittedWord(QByteArray text);

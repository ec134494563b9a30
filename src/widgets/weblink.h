#pragma once

#include <QString>

// A web address found in the chat pane's text: where it starts, how long it
// is, and its text with the letters as written.
struct WebAddress {
    qsizetype start = -1;
    qsizetype length = 0;
    QString address;

    bool isValid() const { return start >= 0; }
};

// The web address in the token (bounded by spaces, carriage returns and line
// feeds) around the character at position, or an invalid WebAddress. The
// address starts at the first of "http://", "ftp://", "file://", "gopher://",
// "telnet://", "news:", "mailto:", "www." found in the token, loses trailing
// characters outside "/".."9" and "a".."z", and must be longer than its prefix.
WebAddress webAddressAt(const QString &text, qsizetype position);

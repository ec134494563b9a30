#pragma once

#include <QByteArray>
#include <QList>

// The stored text of a tally: every line followed by CR LF.
inline QByteArray crlfLines(const QList<QByteArray> &lines)
{
    QByteArray text;
    for (const QByteArray &line : lines)
        text += line + "\r\n";
    return text;
}

// Own totals 12 games, 5 wins, best 310, 140 words; against Ann 4 games: she
// won 1, the player 2, neither 1, in total and in this session.
inline const QList<QByteArray> kWorkedExample = {"9", "2",   "0", "Ann", "12", "4", "5",
                                                 "1", "310", "2", "140", "1",  "0", "4",
                                                 "0", "1",   "0", "2",   "0",  "1"};

#pragma once

#include <QString>
#include <QtGlobal>

// What this process holds, read from the system and the allocator: open
// files, resident set and heap in use.
struct ProcessFigures {
    int openFiles = 0;
    qint64 residentKiB = 0;
    // The resident set's anonymous (heap, stacks) and file-backed parts.
    qint64 anonKiB = 0;
    qint64 fileKiB = 0;
    qint64 heapBytes = 0;

    // Gives back what the allocator keeps but nothing uses, then reads.
    static ProcessFigures read();
    // The heap figure counts exactly the blocks in use (see processfigures.cpp).
    static bool heapIsExact();
    // The resident set follows what is in use (not under AddressSanitizer).
    static bool residentIsMeaningful();
    QString text() const;
};

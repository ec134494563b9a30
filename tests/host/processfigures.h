#pragma once

#include <QString>
#include <QtGlobal>

// What this process holds, read from the system and the allocator: open
// files, mapped regions, resident set and heap in use.
struct ProcessFigures {
    int openFiles = 0;
    int mappings = 0;
    qint64 residentKiB = 0;
    // The resident set's anonymous part (heap, stacks: what a leak grows) and
    // its part of mapped files (the program, its libraries, the word list).
    qint64 anonKiB = 0;
    qint64 fileKiB = 0;
    qint64 heapBytes = 0;

    // Gives back what the allocator keeps but nothing uses, then reads.
    static ProcessFigures read();
    // The heap figure counts exactly the blocks in use (see processfigures.cpp).
    static bool heapIsExact();
    // The allocator is the C library's: the mapped regions and the resident
    // set's anonymous part follow what the program holds.
    static bool allocatorIsPlain();
    QString text() const;
};

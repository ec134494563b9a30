#pragma once

#include "tally/lzrwcoder.h"
#include "tally/lzrwerrors.h"

#include <QString>

class QIODevice;

// Block coding used by Compress: Fast is LZRW1/KH; the LZH coding of Good (and
// so Auto) is not supported.
enum class TCompressMode { Good, Fast, Auto };

// Turns one file into a compressed container file ("WRZL", LZRW1/KH blocks)
// and back. Every failure throws ELzrw1Exception with a fixed message; the
// output file only appears once an operation has succeeded.
class Tlzrw1 {
public:
    QString InputFile;
    QString OutputFile;
    TCompressMode CompressMode = TCompressMode::Fast;

    // Writes InputFile as a container to OutputFile; returns the bytes written.
    qint64 Compress();
    // Writes the bytes held in the container InputFile to OutputFile; returns their count.
    qint64 Decompress();
    // The mode recommended for InputFile: always Fast, the only coding written.
    TCompressMode Advise() const;

    // Compress from the open, random-access input's position to the open output.
    qint64 CompressStream(QIODevice &input, QIODevice &output);
    // Decompress a container from the open input to the open output.
    qint64 DecompressStream(QIODevice &input, QIODevice &output);

private:
    TLZR coder_;
};

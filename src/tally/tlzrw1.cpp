#include "tally/tlzrw1.h"

#include "tally/lzrw1kh.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>
#include <QtEndian>

#include <array>
#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr std::array<char, 4> kHeaderLzrw1kh = {'W', 'R', 'Z', 'L'};
constexpr qint64 kMaxUncompressedSize = 0xFFFFFFFFLL;

// The texts of one operation's failures, naming its files or its streams.
struct Messages {
    QString sizeUnknown;
    QString tooLarge;
    QString readCompress;
    QString readDecompress;
    QString write;
    QString noHeader;
    QString corrupt;
};

Messages fileMessages(const QString &input, const QString &output)
{
    return {
        QStringLiteral("Lzrw1 compression : Failed to obtain the size of : ") + input,
        QStringLiteral("Lzrw1 compression : input file too large for the container : ") + input,
        QStringLiteral("Lzrw1 : Error reading from input file : ") + input +
            QStringLiteral(" (LZRW1/KH)"),
        QStringLiteral("Lzrw1 : Error reading from input file : ") + input,
        QStringLiteral("Lzrw1 : Error writing to output file : ") + output,
        input + QStringLiteral(" : Lzrw1 decompression : this file has no valid header !"),
        input + QStringLiteral(" : Lzrw1 decompression : corrupt compressed block !"),
    };
}

Messages streamMessages()
{
    return {
        QStringLiteral("Lzrw1 compression : Failed to obtain the size of the input stream !"),
        QStringLiteral("Lzrw1 compression : input stream too large for the container !"),
        QStringLiteral("Lzrw1 : Error reading from input stream !"),
        QStringLiteral("Lzrw1 : Error reading from input stream !"),
        QStringLiteral("Lzrw1 : Error writing to output stream !"),
        QStringLiteral("Lzrw1 decompression : input stream contains no valid header !"),
        QStringLiteral("Lzrw1 decompression : input stream contains a corrupt compressed block !"),
    };
}

// The two I/O buffers of one operation, freed when it ends however it ends.
struct Buffers {
    Buffers()
        : input(new (std::nothrow) quint8[kLzrwBufferSize]())
        , output(new (std::nothrow) quint8[kLzrwBufferSize]())
    {
        if (!input || !output)
            throw ELzrw1Exception(
                QStringLiteral("Lzrw1 (de)compression : Failed to get memory for I/O buffers !"));
    }
    std::unique_ptr<quint8[]> input;
    std::unique_ptr<quint8[]> output;
};

// Reads until count bytes arrived or the input ended; -1 on a read error.
qint64 readFully(QIODevice &device, quint8 *to, qint64 count)
{
    qint64 got = 0;
    while (got < count) {
        const qint64 r = device.read(reinterpret_cast<char *>(to + got), count - got);
        if (r < 0)
            return -1;
        if (r == 0)
            break;
        got += r;
    }
    return got;
}

void readExactly(QIODevice &device, quint8 *to, qint64 count, const Messages &texts)
{
    if (readFully(device, to, count) != count)
        throw ELzrw1Exception(texts.readDecompress);
}

void writeAll(QIODevice &device, const void *from, qint64 count, const Messages &texts)
{
    if (device.write(static_cast<const char *>(from), count) != count)
        throw ELzrw1Exception(texts.write);
}

void requireFastMode(TCompressMode mode)
{
    if (mode != TCompressMode::Fast)
        throw ELzrw1Exception(QStringLiteral("Lzrw1 compression : the LZH coding (mode Good or "
                                             "Auto) is not supported, use mode Fast !"));
}

qint64 compressDevice(TLZR &coder, QIODevice &input, qint64 size, QIODevice &output,
                      const Messages &texts)
{
    if (size > kMaxUncompressedSize)
        throw ELzrw1Exception(texts.tooLarge);
    Buffers buffers;
    writeAll(output, kHeaderLzrw1kh.data(), 4, texts);
    const quint32 storedSize = qToLittleEndian(quint32(size));
    writeAll(output, &storedSize, 4, texts);
    qint64 written = 8;
    qint64 total = 0;
    qint64 got = kLzrwBlockSize;
    while (got == kLzrwBlockSize) {
        got = readFully(input, buffers.input.get(), kLzrwBlockSize);
        if (got < 0)
            throw ELzrw1Exception(texts.readCompress);
        total += got;
        const int length = coder.compress(buffers.input.get(), int(got), buffers.output.get());
        const quint16 storedLength = qToLittleEndian(quint16(length));
        writeAll(output, &storedLength, 2, texts);
        writeAll(output, buffers.output.get(), length, texts);
        written += 2 + length;
    }
    // An input that changed while it was read would leave a container whose
    // size field does not match its blocks.
    if (total != size)
        throw ELzrw1Exception(texts.readCompress);
    return written;
}

qint64 decompressDevice(const TLZR &coder, QIODevice &input, QIODevice &output,
                        const Messages &texts)
{
    Buffers buffers;
    quint8 *in = buffers.input.get();
    quint8 *out = buffers.output.get();
    readExactly(input, in, 4, texts);
    if (std::memcmp(in, kHeaderLzrw1kh.data(), 4) != 0)
        throw ELzrw1Exception(texts.noHeader);
    readExactly(input, in, 4, texts);
    const quint32 size = qFromLittleEndian<quint32>(in);
    qint64 total = 0;
    int decoded = kLzrwBlockSize;
    while (decoded == kLzrwBlockSize) {
        readExactly(input, in, 2, texts);
        const int length = qFromLittleEndian<quint16>(in);
        if (length > kLzrwBufferSize)
            throw ELzrw1Exception(texts.corrupt);
        readExactly(input, in, length, texts);
        decoded = coder.decompress(in, length, out);
        if (decoded == kLzrwCorrupt)
            throw ELzrw1Exception(texts.corrupt);
        writeAll(output, out, decoded, texts);
        total += decoded;
    }
    if (total != size)
        throw ELzrw1Exception(QStringLiteral(
            "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !"));
    return total;
}

// The output is written to a temporary file beside OutputFile and only takes
// its place once complete, so a failure never destroys an earlier file.
// Unbuffered, so a short or failed write shows at the write that caused it:
// a buffered QSaveFile can lose a failed flush and still commit.
void openOutput(QSaveFile &file, const QString &name)
{
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw ELzrw1Exception(
            QStringLiteral("Lzrw1 (de)compression : Failed to open output file : ") + name);
}

void openInput(QFile &file, const QString &name)
{
    if (!file.open(QIODevice::ReadOnly))
        throw ELzrw1Exception(
            QStringLiteral("Lzrw1 (de)compression : Failed to open input file : ") + name);
}

void commitOutput(QSaveFile &file, qint64 written, const Messages &texts)
{
    if (file.error() != QFileDevice::NoError || file.size() != written || !file.commit())
        throw ELzrw1Exception(texts.write);
}

} // namespace

qint64 Tlzrw1::Compress()
{
    requireFastMode(CompressMode);
    const Messages texts = fileMessages(InputFile, OutputFile);
    const QFileInfo info(InputFile);
    if (!info.isFile())
        throw ELzrw1Exception(texts.sizeUnknown);
    QFile input(InputFile);
    openInput(input, InputFile);
    QSaveFile output(OutputFile);
    openOutput(output, OutputFile);
    const qint64 written = compressDevice(coder_, input, info.size(), output, texts);
    commitOutput(output, written, texts);
    return written;
}

qint64 Tlzrw1::Decompress()
{
    const Messages texts = fileMessages(InputFile, OutputFile);
    QFile input(InputFile);
    openInput(input, InputFile);
    QSaveFile output(OutputFile);
    openOutput(output, OutputFile);
    const qint64 written = decompressDevice(coder_, input, output, texts);
    commitOutput(output, written, texts);
    return written;
}

TCompressMode Tlzrw1::Advise() const
{
    return TCompressMode::Fast;
}

qint64 Tlzrw1::CompressStream(QIODevice &input, QIODevice &output)
{
    requireFastMode(CompressMode);
    const Messages texts = streamMessages();
    if (input.isSequential())
        throw ELzrw1Exception(texts.sizeUnknown);
    return compressDevice(coder_, input, input.size() - input.pos(), output, texts);
}

qint64 Tlzrw1::DecompressStream(QIODevice &input, QIODevice &output)
{
    return decompressDevice(coder_, input, output, streamMessages());
}

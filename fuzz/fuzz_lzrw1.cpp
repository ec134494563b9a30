// Feeds arbitrary bytes to the container reader and the block decoder, and
// checks the block coder against the plain one on whatever decodes.

#include "lzrwreference.h"
#include "tally/lzrw1kh.h"
#include "tally/tlzrw1.h"

#include <QBuffer>
#include <QByteArray>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Codes a block with the fast and the plain coder; both must write the same
// payload, and it must decode back to the block.
void checkBlock(const quint8 *block, int n)
{
    static std::vector<quint8> fast(kLzrwBlockSize + 8);
    static std::vector<quint8> plain(kLzrwBlockSize + 8);
    static std::vector<quint16> hash(kLzrwHashSize);
    static std::vector<quint8> decoded(kLzrwBlockSize);
    const int length = lzrw1khCompress(block, n, fast.data(), hash.data());
    const int expected = referenceCompress(block, n, plain.data());
    if (length != expected || std::memcmp(fast.data(), plain.data(), size_t(length)) != 0)
        std::abort();
    if (lzrw1khDecompress(fast.data(), length, decoded.data()) != n ||
        std::memcmp(decoded.data(), block, size_t(n)) != 0)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks what the rest is, so each run does one job.
    const quint8 mode = data[0] % 3;
    ++data;
    --size;
    if (mode == 0) {
        // One payload, in buffers exactly as large as the decoder may use.
        const int length = int(std::min<size_t>(size, 65535));
        std::vector<quint8> payload(data, data + length);
        static std::vector<quint8> out(kLzrwBlockSize);
        const int decoded = lzrw1khDecompress(payload.data(), length, out.data());
        if (decoded != kLzrwCorrupt && (decoded < 0 || decoded > kLzrwBlockSize))
            std::abort();
        if (decoded > 0)
            checkBlock(out.data(), decoded);
        return 0;
    }
    if (mode == 1) {
        checkBlock(data, int(std::min<size_t>(size, kLzrwBlockSize)));
        return 0;
    }
    // A whole container file, read from memory.
    QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    QByteArray output;
    QBuffer source(&input);
    QBuffer sink(&output);
    source.open(QIODevice::ReadOnly);
    sink.open(QIODevice::WriteOnly);
    static Tlzrw1 doit;
    try {
        const qint64 written = doit.DecompressStream(source, sink);
        if (written != output.size())
            std::abort();
    } catch (const ELzrw1Exception &) {
    }
    return 0;
}

#include "tally/lzrw1kh.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr int kMinRun = 16;
constexpr int kMaxRun = 4095;
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 18;
constexpr int kWindow = 4096;
constexpr quint16 kEmpty = 0xFFFF;
constexpr int kGroupItems = 16;

quint64 load64(const quint8 *p)
{
    quint64 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Index of the first differing byte of two words whose XOR is the non-zero diff.
int firstDifference(quint64 diff)
{
    if constexpr (std::endian::native == std::endian::little)
        return std::countr_zero(diff) / 8;
    else
        return std::countl_zero(diff) / 8;
}

// Length of the run of equal bytes at x, counting the byte at x, at most
// kMaxRun and never past the block's end. Compared a word at a time because
// every position of the block is measured.
int runLength(const quint8 *src, int x, int n)
{
    const int limit = std::min(kMaxRun, n - x);
    const quint8 b = src[x];
    if (limit < 2 || src[x + 1] != b)
        return 1;
    const quint64 pattern = 0x0101010101010101ULL * b;
    int count = 2;
    while (count + 8 <= limit) {
        const quint64 diff = load64(src + x + count) ^ pattern;
        if (diff)
            return count + firstDifference(diff);
        count += 8;
    }
    while (count < limit && src[x + count] == b)
        ++count;
    return count;
}

// Length of the match between the bytes at x and at the earlier position p,
// at most kMaxMatch and never past the block's end; the two may overlap.
int matchLength(const quint8 *src, int p, int x, int n)
{
    const int limit = std::min(kMaxMatch, n - x);
    int length = 0;
    while (length + 8 <= limit) {
        const quint64 diff = load64(src + x + length) ^ load64(src + p + length);
        if (diff)
            return length + firstDifference(diff);
        length += 8;
    }
    while (length < limit && src[x + length] == src[p + length])
        ++length;
    return length;
}

int hashIndex(const quint8 *at)
{
    const quint32 h = ((((quint32(at[0]) << 4) ^ at[1]) << 4) ^ at[2]) * 40543U;
    return int((h >> 4) & (kLzrwHashSize - 1));
}

void putControl(quint8 *dst, int z, quint32 control)
{
    dst[z] = quint8(control >> 8);
    dst[z + 1] = quint8(control);
}

// Copies length bytes from distance bytes back in dst, front to back, so the
// copy may repeat the bytes it produces.
void copyBack(quint8 *dst, int out, int distance, int length)
{
    quint8 *to = dst + out;
    const quint8 *from = to - distance;
    if (distance >= 8 && out + 24 <= kLzrwBlockSize) {
        // Whole words cannot overlap at this distance; the few bytes written past
        // the copy's end stay inside the block and are overwritten later.
        std::memcpy(to, from, 8);
        std::memcpy(to + 8, from + 8, 8);
        if (length > 16)
            std::memcpy(to + 16, from + 16, 8);
        return;
    }
    if (distance == 1) {
        std::memset(to, to[-1], length);
        return;
    }
    for (int i = 0; i < length; ++i)
        to[i] = from[i];
}

} // namespace

int lzrw1khCompress(const quint8 *src, int n, quint8 *dst, quint16 *hash)
{
    std::fill_n(hash, kLzrwHashSize, kEmpty);
    dst[0] = kLzrwCodedFlag;
    int x = 0;
    int y = 3;
    int z = 1;
    int items = 0;
    quint32 control = 0;
    while (x < n && y <= n) {
        if (items == kGroupItems) {
            putControl(dst, z, control);
            z = y;
            y += 2;
            items = 0;
        }
        ++items;
        const int run = runLength(src, x, n);
        if (run >= kMinRun) {
            const int stored = run - kMinRun;
            dst[y] = 0;
            dst[y + 1] = quint8(stored >> 8);
            dst[y + 2] = quint8(stored);
            dst[y + 3] = src[x];
            x += run;
            y += 4;
            control = (control << 1) | 1;
            continue;
        }
        // The last two positions cannot start a match of three bytes, so their
        // hash (which would read past the block) is never needed.
        if (x + 2 < n) {
            quint16 &entry = hash[hashIndex(src + x)];
            const int p = entry;
            entry = quint16(x);
            if (p != kEmpty && x - p < kWindow) {
                const int length = matchLength(src, p, x, n);
                if (length >= kMinMatch) {
                    const int key = (x - p) * 16 + (length - kMinMatch);
                    dst[y] = quint8(key >> 8);
                    dst[y + 1] = quint8(key);
                    x += length;
                    y += 2;
                    control = (control << 1) | 1;
                    continue;
                }
            }
        }
        dst[y++] = src[x++];
        control <<= 1;
    }
    putControl(dst, z, control << (kGroupItems - items));
    if (y <= n)
        return y;
    dst[0] = kLzrwStoredFlag;
    std::memcpy(dst + 1, src, size_t(n));
    return n + 1;
}

int lzrw1khDecompress(const quint8 *src, int n, quint8 *dst)
{
    if (n < 2)
        return 0;
    if (src[0] == kLzrwStoredFlag) {
        if (n - 1 > kLzrwBlockSize)
            return kLzrwCorrupt;
        std::memcpy(dst, src + 1, size_t(n - 1));
        return n - 1;
    }
    if (n < 3)
        return kLzrwCorrupt;
    quint32 control = (quint32(src[1]) << 8) | src[2];
    int bits = kGroupItems;
    int pos = 3;
    int out = 0;
    while (pos < n) {
        if (bits == 0) {
            // A control word is only written when another item follows it.
            if (n - pos < 3)
                return kLzrwCorrupt;
            control = (quint32(src[pos]) << 8) | src[pos + 1];
            pos += 2;
            bits = kGroupItems;
        }
        if (!(control & 0x8000)) {
            // Consecutive literals are copied together; the zero bits left over
            // in the last group end at the payload's end.
            const int zeros = std::countl_zero(quint16(control));
            const int count = std::min({zeros, bits, n - pos});
            if (count > kLzrwBlockSize - out)
                return kLzrwCorrupt;
            if (pos + 16 <= n && out + 16 <= kLzrwBlockSize)
                std::memcpy(dst + out, src + pos, 16);
            else
                std::memcpy(dst + out, src + pos, size_t(count));
            pos += count;
            out += count;
            control <<= count;
            bits -= count;
            continue;
        }
        if (n - pos < 2)
            return kLzrwCorrupt;
        const int first = src[pos];
        const int second = src[pos + 1];
        const int distance = (first << 4) | (second >> 4);
        if (distance != 0) {
            const int length = (second & 15) + kMinMatch;
            if (distance > out || length > kLzrwBlockSize - out)
                return kLzrwCorrupt;
            copyBack(dst, out, distance, length);
            pos += 2;
            out += length;
        } else {
            if (n - pos < 4)
                return kLzrwCorrupt;
            const int count = ((second << 8) | src[pos + 2]) + kMinRun;
            if (count > kLzrwBlockSize - out)
                return kLzrwCorrupt;
            std::memset(dst + out, src[pos + 3], size_t(count));
            pos += 4;
            out += count;
        }
        control <<= 1;
        --bits;
    }
    return out;
}

#include "tally/lzrwcoder.h"

#include "tally/lzrw1kh.h"
#include "tally/lzrwerrors.h"

#include <new>

TLZR::TLZR()
    : hash_(new (std::nothrow) quint16[kLzrwHashSize])
{
    if (!hash_)
        throw ELzrw1KHCompressor(QStringLiteral("LZRW1KH : no memory for HASH table"));
}

int TLZR::compress(const quint8 *src, int n, quint8 *dst)
{
    return lzrw1khCompress(src, n, dst, hash_.get());
}

int TLZR::decompress(const quint8 *src, int n, quint8 *dst) const
{
    return lzrw1khDecompress(src, n, dst);
}

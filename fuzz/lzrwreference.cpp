#include "lzrwreference.h"

#include "tally/lzrw1kh.h"

#include <algorithm>
#include <cstring>
#include <vector>

int referenceCompress(const quint8 *src, int n, quint8 *dst)
{
    static std::vector<quint8> in(kLzrwBufferSize);
    std::fill(in.begin(), in.end(), 0);
    std::memcpy(in.data(), src, size_t(n));
    static std::vector<quint16> hash(kLzrwHashSize);
    std::fill(hash.begin(), hash.end(), quint16(0xFFFF));
    dst[0] = 0x40;
    int x = 0;
    int y = 3;
    int z = 1;
    int items = 0;
    quint32 control = 0;
    while (x < n && y <= n) {
        if (items == 16) {
            dst[z] = quint8(control >> 8);
            dst[z + 1] = quint8(control);
            z = y;
            y += 2;
            items = 0;
        }
        int count = 1;
        while (in[x + count] == in[x] && count < 4095 && x + count < n)
            ++count;
        if (count >= 16) {
            dst[y] = 0;
            dst[y + 1] = quint8((count - 16) >> 8);
            dst[y + 2] = quint8(count - 16);
            dst[y + 3] = in[x];
            x += count;
            y += 4;
            control = (control << 1) | 1;
        } else {
            const quint32 h = ((((quint32(in[x]) * 16) ^ in[x + 1]) * 16) ^ in[x + 2]) * 40543U;
            const int index = int((h >> 4) % 4096);
            const int p = hash[index];
            int length = 0;
            if (p != 0xFFFF && x - p < 4096) {
                while (length < 18 && in[x + length] == in[p + length] && x + length < n)
                    ++length;
            }
            hash[index] = quint16(x);
            if (length >= 3) {
                const int key = (x - p) * 16 + (length - 3);
                dst[y] = quint8(key >> 8);
                dst[y + 1] = quint8(key);
                x += length;
                y += 2;
                control = (control << 1) | 1;
            } else {
                dst[y++] = in[x++];
                control <<= 1;
            }
        }
        ++items;
    }
    control <<= 16 - items;
    dst[z] = quint8(control >> 8);
    dst[z + 1] = quint8(control);
    if (y <= n)
        return y;
    dst[0] = 0x80;
    std::memcpy(dst + 1, src, size_t(n));
    return n + 1;
}

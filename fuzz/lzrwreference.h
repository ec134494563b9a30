#pragma once

#include <QtGlobal>

// The LZRW1/KH block coder written the plain way, a byte at a time over a
// buffer with zeroed spare bytes; the fuzzer checks the fast coder against it.
int referenceCompress(const quint8 *src, int n, quint8 *dst);

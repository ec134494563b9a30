#pragma once

#include <QtGlobal>

// The LZRW1/KH block coding of the compressed container, as plain functions
// over caller-owned buffers. Every block is coded on its own.

// Input bytes coded into one block; only the last block of a file is shorter.
constexpr int kLzrwBlockSize = 32768;
// Size of the container's I/O buffers: a block plus spare bytes for the coder.
constexpr int kLzrwBufferSize = kLzrwBlockSize + 16;
// Entries of the coder's hash table.
constexpr int kLzrwHashSize = 4096;
// Payload flag of a block kept unchanged.
constexpr quint8 kLzrwStoredFlag = 0x80;
// Payload flag of a coded block.
constexpr quint8 kLzrwCodedFlag = 0x40;
// Returned by lzrw1khDecompress for a payload that is not a valid block.
constexpr int kLzrwCorrupt = -1;

// Codes the n bytes (0 to kLzrwBlockSize) at src into dst, which holds at least
// n + 8 bytes; hash is the 4096-entry scratch table. Returns the payload length
// (n + 1 when the block is stored).
int lzrw1khCompress(const quint8 *src, int n, quint8 *dst, quint16 *hash);

// Decodes the payload of n bytes at src into dst, which holds kLzrwBlockSize
// bytes. Returns the decoded length, or kLzrwCorrupt when the payload would
// decode to more than a block, copy from before the output's start or run past
// its own end; it never reads or writes outside the two buffers.
int lzrw1khDecompress(const quint8 *src, int n, quint8 *dst);

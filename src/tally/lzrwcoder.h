#pragma once

#include <QtGlobal>

#include <memory>

// The LZRW1/KH block coder: owns the hash table for its whole life.
class TLZR {
public:
    // Allocates the hash table; throws ELzrw1KHCompressor when there is no memory.
    TLZR();
    // Codes n bytes (0 to kLzrwBlockSize) of src into dst (n + 8 bytes); returns the payload
    // length.
    int compress(const quint8 *src, int n, quint8 *dst);
    // Decodes a payload of n bytes into dst (kLzrwBlockSize bytes); kLzrwCorrupt when invalid.
    int decompress(const quint8 *src, int n, quint8 *dst) const;

private:
    std::unique_ptr<quint16[]> hash_;
};

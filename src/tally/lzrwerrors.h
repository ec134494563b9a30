#pragma once

#include "common/errors.h"

// Failures of the compressed container: unreadable or invalid files, I/O errors.
class ELzrw1Exception : public Error {
public:
    using Error::Error;
};

// The block coder could not get its hash table.
class ELzrw1KHCompressor : public Error {
public:
    using Error::Error;
};

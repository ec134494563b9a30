#pragma once

#include <cstddef>
#include <type_traits>

// Reading a memory-mapped file cannot report an error through a return value:
// a page the file no longer holds (cut short by another program) or cannot
// deliver (a failing disk) raises a bus error instead. This runs a read-only
// body with such faults inside [begin, begin + length) caught: the body is cut
// off there and the call answers false.
//
// The body must not own anything with a destructor: a fault leaves its frames
// without unwinding them.
bool readMappedImpl(const void *begin, std::size_t length, void (*body)(void *), void *context);

// Runs body(); false when a fault in the mapped range cut it off.
template <typename Body> bool readMapped(const void *begin, std::size_t length, Body &&body)
{
    return readMappedImpl(
        begin, length,
        [](void *context) { (*static_cast<std::remove_reference_t<Body> *>(context))(); }, &body);
}

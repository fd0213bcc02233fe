#pragma once

// The byte hash shared by the fast map and the string hashes: starting from
// 0, for each byte b (unsigned) h = rotate-left(h, 7) + b. The hash of "abc"
// is 1601891 in both widths.

#include <cstddef>

inline unsigned long long AKComputeHashCode64(void const* bytes, size_t size)
{
    unsigned char const* p = static_cast<unsigned char const*>(bytes);
    unsigned long long h = 0;
    for (size_t i = 0; i < size; ++i)
        h = ((h << 7) | (h >> 57)) + p[i];
    return h;
}

inline unsigned int AKComputeHashCode32(void const* bytes, size_t size)
{
    unsigned char const* p = static_cast<unsigned char const*>(bytes);
    unsigned int h = 0;
    for (size_t i = 0; i < size; ++i)
        h = ((h << 7) | (h >> 25)) + p[i];
    return h;
}

#pragma once

#include <cstdint>

// Conversions of 16, 32 and 64-bit numbers between host order and big- or
// little-endian order.

#if !defined(__BYTE_ORDER__) || !defined(__ORDER_LITTLE_ENDIAN__)
#error "Byte order of the host unknown"
#endif

constexpr bool kAKHostIsLittleEndian = (__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__);

inline constexpr uint16_t AKSwapNumber16(uint16_t v) { return static_cast<uint16_t>((v >> 8) | (v << 8)); }
inline constexpr uint32_t AKSwapNumber32(uint32_t v) { return __builtin_bswap32(v); }
inline constexpr uint64_t AKSwapNumber64(uint64_t v) { return __builtin_bswap64(v); }

inline constexpr uint16_t AKSwapNumber16_EndianHostFromBig(uint16_t v)
{
    return kAKHostIsLittleEndian ? AKSwapNumber16(v) : v;
}
inline constexpr uint32_t AKSwapNumber32_EndianHostFromBig(uint32_t v)
{
    return kAKHostIsLittleEndian ? AKSwapNumber32(v) : v;
}
inline constexpr uint64_t AKSwapNumber64_EndianHostFromBig(uint64_t v)
{
    return kAKHostIsLittleEndian ? AKSwapNumber64(v) : v;
}
inline constexpr uint16_t AKSwapNumber16_EndianBigFromHost(uint16_t v)
{
    return kAKHostIsLittleEndian ? AKSwapNumber16(v) : v;
}
inline constexpr uint32_t AKSwapNumber32_EndianBigFromHost(uint32_t v)
{
    return kAKHostIsLittleEndian ? AKSwapNumber32(v) : v;
}
inline constexpr uint64_t AKSwapNumber64_EndianBigFromHost(uint64_t v)
{
    return kAKHostIsLittleEndian ? AKSwapNumber64(v) : v;
}

inline constexpr uint16_t AKSwapNumber16_EndianHostFromLittle(uint16_t v)
{
    return kAKHostIsLittleEndian ? v : AKSwapNumber16(v);
}
inline constexpr uint32_t AKSwapNumber32_EndianHostFromLittle(uint32_t v)
{
    return kAKHostIsLittleEndian ? v : AKSwapNumber32(v);
}
inline constexpr uint64_t AKSwapNumber64_EndianHostFromLittle(uint64_t v)
{
    return kAKHostIsLittleEndian ? v : AKSwapNumber64(v);
}
inline constexpr uint16_t AKSwapNumber16_EndianLittleFromHost(uint16_t v)
{
    return kAKHostIsLittleEndian ? v : AKSwapNumber16(v);
}
inline constexpr uint32_t AKSwapNumber32_EndianLittleFromHost(uint32_t v)
{
    return kAKHostIsLittleEndian ? v : AKSwapNumber32(v);
}
inline constexpr uint64_t AKSwapNumber64_EndianLittleFromHost(uint64_t v)
{
    return kAKHostIsLittleEndian ? v : AKSwapNumber64(v);
}

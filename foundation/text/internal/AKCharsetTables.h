#pragma once

// Upper halves (bytes 0x80-0xFF) of the engine's two single-byte character
// sets; the lower half is ASCII in both. Each set has one table from byte to
// UTF-16 code unit (index = byte - 0x80) and one from code unit back to byte,
// sorted by code unit for binary search. Every byte of both sets decodes.

struct AKCharsetReverseEntry {
    unsigned short unicode;
    unsigned char byte;
};

extern unsigned short const kAKMacRomanHighToUnicode[128];
extern AKCharsetReverseEntry const kAKMacRomanUnicodeToHigh[128];

extern unsigned short const kAKWindowsLatin1HighToUnicode[128];
extern AKCharsetReverseEntry const kAKWindowsLatin1UnicodeToHigh[128];

// The code unit of a byte of the set whose upper half is highToUnicode.
inline unsigned short AKCharsetUnicodeFromByte(unsigned short const* highToUnicode, unsigned char byte)
{
    return byte < 0x80 ? byte : highToUnicode[byte - 0x80];
}

// The byte of the set whose reverse table is unicodeToHigh for a code point,
// or -1 when the set lacks it.
inline int AKCharsetByteFromUnicode(AKCharsetReverseEntry const* unicodeToHigh, unsigned int unicode)
{
    if (unicode < 0x80)
        return static_cast<int>(unicode);
    unsigned int low = 0, high = 128;
    while (low < high) {
        unsigned int mid = (low + high) / 2;
        if (unicodeToHigh[mid].unicode < unicode)
            low = mid + 1;
        else
            high = mid;
    }
    if (low < 128 && unicodeToHigh[low].unicode == unicode)
        return unicodeToHigh[low].byte;
    return -1;
}

#pragma once

// AKClassID: the 8-byte identifier of a registered class, a NUL-terminated
// ASCII name of 2 to 7 characters followed by NUL bytes ("track", "foldRot").
// IDs compare as one unsigned 64-bit number loaded little-endian from the
// 8 bytes, so the first character weighs least: "ba" sorts before "ab".
// Files store the 8 bytes as they are; values and dictionaries store the
// name as a string.
//
// AKClassQCast: a 64-bit quick-cast mask. Each registered class owns one bit;
// a class's mask holds its own bit and those of its ancestors, so "is this a
// kind of X" is one AND.

#include "AKString.h"

class AKFile;
class AKValue;

struct AKClassID {
    char fBytes[8];

    constexpr AKClassID() : fBytes{} {}

    // At most the first 7 characters of the name, the rest NUL; null gives
    // the null ID.
    constexpr AKClassID(char const* name) : fBytes{}
    {
        for (unsigned int i = 0; name != nullptr && i < 7 && name[i] != '\0'; ++i)
            fBytes[i] = name[i];
    }

    // The 8 bytes exactly as given, valid or not (file form, tests).
    static AKClassID FromBytes(void const* bytes);

    // The little-endian 64-bit number by which IDs are ordered.
    constexpr unsigned long long Number() const
    {
        unsigned long long n = 0;
        for (int i = 7; i >= 0; --i)
            n = (n << 8) | static_cast<unsigned char>(fBytes[i]);
        return n;
    }

    constexpr bool IsNull() const { return Number() == 0; }

    // The bytes up to the first NUL (all 8 when none is NUL).
    AKString GetName() const;

    constexpr bool operator==(AKClassID const& other) const { return Number() == other.Number(); }
    constexpr bool operator!=(AKClassID const& other) const { return Number() != other.Number(); }
    constexpr bool operator<(AKClassID const& other) const { return Number() < other.Number(); }
};

static_assert(sizeof(AKClassID) == 8, "class IDs are stored as 8 raw bytes");

inline constexpr AKClassID kAKNullClassID{};

typedef unsigned long long AKClassQCast;
inline constexpr AKClassQCast kAKNullClassQCast = 0;
// The most classes a registry holds: one quick-cast bit each.
inline constexpr unsigned int kAKClassQCastMaxCount = 64;

// --- File form: the 8 bytes as they are, never swapped ---

int AKFileReadAKClassID(AKFile const& file, AKClassID* id);
int AKFileWriteAKClassID(AKFile& file, AKClassID const& id);

// --- Value form: a string value holding the name ---

AKValue* AKValueSetasAKClassID(AKValue* value, AKClassID const& id);
AKValue AKValueSetasAKClassID(AKClassID const& id);
// Takes at most the first 7 characters of a string value into a zeroed ID
// and answers true; a value that gives no string answers false and leaves
// the ID unchanged.
bool AKValueGetasAKClassID(AKValue const& value, AKClassID* id);
// The same, the null ID when the value gives no string.
AKClassID AKValueGetasAKClassID(AKValue const& value);

#pragma once

// Fixed keys: short texts held zero-padded in 8 or 16 bytes and compared as
// 64-bit words, so a comparison is exact, case-sensitive and costs one or two
// integer compares. A longer text is cut when copied in.
//
// AKKeyC7: up to 7 characters in 8 bytes, one word.
// AKKeyC15: up to 15 characters in 16 bytes, two words.

#include <cstddef>
#include <cstring>

template <unsigned int kWords>
class AKKeyCWords
{
public:
    static constexpr unsigned int kByteSize = kWords * 8;
    static constexpr unsigned int kMaxLength = kByteSize - 1;

    AKKeyCWords() = default;
    AKKeyCWords(char const* text) { Set(text); }
    AKKeyCWords(char const* text, size_t length) { Set(text, length); }

    // Copies up to kMaxLength characters of a NUL-terminated text; null
    // gives the empty key.
    void Set(char const* text) { Set(text, text ? std::strlen(text) : 0); }

    // Copies up to kMaxLength bytes of `text` (stopping at a NUL).
    void Set(char const* text, size_t length)
    {
        std::memset(fChars, 0, sizeof(fChars));
        if (text == nullptr)
            return;
        for (size_t i = 0; i < length && i < kMaxLength && text[i] != 0; ++i)
            fChars[i] = text[i];
    }

    char const* c_str() const { return fChars; }
    unsigned int Length() const { return static_cast<unsigned int>(std::strlen(fChars)); }
    bool IsEmpty() const { return fChars[0] == 0; }

    // The key's i-th 64-bit word, in memory order of its bytes.
    unsigned long long GetWord(unsigned int i) const
    {
        unsigned long long word;
        std::memcpy(&word, fChars + 8 * i, 8);
        return word;
    }

    bool operator==(AKKeyCWords const& other) const
    {
        for (unsigned int i = 0; i < kWords; ++i) {
            if (GetWord(i) != other.GetWord(i))
                return false;
        }
        return true;
    }
    bool operator!=(AKKeyCWords const& other) const { return !(*this == other); }

private:
    alignas(8) char fChars[kByteSize] = {};
};

class AKKeyC7 : public AKKeyCWords<1>
{
public:
    using AKKeyCWords<1>::AKKeyCWords;
};

class AKKeyC15 : public AKKeyCWords<2>
{
public:
    using AKKeyCWords<2>::AKKeyCWords;
};

static_assert(sizeof(AKKeyC7) == 8, "a 7-character key is 8 bytes");
static_assert(sizeof(AKKeyC15) == 16, "a 15-character key is 16 bytes");

// The shared empty keys.
inline AKKeyC7 const& AKNullKeyC7Shared()
{
    static AKKeyC7 const sKey;
    return sKey;
}
inline AKKeyC15 const& AKNullKeyC15Shared()
{
    static AKKeyC15 const sKey;
    return sKey;
}
#define kAKNullKeyC7 (AKNullKeyC7Shared())
#define kAKNullKeyC15 (AKNullKeyC15Shared())

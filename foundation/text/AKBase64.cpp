// Base64 coding of binary values (RFC 4648 alphabet, "=" padding).

#include "AKBase64.h"

#include "AKMemoryBlock.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr unsigned char kNotInAlphabet = 0xFF;

// 6-bit value of each byte, kNotInAlphabet for the bytes the decoder skips.
struct DecodeTable {
    unsigned char values[256];
    constexpr DecodeTable() : values()
    {
        for (unsigned int i = 0; i < 256; ++i)
            values[i] = kNotInAlphabet;
        for (unsigned int i = 0; i < 64; ++i)
            values[static_cast<unsigned char>(kAlphabet[i])] = static_cast<unsigned char>(i);
    }
};

constexpr DecodeTable kDecodeTable;

}  // namespace

void LowEncodeBinaryToBase64(unsigned char const* data, unsigned int size, std::string* text)
{
    text->clear();
    if (data == nullptr || size == 0)
        return;
    size_t const groups = (static_cast<size_t>(size) + 2) / 3;
    text->resize(groups * 4);
    char* out = &(*text)[0];

    unsigned int i = 0;
    for (; i + 3 <= size; i += 3) {
        unsigned int triple =
            (static_cast<unsigned int>(data[i]) << 16) | (static_cast<unsigned int>(data[i + 1]) << 8) | data[i + 2];
        *out++ = kAlphabet[(triple >> 18) & 0x3F];
        *out++ = kAlphabet[(triple >> 12) & 0x3F];
        *out++ = kAlphabet[(triple >> 6) & 0x3F];
        *out++ = kAlphabet[triple & 0x3F];
    }
    unsigned int const rest = size - i;
    if (rest > 0) {
        unsigned int triple = static_cast<unsigned int>(data[i]) << 16;
        if (rest == 2)
            triple |= static_cast<unsigned int>(data[i + 1]) << 8;
        *out++ = kAlphabet[(triple >> 18) & 0x3F];
        *out++ = kAlphabet[(triple >> 12) & 0x3F];
        *out++ = rest == 2 ? kAlphabet[(triple >> 6) & 0x3F] : '=';
        *out++ = '=';
    }
}

void LowDecodeBinaryFromBase64(char const* text, size_t length, AKMemoryBlock* block)
{
    block->Free();
    if (text == nullptr || length == 0)
        return;
    // Room for the largest result, 3 bytes per 4 characters; texts come from
    // files smaller than 4 GiB, so the room fits the block's 32-bit size.
    unsigned long long const room = (static_cast<unsigned long long>(length) + 3) / 4 * 3;
    if (room > 0xFFFFFFFFull)
        return;
    block->Allocate(static_cast<unsigned int>(room), true);
    unsigned char* out = block->Data();
    unsigned char* const start = out;

    unsigned int group = 0;
    unsigned int collected = 0;
    for (size_t i = 0; i < length; ++i) {
        unsigned char value = kDecodeTable.values[static_cast<unsigned char>(text[i])];
        if (value == kNotInAlphabet)
            continue;
        group = (group << 6) | value;
        if (++collected == 4) {
            *out++ = static_cast<unsigned char>(group >> 16);
            *out++ = static_cast<unsigned char>(group >> 8);
            *out++ = static_cast<unsigned char>(group);
            group = 0;
            collected = 0;
        }
    }
    // A final group of k values carries k - 1 bytes in its high bits.
    if (collected >= 2) {
        group <<= 6 * (4 - collected);
        *out++ = static_cast<unsigned char>(group >> 16);
        if (collected == 3)
            *out++ = static_cast<unsigned char>(group >> 8);
    }
    block->Allocate(static_cast<unsigned int>(out - start), false);
}

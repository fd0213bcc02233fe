#include "QVOscPacketReader.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr char kBundleTag[8] = {'#', 'b', 'u', 'n', 'd', 'l', 'e', '\0'};

int32_t ReadBigEndianInt32(unsigned char const* p)
{
    uint32_t value = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
    return int32_t(value);
}

// Length of the NUL-terminated, 4-byte padded string at pos, or -1 when it
// runs past the end.
int PaddedStringLength(unsigned char const* data, int size, int pos)
{
    void const* nul = std::memchr(data + pos, 0, size_t(size - pos));
    if (nul == nullptr)
        return -1;
    int length = int(static_cast<unsigned char const*>(nul) - (data + pos)) + 1;
    length = (length + 3) & ~3;
    return pos + length <= size ? length : -1;
}

}  // namespace

char const* QVOscPacketReader::FindFault(char const* data, int size)
{
    if (data == nullptr || size <= 0)
        return "empty packet";
    return FindFaultAtDepth(reinterpret_cast<unsigned char const*>(data), size, 0);
}

char const* QVOscPacketReader::FindFaultAtDepth(unsigned char const* data, int size, int depth)
{
    if (size <= 0)
        return "empty packet";
    if (size % 4 != 0)
        return "size not a multiple of 4";
    if (data[0] == '/')
        return FindMessageFault(data, size);
    if (data[0] == '#')
        return FindBundleFault(data, size, depth);
    return "neither a message nor a bundle";
}

char const* QVOscPacketReader::FindMessageFault(unsigned char const* data, int size)
{
    int addressLength = PaddedStringLength(data, size, 0);
    if (addressLength < 0)
        return "unterminated address";
    int pos = addressLength;
    if (pos == size)
        return nullptr;  // no type tags: a message without arguments
    if (data[pos] != ',')
        return "missing type tags";
    int tagsLength = PaddedStringLength(data, size, pos);
    if (tagsLength < 0)
        return "unterminated type tags";
    unsigned char const* tag = data + pos + 1;
    pos += tagsLength;
    int arrayDepth = 0;
    for (; *tag != 0; ++tag) {
        int need = 0;
        switch (*tag) {
        case 'i':
        case 'f':
        case 'c':
        case 'r':
        case 'm':
            need = 4;
            break;
        case 'h':
        case 'd':
        case 't':
            need = 8;
            break;
        case 'T':
        case 'F':
        case 'N':
        case 'I':
            break;
        case '[':
            ++arrayDepth;
            break;
        case ']':
            if (--arrayDepth < 0)
                return "unbalanced array tags";
            break;
        case 's':
        case 'S': {
            int length = PaddedStringLength(data, size, pos);
            if (length < 0)
                return "string argument runs past the end";
            pos += length;
            break;
        }
        case 'b': {
            if (size - pos < 4)
                return "blob size runs past the end";
            int32_t blobSize = ReadBigEndianInt32(data + pos);
            pos += 4;
            if (blobSize < 0 || blobSize > size - pos)
                return "blob runs past the end";
            int64_t padded = (int64_t(blobSize) + 3) & ~int64_t(3);
            if (padded > size - pos)
                return "blob runs past the end";
            pos += int(padded);
            break;
        }
        default:
            return "unknown argument type";
        }
        if (need > size - pos)
            return "argument runs past the end";
        pos += need;
    }
    if (arrayDepth != 0)
        return "unbalanced array tags";
    return nullptr;
}

char const* QVOscPacketReader::FindBundleFault(unsigned char const* data, int size, int depth)
{
    if (depth >= kMaxBundleDepth)
        return "bundles nested too deep";
    if (size < 16 || std::memcmp(data, kBundleTag, sizeof(kBundleTag)) != 0)
        return "bad bundle header";
    int pos = 16;  // tag and time tag
    while (pos < size) {
        if (size - pos < 4)
            return "bundle element size runs past the end";
        int32_t elementSize = ReadBigEndianInt32(data + pos);
        pos += 4;
        if (elementSize <= 0 || elementSize > size - pos)
            return "bundle element runs past the end";
        if (char const* fault = FindFaultAtDepth(data + pos, elementSize, depth + 1))
            return fault;
        pos += elementSize;
    }
    return nullptr;
}

#pragma once

// AKMemoryBlock: an owned string of bytes of any content (zero bytes
// included) with value semantics: copying a block copies its bytes. Sizes are
// unsigned 32-bit. Data() is null exactly when the block is empty.
//
// Binary chunk form 'bina': the chunk header with the size n + padding + 4,
// an unsigned 32-bit byte count n, the n bytes, then zero bytes up to the
// next multiple of 4 (5 bytes: size 12, count 5, the bytes, 3 zero bytes).

#include "AKString.h"

#include <vector>

class AKFile;

class AKMemoryBlock
{
public:
    AKMemoryBlock() = default;
    AKMemoryBlock(AKMemoryBlock const&) = default;
    AKMemoryBlock(AKMemoryBlock&& other) noexcept = default;
    // A copy of the given bytes (empty for null or a size of 0).
    AKMemoryBlock(void const* data, unsigned int size);
    ~AKMemoryBlock() = default;

    AKMemoryBlock& operator=(AKMemoryBlock const& other) { return Assign(other); }
    AKMemoryBlock& operator=(AKMemoryBlock&& other) noexcept = default;

    // With a non-null pointer and a non-zero size: resizes to the size and
    // copies the bytes in (which may lie in this block's own storage);
    // otherwise empties the block and releases its storage.
    AKMemoryBlock& Assign(void const* data, unsigned int size);
    // Nothing when given itself.
    AKMemoryBlock& Assign(AKMemoryBlock const& other);

    bool IsEmpty() const { return fBytes.empty(); }
    unsigned int Size() const { return static_cast<unsigned int>(fBytes.size()); }
    // The first byte, or null when the block is empty.
    unsigned char const* Data() const { return fBytes.empty() ? nullptr : fBytes.data(); }
    unsigned char* Data() { return fBytes.empty() ? nullptr : fBytes.data(); }

    // Same size and same bytes; two empty blocks are equal.
    bool IsEqual(AKMemoryBlock const& other) const { return fBytes == other.fBytes; }
    bool operator==(AKMemoryBlock const& other) const { return IsEqual(other); }
    bool operator!=(AKMemoryBlock const& other) const { return !IsEqual(other); }

    // A size of 0 empties the block and releases its storage; otherwise
    // resizes, new bytes being 0, and with `zero` every byte becomes 0.
    void Allocate(unsigned int size, bool zero);
    // Every byte becomes 0, size unchanged.
    void Zeroset();
    // Size 0, storage kept.
    void Clear() { fBytes.clear(); }
    // Size 0, storage released.
    void Free();
    void Swap(AKMemoryBlock* other) noexcept { fBytes.swap(other->fBytes); }

    // The 'bina' chunk. A failed read leaves the block empty; a stored count
    // larger than the chunk or than the bytes left fails before anything is
    // allocated. Skipping checks the header and moves past the chunk.
    int ReadFromFile(AKFile const& file);
    int WriteToFile(AKFile& file) const;
    static int SkipFromFile(AKFile const& file);

private:
    std::vector<unsigned char> fBytes;
};

// The prefix, then two upper-case hexadecimal digits per byte; the empty
// string for an empty block.
AKString AKStringHexaFromBinaryData(AKMemoryBlock const& block, AKString const& prefix);

// The shared empty block, built on first use. Never modified.
AKMemoryBlock const& AKNullMemoryBlockShared();
#define kAKNullMemoryBlock (AKNullMemoryBlockShared())

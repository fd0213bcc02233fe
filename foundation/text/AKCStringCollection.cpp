#include "AKCStringCollection.h"

#include "AKLog.h"
#include "AKStatus.h"
#include "AKStringArray.h"

#include <cstring>
#include <new>
#include <utility>

namespace {

// A string's room: its length plus its NUL, rounded up to a multiple of 8.
unsigned long long RoomOf(unsigned int length) { return (static_cast<unsigned long long>(length) + 1 + 7) & ~7ULL; }

}  // namespace

AKCStringCollection::AKCStringCollection(AKStringArray const& strings, bool withMap) { Setup(strings, withMap); }

AKCStringCollection::AKCStringCollection(AKCStringCollection const& other) { *this = other; }

AKCStringCollection& AKCStringCollection::operator=(AKCStringCollection const& other)
{
    if (&other == this)
        return *this;
    Clear();
    if (other.fBlockSize == 0)
        return *this;
    fBlock.reset(new (std::nothrow) char[other.fBlockSize]);
    if (!fBlock) {
        AKLogError(kAKErrorNoMemory, "String collection of %u bytes not copied", other.fBlockSize);
        return *this;
    }
    std::memcpy(fBlock.get(), other.fBlock.get(), other.fBlockSize);
    fBlockSize = other.fBlockSize;
    fOffsets = other.fOffsets;
    // The map's keys point into the block: rebuild them on our own copy.
    if (other.fHasMap)
        BuildMap();
    return *this;
}

AKCStringCollection::AKCStringCollection(AKCStringCollection&& other) noexcept { *this = std::move(other); }

AKCStringCollection& AKCStringCollection::operator=(AKCStringCollection&& other) noexcept
{
    if (&other == this)
        return *this;
    fBlock = std::move(other.fBlock);
    fBlockSize = other.fBlockSize;
    fOffsets = std::move(other.fOffsets);
    fHasMap = other.fHasMap;
    fMap = std::move(other.fMap);
    other.fBlockSize = 0;
    other.fOffsets.Clear();
    other.fHasMap = false;
    other.fMap.Clear();
    return *this;
}

void AKCStringCollection::Setup(AKStringArray const& strings, bool withMap)
{
    Clear();
    unsigned int count = strings.Count();
    if (count == 0)
        return;

    unsigned long long total = 0;
    for (AKString const& s : strings)
        total += RoomOf(s.Length());
    // Offsets are 32-bit.
    if (total > 0xFFFFFFFFULL) {
        AKLogError(kAKErrorNoMemory, "String collection of %llu bytes is too large", total);
        return;
    }

    fBlock.reset(new (std::nothrow) char[total]());
    if (!fBlock) {
        AKLogError(kAKErrorNoMemory, "String collection of %llu bytes not allocated", total);
        return;
    }
    fBlockSize = static_cast<unsigned int>(total);
    fOffsets.Reserve(count);
    unsigned int offset = 0;
    for (AKString const& s : strings) {
        fOffsets.Push(offset);
        std::memcpy(fBlock.get() + offset, s.c_str(), s.Length());
        offset += static_cast<unsigned int>(RoomOf(s.Length()));
    }
    if (withMap)
        BuildMap();
}

void AKCStringCollection::BuildMap()
{
    fHasMap = true;
    for (unsigned int i = 0, n = fOffsets.Count(); i < n; ++i)
        fMap.LowAddOrReplacePair(fBlock.get() + fOffsets[i], i, true);
}

void AKCStringCollection::Clear()
{
    fMap.Free();
    fHasMap = false;
    fOffsets.Clear();
    fBlock.reset();
    fBlockSize = 0;
}

char const* AKCStringCollection::GetStringAtIndex(unsigned int index) const
{
    if (index >= fOffsets.Count())
        return nullptr;
    return fBlock.get() + fOffsets[index];
}

bool AKCStringCollection::GetIndexOfString(char const* string, unsigned int* outIndex) const
{
    unsigned int const* found = nullptr;
    if (fHasMap && string != nullptr && string[0] != 0)
        found = fMap.LowFindPair(string);
    if (outIndex)
        *outIndex = found ? *found : 0xFFFFFFFFu;
    return found != nullptr;
}

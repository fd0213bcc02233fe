#include "QVScriptMemory.h"

#include <cstdlib>
#include <cstring>

QVScriptMemory::QVScriptMemory()
{
    mSlots.reserve(kReservedBlockCount);
    mFreeSlots.reserve(kReservedBlockCount);
}

QVScriptMemory::~QVScriptMemory() { ReleaseAll(); }

bool QVScriptMemory::Admits(size_t extraBytes)
{
    if (extraBytes > mByteCap || mByteCount > mByteCap - extraBytes) {
        mCapReached = true;
        return false;
    }
    return true;
}

void* QVScriptMemory::Track(Header* header, size_t size)
{
    size_t slot;
    if (mFreeSlots.empty()) {
        slot = mSlots.size();
        mSlots.push_back(header);
    } else {
        slot = mFreeSlots.back();
        mFreeSlots.pop_back();
        mSlots[slot] = header;
    }
    header->mSize = size;
    header->mSlot = slot;
    ++mBlockCount;
    mByteCount += size;
    return header + 1;
}

void* QVScriptMemory::Malloc(size_t size)
{
    if (size > SIZE_MAX - sizeof(Header) || !Admits(size))
        return nullptr;
    Header* header = static_cast<Header*>(std::calloc(1, sizeof(Header) + size));
    if (header == nullptr)
        return nullptr;
    return Track(header, size);
}

void* QVScriptMemory::Calloc(size_t count, size_t size)
{
    if (size != 0 && count > SIZE_MAX / size)
        return nullptr;
    return Malloc(count * size);
}

bool QVScriptMemory::IsTracked(void const* block) const
{
    if (block == nullptr)
        return false;
    Header const* header = HeaderOf(block);
    // A block of another allocator is told apart by its slot not pointing back
    // at it (its header bytes are read, so it must be some allocator's block).
    size_t const slot = header->mSlot;
    return slot < mSlots.size() && mSlots[slot] == header;
}

void* QVScriptMemory::Realloc(void* block, size_t size)
{
    if (block == nullptr)
        return Malloc(size);
    if (size == 0) {
        Free(block);
        return nullptr;
    }
    if (!IsTracked(block))
        return nullptr;
    Header* header = HeaderOf(block);
    size_t const oldSize = header->mSize;
    if (size > SIZE_MAX - sizeof(Header) || (size > oldSize && !Admits(size - oldSize)))
        return nullptr;
    size_t const slot = header->mSlot;
    Header* moved = static_cast<Header*>(std::realloc(header, sizeof(Header) + size));
    if (moved == nullptr)
        return nullptr;
    mSlots[slot] = moved;
    moved->mSize = size;
    mByteCount = mByteCount - oldSize + size;
    return moved + 1;
}

void QVScriptMemory::Free(void* block)
{
    if (!IsTracked(block))
        return;
    Header* header = HeaderOf(block);
    size_t const slot = header->mSlot;
    mSlots[slot] = nullptr;
    mFreeSlots.push_back(slot);
    --mBlockCount;
    mByteCount -= header->mSize;
    std::free(header);
}

void QVScriptMemory::ReleaseAll()
{
    for (Header* header : mSlots)
        std::free(header);
    mSlots.clear();
    mFreeSlots.clear();
    mBlockCount = 0;
    mByteCount = 0;
}

// Pooled node memory: blocks of zeroed node-sized slots and a free list
// chained through the slots' next field.

#include "AKNodeAllocator.h"

#include "AKNode.h"

#include <cstring>
#include <new>
#include <type_traits>

namespace {

// The slot code finds the allocator and next fields by their offsets.
static_assert(std::is_standard_layout_v<AKNode>, "node fields are located by offset in free slots");

}  // namespace

std::size_t AKNodeAllocator::AllocatorFieldOffset() { return offsetof(AKNode, fAllocator); }

std::size_t AKNodeAllocator::NextFieldOffset() { return offsetof(AKNode, fNext); }

AKNodeAllocator::~AKNodeAllocator()
{
    for (Block const& block : fBlocks)
        ::operator delete(block.fSlots);
    fBlocks.Clear();
    fFreeHead = nullptr;
}

unsigned long AKNodeAllocator::SlotSize() { return sizeof(AKNode); }

bool AKNodeAllocator::IsSlotInUse(unsigned char const* slot)
{
    void* allocator = nullptr;
    std::memcpy(&allocator, slot + AllocatorFieldOffset(), sizeof allocator);
    return allocator != nullptr;
}

void* AKNodeAllocator::GetSlotNext(unsigned char const* slot)
{
    void* next = nullptr;
    std::memcpy(&next, slot + NextFieldOffset(), sizeof next);
    return next;
}

void AKNodeAllocator::SetSlotNext(unsigned char* slot, void* next)
{
    std::memcpy(slot + NextFieldOffset(), &next, sizeof next);
}

void* AKNodeAllocator::AllocateNodeMemory()
{
    if (fFreeHead == nullptr)
        ExpandMemory(1);
    unsigned char* slot = static_cast<unsigned char*>(fFreeHead);
    fFreeHead = GetSlotNext(slot);
    // Marked in use at once, so that the counts hold even before a node is
    // constructed in it.
    SetSlotNext(slot, nullptr);
    AKNodeAllocator* self = this;
    std::memcpy(slot + AllocatorFieldOffset(), &self, sizeof self);
    return slot;
}

void AKNodeAllocator::FreeNodeMemory(void* memory)
{
    if (memory == nullptr)
        return;
    unsigned char* slot = static_cast<unsigned char*>(memory);
    std::memset(slot, 0, SlotSize());
    SetSlotNext(slot, fFreeHead);
    fFreeHead = slot;
}

void AKNodeAllocator::ExpandMemory(unsigned int count)
{
    if (count == 0)
        return;
    Block block;
    block.fCount = count | kAKNodeBlockMinSlots;
    unsigned long long bytes = static_cast<unsigned long long>(block.fCount) * SlotSize();
    block.fSlots = static_cast<unsigned char*>(::operator new(bytes));
    std::memset(block.fSlots, 0, bytes);
    // Chained in address order, in front of the current free list.
    void* next = fFreeHead;
    for (unsigned int i = block.fCount; i-- > 0;) {
        unsigned char* slot = block.fSlots + static_cast<unsigned long long>(i) * SlotSize();
        SetSlotNext(slot, next);
        next = slot;
    }
    fFreeHead = next;
    fBlocks.Push(block);
}

void AKNodeAllocator::OptimizeMemory()
{
    ATArray<Block> kept;
    kept.Reserve(fBlocks.Count());
    for (Block const& block : fBlocks) {
        bool inUse = false;
        for (unsigned int i = 0; i < block.fCount && !inUse; ++i)
            inUse = IsSlotInUse(block.fSlots + static_cast<unsigned long long>(i) * SlotSize());
        if (inUse)
            kept.Push(block);
        else
            ::operator delete(block.fSlots);
    }
    fBlocks = kept;

    // Free slots in block order and address order: built from the end.
    void* next = nullptr;
    for (unsigned int b = fBlocks.Count(); b-- > 0;) {
        Block const& block = fBlocks[b];
        for (unsigned int i = block.fCount; i-- > 0;) {
            unsigned char* slot = block.fSlots + static_cast<unsigned long long>(i) * SlotSize();
            if (IsSlotInUse(slot))
                continue;
            SetSlotNext(slot, next);
            next = slot;
        }
    }
    fFreeHead = next;
}

unsigned int AKNodeAllocator::CountAllocatedNodes() const
{
    unsigned int count = 0;
    for (Block const& block : fBlocks) {
        for (unsigned int i = 0; i < block.fCount; ++i)
            count += IsSlotInUse(block.fSlots + static_cast<unsigned long long>(i) * SlotSize()) ? 1 : 0;
    }
    return count;
}

unsigned int AKNodeAllocator::CountBlockSlots(unsigned int blockIndex) const
{
    return blockIndex < fBlocks.Count() ? fBlocks[blockIndex].fCount : 0;
}

unsigned int AKNodeAllocator::CountFreeSlots() const
{
    unsigned int count = 0;
    for (void* slot = fFreeHead; slot != nullptr; slot = GetSlotNext(static_cast<unsigned char*>(slot)))
        ++count;
    return count;
}

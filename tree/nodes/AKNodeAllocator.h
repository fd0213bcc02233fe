#pragma once

// Pooled memory for the nodes of one tree. Slots come from blocks of at least
// 4,095 node-sized slots, so that loading or pasting thousands of nodes costs
// a handful of allocations. Free slots are chained through their next field;
// the slot freed last is reused first.
//
// A slot in use holds a node whose allocator field is set; a free slot is all
// zero except its next field. Nodes must be deleted before their allocator.

#include "ATArray.h"

#include <cstddef>

class AKNodeAllocator
{
public:
    // Slots per block: the requested count with its low 12 bits set.
    static constexpr unsigned int kAKNodeBlockMinSlots = 4095;

    AKNodeAllocator() = default;
    ~AKNodeAllocator();

    AKNodeAllocator(AKNodeAllocator const&) = delete;
    AKNodeAllocator& operator=(AKNodeAllocator const&) = delete;

    // Takes the head of the free list, adding a block first when it is empty.
    // The slot comes back zeroed, its allocator field already set.
    void* AllocateNodeMemory();
    // Zero-fills the slot and pushes it on the free list (null ignored).
    void FreeNodeMemory(void* slot);

    // Adds one block of (count | 4095) slots, chained in address order in
    // front of the free list; a count of 0 does nothing.
    void ExpandMemory(unsigned int count);
    // Deletes every block with no slot in use, then rebuilds the free list
    // from the remaining free slots in block and address order.
    void OptimizeMemory();

    unsigned int CountAllocatedNodes() const;
    unsigned int CountBlocks() const { return fBlocks.Count(); }
    // Number of slots of one block, in block order.
    unsigned int CountBlockSlots(unsigned int blockIndex) const;
    unsigned int CountFreeSlots() const;

    // The size of one slot: the size of a node.
    static unsigned long SlotSize();

private:
    struct Block {
        unsigned char* fSlots;
        unsigned int fCount;
    };

    // Where the node's allocator and next fields sit in a slot.
    static std::size_t AllocatorFieldOffset();
    static std::size_t NextFieldOffset();
    static bool IsSlotInUse(unsigned char const* slot);
    static void* GetSlotNext(unsigned char const* slot);
    static void SetSlotNext(unsigned char* slot, void* next);

    void* fFreeHead = nullptr;
    ATArray<Block> fBlocks;
};

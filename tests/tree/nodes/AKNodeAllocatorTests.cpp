// The node allocator: block sizes, reuse order, counts and optimisation.

#include "AKNode.h"
#include "AKNodeAllocator.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

unsigned char* Slot(void* block, unsigned int index)
{
    return static_cast<unsigned char*>(block) + static_cast<size_t>(index) * AKNodeAllocator::SlotSize();
}

}  // namespace

TEST(AKNodeAllocator, BlocksHoldTheCountWithItsLow12BitsSet)
{
    AKNodeAllocator allocator;
    allocator.ExpandMemory(0);
    EXPECT_EQ(allocator.CountBlocks(), 0u);

    struct Case {
        unsigned int count, slots;
    } const cases[] = {{1, 4095}, {4095, 4095}, {4096, 8191}, {5000, 8191}, {8192, 12287}};
    for (Case const& test : cases)
        allocator.ExpandMemory(test.count);
    ASSERT_EQ(allocator.CountBlocks(), 5u);
    for (unsigned int i = 0; i < 5; ++i)
        EXPECT_EQ(allocator.CountBlockSlots(i), cases[i].slots) << "count " << cases[i].count;
    EXPECT_EQ(allocator.CountFreeSlots(), 4095u + 4095u + 8191u + 8191u + 12287u);
    EXPECT_EQ(allocator.CountAllocatedNodes(), 0u);
}

TEST(AKNodeAllocator, SlotsComeInAddressOrderAndTheLastFreedIsReusedFirst)
{
    AKNodeAllocator allocator;
    // The first allocation adds a block of its own.
    void* a = allocator.AllocateNodeMemory();
    ASSERT_EQ(allocator.CountBlocks(), 1u);
    EXPECT_EQ(allocator.CountBlockSlots(0), 4095u);
    void* b = allocator.AllocateNodeMemory();
    void* c = allocator.AllocateNodeMemory();
    EXPECT_EQ(b, Slot(a, 1));
    EXPECT_EQ(c, Slot(a, 2));
    EXPECT_EQ(allocator.CountAllocatedNodes(), 3u);

    // A freed slot is all zero except its next field, which holds the
    // previous head of the free list.
    std::memset(c, 0xAB, AKNodeAllocator::SlotSize());
    allocator.FreeNodeMemory(a);
    allocator.FreeNodeMemory(c);
    allocator.FreeNodeMemory(nullptr);
    std::vector<unsigned char> expected(AKNodeAllocator::SlotSize(), 0);
    unsigned char* slotC = static_cast<unsigned char*>(c);
    size_t nextOffset = 0;
    while (nextOffset + sizeof(void*) <= expected.size() && std::memcmp(slotC + nextOffset, &a, sizeof(void*)) != 0)
        nextOffset += sizeof(void*);
    ASSERT_LT(nextOffset, expected.size());
    EXPECT_GT(nextOffset, 0u);  // not the allocator field
    std::memcpy(expected.data() + nextOffset, &a, sizeof(void*));
    EXPECT_EQ(0, std::memcmp(slotC, expected.data(), expected.size()));
    EXPECT_EQ(allocator.CountAllocatedNodes(), 1u);
    EXPECT_EQ(allocator.AllocateNodeMemory(), c);
    EXPECT_EQ(allocator.AllocateNodeMemory(), a);
    EXPECT_EQ(allocator.AllocateNodeMemory(), Slot(a, 3));

    // A new block is chained in front of the free list.
    allocator.ExpandMemory(10);
    void* d = allocator.AllocateNodeMemory();
    EXPECT_EQ(allocator.CountBlocks(), 2u);
    EXPECT_NE(d, Slot(a, 4));
    EXPECT_EQ(allocator.AllocateNodeMemory(), Slot(d, 1));
}

TEST(AKNodeAllocator, NodesTakeAndGiveBackTheirSlots)
{
    AKNodeAllocator allocator;
    AKNode* first = new (&allocator) AKNode(&allocator, nullptr, 5, nullptr);
    AKNode* second = new (&allocator) AKNode(&allocator, nullptr, 6, nullptr);
    EXPECT_EQ(first->GetAllocator(), &allocator);
    EXPECT_EQ(allocator.CountAllocatedNodes(), 2u);
    void* freed = first;
    delete first;
    EXPECT_EQ(allocator.CountAllocatedNodes(), 1u);
    AKNode* third = new (&allocator) AKNode(&allocator, nullptr, 7, nullptr);
    EXPECT_EQ(static_cast<void*>(third), freed);
    EXPECT_EQ(third->GetID(), 7);
    EXPECT_EQ(third->GetSub(), nullptr);
    delete second;
    delete third;
    EXPECT_EQ(allocator.CountAllocatedNodes(), 0u);
    delete static_cast<AKNode*>(nullptr);
}

TEST(AKNodeAllocator, OptimizeDropsUnusedBlocksAndRebuildsTheFreeList)
{
    AKNodeAllocator allocator;
    allocator.ExpandMemory(1);
    void* firstBlock = allocator.AllocateNodeMemory();
    allocator.FreeNodeMemory(firstBlock);
    allocator.ExpandMemory(1);
    void* secondBlock = allocator.AllocateNodeMemory();  // the new block is in front
    void* kept = allocator.AllocateNodeMemory();
    allocator.FreeNodeMemory(secondBlock);
    ASSERT_EQ(allocator.CountBlocks(), 2u);
    EXPECT_EQ(kept, Slot(secondBlock, 1));

    allocator.OptimizeMemory();
    EXPECT_EQ(allocator.CountBlocks(), 1u);
    EXPECT_EQ(allocator.CountAllocatedNodes(), 1u);
    EXPECT_EQ(allocator.CountFreeSlots(), 4094u);
    // Free slots in address order, skipping the one in use.
    EXPECT_EQ(allocator.AllocateNodeMemory(), secondBlock);
    EXPECT_EQ(allocator.AllocateNodeMemory(), Slot(secondBlock, 2));
}

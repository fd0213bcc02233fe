#include "QVScriptLines.h"
#include "QVScriptMemory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

TEST(QVScriptMemory, TracksZeroFilledBlocksAndReusesReleasedSlots)
{
    QVScriptMemory memory;
    std::vector<void*> blocks;
    for (size_t size = 1; size <= 64; ++size) {
        unsigned char* block = static_cast<unsigned char*>(memory.Malloc(size));
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(std::max_align_t), 0u);
        for (size_t i = 0; i < size; ++i)
            ASSERT_EQ(block[i], 0) << size;
        std::memset(block, 0xAB, size);
        blocks.push_back(block);
    }
    EXPECT_EQ(memory.GetBlockCount(), 64u);
    EXPECT_EQ(memory.GetByteCount(), 64u * 65u / 2u);

    // Releasing in any order and taking again keeps the counts exact.
    for (size_t i = 0; i < blocks.size(); i += 2)
        memory.Free(blocks[i]);
    EXPECT_EQ(memory.GetBlockCount(), 32u);
    for (size_t i = 0; i < 32; ++i)
        ASSERT_NE(memory.Calloc(2, 4), nullptr);
    EXPECT_EQ(memory.GetBlockCount(), 64u);

    memory.ReleaseAll();
    EXPECT_EQ(memory.GetBlockCount(), 0u);
    EXPECT_EQ(memory.GetByteCount(), 0u);
}

TEST(QVScriptMemory, ReallocKeepsContentAndFollowsTheBlock)
{
    QVScriptMemory memory;
    char* block = static_cast<char*>(memory.Realloc(nullptr, 8));
    ASSERT_NE(block, nullptr);
    std::memcpy(block, "abcdefg", 8);
    block = static_cast<char*>(memory.Realloc(block, 1 << 20));
    ASSERT_NE(block, nullptr);
    EXPECT_STREQ(block, "abcdefg");
    EXPECT_EQ(memory.GetByteCount(), size_t{1} << 20);
    block = static_cast<char*>(memory.Realloc(block, 4));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::memcmp(block, "abcd", 4), 0);
    EXPECT_EQ(memory.GetByteCount(), 4u);
    EXPECT_TRUE(memory.IsTracked(block));
    EXPECT_EQ(memory.Realloc(block, 0), nullptr);
    EXPECT_EQ(memory.GetBlockCount(), 0u);
}

TEST(QVScriptMemory, LeavesForeignAndNullBlocksAlone)
{
    QVScriptMemory memory;
    // A block of the system allocator big enough for a header in front.
    char* foreign = static_cast<char*>(std::calloc(1, 64));
    void* inside = foreign + 32;
    EXPECT_FALSE(memory.IsTracked(inside));
    memory.Free(inside);
    memory.Free(nullptr);
    EXPECT_EQ(memory.Realloc(inside, 16), nullptr);
    std::free(foreign);
    EXPECT_EQ(memory.GetBlockCount(), 0u);
}

TEST(QVScriptMemory, CapRefusesRunawayRequestsWithoutTrackingThem)
{
    QVScriptMemory memory;
    memory.SetByteCap(1000);
    void* block = memory.Malloc(600);
    ASSERT_NE(block, nullptr);
    EXPECT_FALSE(memory.WasCapReached());
    EXPECT_EQ(memory.Malloc(500), nullptr);
    EXPECT_TRUE(memory.WasCapReached());
    EXPECT_EQ(memory.Realloc(block, 1001), nullptr);
    EXPECT_EQ(memory.Calloc(SIZE_MAX / 2, 4), nullptr);  // count * size overflows
    EXPECT_EQ(memory.Malloc(SIZE_MAX), nullptr);
    EXPECT_EQ(memory.GetBlockCount(), 1u);
    EXPECT_EQ(memory.GetByteCount(), 600u);
    EXPECT_NE(memory.Realloc(block, 1000), nullptr);
    memory.ClearCapReached();
    EXPECT_FALSE(memory.WasCapReached());
}

TEST(QVScriptLines, CarriageReturnLineFeedEndsOneLine)
{
    struct Case {
        std::string text;
        unsigned int ends;
    };
    Case const cases[] = {
        {"", 0},      {"a", 0},       {"a\n", 1},         {"a\r\n", 1},  {"a\r", 1},
        {"a\n\r", 2}, {"a\r\r\n", 2}, {"a\r\nb\r\nc", 2}, {"\n\n\n", 3}, {"\r\n\r\n", 2},
    };
    for (Case const& c : cases)
        EXPECT_EQ(QVScriptCountLineEnds(c.text.data(), c.text.size()), c.ends) << c.text.size();

    std::string const crlf = "one\r\ntwo\r\nthree";
    EXPECT_EQ(QVScriptLineOfPosition(crlf.data(), crlf.size(), 0), 1u);
    EXPECT_EQ(QVScriptLineOfPosition(crlf.data(), crlf.size(), 4), 1u);  // the line feed of the pair
    EXPECT_EQ(QVScriptLineOfPosition(crlf.data(), crlf.size(), 5), 2u);
    EXPECT_EQ(QVScriptLineOfPosition(crlf.data(), crlf.size(), 10), 3u);
    EXPECT_EQ(QVScriptLineOfPosition(crlf.data(), crlf.size(), 99), 3u);
    EXPECT_TRUE(QVScriptEndsWithLineEnd("a\r", 2));
    EXPECT_FALSE(QVScriptEndsWithLineEnd("", 0));
}

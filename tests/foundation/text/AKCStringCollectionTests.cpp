#include "AKCStringCollection.h"
#include "AKStringArray.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr unsigned int kNone = 0xFFFFFFFFu;

std::vector<unsigned int> Offsets(AKCStringCollection const& c)
{
    return std::vector<unsigned int>(c.GetOffsets().begin(), c.GetOffsets().end());
}

TEST(AKCStringCollection, StringsArePackedAtMultiplesOf8)
{
    struct Case {
        std::vector<char const*> strings;
        std::vector<unsigned int> offsets;
        unsigned int size;
    } const cases[] = {
        {{"abc", "defghijk", "abc"}, {0, 8, 24}, 32},
        {{"abcdefg", "abcdefgh", ""}, {0, 8, 24}, 32},  // 7 characters take 8 bytes, 8 take 16
        {{""}, {0}, 8},
        {{}, {}, 0},
    };
    for (Case const& c : cases) {
        AKStringArray strings;
        for (char const* s : c.strings)
            strings.Push(s);
        AKCStringCollection collection(strings, false);
        EXPECT_EQ(collection.Count(), c.strings.size());
        EXPECT_EQ(Offsets(collection), c.offsets);
        EXPECT_EQ(collection.GetBlockSize(), c.size);
        for (unsigned int i = 0; i < c.strings.size(); ++i) {
            char const* s = collection.GetStringAtIndex(i);
            ASSERT_NE(s, nullptr);
            EXPECT_STREQ(s, c.strings[i]);
            // The padding after each string is zero.
            unsigned int end = i + 1 < c.offsets.size() ? c.offsets[i + 1] : c.size;
            for (unsigned int at = c.offsets[i] + static_cast<unsigned int>(std::strlen(s)); at < end; ++at)
                EXPECT_EQ(collection.GetStringAtIndex(0)[at], 0) << "byte " << at;
        }
        EXPECT_EQ(collection.GetStringAtIndex(static_cast<unsigned int>(c.strings.size())), nullptr);
    }
}

TEST(AKCStringCollection, MapGivesTheLastIndexOfAString)
{
    AKCStringCollection collection(AKStringArray{"abc", "defghijk", "abc"}, true);
    struct Case {
        char const* string;
        bool found;
        unsigned int index;
    } const cases[] = {
        {"abc", true, 2}, {"defghijk", true, 1}, {"ab", false, kNone}, {"", false, kNone}, {nullptr, false, kNone},
    };
    for (Case const& c : cases) {
        unsigned int index = 1234;
        EXPECT_EQ(collection.GetIndexOfString(c.string, &index), c.found) << (c.string ? c.string : "(null)");
        EXPECT_EQ(index, c.index) << (c.string ? c.string : "(null)");
    }
    EXPECT_TRUE(collection.GetIndexOfString("abc", nullptr));
}

TEST(AKCStringCollection, NoMapNoLookUp)
{
    AKCStringCollection collection;
    collection.Setup(AKStringArray{"abc"}, false);
    unsigned int index = 0;
    EXPECT_FALSE(collection.GetIndexOfString("abc", &index));
    EXPECT_EQ(index, kNone);
}

TEST(AKCStringCollection, CopiesAndMovesKeepTheirOwnBlock)
{
    AKCStringCollection original(AKStringArray{"one", "two"}, true);
    AKCStringCollection copy(original);
    EXPECT_NE(copy.GetStringAtIndex(0), original.GetStringAtIndex(0));
    original.Clear();
    EXPECT_EQ(original.Count(), 0u);
    EXPECT_EQ(original.GetBlockSize(), 0u);
    EXPECT_FALSE(original.GetIndexOfString("two", nullptr));

    unsigned int index = 0;
    EXPECT_TRUE(copy.GetIndexOfString("two", &index));
    EXPECT_EQ(index, 1u);
    EXPECT_STREQ(copy.GetStringAtIndex(1), "two");

    AKCStringCollection moved(std::move(copy));
    EXPECT_TRUE(moved.GetIndexOfString("one", &index));
    EXPECT_EQ(index, 0u);
    AKCStringCollection copyOfMovedFrom(copy);  // the source was left empty
    EXPECT_EQ(copyOfMovedFrom.Count(), 0u);

    // Setup replaces everything, the map included.
    moved.Setup(AKStringArray{"three"}, false);
    EXPECT_EQ(moved.Count(), 1u);
    EXPECT_FALSE(moved.GetIndexOfString("three", nullptr));
}

}  // namespace

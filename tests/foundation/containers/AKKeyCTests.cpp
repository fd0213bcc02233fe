#include "AKKeyC.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(AKKeyC, TextIsCutToTheKeysRoom)
{
    struct Case {
        char const* text;
        std::string key15;
        std::string key7;
    } const cases[] = {
        {"", "", ""},
        {nullptr, "", ""},
        {"player", "player", "player"},
        {"sequence", "sequence", "sequenc"},
        {"0123456789abcde", "0123456789abcde", "0123456"},
        {"0123456789abcdefXYZ", "0123456789abcde", "0123456"},
    };
    for (Case const& c : cases) {
        char const* name = c.text ? c.text : "(null)";
        AKKeyC15 key15(c.text);
        AKKeyC7 key7(c.text);
        EXPECT_EQ(key15.c_str(), c.key15) << name;
        EXPECT_EQ(key15.Length(), c.key15.size()) << name;
        EXPECT_EQ(key7.c_str(), c.key7) << name;
        EXPECT_EQ(key15.IsEmpty(), c.key15.empty()) << name;
    }
}

TEST(AKKeyC, KeysCompareAsWholeWords)
{
    struct Case {
        char const* a;
        char const* b;
        bool equal;
    } const cases[] = {
        {"player", "player", true},
        {"player", "Player", false},                      // case-sensitive
        {"player", "players", false},                     // a prefix is not equal
        {"0123456789abcde", "0123456789abcdX", false},    // differs in the second word only
        {"0123456789abcdeXYZ", "0123456789abcde", true},  // both cut to 15
        {"", nullptr, true},
    };
    for (Case const& c : cases) {
        EXPECT_EQ(AKKeyC15(c.a) == AKKeyC15(c.b), c.equal) << (c.a ? c.a : "") << " / " << (c.b ? c.b : "");
        EXPECT_EQ(AKKeyC15(c.a) != AKKeyC15(c.b), !c.equal);
    }
    EXPECT_TRUE(AKKeyC7("abcdefgh") == AKKeyC7("abcdefgX"));
    EXPECT_FALSE(AKKeyC7("abc") == AKKeyC7("abd"));
}

TEST(AKKeyC, LayoutIsZeroPaddedBytesInOrder)
{
    AKKeyC7 key("ab");
    EXPECT_EQ(key.GetWord(0), 0x6261ULL);  // first character in the lowest byte
    AKKeyC15 key15("abcdefgh"
                   "ij");
    EXPECT_EQ(key15.GetWord(1), 0x6A69ULL);

    // Copying a text of a given length stops at that length or at a NUL.
    AKKeyC15 part("players", 6);
    EXPECT_EQ(part, AKKeyC15("player"));
    AKKeyC15 nul("ab\0cd", 5);
    EXPECT_EQ(nul, AKKeyC15("ab"));

    // Reusing a key clears what a longer text left behind.
    AKKeyC15 reused("sequence");
    reused.Set("seq");
    EXPECT_EQ(reused, AKKeyC15("seq"));
    EXPECT_EQ(reused.GetWord(0), AKKeyC15("seq").GetWord(0));
}

TEST(AKKeyC, NullKeysAreEmpty)
{
    EXPECT_TRUE(kAKNullKeyC7.IsEmpty());
    EXPECT_TRUE(kAKNullKeyC15.IsEmpty());
    EXPECT_EQ(kAKNullKeyC15.GetWord(0), 0ULL);
    EXPECT_EQ(kAKNullKeyC15.GetWord(1), 0ULL);
    EXPECT_EQ(&kAKNullKeyC15, &AKNullKeyC15Shared());
    EXPECT_EQ(kAKNullKeyC15, AKKeyC15(""));
}

}  // namespace

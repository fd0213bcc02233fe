#include "AKStringArray.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> ToVector(AKStringArray const& array)
{
    std::vector<std::string> result;
    for (AKString const& s : array)
        result.push_back(s.StdString());
    return result;
}

using Strings = std::vector<std::string>;

}  // namespace

TEST(AKStringArray, SplitToArray)
{
    struct Case {
        char const* text;
        char const* separators;
        char const* trims;
        Strings expected;
    } const cases[] = {
        {"a, b,,c,", nullptr, nullptr, {"a", "b", "", "c", ""}},  // a final separator yields a final empty piece
        {",x", nullptr, nullptr, {"", "x"}},
        {" x ; y ", nullptr, nullptr, {"x", "y"}},
        {"", nullptr, nullptr, {}},
        {" \t\r\n ", nullptr, nullptr, {""}},  // a piece of trim bytes only is empty
        {"a b|c", "|", "", {"a b", "c"}},      // an empty trim set trims nothing
        {" a , b ", "", nullptr, {"a , b"}},   // an empty separator set: one piece
        {"1:2::3", ":", nullptr, {"1", "2", "", "3"}},
        {"-a-:-b-", ":", "-", {"a", "b"}},
        {"a\nb", "\n", " ", {"a", "b"}},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ToVector(AKString(c.text).SplitToArray(c.separators, c.trims)), c.expected);
    }
}

TEST(AKStringArray, SplitNeverTreatsNulAsSeparator)
{
    AKString const text(std::string("a\0b,c", 5));
    AKStringArray const pieces = text.SplitToArray(nullptr, nullptr);
    ASSERT_EQ(pieces.Count(), 2u);
    EXPECT_EQ(pieces[0].Length(), 3u);
    EXPECT_EQ(pieces[1], AKString("c"));
}

TEST(AKStringArray, ConcatSkipsSeparatorWhileResultIsEmpty)
{
    struct Case {
        Strings items;
        char const* separator;
        char const* expected;
    } const cases[] = {
        {{"", "a", "b"}, ",", "a,b"},  // leading empty items add no separator
        {{"a", "", "b"}, ",", "a,,b"}, {{"a", "b", ""}, ",", "a,b,"},      {{}, ",", ""},
        {{"", ""}, ",", ""},           {{"x", "y", "z"}, ", ", "x, y, z"}, {{"x", "y"}, "", "xy"},
    };
    for (Case const& c : cases) {
        AKStringArray array;
        for (std::string const& s : c.items)
            array.Push(AKString(s));
        EXPECT_EQ(array.ConcatToString(c.separator), AKString(c.expected));

        AKString built("old content");
        built.BuildFromArray(array, c.separator);
        EXPECT_EQ(built, AKString(c.expected));
    }
}

TEST(AKStringArray, BuildFromArrayMayUseItsOwnTextAsSeparator)
{
    AKStringArray const array{"a", "b", "c"};
    AKString s("-");
    s.BuildFromArray(array, s);
    EXPECT_EQ(s, AKString("a-b-c"));
}

TEST(AKStringArray, SplitAndConcatRoundTrip)
{
    AKString const text("one,two,,four");
    EXPECT_EQ(text.SplitToArray(",", "").ConcatToString(","), text);
}

TEST(AKStringArray, AssignWithCStrings)
{
    char const* const list[] = {"a", "", "c", nullptr};
    AKStringArray array(list);
    EXPECT_EQ(ToVector(array), (Strings{"a", "", "c"}));

    array.AssignWithCStrings(nullptr);
    EXPECT_TRUE(array.IsEmpty());
    char const* const emptyList[] = {nullptr};
    array.Push("x");
    array.AssignWithCStrings(emptyList);
    EXPECT_TRUE(array.IsEmpty());

    char const* const counted[] = {"p", nullptr, "q"};
    array.AssignWithCStrings(counted, 3);  // a null entry gives an empty string
    EXPECT_EQ(ToVector(array), (Strings{"p", "", "q"}));
    array.AssignWithCStrings(counted, 1);
    EXPECT_EQ(ToVector(array), (Strings{"p"}));
    array.AssignWithCStrings(nullptr, 4);  // a null list with a count stays empty
    EXPECT_TRUE(array.IsEmpty());
}

TEST(AKStringArray, CaseChangesApplyToEveryElement)
{
    AKStringArray array{"aB", "cD\xE9", ""};
    array.ToUpperCase();
    EXPECT_EQ(ToVector(array), (Strings{"AB", "CD\xE9", ""}));
    array.ToLowerCase();
    EXPECT_EQ(ToVector(array), (Strings{"ab", "cd\xE9", ""}));
    array.ToCapitalized();
    EXPECT_EQ(ToVector(array), (Strings{"Ab", "Cd\xE9", ""}));
}

TEST(AKStringArray, SharedEmptyArray)
{
    EXPECT_TRUE(kAKNullStringArray.IsEmpty());
    EXPECT_EQ(&kAKNullStringArray, &AKNullStringArrayShared());
}

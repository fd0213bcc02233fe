#include "AKString.h"
#include "AKStringArray.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr unsigned int kNone = 0xFFFFFFFFu;

// Builds a string from a literal that may hold NUL bytes.
template <size_t N>
AKString Bytes(char const (&text)[N])
{
    return AKString(std::string(text, N - 1));
}

int Sign(int v) { return (v > 0) - (v < 0); }

}  // namespace

// ---------------------------------------------------------------------------
// Construction and assignment

TEST(AKString, NullPointersGiveEmptyStrings)
{
    EXPECT_TRUE(AKString(static_cast<char const*>(nullptr)).IsEmpty());
    EXPECT_TRUE(AKString(nullptr, 5).IsEmpty());

    AKString s("abc");
    s.Assign(static_cast<char const*>(nullptr));
    EXPECT_TRUE(s.IsEmpty());
    s = "abc";
    s = static_cast<char const*>(nullptr);
    EXPECT_TRUE(s.IsEmpty());
    s = "abc";
    s.Assign("xyz", 0);
    EXPECT_TRUE(s.IsEmpty());

    s = "abc";
    s.Append(nullptr).Append("", 0).Prepend(nullptr).Prepend(static_cast<char const*>(nullptr), 3);
    EXPECT_EQ(s, AKString("abc"));
    EXPECT_STREQ(s.c_str(), "abc");
}

TEST(AKString, SelfAssignmentAndSelfConcatenationKeepContent)
{
    AKString s("ab");
    AKString& alias = s;
    s = alias;
    EXPECT_EQ(s, AKString("ab"));
    s.Append(s);
    EXPECT_EQ(s, AKString("abab"));
    s.Prepend(s);
    EXPECT_EQ(s, AKString("abababab"));
    s.Assign(s.c_str() + 6);
    EXPECT_EQ(s, AKString("ab"));
}

TEST(AKString, FormattingMayReadTheStringBeingFormatted)
{
    AKString s("xy");
    s.Assignf("%s-%s", s.c_str(), s.c_str());
    EXPECT_EQ(s, AKString("xy-xy"));
    s.Appendf("[%s]", s.c_str());
    EXPECT_EQ(s, AKString("xy-xy[xy-xy]"));
    s.Prependf("%d:", 7);
    EXPECT_EQ(s, AKString("7:xy-xy[xy-xy]"));
}

TEST(AKString, FormattingLongTextAndEmptyFormats)
{
    AKString s;
    s.Assignf("%0400d", 1);
    ASSERT_EQ(s.Length(), 400u);
    EXPECT_EQ(s[399], '1');
    EXPECT_EQ(s[0], '0');
    s.Appendf("%s", std::string(1000, 'z').c_str());
    EXPECT_EQ(s.Length(), 1400u);

    s = "keep";
    s.Appendf(nullptr);
    s.Prependf("%s", "");
    EXPECT_EQ(s, AKString("keep"));
    s.Assignf("%s", "");
    EXPECT_TRUE(s.IsEmpty());
    s = "keep";
    s.Assignf(nullptr);
    EXPECT_TRUE(s.IsEmpty());
}

TEST(AKString, SizeOperations)
{
    AKString s("abcdef");
    EXPECT_FALSE(s.SetMaxLength(6));
    EXPECT_TRUE(s.SetMaxLength(3));
    EXPECT_EQ(s, AKString("abc"));

    s.SetCapacity(1000);
    EXPECT_GE(s.Capacity(), 1000u);
    s.Clear();
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_GE(s.Capacity(), 1000u);
    s = "x";
    s.Shrink();
    EXPECT_EQ(s, AKString("x"));
    s.Free();
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_LT(s.Capacity(), 1000u);

    EXPECT_EQ(AKString("ab") + AKString("cd"), AKString("abcd"));
    EXPECT_EQ(s[5], '\0');  // out of range reads as NUL
}

TEST(AKString, SharedEmptyConstantsAreEmptyAndStable)
{
    EXPECT_TRUE(kAKNullString.IsEmpty());
    EXPECT_TRUE(kAKNullKey.IsEmpty());
    EXPECT_EQ(&kAKNullString, &AKNullStringShared());
    EXPECT_NE(&kAKNullString, &kAKNullKey);
    EXPECT_STREQ(kAKNullString.c_str(), "");
}

// ---------------------------------------------------------------------------
// Comparison

struct CompareCase {
    AKString a;
    AKString b;
    bool caseSensitive;
    bool equal;
    int sign;
};

TEST(AKString, IsEqualAndCompare)
{
    CompareCase const cases[] = {
        {"ABC", "abc", false, true, 0},
        {"ABC", "abc", true, false, -1},
        {"a", "B", false, false, -1},
        {"a", "B", true, false, 1},
        {"_", "a", false, false, -1},  // 0x5F sorts before every folded letter
        {"_", "A", true, false, 1},
        {"ab", "abc", true, false, -1},  // a proper prefix orders first
        {"abc", "ab", false, false, 1},
        {"", "", true, true, 0},
        {"", "", false, true, 0},
        {"\xE9", "a", true, false, 1},                   // unsigned byte order
        {"\xC9", "\xE9", false, false, -1},              // no folding from 0x80 upwards
        {Bytes("a\0b"), Bytes("a\0c"), false, true, 0},  // stops at the first NUL
        {Bytes("a\0b"), Bytes("a\0c"), true, false, -1},
    };
    for (CompareCase const& c : cases) {
        SCOPED_TRACE(std::string("'") + c.a.c_str() + "' vs '" + c.b.c_str() + "' cs=" + (c.caseSensitive ? "1" : "0"));
        EXPECT_EQ(c.a.IsEqual(c.b, c.caseSensitive), c.equal);
        EXPECT_EQ(Sign(c.a.Compare(c.b, c.caseSensitive)), c.sign);
        EXPECT_EQ(Sign(c.b.Compare(c.a, c.caseSensitive)), -c.sign);
    }
}

TEST(AKString, OperatorsOrderUnsignedBytes)
{
    EXPECT_TRUE(AKString("a") < AKString("\xE9"));
    EXPECT_TRUE(AKString("ab") < AKString("abc"));
    EXPECT_TRUE(AKString("abc") <= AKString("abc"));
    EXPECT_TRUE(AKString("b") > AKString("abc"));
    EXPECT_TRUE(AKString("b") >= AKString("b"));
    EXPECT_TRUE(Bytes("a\0") != AKString("a"));
    EXPECT_TRUE(AKString("a") == "a");
}

struct ContainsCase {
    AKString hay;
    AKString needle;
    bool caseSensitive;
    bool expected;
};

TEST(AKString, Contains)
{
    ContainsCase const cases[] = {
        {"Hello World", "WORLD", false, true},
        {"Hello World", "WORLD", true, false},
        {"Hello World", "o W", true, true},
        {"abc", "", true, true},  // empty needle in a non-empty string
        {"", "", true, false},    // but not in the empty string
        {"", "a", false, false},
        {"ab", "abc", false, false},
        {"x\xE9y", "\xC9", false, false},
        {"aaab", "AAB", false, true},  // restarts after a partial match
    };
    for (ContainsCase const& c : cases) {
        SCOPED_TRACE(std::string(c.hay.c_str()) + " / " + c.needle.c_str());
        EXPECT_EQ(c.hay.Contains(c.needle, c.caseSensitive), c.expected);
    }
    AKString const empty;
    EXPECT_TRUE(empty.Contains(empty, true));  // the same object contains itself
}

// ---------------------------------------------------------------------------
// Searching

struct FindCase {
    AKString hay;
    AKString needle;
    unsigned int arg;
    bool found;
    unsigned int pos;
};

TEST(AKString, Find)
{
    FindCase const cases[] = {
        {"abcabc", "bc", 0, true, 1},      {"abcabc", "bc", 1, true, 1},     {"abcabc", "bc", 2, true, 4},
        {"abcabc", "bc", 5, false, kNone}, {"abc", "", 0, false, kNone},  // an empty needle is never found
        {"abc", "a", 5, false, kNone},                                    // start beyond the end
        {"abc", "a", 3, false, kNone},     {"abc", "abcd", 0, false, kNone}, {"", "a", 0, false, kNone},
    };
    for (FindCase const& c : cases) {
        SCOPED_TRACE(std::string(c.hay.c_str()) + " / " + c.needle.c_str() + " @" + std::to_string(c.arg));
        unsigned int pos = 12345;
        EXPECT_EQ(c.hay.Find(c.needle, c.arg, &pos), c.found);
        EXPECT_EQ(pos, c.pos);
        EXPECT_EQ(c.hay.Find(c.needle, c.arg, nullptr), c.found);
    }
}

TEST(AKString, FindFromEndCountsBackWithThirtyTwoBitLimit)
{
    FindCase const cases[] = {
        {"a/b/", "/", 0, true, 3},            // whole string
        {"a/b/", "/", 1, true, 1},            // limit 2
        {"a/b/", "/", 2, true, 1},            // limit 1
        {"a/b/", "/", 3, false, kNone},       // limit 0
        {"/b/", "/", 2, true, 0},             // limit 0 still matches at 0
        {"a/b/", "/", 4, true, 3},            // B + 1 beyond the length: no limit
        {"a/b/", "/", 0xFFFFFFFFu, true, 3},  // B + 1 wraps to 0: no limit
        {"a/b/", "b/", 0, true, 2},
        {"abc", "", 0, true, 2},  // empty needle found at the limit
        {"abc", "", 1, true, 1},
        {"abc", "", 7, true, 3},
        {"", "", 0, true, 0},
        {"", "a", 0, false, kNone},
        {"ab", "abc", 0, false, kNone},
    };
    for (FindCase const& c : cases) {
        SCOPED_TRACE(std::string(c.hay.c_str()) + " / " + c.needle.c_str() + " B=" + std::to_string(c.arg));
        unsigned int pos = 12345;
        EXPECT_EQ(c.hay.FindFromEnd(c.needle, c.arg, &pos), c.found);
        EXPECT_EQ(pos, c.pos);
    }
}

TEST(AKString, StartsWithAndEndsWith)
{
    AKString rest("junk");
    EXPECT_TRUE(AKString("foo.txt").StartsWith("foo", &rest));
    EXPECT_EQ(rest, AKString(".txt"));
    EXPECT_TRUE(AKString("foo.txt").EndsWith(".txt", &rest));
    EXPECT_EQ(rest, AKString("foo"));
    EXPECT_FALSE(AKString("foo.txt").EndsWith(".wav", &rest));
    EXPECT_TRUE(rest.IsEmpty());
    rest = "junk";
    EXPECT_FALSE(AKString("fo").StartsWith("foo", &rest));
    EXPECT_TRUE(rest.IsEmpty());
    EXPECT_TRUE(AKString("abc").StartsWith(""));

    AKString self("a.b");
    EXPECT_TRUE(self.StartsWith("a", &self));  // the rest may be written into the string itself
    EXPECT_EQ(self, AKString(".b"));
}

// ---------------------------------------------------------------------------
// Replacement

struct ReplaceCase {
    AKString text;
    AKString search;
    AKString replacement;
    unsigned int start;
    unsigned int count;
    AKString result;
};

TEST(AKString, ReplaceAll)
{
    ReplaceCase const cases[] = {
        {"aaa", "a", "aa", 0, 3, "aaaaaa"},  // inserted text is never searched again
        {"aaa", "a", "a", 0, 0, "aaa"},      // identical replacement does nothing
        {"abcabc", "bc", "X", 2, 1, "abcaX"}, {"abcabc", "bc", "X", 0, 2, "aXaX"},
        {"abc", "", "X", 0, 0, "abc"},        {"abc", "a", "X", 3, 0, "abc"},  // start not below the length
        {"aaaa", "aa", "b", 0, 2, "bb"},      {"x-y-z", "-", "", 0, 2, "xyz"},
        {"xyz", "q", "r", 0, 0, "xyz"},       {"ab", "ab", "abab", 0, 1, "abab"},
    };
    for (ReplaceCase const& c : cases) {
        SCOPED_TRACE(std::string(c.text.c_str()) + ": " + c.search.c_str() + " -> " + c.replacement.c_str());
        AKString s(c.text);
        EXPECT_EQ(s.ReplaceAll(c.search, c.replacement, c.start), c.count);
        EXPECT_EQ(s, c.result);
    }
}

TEST(AKString, ReplaceFirstAndRemove)
{
    ReplaceCase const cases[] = {
        {"abcabc", "bc", "X", 0, 1, "aXabc"},  {"abcabc", "bc", "X", 2, 1, "abcaX"},
        {"abcabc", "bc", "X", 5, 0, "abcabc"}, {"abc", "b", "b", 0, 0, "abc"},
        {"abc", "", "X", 0, 0, "abc"},         {"abc", "c", "", 0, 1, "ab"},
    };
    for (ReplaceCase const& c : cases) {
        SCOPED_TRACE(std::string(c.text.c_str()) + ": " + c.search.c_str() + " -> " + c.replacement.c_str());
        AKString s(c.text);
        EXPECT_EQ(s.ReplaceFirst(c.search, c.replacement, c.start), c.count == 1);
        EXPECT_EQ(s, c.result);
    }

    AKString s("a.b.c");
    EXPECT_TRUE(s.RemoveFirst("."));
    EXPECT_EQ(s, AKString("ab.c"));
    s = "a.b.c";
    EXPECT_EQ(s.RemoveAll(".", 2), 1u);
    EXPECT_EQ(s, AKString("a.bc"));

    AKString self("abc");
    EXPECT_EQ(self.ReplaceAll(self, "x"), 1u);  // the searched text may be the string itself
    EXPECT_EQ(self, AKString("x"));
}

// ---------------------------------------------------------------------------
// Editing

TEST(AKString, RemovePrefixSuffixAndCharacters)
{
    AKString s("prefix-body-suffix");
    EXPECT_TRUE(s.RemoveBegin("prefix-"));
    EXPECT_FALSE(s.RemoveBegin("prefix-"));
    EXPECT_TRUE(s.RemoveEnd("-suffix"));
    EXPECT_FALSE(s.RemoveEnd("x"));
    EXPECT_FALSE(s.RemoveEnd(""));
    EXPECT_EQ(s, AKString("body"));

    EXPECT_FALSE(s.RemoveFirstChars(0));
    EXPECT_TRUE(s.RemoveFirstChars(1));
    EXPECT_EQ(s, AKString("ody"));
    EXPECT_TRUE(s.RemoveLastChars(1));
    EXPECT_EQ(s, AKString("od"));
    EXPECT_TRUE(s.RemoveLastChars(10));  // fewer bytes than asked: removes all
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_FALSE(s.RemoveLastChars(1));
    s = "abc";
    EXPECT_TRUE(s.RemoveFirstChars(99));
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_FALSE(s.RemoveFirstChars(1));
}

struct TrimCase {
    AKString text;
    bool removed;
    AKString result;
};

TEST(AKString, RemoveExtraQuotes)
{
    TrimCase const cases[] = {
        {"'abc\"", true, "abc"},  // the two need not match
        {"abc", false, "abc"},   {"\"abc", true, "abc"},
        {"abc'", true, "abc"},   {"''abc''", true, "'abc'"},  // one of each side only
        {"\"", true, ""},        {"", false, ""},
    };
    for (TrimCase const& c : cases) {
        SCOPED_TRACE(c.text.c_str());
        AKString s(c.text);
        EXPECT_EQ(s.RemoveExtraQuotes(), c.removed);
        EXPECT_EQ(s, c.result);
    }
}

TEST(AKString, RemoveExtraSpacesAndTabs)
{
    TrimCase const cases[] = {
        {" \ta b\t ", true, "a b"}, {"a b", false, "a b"}, {" \t ", true, ""}, {"", false, ""},
        {"\na\n", false, "\na\n"},  // line feeds are not trimmed
        {"a ", true, "a"},
    };
    for (TrimCase const& c : cases) {
        SCOPED_TRACE(c.text.c_str());
        AKString s(c.text);
        EXPECT_EQ(s.RemoveExtraSpacesAndTabs(), c.removed);
        EXPECT_EQ(s, c.result);
    }
}

TEST(AKString, RemoveTrailingZeros)
{
    TrimCase const cases[] = {
        {"a0", false, "a0"},
        {Bytes("a\0\0"), true, "a"},
        {Bytes("\0a\0"), true, Bytes("\0a")},
        {Bytes("\0\0"), true, ""},
        {"", false, ""},
    };
    for (TrimCase const& c : cases) {
        AKString s(c.text);
        EXPECT_EQ(s.RemoveTrailingZeros(), c.removed);
        EXPECT_EQ(s, c.result);
    }
}

TEST(AKString, CaseChangesFoldAsciiOnly)
{
    AKString s("hELLO w\xE9rld 1_");
    EXPECT_EQ(AKString(s).ToUpperCase(), AKString("HELLO W\xE9RLD 1_"));
    EXPECT_EQ(AKString(s).ToLowerCase(), AKString("hello w\xE9rld 1_"));
    EXPECT_EQ(AKString(s).ToCapitalized(), AKString("Hello w\xE9rld 1_"));
    EXPECT_EQ(AKString("\xE9t\xE9").ToCapitalized(), AKString("\xE9t\xE9"));
    EXPECT_EQ(AKString("abc").Reverse(), AKString("cba"));
    EXPECT_TRUE(AKString().ToCapitalized().IsEmpty());
}

// ---------------------------------------------------------------------------
// Extraction

TEST(AKString, SubString)
{
    struct Case {
        unsigned int begin;
        unsigned int end;
        char const* expected;
    } const cases[] = {
        {2, 100, "cdef"}, {3, 3, ""}, {0, 6, "abcdef"}, {0, 2, "ab"},
        {4, 2, ""},       {6, 9, ""}, {100, 200, ""},   {0, 0xFFFFFFFFu, "abcdef"},
    };
    AKString const s("abcdef");
    for (Case const& c : cases) {
        SCOPED_TRACE(std::to_string(c.begin) + ".." + std::to_string(c.end));
        EXPECT_EQ(s.SubString(c.begin, c.end), AKString(c.expected));
    }
}

TEST(AKString, AfterAndBeforeSeparators)
{
    AKString const path("a/b/c");
    EXPECT_EQ(path.AfterFirst("/"), AKString("b/c"));
    EXPECT_EQ(path.BeforeFirst("/"), AKString("a"));
    EXPECT_EQ(path.AfterLast("/"), AKString("c"));
    EXPECT_EQ(path.BeforeLast("/"), AKString("a/b"));
    EXPECT_EQ(path.AfterFirst("b/"), AKString("c"));
    for (AKString const& missing : {AKString(":"), AKString()}) {
        EXPECT_TRUE(path.AfterFirst(missing).IsEmpty());
        EXPECT_TRUE(path.BeforeFirst(missing).IsEmpty());
        EXPECT_TRUE(path.AfterLast(missing).IsEmpty());
        EXPECT_TRUE(path.BeforeLast(missing).IsEmpty());
    }
    EXPECT_TRUE(AKString("abc/").AfterLast("/").IsEmpty());
}

TEST(AKString, GetToken)
{
    struct Case {
        char const* text;
        unsigned int pos;
        char const* expected;
    } const cases[] = {
        {"abc)", 0, "abc"}, {"abc", 0, "abc"}, {"ab.c", 3, "c"}, {"ab.c", 2, ""},   {"$var_1 + 2", 1, "var_1"},
        {"$var", 0, ""},    {"abc", 3, ""},    {"abc", 99, ""},  {"a\xE9", 0, "a"},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " @" + std::to_string(c.pos));
        EXPECT_EQ(AKString(c.text).GetToken(c.pos), AKString(c.expected));
    }
}

// ---------------------------------------------------------------------------
// Tests and lines

TEST(AKString, CharacterClassTests)
{
    struct Case {
        AKString text;
        bool alpha, alphaNum, digit;
    } const cases[] = {
        {"", true, true, true},        {"abcXYZ", true, true, false}, {"abc1", false, true, false},
        {"0123", false, true, true},   {"a_b", false, false, false},  {"\xE9", false, false, false},
        {"12 3", false, false, false},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.text.c_str());
        EXPECT_EQ(c.text.IsAlpha(), c.alpha);
        EXPECT_EQ(c.text.IsAlphaNum(), c.alphaNum);
        EXPECT_EQ(c.text.IsDigit(), c.digit);
    }
}

TEST(AKString, IsPureAscii)
{
    struct Case {
        AKString text;
        bool pure;
        unsigned int pos;
    } const cases[] = {
        {"plain text\t\r\n", true, kNone},
        {"del\x7F", true, kNone},
        {"ab\x01", false, 2},
        {"caf\xE9", false, 3},
        {Bytes("ok\0\xE9"), true, kNone},  // stops at the first NUL
        {"", true, kNone},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.text.c_str());
        unsigned int pos = 12345;
        EXPECT_EQ(c.text.IsPureAscii(&pos), c.pure);
        EXPECT_EQ(pos, c.pos);
    }
}

TEST(AKString, CountLines)
{
    struct Case {
        AKString text;
        unsigned int pos;
        unsigned int line, column;
    } const cases[] = {
        {"a\r\nb", 0xFFFFFFFFu, 3, 2},  // CR LF counts as two lines
        {"a\r\nb", 4, 3, 2},           {"a\r\nb", 1, 1, 2},          {"a\r\nb", 0, 1, 1}, {"", 5, 0, 0},
        {"ab\ncd", 4, 2, 2},           {Bytes("ab\0\ncd"), 6, 1, 3},  // a NUL stops the count
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(std::to_string(c.pos));
        unsigned int line = 99, column = 99;
        EXPECT_EQ(c.text.CountLinesToPosition(c.pos, &line, &column), c.line);
        EXPECT_EQ(line, c.line);
        EXPECT_EQ(column, c.column);
    }
    unsigned int line = 0, column = 0;
    EXPECT_EQ(AKString("x\ny\nzz").CountLinesToEnd(&line, &column), 3u);
    EXPECT_EQ(column, 3u);
}

TEST(AKString, Scanf)
{
    AKString const s("x=12 y=3.5");
    int x = 0;
    double y = 0;
    EXPECT_EQ(s.Scanf(0, "x=%d y=%lf", &x, &y), 2);
    EXPECT_EQ(x, 12);
    EXPECT_DOUBLE_EQ(y, 3.5);
    EXPECT_EQ(s.Scanf(7, "%lf", &y), 1);
    EXPECT_DOUBLE_EQ(y, 3.5);

    EXPECT_EQ(s.Scanf(10, "%d", &x), 0);  // position not below the length
    std::string const emptyFormat;
    EXPECT_EQ(s.Scanf(0, emptyFormat.c_str(), &x), 0);
    EXPECT_EQ(s.Scanf(0, nullptr), 0);
    EXPECT_EQ(AKString().Scanf(0, "%d", &x), 0);
    EXPECT_EQ(AKString("   ").Scanf(0, "%d", &x), 0);  // input failure is 0, not -1
    EXPECT_EQ(AKString("abc").Scanf(0, "%d", &x), 0);
}

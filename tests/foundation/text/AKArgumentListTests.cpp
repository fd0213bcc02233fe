#include "AKArgumentList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> ArgsOf(AKArgs const& args)
{
    std::vector<std::string> out;
    for (unsigned int i = 0; i < args.Count(); ++i)
        out.push_back(args.GetArg(i).StdString());
    return out;
}

struct SplitCase {
    char const* text;
    bool removeQuotes;
    std::vector<std::string> expected;
};

TEST(AKArgs, SplitsCommandTextsWithQuoting)
{
    SplitCase const cases[] = {
        {"open \"My Sound.wav\" -gain:0.5", true, {"open", "My Sound.wav", "-gain:0.5"}},
        {"open \"My Sound.wav\" -gain:0.5", false, {"open", "\"My Sound.wav\"", "-gain:0.5"}},
        {"ab\"c d\"e", true, {"abc de"}},
        {"ab\"c d\"e", false, {"ab\"c d\"e"}},
        {" x ", true, {"x"}},
        {"a  ", true, {"a"}},
        {"a\tb", true, {"a", "b"}},
        {"\t a \t b\t", false, {"a", "b"}},
        {"\"unclosed text", true, {"unclosed text"}},
        {"\"unclosed text", false, {"\"unclosed text"}},
        {"a \"\" b", true, {"a", "", "b"}},
        {"a \"\" b", false, {"a", "\"\"", "b"}},
        {"\"\" x", true, {"", "x"}},                            // an empty first argument is kept
        {"back\\slash \"q\\\"", true, {"back\\slash", "q\\"}},  // no escape character
        {"-name:\"Track 1\" -x", true, {"-name:Track 1", "-x"}},
        {" \t  ", true, {}},
        {"", true, {}},
    };
    for (SplitCase const& c : cases) {
        SCOPED_TRACE(std::string("text <") + c.text + "> removeQuotes " + (c.removeQuotes ? "on" : "off"));
        EXPECT_EQ(ArgsOf(AKArgs(c.text, c.removeQuotes)), c.expected);
        EXPECT_EQ(ArgsOf(AKArgs(AKString(c.text), c.removeQuotes)), c.expected);
    }
    EXPECT_EQ(AKArgs(static_cast<char const*>(nullptr), true).Count(), 0u);
}

TEST(AKArgs, BuildsFromArgcArgv)
{
    char const* argv[] = {"tool", nullptr, "-v"};
    AKArgs args(3, argv);
    EXPECT_EQ(ArgsOf(args), (std::vector<std::string>{"tool", "", "-v"}));
    EXPECT_EQ(AKArgs(2, nullptr).Count(), 0u);
    EXPECT_EQ(AKArgs(0, argv).Count(), 0u);

    char a0[] = "main", a1[] = "x";  // the non-const argv of main() is accepted as is
    char* mainArgv[] = {a0, a1};
    EXPECT_EQ(ArgsOf(AKArgs(2, mainArgv)), (std::vector<std::string>{"main", "x"}));
}

TEST(AKArgs, IndexAccessOutOfRange)
{
    AKArgs args("a b", true);
    EXPECT_STREQ(args.argv(0), "a");
    EXPECT_STREQ(args.argv(1), "b");
    EXPECT_EQ(args.argv(-1), nullptr);
    EXPECT_EQ(args.argv(2), nullptr);
    EXPECT_TRUE(args.GetArg(2).IsEmpty());
    EXPECT_TRUE(args.GetArg(0xFFFFFFFFu).IsEmpty());
}

TEST(AKArgs, FindsOptionsByPrefix)
{
    AKArgs args("\"-name:Track 1\" -x -name:Other", true);
    EXPECT_EQ(args.GetParam(AKString("-name:")).StdString(), "Track 1");  // the first match wins
    EXPECT_TRUE(args.IsParam(AKString("-x")));
    EXPECT_TRUE(args.IsParam(AKString("")));
    EXPECT_FALSE(args.IsParam(AKString("-X")));  // case-sensitive
    EXPECT_TRUE(args.GetParam(AKString("-y:")).IsEmpty());

    AKString rest("stale");
    EXPECT_TRUE(args.GetParam(AKString("-x"), &rest));
    EXPECT_TRUE(rest.IsEmpty());
    rest = "stale";
    EXPECT_FALSE(args.GetParam(AKString("-y:"), &rest));
    EXPECT_TRUE(rest.IsEmpty());
    EXPECT_FALSE(args.GetParam(AKString("-y:"), nullptr));

    // The out-string may be the prefix itself.
    AKString prefixAndRest("-name:");
    EXPECT_TRUE(args.GetParam(prefixAndRest, &prefixAndRest));
    EXPECT_EQ(prefixAndRest.StdString(), "Track 1");
}

TEST(AKArgs, NoArgumentsLeavesTheOutStringAlone)
{
    AKArgs empty;
    EXPECT_FALSE(empty.IsParam(AKString("")));
    AKString rest("kept");
    EXPECT_FALSE(empty.GetParam(AKString("-a:"), &rest));
    EXPECT_EQ(rest.StdString(), "kept");
}

TEST(AKArgs, CopiesAreDeep)
{
    AKArgs original("a b", true);
    AKArgs copy(original);
    original = AKArgs("z", true);
    EXPECT_EQ(ArgsOf(copy), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(ArgsOf(original), (std::vector<std::string>{"z"}));
}

}  // namespace

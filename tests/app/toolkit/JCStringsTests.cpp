#include "JCStrings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TextCase {
    char const* utf8;
    char const* engine;  // Mac Roman bytes
};

TEST(JCStrings, ToolkitTextBecomesMacRomanAndBack)
{
    TextCase const cases[] = {
        {"", ""},
        {"plain ASCII", "plain ASCII"},
        {"Caf\xC3\xA9", "Caf\x8E"},              // e acute
        {"\xE2\x82\xAC 5", "\xDB 5"},            // euro sign
        {"\xE2\x80\xA0x\xC3\xBC", "\xA0x\x9F"},  // dagger, u umlaut
    };
    for (TextCase const& c : cases) {
        juce::String const text = juce::String::fromUTF8(c.utf8);
        EXPECT_EQ(JC2AKString(text).StdString(), std::string(c.engine)) << c.utf8;
        EXPECT_EQ(AK2JCString(AKString(c.engine)), text) << c.utf8;
    }
}

TEST(JCStrings, CharactersMacRomanLacksBecomeQuestionMarks)
{
    // A CJK character and an emoji have no Mac Roman form.
    juce::String const text = juce::String::fromUTF8("a\xE4\xB8\xAD"
                                                     "b\xF0\x9F\x8E\xB5"
                                                     "c");
    EXPECT_EQ(JC2AKString(text).StdString(), "a?b?c");
}

TEST(JCStrings, FilesBecomeEnginePathsWithOrWithoutDirectorySyntax)
{
    juce::File const folder(juce::String::fromUTF8("/tmp/Caf\xC3\xA9 folder"));
    EXPECT_EQ(JC2AKFilePath(folder, false).String().StdString(), "/tmp/Caf\x8E folder");
    EXPECT_EQ(JC2AKFilePath(folder, true).String().StdString(), "/tmp/Caf\x8E folder/");
    EXPECT_EQ(JC2AKFilePath(juce::File("/"), true).String().StdString(), "/");

    EXPECT_EQ(AK2JCFilePath(AKFilePath("/tmp/Caf\x8E folder/")).getFullPathName(),
              juce::String::fromUTF8("/tmp/Caf\xC3\xA9 folder"));
    EXPECT_EQ(AK2JCFilePath(AKFilePath("/no/such/file.wav")).getFullPathName(), "/no/such/file.wav");
    // The toolkit has no relative files: they give the default file.
    EXPECT_EQ(AK2JCFilePath(AKFilePath("relative/file")), juce::File());
    EXPECT_EQ(AK2JCFilePath(AKFilePath()), juce::File());
}

TEST(JCStrings, LogArgumentsStayValidForEightCalls)
{
    char const* first = jc_str("first");
    char const* seen[7];
    for (int i = 0; i < 7; ++i)
        seen[i] = jc_str(juce::String("arg ") + juce::String(i));
    EXPECT_STREQ(first, "first");
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(std::string(seen[i]), "arg " + std::to_string(i));
    EXPECT_STREQ(jc_str(juce::String::fromUTF8("\xC3\xA9")), "\x8E");
}

}  // namespace

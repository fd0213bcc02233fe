// Plug-in search folders: construction, appending user folders, sorting and
// merging with the standard folders, existence checks and look-ups.

#include "QVPluginSearchPath.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// "path:flags" per entry, flags D (standard), E (enabled), X (exists).
std::string Describe(QVPluginSearchPathArray const& paths)
{
    std::string text;
    for (QVPluginSearchPath const& entry : paths) {
        if (!text.empty())
            text += " ";
        text += entry.path.c_str();
        text += ":";
        text += entry.isDefault ? "D" : "";
        text += entry.isEnabled ? "E" : "";
        text += entry.exists ? "X" : "";
    }
    return text;
}

TEST(QVPluginSearchPathTest, ConstructionAndClear)
{
    QVPluginSearchPath const blank;
    EXPECT_TRUE(blank.path.IsEmpty());
    EXPECT_FALSE(blank.isDefault);
    EXPECT_FALSE(blank.isEnabled);
    EXPECT_TRUE(blank.exists);
    EXPECT_TRUE(kQVNullPluginSearchPath.exists);

    QVPluginSearchPath entry("/Plugins/", true, true);
    EXPECT_TRUE(entry.exists);
    entry.Clear();
    EXPECT_TRUE(entry.path.IsEmpty());
    EXPECT_FALSE(entry.isDefault || entry.isEnabled || entry.exists);
}

TEST(QVPluginSearchPathTest, SortingKeepsOneEntryPerPathPreferringTheStandardOne)
{
    QVPluginSearchPathArray paths;
    paths.Push(QVPluginSearchPath("/b/", false, true));
    paths.Push(QVPluginSearchPath("/a/", false, true));
    paths.Push(QVPluginSearchPath("/c/", true, false));
    paths.Push(QVPluginSearchPath("/b/", true, false));
    paths.Push(QVPluginSearchPath("/d/", true, true));

    QVPluginSearchPathArray byPath = paths;
    byPath.SortByPathAndSimplify(false);
    EXPECT_EQ(Describe(byPath), "/a/:EX /b/:DX /c/:DX /d/:DEX");

    QVPluginSearchPathArray defaultsFirst = paths;
    defaultsFirst.SortByPathAndSimplify(true);
    EXPECT_EQ(Describe(defaultsFirst), "/b/:DX /c/:DX /d/:DEX /a/:EX");
}

TEST(QVPluginSearchPathTest, AppendedUserFoldersTakeDirectoryFormAndYieldToStandardOnes)
{
    QVPluginSearchPathArray paths;
    paths.Push(QVPluginSearchPath("/Library/Plugins/", true, false));

    EXPECT_FALSE(paths.AppendUserPath(AKFilePath(), true));
    EXPECT_TRUE(paths.AppendUserPath("/Plugins", true));
    // The standard folder keeps its own (disabled) flag.
    EXPECT_TRUE(paths.AppendUserPath("/Library/Plugins", true));
    EXPECT_TRUE(paths.AppendUserPath("/Alpha/", false));
    EXPECT_EQ(Describe(paths), "/Library/Plugins/:DX /Alpha/:X /Plugins/:EX");

    EXPECT_FALSE(paths.AppendUserPaths({AKFilePath(), AKFilePath()}, true));
    EXPECT_TRUE(paths.AppendUserPaths({"/Zeta", AKFilePath()}, false));
    EXPECT_EQ(Describe(paths), "/Library/Plugins/:DX /Alpha/:X /Plugins/:EX /Zeta/:X");
}

TEST(QVPluginSearchPathTest, ExistsHoldsUntilChecked)
{
    char pattern[] = "/tmp/orvel-plugin-paths-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    std::string const existing = std::string(pattern) + "/";

    QVPluginSearchPathArray paths;
    paths.AppendUserPath(existing.c_str(), true);
    paths.AppendUserPath("/no/such/plugin/folder", true);
    for (QVPluginSearchPath const& entry : paths)
        EXPECT_TRUE(entry.exists);

    paths.CheckForExistenceOfDirs();
    unsigned int index = 0;
    ASSERT_TRUE(paths.FindByPath(existing.c_str(), &index));
    EXPECT_TRUE(paths[index].exists);
    ASSERT_TRUE(paths.FindByPath("/no/such/plugin/folder/", &index));
    EXPECT_FALSE(paths[index].exists);
    EXPECT_FALSE(paths[index].CheckForExistenceOfDir());

    std::filesystem::remove_all(pattern);
}

TEST(QVPluginSearchPathTest, FindByPathComparesWholePaths)
{
    QVPluginSearchPathArray paths;
    paths.AppendUserPaths({"/a", "/b"}, true);
    unsigned int index = 9;
    EXPECT_TRUE(paths.FindByPath("/b/", &index));
    EXPECT_EQ(index, 1u);
    EXPECT_FALSE(paths.FindByPath("/b", &index));
    EXPECT_EQ(index, 0xFFFFFFFFu);
    index = 9;
    EXPECT_FALSE(paths.FindByPath(AKFilePath(), &index));
    EXPECT_EQ(index, 0xFFFFFFFFu);
    EXPECT_TRUE(paths.FindByPath("/a/", nullptr));
}

}  // namespace

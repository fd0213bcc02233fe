#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "AKFilePath.h"

// Readable failure messages.
void PrintTo(AKFilePath const& path, std::ostream* os) { *os << '"' << path.c_str() << '"'; }

namespace {

std::string Joined(AKStringArray const& array)
{
    std::string text;
    for (unsigned int i = 0; i < array.Count(); ++i) {
        if (i > 0)
            text += "|";
        text += array[i].StdString();
    }
    return text;
}

// --- What a path is made of ---

struct PartsCase {
    char const* text;
    char const* fileName;
    char const* path;
    char const* shortFileName;
    char const* extension;
    char const* lastComponent;
    char const* components;  // joined with "|"
    char const* kind;        // "A" absolute, "R" relative, "-" neither
    bool directory;
};

PartsCase const kPartsCases[] = {
    {"/Users/me/Music/take.wav", "take.wav", "/Users/me/Music/", "take", "wav", "Music", "Users|me|Music", "A", false},
    {"/Users/me/", "", "/Users/me/", "", "", "me", "Users|me", "A", true},
    {"a/b", "b", "a/", "b", "", "", "a", "R", false},
    {"take.wav", "take.wav", "", "take", "wav", "", "", "R", false},
    {"/", "", "/", "", "", "", "", "A", true},
    {"", "", "", "", "", "", "", "-", false},
    {".hidden", ".hidden", "", "", "hidden", "", "", "R", false},
    {"archive.tar.gz", "archive.tar.gz", "", "archive.tar", "gz", "", "", "R", false},
    {"/x.txt", "x.txt", "/", "x", "txt", "", "", "A", false},
    {"a/x.txt", "x.txt", "a/", "x", "txt", "", "a", "R", false},
    {"/a/b/c.txt", "c.txt", "/a/b/", "c", "txt", "b", "a|b", "A", false},
    {"//a/./x", "x", "//a/./", "x", "", ".", "|a|.", "A", false},
    {"/a.b/c", "c", "/a.b/", "c", "", "a.b", "a.b", "A", false},
};

TEST(AKFilePathParts, EachPartOfTheText)
{
    for (PartsCase const& c : kPartsCases) {
        SCOPED_TRACE(c.text);
        AKFilePath path(c.text);
        EXPECT_EQ(path.FileName().StdString(), c.fileName);
        EXPECT_EQ(path.Path().StdString(), c.path);
        EXPECT_EQ(path.ShortFileName().StdString(), c.shortFileName);
        EXPECT_EQ(path.Extension().StdString(), c.extension);
        EXPECT_EQ(path.HasExtension(), c.extension[0] != '\0');
        EXPECT_EQ(path.LastComponent().StdString(), c.lastComponent);
        EXPECT_EQ(Joined(path.GetPathComponents()), c.components);
        std::string kind = path.IsAbsolute() ? "A" : path.IsRelative() ? "R" : "-";
        EXPECT_EQ(kind, c.kind);
        EXPECT_FALSE(path.IsAbsolute() && path.IsRelative());
        EXPECT_EQ(path.HasDirectorySyntax(), c.directory);
        EXPECT_EQ(path.HasFileSyntax(), !c.directory);
    }
}

// --- Operations that change a path ---

struct EditCase {
    char const* operation;
    char const* text;
    char const* argument;
    char const* expected;
    bool answer;  // for operations answering bool; true for the others
};

EditCase const kEditCases[] = {
    {"SimplifyPath", "/a/./b//c/../x.txt", "", "/a/b/x.txt", true},
    {"SimplifyPath", "a/../x.txt", "", "x.txt", true},
    {"SimplifyPath", "/a/../x.txt", "", "/x.txt", true},
    {"SimplifyPath", "/x.txt", "", "/x.txt", true},
    {"SimplifyPath", "a/../", "", "./", true},
    {"SimplifyPath", "", "", "", true},
    {"SimplifyPath", "../x", "", "../x", false},
    {"SimplifyPath", "./../x", "", "./../x", false},
    {"SimplifyPath", "a/b/../../../x", "", "a/b/../../../x", false},

    {"MakeAbsolute", "sounds/take.wav", "/Users/me/Docs/doc.qvd", "/Users/me/Docs/sounds/take.wav", true},
    {"MakeAbsolute", "../Music/take.wav", "/Users/me/Docs/doc.qvd", "/Users/me/Music/take.wav", true},
    {"MakeAbsolute", "take.wav", "/Users/me/Docs/", "/Users/me/Docs/take.wav", true},
    {"MakeAbsolute", "take.wav", "/Users/me/Docs", "/Users/me/take.wav", true},
    {"MakeAbsolute", "./a//b/", "/r/", "/r/a/b/", true},
    {"MakeAbsolute", "../x.txt", "/a/b.qvd", "/x.txt", true},
    {"MakeAbsolute", "../../../x", "/a/b.qvd", "../../../x", false},
    {"MakeAbsolute", "/abs/x", "/a/", "/abs/x", false},
    {"MakeAbsolute", "x", "rel/", "x", false},
    {"MakeAbsolute", "", "/a/", "", false},

    {"MakeRelative", "/Users/me/Music/take.wav", "/Users/me/Docs/doc.qvd", "../Music/take.wav", true},
    {"MakeRelative", "/Users/me/Docs/take.wav", "/Users/me/Docs/doc.qvd", "take.wav", true},
    {"MakeRelative", "/Users/me/Docs/", "/Users/me/Docs/doc.qvd", "./", true},
    {"MakeRelative", "/a/b/c/x.wav", "/a/d/e/doc", "../../b/c/x.wav", true},
    {"MakeRelative", "/A/x", "/a/doc", "../A/x", true},
    {"MakeRelative", "/a/./b/x", "/a/b/../c/doc", "../b/x", true},
    {"MakeRelative", "rel/x", "/a/", "rel/x", false},
    {"MakeRelative", "/a/x", "rel/", "/a/x", false},

    {"ForceFileSyntax", "/a/b///", "", "/a/b", true},
    {"ForceFileSyntax", "/", "", "", true},
    {"ForceFileSyntax", "/a", "", "/a", false},
    {"ForceDirectorySyntax", "/a", "", "/a/", true},
    {"ForceDirectorySyntax", "/a/", "", "/a/", false},
    {"ForceDirectorySyntax", "", "", "", false},

    {"SetExtension", "/a/b.wav", "", "/a/b", true},
    {"SetExtension", "/a/b.wav", "aif", "/a/b.aif", true},
    {"SetExtension", "/a/b", "aif", "/a/b.aif", true},
    {"SetExtension", "archive.tar.gz", "zip", "archive.tar.zip", true},
    {"SetExtension", "/a/b", "x\\y", "/a/b.x\\y", true},
    {"AddExtension", "/a/", "wav", "/a/.wav", true},
    {"AddExtension", "/a/b.wav", "gz", "/a/b.wav.gz", true},
    {"AddExtension", "/a/b.wav", "", "/a/b.wav", true},
    {"RemoveExtension", "/a/b.c.wav", "", "/a/b.c", true},
    {"RemoveExtension", "/a.d/b", "", "/a.d/b", true},
    {"SetShortFileName", ".hidden", "x", "x.hidden", true},
    {"SetShortFileName", "/a/b.wav", "c", "/a/c.wav", true},
    {"SetShortFileName", "/a/b", "c\\d", "/a/c/d", true},

    {"SetFileName", "/a/b.wav", "c.aif", "/a/c.aif", true},
    {"SetFileName", "/a/", "y", "/a/y", true},
    {"SetFileName", "x", "y\\z", "y/z", true},
    {"RemoveFileName", "/a/b.wav", "", "/a/", true},
    {"RemoveFileName", "b.wav", "", "", true},
    {"SetPath", "/a/b.wav", "/c/d", "/c/d/b.wav", true},
    {"SetPath", "/a/b.wav", "/c/", "/c/b.wav", true},
    {"SetPath", "b.wav", "C:\\x", "C:/x/b.wav", true},
    {"SetPath", "/a/b.wav", "", "b.wav", true},

    {"AppendComponent", "/a/x.txt", "b", "/a/b/x.txt", true},
    {"AppendComponent", "/a/", "b", "/a/b/", true},
    {"AppendComponent", "x.txt", "b", "b/x.txt", true},
    {"AppendComponent", "/a/x.txt", "", "/a/x.txt", true},
    {"RemoveLastComponent", "/a/b/", "", "/a/", true},
    {"RemoveLastComponent", "/a/b/c.txt", "", "/a/c.txt", true},
    {"RemoveLastComponent", "/x.txt", "", "/x.txt", true},
    {"RemoveLastComponent", "x.txt", "", "x.txt", true},
    {"RemoveLastComponent", "a/x.txt", "", "a/x.txt", true},
};

using Edit = std::function<bool(AKFilePath&, AKString const&)>;

Edit EditNamed(std::string const& name)
{
    if (name == "SimplifyPath")
        return [](AKFilePath& p, AKString const&) { return p.SimplifyPath(); };
    if (name == "MakeAbsolute")
        return [](AKFilePath& p, AKString const& a) { return p.MakeAbsolute(AKFilePath(a)); };
    if (name == "MakeRelative")
        return [](AKFilePath& p, AKString const& a) { return p.MakeRelative(AKFilePath(a)); };
    if (name == "ForceFileSyntax")
        return [](AKFilePath& p, AKString const&) { return p.ForceFileSyntax(); };
    if (name == "ForceDirectorySyntax")
        return [](AKFilePath& p, AKString const&) { return p.ForceDirectorySyntax(); };
    if (name == "SetExtension")
        return [](AKFilePath& p, AKString const& a) { return p.SetExtension(a), true; };
    if (name == "AddExtension")
        return [](AKFilePath& p, AKString const& a) { return p.AddExtension(a), true; };
    if (name == "RemoveExtension")
        return [](AKFilePath& p, AKString const&) { return p.RemoveExtension(), true; };
    if (name == "SetShortFileName")
        return [](AKFilePath& p, AKString const& a) { return p.SetShortFileName(a), true; };
    if (name == "SetFileName")
        return [](AKFilePath& p, AKString const& a) { return p.SetFileName(a), true; };
    if (name == "RemoveFileName")
        return [](AKFilePath& p, AKString const&) { return p.RemoveFileName(), true; };
    if (name == "SetPath")
        return [](AKFilePath& p, AKString const& a) { return p.SetPath(a), true; };
    if (name == "AppendComponent")
        return [](AKFilePath& p, AKString const& a) { return p.AppendComponent(a), true; };
    if (name == "RemoveLastComponent")
        return [](AKFilePath& p, AKString const&) { return p.RemoveLastComponent(), true; };
    return nullptr;
}

TEST(AKFilePathEdits, EachOperationOnItsExamples)
{
    for (EditCase const& c : kEditCases) {
        SCOPED_TRACE(std::string(c.operation) + " of \"" + c.text + "\" with \"" + c.argument + "\"");
        Edit edit = EditNamed(c.operation);
        ASSERT_TRUE(edit);
        AKFilePath path(c.text);
        EXPECT_EQ(edit(path, AKString(c.argument)), c.answer);
        EXPECT_EQ(path.String().StdString(), c.expected);
    }
}

TEST(AKFilePathEdits, MakeRelativeThenAbsoluteGivesThePathBack)
{
    char const* const bases[] = {"/a/b/doc.qvd", "/a/", "/x/y/z/", "/doc"};
    char const* const paths[] = {"/a/b/c.wav", "/a/x/", "/a/b/", "/q/r/s.wav", "/top.wav"};
    for (char const* base : bases) {
        for (char const* original : paths) {
            SCOPED_TRACE(std::string(original) + " against " + base);
            AKFilePath path(original);
            ASSERT_TRUE(path.MakeRelative(AKFilePath(base)));
            ASSERT_TRUE(path.IsRelative());
            ASSERT_TRUE(path.MakeAbsolute(AKFilePath(base)));
            EXPECT_EQ(path.String().StdString(), original);
        }
    }
}

// --- Text taken from outside ---

TEST(AKFilePathText, BackslashesBecomeSlashesOnlyForOutsideText)
{
    char const* const windows = "C:\\Sounds\\a.wav";
    EXPECT_EQ(AKFilePath(windows).String().StdString(), "C:/Sounds/a.wav");
    EXPECT_EQ(AKFilePath(AKString(windows)).String().StdString(), "C:/Sounds/a.wav");
    EXPECT_EQ(AKFilePath(std::string(windows)).String().StdString(), "C:/Sounds/a.wav");
    AKFilePath assigned;
    assigned = windows;
    EXPECT_EQ(assigned.String().StdString(), "C:/Sounds/a.wav");
    assigned = AKString("\\x");
    EXPECT_EQ(assigned.String().StdString(), "/x");

    // An extension is taken as it is, and copies keep the text unchanged.
    AKFilePath withBackslash("/a/b");
    withBackslash.SetExtension(AKString("x\\y"));
    AKFilePath copy(withBackslash);
    AKFilePath assignedCopy;
    assignedCopy = withBackslash;
    EXPECT_EQ(copy.String().StdString(), "/a/b.x\\y");
    EXPECT_EQ(assignedCopy, withBackslash);

    EXPECT_TRUE(AKFilePath(static_cast<char const*>(nullptr)).IsEmpty());
}

TEST(AKFilePathText, ExtensionTestsIgnoreAsciiCaseOnly)
{
    AKFilePath take("take.wav");
    EXPECT_TRUE(take.HasExtension(AKString("WAV")));
    EXPECT_TRUE(take.HasExtension(AKString("wav")));
    EXPECT_FALSE(take.HasExtension(AKString("wa")));
    EXPECT_FALSE(take.HasExtension(AKString("wavs")));
    EXPECT_TRUE(take.HasExtension(AKStringArray{AKString("aif"), AKString("Wav")}));
    EXPECT_FALSE(take.HasExtension(AKStringArray{AKString("aif"), AKString("mp3")}));
    EXPECT_FALSE(take.HasExtension(AKStringArray()));
    // Bytes from 0x80 up have no case: Mac Roman e-acute (0x8E) and E-acute (0x83).
    EXPECT_FALSE(AKFilePath("x.\x8E").HasExtension(AKString("\x83")));
    EXPECT_TRUE(AKFilePath("x.\x8E").HasExtension(AKString("\x8E")));
}

TEST(AKFilePathText, ComparisonIsByteWiseAndCaseSensitive)
{
    AKFilePath a("/a"), b("/b"), upperB("/B"), accented("/\x8E");
    EXPECT_TRUE(a < b);
    EXPECT_TRUE(upperB < a);
    EXPECT_TRUE(b < accented);  // unsigned bytes
    EXPECT_LT(a.Compare(b), 0);
    EXPECT_GT(b.Compare(a), 0);
    EXPECT_EQ(a.Compare(AKFilePath("/a")), 0);
    EXPECT_TRUE(a.IsEqual(AKFilePath("/a")));
    EXPECT_NE(a, AKFilePath("/A"));
    EXPECT_TRUE(a <= a && a >= a && b > a && b >= a);
    EXPECT_TRUE(a.IsCaseSensitive());
    EXPECT_TRUE(a.Volume().IsEmpty());
    EXPECT_FALSE(a.HasVolume());
}

TEST(AKFilePathText, SetPathComponentsKeepsTheFileName)
{
    AKStringArray ab{AKString("a"), AKString("b")};
    AKFilePath path("old/dir/x.txt");
    path.SetPathComponents(ab, false);
    EXPECT_EQ(path.String().StdString(), "/a/b/x.txt");
    path.SetPathComponents(ab, true);
    EXPECT_EQ(path.String().StdString(), "a/b/x.txt");
    path.SetPathComponents(AKStringArray{AKString("c\\d")}, true);
    EXPECT_EQ(path.String().StdString(), "c/d/x.txt");

    AKFilePath folder("/old/");
    folder.SetPathComponents(AKStringArray(), true);
    EXPECT_EQ(folder.String().StdString(), "./");
    folder.SetPathComponents(AKStringArray(), false);
    EXPECT_EQ(folder.String().StdString(), "/");
}

TEST(AKFilePathText, ClearFreeAndSharedConstants)
{
    AKFilePath path("/a/b");
    EXPECT_EQ(path.Length(), 4u);
    EXPECT_STREQ(path.c_str(), "/a/b");
    path.Clear();
    EXPECT_TRUE(path.IsEmpty());
    path = "/c";
    path.Free();
    EXPECT_TRUE(path.IsEmpty());
    EXPECT_TRUE(kAKNullFilePath.IsEmpty());
    EXPECT_TRUE(kAKNullFilePathArray.IsEmpty());
    EXPECT_STREQ(kAKFilePathSeparator, "/");
}

// --- Arrays ---

TEST(AKFilePathArraySorts, ByWholePathAndByFileName)
{
    AKFilePathArray paths{AKFilePath("/z/a.txt"), AKFilePath("/a/c.txt"), AKFilePath("/m/B.txt"),
                          AKFilePath("/a/\x8E.txt")};
    paths.SortByFilePath();
    std::vector<std::string> byPath;
    for (AKFilePath const& p : paths)
        byPath.push_back(p.String().StdString());
    EXPECT_EQ(byPath, (std::vector<std::string>{"/a/c.txt", "/a/\x8E.txt", "/m/B.txt", "/z/a.txt"}));

    paths.SortByFileName();
    std::vector<std::string> byName;
    for (AKFilePath const& p : paths)
        byName.push_back(p.FileName().StdString());
    EXPECT_EQ(byName, (std::vector<std::string>{"B.txt", "a.txt", "c.txt", "\x8E.txt"}));
}

}  // namespace

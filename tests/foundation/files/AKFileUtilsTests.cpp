#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "AKFileSystemText.h"
#include "AKFileUtils.h"
#include "AKStatus.h"
#include "LogCapture.h"

namespace fs = std::filesystem;

// Readable failure messages.
void PrintTo(AKFilePath const& path, std::ostream* os) { *os << '"' << path.c_str() << '"'; }

namespace {

// A fresh folder for each test, removed with everything in it afterwards.
class TempFolder
{
public:
    TempFolder()
    {
        char pattern[] = "/tmp/akfileutils_XXXXXX";
        char* made = mkdtemp(pattern);
        EXPECT_NE(made, nullptr);
        mRoot = made ? made : "";
    }
    ~TempFolder()
    {
        std::error_code ignored;
        fs::remove_all(mRoot, ignored);
    }

    std::string const& Root() const { return mRoot; }
    // The system path of an entry inside the folder.
    std::string At(std::string const& relative) const { return mRoot + "/" + relative; }
    // The engine path of an entry inside the folder.
    AKFilePath Path(std::string const& relative) const { return AKFilePath(At(relative)); }
    AKFilePath Folder() const { return AKFilePath(mRoot + "/"); }

    void MakeFile(std::string const& relative, std::string const& content = "") const
    {
        std::ofstream(At(relative), std::ios::binary) << content;
    }
    void MakeFolder(std::string const& relative) const { fs::create_directories(At(relative)); }
    void MakeLink(std::string const& target, std::string const& relative) const
    {
        ASSERT_EQ(symlink(target.c_str(), At(relative).c_str()), 0);
    }

private:
    std::string mRoot;
};

// Sets environment variables for the life of the object and restores them.
class ScopedEnvironment
{
public:
    ~ScopedEnvironment()
    {
        for (auto it = mSaved.rbegin(); it != mSaved.rend(); ++it) {
            if (it->second.first)
                setenv(it->first.c_str(), it->second.second.c_str(), 1);
            else
                unsetenv(it->first.c_str());
        }
    }
    void Set(char const* name, std::string const& value)
    {
        Save(name);
        setenv(name, value.c_str(), 1);
    }
    void Unset(char const* name)
    {
        Save(name);
        unsetenv(name);
    }

private:
    void Save(char const* name)
    {
        char const* value = getenv(name);
        mSaved.emplace_back(name, std::make_pair(value != nullptr, std::string(value ? value : "")));
    }

    std::vector<std::pair<std::string, std::pair<bool, std::string>>> mSaved;
};

std::string SystemPath(AKFilePath const& path, bool isDirectory = false)
{
    char buffer[kAKSystemPathMaxSize];
    buffer[0] = 'x';
    bool ok = AKFileUtils::GetAsSystemPath(buffer, path, isDirectory);
    EXPECT_EQ(ok, buffer[0] != '\0');
    return ok ? std::string(buffer) : std::string("<failed>");
}

std::string CurrentFolder()
{
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? buffer : "";
}

// --- System form ---

TEST(AKFileUtilsSystemPath, AbsoluteUtf8WithoutTrailingSlash)
{
    EXPECT_EQ(SystemPath(AKFilePath("/a/b.wav")), "/a/b.wav");
    EXPECT_EQ(SystemPath(AKFilePath("/a/b/"), true), "/a/b");
    EXPECT_EQ(SystemPath(AKFilePath("/a/b//"), false), "/a/b");
    EXPECT_EQ(SystemPath(AKFilePath("/"), true), "/");
    EXPECT_EQ(SystemPath(AKFilePath("x/y.txt")), CurrentFolder() + "/x/y.txt");
    // Mac Roman e-acute (0x8E) is two UTF-8 bytes on disk.
    EXPECT_EQ(SystemPath(AKFilePath("/\x8E.wav")), "/\xC3\xA9.wav");
}

TEST(AKFileUtilsSystemPath, RefusesEmptyTooLongAndNulHoldingPaths)
{
    EXPECT_EQ(SystemPath(AKFilePath()), "<failed>");
    EXPECT_FALSE(AKFileUtils::GetAsSystemPath(nullptr, AKFilePath("/a"), false));

    std::string fits = "/" + std::string(kAKSystemPathMaxSize - 2, 'a');  // 1023 bytes and the NUL
    EXPECT_EQ(SystemPath(AKFilePath(fits)), fits);
    EXPECT_EQ(SystemPath(AKFilePath(fits + "b")), "<failed>");
    // One Mac Roman byte that takes two in UTF-8 pushes a fitting text over.
    EXPECT_EQ(SystemPath(AKFilePath("/\x8E" + std::string(kAKSystemPathMaxSize - 3, 'a'))), "<failed>");

    // A NUL inside the text would address another entry.
    AKFilePath withNul(std::string("/tmp/a\0b", 8));
    EXPECT_EQ(SystemPath(withNul), "<failed>");
}

// --- Tests, information, creation and removal ---

TEST(AKFileUtilsTests, FileAndFolderTestsTellTheKindApart)
{
    TempFolder tmp;
    tmp.MakeFile("file.txt", "hello");
    tmp.MakeFolder("folder");
    tmp.MakeLink(tmp.At("file.txt"), "link.txt");
    tmp.MakeLink(tmp.At("missing"), "dangling");

    AKFilePath file = tmp.Path("file.txt"), folder = tmp.Path("folder/");
    EXPECT_TRUE(AKFileUtils::FileExists(file));
    EXPECT_TRUE(AKFileUtils::FileIsReadable(file));
    EXPECT_TRUE(AKFileUtils::FileIsWritable(file));
    EXPECT_FALSE(AKFileUtils::DirExists(file));
    EXPECT_FALSE(AKFileUtils::DirIsReadable(file));

    EXPECT_TRUE(AKFileUtils::DirExists(folder));
    EXPECT_TRUE(AKFileUtils::DirExists(tmp.Path("folder")));
    EXPECT_TRUE(AKFileUtils::DirIsReadable(folder));
    EXPECT_TRUE(AKFileUtils::DirIsWritable(folder));
    EXPECT_FALSE(AKFileUtils::FileExists(folder));
    EXPECT_FALSE(AKFileUtils::FileIsReadable(folder));

    EXPECT_TRUE(AKFileUtils::FileExists(tmp.Path("link.txt")));  // links are followed
    EXPECT_FALSE(AKFileUtils::FileExists(tmp.Path("dangling")));
    EXPECT_FALSE(AKFileUtils::FileExists(tmp.Path("missing")));
    EXPECT_FALSE(AKFileUtils::DirExists(tmp.Path("missing/")));
    EXPECT_FALSE(AKFileUtils::FileExists(AKFilePath()));

    chmod(tmp.At("file.txt").c_str(), 0644);
    EXPECT_FALSE(AKFileUtils::FileIsExecutable(file));
    chmod(tmp.At("file.txt").c_str(), 0755);
    EXPECT_TRUE(AKFileUtils::FileIsExecutable(file));
}

TEST(AKFileUtilsTests, FileInfoOfARegularFile)
{
    TempFolder tmp;
    tmp.MakeFile("take.wav", "12345");
    timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, tmp.At("take.wav").c_str(), times, 0), 0);

    unsigned long long size = 0, created = 0, modified = 0;
    LogCapture log;
    EXPECT_EQ(AKFileUtils::GetFileInfo(tmp.Path("take.wav"), &size, &created, &modified), 0);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(modified, 1000000000u);
    EXPECT_NE(created, 0u);
    EXPECT_EQ(AKFileUtils::GetFileInfo(tmp.Path("take.wav"), nullptr, nullptr, nullptr), 0);
    EXPECT_TRUE(log.Lines().empty());
}

TEST(AKFileUtilsTests, FileInfoRefusesFoldersAndMissingFilesSilently)
{
    TempFolder tmp;
    tmp.MakeFolder("folder");
    LogCapture log;
    for (AKFilePath const& path : {tmp.Path("folder/"), tmp.Path("folder"), tmp.Path("missing"), AKFilePath()}) {
        SCOPED_TRACE(path.c_str());
        unsigned long long size = 7, created = 7, modified = 7;
        EXPECT_EQ(AKFileUtils::GetFileInfo(path, &size, &created, &modified), kAKErrorCantFindFile);
        EXPECT_EQ(size, 0u);
        EXPECT_EQ(created, 0u);
        EXPECT_EQ(modified, 0u);
    }
    EXPECT_TRUE(log.Lines().empty());
}

TEST(AKFileUtilsTests, CreateAndRemoveFoldersAndFiles)
{
    TempFolder tmp;
    AKFilePath folder = tmp.Path("new/");
    EXPECT_TRUE(AKFileUtils::CreateDir(folder));
    EXPECT_TRUE(AKFileUtils::DirExists(folder));
    EXPECT_TRUE(AKFileUtils::CreateDir(folder));  // already there
    EXPECT_FALSE(AKFileUtils::CreateDir(tmp.Path("no/parent/")));
    tmp.MakeFile("file");
    EXPECT_FALSE(AKFileUtils::CreateDir(tmp.Path("file/")));
    EXPECT_FALSE(AKFileUtils::CreateDir(AKFilePath()));

    tmp.MakeFile("new/inside");
    EXPECT_FALSE(AKFileUtils::RemoveDir(folder));  // not empty
    EXPECT_TRUE(AKFileUtils::RemoveFile(tmp.Path("new/inside")));
    EXPECT_FALSE(AKFileUtils::RemoveFile(tmp.Path("new/inside")));
    EXPECT_TRUE(AKFileUtils::RemoveDir(folder));
    EXPECT_FALSE(AKFileUtils::DirExists(folder));
    EXPECT_TRUE(AKFileUtils::RemoveDir(folder));  // gone already
}

// --- Unused names ---

TEST(AKFileUtilsUnusedNames, NumberedFileNames)
{
    struct Case {
        std::vector<std::string> existing;
        char const* name;
        bool withCounter;
        unsigned int counter;
        char const* format;
        char const* expected;  // null: the search fails and keeps the path
        unsigned int counterAfter;
    };
    Case const cases[] = {
        {{}, "take.wav", false, 0, nullptr, "take.wav", 0},
        {{}, "take.wav", true, 5, nullptr, "take5.wav", 6},
        {{"take.wav"}, "take.wav", false, 0, nullptr, "take1.wav", 0},
        {{"take.wav", "take1.wav"}, "take.wav", false, 0, nullptr, "take2.wav", 0},
        {{"My Take.wav"}, "My Take.wav", false, 0, nullptr, "My Take 1.wav", 0},
        {{"rec001.wav"}, "rec.wav", true, 1, "%03u", "rec002.wav", 3},
        {{}, "noext", true, 9, nullptr, "noext9", 10},
        {{".hidden"}, ".hidden", false, 0, nullptr, nullptr, 0},
        {{}, "take.wav", true, 1, "%s", nullptr, 1},  // not a number format
        {{}, "take.wav", true, 1, "%u%u", nullptr, 1},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        for (std::string const& name : c.existing)
            folder.MakeFile(name);
        AKFilePath path = folder.Path(c.name);
        unsigned int counter = c.counter;
        bool found = AKFileUtils::SearchUnusedFileNameInDir(&path, c.withCounter ? &counter : nullptr, c.format);
        EXPECT_EQ(found, c.expected != nullptr);
        EXPECT_EQ(path, folder.Path(c.expected ? c.expected : c.name));
        EXPECT_EQ(counter, c.counterAfter);
    }

    AKFilePath empty;
    EXPECT_FALSE(AKFileUtils::SearchUnusedFileNameInDir(&empty, nullptr, nullptr));
    EXPECT_FALSE(AKFileUtils::SearchUnusedFileNameInDir(nullptr, nullptr, nullptr));
}

TEST(AKFileUtilsUnusedNames, AnyEntryTakesAName)
{
    TempFolder tmp;
    tmp.MakeFile("take.wav");
    tmp.MakeFolder("take1.wav");                         // creating a file there would fail
    tmp.MakeLink(tmp.At("elsewhere.wav"), "take2.wav");  // creating there would write elsewhere
    AKFilePath path = tmp.Path("take.wav");
    EXPECT_TRUE(AKFileUtils::SearchUnusedFileNameInDir(&path, nullptr, nullptr));
    EXPECT_EQ(path, tmp.Path("take3.wav"));
    EXPECT_FALSE(fs::exists(tmp.At("elsewhere.wav")));

    // A folder standing at the name itself is not free either.
    AKFilePath folderName = tmp.Path("take1.wav");
    EXPECT_TRUE(AKFileUtils::SearchUnusedFileNameInDir(&folderName, nullptr, nullptr));
    EXPECT_EQ(folderName, tmp.Path("take11.wav"));
}

TEST(AKFileUtilsUnusedNames, GivesUpAfterAThousandUsedNames)
{
    TempFolder tmp;
    tmp.MakeFile("t.wav");
    for (int i = 1; i <= 1000; ++i)
        tmp.MakeFile("t" + std::to_string(i) + ".wav");
    AKFilePath path = tmp.Path("t.wav");
    EXPECT_FALSE(AKFileUtils::SearchUnusedFileNameInDir(&path, nullptr, nullptr));
    EXPECT_EQ(path, tmp.Path("t.wav"));

    tmp.MakeFile("t1001.wav");
    unsigned int counter = 2;
    EXPECT_FALSE(AKFileUtils::SearchUnusedFileNameInDir(&path, &counter, nullptr));
    counter = 3;  // tries 3 to 1002
    EXPECT_TRUE(AKFileUtils::SearchUnusedFileNameInDir(&path, &counter, nullptr));
    EXPECT_EQ(path, tmp.Path("t1002.wav"));
    EXPECT_EQ(counter, 1003u);
}

TEST(AKFileUtilsUnusedNames, NumberedFolderNames)
{
    TempFolder tmp;
    AKFilePath free = tmp.Path("sub");
    EXPECT_TRUE(AKFileUtils::SearchUnusedDirNameInDir(&free, nullptr, nullptr));
    EXPECT_EQ(free, tmp.Path("sub/"));

    tmp.MakeFolder("sub");
    tmp.MakeFile("sub1");  // a file takes the name too
    AKFilePath taken = tmp.Path("sub/");
    EXPECT_TRUE(AKFileUtils::SearchUnusedDirNameInDir(&taken, nullptr, nullptr));
    EXPECT_EQ(taken, tmp.Path("sub2/"));

    tmp.MakeFolder("My Folder");
    AKFilePath spaced = tmp.Path("My Folder/");
    EXPECT_TRUE(AKFileUtils::SearchUnusedDirNameInDir(&spaced, nullptr, nullptr));
    EXPECT_EQ(spaced, tmp.Path("My Folder 1/"));

    AKFilePath counted = tmp.Path("sub/");
    unsigned int counter = 5;
    EXPECT_TRUE(AKFileUtils::SearchUnusedDirNameInDir(&counted, &counter, "_%02u"));
    EXPECT_EQ(counted, tmp.Path("sub_05/"));
    EXPECT_EQ(counter, 6u);

    AKFilePath root("/");
    EXPECT_FALSE(AKFileUtils::SearchUnusedDirNameInDir(&root, &counter, nullptr));
    AKFilePath empty;
    EXPECT_FALSE(AKFileUtils::SearchUnusedDirNameInDir(&empty, nullptr, nullptr));
}

TEST(AKFileUtilsUnusedNames, TemporaryFilesAreCreatedUnderUniqueNames)
{
    AKFilePath const& folder = AKFileUtils::GetSystemTemporaryDirPath();
    AKFilePath first = AKFileUtils::GetUnusedFileNameInTemporaryDir(AKString("orv_"));
    AKFilePath second = AKFileUtils::GetUnusedFileNameInTemporaryDir(AKString("orv_"));
    AKFilePath unnamed = AKFileUtils::GetUnusedFileNameInTemporaryDir(AKString());
    for (AKFilePath const* path : {&first, &second, &unnamed}) {
        SCOPED_TRACE(path->c_str());
        EXPECT_EQ(AKFilePath(path->Path()), folder);
        EXPECT_EQ(path->FileName().Length(), 10u);
        // The name is reserved by an empty file of the caller's own.
        unsigned long long size = 1;
        EXPECT_EQ(AKFileUtils::GetFileInfo(*path, &size, nullptr, nullptr), 0);
        EXPECT_EQ(size, 0u);
    }
    EXPECT_TRUE(first.FileName().StartsWith(AKString("orv_")));
    EXPECT_TRUE(unnamed.FileName().StartsWith(AKString("tmp_")));
    EXPECT_NE(first, second);
    for (AKFilePath const* path : {&first, &second, &unnamed})
        EXPECT_TRUE(AKFileUtils::RemoveFile(*path));

    // A prefix naming a missing sub-folder gives no file.
    EXPECT_TRUE(AKFileUtils::GetUnusedFileNameInTemporaryDir(AKString("no_such_folder_x/y")).IsEmpty());
}

// --- Directory walk ---

// a.txt, UPPER.TXT, sub/b.txt, sub/deeper/c.txt, x.bundle/ (with inner.txt),
// Y.BUNDLE/, hidden entries, links, a fifo, and names in and out of Mac Roman.
class AKDirectoryWalkTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mTmp.MakeFile("a.txt");
        mTmp.MakeFile("UPPER.TXT");
        mTmp.MakeFolder("sub/deeper");
        mTmp.MakeFile("sub/b.txt");
        mTmp.MakeFile("sub/deeper/c.txt");
        mTmp.MakeFolder("x.bundle");
        mTmp.MakeFile("x.bundle/inner.txt");
        mTmp.MakeFolder("Y.BUNDLE");
        mTmp.MakeFile(".DS_Store");
        mTmp.MakeFolder(".hidden");
        mTmp.MakeFile(".hidden/secret.txt");
        mTmp.MakeLink(mTmp.At("a.txt"), "link.txt");
        mTmp.MakeLink(mTmp.At("sub"), "linkdir");
        ASSERT_EQ(mkfifo(mTmp.At("pipe").c_str(), 0600), 0);
        mTmp.MakeFile("caf\xC3\xA9.txt");   // e-acute: 0x8E in Mac Roman
        mTmp.MakeFile("\xE6\x97\xA5.txt");  // a CJK character Mac Roman lacks
        mTmp.MakeFile("bad\xFF.txt");       // not UTF-8
    }

    // The paths found, relative to the folder, sorted.
    std::vector<std::string> Walk(AKFilePath const& dir, bool recursive, int* status)
    {
        std::vector<std::string> found;
        *status = AKFileUtils::ParseDirectory(dir, recursive, &Collect, &found);
        for (std::string& path : found) {
            if (path.compare(0, mTmp.Root().size() + 1, mTmp.Root() + "/") == 0)
                path = path.substr(mTmp.Root().size() + 1);
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    static bool Collect(AKFilePath const& path, void* data)
    {
        static_cast<std::vector<std::string>*>(data)->push_back(path.String().StdString());
        return true;
    }

    TempFolder mTmp;
};

TEST_F(AKDirectoryWalkTest, FilesAndBundlesOfTheFolderOnly)
{
    int status = -1;
    EXPECT_EQ(Walk(mTmp.Folder(), false, &status),
              (std::vector<std::string>{"UPPER.TXT", "Y.BUNDLE", "a.txt", "caf\x8E.txt", "x.bundle"}));
    EXPECT_EQ(status, 0);
}

TEST_F(AKDirectoryWalkTest, RecursiveWalkEntersPlainFoldersOnly)
{
    int status = -1;
    EXPECT_EQ(Walk(mTmp.Folder(), true, &status),
              (std::vector<std::string>{"UPPER.TXT", "Y.BUNDLE", "a.txt", "caf\x8E.txt", "sub/b.txt",
                                        "sub/deeper/c.txt", "x.bundle"}));
    EXPECT_EQ(status, 0);
    // A folder given in file syntax is walked as the folder.
    EXPECT_EQ(Walk(mTmp.Path("sub"), true, &status), (std::vector<std::string>{"sub/b.txt", "sub/deeper/c.txt"}));
    EXPECT_EQ(status, 0);
}

TEST_F(AKDirectoryWalkTest, CallbackStopsTheWalk)
{
    int calls = 0;
    auto stopAtOnce = [](AKFilePath const&, void* data) {
        ++*static_cast<int*>(data);
        return false;
    };
    EXPECT_EQ(AKFileUtils::ParseDirectory(mTmp.Folder(), true, stopAtOnce, &calls), 0);
    EXPECT_EQ(calls, 1);
}

TEST_F(AKDirectoryWalkTest, MissingFolderOrAFileIsNotFoundSilently)
{
    LogCapture log;
    int status = 0;
    EXPECT_TRUE(Walk(mTmp.Path("missing/"), true, &status).empty());
    EXPECT_EQ(status, kAKErrorCantFindDirectory);
    EXPECT_TRUE(Walk(mTmp.Path("a.txt"), true, &status).empty());
    EXPECT_EQ(status, kAKErrorCantFindDirectory);
    EXPECT_TRUE(Walk(AKFilePath(), true, &status).empty());
    EXPECT_EQ(status, kAKErrorCantFindDirectory);
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(AKDirectoryWalkTest, ParserCollectsOneExtension)
{
    AKDirectoryParserForFilesWithExtension parser(AKString("txt"));
    EXPECT_EQ(parser.GrabFilePaths(mTmp.Folder(), true), 0);
    AKFilePathArray found = parser.GetFilePaths();
    found.SortByFilePath();
    AKFilePathArray expected{mTmp.Path("UPPER.TXT"), mTmp.Path("a.txt"), mTmp.Path("caf\x8E.txt"),
                             mTmp.Path("sub/b.txt"), mTmp.Path("sub/deeper/c.txt")};
    EXPECT_EQ(found, expected);

    // Each grab starts a new collection.
    EXPECT_EQ(parser.GrabFilePaths(mTmp.Path("sub/"), false), 0);
    EXPECT_EQ(parser.GetFilePaths(), (AKFilePathArray{mTmp.Path("sub/b.txt")}));
}

TEST_F(AKDirectoryWalkTest, ParserLogsAndCountsMissingFolders)
{
    AKDirectoryParserForFilesWithExtension parser(AKString("txt"));
    std::string const missing = mTmp.At("missing/");
    std::string const line =
        "# Quorvex Error -897 (kAKErrorCantFindDirectory): Can't find the directory \"" + missing + "\".\n";
    LogCapture log;

    EXPECT_EQ(parser.GrabFilePaths(AKFilePath(missing), true), kAKErrorCantFindDirectory);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{line});
    EXPECT_TRUE(parser.GetFilePaths().IsEmpty());

    log.Clear();
    unsigned int missingCount = 99;
    AKFilePathArray oneMissing{AKFilePath(missing), mTmp.Path("sub/")};
    EXPECT_EQ(parser.GrabFilePaths(oneMissing, false, &missingCount), 0);
    EXPECT_EQ(missingCount, 1u);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{line});
    EXPECT_EQ(parser.GetFilePaths(), (AKFilePathArray{mTmp.Path("sub/b.txt")}));

    log.Clear();
    AKFilePathArray bothMissing{AKFilePath(missing), AKFilePath(missing)};
    EXPECT_EQ(parser.GrabFilePaths(bothMissing, false, &missingCount), kAKErrorCantFindDirectory);
    EXPECT_EQ(missingCount, 2u);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{line, line}));
    EXPECT_TRUE(parser.GetFilePaths().IsEmpty());

    log.Clear();
    EXPECT_EQ(parser.GrabFilePaths(AKFilePathArray(), false, &missingCount), kAKErrorCantFindDirectory);
    EXPECT_EQ(missingCount, 0u);
    EXPECT_EQ(parser.GrabFilePaths(AKFilePathArray(), false, nullptr), kAKErrorCantFindDirectory);
    EXPECT_TRUE(log.Lines().empty());
}

// --- Folders of the application and the system ---

TEST(AKFileUtilsFolders, ApplicationFolderIsTheExecutablesFolder)
{
    std::string executable = fs::read_symlink("/proc/self/exe").string();
    AKFilePath expected(executable.substr(0, executable.rfind('/') + 1));
    bool bundled = true;
    EXPECT_EQ(AKFileUtils::GetApplicationDirPath(&bundled), expected);
    EXPECT_FALSE(bundled);
    EXPECT_EQ(AKFileUtils::GetApplicationDirPath(nullptr), expected);
    EXPECT_TRUE(AKFileUtils::IsConsoleApplication());
    EXPECT_FALSE(AKFileUtils::IsBundledApplication());

    AKFilePath name("doc.qvd");
    EXPECT_EQ(name.WithApplicationPath().String().StdString(), expected.String().StdString() + "doc.qvd");
    AKFilePath relative("../x/doc.qvd");
    EXPECT_TRUE(relative.MakeAbsoluteWithApplicationPath());
    AKFilePath manual("../x/doc.qvd");
    manual.MakeAbsolute(expected);
    EXPECT_EQ(relative, manual);
}

TEST(AKFileUtilsFolders, BundleFoldersAndTheirApplicationFolder)
{
    struct Case {
        char const* bundle;
        char const* expected;
        bool bundled;
    };
    Case const cases[] = {
        {"/opt/Orvel-Player.app/", "/opt/", true},
        {"/opt/Orvel-Player.APP/", "/opt/", true},
        {"/opt/bin/", "/opt/bin/", false},
        {"/opt/app/", "/opt/app/", false},
        {"", "", false},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.bundle);
        bool bundled = !c.bundled;
        EXPECT_EQ(AKApplicationDirOfBundle(AKFilePath(c.bundle), &bundled), AKFilePath(c.expected));
        EXPECT_EQ(bundled, c.bundled);
    }
}

TEST(AKFileUtilsFolders, ResourcesFolder)
{
    ScopedEnvironment env;
    env.Unset("ORVEL_RESOURCES_DIR");
    EXPECT_EQ(AKLookUpResourcesDirPath(AKFilePath("/opt/Orvel.app/")), AKFilePath("/opt/Orvel.app/Resources/"));
    env.Set("ORVEL_RESOURCES_DIR", "/data/res");
    EXPECT_EQ(AKLookUpResourcesDirPath(AKFilePath("/opt/Orvel.app/")), AKFilePath("/data/res/"));
    env.Set("ORVEL_RESOURCES_DIR", "res/./here");
    EXPECT_EQ(AKLookUpResourcesDirPath(AKFilePath("/opt/")), AKFilePath(CurrentFolder() + "/res/here/"));

    AKFilePath const& cached = AKFileUtilsMacOS::GetApplicationBundleResourcesDirPath();
    EXPECT_TRUE(cached.HasDirectorySyntax());
    AKFilePath image = AKFileUtilsMacOS::GetApplicationBundleResourceFilePath(AKString("PlugWindPrev.png"));
    EXPECT_EQ(image.String().StdString(), cached.String().StdString() + "PlugWindPrev.png");
}

TEST(AKFileUtilsFolders, TemporaryFolder)
{
    TempFolder tmp;
    tmp.MakeFile("file");
    ScopedEnvironment env;
    env.Set("TMPDIR", tmp.Root());
    EXPECT_EQ(AKLookUpTemporaryDirPath(), AKFilePath(tmp.Root() + "/"));
    env.Set("TMPDIR", tmp.Root() + "/");
    EXPECT_EQ(AKLookUpTemporaryDirPath(), AKFilePath(tmp.Root() + "/"));
    for (std::string const& unusable : {std::string("relative"), tmp.At("missing"), tmp.At("file"), std::string()}) {
        SCOPED_TRACE(unusable);
        env.Set("TMPDIR", unusable);
        EXPECT_EQ(AKLookUpTemporaryDirPath(), AKFilePath("/tmp/"));
    }
    env.Unset("TMPDIR");
    EXPECT_EQ(AKLookUpTemporaryDirPath(), AKFilePath("/tmp/"));

    AKFilePath const& cached = AKFileUtils::GetSystemTemporaryDirPath();
    EXPECT_TRUE(cached.HasDirectorySyntax());
    EXPECT_TRUE(AKFileUtils::DirExists(cached));
}

// --- User folders ---

class AKUserFoldersTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mEnv.Set("HOME", mHome.Root());
        mEnv.Unset("XDG_CONFIG_HOME");
        mEnv.Unset("XDG_DATA_HOME");
    }

    std::string Folder(char const* name) { return AKFileUtils::GetStandardUserFolderPath(AKString(name)).c_str(); }
    std::string InHome(std::string const& relative) { return mHome.Root() + "/" + relative; }

    TempFolder mHome;
    ScopedEnvironment mEnv;
};

TEST_F(AKUserFoldersTest, DefaultsInsideTheHomeFolder)
{
    EXPECT_EQ(Folder("User"), InHome(""));
    EXPECT_EQ(Folder("Documents"), InHome("Documents/"));
    EXPECT_EQ(Folder("Desktop"), InHome("Desktop/"));
    EXPECT_EQ(Folder("Pictures"), InHome("Pictures/"));
    EXPECT_EQ(Folder("Music"), InHome("Music/"));
    EXPECT_EQ(Folder("Movies"), InHome("Videos/"));
    EXPECT_EQ(Folder("Preferences"), InHome(".config/"));
    EXPECT_EQ(Folder("ApplicationSupport"), InHome(".local/share/"));
    for (char const* unknown : {"music", "", "Library", "Videos", "USER"})
        EXPECT_EQ(Folder(unknown), "") << unknown;
}

TEST_F(AKUserFoldersTest, UserDirsFileNamesTheMediaFolders)
{
    mHome.MakeFolder(".config");
    mHome.MakeFile(".config/user-dirs.dirs", "# written by xdg-user-dirs-update\n"
                                             "XDG_DESKTOP_DIR=\"relative/desk\"\n"
                                             "XDG_DOCUMENTS_DIR=\"/srv/docs\"\n"
                                             "XDG_MUSIC_DIR=\"$HOME/Old Music\"\n"
                                             "XDG_MUSIC_DIR=\"$HOME/Audio\"\n"
                                             "  XDG_PICTURES_DIR=\"${HOME}/Pics/./2024\"  # comment\n"
                                             "XDG_VIDEOS_DIR=\"$HOME/My \\\"Films\\\"\"\n"
                                             "#XDG_DOWNLOAD_DIR=\"$HOME/dl\"");
    EXPECT_EQ(Folder("Desktop"), InHome("Desktop/"));  // only absolute or $HOME values count
    EXPECT_EQ(Folder("Documents"), "/srv/docs/");
    EXPECT_EQ(Folder("Music"), InHome("Audio/"));  // the last assignment wins
    EXPECT_EQ(Folder("Pictures"), InHome("Pics/2024/"));
    EXPECT_EQ(Folder("Movies"), InHome("My \"Films\"/"));
    EXPECT_EQ(Folder("User"), InHome(""));
    // A value whose ".." climbs above the root names no folder: the default holds.
    mHome.MakeFile(".config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"/a/../../x\"\n");
    EXPECT_EQ(Folder("Documents"), InHome("Documents/"));
}

TEST_F(AKUserFoldersTest, UserDirsBytesAreReadWithinTheirLines)
{
    mHome.MakeFolder(".config");
    // A long first line, then an empty one that starts with a NUL byte; a
    // line holding a NUL byte assigns nothing and never runs into the next.
    static char const kText[] = "XDG_DOCUMENTS_DIR=\"$HOME/A folder name that needs the heap\"\n"
                                "\0\n"
                                "XDG_MUSIC_DIR=\"$HOME/Audio\"\n"
                                "XDG_PICTURES_DIR=\"$HOME/Pi\0cs\"\n"
                                "XDG_DESKTOP_DIR=\"$HOME/Desk\"\r\n"
                                "XDG_VIDEOS_DIR=\"$HOME/Films\"";
    mHome.MakeFile(".config/user-dirs.dirs", std::string(kText, sizeof kText - 1));
    EXPECT_EQ(Folder("Documents"), InHome("A folder name that needs the heap/"));
    EXPECT_EQ(Folder("Music"), InHome("Audio/"));
    EXPECT_EQ(Folder("Pictures"), InHome("Pictures/"));
    EXPECT_EQ(Folder("Desktop"), InHome("Desk/"));
    EXPECT_EQ(Folder("Movies"), InHome("Films/"));

    // Entries of the wrong kind are not read, and never waited on.
    remove(InHome(".config/user-dirs.dirs").c_str());
    ASSERT_EQ(mkfifo(InHome(".config/user-dirs.dirs").c_str(), 0600), 0);
    EXPECT_EQ(Folder("Music"), InHome("Music/"));
    remove(InHome(".config/user-dirs.dirs").c_str());
    mHome.MakeFolder(".config/user-dirs.dirs");
    EXPECT_EQ(Folder("Music"), InHome("Music/"));
}

TEST_F(AKUserFoldersTest, XdgBaseFoldersReplaceTheDefaults)
{
    TempFolder config;
    config.MakeFile("user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/FromConfig\"\n");
    mEnv.Set("XDG_CONFIG_HOME", config.Root());
    mEnv.Set("XDG_DATA_HOME", "/srv/data/");
    EXPECT_EQ(Folder("Preferences"), config.Root() + "/");
    EXPECT_EQ(Folder("ApplicationSupport"), "/srv/data/");
    EXPECT_EQ(Folder("Music"), InHome("FromConfig/"));

    // Relative base folders are not valid and are ignored.
    mEnv.Set("XDG_CONFIG_HOME", "cfg");
    mEnv.Set("XDG_DATA_HOME", "data");
    EXPECT_EQ(Folder("Preferences"), InHome(".config/"));
    EXPECT_EQ(Folder("ApplicationSupport"), InHome(".local/share/"));
    EXPECT_EQ(Folder("Music"), InHome("Music/"));
}

TEST_F(AKUserFoldersTest, HomeTextIsSimplifiedAndConverted)
{
    mEnv.Set("HOME", mHome.Root() + "/./caf\xC3\xA9//");
    EXPECT_EQ(Folder("User"), InHome("caf\x8E/"));
    EXPECT_EQ(Folder("Music"), InHome("caf\x8E/Music/"));
    // A home folder that Mac Roman cannot name gives no folders.
    mEnv.Set("HOME", mHome.Root() + "/\xE6\x97\xA5");
    EXPECT_EQ(Folder("User"), "");
    EXPECT_EQ(Folder("Documents"), "");
}

}  // namespace

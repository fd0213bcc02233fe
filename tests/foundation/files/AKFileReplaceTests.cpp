// Saving whole files through a hidden file renamed over the target: what a
// save keeps of the file it replaces, what it leaves behind, and what it
// never touches.

#include "AKDictionary.h"
#include "AKFile.h"
#include "AKFilePath.h"
#include "AKFileReplace.h"
#include "AKStatus.h"
#include "AKString.h"
#include "AKValue.h"
#include "LogCapture.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

AKDictionary OneString(std::string const& text)
{
    AKDictionary d;
    AKValue v;
    v.SetasAKString(AKString(text));
    d.SetValue("Text", v);
    return d;
}

// The three ways a whole file is saved.
struct Saver {
    char const* name;
    std::function<int(AKFilePath const&, std::string const&)> save;
};

std::vector<Saver> const& Savers()
{
    static std::vector<Saver> const sSavers = {
        {"xml", [](AKFilePath const& p, std::string const& t) { return OneString(t).SaveToXmlFile(p, true); }},
        {"binary", [](AKFilePath const& p, std::string const& t) { return OneString(t).SaveToBinFile(p); }},
        {"string", [](AKFilePath const& p, std::string const& t) { return AKFileSaveContentOfString(p, AKString(t)); }},
    };
    return sSavers;
}

// Files of this process may not grow past `limit` bytes while it lives: a
// write past it fails as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        getrlimit(RLIMIT_FSIZE, &mSaved);
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGXFSZ, &ignore, &mSavedAction);
        struct rlimit limited = mSaved;
        limited.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &mSaved);
        sigaction(SIGXFSZ, &mSavedAction, nullptr);
    }

private:
    struct rlimit mSaved;
    struct sigaction mSavedAction;
};

// The id of a process that has ended and been reaped.
pid_t EndedProcessId()
{
    pid_t pid = fork();
    if (pid == 0)
        _exit(0);
    int status = 0;
    waitpid(pid, &status, 0);
    return pid;
}

void SetAge(std::string const& path, time_t seconds)
{
    struct timespec times[2];
    clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= seconds;
    times[1] = times[0];
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

// --- Full disk ---

TEST(AKFileReplace, WriteThatFailsKeepsThePreviousFileWhole)
{
    std::string const big(64 * 1024, 'n');
    for (Saver const& saver : Savers()) {
        SCOPED_TRACE(saver.name);
        ScratchFolder folder;
        AKFilePath const path(folder.At("doc"));
        ASSERT_EQ(saver.save(path, "previous content"), 0);
        std::string const before = folder.Content("doc");

        int status = 0;
        {
            LogCapture log;
            FileSizeLimit limit(4096);
            status = saver.save(path, big);
            EXPECT_FALSE(log.Lines().empty());
        }
        EXPECT_NE(status, 0);
        EXPECT_EQ(folder.Content("doc"), before);
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"doc"});
    }
}

// --- What a save keeps of the file it replaces ---

TEST(AKFileReplace, OwnerGroupAndModeAreKeptButNeverSetIdBits)
{
    bool const root = geteuid() == 0;
    for (Saver const& saver : Savers()) {
        SCOPED_TRACE(saver.name);
        ScratchFolder folder;
        std::string const doc = folder.At("doc");
        folder.Write("doc", "old");
        // Only root may give a file away; anyone may set the set-id bits of
        // a file of their own group.
        if (root) {
            ASSERT_EQ(chown(doc.c_str(), 4321, 8765), 0);
        }
        ASSERT_EQ(chmod(doc.c_str(), 06750), 0);
        struct stat before;
        ASSERT_EQ(stat(doc.c_str(), &before), 0);

        ASSERT_EQ(saver.save(AKFilePath(doc), "new"), 0);
        struct stat after;
        ASSERT_EQ(stat(doc.c_str(), &after), 0);
        EXPECT_NE(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode & 07777, 0750u);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"doc"});
    }
}

// --- Hidden files of saves that never ended ---

TEST(AKFileReplace, ASaveKilledMidwayIsCleanedUpByTheNextSaveOfThatDocument)
{
    ScratchFolder folder;
    // The longest name a file may have: the hidden file's name cannot hold it whole.
    for (std::string const& name : {std::string("doc.xml"), std::string(255, 'L')}) {
        SCOPED_TRACE(name.size());
        AKFilePath const path(folder.At(name));
        ASSERT_EQ(AKFileSaveContentOfString(path, AKString("previous")), 0);

        // The write goes past the size limit with the default action of the
        // signal: the process dies in the middle of the save.
        pid_t child = fork();
        if (child == 0) {
            struct rlimit limited = {4096, RLIM_INFINITY};
            setrlimit(RLIMIT_FSIZE, &limited);
            signal(SIGXFSZ, SIG_DFL);
            std::string const big(64 * 1024, 'k');
            AKFileReplaceContent(path, big.data(), big.size());
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));
        ASSERT_EQ(WTERMSIG(status), SIGXFSZ);
        EXPECT_EQ(folder.Content(name), "previous");
        ASSERT_EQ(folder.Names().size(), 2u) << "the killed save's hidden file";

        // Another document's save leaves it; the next save of this one removes it.
        ASSERT_EQ(AKFileSaveContentOfString(AKFilePath(folder.At("other")), AKString("x")), 0);
        EXPECT_EQ(folder.Names().size(), 3u);
        ASSERT_EQ(AKFileSaveContentOfString(path, AKString("next")), 0);
        EXPECT_EQ(folder.Content(name), "next");
        std::vector<std::string> expected = {name, "other"};
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(folder.Names(), expected);
        remove(folder.At("other").c_str());
        remove(path.c_str());
    }
}

// A hidden file is named ".orvel-saving-<process>-<number>-<document name>".
// Only a file of a process that is gone (or of one that has not touched it
// for a long time: the id was reused) is removed, and never while a save
// holds its lock.
TEST(AKFileReplace, OnlyStaleHiddenFilesOfTheSameDocumentAreRemoved)
{
    std::string const ended = std::to_string(EndedProcessId());
    std::string const self = std::to_string(getpid());
    enum Kind { kFile, kFolder, kLockedFile };
    struct Case {
        std::string name;
        Kind kind;
        time_t age;
        bool removed;
    };
    time_t const kDays = 3 * 24 * 3600;
    std::vector<Case> const cases = {
        {".orvel-saving-" + ended + "-3-doc.xml", kFile, 0, true},
        {".orvel-saving-" + ended + "-4-doc.xml", kFolder, kDays, false},
        {".orvel-saving-" + ended + "-5-other.xml", kFile, kDays, false},
        {".orvel-saving-" + ended + "-6-doc.xml.bak", kFile, kDays, false},
        {".orvel-saving-" + ended + "-x-doc.xml", kFile, kDays, false},
        {".orvel-saving-" + self + "-7-doc.xml", kFile, 0, false},
        {".orvel-saving-" + self + "-8-doc.xml", kFile, kDays, true},
        {".orvel-saving-" + self + "-9-doc.xml", kLockedFile, kDays, false},
        {".orvel-saving-" + ended + "-10-doc.xml", kLockedFile, 0, false},
    };

    ScratchFolder folder;
    std::vector<int> locks;
    std::vector<std::string> kept = {"doc.xml"};
    for (Case const& c : cases) {
        std::string const path = folder.At(c.name);
        if (c.kind == kFolder) {
            ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
        } else {
            folder.Write(c.name, "partial");
        }
        if (c.kind == kLockedFile) {
            int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
            ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
            locks.push_back(fd);
        }
        SetAge(path, c.age);
        if (!c.removed)
            kept.push_back(c.name);
    }
    std::sort(kept.begin(), kept.end());

    ASSERT_EQ(AKFileSaveContentOfString(AKFilePath(folder.At("doc.xml")), AKString("new")), 0);
    EXPECT_EQ(folder.Names(), kept);
    for (int fd : locks)
        close(fd);
}

}  // namespace

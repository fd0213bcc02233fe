// A save must never follow a symbolic link that another process puts in the
// place of its hidden file. Such a swap only succeeds in the instant between
// the hidden file's creation and a later open of it by name, too short to
// hit from another thread; so this program wraps the open calls of the
// process and makes the swap itself whenever a hidden file of the watched
// folder is opened by name without being created exclusively.

#include "AKDictionary.h"
#include "AKFile.h"
#include "AKFilePath.h"
#include "AKString.h"
#include "AKValue.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

// Plain arrays: the wrappers may run before any constructor.
char sWatchedFolder[PATH_MAX];
char sVictim[PATH_MAX];
std::atomic<int> sSwaps{0};

// The folder of the path (relative to dirfd) and where its name starts.
bool SplitPath(int dirfd, char const* path, std::string* folder, std::string* name)
{
    std::string full;
    if (path[0] == '/') {
        full = path;
    } else {
        char link[64];
        char base[PATH_MAX];
        if (dirfd == AT_FDCWD)
            std::snprintf(link, sizeof link, "/proc/self/cwd");
        else
            std::snprintf(link, sizeof link, "/proc/self/fd/%d", dirfd);
        ssize_t length = readlink(link, base, sizeof base - 1);
        if (length <= 0)
            return false;
        full.assign(base, static_cast<size_t>(length));
        full += "/";
        full += path;
    }
    size_t const slash = full.rfind('/');
    *folder = full.substr(0, slash);
    *name = full.substr(slash + 1);
    return true;
}

void SwapBeforeOpen(int dirfd, char const* path, int flags)
{
    if (sWatchedFolder[0] == '\0' || (flags & O_EXCL) != 0)
        return;
    std::string folder, name;
    if (!SplitPath(dirfd, path, &folder, &name) || folder != sWatchedFolder || name.empty() || name[0] != '.')
        return;
    std::string const entry = folder + "/" + name;
    struct stat info;
    if (lstat(entry.c_str(), &info) == 0 && S_ISREG(info.st_mode) && unlink(entry.c_str()) == 0 &&
        symlink(sVictim, entry.c_str()) == 0)
        ++sSwaps;
}

mode_t ModeArgument(int flags, va_list arguments)
{
    return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}

}  // namespace

extern "C" int open(char const* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    mode_t const mode = ModeArgument(flags, arguments);
    va_end(arguments);
    SwapBeforeOpen(AT_FDCWD, path, flags);
    return static_cast<int>(syscall(SYS_openat, AT_FDCWD, path, flags, mode));
}

extern "C" int openat(int dirfd, char const* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    mode_t const mode = ModeArgument(flags, arguments);
    va_end(arguments);
    SwapBeforeOpen(dirfd, path, flags);
    return static_cast<int>(syscall(SYS_openat, dirfd, path, flags, mode));
}

namespace {

AKDictionary OneString(std::string const& text)
{
    AKDictionary d;
    AKValue v;
    v.SetasAKString(AKString(text));
    d.SetValue("Text", v);
    return d;
}

// Watches a folder for the life of the object.
class LinkSwapper
{
public:
    LinkSwapper(std::string const& folder, std::string const& victim)
    {
        std::snprintf(sVictim, sizeof sVictim, "%s", victim.c_str());
        std::snprintf(sWatchedFolder, sizeof sWatchedFolder, "%s", folder.c_str());
        sSwaps = 0;
    }
    ~LinkSwapper() { sWatchedFolder[0] = '\0'; }
    int Swaps() const { return sSwaps.load(); }
};

TEST(AKFileReplaceLinkSwap, TheHiddenFileIsWrittenThroughTheDescriptorThatCreatedIt)
{
    struct Saver {
        char const* name;
        std::function<int(AKFilePath const&, std::string const&)> save;
        std::function<std::string(std::string const&)> bytes;
    };
    std::vector<Saver> const savers = {
        {"xml", [](AKFilePath const& p, std::string const& t) { return OneString(t).SaveToXmlFile(p, true); },
         [](std::string const& t) {
             AKString text;
             OneString(t).SaveToXmlString(&text, true);
             return text.StdString();
         }},
        {"binary", [](AKFilePath const& p, std::string const& t) { return OneString(t).SaveToBinFile(p); }, nullptr},
        {"string", [](AKFilePath const& p, std::string const& t) { return AKFileSaveContentOfString(p, AKString(t)); },
         [](std::string const& t) { return t; }},
    };

    for (Saver const& saver : savers) {
        SCOPED_TRACE(saver.name);
        ScratchFolder outside;
        std::string const untouched = "the victim's own content";
        outside.Write("victim", untouched);
        ScratchFolder folder;
        AKFilePath const path(folder.At("doc"));
        ASSERT_EQ(saver.save(path, "first"), 0);

        {
            LinkSwapper swapper(folder.Root(), outside.At("victim"));
            EXPECT_EQ(saver.save(path, "second"), 0);
            EXPECT_EQ(swapper.Swaps(), 0) << "the hidden file was opened again by name";
        }
        EXPECT_EQ(outside.Content("victim"), untouched);
        struct stat info;
        ASSERT_EQ(lstat(folder.At("doc").c_str(), &info), 0);
        EXPECT_TRUE(S_ISREG(info.st_mode));
        if (saver.bytes) {
            EXPECT_EQ(folder.Content("doc"), saver.bytes("second"));
        }
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"doc"});
    }
}

}  // namespace

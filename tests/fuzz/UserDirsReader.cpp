// Fuzz target: arbitrary bytes as the user's "user-dirs.dirs", written into
// a private configuration folder (XDG_CONFIG_HOME) before the media folders
// are looked up. Every look-up must give the empty path or an absolute
// folder path, simplified when it can be. The engine's table of standard
// folders, resolved afterwards, must hold the same media folders, the fixed
// home folder and only empty or absolute folder paths.

#include "AKFilePath.h"
#include "AKFileUtils.h"
#include "AKLog.h"
#include "AKString.h"
#include "QVStandardFolders.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string& ConfigFolder()
{
    static std::string sFolder;
    return sFolder;
}

std::string UserDirsFile() { return ConfigFolder() + "/user-dirs.dirs"; }

void RemoveConfigFolder()
{
    std::remove(UserDirsFile().c_str());
    rmdir(ConfigFolder().c_str());
}

// A private configuration folder and a fixed home, once per process.
void SetUp()
{
    if (!ConfigFolder().empty())
        return;
    AKLogErrorMute();
    char pattern[] = "/tmp/orvel-fuzz-userdirs-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        __builtin_trap();
    ConfigFolder() = pattern;
    std::atexit(RemoveConfigFolder);
    setenv("XDG_CONFIG_HOME", pattern, 1);
    setenv("HOME", "/home/fuzz", 1);
}

void WriteUserDirs(uint8_t const* data, size_t size)
{
    FILE* file = std::fopen(UserDirsFile().c_str(), "wb");
    if (file == nullptr || std::fwrite(data, 1, size, file) != size)
        __builtin_trap();
    std::fclose(file);
}

void CheckFolder(AKFilePath const& folder)
{
    if (folder.IsEmpty())
        return;
    if (!folder.IsAbsolute() || !folder.HasDirectorySyntax())
        __builtin_trap();
}

// The media folders of the engine's table, by their standard names.
struct MediaFolder {
    char const* name;
    unsigned int folder;
};
MediaFolder const kMediaFolders[] = {
    {"Documents", kQVStandardFolderUserDocuments}, {"Desktop", kQVStandardFolderDesktop},
    {"Pictures", kQVStandardFolderPictures},       {"Music", kQVStandardFolderMusic},
    {"Movies", kQVStandardFolderMovies},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    SetUp();
    WriteUserDirs(data, size);
    for (MediaFolder const& media : kMediaFolders) {
        AKFilePath folder = AKFileUtils::GetStandardUserFolderPath(AKString(media.name));
        CheckFolder(folder);
        // A path that can be simplified already is.
        AKFilePath simplified(folder);
        if (!folder.IsEmpty() && simplified.SimplifyPath() && simplified != folder)
            __builtin_trap();
    }

    QVStandardFolders::InitStandardPathsFrom({AKFilePath("/opt/Orvel/"), true, AKFilePath("/tmp/")});
    for (unsigned int folder = 0; folder < kQVStandardFolderCount; ++folder)
        CheckFolder(QVStandardFolders::GetStandardPath(folder));
    if (QVStandardFolders::GetStandardPath(kQVStandardFolderHome) != AKFilePath("/home/fuzz/"))
        __builtin_trap();
    for (MediaFolder const& media : kMediaFolders)
        if (QVStandardFolders::GetStandardPath(media.folder) !=
            AKFileUtils::GetStandardUserFolderPath(AKString(media.name)))
            __builtin_trap();
    QVStandardFolders::TerminateStandardPaths();
    return 0;
}

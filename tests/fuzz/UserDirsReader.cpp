// Fuzz target: arbitrary bytes as the user's "user-dirs.dirs", written into
// a private configuration folder (XDG_CONFIG_HOME) before the media folders
// are looked up. Every look-up must give the empty path or an absolute
// folder path, simplified when it can be.

#include "AKFilePath.h"
#include "AKFileUtils.h"
#include "AKLog.h"
#include "AKString.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    SetUp();
    WriteUserDirs(data, size);
    for (char const* name : {"Documents", "Desktop", "Pictures", "Music", "Movies"}) {
        AKFilePath folder = AKFileUtils::GetStandardUserFolderPath(AKString(name));
        if (folder.IsEmpty())
            continue;
        if (!folder.IsAbsolute() || !folder.HasDirectorySyntax())
            __builtin_trap();
        // A path that can be simplified already is.
        AKFilePath simplified(folder);
        if (simplified.SimplifyPath() && simplified != folder)
            __builtin_trap();
    }
    return 0;
}

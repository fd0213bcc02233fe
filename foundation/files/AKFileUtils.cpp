#include "AKFileUtils.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "AKStatus.h"
#include "AKStringEncoding.h"

namespace {

bool CurrentFolder(std::string* folder)
{
    char buffer[4096];
    if (getcwd(buffer, sizeof buffer) == nullptr)
        return false;
    *folder = buffer;
    return true;
}

// Kinds: 0 exists, 1 readable, 2 writable, 3 executable.
bool TestEntry(AKFilePath const& path, bool isDirectory, int kind)
{
    static int const kAccessModes[] = {F_OK, R_OK, W_OK, X_OK};
    char system[kAKSystemPathMaxSize];
    struct stat info;
    if (!AKFileUtils::GetAsSystemPath(system, path, isDirectory) || stat(system, &info) != 0)
        return false;
    if (isDirectory ? !S_ISDIR(info.st_mode) : !S_ISREG(info.st_mode))
        return false;
    if (kind == 0)
        return true;
    return access(system, kAccessModes[kind]) == 0;
}

unsigned long long WholeSeconds(long long seconds)
{
    return seconds < 0 ? 0 : static_cast<unsigned long long>(seconds);
}

}  // namespace

bool AKFileUtils::GetAsSystemPath(char* buffer, AKFilePath const& path, bool isDirectory)
{
    // A folder and a file of the same text have the same system form; the
    // flag only says how the caller means to use it.
    (void)isDirectory;
    if (buffer == nullptr)
        return false;
    buffer[0] = '\0';
    if (path.IsEmpty())
        return false;
    // A NUL byte would silently cut the path short and address another entry.
    if (path.String().StdString().find('\0') != std::string::npos)
        return false;

    std::string text =
        AKStringCopyWithEncoding(path.String(), kAKStringEncodingMacRoman, kAKStringEncodingUTF8).StdString();
    if (text.empty())
        return false;
    if (text.front() != '/') {
        std::string folder;
        if (!CurrentFolder(&folder))
            return false;
        if (folder.back() != '/')
            folder += '/';
        text = folder + text;
    }
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    if (text.size() + 1 > kAKSystemPathMaxSize)
        return false;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

int AKFileUtils::GetFileInfo(AKFilePath const& path, unsigned long long* size, unsigned long long* created,
                             unsigned long long* modified)
{
    unsigned long long sizeValue = 0, createdValue = 0, modifiedValue = 0;
    int status = kAKErrorCantFindFile;
    char system[kAKSystemPathMaxSize];
    if (GetAsSystemPath(system, path, false)) {
        struct statx info;
        if (statx(AT_FDCWD, system, 0, STATX_BASIC_STATS | STATX_BTIME, &info) == 0) {
            if ((info.stx_mask & STATX_TYPE) && S_ISREG(info.stx_mode)) {
                sizeValue = info.stx_size;
                modifiedValue = WholeSeconds(info.stx_mtime.tv_sec);
                // File systems that keep no birth time report none: the
                // modification time stands in for it.
                createdValue = (info.stx_mask & STATX_BTIME) ? WholeSeconds(info.stx_btime.tv_sec) : modifiedValue;
                status = 0;
            }
        } else if (errno == ENOSYS) {
            struct stat fallback;
            if (stat(system, &fallback) == 0 && S_ISREG(fallback.st_mode)) {
                sizeValue = static_cast<unsigned long long>(fallback.st_size);
                modifiedValue = WholeSeconds(fallback.st_mtim.tv_sec);
                createdValue = modifiedValue;
                status = 0;
            }
        }
    }
    if (size)
        *size = sizeValue;
    if (created)
        *created = createdValue;
    if (modified)
        *modified = modifiedValue;
    return status;
}

bool AKFileUtils::FileExists(AKFilePath const& path) { return TestEntry(path, false, 0); }
bool AKFileUtils::FileIsReadable(AKFilePath const& path) { return TestEntry(path, false, 1); }
bool AKFileUtils::FileIsWritable(AKFilePath const& path) { return TestEntry(path, false, 2); }
bool AKFileUtils::FileIsExecutable(AKFilePath const& path) { return TestEntry(path, false, 3); }

bool AKFileUtils::DirExists(AKFilePath const& path) { return TestEntry(path, true, 0); }
bool AKFileUtils::DirIsReadable(AKFilePath const& path) { return TestEntry(path, true, 1); }
bool AKFileUtils::DirIsWritable(AKFilePath const& path) { return TestEntry(path, true, 2); }

bool AKFileUtils::CreateDir(AKFilePath const& path)
{
    char system[kAKSystemPathMaxSize];
    if (!GetAsSystemPath(system, path, true))
        return false;
    mkdir(system, 07777);  // the process's umask applies
    return DirExists(path);
}

bool AKFileUtils::RemoveDir(AKFilePath const& path)
{
    char system[kAKSystemPathMaxSize];
    if (!GetAsSystemPath(system, path, true))
        return false;
    rmdir(system);
    return !DirExists(path);
}

bool AKFileUtils::RemoveFile(AKFilePath const& path)
{
    char system[kAKSystemPathMaxSize];
    return GetAsSystemPath(system, path, false) && remove(system) == 0;
}

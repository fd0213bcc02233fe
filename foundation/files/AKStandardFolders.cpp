// The folder look-ups of AKFileUtils: the executable's folder and bundle, the
// resources, temporary and user folders. User folders follow the XDG rules:
// the home folder, the user-dirs.dirs file for the media folders, and
// XDG_DATA_HOME / XDG_CONFIG_HOME for application support and preferences.

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "AKFileSystemText.h"
#include "AKFileUtils.h"
#include "AKStringEncoding.h"

// --- Text conversions ---

bool AKEngineTextFromSystemText(std::string const& systemText, AKString* engineText)
{
    AKString converted =
        AKStringCopyWithEncoding(AKString(systemText), kAKStringEncodingUTF8, kAKStringEncodingMacRoman);
    // Invalid UTF-8 empties the text; a character Mac Roman lacks becomes "?"
    // and does not come back.
    if (converted.IsEmpty() != systemText.empty())
        return false;
    if (AKStringCopyWithEncoding(converted, kAKStringEncodingMacRoman, kAKStringEncodingUTF8).StdString() != systemText)
        return false;
    *engineText = converted;
    return true;
}

AKFilePath AKFolderPathFromSystemText(std::string const& systemText)
{
    AKString text;
    if (systemText.empty() || !AKEngineTextFromSystemText(systemText, &text) || text.Length() >= kAKSystemPathMaxSize)
        return AKFilePath();
    AKFilePath path(text);
    path.ForceDirectorySyntax();
    // A path whose ".." climbs above the root names no folder we can trust.
    if (!path.SimplifyPath())
        return AKFilePath();
    return path;
}

namespace {

std::string Environment(char const* name)
{
    char const* value = getenv(name);
    return value ? std::string(value) : std::string();
}

bool IsExistingFolder(std::string const& systemPath)
{
    struct stat info;
    return stat(systemPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string CurrentFolder()
{
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

// The path of the running executable, empty when the system does not say.
std::string ExecutablePath()
{
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return std::string();
        if (static_cast<size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(length));
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

// --- Look-ups made afresh ---

AKFilePath AKLookUpExecutableDirPath()
{
    std::string executable = ExecutablePath();
    size_t slash = executable.rfind('/');
    if (slash == std::string::npos)
        return AKFilePath();
    return AKFolderPathFromSystemText(executable.substr(0, slash + 1));
}

AKFilePath AKLookUpTemporaryDirPath()
{
    std::string folder = Environment("TMPDIR");
    if (!folder.empty() && folder.front() == '/' && IsExistingFolder(folder)) {
        AKFilePath path = AKFolderPathFromSystemText(folder);
        if (!path.IsEmpty())
            return path;
    }
    return AKFilePath("/tmp/");
}

AKFilePath AKLookUpResourcesDirPath(AKFilePath const& executableDir)
{
    std::string folder = Environment("ORVEL_RESOURCES_DIR");
    if (!folder.empty()) {
        if (folder.front() != '/') {
            std::string current = CurrentFolder();
            if (current.empty())
                return AKFilePath();
            folder = current + "/" + folder;
        }
        return AKFolderPathFromSystemText(folder);
    }
    if (executableDir.IsEmpty())
        return AKFilePath();
    AKFilePath path(executableDir);
    path.AppendComponent("Resources");
    return path;
}

AKFilePath AKApplicationDirOfBundle(AKFilePath const& bundleDir, bool* bundled)
{
    AKFilePath bundleAsFile(bundleDir);
    bundleAsFile.ForceFileSyntax();
    *bundled = !bundleDir.IsEmpty() && bundleAsFile.HasExtension(AKString("app"));
    return *bundled ? AKFilePath(bundleAsFile.Path()) : bundleDir;
}

// --- Cached folders ---

namespace {

struct ApplicationFolder {
    AKFilePath path;
    bool bundled = false;
};

ApplicationFolder& SharedApplicationFolder()
{
    static ApplicationFolder sFolder;
    if (sFolder.path.IsEmpty())
        sFolder.path = AKApplicationDirOfBundle(AKLookUpExecutableDirPath(), &sFolder.bundled);
    return sFolder;
}

}  // namespace

AKFilePath const& AKFileUtils::GetApplicationDirPath(bool* isBundled)
{
    ApplicationFolder& folder = SharedApplicationFolder();
    if (isBundled)
        *isBundled = folder.bundled;
    return folder.path;
}

bool AKFileUtils::IsBundledApplication() { return SharedApplicationFolder().bundled; }

bool AKFileUtils::IsConsoleApplication() { return !SharedApplicationFolder().bundled; }

AKFilePath const& AKFileUtils::GetSystemTemporaryDirPath()
{
    static AKFilePath sFolder;
    if (sFolder.IsEmpty())
        sFolder = AKLookUpTemporaryDirPath();
    return sFolder;
}

AKFilePath const& AKFileUtilsMacOS::GetApplicationBundleResourcesDirPath()
{
    static AKFilePath sFolder;
    if (sFolder.IsEmpty())
        sFolder = AKLookUpResourcesDirPath(AKLookUpExecutableDirPath());
    return sFolder;
}

AKFilePath AKFileUtilsMacOS::GetApplicationBundleResourceFilePath(AKString const& name)
{
    AKFilePath path(GetApplicationBundleResourcesDirPath());
    path.SetFileName(name);
    return path;
}

// --- User folders ---

namespace {

std::string HomeFolder()
{
    std::string home = Environment("HOME");
    if (!home.empty())
        return home;
    struct passwd entry;
    struct passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return std::string();
}

// An XDG base folder from its variable, when that holds an absolute path;
// else the default inside the home folder.
std::string BaseFolder(char const* variable, std::string const& home, char const* defaultInHome)
{
    std::string folder = Environment(variable);
    if (!folder.empty() && folder.front() == '/')
        return folder;
    return home.empty() ? std::string() : home + "/" + defaultInHome;
}

// The value of a line `KEY="value"` of user-dirs.dirs, shell quoting undone;
// false when the line does not assign the key.
bool ReadAssignment(std::string const& line, std::string const& key, std::string* value)
{
    size_t pos = line.find_first_not_of(" \t");
    if (pos == std::string::npos || line.compare(pos, key.size(), key) != 0)
        return false;
    pos += key.size();
    if (pos >= line.size() || line[pos] != '=')
        return false;
    ++pos;
    std::string result;
    bool quoted = false;
    for (; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"') {
            quoted = !quoted;
        } else if (c == '\\' && pos + 1 < line.size()) {
            result += line[++pos];
        } else if (!quoted && (c == ' ' || c == '\t' || c == '#')) {
            break;
        } else {
            result += c;
        }
    }
    *value = result;
    return true;
}

// The bytes of user-dirs.dirs, at most kUserDirsMaxSize of them; false when
// it is missing or not a regular file (a pipe or a device is never waited on).
constexpr size_t kUserDirsMaxSize = 64 * 1024;

bool ReadUserDirsBytes(std::string const& path, std::string* bytes)
{
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info;
    bool const regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    bytes->clear();
    char chunk[4096];
    while (regular && bytes->size() < kUserDirsMaxSize) {
        size_t const wanted = std::min(sizeof chunk, kUserDirsMaxSize - bytes->size());
        ssize_t const got = read(fd, chunk, wanted);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        bytes->append(chunk, static_cast<size_t>(got));
    }
    close(fd);
    return regular;
}

// The folder user-dirs.dirs gives for the key, with $HOME expanded; empty
// when the file or the key is missing or the value is neither absolute nor
// under $HOME.
std::string UserDirsFolder(std::string const& configFolder, std::string const& home, char const* key)
{
    if (configFolder.empty())
        return std::string();
    std::string bytes;
    if (!ReadUserDirsBytes(configFolder + "/user-dirs.dirs", &bytes))
        return std::string();
    std::string value;
    bool found = false;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        size_t length = end - start;
        while (length > 0 && bytes[start + length - 1] == '\r')
            --length;
        std::string const line = bytes.substr(start, length);
        start = end + 1;
        // A line holding a NUL byte is not text: it assigns nothing. The
        // file is read by a shell, so the last assignment wins.
        std::string candidate;
        if (line.find('\0') == std::string::npos && ReadAssignment(line, key, &candidate)) {
            value = candidate;
            found = true;
        }
    }
    if (!found)
        return std::string();
    for (char const* homeWord : {"$HOME", "${HOME}"}) {
        std::string word(homeWord);
        if (value.compare(0, word.size(), word) == 0 && (value.size() == word.size() || value[word.size()] == '/'))
            return home.empty() ? std::string() : home + value.substr(word.size());
    }
    return (!value.empty() && value.front() == '/') ? value : std::string();
}

// A media folder: its name, its key in user-dirs.dirs, its default in the home folder.
struct UserFolderRule {
    char const* name;
    char const* userDirsKey;
    char const* defaultInHome;
};

UserFolderRule const kMediaFolders[] = {
    {"Documents", "XDG_DOCUMENTS_DIR", "Documents"}, {"Desktop", "XDG_DESKTOP_DIR", "Desktop"},
    {"Pictures", "XDG_PICTURES_DIR", "Pictures"},    {"Music", "XDG_MUSIC_DIR", "Music"},
    {"Movies", "XDG_VIDEOS_DIR", "Videos"},
};

std::string UserFolderSystemPath(std::string const& name)
{
    std::string home = HomeFolder();
    if (name == "User")
        return home;
    if (name == "ApplicationSupport")
        return BaseFolder("XDG_DATA_HOME", home, ".local/share");
    std::string config = BaseFolder("XDG_CONFIG_HOME", home, ".config");
    if (name == "Preferences")
        return config;
    for (UserFolderRule const& rule : kMediaFolders) {
        if (name != rule.name)
            continue;
        std::string folder = UserDirsFolder(config, home, rule.userDirsKey);
        // A value that names no usable folder counts as absent.
        if (!folder.empty() && AKFolderPathFromSystemText(folder).IsEmpty())
            folder.clear();
        if (folder.empty() && !home.empty())
            folder = home + "/" + rule.defaultInHome;
        return folder;
    }
    return std::string();
}

}  // namespace

AKFilePath AKFileUtils::GetStandardUserFolderPath(AKString const& name)
{
    if (name.IsEmpty())
        return AKFilePath();
    return AKFolderPathFromSystemText(UserFolderSystemPath(name.StdString()));
}

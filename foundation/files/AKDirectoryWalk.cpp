// The directory walk and the collectors built on it.

#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>

#include "AKFileSystemText.h"
#include "AKFileUtils.h"
#include "AKLog.h"
#include "AKStatus.h"

namespace {

using WalkCallback = bool (*)(AKFilePath const&, void*);

enum class EntryKind { kOther, kFile, kFolder };

// The kind the directory entry reports. File systems that report none are
// asked with lstat, so that links are still never followed.
EntryKind KindOfEntry(DIR* folder, dirent const* entry)
{
    unsigned char type = entry->d_type;
    if (type == DT_UNKNOWN) {
        struct stat info;
        if (fstatat(dirfd(folder), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return EntryKind::kOther;
        if (S_ISREG(info.st_mode))
            return EntryKind::kFile;
        return S_ISDIR(info.st_mode) ? EntryKind::kFolder : EntryKind::kOther;
    }
    if (type == DT_REG)
        return EntryKind::kFile;
    return type == DT_DIR ? EntryKind::kFolder : EntryKind::kOther;
}

// Walks one folder (in directory syntax). Answers false when the folder
// cannot be opened or a callback stopped the walk; *opened tells which.
bool WalkFolder(AKFilePath const& dir, bool recursive, WalkCallback callback, void* data, bool* opened)
{
    char system[kAKSystemPathMaxSize];
    DIR* folder = AKFileUtils::GetAsSystemPath(system, dir, true) ? opendir(system) : nullptr;
    *opened = folder != nullptr;
    if (folder == nullptr)
        return false;

    bool goOn = true;
    while (goOn) {
        dirent const* entry = readdir(folder);
        if (entry == nullptr)
            break;
        if (entry->d_name[0] == '.')
            continue;
        EntryKind kind = KindOfEntry(folder, entry);
        if (kind == EntryKind::kOther)
            continue;
        // A name that no engine path can address is left out.
        AKString name;
        if (!AKEngineTextFromSystemText(entry->d_name, &name))
            continue;

        AKFilePath path(dir);
        path.SetFileName(name);
        if (kind == EntryKind::kFile || path.HasExtension(AKString("bundle"))) {
            goOn = callback ? callback(path, data) : true;
        } else if (recursive) {
            AKFilePath subFolder(dir);
            subFolder.AppendComponent(name);
            bool subOpened;
            goOn = WalkFolder(subFolder, true, callback, data, &subOpened);
        }
    }
    closedir(folder);
    return goOn;
}

}  // namespace

int AKFileUtils::ParseDirectory(AKFilePath const& dir, bool recursive, bool (*callback)(AKFilePath const&, void*),
                                void* data)
{
    // The entries' paths are built in the folder, whatever the syntax given.
    AKFilePath folder(dir);
    folder.ForceDirectorySyntax();
    bool opened;
    WalkFolder(folder, recursive, callback, data, &opened);
    return opened ? 0 : kAKErrorCantFindDirectory;
}

// --- Collectors ---

AKDirectoryParser::~AKDirectoryParser() = default;

bool AKDirectoryParser::CollectCallback(AKFilePath const& path, void* parser)
{
    AKDirectoryParser* self = static_cast<AKDirectoryParser*>(parser);
    if (self->RetainFilePath(path))
        self->mFilePaths.Push(path);
    return true;
}

int AKDirectoryParser::GrabOneDirectory(AKFilePath const& dir, bool recursive)
{
    int status = AKFileUtils::ParseDirectory(dir, recursive, &CollectCallback, this);
    if (status == kAKErrorCantFindDirectory)
        return AKLogError(status, "Can't find the directory \"%s\"", dir.c_str());
    return status;
}

int AKDirectoryParser::GrabFilePaths(AKFilePath const& dir, bool recursive)
{
    mFilePaths.Clear();
    mFilePaths.Reserve(20);
    return GrabOneDirectory(dir, recursive);
}

int AKDirectoryParser::GrabFilePaths(AKFilePathArray const& dirs, bool recursive, unsigned int* missing)
{
    AKFilePathArray folders(dirs);  // dirs may be this collection
    mFilePaths.Clear();
    mFilePaths.Reserve(20);
    unsigned int missingCount = 0;
    for (AKFilePath const& dir : folders) {
        if (GrabOneDirectory(dir, recursive) != 0)
            ++missingCount;
    }
    if (missing)
        *missing = missingCount;
    return missingCount == folders.Count() ? kAKErrorCantFindDirectory : 0;
}

bool AKDirectoryParserForFilesWithExtension::RetainFilePath(AKFilePath const& path) const
{
    return path.HasExtension(mExtension);
}

#pragma once

// The engine's window on the file system outside open files: the application,
// temporary and user folders, tests of files and folders, creation and
// removal, unused names, conversion of a path to the system's form, and the
// directory walk with its collectors.
//
// The folder look-ups answer paths in directory syntax, or the empty path
// when the system gives no answer. The application, temporary and resources
// folders are computed on first use and kept; the engine asks for them during
// start-up on the main thread, so that later calls from any thread only read.

#include "AKFilePath.h"
#include "AKString.h"

// Size of a system path buffer, the terminating NUL included.
constexpr unsigned int kAKSystemPathMaxSize = 1024;

class AKFileUtils
{
public:
    // --- Folders ---

    // The application folder: the folder holding the bundle for a bundled
    // program (its executable's folder has the extension "app"), else the
    // executable's own folder. isBundled (may be null) receives the flag.
    static AKFilePath const& GetApplicationDirPath(bool* isBundled);
    static bool IsBundledApplication();
    static bool IsConsoleApplication();

    // $TMPDIR when it is an existing absolute folder, else "/tmp/".
    static AKFilePath const& GetSystemTemporaryDirPath();

    // "User", "Desktop", "Preferences", "ApplicationSupport", "Documents",
    // "Pictures", "Movies" or "Music" (case-sensitive), existing or not; any
    // other name gives the empty path.
    static AKFilePath GetStandardUserFolderPath(AKString const& name);

    // --- System form ---

    // The path as the system takes it (UTF-8, absolute, no trailing "/")
    // into a buffer of kAKSystemPathMaxSize bytes. False, with the empty
    // string in the buffer, for the empty path, a path holding a NUL byte or
    // one that does not fit.
    static bool GetAsSystemPath(char* buffer, AKFilePath const& path, bool isDirectory);

    // --- Tests ---

    // Size, creation (birth, else modification) and modification times in
    // seconds since 1970 of a regular file; any out-parameter may be null.
    // kAKErrorCantFindFile (not logged), with all values 0, otherwise.
    static int GetFileInfo(AKFilePath const& path, unsigned long long* size, unsigned long long* created,
                           unsigned long long* modified);

    // True only for a regular file (links followed) with that access.
    static bool FileExists(AKFilePath const& path);
    static bool FileIsReadable(AKFilePath const& path);
    static bool FileIsWritable(AKFilePath const& path);
    static bool FileIsExecutable(AKFilePath const& path);

    // True only for a folder (links followed) with that access.
    static bool DirExists(AKFilePath const& path);
    static bool DirIsReadable(AKFilePath const& path);
    static bool DirIsWritable(AKFilePath const& path);

    // --- Changes ---

    // Creates one folder (no missing parent); whether it exists afterwards.
    static bool CreateDir(AKFilePath const& path);
    // Removes an empty folder; whether no folder is there afterwards.
    static bool RemoveDir(AKFilePath const& path);
    // Deletes a file; whether the deletion succeeded.
    static bool RemoveFile(AKFilePath const& path);

    // --- Unused names ---

    // Gives the path a file name no regular file uses yet: the short file
    // name followed by a number in format (" %u" when the name holds a space,
    // else "%u"), from *counter or 1, at most 1000 tries; the counter becomes
    // one above the number used. Without a counter a free path is kept as it
    // is. False, path unchanged, when every try is used or the name is empty.
    static bool SearchUnusedFileNameInDir(AKFilePath* path, unsigned int* counter, char const* format);
    // The same for a folder: the folder's own name followed by the number;
    // the result has directory syntax.
    static bool SearchUnusedDirNameInDir(AKFilePath* path, unsigned int* counter, char const* format);

    // A new empty file of a unique name in the temporary folder: prefix
    // ("tmp_" when empty) followed by six random letters or digits. The file
    // is created exclusively, so the name is reserved and no existing file is
    // touched. The empty path when no file could be created.
    static AKFilePath GetUnusedFileNameInTemporaryDir(AKString const& prefix);

    // --- Directory walk ---

    // Calls callback(path, data) for every regular file and every folder with
    // the extension "bundle" of dir, in the system's order; names starting
    // with "." and every other kind of entry (links included) are skipped.
    // When recursive, other folders are walked where they are met. A false
    // answer of the callback, or a sub-folder that cannot be opened, stops the
    // walk. kAKErrorCantFindDirectory (not logged) when dir cannot be opened,
    // else 0.
    static int ParseDirectory(AKFilePath const& dir, bool recursive, bool (*callback)(AKFilePath const&, void*),
                              void* data);
};

// Collects the files of one or more folders that the derived class retains.
class AKDirectoryParser
{
public:
    AKDirectoryParser() = default;
    virtual ~AKDirectoryParser();

    // Whether a file found by the walk is collected.
    virtual bool RetainFilePath(AKFilePath const& path) const = 0;

    // Empties the collection and collects the retained files of dir in the
    // walk's order; kAKErrorCantFindDirectory logged as "Can't find the
    // directory" when dir is missing.
    int GrabFilePaths(AKFilePath const& dir, bool recursive);
    // The same over several folders; each missing folder is logged and counted
    // into missing (may be null). kAKErrorCantFindDirectory when every folder
    // (or an empty list) is missing, else 0.
    int GrabFilePaths(AKFilePathArray const& dirs, bool recursive, unsigned int* missing);

    AKFilePathArray const& GetFilePaths() const { return mFilePaths; }
    AKFilePathArray& GetFilePaths() { return mFilePaths; }

protected:
    AKFilePathArray mFilePaths;

private:
    int GrabOneDirectory(AKFilePath const& dir, bool recursive);
    static bool CollectCallback(AKFilePath const& path, void* parser);
};

// Collects the files of one extension (ASCII case ignored).
class AKDirectoryParserForFilesWithExtension : public AKDirectoryParser
{
public:
    explicit AKDirectoryParserForFilesWithExtension(AKString const& extension) : mExtension(extension) {}

    bool RetainFilePath(AKFilePath const& path) const override;

private:
    AKString mExtension;
};

// The application's resources folder: "Resources" inside the executable's
// folder, or the folder named by the environment variable ORVEL_RESOURCES_DIR.
class AKFileUtilsMacOS
{
public:
    static AKFilePath const& GetApplicationBundleResourcesDirPath();
    // The resources folder with that file name; existence is not checked.
    static AKFilePath GetApplicationBundleResourceFilePath(AKString const& name);
};

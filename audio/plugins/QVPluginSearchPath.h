#pragma once

// QVPluginSearchPath: one folder scanned for plug-ins, with whether it is
// one of the host's standard folders, whether the user wants it scanned and
// whether it was found on disk at the last check. QVPluginSearchPathArray:
// the list the plug-in manager keeps, the host's standard folders first.

#include "AKFilePath.h"
#include "ATArray.h"

struct QVPluginSearchPath {
    AKFilePath path;
    bool isDefault = false;  // one of the host's standard plug-in folders
    bool isEnabled = false;  // scanned
    bool exists = true;      // found on disk at the last check

    QVPluginSearchPath() = default;
    // Exists is taken as true until checked.
    QVPluginSearchPath(AKFilePath const& folder, bool isDefaultFolder, bool isEnabledFolder);

    // Empties the path and clears all three flags.
    void Clear();
    // Sets exists from the disk and answers it.
    bool CheckForExistenceOfDir();
};

// The shared default-constructed search path, built on first use. Never modified.
QVPluginSearchPath const& QVNullPluginSearchPathShared();
#define kQVNullPluginSearchPath (QVNullPluginSearchPathShared())

class QVPluginSearchPathArray : public ATArray<QVPluginSearchPath>
{
public:
    QVPluginSearchPathArray() = default;

    // Appends the folder in directory form as a user folder (exists true),
    // then sorts and simplifies with the defaults first. False for an empty
    // path.
    bool AppendUserPath(AKFilePath const& path, bool isEnabled);
    // The same for every non-empty path of the list, sorting once at the
    // end; true when anything was appended.
    bool AppendUserPaths(AKFilePathArray const& paths, bool isEnabled);

    // Sorts by path, keeps only the first entry of each run of equal paths
    // (the standard folder's entry, with its own flags, when there is one)
    // and, when asked, sorts again with the standard folders first, each
    // part by path.
    void SortByPathAndSimplify(bool defaultsFirst);

    // Refreshes every entry's exists flag from the disk.
    void CheckForExistenceOfDirs();

    // The entry whose path equals the given one; false and -1 when none (an
    // empty path is never found). The index pointer may be null.
    bool FindByPath(AKFilePath const& path, unsigned int* index) const;

    // Kept for callers that trace the list; prints nothing.
    void LogDebug() const {}
};

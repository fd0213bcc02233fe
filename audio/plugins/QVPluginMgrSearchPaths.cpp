// QVPluginMgr: the folders scanned for plug-ins and their place in the
// preferences.

#include "QVPluginMgr.h"
#include "QVPluginMgrLibext.h"

#include <algorithm>

void QVPluginMgr::InitSearchPathsFromPrefs()
{
    mSearchPaths.Clear();

    AKFilePathArray savedPaths;
    QVPluginSearchFlagArray savedFlags;
    QVAudioServices::Get().GetPluginSearchPrefs(&savedPaths, &savedFlags);
    unsigned int const pairs = std::min(savedPaths.Count(), savedFlags.Count());
    QVPluginSearchPathArray savedDefaults;
    QVPluginSearchPathArray userPaths;
    for (unsigned int i = 0; i < pairs; ++i) {
        unsigned int const flags = savedFlags[i];
        bool const isDefault = (flags & kQVPluginSearchFlagDefault) != 0;
        QVPluginSearchPath const entry(savedPaths[i], isDefault, (flags & kQVPluginSearchFlagEnabled) != 0);
        (isDefault ? savedDefaults : userPaths).Push(entry);
    }
    userPaths.SortByPathAndSimplify(false);

    // The host decides which standard folders exist; the user decided which
    // of them are scanned.
    AKFilePathArray hostPaths;
    mHost->GetDefaultSearchPaths(&hostPaths);
    for (AKFilePath const& path : hostPaths)
        mSearchPaths.Push(QVPluginSearchPath(path, true, true));
    mSearchPaths.SortByPathAndSimplify(true);
    for (QVPluginSearchPath& entry : mSearchPaths) {
        unsigned int saved = 0;
        if (savedDefaults.FindByPath(entry.path, &saved))
            entry.isEnabled = savedDefaults[saved].isEnabled;
    }

    mSearchPaths.Append(userPaths);
    mSearchPaths.CheckForExistenceOfDirs();
}

void QVPluginMgr::GetSearchPathsFromPrefs(QVPluginSearchPathArray* paths) const
{
    if (paths == nullptr)
        return;
    if (mInitialized)
        *paths = mSearchPaths;
    else
        paths->Clear();
}

void QVPluginMgr::SetSearchPathsToPrefs(QVPluginSearchPathArray const& paths)
{
    if (!mInitialized)
        return;
    mSearchPaths = paths;
    AKFilePathArray savedPaths;
    QVPluginSearchFlagArray savedFlags;
    savedPaths.Reserve(paths.Count());
    savedFlags.Reserve(paths.Count());
    for (QVPluginSearchPath const& entry : mSearchPaths) {
        savedPaths.Push(entry.path);
        savedFlags.Push((entry.isDefault ? kQVPluginSearchFlagDefault : 0u) |
                        (entry.isEnabled ? kQVPluginSearchFlagEnabled : 0u));
    }
    QVAudioServices::Get().SetPluginSearchPrefs(savedPaths, savedFlags);
}

void QVPluginMgr::GetSearchPathsToScann(AKFilePathArray* paths, AKFilePathArray const& standardPaths) const
{
    if (paths == nullptr)
        return;
    paths->Clear();
    if (!mInitialized)
        return;
    for (AKFilePath const& path : standardPaths) {
        unsigned int index = 0;
        if (mSearchPaths.FindByPath(path, &index) && !mSearchPaths[index].isEnabled)
            continue;
        paths->Push(path);
    }
    for (QVPluginSearchPath const& entry : mSearchPaths) {
        if (!entry.isDefault && entry.isEnabled && entry.exists)
            paths->Push(entry.path);
    }
}

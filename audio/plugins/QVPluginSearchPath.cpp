#include "QVPluginSearchPath.h"

#include "AKFileUtils.h"

#include <algorithm>

QVPluginSearchPath::QVPluginSearchPath(AKFilePath const& folder, bool isDefaultFolder, bool isEnabledFolder)
    : path(folder), isDefault(isDefaultFolder), isEnabled(isEnabledFolder), exists(true)
{}

void QVPluginSearchPath::Clear()
{
    path.Clear();
    isDefault = false;
    isEnabled = false;
    exists = false;
}

bool QVPluginSearchPath::CheckForExistenceOfDir()
{
    exists = AKFileUtils::DirExists(path);
    return exists;
}

QVPluginSearchPath const& QVNullPluginSearchPathShared()
{
    static QVPluginSearchPath const* const sNull = new QVPluginSearchPath();
    return *sNull;
}

bool QVPluginSearchPathArray::AppendUserPath(AKFilePath const& path, bool isEnabled)
{
    if (path.IsEmpty())
        return false;
    AKFilePath folder = path;
    folder.ForceDirectorySyntax();
    Push(QVPluginSearchPath(folder, false, isEnabled));
    SortByPathAndSimplify(true);
    return true;
}

bool QVPluginSearchPathArray::AppendUserPaths(AKFilePathArray const& paths, bool isEnabled)
{
    bool appended = false;
    for (AKFilePath const& path : paths) {
        if (path.IsEmpty())
            continue;
        AKFilePath folder = path;
        folder.ForceDirectorySyntax();
        Push(QVPluginSearchPath(folder, false, isEnabled));
        appended = true;
    }
    if (appended)
        SortByPathAndSimplify(true);
    return appended;
}

void QVPluginSearchPathArray::SortByPathAndSimplify(bool defaultsFirst)
{
    Sort(
        [](QVPluginSearchPath const& a, QVPluginSearchPath const& b) {
            int const order = a.path.Compare(b.path);
            if (order != 0)
                return order < 0;
            return a.isDefault && !b.isDefault;
        },
        false);
    // Of each run of equal paths only the first stays.
    auto& items = StdVector();
    items.erase(std::unique(items.begin(), items.end(),
                            [](QVPluginSearchPath const& a, QVPluginSearchPath const& b) { return a.path == b.path; }),
                items.end());
    if (defaultsFirst) {
        Sort(
            [](QVPluginSearchPath const& a, QVPluginSearchPath const& b) {
                if (a.isDefault != b.isDefault)
                    return a.isDefault;
                return a.path.Compare(b.path) < 0;
            },
            false);
    }
}

void QVPluginSearchPathArray::CheckForExistenceOfDirs()
{
    for (QVPluginSearchPath& entry : *this)
        entry.CheckForExistenceOfDir();
}

bool QVPluginSearchPathArray::FindByPath(AKFilePath const& path, unsigned int* index) const
{
    if (!path.IsEmpty()) {
        return FindIf([&path](QVPluginSearchPath const& entry) { return entry.path == path; }, index);
    }
    if (index != nullptr)
        *index = kNotFound;
    return false;
}

// QVStandardFolders: the table of standard folders and its look-ups.

#include "QVStandardFolders.h"

#include "AKFileUtils.h"
#include "ATArray.h"

namespace {

// Built on first use, so that look-ups made while other statics are set up
// or torn down find a valid (empty) table.
ATArray<AKFilePath>& StandardPaths()
{
    static ATArray<AKFilePath>* const sPaths = new ATArray<AKFilePath>();
    return *sPaths;
}

AKFilePath const& EmptyPath()
{
    static AKFilePath const* const sEmpty = new AKFilePath();
    return *sEmpty;
}

// The user's application-support folder of the program, or the empty path
// when the system has none.
AKFilePath UserFolderPath()
{
    AKFilePath path = AKFileUtils::GetStandardUserFolderPath("ApplicationSupport");
    if (!path.IsEmpty())
        path.AppendComponent("Orvel-Player");
    return path;
}

// The folder below a base, empty when the base is.
AKFilePath SubFolderPath(AKFilePath const& base, char const* name)
{
    AKFilePath path = base;
    if (!path.IsEmpty())
        path.AppendComponent(name);
    return path;
}

}  // namespace

int QVStandardFolders::InitStandardPaths()
{
    ATArray<AKFilePath>& paths = StandardPaths();
    paths.Clear();
    paths.SetCount(kQVStandardFolderCount);
    paths[kQVStandardFolderSettings] = SubFolderPath(UserFolderPath(), "Settings");
    return 0;
}

void QVStandardFolders::TerminateStandardPaths() { StandardPaths().Clear(); }

AKFilePath const& QVStandardFolders::GetStandardPath(unsigned int folder)
{
    ATArray<AKFilePath> const& paths = StandardPaths();
    return folder < paths.Count() ? paths[folder] : EmptyPath();
}

AKFilePath QVStandardFolders::GetStandardFilePath(unsigned int folder, AKString const& name)
{
    AKFilePath const& dir = GetStandardPath(folder);
    if (dir.IsEmpty())
        return AKFilePath();
    AKFilePath path = dir;
    path.SetFileName(name);
    return path;
}

void QVStandardFolders::SetStandardPath(unsigned int folder, AKFilePath const& path)
{
    if (folder >= kQVStandardFolderCount)
        return;
    ATArray<AKFilePath>& paths = StandardPaths();
    if (paths.Count() < kQVStandardFolderCount)
        paths.SetCount(kQVStandardFolderCount);
    paths[folder] = path;
    paths[folder].ForceDirectorySyntax();
}

AKFilePath QVGetStandardFilePath(unsigned int folder, AKString const& name)
{
    return QVStandardFolders::GetStandardFilePath(folder, name);
}

// QVStandardFolders: the table of standard folders, its resolution and its
// look-ups.

#include "QVStandardFolders.h"

#include "AKFileUtils.h"
#include "QVLibBasicOptions.h"
#include "internal/QVStandardFoldersTable.h"

namespace QVStandardFoldersTable {

ATArray<AKFilePath>& Paths()
{
    static ATArray<AKFilePath>* const sPaths = new ATArray<AKFilePath>();
    return *sPaths;
}

AKFilePath const& EmptyPath()
{
    static AKFilePath const* const sEmpty = new AKFilePath();
    return *sEmpty;
}

std::atomic<bool> sRepositoryOk{false};
std::atomic<bool> sRepositoryUsed{false};

}  // namespace QVStandardFoldersTable

using QVStandardFoldersTable::EmptyPath;
using QVStandardFoldersTable::Paths;

namespace {

char const kUserFolderName[] = "Orvel-Player";

// The folder below a base, empty when the base is.
AKFilePath SubFolderPath(AKFilePath const& base, char const* name)
{
    AKFilePath path = base;
    if (!path.IsEmpty())
        path.AppendComponent(name);
    return path;
}

AKFilePath SubFolderPath(AKFilePath const& base, char const* name, char const* subName)
{
    return SubFolderPath(SubFolderPath(base, name), subName);
}

AKFilePath InDirectoryForm(AKFilePath path)
{
    if (!path.IsEmpty())
        path.ForceDirectorySyntax();
    return path;
}

// The parent of a folder; the root stays the root.
AKFilePath ParentFolderPath(AKFilePath const& folder)
{
    AKFilePath path = folder;
    if (!path.IsEmpty() && !path.LastComponent().IsEmpty())
        path.RemoveLastComponent();
    return path;
}

AKFilePath UserFolderOfStandardName(char const* name)
{
    return InDirectoryForm(AKFileUtils::GetStandardUserFolderPath(AKString(name)));
}

}  // namespace

QVStandardFolderBases QVStandardFolders::GetSystemBases()
{
    QVStandardFolderBases bases;
    bases.applicationDir = AKFileUtils::GetApplicationDirPath(&bases.bundled);
    bases.temporaryDir = AKFileUtils::GetSystemTemporaryDirPath();
    return bases;
}

int QVStandardFolders::InitStandardPaths()
{
    if (!gQVLib.standardFolders) {
        ATArray<AKFilePath>& paths = Paths();
        paths.Clear();
        paths.SetCount(kQVStandardFolderCount);
        return 0;
    }
    return InitStandardPathsFrom(GetSystemBases());
}

int QVStandardFolders::InitStandardPathsFrom(QVStandardFolderBases const& bases)
{
    ATArray<AKFilePath>& paths = Paths();
    paths.Clear();
    paths.SetCount(kQVStandardFolderCount);

    AKFilePath const application = InDirectoryForm(bases.applicationDir);
    AKFilePath const root = ParentFolderPath(application);
    AKFilePath user = root;
    if (bases.bundled) {
        user = UserFolderOfStandardName("ApplicationSupport");
        if (!user.IsEmpty())
            user.AppendComponent(kUserFolderName);
    }

    paths[kQVStandardFolderApplication] = application;
    paths[kQVStandardFolderTemporary] = InDirectoryForm(bases.temporaryDir);
    // Folder 3 stays empty until a repository is chosen.
    paths[kQVStandardFolderApplicationRoot] = root;
    paths[kQVStandardFolderResources] = SubFolderPath(root, "Resources");
    paths[kQVStandardFolderLanguages] = SubFolderPath(root, "Resources", "Languages");
    paths[kQVStandardFolderApplicationPlugins] = SubFolderPath(root, "Plugins");
    paths[kQVStandardFolderShaders] = SubFolderPath(root, "Shaders");
    paths[kQVStandardFolderTools] = SubFolderPath(root, "Tools");
    paths[kQVStandardFolderApplicationDocuments] = SubFolderPath(root, "Documents");
    paths[kQVStandardFolderUser] = user;
    paths[kQVStandardFolderSettings] = SubFolderPath(user, "Settings");
    paths[kQVStandardFolderLibraries] = SubFolderPath(user, "Libraries");
    paths[kQVStandardFolderUserPlugins] = SubFolderPath(user, "Plugins");
    // A bundled program offers the scripts of its menu from their own folder.
    paths[kQVStandardFolderScripts] = SubFolderPath(user, bases.bundled ? "ScriptsInMenu" : "Scripts");
    paths[kQVStandardFolderTemplates] = SubFolderPath(user, "Templates");
    paths[kQVStandardFolderDocumentation] = SubFolderPath(user, "Documentation");
    paths[kQVStandardFolderHome] = UserFolderOfStandardName("User");
    paths[kQVStandardFolderDesktop] = UserFolderOfStandardName("Desktop");
    paths[kQVStandardFolderUserDocuments] = UserFolderOfStandardName("Documents");
    paths[kQVStandardFolderPictures] = UserFolderOfStandardName("Pictures");
    paths[kQVStandardFolderMovies] = UserFolderOfStandardName("Movies");
    paths[kQVStandardFolderMusic] = UserFolderOfStandardName("Music");
    return 0;
}

void QVStandardFolders::TerminateStandardPaths() { Paths().Clear(); }

AKFilePath const& QVStandardFolders::GetStandardPath(unsigned int folder)
{
    ATArray<AKFilePath> const& paths = Paths();
    if (folder >= paths.Count())
        return EmptyPath();
    if (folder != kQVStandardFolderRepository)
        return paths[folder];
    QVStandardFoldersTable::sRepositoryUsed = true;
    if (QVStandardFoldersTable::sRepositoryOk && !paths[kQVStandardFolderRepository].IsEmpty())
        return paths[kQVStandardFolderRepository];
    return paths[kQVStandardFolderTemporary];
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
    ATArray<AKFilePath>& paths = Paths();
    if (paths.Count() < kQVStandardFolderCount)
        paths.SetCount(kQVStandardFolderCount);
    paths[folder] = InDirectoryForm(path);
}

AKFilePath const& QVGetStandardPath(unsigned int folder) { return QVStandardFolders::GetStandardPath(folder); }

AKFilePath QVGetStandardFilePath(unsigned int folder, AKString const& name)
{
    return QVStandardFolders::GetStandardFilePath(folder, name);
}

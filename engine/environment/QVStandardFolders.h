#pragma once

// QVStandardFolders: the engine's table of standard folders, numbered 0 to
// 23, through which it finds the files it owns, and the user repository
// (folder 3). Each entry is a folder path in directory form, or empty when
// the engine has no such folder. The table has no entries before
// InitStandardPaths and after TerminateStandardPaths: every look-up then
// gives the empty path.
//
// Two bases decide the table: the application folder (folder 1, the folder
// holding the bundle for a program that runs from an "app" bundle, else the
// program's own folder) and whether the program runs from a bundle. The
// application root (folder 4) is the application folder's parent; the user
// folder (folder 11) is "Orvel-Player" in the user's application-support
// folder for a bundled program, else the application root. The user's own
// folders (18 to 23) and the temporary folder (2) come from the file layer.
// Nothing is created on disk: callers create what they write into.
//
// Folder 3 is a folder the host may choose once with InitRepository. Until
// it is chosen, and while it is unusable, look-ups of folder 3 give the
// temporary folder; the first look-up of folder 3 closes the choice.
//
// The table is written while the engine starts or stops (and by tests,
// through SetStandardPath), on one thread; afterwards it is only read. The
// repository is chosen and looked up on the main thread.

#include "AKFilePath.h"
#include "AKString.h"

constexpr unsigned int kQVStandardFolderCount = 24;

constexpr unsigned int kQVStandardFolderNone = 0;
constexpr unsigned int kQVStandardFolderApplication = 1;
constexpr unsigned int kQVStandardFolderTemporary = 2;
constexpr unsigned int kQVStandardFolderRepository = 3;
constexpr unsigned int kQVStandardFolderApplicationRoot = 4;
constexpr unsigned int kQVStandardFolderResources = 5;
constexpr unsigned int kQVStandardFolderLanguages = 6;
constexpr unsigned int kQVStandardFolderApplicationPlugins = 7;
constexpr unsigned int kQVStandardFolderShaders = 8;
constexpr unsigned int kQVStandardFolderTools = 9;
constexpr unsigned int kQVStandardFolderApplicationDocuments = 10;
constexpr unsigned int kQVStandardFolderUser = 11;
// The folder that holds the settings files.
constexpr unsigned int kQVStandardFolderSettings = 12;
constexpr unsigned int kQVStandardFolderLibraries = 13;
constexpr unsigned int kQVStandardFolderUserPlugins = 14;
constexpr unsigned int kQVStandardFolderScripts = 15;
constexpr unsigned int kQVStandardFolderTemplates = 16;
constexpr unsigned int kQVStandardFolderDocumentation = 17;
constexpr unsigned int kQVStandardFolderHome = 18;
constexpr unsigned int kQVStandardFolderDesktop = 19;
constexpr unsigned int kQVStandardFolderUserDocuments = 20;
constexpr unsigned int kQVStandardFolderPictures = 21;
constexpr unsigned int kQVStandardFolderMovies = 22;
constexpr unsigned int kQVStandardFolderMusic = 23;

// What the table is resolved from.
struct QVStandardFolderBases {
    AKFilePath applicationDir;  // folder 1
    bool bundled = false;       // the program runs from an "app" bundle
    AKFilePath temporaryDir;    // folder 2
};

class QVStandardFolders
{
public:
    // The bases of the running program, from the file layer.
    static QVStandardFolderBases GetSystemBases();

    // Makes the table 24 empty entries; when the engine's standard-folders
    // option is on, resolves them from the running program. Returns 0.
    static int InitStandardPaths();
    // Makes the table 24 entries resolved from the given bases. Returns 0.
    static int InitStandardPathsFrom(QVStandardFolderBases const& bases);
    // Leaves the table without entries.
    static void TerminateStandardPaths();

    // The folder of that number, or the shared empty path for a number
    // beyond the table. Folder 3 gives the repository when one is chosen and
    // usable, else folder 2, and closes the repository choice.
    static AKFilePath const& GetStandardPath(unsigned int folder);
    // A new path made of that folder (with the repository rule for folder 3)
    // and the file name. An empty folder gives the empty path, never the bare
    // file name, which would name a file in whatever the current folder
    // happens to be.
    static AKFilePath GetStandardFilePath(unsigned int folder, AKString const& name);

    // Sets one entry, in directory form (the empty path empties it); the
    // table is made 24 entries first when it has none. Nothing for a number
    // of 24 or more.
    static void SetStandardPath(unsigned int folder, AKFilePath const& path);

    // --- User repository ---

    // The engine start allows the repository and reopens the choice; the
    // engine stop disallows it.
    static void OpenRepository();
    static void CloseRepository();

    // Chooses the folder as the repository (the temporary folder itself
    // counts as no choice) and proves it writable with a probe file of 512
    // bytes, created and removed while error logging is muted. 0 when it is
    // usable; kQVErrorCantFindRepository (logged) when it is not, leaving
    // folder 3 on the temporary folder; -1 (silent, nothing changed) without
    // a table or once folder 3 was looked up.
    static int InitRepository(AKFilePath const& path);
    // Folder 3 as stored, without the temporary-folder rule; the empty path
    // without a table.
    static AKFilePath const& GetUserRepository();
    static bool IsUserRepositoryOk();
    // Whether folder 3 has been looked up since the choice was last opened.
    static bool IsUserRepositoryUsed();

    QVStandardFolders() = delete;
};

// The engine's look-ups of a standard folder, and of a file in one, by
// number: the same answers as QVStandardFolders.
AKFilePath const& QVGetStandardPath(unsigned int folder);
AKFilePath QVGetStandardFilePath(unsigned int folder, AKString const& name);

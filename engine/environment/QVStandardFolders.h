#pragma once

// QVStandardFolders: the engine's table of standard folders, numbered 0 to
// 23, through which it finds the files it owns. Each entry is a folder path
// in directory form, or empty when the engine has no such folder. The table
// has no entries before InitStandardPaths and after TerminateStandardPaths:
// every look-up then gives the empty path.
//
// InitStandardPaths fills what the engine needs so far: folder 12, the
// "Settings" folder inside the user's application-support folder
// "Orvel-Player", where the settings files of every subsystem live. Nothing
// is created on disk: callers create what they write into.
//
// The table is written while the engine starts or stops (and by tests,
// through SetStandardPath), on one thread; afterwards it is only read.

#include "AKFilePath.h"
#include "AKString.h"

constexpr unsigned int kQVStandardFolderCount = 24;
// The folder that holds the settings files.
constexpr unsigned int kQVStandardFolderSettings = 12;

class QVStandardFolders
{
public:
    // Makes the table 24 empty entries, then resolves the folders; returns 0.
    static int InitStandardPaths();
    // Leaves the table without entries.
    static void TerminateStandardPaths();

    // The folder of that number, or the shared empty path for a number
    // beyond the table.
    static AKFilePath const& GetStandardPath(unsigned int folder);
    // A new path made of that folder and the file name. An empty folder
    // gives the empty path, never the bare file name, which would name a
    // file in whatever the current folder happens to be.
    static AKFilePath GetStandardFilePath(unsigned int folder, AKString const& name);

    // Sets one entry, in directory form (the empty path empties it); the
    // table is made 24 entries first when it has none. Nothing for a number
    // of 24 or more.
    static void SetStandardPath(unsigned int folder, AKFilePath const& path);

    QVStandardFolders() = delete;
};

// The engine's look-up of a file in a standard folder by number: the same
// answer as QVStandardFolders::GetStandardFilePath.
AKFilePath QVGetStandardFilePath(unsigned int folder, AKString const& name);

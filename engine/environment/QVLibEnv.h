#pragma once

// QVLibEnv: the engine's front door. A host calls Initialize once before it
// touches any engine object and Terminate once at the end. In between, the
// object classes of a document tree are registered, the standard folders
// are resolved, the document type "Score" is known, the global preferences
// hold their defaults and the engine answers the layers below it.
//
// Both run on the thread that starts and stops the engine (the main thread
// in the application). The engine is started once per process: a second
// start after a stop would register the document type again.

#include "AKFilePath.h"
#include "AKString.h"
#include "QVStandardFolders.h"

class AKValue;

// The application's name and version, as the properties and the banner give them.
extern char const kQVApplicationName[];
extern char const kQVApplicationVersion[];

class QVLibEnv
{
public:
    // Starts the engine, logging the banner when asked: 0, or -1 (silent,
    // nothing changed) when it is already started.
    static int Initialize(bool logWelcome);
    // Stops the engine: managers terminated, classes forgotten, folders
    // emptied, then "# Orvel-Player has terminated." is logged. Nothing when
    // it is not started.
    static void Terminate();
    static bool IsInitialized() { return sInitialized; }

    // Logs "# Orvel-Player 1.7.0 Starts (...)." between two empty lines.
    static void LogWelcome();
    // Registers the engine's object classes, each with its names; nothing
    // when the class manager refuses a registration pass.
    static void InitClasses();

    // "ApplicationName", "ApplicationVersion" (strings) and
    // "ApplicationDirPath" (a file path: folder 1). Any other key empties
    // the value and fails with kQVErrorApplicationUnknownProperty (logged).
    static int GetApplicationProperty(AKString const& key, AKValue* value);

    // --- Standard folders (QVStandardFolders) ---

    static int InitStandardPaths();
    static AKFilePath const& GetStandardPath(unsigned int folder);
    // -1 (silent) while the engine is not started; else as
    // QVStandardFolders::InitRepository.
    static int InitRepository(AKFilePath const& path);
    // Folder 3 as stored while the engine is started, else the empty path.
    static AKFilePath const& GetUserRepository();
    static bool IsUserRepositoryOk();
    // Prints nothing: the table is read through the look-ups.
    static void DebugPrintStandardPaths() {}

    QVLibEnv() = delete;

private:
    static bool sInitialized;
};

// The same as QVLibEnv::GetApplicationProperty.
int QVGetApplicationProperty(AKString const& key, AKValue* value);

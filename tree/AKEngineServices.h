#pragma once

// AKEngineServices: what the object tree asks of the engine above it. The
// tree cannot see the engine's headers, so the engine installs an object of
// its own at start-up; until then, and after Install(nullptr), a do-nothing
// base answers.
//
// The engine's standard folders answer through a function of their own,
// installed apart from the object (InstallStandardFilePathProc), so that the
// document types and the folders can be set up and torn down independently.

#include "AKFilePath.h"
#include "AKString.h"

class AKClassArray;

// The engine's standard folder that holds the settings files.
constexpr unsigned int kQVStandardFolderSettings = 12;

// The path of a file of that name in the engine's standard folder of that
// number; the empty path when the folder is unknown or empty.
typedef AKFilePath (*AKStandardFilePathProc)(unsigned int folder, AKString const& name);

class AKEngineServices
{
public:
    AKEngineServices() = default;
    virtual ~AKEngineServices() = default;

    AKEngineServices(AKEngineServices const&) = delete;
    AKEngineServices& operator=(AKEngineServices const&) = delete;

    // Empties the array, then appends the registered classes that a document
    // of the type accepts directly under its root folder. Base: none.
    virtual void GetAuthoChildClasses(unsigned int documentType, AKClassArray* classes) const;
    // Whether the type number names a registered document type. Base: false.
    virtual bool IsValidDocumentType(unsigned int documentType) const;
    // The path of a file of that name in the engine's standard folder of
    // that number. Base: the answer of the installed standard-folders
    // function, or the empty path without one.
    virtual AKFilePath GetStandardFilePath(unsigned int folder, AKString const& name) const;

    // The installed services are not owned: the installer keeps them alive
    // until it installs others or null.
    static void Install(AKEngineServices const* services);
    static AKEngineServices const& Get();

    // Null gives the empty path back to every look-up.
    static void InstallStandardFilePathProc(AKStandardFilePathProc proc);
    static AKStandardFilePathProc GetStandardFilePathProc();
};

// The tree's way to the engine's standard folders: creates nothing and never
// fails; the empty path when the engine has no such folder.
AKFilePath QVGetStandardFilePath(unsigned int folder, AKString const& name);

#pragma once

// AKEngineServices: what the object tree asks of the engine above it. The
// tree cannot see the engine's headers, so the engine installs an object of
// its own at start-up; until then, and after Install(nullptr), this
// do-nothing base answers.
//
// The tree knows no engine numbers (document type numbers come from its
// callers, folder numbers stay in the engine): it asks for what it needs by
// purpose.

#include "AKFilePath.h"
#include "AKString.h"

class AKClassArray;

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
    // The path of a file of that name in the engine's settings folder, where
    // every subsystem keeps its settings files; nothing is created. Base, and
    // an engine without that folder: the empty path.
    virtual AKFilePath GetSettingsFilePath(AKString const& name) const;

    // The installed services are not owned: the installer keeps them alive
    // until it installs others or null.
    static void Install(AKEngineServices const* services);
    static AKEngineServices const& Get();
};

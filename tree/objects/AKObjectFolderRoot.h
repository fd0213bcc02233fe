#pragma once

// AKObjectFolderRoot ("foldRot"): the object of every tree's root node. It
// keeps the list of classes allowed directly under the root: any object for
// a new root folder, the document type's root classes once set up from it.

#include "AKClassArray.h"
#include "AKObject.h"

class AKObjectFolderRoot : public AKObject
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(AKObjectFolderRoot, "foldRot")

    // Allows the base object class: the root accepts any object.
    AKObjectFolderRoot();
    explicit AKObjectFolderRoot(AKClassArray const& allowed);
    ~AKObjectFolderRoot() override = default;

    // Replaces the allowed classes by a copy of the array.
    void SetupRootAuthoChildClasses(AKClassArray const& allowed);
    // Replaces them by the allowed root classes of a document type, asked of
    // the engine (AKEngineServices).
    void SetupRootAuthoChildClassesFromDocumentType(unsigned int documentType);

    // The null-terminated list; null when it is empty.
    AKClass const** akmGetAuthoChildClasses() const override;

private:
    // The allowed classes followed by one null entry.
    ATArray<AKClass const*> fAuthoChildClasses;
};

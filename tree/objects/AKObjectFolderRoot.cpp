// AKObjectFolderRoot: the root folder and its allowed child classes.

#include "AKObjectFolderRoot.h"

#include "AKEngineServices.h"

AKObjectFolderRoot::AKObjectFolderRoot() : AKObject(0)
{
    AKClassArray allowed;
    if (AKObject::_Class() != nullptr)
        allowed.Push(AKObject::_Class());
    SetupRootAuthoChildClasses(allowed);
}

AKObjectFolderRoot::AKObjectFolderRoot(AKClassArray const& allowed) : AKObject(0)
{
    SetupRootAuthoChildClasses(allowed);
}

void AKObjectFolderRoot::SetupRootAuthoChildClasses(AKClassArray const& allowed)
{
    // Null entries would end the null-terminated list early: they are left out.
    fAuthoChildClasses.Clear();
    fAuthoChildClasses.Reserve(allowed.Count() + 1);
    for (AKClass const* aClass : allowed) {
        if (aClass != nullptr)
            fAuthoChildClasses.Push(aClass);
    }
    fAuthoChildClasses.Push(nullptr);
}

void AKObjectFolderRoot::SetupRootAuthoChildClassesFromDocumentType(unsigned int documentType)
{
    AKClassArray allowed;
    AKEngineServices::Get().GetAuthoChildClasses(documentType, &allowed);
    SetupRootAuthoChildClasses(allowed);
}

AKClass const** AKObjectFolderRoot::akmGetAuthoChildClasses() const
{
    if (fAuthoChildClasses.Count() <= 1)
        return nullptr;
    return const_cast<AKClass const**>(fAuthoChildClasses.Data());
}

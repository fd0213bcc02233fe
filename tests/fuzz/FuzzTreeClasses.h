#pragma once

// Classes and a document type for the fuzz targets that build trees. The
// registry is filled once per process with:
//   "object"  AKObject (the top class, abstract)
//   "foldRot" AKObjectFolderRoot
//   "fzItem"  FuzzItem    a number: an unsigned 32-bit word after the base
//                         data in the file form, "Value" in the dictionary
//   "fzFold"  FuzzFolder  takes items and folders as children
// and engine services of our own answer for the document type
// kFuzzDocumentType, whose root takes folders and items.

#include "AKClass.h"
#include "AKClassArray.h"
#include "AKClassMgr.h"
#include "AKDictionary.h"
#include "AKEngineServices.h"
#include "AKFile.h"
#include "AKFileTypedIO.h"
#include "AKLog.h"
#include "AKMemoryBlock.h"
#include "AKObject.h"
#include "AKObjectFolderRoot.h"
#include "AKTree.h"
#include "AKValueTyped.h"

constexpr unsigned int kFuzzDocumentType = 1;

class FuzzItem : public AKObject
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(FuzzItem, "fzItem")

    FuzzItem() : AKObject(0) {}

    int akmInitFromFile(AKFile const& file, unsigned int how) override
    {
        int status = AKObject::akmInitFromFile(file, how);
        return status != 0 ? status : AKFileReadUInt32(file, &mValue);
    }
    int akmWriteToFile(AKFile& file) const override
    {
        int status = AKObject::akmWriteToFile(file);
        return status != 0 ? status : AKFileWriteUInt32(file, mValue);
    }
    int akmInitFromDictionary(AKDictionary const& dictionary) override
    {
        int status = AKObject::akmInitFromDictionary(dictionary);
        AKValueGetasUInt(dictionary.GetValue("Value"), &mValue, false);
        return status;
    }
    int akmWriteToDictionary(AKDictionary& dictionary) const override
    {
        int status = AKObject::akmWriteToDictionary(dictionary);
        return status != 0 ? status : dictionary.SetValue("Value", AKValueSetasUInt(mValue));
    }

private:
    unsigned int mValue = 0;
};

class FuzzFolder : public AKObject
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(FuzzFolder, "fzFold")

    FuzzFolder() : AKObject(0)
    {
        mAllowed[0] = FuzzItem::_Class();
        mAllowed[1] = FuzzFolder::_Class();
    }

    AKClass const** akmGetAuthoChildClasses() const override
    {
        return mAllowed[0] != nullptr ? const_cast<AKClass const**>(mAllowed) : nullptr;
    }

private:
    AKClass const* mAllowed[3] = {nullptr, nullptr, nullptr};
};

// The engine's answers the tree needs: the one document type and its root classes.
class FuzzEngineServices : public AKEngineServices
{
public:
    void GetAuthoChildClasses(unsigned int documentType, AKClassArray* classes) const override
    {
        classes->Clear();
        if (documentType == kFuzzDocumentType) {
            classes->Push(FuzzFolder::_Class());
            classes->Push(FuzzItem::_Class());
        }
    }
    bool IsValidDocumentType(unsigned int documentType) const override { return documentType == kFuzzDocumentType; }
};

// Mutes the error log, registers the classes and installs the services,
// once per process.
inline void FuzzTreeSetUp()
{
    static bool sDone = false;
    if (sDone)
        return;
    sDone = true;
    AKLogErrorMute();
    AKClassMgr& registry = AKClassMgr::sShared;
    int status = registry.RegisterBegin();
    if (status == 0)
        status =
            registry.RegisterClass(AKClassInfoOfAbstract<AKObject>(AKObject::_ClassID(), "AKObject"), false, nullptr);
    if (status == 0)
        status = registry.RegisterClass(
            AKClassInfoOfConcrete<AKObjectFolderRoot>(AKObject::_ClassID(), "AKObjectFolderRoot"), false, nullptr);
    if (status == 0)
        status =
            registry.RegisterClass(AKClassInfoOfConcrete<FuzzItem>(AKObject::_ClassID(), "FuzzItem"), false, nullptr);
    if (status == 0)
        status = registry.RegisterClass(AKClassInfoOfConcrete<FuzzFolder>(AKObject::_ClassID(), "FuzzFolder"), false,
                                        nullptr);
    if (status == 0)
        status = registry.RegisterComplete(nullptr);
    if (status != 0)
        __builtin_trap();
    static FuzzEngineServices const sServices;
    AKEngineServices::Install(&sServices);
}

// Stops the process when the tree breaks one of its invariants.
inline void FuzzRequireCoherent(AKTree const& tree)
{
    if (tree.CheckTreeCoherency() != 0)
        __builtin_trap();
}

// The tree's 'TREE' chunk in a new memory stream.
inline AKMemoryBlock FuzzTreeChunkBytes(AKTree const& tree)
{
    AKFile stream(kAKFileModeMemoryStream);
    AKMemoryBlock bytes;
    if (stream.CreateForReadWrite() != 0 || tree.WriteToBinFile(stream) != 0)
        __builtin_trap();
    stream.GetMemoryStreamDataBlock(&bytes);
    return bytes;
}

#pragma once

// Classes, a document type and a global test environment shared by the
// programs under tests/tree (include this header once per program). The
// environment registers, once per program:
//   "object"  AKObject (the top class, abstract)
//   "foldRot" AKObjectFolderRoot
//   "tstBase" TestBaseObject (abstract)
//   "tstItem" TestItem      : tstBase   a number and a failure switch
//   "tstSub"  TestSubItem   : tstItem
//   "tstFold" TestFolder    : tstBase   accepts tstItem (and its kinds) as children
// and the document type "TreeTest" (extension "tst", root classes tstFold
// and tstItem), installs the document types as the tree's engine services
// and keeps its type number in TreeTestDocumentType().
//
// TestItem's forms: the number follows the base data in the file form
// (unsigned 32-bit) and sits under "Value" in the dictionary form; "-value:N"
// sets it from arguments. "-fail" in the arguments, a "Fail" key in a
// dictionary or the number 0xBAD in a file make the initialisation fail.

#include "AKArgumentList.h"
#include "AKClass.h"
#include "AKClassArray.h"
#include "AKClassMgr.h"
#include "AKDictionary.h"
#include "AKFileTypedIO.h"
#include "AKObject.h"
#include "AKObjectFolderRoot.h"
#include "AKStringArray.h"
#include "AKValueTyped.h"
#include "QVDocumentTypeMgr.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

class TestBaseObject : public AKObject
{
public:
    AKCLASS_DECLARE_HOOKS("tstBase")

protected:
    explicit TestBaseObject(unsigned int options) : AKObject(options) {}
};

class TestItem : public TestBaseObject
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(TestItem, "tstItem")

    static constexpr unsigned int kFailingValue = 0xBAD;

    TestItem() : TestBaseObject(0) { ++LiveCount(); }
    ~TestItem() override
    {
        --LiveCount();
        DeletedValues().push_back(fValue);
    }

    // Objects of the class (and its subclasses) alive right now.
    static int& LiveCount()
    {
        static int sCount = 0;
        return sCount;
    }
    // The numbers of the objects deleted so far, in order of deletion.
    static std::vector<unsigned int>& DeletedValues()
    {
        static std::vector<unsigned int> sValues;
        return sValues;
    }

    unsigned int GetValue() const { return fValue; }
    void SetValue(unsigned int value) { fValue = value; }

    int akmInitWithArgs(AKArgs const& args) override
    {
        int status = TestBaseObject::akmInitWithArgs(args);
        AKString value;
        if (args.GetParam("-value:", &value))
            fValue = static_cast<unsigned int>(std::strtoul(value.c_str(), nullptr, 10));
        return status != 0 ? status : (args.IsParam("-fail") ? -1 : 0);
    }
    int akmInitFromFile(AKFile const& file, unsigned int how) override
    {
        int status = TestBaseObject::akmInitFromFile(file, how);
        if (status == 0)
            status = AKFileReadUInt32(file, &fValue);
        return status != 0 ? status : (fValue == kFailingValue ? -1 : 0);
    }
    int akmWriteToFile(AKFile& file) const override
    {
        int status = TestBaseObject::akmWriteToFile(file);
        return status != 0 ? status : AKFileWriteUInt32(file, fValue);
    }
    int akmInitFromDictionary(AKDictionary const& dictionary) override
    {
        int status = TestBaseObject::akmInitFromDictionary(dictionary);
        AKValueGetasUInt(dictionary.GetValue("Value"), &fValue, false);
        return status != 0 ? status : (dictionary.ContainsKey("Fail") ? -1 : 0);
    }
    int akmWriteToDictionary(AKDictionary& dictionary) const override
    {
        int status = TestBaseObject::akmWriteToDictionary(dictionary);
        return status != 0 ? status : dictionary.SetValue("Value", AKValueSetasUInt(fValue));
    }

protected:
    explicit TestItem(unsigned int options) : TestBaseObject(options) { ++LiveCount(); }

private:
    unsigned int fValue = 0;
};

class TestSubItem : public TestItem
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(TestSubItem, "tstSub")

    TestSubItem() : TestItem(0) {}
};

class TestFolder : public TestBaseObject
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(TestFolder, "tstFold")

    TestFolder() : TestBaseObject(0) { fAllowed[0] = TestItem::_Class(); }

    AKClass const** akmGetAuthoChildClasses() const override
    {
        return fAllowed[0] != nullptr ? const_cast<AKClass const**>(fAllowed) : nullptr;
    }

private:
    AKClass const* fAllowed[2] = {nullptr, nullptr};
};

// Opens a pass, registers the test classes (built-in) and completes it.
// Returns the completion status.
inline int TreeTestRegisterClasses()
{
    AKClassMgr& registry = AKClassMgr::sShared;
    registry.Terminate();
    int status = registry.RegisterBegin();
    AKClass* item = nullptr;
    if (status == 0)
        status = registry.RegisterClass(AKClassInfoOfAbstract<AKObject>(AKObject::_ClassID(), "AKObject"), false, nullptr);
    if (status == 0)
        status = registry.RegisterClass(
            AKClassInfoOfConcrete<AKObjectFolderRoot>(AKObject::_ClassID(), "AKObjectFolderRoot"), false, nullptr);
    if (status == 0)
        status = registry.RegisterClass(AKClassInfoOfAbstract<TestBaseObject>(AKObject::_ClassID(), "TestBaseObject"),
                                        false, nullptr);
    if (status == 0)
        status = registry.RegisterClass(AKClassInfoOfConcrete<TestItem>(TestBaseObject::_ClassID(), "TestItem"), false,
                                        &item);
    if (status == 0)
        status = AKClass::SetClassName(item, "item", "Item", "");
    if (status == 0)
        status = registry.RegisterClass(AKClassInfoOfConcrete<TestSubItem>(TestItem::_ClassID(), "TestSubItem"), false,
                                        nullptr);
    if (status == 0)
        status = registry.RegisterClass(AKClassInfoOfConcrete<TestFolder>(TestBaseObject::_ClassID(), "TestFolder"),
                                        false, nullptr);
    if (status == 0)
        status = registry.RegisterComplete(nullptr);
    return status;
}

// The number of the test document type, 0 before the environment set up.
inline unsigned int& TreeTestDocumentType()
{
    static unsigned int sType = 0;
    return sType;
}

class TreeTestEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        ASSERT_EQ(TreeTestRegisterClasses(), 0);
        if (TreeTestDocumentType() == 0) {
            QVDocumentTypeMgr& types = QVDocumentTypeMgr::sShared;
            types.RegisterDocumentTypeInfo(QVDocumentTypeInfo(types.CountDocumentTypes() + 1, "TreeTest", "tst",
                                                              TestFolder::_ClassID(), TestItem::_ClassID(),
                                                              kAKNullClassID, kAKNullClassID));
            TreeTestDocumentType() = types.CountDocumentTypes();
        }
        QVDocumentTypeMgr::InstallAsEngineServices();
    }
    void TearDown() override
    {
        QVDocumentTypeMgr::UninstallEngineServices();
        AKClassMgr::sShared.Terminate();
    }
};

inline ::testing::Environment* const kTreeTestEnvironment =
    ::testing::AddGlobalTestEnvironment(new TreeTestEnvironment());

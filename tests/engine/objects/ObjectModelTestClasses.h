#pragma once

// Stand-ins for the object-model classes the folders name by ID (sequence,
// player base, single and multi-player), a plain concrete poolable, and a
// test environment registering them with the real folders, under a document
// type whose root takes the three folders.

#include "AKClassMgr.h"
#include "AKObjectFolderRoot.h"
#include "EngineTreeFixtures.h"
#include "FakeEngineServices.h"
#include "QVObjectFolders.h"
#include "QVObjectPlayable.h"
#include "QVObjectPoolable.h"

#include <gtest/gtest.h>

class TestPoolable : public QVObjectPoolable
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(TestPoolable, "tstPool")
    TestPoolable() : QVObjectPoolable(0) {}
};

class TestSequence : public QVObjectPlayable
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(TestSequence, "sequenc")
    TestSequence() : QVObjectPlayable(0, kQVPlayableKindSequence) {}
    AKString akmGetName() const override { return fName.IsEmpty() ? AKString("Sequence") : fName; }
    void SynchronizeFLFastLinks(AKObject* parent, unsigned int index) override
    {
        mParent = parent;
        mIndex = index;
        ++mSyncCount;
    }
    AKObject* mParent = nullptr;
    unsigned int mIndex = 99;
    unsigned int mSyncCount = 0;
};

class TestCursor : public QVObjectZlayer
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(TestCursor, "cursor")
    TestCursor() : QVObjectZlayer(0, kQVPlayableKindCursor) {}
};

class TestAtomic : public QVObjectZlayer
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(TestAtomic, "atomic")
    TestAtomic() : QVObjectZlayer(0, kQVPlayableKindAtomic) {}
};

inline FakeEngineServices& ObjectModelServices()
{
    static FakeEngineServices sServices;
    return sServices;
}

inline unsigned int& ObjectModelDocumentType()
{
    static unsigned int sType = 0;
    return sType;
}

class ObjectModelEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        AKClassID const object = AKObject::_ClassID();
        RegisterClassesAfresh({
            AKClassInfoOfAbstract<AKObject>(object, "AKObject"),
            AKClassInfoOfConcrete<AKObjectFolderRoot>(object, "AKObjectFolderRoot"),
            AKClassInfoOfAbstract<QVObjectPoolable>(object, "QVObjectPoolable"),
            AKClassInfoOfAbstract<QVObjectPlayable>(QVObjectPoolable::_ClassID(), "QVObjectPlayable"),
            AKClassInfoOfAbstract<QVObjectZlayer>(QVObjectPlayable::_ClassID(), "QVObjectZlayer"),
            AKClassInfoOfConcrete<TestCursor>(QVObjectZlayer::_ClassID(), "TestCursor"),
            AKClassInfoOfConcrete<TestAtomic>(QVObjectZlayer::_ClassID(), "TestAtomic"),
            AKClassInfoOfConcrete<TestSequence>(QVObjectPlayable::_ClassID(), "TestSequence"),
            AKClassInfoOfConcrete<TestPoolable>(QVObjectPoolable::_ClassID(), "TestPoolable"),
            AKClassInfoOfConcrete<QVObjectFolderCursor>(object, "QVObjectFolderCursor"),
            AKClassInfoOfConcrete<QVObjectFolderSequence>(object, "QVObjectFolderSequence"),
            AKClassInfoOfConcrete<QVObjectFolderTemp>(object, "QVObjectFolderTemp"),
        });
        if (::testing::Test::HasFatalFailure())
            return;
        if (ObjectModelDocumentType() == 0)
            ObjectModelDocumentType() = ObjectModelServices().AddDocumentType(
                {QVObjectFolderSequence::_ClassID(), QVObjectFolderCursor::_ClassID(), QVObjectFolderTemp::_ClassID()});
        AKEngineServices::Install(&ObjectModelServices());
    }
    void TearDown() override
    {
        AKEngineServices::Install(nullptr);
        AKClassMgr::sShared.Terminate();
    }
};

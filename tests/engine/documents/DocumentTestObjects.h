#pragma once

// Stand-ins for the engine's sequences, players and tracks in the document
// tests, with a global environment that registers them (include this header
// once per program):
//   "tsSeq"   TestSequence  under the root; holds players and tracks
//   "tsPlay"  TestPlayer    holds players (its subs)
//   "track"   TestTrack     (the class name that selects the track paths)
// The document type (number 1, "Score" / "qvd") takes sequences under its
// root; the engine services are installed so the tree sees it. The name-path
// navigator walks these classes by the tree's child order.

#include "AKClassMgr.h"
#include "AKNode.h"
#include "AKObjectFolderRoot.h"
#include "AKTree.h"
#include "AKTreeActionParam.h"
#include "QVDocument.h"
#include "QVDocumentObjectPaths.h"
#include "QVDocumentTreeHandler.h"
#include "QVDocumentTypeMgr.h"
#include "QVEngineServices.h"

#include <gtest/gtest.h>

class TestTrack : public AKObject
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(TestTrack, "track")
    TestTrack() : AKObject(0) {}
};

class TestPlayer : public AKObject
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(TestPlayer, "tsPlay")
    TestPlayer() : AKObject(0) {}
    AKClass const** akmGetAuthoChildClasses() const override
    {
        static AKClass const* sAllowed[2];
        sAllowed[0] = TestPlayer::_Class();
        return sAllowed;
    }
};

class TestSequence : public AKObject
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(TestSequence, "tsSeq")
    TestSequence() : AKObject(0) {}
    AKClass const** akmGetAuthoChildClasses() const override
    {
        static AKClass const* sAllowed[3];
        sAllowed[0] = TestPlayer::_Class();
        sAllowed[1] = TestTrack::_Class();
        return sAllowed;
    }
};

// The n-th child (0-based) of the object's node that is a kind of T.
template <class T>
AKObject* TestNthChildOfKind(AKObject* parent, unsigned int index)
{
    for (AKNode* node = parent->GetNodeOwner()->GetSub(); node != nullptr; node = node->GetNext()) {
        if (node->GetObject()->IsKindOfT<T>() && index-- == 0)
            return node->GetObject();
    }
    return nullptr;
}

class TestPathNavigator : public QVObjectPathNavigator
{
public:
    AKObject* FindSequenceByName(QVDocument const& document, AKString const& name) const override
    {
        AKNode const* const root = document.GetTree()->GetRootNode();
        for (AKNode* node = root != nullptr ? root->GetSub() : nullptr; node != nullptr; node = node->GetNext()) {
            if (node->GetObject()->IsKindOfT<TestSequence>() && node->GetObject()->akmGetName() == name)
                return node->GetObject();
        }
        return nullptr;
    }
    AKObject* GetTrackOfSequence(AKObject* sequence, unsigned int index) const override
    {
        return TestNthChildOfKind<TestTrack>(sequence, index);
    }
    AKObject* GetPlayerOfSequence(AKObject* sequence, unsigned int index) const override
    {
        return TestNthChildOfKind<TestPlayer>(sequence, index);
    }
    AKObject* GetSubOfPlayer(AKObject* player, unsigned int index) const override
    {
        return TestNthChildOfKind<TestPlayer>(player, index);
    }
};

class DocumentTestEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        AKClassMgr& registry = AKClassMgr::sShared;
        registry.Terminate();
        ASSERT_EQ(registry.RegisterBegin(), 0);
        ASSERT_EQ(
            registry.RegisterClass(AKClassInfoOfAbstract<AKObject>(AKObject::_ClassID(), "AKObject"), false, nullptr),
            0);
        ASSERT_EQ(
            registry.RegisterClass(
                AKClassInfoOfConcrete<AKObjectFolderRoot>(AKObject::_ClassID(), "AKObjectFolderRoot"), false, nullptr),
            0);
        ASSERT_EQ(registry.RegisterClass(AKClassInfoOfConcrete<TestSequence>(AKObject::_ClassID(), "TestSequence"),
                                         false, nullptr),
                  0);
        ASSERT_EQ(registry.RegisterClass(AKClassInfoOfConcrete<TestPlayer>(AKObject::_ClassID(), "TestPlayer"), false,
                                         nullptr),
                  0);
        ASSERT_EQ(
            registry.RegisterClass(AKClassInfoOfConcrete<TestTrack>(AKObject::_ClassID(), "TestTrack"), false, nullptr),
            0);
        ASSERT_EQ(registry.RegisterComplete(nullptr), 0);
        if (QVDocumentTypeMgr::sShared.CountDocumentTypes() == 0)
            QVDocumentTypeMgr::sShared.RegisterDocumentTypeInfo(QVDocumentTypeInfo(
                1, "Score", "qvd", TestSequence::_ClassID(), kAKNullClassID, kAKNullClassID, kAKNullClassID));
        QVEngineServices::Install();
        QVObjectPathNavigator::Install(&mNavigator);
    }
    void TearDown() override
    {
        QVObjectPathNavigator::Install(nullptr);
        QVEngineServices::Uninstall();
        AKClassMgr::sShared.Terminate();
    }

private:
    TestPathNavigator mNavigator;
};

inline ::testing::Environment* const kDocumentTestEnvironment =
    ::testing::AddGlobalTestEnvironment(new DocumentTestEnvironment());

// Adds a new object of class T named `name` as the last (or first) child of
// the parent (the root when null) through the document's tree handler; null
// on failure. `param` (may be null) receives the action's record.
template <class T>
T* TestAddObject(QVDocument& document, AKObject* parent, char const* name, AKLinkMode mode = kAKLinkModeLastChildren,
                 AKTreeActionParam* record = nullptr)
{
    T* const object = AKNew<T>("%s", "");
    if (object == nullptr)
        return nullptr;
    object->akmSetName(name, false);
    AKTreeActionParam param(document.GetTree());
    AKNode* const target = parent != nullptr ? parent->GetNodeOwner() : document.GetTree()->GetRootNode();
    param.WithNewObject(object).WithTargetNode(target, mode);
    if (document.GetTreeHandler()->DoAddNewObjects(param) != 0) {
        AKClass::DeleteObject(object);
        return nullptr;
    }
    if (record != nullptr)
        *record = param;
    return object;
}

#pragma once

// What the sequence and player tests stand on: the real sequence, players,
// track and folders registered under a document type whose root takes the
// folders, and helpers to build a document tree from its dictionary form.

#include "AKClassMgr.h"
#include "AKDictionary.h"
#include "AKNode.h"
#include "AKObjectFolderRoot.h"
#include "AKTree.h"
#include "AKValueArray.h"
#include "AKValueTyped.h"
#include "FakeEngineServices.h"
#include "QVObjectAtomic.h"
#include "QVObjectCursor.h"
#include "QVObjectFolders.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVPrefs.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

inline FakeEngineServices& SequenceTestServices()
{
    static FakeEngineServices sServices;
    return sServices;
}

inline unsigned int& SequenceTestDocumentType()
{
    static unsigned int sType = 0;
    return sType;
}

class SequenceTestEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        QVPrefs::sShared.SetupDefaults();
        AKClassMgr& registry = AKClassMgr::sShared;
        registry.Terminate();
        ASSERT_EQ(registry.RegisterBegin(), 0);
        AKClassID const object = AKObject::_ClassID();
        AKClassInfo const infos[] = {
            AKClassInfoOfAbstract<AKObject>(object, "AKObject"),
            AKClassInfoOfConcrete<AKObjectFolderRoot>(object, "AKObjectFolderRoot"),
            AKClassInfoOfAbstract<QVObjectPoolable>(object, "QVObjectPoolable"),
            AKClassInfoOfAbstract<QVObjectPlayable>(QVObjectPoolable::_ClassID(), "QVObjectPlayable"),
            AKClassInfoOfAbstract<QVObjectZlayer>(QVObjectPlayable::_ClassID(), "QVObjectZlayer"),
            AKClassInfoOfConcrete<QVObjectCursor>(QVObjectZlayer::_ClassID(), "QVObjectCursor"),
            AKClassInfoOfConcrete<QVObjectAtomic>(QVObjectZlayer::_ClassID(), "QVObjectAtomic"),
            AKClassInfoOfConcrete<QVObjectSequence>(QVObjectPlayable::_ClassID(), "QVObjectSequence"),
            AKClassInfoOfConcrete<QVObjectTrack>(QVObjectPoolable::_ClassID(), "QVObjectTrack"),
            AKClassInfoOfConcrete<QVObjectFolderCursor>(object, "QVObjectFolderCursor"),
            AKClassInfoOfConcrete<QVObjectFolderSequence>(object, "QVObjectFolderSequence"),
            AKClassInfoOfConcrete<QVObjectFolderTemp>(object, "QVObjectFolderTemp"),
        };
        for (AKClassInfo const& info : infos)
            ASSERT_EQ(registry.RegisterClass(info, false, nullptr), 0);
        ASSERT_EQ(registry.RegisterComplete(nullptr), 0);
        if (SequenceTestDocumentType() == 0)
            SequenceTestDocumentType() = SequenceTestServices().AddDocumentType(
                {QVObjectFolderSequence::_ClassID(), QVObjectFolderCursor::_ClassID(), QVObjectFolderTemp::_ClassID()});
        AKEngineServices::Install(&SequenceTestServices());
    }
    void TearDown() override
    {
        AKEngineServices::Install(nullptr);
        AKClassMgr::sShared.Terminate();
    }
};

// One object's dictionary: its class, an optional name, extra keys and its
// children.
inline AKDictionary SeqNode(char const* classID, char const* name, std::initializer_list<AKDictionary> subs = {},
                            std::initializer_list<std::pair<char const*, AKValue>> keys = {})
{
    AKDictionary dictionary;
    dictionary.SetValue("Class", AKValueSetasAKString(AKString(classID)));
    if (name != nullptr)
        dictionary.SetValue("Name", AKValueSetasAKString(AKString(name)));
    for (auto const& key : keys)
        dictionary.SetValue(key.first, key.second);
    if (subs.size() != 0) {
        AKValueArray array;
        for (AKDictionary const& sub : subs)
            array.Push(AKValueSetasAKDictionary(sub));
        dictionary.SetValue("Subs", AKValueSetasAKValueArray(array));
    }
    return dictionary;
}

// A document: the sequences given in the sequence folder, the players given
// in the player folder.
inline AKDictionary SeqDocument(std::initializer_list<AKDictionary> sequences,
                                std::initializer_list<AKDictionary> players = {})
{
    AKDictionary top;
    AKValueArray array;
    array.Push(AKValueSetasAKDictionary(SeqNode("foldSeq", nullptr, sequences)));
    array.Push(AKValueSetasAKDictionary(SeqNode("foldCrs", nullptr, players)));
    array.Push(AKValueSetasAKDictionary(SeqNode("foldTmp", nullptr)));
    top.SetValue("Subs", AKValueSetasAKValueArray(array));
    return top;
}

template <class T>
T* SeqFirstChildOfRoot(AKTree const& tree)
{
    for (AKNode* node = tree.GetRootNode()->GetSub(); node != nullptr; node = node->GetNext())
        if (node->GetObject() != nullptr && node->GetObject()->IsKindOfT<T>())
            return static_cast<T*>(node->GetObject());
    return nullptr;
}

// A loaded document with its folders linked.
struct SeqDoc {
    AKTree tree{0};
    QVObjectFolderSequence* sequences = nullptr;
    QVObjectFolderCursor* players = nullptr;

    bool Load(AKDictionary const& form)
    {
        if (tree.InitFromDictionary(form, SequenceTestDocumentType(), nullptr) != 0)
            return false;
        sequences = SeqFirstChildOfRoot<QVObjectFolderSequence>(tree);
        players = SeqFirstChildOfRoot<QVObjectFolderCursor>(tree);
        Synchronize();
        return sequences != nullptr && players != nullptr;
    }
    void Synchronize()
    {
        sequences->SynchronizeFLFastLinks();
        players->SynchronizeFLFastLinks();
    }
    QVObjectSequence* Sequence(unsigned int index) const
    {
        return static_cast<QVObjectSequence*>(sequences->GetFLSubSequences()[index]);
    }
};

// What the tree does to a parent after an edit of its children: both link
// stamps of it move.
inline void SeqChildrenChanged(AKObject* parent)
{
    parent->RaiseStamp(kAKObjectStampSubLinks);
    parent->RaiseStamp(kAKObjectStampFarSubLinks);
}

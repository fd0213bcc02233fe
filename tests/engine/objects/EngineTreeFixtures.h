#pragma once

// Building blocks shared by the tests that stand on an engine object tree:
// a fresh class registry holding the classes given (or the engine's real
// object classes), and the dictionary form of a document, built object by
// object, with a look-up of its top folders once loaded.

#include "AKClassMgr.h"
#include "AKDictionary.h"
#include "AKNode.h"
#include "AKObjectFolderRoot.h"
#include "AKTree.h"
#include "AKValueArray.h"
#include "AKValueTyped.h"
#include "QVObjectAtomic.h"
#include "QVObjectCursor.h"
#include "QVObjectFolders.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

// Empties the class registry and registers only the classes given. A failed
// step stops it with a fatal failure (the caller checks HasFatalFailure()).
inline void RegisterClassesAfresh(std::initializer_list<AKClassInfo> infos)
{
    AKClassMgr& registry = AKClassMgr::sShared;
    registry.Terminate();
    ASSERT_EQ(registry.RegisterBegin(), 0);
    for (AKClassInfo const& info : infos)
        ASSERT_EQ(registry.RegisterClass(info, false, nullptr), 0);
    ASSERT_EQ(registry.RegisterComplete(nullptr), 0);
}

// The engine's real sequence, players, track and folders.
inline void RegisterEngineObjectClasses()
{
    AKClassID const object = AKObject::_ClassID();
    RegisterClassesAfresh({
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
    });
}

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

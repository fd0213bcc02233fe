#pragma once

// What the MIDI tests stand on: the engine's real folders, sequences,
// players and tracks under a document type whose root takes the three
// folders, the engine services, the parameter table and the MIDI templates
// (which install the patcher services), and documents built from their
// dictionary form.

#include "AKClassMgr.h"
#include "AKDictionary.h"
#include "AKNode.h"
#include "AKObjectFolderRoot.h"
#include "AKTree.h"
#include "AKValueArray.h"
#include "AKValueTyped.h"
#include "QVDocument.h"
#include "QVDocumentTypeMgr.h"
#include "QVEngineServices.h"
#include "QVMidiGandler.h"
#include "QVMidiPatcher.h"
#include "QVObjectAtomic.h"
#include "QVObjectCursor.h"
#include "QVObjectFolders.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVParams.h"
#include "QVPrefs.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

class MidiTestEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        QVPrefs::sShared.SetupDefaults();
        QVParams::BuildParamInfoList();
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
        if (QVDocumentTypeMgr::sShared.CountDocumentTypes() == 0)
            QVDocumentTypeMgr::sShared.RegisterDocumentTypeInfo(
                QVDocumentTypeInfo(1, "Score", "qvd", QVObjectFolderSequence::_ClassID(),
                                   QVObjectFolderCursor::_ClassID(), QVObjectFolderTemp::_ClassID(), kAKNullClassID));
        QVEngineServices::Install();
        QVMidiGandler::sShared.InitializeWithCurrentPrefs();
    }
    void TearDown() override
    {
        QVMidiGandler::sShared.Terminate();
        QVEngineServices::Uninstall();
        AKClassMgr::sShared.Terminate();
    }
};

inline ::testing::Environment* const kMidiTestEnvironment =
    ::testing::AddGlobalTestEnvironment(new MidiTestEnvironment());

// One object's dictionary: class, optional name, extra keys, children.
inline AKDictionary MidiNode(char const* classID, char const* name, std::initializer_list<AKDictionary> subs = {},
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

// The three folders with the sequences and the free players given.
inline AKDictionary MidiDocumentForm(std::initializer_list<AKDictionary> sequences,
                                     std::initializer_list<AKDictionary> players = {})
{
    AKDictionary top;
    AKValueArray array;
    array.Push(AKValueSetasAKDictionary(MidiNode("foldSeq", nullptr, sequences)));
    array.Push(AKValueSetasAKDictionary(MidiNode("foldCrs", nullptr, players)));
    array.Push(AKValueSetasAKDictionary(MidiNode("foldTmp", nullptr)));
    top.SetValue("Subs", AKValueSetasAKValueArray(array));
    return top;
}

template <class T>
T* MidiFirstChildOfRoot(AKTree const& tree)
{
    for (AKNode* node = tree.GetRootNode()->GetSub(); node != nullptr; node = node->GetNext())
        if (node->GetObject() != nullptr && node->GetObject()->IsKindOfT<T>())
            return static_cast<T*>(node->GetObject());
    return nullptr;
}

// The n-th child (0-based) of an object in tree order.
inline AKObject* MidiChild(AKObject const* parent, unsigned int index)
{
    for (AKNode* node = parent->GetNodeOwner()->GetSub(); node != nullptr; node = node->GetNext())
        if (index-- == 0)
            return node->GetObject();
    return nullptr;
}

// A private document loaded from a form, its fast links up to date.
class MidiTestDocument
{
public:
    MidiTestDocument() : mDocument(new QVDocument(1, kQVDocumentFlagPrivate)) {}
    ~MidiTestDocument() { delete mDocument; }
    MidiTestDocument(MidiTestDocument const&) = delete;
    MidiTestDocument& operator=(MidiTestDocument const&) = delete;

    bool Load(AKDictionary const& form)
    {
        if (mDocument->GetTree()->InitFromDictionary(form, 1, nullptr) != 0)
            return false;
        mSequences = MidiFirstChildOfRoot<QVObjectFolderSequence>(*mDocument->GetTree());
        mPlayers = MidiFirstChildOfRoot<QVObjectFolderCursor>(*mDocument->GetTree());
        if (mSequences == nullptr || mPlayers == nullptr)
            return false;
        Synchronize();
        return true;
    }
    // What the document's synchronisation does after a structural change.
    void Synchronize()
    {
        QVDocumentTreeGuard::EditScope edit(mDocument->GetTreeGuard());
        mSequences->SynchronizeFLFastLinks();
        mPlayers->SynchronizeFLFastLinks();
    }
    QVDocument* Get() const { return mDocument; }
    QVObjectFolderSequence* Sequences() const { return mSequences; }
    QVObjectFolderCursor* Players() const { return mPlayers; }
    QVObjectSequence* Sequence(unsigned int index) const
    {
        return static_cast<QVObjectSequence*>(mSequences->GetFLSubSequences()[index]);
    }

private:
    QVDocument* mDocument;
    QVObjectFolderSequence* mSequences = nullptr;
    QVObjectFolderCursor* mPlayers = nullptr;
};

// The object's patcher, made when needed.
inline QVMidiPatcher* MidiPatcherOf(AKObject* object)
{
    return QVMidiGetPatcher(dynamic_cast<QVObjectPoolable*>(object));
}

// Maps the object's patch of the parameter.
inline QVMidiParamPatch* MidiMap(AKObject* object, uint32_t paramID, uint32_t type, uint32_t channel, uint32_t number,
                                 uint32_t behavior = 0)
{
    QVMidiPatcher* const patcher = MidiPatcherOf(object);
    QVMidiParamPatch* const patch = patcher != nullptr ? patcher->FindParamByTemplateID(paramID) : nullptr;
    if (patch != nullptr) {
        patch->SetMatchMidiType(type);
        patch->SetMatchMidiChannel(channel);
        patch->SetMatchMidiNumber(number);
        patch->SetDestBehavior(behavior);
    }
    return patch;
}

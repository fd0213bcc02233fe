#pragma once

// What the MIDI tests stand on: the engine's real folders, sequences,
// players and tracks under a document type whose root takes the three
// folders, the engine services, the parameter table and the MIDI templates
// (which install the patcher services), and documents built from their
// dictionary form.

#include "AKClassMgr.h"
#include "EngineTreeFixtures.h"
#include "QVDocument.h"
#include "QVDocumentTypeMgr.h"
#include "QVEngineServices.h"
#include "QVMidiGandler.h"
#include "QVMidiPatcher.h"
#include "QVParams.h"
#include "QVPrefs.h"

#include <gtest/gtest.h>

class MidiTestEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        QVPrefs::sShared.SetupDefaults();
        QVParams::BuildParamInfoList();
        RegisterEngineObjectClasses();
        if (::testing::Test::HasFatalFailure())
            return;
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
        mSequences = SeqFirstChildOfRoot<QVObjectFolderSequence>(*mDocument->GetTree());
        mPlayers = SeqFirstChildOfRoot<QVObjectFolderCursor>(*mDocument->GetTree());
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

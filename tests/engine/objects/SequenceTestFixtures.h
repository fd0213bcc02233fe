#pragma once

// What the sequence and player tests stand on: the real sequence, players,
// track and folders registered under a document type whose root takes the
// folders, and helpers to build a document tree from its dictionary form.

#include "EngineTreeFixtures.h"
#include "FakeEngineServices.h"
#include "QVPrefs.h"

#include <gtest/gtest.h>

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
        RegisterEngineObjectClasses();
        if (::testing::Test::HasFatalFailure())
            return;
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

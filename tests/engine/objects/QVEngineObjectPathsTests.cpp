// The engine's name-path navigator: OSC name paths resolved through a
// document made of the real folders, sequences, players and tracks.

#include "QVDocument.h"
#include "QVDocumentTypeMgr.h"
#include "QVEngineObjectPaths.h"
#include "QVEngineServices.h"
#include "SequenceTestFixtures.h"

#include <gtest/gtest.h>

namespace {

// The sequence test classes, plus a document type whose root takes the three
// folders, the engine services and the engine's navigator.
class EnginePathsEnvironment : public SequenceTestEnvironment
{
public:
    void SetUp() override
    {
        SequenceTestEnvironment::SetUp();
        if (QVDocumentTypeMgr::sShared.CountDocumentTypes() == 0)
            QVDocumentTypeMgr::sShared.RegisterDocumentTypeInfo(
                QVDocumentTypeInfo(1, "Score", "qvd", QVObjectFolderSequence::_ClassID(),
                                   QVObjectFolderCursor::_ClassID(), QVObjectFolderTemp::_ClassID(), kAKNullClassID));
        QVEngineServices::Install();
        QVObjectPathNavigator::Install(&QVEngineObjectPaths::sShared);
    }
    void TearDown() override
    {
        QVObjectPathNavigator::Install(nullptr);
        QVEngineServices::Uninstall();
        SequenceTestEnvironment::TearDown();
    }
};

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new EnginePathsEnvironment());

// The n-th child (0-based) of an object in tree order, whatever its class.
AKObject* Child(AKObject* parent, unsigned int index)
{
    for (AKNode* node = parent->GetNodeOwner()->GetSub(); node != nullptr; node = node->GetNext())
        if (index-- == 0)
            return node->GetObject();
    return nullptr;
}

AKDictionary Subs(char const* name, unsigned int count)
{
    AKDictionary cursor = SeqNode("cursor", name);
    AKValueArray array;
    for (unsigned int i = 0; i < count; ++i)
        array.Push(AKValueSetasAKDictionary(SeqNode("atomic", nullptr)));
    cursor.SetValue("Subs", AKValueSetasAKValueArray(array));
    return cursor;
}

// "Intro": track A, single player P1, multi-player M with three subs,
// track B. "Verse": one single player and no track. "intro": a track only.
// The player folder holds a multi-player "Loose" and a single player "Stray".
class EngineObjectPathsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QVPrefs::sShared.SetInternalObjectNameCaseSensitive(true);
        mDocument = new QVDocument(1, kQVDocumentFlagPrivate);
        AKDictionary const form =
            SeqDocument({SeqNode("sequenc", "Intro",
                                 {SeqNode("track", "A"), SeqNode("atomic", "P1"), Subs("M", 3), SeqNode("track", "B")}),
                         SeqNode("sequenc", "Verse", {SeqNode("atomic", "V1")}),
                         SeqNode("sequenc", "intro", {SeqNode("track", "C")})},
                        {Subs("Loose", 2), SeqNode("atomic", "Stray")});
        ASSERT_EQ(mDocument->GetTree()->InitFromDictionary(form, 1, nullptr), 0);
        mSequences = SeqFirstChildOfRoot<QVObjectFolderSequence>(*mDocument->GetTree());
        mPlayers = SeqFirstChildOfRoot<QVObjectFolderCursor>(*mDocument->GetTree());
        ASSERT_NE(mSequences, nullptr);
        ASSERT_NE(mPlayers, nullptr);
        mIntro = Child(mSequences, 0);
        mVerse = Child(mSequences, 1);
        mLowerIntro = Child(mSequences, 2);
        // The shape the table below counts in.
        ASSERT_TRUE(mIntro != nullptr && mIntro->IsKindOfT<QVObjectSequence>());
        ASSERT_TRUE(Child(mIntro, 0)->IsKindOfT<QVObjectTrack>());
        ASSERT_TRUE(Child(mIntro, 1)->IsKindOfT<QVObjectAtomic>());
        ASSERT_TRUE(Child(mIntro, 2)->IsKindOfT<QVObjectCursor>());
        ASSERT_NE(Child(Child(mIntro, 2), 2), nullptr);
        ASSERT_TRUE(Child(mIntro, 3)->IsKindOfT<QVObjectTrack>());
        ASSERT_TRUE(mVerse != nullptr && Child(mVerse, 0)->IsKindOfT<QVObjectAtomic>());
        ASSERT_TRUE(mLowerIntro != nullptr && Child(mLowerIntro, 0)->IsKindOfT<QVObjectTrack>());
    }
    void TearDown() override
    {
        delete mDocument;
        QVPrefs::sShared.SetupDefaults();
    }
    // What the document's synchronisation step does after a structural change.
    void SynchronizeLinks()
    {
        QVDocumentTreeGuard::EditScope edit(mDocument->GetTreeGuard());
        mSequences->SynchronizeFLFastLinks();
        mPlayers->SynchronizeFLFastLinks();
    }
    AKObject* Resolve(char const* path, bool track) const
    {
        return mDocument->GetObjectForOSC(0, path, track ? QVObjectTrack::_ClassID() : QVObjectAtomic::_ClassID());
    }

    QVDocument* mDocument = nullptr;
    QVObjectFolderSequence* mSequences = nullptr;
    QVObjectFolderCursor* mPlayers = nullptr;
    AKObject* mIntro = nullptr;
    AKObject* mVerse = nullptr;
    AKObject* mLowerIntro = nullptr;
};

TEST_F(EngineObjectPathsTest, PathsResolveToTheirSequencePlayerSubOrTrack)
{
    SynchronizeLinks();
    AKObject* const multi = Child(mIntro, 2);
    struct Case {
        char const* path;
        bool track;
        AKObject* expected;
    };
    Case const cases[] = {
        // Sequences by name, case-sensitive by default.
        {":Intro", false, mIntro},
        {":Verse", false, mVerse},
        {":intro", false, mLowerIntro},
        // Players count single and multi-players alike, tracks left out.
        {":Intro:1", false, Child(mIntro, 1)},
        {":Intro:2", false, multi},
        {":Verse:1", false, Child(mVerse, 0)},
        // Subs of a multi-player.
        {":Intro:2:1", false, Child(multi, 0)},
        {":Intro:2:3", false, Child(multi, 2)},
        // Tracks count tracks only, players left out.
        {":Intro:1", true, Child(mIntro, 0)},
        {":Intro:2", true, Child(mIntro, 3)},
        {":intro:1", true, Child(mLowerIntro, 0)},
        // Positions beyond the arrays.
        {":Intro:3", false, nullptr},
        {":Intro:2:4", false, nullptr},
        {":Intro:3", true, nullptr},
        {":Verse:1", true, nullptr},
        {":intro:1", false, nullptr},
        // A single player has no subs.
        {":Intro:1:1", false, nullptr},
        // Names no sequence bears: unknown, or a player of the player folder.
        {":Chorus", false, nullptr},
        {":INTRO", false, nullptr},
        {":Loose", false, nullptr},
        {":Stray", false, nullptr},
        {":Loose:1", false, nullptr},
        // Refused by the grammar.
        {":Intro:0", false, nullptr},
        {":Intro:0", true, nullptr},
        {"Intro", false, nullptr},
        {":", false, nullptr},
        {":Intro:x", false, nullptr},
        {":Intro:2:", false, nullptr},
        {":Intro", true, nullptr},
        {":Intro:2:1", true, nullptr},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.path << (c.track ? " (track)" : ""));
        EXPECT_EQ(Resolve(c.path, c.track), c.expected);
    }
}

TEST_F(EngineObjectPathsTest, TypedLookUpRefusesAnObjectOfAnotherClass)
{
    SynchronizeLinks();
    EXPECT_EQ(mDocument->GetObjectForOSCT<QVObjectSequence>(0, ":Intro"), mIntro);
    EXPECT_EQ(mDocument->GetObjectForOSCT<QVObjectCursor>(0, ":Intro:2"), Child(mIntro, 2));
    EXPECT_EQ(mDocument->GetObjectForOSCT<QVObjectCursor>(0, ":Intro:1"), nullptr);
    EXPECT_EQ(mDocument->GetObjectForOSCT<QVObjectAtomic>(0, ":Intro:2:2"), Child(Child(mIntro, 2), 1));
    EXPECT_EQ(mDocument->GetObjectForOSCT<QVObjectSequence>(0, ":Intro:1"), nullptr);
    EXPECT_EQ(mDocument->GetObjectForOSCT<QVObjectTrack>(0, ":Intro:2"), Child(mIntro, 3));
    EXPECT_EQ(mDocument->GetObjectForOSCT<QVObjectPlayable>(0, ":Intro:2:3"), Child(Child(mIntro, 2), 2));
}

TEST_F(EngineObjectPathsTest, CaseInsensitiveNamesFindTheFirstSequenceInTreeOrder)
{
    SynchronizeLinks();
    QVPrefs::sShared.SetInternalObjectNameCaseSensitive(false);
    EXPECT_EQ(Resolve(":INTRO", false), mIntro);
    EXPECT_EQ(Resolve(":intro:1", true), Child(mIntro, 0));
    EXPECT_EQ(Resolve(":verse:1", false), Child(mVerse, 0));
}

TEST_F(EngineObjectPathsTest, OnlyALookUpInsideAnEditRefreshesTheLinks)
{
    // Freshly loaded, the links were never refreshed: a reader outside an
    // edit leaves them alone and finds nothing.
    EXPECT_EQ(Resolve(":Intro:2:1", false), nullptr);
    EXPECT_TRUE(mSequences->GetFLSubSequences().IsEmpty());

    // Inside an edit (as during the document's own synchronisation) the
    // sequence folder and everything under it is refreshed before reading.
    {
        QVDocumentTreeGuard::EditScope edit(mDocument->GetTreeGuard());
        EXPECT_EQ(Resolve(":Intro:2:1", false), Child(Child(mIntro, 2), 0));
        EXPECT_EQ(Resolve(":Intro:2", true), Child(mIntro, 3));
    }
    EXPECT_EQ(Resolve(":Verse:1", false), Child(mVerse, 0));
}

}  // namespace

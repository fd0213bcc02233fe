// Sequence commands: new sequences with or without a player, with a target
// player moved in, with sounds written at test time (one undo removes them
// all), players and tracks added to a sequence, and two sequences mixed.

#include "AKTreePasteboard.h"
#include "GandlerFixtures.h"
#include "LogCapture.h"
#include "QVObjectAtomic.h"
#include "QVProviderMgr.h"
#include "SoundFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GandlerEnvironment());

using SoundFixtures::EnginePath;

class SequenceCommandTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (char const* name : {"alpha.wav", "beta.wav", "gamma.wav"})
            ASSERT_TRUE(SoundFixtures::WriteSoundFile(mSounds.File(name), SoundFixtures::SoundRecipe()));
        QVPrefs::sShared.SetSequenceNewAlwaysWithPlayer(true);
    }
    void TearDown() override
    {
        unsigned int count = 0;
        QVProviderMgr::sShared.RemoveAllProviders(&count);
    }

    AKFilePath Sound(char const* name) const { return EnginePath(mSounds.File(name)); }
    unsigned int SequenceCount() const { return mDoc.handler()->GetFLSequences().Count(); }
    // The newest sequence's children, as class IDs.
    std::string LastSequenceShape() const
    {
        QVObjectPoolableArray const& sequences = mDoc.handler()->GetFLSequences();
        std::string shape;
        ATObjectArray<AKObject> children;
        sequences[sequences.Count() - 1]->GrabChildren(&children);
        for (unsigned int i = 0; i < children.Count(); ++i)
            shape += std::string(i > 0 ? " " : "") + children[i]->GetClassID().GetName().c_str();
        return shape;
    }
    std::string LastSequenceName() const
    {
        QVObjectPoolableArray const& sequences = mDoc.handler()->GetFLSequences();
        return sequences[sequences.Count() - 1]->akmGetName().StdString();
    }
    void UndoOnce()
    {
        QVGandlerParam undo = mDoc.Param();
        ASSERT_EQ(QVGandler::sShared.DoCmd_EditUndo(undo), 0);
        mDoc.handler()->SynchronizeFLFastLinks();
    }

    SoundFixtures::TempFolder mSounds;
    GandlerDoc mDoc;
    ScopedVerboseLevel mVerbose{1};
};

TEST_F(SequenceCommandTest, NewSequenceWithSoundNakedOrWithPlayer)
{
    std::vector<unsigned char> const before = mDoc.Bytes();
    QVGandlerParam param = mDoc.Param();
    param.WithOptionAsAKFilePath("SoundPath", Sound("alpha.wav"));
    {
        LogCapture log;
        ASSERT_EQ(QVGandler::sShared.DoCmd_SequenceNewWithSound(param, false), 0);
        ASSERT_FALSE(log.Lines().empty());
        EXPECT_EQ(log.Lines()[0], "# Sequence NewWithSound:\"alpha.wav\" WithPlayer:1 WithName:\"<Default>\".\n");
    }
    EXPECT_EQ(LastSequenceShape(), "track atomic");
    EXPECT_EQ(LastSequenceName(), "alpha");
    AKString label;
    QVGandler::sShared.GetUndoRedoState(kQVCmdID_EditUndo, mDoc.Param(), &label);
    EXPECT_EQ(label.StdString(), "Undo New Sequence With Sound...");
    UndoOnce();
    EXPECT_EQ(mDoc.Bytes(), before);

    QVGandlerParam naked = mDoc.Param();
    naked.WithOptionAsAKFilePath("SoundPath", Sound("alpha.wav"))
        .WithOptionAsBool("Naked", true)
        .WithOptionAsAKString("Name", AKString("Plain"));
    ASSERT_EQ(QVGandler::sShared.DoCmd_SequenceNewWithSound(naked, false), 0);
    EXPECT_EQ(LastSequenceShape(), "track");
    EXPECT_EQ(LastSequenceName(), "Plain");

    QVGandlerParam missing = mDoc.Param();
    EXPECT_EQ(QVGandler::sShared.DoCmd_SequenceNewWithSound(missing, false), kQVErrorGandlerUndefOption);
    ScopedFakeHost host;
    LogCapture log;
    EXPECT_EQ(QVGandler::sShared.DoCmd_SequenceNewWithSound(missing, true), 0);
    EXPECT_TRUE(log.Lines().empty()) << "a cancelled dialog writes nothing";
    EXPECT_EQ(host.calls, std::vector<std::string>{"open Load Sound-File one"});
}

TEST_F(SequenceCommandTest, ATargetPlayerIsMovedInAndATrackTargetIsRefused)
{
    QVGandlerParam param = mDoc.Param();
    param.GetTreeActionParam().WithTargetObject(mDoc.player, kAKLinkModeLastChildren);
    ASSERT_EQ(QVGandler::sShared.DoCmd_SequenceNewWithEmptyTrack(param), 0);
    EXPECT_EQ(LastSequenceShape(), "track atomic");
    EXPECT_EQ(mDoc.handler()->GetFLPlayers().Count(), 0u) << "the free player moved into the sequence";

    QVGandlerParam onTrack = mDoc.Param();
    onTrack.GetTreeActionParam().WithTargetObject(mDoc.tracks[0], kAKLinkModeLastChildren);
    unsigned int const count = SequenceCount();
    EXPECT_EQ(QVGandler::sShared.DoCmd_SequenceNewWithEmptyTrack(onTrack), kQVErrorGandlerTargetBadType);
    EXPECT_EQ(SequenceCount(), count);
}

TEST_F(SequenceCommandTest, NewSequencesWithSoundsAreOneUndoStep)
{
    std::vector<unsigned char> const before = mDoc.Bytes();
    AKFilePathArray paths;
    for (char const* name : {"alpha.wav", "beta.wav", "gamma.wav"})
        paths.Push(Sound(name));
    QVGandlerParam param = mDoc.Param();
    param.WithOptionAsAKFilePathArray("SoundPaths", paths).WithOptionAsAKString("Name", AKString("Ignored"));
    LogCapture log;
    ASSERT_EQ(QVGandler::sShared.DoCmd_SequenceNewWithSounds(param, false), 0);
    std::vector<std::string> const lines = {
        "# Sequence NewWithSound:\"alpha.wav\" WithPlayer:1.\n",
        "# Sequence NewWithSound:\"beta.wav\" WithPlayer:1.\n",
        "# Sequence NewWithSound:\"gamma.wav\" WithPlayer:1.\n",
        "# Ok\n\n",
    };
    EXPECT_EQ(log.Lines(), lines);
    EXPECT_EQ(SequenceCount(), 6u);
    EXPECT_EQ(LastSequenceName(), "gamma");
    EXPECT_EQ(param.GetTreeActionParam().GetResultTreeSel().CountNodes(), 3u);
    UndoOnce();
    EXPECT_EQ(mDoc.Bytes(), before);
    EXPECT_FALSE(mDoc.handler()->CanUndo(nullptr, nullptr));

    AKFilePathArray one;
    one.Push(Sound("beta.wav"));
    QVGandlerParam named = mDoc.Param();
    named.WithOptionAsAKFilePathArray("SoundPaths", one).WithOptionAsAKString("Name", AKString("Solo"));
    ASSERT_EQ(QVGandler::sShared.DoCmd_SequenceNewWithSounds(named, false), 0);
    EXPECT_EQ(LastSequenceName(), "Solo");
}

TEST_F(SequenceCommandTest, AddPlayerAndTrackToASequence)
{
    QVGandlerParam cursor = mDoc.Param();
    cursor.GetTreeActionParam().WithTargetObject(mDoc.sequences[2], kAKLinkModeLastChildren);
    cursor.WithOptionAsUInt("SubCount", 2).WithOptionAsAKString("Name", AKString("Multi"));
    ASSERT_EQ(QVGandler::sShared.DoCmd_SequenceAddNewCursor(cursor), 0);
    QVGandlerParam track = mDoc.Param();
    track.GetTreeActionParam().WithTargetObject(mDoc.sequences[2], kAKLinkModeLastChildren);
    track.WithOptionAsAKFilePath("SoundPath", Sound("beta.wav")).WithOptionAsAKString("Name", AKString("Bass"));
    ASSERT_EQ(QVGandler::sShared.DoCmd_SequenceAddNewTrackWithSound(track), 0);
    EXPECT_EQ(LastSequenceShape(), "cursor track");
    EXPECT_NE(QVProviderMgr::sShared.GetProviderByPath(Sound("beta.wav"), false), nullptr);

    QVGandlerParam noTarget = mDoc.Param();
    EXPECT_EQ(QVGandler::sShared.DoCmd_SequenceAddNewTrack(noTarget), kQVErrorGandlerUndefObject);
    QVGandlerParam noSound = mDoc.Param();
    noSound.GetTreeActionParam().WithTargetObject(mDoc.sequences[2], kAKLinkModeLastChildren);
    EXPECT_EQ(QVGandler::sShared.DoCmd_SequenceAddNewTrackWithSound(noSound), kQVErrorGandlerUndefOption);
}

TEST_F(SequenceCommandTest, MixTwoSequences)
{
    QVGandlerParam one = mDoc.Param({mDoc.sequences[0]});
    EXPECT_EQ(QVGandler::sShared.DoCmd_SequenceGroup(one), kAKErrorTreeHandlerBadTreeSelType);

    std::vector<unsigned char> const before = mDoc.Bytes();
    QVGandlerParam two = mDoc.Param({mDoc.sequences[2], mDoc.sequences[0]});
    ASSERT_EQ(QVGandler::sShared.DoGenericCommand(kQVCmdID_SequenceGroup, two, true), 0);
    mDoc.handler()->SynchronizeFLFastLinks();
    EXPECT_EQ(SequenceCount(), 2u);
    ASSERT_EQ(two.GetTreeActionParam().GetResultTreeSel().CountNodes(), 1u);
    AKObject* const kept = two.GetTreeActionParam().GetResultTreeSel().GetObjects()[0];
    ATObjectArray<AKObject> children;
    kept->GrabChildren(&children);
    EXPECT_EQ(children.Count(), 2u) << "the two tracks of the other sequence";
    UndoOnce();
    EXPECT_EQ(mDoc.Bytes(), before);
}

}  // namespace

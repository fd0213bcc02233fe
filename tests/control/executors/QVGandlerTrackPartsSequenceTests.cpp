// New sequence from track parts: the selected time range of a track (or of
// every track of a selected sequence) copied into a new sequence named after
// the source, moved out of the source with "CopyMode" false, one undo step
// restoring both sides, and the refusals with their codes.

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

class QVGandlerTrackPartsSequenceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SoundFixtures::SoundRecipe recipe;
        recipe.frames = 44100;  // 1 s
        ASSERT_TRUE(SoundFixtures::WriteSoundFile(mFiles.File("tone.wav"), recipe));
        QVPrefs::sShared.SetSequenceNewAlwaysWithPlayer(false);
        QVGandlerParam make(&mDoc.document);
        make.WithOptionAsAKFilePath("SoundPath", EnginePath(mFiles.File("tone.wav")));
        make.WithOptionAsAKString("Name", AKString("Source"));
        ASSERT_EQ(QVGandler::sShared.DoCmd_SequenceNewWithSound(make, false), 0);
        QVProviderMgr::sShared.LoadAllProvidersSoundFileSync();
        mSource = make.GetTreeActionParam().GetResultTreeSel().GetObjects()[0];
        mSource->GrabChildren(&mTracks);
        ASSERT_EQ(mTracks.Count(), 1u);
    }
    void TearDown() override
    {
        unsigned int count = 0;
        QVProviderMgr::sShared.RemoveAllProviders(&count);
    }

    QVGandlerParam Timed(AKObject* object, AKTimeIntv range)
    {
        QVGandlerParam param = mDoc.Param({object});
        AKTreeSel selection = param.GetTreeActionParam().GetTreeSel();
        selection.SetTimeSel(range);
        param.GetTreeActionParam().WithTreeSel(selection);
        return param;
    }
    static double Length(AKObject* track) { return static_cast<QVObjectTrack*>(track)->GetTrackZones().GetEndTime(); }
    AKString UndoLabel()
    {
        AKString label;
        QVGandler::sShared.GetUndoRedoState(kQVCmdID_EditUndo, mDoc.Param(), &label);
        return label;
    }

    GandlerDoc mDoc;
    SoundFixtures::TempFolder mFiles;
    AKObject* mSource = nullptr;
    ATObjectArray<AKObject> mTracks;
};

TEST_F(QVGandlerTrackPartsSequenceTest, CopyOrMoveThePartIntoANewSequenceAsOneUndoStep)
{
    struct Case {
        bool copyMode;
        bool onSequence;
        double sourceLengthAfter;
    } const cases[] = {{true, false, 1.0}, {false, false, 0.75}, {false, true, 0.75}};
    for (Case const& c : cases) {
        SCOPED_TRACE(std::string(c.copyMode ? "copy" : "move") + (c.onSequence ? " sequence" : " track"));
        std::vector<unsigned char> const before = mDoc.Bytes();
        unsigned int const sequences = mDoc.handler()->GetFLSequences().Count();
        QVGandlerParam param = Timed(c.onSequence ? mSource : mTracks[0], AKTimeIntv{0.25, 0.5});
        param.WithOptionAsBool("CopyMode", c.copyMode);
        EXPECT_TRUE(QVGandler::sShared.CanGenericCommand(kQVCmdID_SequenceNewWithTrackParts, param));
        ASSERT_EQ(QVGandler::sShared.DoGenericCommand(kQVCmdID_SequenceNewWithTrackParts, param, true), 0);
        mDoc.handler()->SynchronizeFLFastLinks();

        AKObject* const made = param.GetTreeActionParam().GetResultTreeSel().GetObjects()[0];
        EXPECT_EQ(made->akmGetName().StdString(), "Source Copy");
        ATObjectArray<AKObject> children;
        made->GrabChildren(&children);
        ASSERT_EQ(children.Count(), 1u) << "one track, no player";
        EXPECT_NEAR(Length(children[0]), 0.25, 1e-6);
        EXPECT_NEAR(Length(mTracks[0]), c.sourceLengthAfter, 1e-6);
        EXPECT_EQ(mDoc.handler()->GetFLSequences().Count(), sequences + 1);
        EXPECT_EQ(UndoLabel().StdString(), "Undo New Sequence With Track-Parts");

        QVGandlerParam undo = mDoc.Param();
        ASSERT_EQ(QVGandler::sShared.DoCmd_EditUndo(undo), 0);
        mDoc.handler()->SynchronizeFLFastLinks();
        EXPECT_EQ(mDoc.Bytes(), before) << "one undo restores both sides";
    }
}

TEST_F(QVGandlerTrackPartsSequenceTest, ANameAndATargetPlayerAreTaken)
{
    QVGandlerParam param = Timed(mTracks[0], AKTimeIntv{0.0, 0.5});
    param.WithOptionAsAKString("Name", AKString("Chorus"));
    param.GetTreeActionParam().WithTargetObject(mDoc.player, kAKLinkModeLastChildren);
    ASSERT_EQ(QVGandler::sShared.DoCmd_SequenceNewWithTrackParts(param), 0);
    AKObject* const made = param.GetTreeActionParam().GetResultTreeSel().GetObjects()[0];
    EXPECT_EQ(made->akmGetName().StdString(), "Chorus");
    ATObjectArray<AKObject> children;
    made->GrabChildren(&children);
    ASSERT_EQ(children.Count(), 2u);
    EXPECT_EQ(children[1], static_cast<AKObject*>(mDoc.player));
}

TEST_F(QVGandlerTrackPartsSequenceTest, RefusalsCarryTheirCodes)
{
    ScopedVerboseLevel verbose(1);
    struct Case {
        char const* name;
        QVGandlerParam param;
        int status;
    };
    std::vector<Case> cases;
    cases.push_back({"no document", QVGandlerParam(nullptr), kQVErrorGandlerUndefDocument});
    cases.push_back({"no sequence", mDoc.Param(), kQVErrorGandlerUndefObject});
    cases.push_back({"a track as target", Timed(mTracks[0], AKTimeIntv{0.0, 0.5}), kQVErrorGandlerTargetBadType});
    cases.back().param.GetTreeActionParam().WithTargetObject(mDoc.tracks[0], kAKLinkModeLastChildren);
    cases.push_back({"no time range", mDoc.Param({mTracks[0]}), kAKErrorTreeHandlerEmptyTreeSel});
    std::vector<unsigned char> const before = mDoc.Bytes();
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        EXPECT_EQ(QVGandler::sShared.DoCmd_SequenceNewWithTrackParts(c.param), c.status);
        std::vector<std::string> const lines = log.Lines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "# Error " + std::to_string(c.status) + ".\n\n");
    }
    EXPECT_EQ(mDoc.Bytes(), before);
}

}  // namespace

// Bounce commands: the selected time range of a sequence, or of some of its
// tracks, rendered to the file asked for (numbered unless overwriting),
// nothing recorded in the history, both commands answering as the sequence
// bounce, refusals with their codes and a cancelled save dialog.

#include "GandlerFixtures.h"
#include "LogCapture.h"
#include "QVProviderMgr.h"
#include "SoundFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GandlerEnvironment());

using SoundFixtures::EnginePath;

constexpr int kRate = 44100;

class QVGandlerBounceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SoundFixtures::SoundRecipe recipe;
        recipe.frames = kRate;
        recipe.signal = SoundFixtures::Signal::Sine;
        ASSERT_TRUE(SoundFixtures::WriteSoundFile(mFiles.File("tone.wav"), recipe));
        QVGandlerParam make(&mDoc.document);
        make.WithOptionAsAKFilePath("SoundPath", EnginePath(mFiles.File("tone.wav")));
        make.WithOptionAsBool("Naked", true);
        ASSERT_EQ(QVGandler::sShared.DoCmd_SequenceNewWithSound(make, false), 0);
        QVProviderMgr::sShared.LoadAllProvidersSoundFileSync();
        mSequence = make.GetTreeActionParam().GetResultTreeSel().GetObjects()[0];
        mSequence->GrabChildren(&mTracks);
        ASSERT_EQ(mTracks.Count(), 1u);
    }
    void TearDown() override
    {
        unsigned int count = 0;
        QVProviderMgr::sShared.RemoveAllProviders(&count);
    }

    // A bounce of the object's first half second to 16-bit stereo WAV.
    QVGandlerParam Param(AKObject* object, bool timed = true)
    {
        QVGandlerParam param = object != nullptr ? mDoc.Param({object}) : mDoc.Param();
        if (timed) {
            AKTreeSel selection = param.GetTreeActionParam().GetTreeSel();
            selection.SetTimeSel(AKTimeIntv{0.0, 0.5});
            param.GetTreeActionParam().WithTreeSel(selection);
        }
        param.WithOptionAsAKString("Bounce.SoundFormat", AKString("wav"));
        param.WithOptionAsAKString("Bounce.SoundFormatInfo", AKString("16"));
        param.WithOptionAsUInt("Bounce.ChannelCount", 2);
        param.WithOptionAsFloat64("Bounce.SampleRate", kRate);
        param.WithOptionAsFloat64("Bounce.Duration", 0.5);
        return param;
    }
    std::vector<std::string> FilesWritten() const
    {
        std::vector<std::string> names;
        for (auto const& entry : std::filesystem::directory_iterator(mOut.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    GandlerDoc mDoc;
    SoundFixtures::TempFolder mFiles;
    SoundFixtures::TempFolder mOut;
    AKObject* mSequence = nullptr;
    ATObjectArray<AKObject> mTracks;
};

TEST_F(QVGandlerBounceTest, BothCommandsWriteTheFileAndRecordNothing)
{
    struct Case {
        int id;
        bool onTrack;
    } const cases[] = {{kQVCmdID_SequenceBounce, false}, {kQVCmdID_TrackPartBounce, true}};
    for (Case const& c : cases) {
        SCOPED_TRACE(c.id);
        std::string const path = mOut.File("mix" + std::to_string(c.id) + ".wav");
        std::vector<unsigned char> const before = mDoc.Bytes();
        bool const couldUndo = mDoc.handler()->CanUndo(nullptr, nullptr);
        QVGandlerParam param = Param(c.onTrack ? mTracks[0] : mSequence);
        param.WithOptionAsAKFilePath("ExportPath", EnginePath(path)).WithOptionAsBool("Overwrite", true);
        EXPECT_TRUE(QVGandler::sShared.CanGenericCommand(c.id, param));
        ASSERT_EQ(QVGandler::sShared.DoGenericCommand(c.id, param, true), 0);

        SF_INFO info = {};
        std::vector<float> const frames = SoundFixtures::ReadSoundFile(path, &info);
        EXPECT_EQ(info.channels, 2);
        EXPECT_EQ(info.samplerate, kRate);
        EXPECT_EQ(info.frames, kRate / 2);
        bool sounds = false;
        for (float sample : frames)
            sounds = sounds || sample != 0.0f;
        EXPECT_TRUE(sounds) << "the sequence's sound reached the file";

        EXPECT_EQ(param.GetTreeActionParam().GetCommandID(), kQVCmdID_SequenceBounce);
        EXPECT_EQ(param.GetTreeActionParam().GetActionName().StdString(), "Bounce Sequence");
        EXPECT_EQ(mDoc.Bytes(), before);
        EXPECT_EQ(mDoc.handler()->CanUndo(nullptr, nullptr), couldUndo) << "no undo step";
    }
}

TEST_F(QVGandlerBounceTest, WithoutOverwriteAnExistingNameIsNumbered)
{
    std::string const path = mOut.File("take.wav");
    for (int round = 0; round < 2; ++round) {
        QVGandlerParam param = Param(mSequence);
        param.WithOptionAsAKFilePath("ExportPath", EnginePath(path));
        ASSERT_EQ(QVGandler::sShared.DoCmd_SequenceBounce(param, false), 0);
    }
    std::vector<std::string> const names = FilesWritten();
    ASSERT_EQ(names.size(), 2u);
    EXPECT_NE(names[0], names[1]);
}

TEST_F(QVGandlerBounceTest, RefusalsCarryTheirCodesAndWriteNothing)
{
    ScopedVerboseLevel verbose(1);
    struct Case {
        char const* name;
        bool withDocument;
        AKObject* object;
        bool timed;
        int status;
    } const cases[] = {
        {"no document", false, mSequence, true, kQVErrorGandlerUndefDocument},
        {"no selection", true, nullptr, true, kQVErrorGandlerUndefObject},
        {"no time range", true, mSequence, false, kAKErrorTreeHandlerEmptyTreeSel},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        QVGandlerParam param = Param(c.object, c.timed);
        if (!c.withDocument)
            param = QVGandlerParam(nullptr);
        param.WithOptionAsAKFilePath("ExportPath", EnginePath(mOut.File("refused.wav")));
        LogCapture log;
        EXPECT_EQ(QVGandler::sShared.DoCmd_SequenceBounce(param, false), c.status);
        std::vector<std::string> const lines = log.Lines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "# Error " + std::to_string(c.status) + ".\n\n");
    }
    EXPECT_TRUE(FilesWritten().empty());
}

TEST_F(QVGandlerBounceTest, ACancelledSaveDialogEndsTheCommand)
{
    ScopedFakeHost host;
    ScopedVerboseLevel verbose(1);
    QVGandlerParam param = Param(mSequence);
    LogCapture log;
    EXPECT_EQ(QVGandler::sShared.DoGenericCommand(kQVCmdID_SequenceBounce, param, true), 0);
    std::vector<std::string> const lines = log.Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "# Canceled.\n\n");
    EXPECT_TRUE(FilesWritten().empty());
}

}  // namespace

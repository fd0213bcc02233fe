// Track commands: re-initialising a track with a sound (nothing recorded
// when it already plays that sound), inserting a sound (one undo step; a
// sound that cannot be registered fails), the refusals with their codes,
// and the track-part forwarders.

#include "GandlerFixtures.h"
#include "LogCapture.h"
#include "QVProviderMgr.h"
#include "SoundFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GandlerEnvironment());

using SoundFixtures::EnginePath;

class QVGandlerTrackTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SoundFixtures::SoundRecipe recipe;
        recipe.frames = 44100;  // 1 s
        ASSERT_TRUE(SoundFixtures::WriteSoundFile(mFiles.File("one.wav"), recipe));
        recipe.frames = 22050;  // 0.5 s
        ASSERT_TRUE(SoundFixtures::WriteSoundFile(mFiles.File("half.wav"), recipe));
        QVGandlerParam make(&mDoc.document);
        make.WithOptionAsAKFilePath("SoundPath", Sound("one.wav"));
        make.WithOptionAsBool("Naked", true);
        ASSERT_EQ(QVGandler::sShared.DoCmd_SequenceNewWithSound(make, false), 0);
        QVProviderMgr::sShared.LoadAllProvidersSoundFileSync();
        mSequence = make.GetTreeActionParam().GetResultTreeSel().GetObjects()[0];
        ATObjectArray<AKObject> children;
        mSequence->GrabChildren(&children);
        ASSERT_EQ(children.Count(), 1u);
        mTrack = static_cast<QVObjectTrack*>(children[0]);
    }
    void TearDown() override
    {
        unsigned int count = 0;
        QVProviderMgr::sShared.RemoveAllProviders(&count);
    }

    AKFilePath Sound(char const* name) const { return EnginePath(mFiles.File(name)); }
    double Length() const { return mTrack->GetTrackZones().GetEndTime(); }
    AKString UndoLabel()
    {
        AKString label;
        QVGandler::sShared.GetUndoRedoState(kQVCmdID_EditUndo, mDoc.Param(), &label);
        return label;
    }
    void Undo()
    {
        QVGandlerParam undo = mDoc.Param();
        ASSERT_EQ(QVGandler::sShared.DoCmd_EditUndo(undo), 0);
    }

    GandlerDoc mDoc;
    SoundFixtures::TempFolder mFiles;
    AKObject* mSequence = nullptr;
    QVObjectTrack* mTrack = nullptr;
};

TEST_F(QVGandlerTrackTest, ReinitRecordsOnlyAChange)
{
    std::vector<unsigned char> const before = mDoc.Bytes();
    AKString const labelBefore = UndoLabel();
    QVGandlerParam same = mDoc.Param({mTrack});
    same.WithOptionAsAKFilePath("SoundPath", Sound("one.wav"));
    ASSERT_EQ(QVGandler::sShared.DoCmd_TrackReinitWithSound(same, false), 0);
    EXPECT_EQ(mDoc.Bytes(), before);
    EXPECT_EQ(UndoLabel(), labelBefore) << "no step for the sound the track already plays";

    QVGandlerParam other = mDoc.Param({mTrack});
    other.WithOptionAsAKFilePath("SoundPath", Sound("half.wav"));
    ASSERT_EQ(QVGandler::sShared.DoCmd_TrackReinitWithSound(other, false), 0);
    EXPECT_NEAR(Length(), 0.5, 1e-6);
    EXPECT_EQ(UndoLabel().StdString(), "Undo Reinit Track With Sound");
    EXPECT_EQ(other.GetTreeActionParam().GetCommandID(), kQVCmdID_TrackReinitWithSound);
    Undo();
    EXPECT_EQ(mDoc.Bytes(), before);
}

TEST_F(QVGandlerTrackTest, InsertAddsThePartAsOneUndoStep)
{
    struct Case {
        double begin, end, at, length;
    } const cases[] = {
        {0.0, 0.0, -1.0, 1.5},  // the whole sound at the end
        {0.1, 0.3, 0.0, 1.2},   // a part at the start
        {0.0, 0.0, 0.25, 1.5},  // the whole sound inside
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.at);
        std::vector<unsigned char> const before = mDoc.Bytes();
        QVGandlerParam param = mDoc.Param({mTrack});
        param.WithOptionAsAKFilePath("SoundPath", Sound("half.wav"));
        param.WithOptionAsFloat64("SoundBeg", c.begin).WithOptionAsFloat64("SoundEnd", c.end);
        param.WithOptionAsFloat64("TimeAt", c.at);
        ASSERT_EQ(QVGandler::sShared.DoCmd_TrackInsertSound(param, false), 0);
        EXPECT_NEAR(Length(), c.length, 1e-6);
        EXPECT_EQ(UndoLabel().StdString(), "Undo Insert Sound in Track");
        Undo();
        EXPECT_EQ(mDoc.Bytes(), before);
    }
}

TEST_F(QVGandlerTrackTest, RefusalsCarryTheirCodesAndChangeNothing)
{
    ScopedVerboseLevel verbose(1);
    struct Case {
        char const* name;
        bool insert;
        AKObject* selected;
        char const* path;
        int status;
    } const cases[] = {
        {"reinit without track", false, mSequence, "one.wav", kQVErrorGandlerUndefObject},
        {"insert without track", true, nullptr, "one.wav", kQVErrorGandlerUndefObject},
        {"reinit without path", false, mTrack, nullptr, kQVErrorGandlerUndefOption},
        {"insert without path", true, mTrack, nullptr, kQVErrorGandlerUndefOption},
        // A sound named by an ID no sound has cannot be registered.
        {"insert of an unknown sound", true, mTrack, "#987654", kQVErrorProviderNotFound},
    };
    std::vector<unsigned char> const before = mDoc.Bytes();
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        QVGandlerParam param = c.selected != nullptr ? mDoc.Param({c.selected}) : mDoc.Param();
        if (c.path != nullptr)
            param.WithOptionAsAKFilePath("SoundPath", c.path[0] == '#' ? AKFilePath(c.path) : Sound(c.path));
        LogCapture log;
        int const status = c.insert ? QVGandler::sShared.DoCmd_TrackInsertSound(param, false)
                                    : QVGandler::sShared.DoCmd_TrackReinitWithSound(param, false);
        EXPECT_EQ(status, c.status);
        std::vector<std::string> const lines = log.Lines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "# Error " + std::to_string(c.status) + ".\n\n");
    }
    EXPECT_EQ(mDoc.Bytes(), before);
}

// A sound that cannot be played fails both sound commands with -572: the
// track keeps its sound, the document and the history stay as they were, and
// no lost sound is left behind in the shared list.
TEST_F(QVGandlerTrackTest, AnUnplayableSoundFailsAndChangesNothing)
{
    SoundFixtures::WriteBytes(mFiles.File("empty.wav"), {});
    SoundFixtures::WriteBytes(mFiles.File("noise.wav"), std::vector<unsigned char>(4096, 0x5a));
    struct Case {
        char const* name;
        char const* reason;  // the registration's own error line, if any
    } const cases[] = {
        {"absent.wav", "# Quorvex Error -576 (kQVErrorProviderSoundFileNotFound): Can't build provider with not found "
                       "sound file \""},
        {"empty.wav", "# Quorvex Error -575 (kQVErrorProviderSoundFileUnknownFormat): Can't build provider with "
                      "unknown format sound file \""},
        {"noise.wav", "# Quorvex Error -575 (kQVErrorProviderSoundFileUnknownFormat): Can't build provider with "
                      "unknown format sound file \""},
        {"#987654", nullptr},  // an ID no sound has
    };
    ScopedVerboseLevel verbose(1);
    std::vector<unsigned char> const before = mDoc.Bytes();
    AKString const labelBefore = UndoLabel();
    unsigned int const providersBefore = QVProviderMgr::sShared.GetProviders().Count();
    for (bool const insert : {false, true}) {
        for (Case const& c : cases) {
            SCOPED_TRACE(std::string(insert ? "insert " : "reinit ") + c.name);
            AKFilePath const path = c.name[0] == '#' ? AKFilePath(c.name) : Sound(c.name);
            QVGandlerParam param = mDoc.Param({mTrack});
            param.WithOptionAsAKFilePath("SoundPath", path);
            // A part, so that an unchecked insert would add a zone.
            param.WithOptionAsFloat64("SoundBeg", 0.1).WithOptionAsFloat64("SoundEnd", 0.3);
            LogCapture log;
            int const status = insert ? QVGandler::sShared.DoCmd_TrackInsertSound(param, false)
                                      : QVGandler::sShared.DoCmd_TrackReinitWithSound(param, false);
            EXPECT_EQ(status, kQVErrorProviderNotFound);
            std::vector<std::string> expected = {
                std::string(insert ? "# Track InsertSound:\"" : "# Track ReinitWithSound:\"") +
                path.FileName().c_str() + "\".\n"};
            if (c.reason != nullptr)
                expected.push_back(c.reason + mFiles.File(c.name) + "\".\n");
            expected.push_back("# Quorvex Error -572 (kQVErrorProviderNotFound): Can't register sound-file <" +
                               std::string(path.c_str()) + ">.\n");
            expected.push_back("# Error -572.\n\n");
            EXPECT_EQ(log.Lines(), expected);
            EXPECT_NEAR(Length(), 1.0, 1e-6) << "the track keeps its sound";
            EXPECT_EQ(mDoc.Bytes(), before);
            EXPECT_EQ(UndoLabel().StdString(), labelBefore.StdString()) << "no undo step";
            EXPECT_EQ(QVProviderMgr::sShared.GetProviders().Count(), providersBefore);
            EXPECT_EQ(QVProviderMgr::sShared.GetTotalLostSoundCount(), 0u);
        }
    }
}

TEST_F(QVGandlerTrackTest, ACancelledOpenDialogWritesNothing)
{
    ScopedFakeHost host;
    ScopedVerboseLevel verbose(1);
    QVGandlerParam param = mDoc.Param({mTrack});
    LogCapture log;
    EXPECT_EQ(QVGandler::sShared.DoCmd_TrackInsertSound(param, true), 0);
    EXPECT_TRUE(log.Lines().empty());
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0], "open Load Sound-File one");
}

TEST_F(QVGandlerTrackTest, ForwardersRunTheirTrackPartCommand)
{
    QVGandlerParam param = mDoc.Param({mTrack});
    AKTreeSel timed = param.GetTreeActionParam().GetTreeSel();
    timed.SetTimeSel(AKTimeIntv{0.0, 0.5});
    param.GetTreeActionParam().WithTreeSel(timed);
    EXPECT_EQ(QVGandler::sShared.DoCmd_TrackPartScale(param), kQVErrorGandlerUndefOption) << "Scale is required";
    ASSERT_EQ(QVGandler::sShared.DoCmd_TrackPartDelete(param), 0);
    EXPECT_NEAR(Length(), 0.5, 1e-6);
    EXPECT_EQ(param.GetTreeActionParam().GetCommandID(), kQVCmdID_TrackPartDelete);
    EXPECT_EQ(UndoLabel().StdString(), "Undo Delete Track Selection");
}

}  // namespace

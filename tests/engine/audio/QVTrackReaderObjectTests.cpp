// Reading a track object: its live zones under its audio lock, with its
// gain and route offset, the lock given back after every block.

#include "QVAudioMemory.h"
#include "QVObjectTrackTestFixtures.h"
#include "QVProviderMgr.h"
#include "QVSig.h"
#include "QVTrackReader.h"
#include "TrackReaderFixtures.h"

#include <gtest/gtest.h>

using namespace TrackReaderFixtures;

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new TrackTestEnvironment());

TEST(TrackReaderObjectTest, ATrackIsReadWithItsSettingsUnderItsLock)
{
    ASSERT_EQ(QVSig::InitTables(), 0);
    SoundBank sounds;
    QVProvider* const made = sounds.Make(Dc(0.25), 2, 48000, 48000);
    ASSERT_NE(made, nullptr);
    // The track links its zones through the provider manager.
    QVProvider* const sound = QVProviderMgr::sShared.RegisterProvider(made->GetPath());
    ASSERT_NE(sound, nullptr);
    ASSERT_EQ(sound->LoadSoundSync(), 0);

    TrackPtr track = NewTrack();
    ASSERT_NE(track, nullptr);
    track->InitWithTrackZones(MakeZones({{sound, 0.0, 1.0, 1.0}}, kQVTrackZoneFadeDurationDefault));
    ASSERT_EQ(track->GetTrackZones()[0].GetProvider(), sound);
    track->SetUserTrackGain(2.0);
    track->SetUserRouteOffset(1);

    QVAudioMemory memory(nullptr);
    QVAudioInfo info;
    ASSERT_TRUE(info.Setup(2, 256, 48000.0));
    ASSERT_TRUE(memory.PrepareAudioResources(info));
    QXSampleBuffer<double>* const block = memory.RetainWorkingBuffer(2);
    QVTrackReader reader(memory);
    unsigned int hint = 0;
    bool exact = false;
    ASSERT_TRUE(reader.GrabAudioBlockOfTrack(block, track.get(), {0.5, 0.5 + block->BufferDuration()}, 1.0, 0.0, &hint,
                                             true, &exact));
    EXPECT_TRUE(exact);
    // Offset 1 on two channels: the sides swap.
    EXPECT_DOUBLE_EQ(*block->SamplePtrConst(0, 10), 2.0 * 0.5);
    EXPECT_DOUBLE_EQ(*block->SamplePtrConst(1, 10), 2.0 * 0.25);
    memory.ReleaseWorkingBuffer(*block);

    // No reader holds the list replaced by the next edit: it goes at once.
    track->InitWithTrackZones(QVTrackZoneArray());
    track->ReclaimRetiredZoneLists();
    EXPECT_EQ(track->CountRetiredZoneLists(), 0u);
    EXPECT_FALSE(reader.GrabAudioBlockOfTrack(block, nullptr, {0.0, 0.1}, 1.0, 0.0, &hint, true, &exact));

    track.reset();
    QVProviderMgr::sShared.RemoveProvider(sound);
}

}  // namespace

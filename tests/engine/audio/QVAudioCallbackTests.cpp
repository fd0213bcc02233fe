// The mixer's cases that need no second thread: loop passes cross-faded at
// the loop point, the sector lists that never grow inside a block, a
// document without the real-time flag (one pool copy, edits heard at the
// next block) and the document preferences' master volume hooks.

#include "AllocationProbe.h"
#include "AudioSourceFixtures.h"
#include "QVDocPrefs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

ORVEL_REPLACE_GLOBAL_ALLOCATION();

using namespace TrackReaderFixtures;

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new AudioEngineEnvironment());

TEST(AudioCallbackTest, LoopPassesCrossFadeAtTheLoopPoint)
{
    MixDocument mix;
    mix.Prepare(256);
    QVObjectAtomic* player = nullptr;
    QVObjectSequence* const sequence = mix.AddSequence(mix.Sound(Dc(0.25), 4.0), 4.0, &player);
    // A window [1.75, 2.25] well inside the sound: a loop of constant sound
    // stays constant when the passes' fades are complementary.
    ASSERT_TRUE(sequence->LowSetUserTimeAndSpan(2.0, 0.5, false));
    ASSERT_TRUE(player->LowSetUserTimeAndSpan(2.24, 0.0, false));
    player->SetUserLoop(1);
    player->SetUserPlay(1);
    AKIdlingCenter::sShared.DoGlobalIdling();
    mix.Pull();  // born fade
    ASSERT_TRUE(player->GetRTCurrState().looping);
    bool wrapped = false;
    for (int i = 0; i < 6; ++i) {
        QXSampleBuffer<double>* const block = mix.Pull();
        for (unsigned long long f = 0; f < block->FrameCount(); ++f)
            ASSERT_NEAR(At(block, 0, f), 0.25, 1e-3) << "block " << i << " frame " << f;
        wrapped = wrapped || player->GetUserTime() < 2.0;
    }
    EXPECT_TRUE(wrapped);
    EXPECT_GE(player->GetUserTime(), 1.75);
}

TEST(AudioCallbackTest, APlayerWithADyingAndABornRecordMovesOnOneBlockOnly)
{
    // A player removed and put back before its record died holds two
    // records in its sequence: its time must still move by one block.
    MixDocument mix;
    mix.Prepare(256);
    QVObjectAtomic* player = nullptr;
    QVObjectSequence* const sequence = mix.AddSequence(mix.Sound(Dc(0.25), 4.0), 4.0, &player);
    ASSERT_TRUE(player->LowSetUserTimeAndSpan(1.0, player->GetUserSpan(), false));
    player->SetUserPlay(1);
    QVAudioPool sequencePool;
    sequence->GetSetupedAudioPool(&sequencePool);
    sequencePool.life = kQVAudioPoolLife;
    QVAudioPool dying;
    player->GetSetupedAudioPool(&dying);
    dying.life = kQVAudioPoolDying;
    QVAudioPool born = dying;
    born.life = kQVAudioPoolBorn;
    double const dt = 0.01;
    // A first pass of no duration takes in the time the user gave.
    sequencePool.subPools = {born};
    mix.source->GetCallback().UpdateSequenceSubsRTState(sequencePool, 0.0, false);
    ASSERT_NEAR(player->GetUserTime(), 1.0, 1e-9);

    sequencePool.subPools = {dying, born};
    mix.source->GetCallback().UpdateSequenceSubsRTState(sequencePool, dt, false);
    EXPECT_NEAR(player->GetUserTime(), 1.0 + dt, 1e-9);
    // The born record resets the state: the block fades in.
    EXPECT_FALSE(player->GetRTPrevState().active);
}

TEST(AudioCallbackTest, AMultiPlayerMixesItsSubsLoopingInItsWindow)
{
    MixDocument mix;
    mix.Prepare(256);
    QVObjectSequence* const sequence = mix.AddSequence(mix.Sound(Dc(0.25), 4.0), 4.0, nullptr);
    QVObjectPlayable* multi = nullptr;
    ASSERT_EQ(mix.handler->DoEasyNewCursor(&multi, AKString(), 2, 2.0, sequence, kAKLinkModeLastChildren), 0);
    mix.document->SynchronizeAllAndNotifyGandlerListeners();
    ASSERT_EQ(multi->GetFLSubPlayables().Count(), 2u);
    multi->SetUserPlay(1);
    AKIdlingCenter::sShared.DoGlobalIdling();
    double peak = 0.0;
    for (int i = 0; i < 20; ++i) {
        QXSampleBuffer<double>* const block = mix.Pull();
        for (unsigned long long f = 0; f < block->FrameCount(); ++f)
            peak = std::max(peak, std::fabs(At(block, 0, f)));
    }
    // Both subs sound, each at most the sound's level.
    EXPECT_GT(peak, 0.3);
    EXPECT_LE(peak, 0.5 + 1e-6);
    EXPECT_TRUE(multi->GetRTInfo().rtSounding);
    for (QVObjectPlayable* sub : multi->GetFLSubPlayables()) {
        EXPECT_TRUE(sub->GetRTInfo().rtSounding);
        EXPECT_TRUE(sub->GetRTCurrState().looping);
    }
    EXPECT_TRUE(sequence->GetRTInfo().rtSounding);
}

TEST(AudioCallbackTest, SectorListsStayWithinTheirReservedRoom)
{
    QVAudioLoopDesc loop;
    loop.Reserve(kQVAudioSectorListReserve);
    {
        AllocationProbe probe;
        // A 10 ms window at speed 64 over 1 s: thousands of passes.
        EXPECT_TRUE(QVTrackReader::ComputeLoopDesc(&loop, {0.0, 0.01}, 0.001, 0.0, 1.0, 0.0, 64.0));
        EXPECT_EQ(AllocationProbe::Count(), 0u);
    }
    EXPECT_EQ(loop.Count(), kQVAudioSectorListReserve);

    // Thousands of tiny zones met by one stretch.
    QVTrackZoneArray zones;
    SoundBank bank;
    QVProvider* const sound = bank.Make(Dc(0.1), 1, 48000, 48000);
    ASSERT_NE(sound, nullptr);
    for (int i = 0; i < 1000; ++i) {
        QVTrackZone zone = QVTrackZone::MakeSafe(sound->GetID(), 0.0, 0.001, 1.0);
        zone.SetProvider(sound);
        zones.Push(zone);
    }
    zones.UpdateZonesLocalTime(nullptr, nullptr, 0.0001);
    QVAudioZoneDesc desc;
    desc.Reserve(kQVAudioSectorListReserve);
    unsigned int hint = 0;
    {
        AllocationProbe probe;
        QVTrackReader::ComputeZoneDesc(&desc, zones, -1.0, {0.0, 1.0}, &hint);
        EXPECT_EQ(AllocationProbe::Count(), 0u);
    }
    EXPECT_EQ(desc.Count(), kQVAudioSectorListReserve);
}

TEST(AudioCallbackTest, WithoutTheRealTimeFlagAnEditIsHeardAtTheNextBlock)
{
    MixDocument mix(0);
    ASSERT_FALSE(mix.source->IsDoubleBuffered());
    mix.Prepare(256);
    QVObjectAtomic* player = nullptr;
    QVObjectSequence* const sequence = mix.AddSequence(mix.Sound(Dc(0.25), 4.0), 4.0, &player);
    ASSERT_TRUE(player->LowSetUserTimeAndSpan(1.0, 0.0, false));
    player->SetUserPlay(1);
    QXSampleBuffer<double>* block = mix.Pull();
    // Past the born fade (0.005 s, 240 frames, by default).
    EXPECT_NEAR(At(block, 0, 250), 0.25, 1e-6);
    EXPECT_EQ(mix.source->GetLivePool().pools.at(0).life, static_cast<unsigned int>(kQVAudioPoolLife));
    mix.DeleteObject(sequence);
    block = mix.Pull();
    EXPECT_NEAR(At(block, 0, 255), 0.0, 0.001);
    EXPECT_TRUE(mix.Pull()->IsAlmostZero(kQVSampleRangeAll, 0.0));
}

TEST(AudioCallbackTest, TheDocumentPreferencesCarryTheMasterVolume)
{
    MixDocument mix;
    QVDocPrefs* const prefs = mix.document->GetDocPrefs();
    ASSERT_TRUE(prefs->SetAudioMasterVolume(-6.0));
    prefs->ApplySomePrefsToDocument();
    EXPECT_EQ(mix.source->GetMasterVolume(), -6.0);
    EXPECT_NEAR(mix.source->GetCallback().GetTargetMasterGain(), std::pow(10.0, -0.3), 1e-9);
    EXPECT_FALSE(prefs->GrabSomePrefsFromDocument());
    ASSERT_TRUE(mix.source->SetMasterVolume(-3.0));
    EXPECT_TRUE(prefs->GrabSomePrefsFromDocument());
    EXPECT_EQ(prefs->GetAudioMasterVolume(), -3.0);
}

}  // namespace

// A document's audio source, offline: blocks pulled for a prepared device
// format while the document is edited. Edits reach the mix at the idle pass
// after them; new pools fade in, removed ones sound one faded block and then
// let go of their objects; the overlap step smooths jumps only; the master
// gain ramps; loud blocks are clipped and metered. The last test pulls the
// blocks on a second thread while the main thread edits.

#include "AudioSourceFixtures.h"
#include "QVAudioCallbackLow.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

using namespace TrackReaderFixtures;

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new AudioEngineEnvironment());

constexpr double kBornFade = 0.002;  // 96 frames at 48 kHz
constexpr unsigned long long kFadeFrames = 96;

class AudioSourceTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(QVPrefs::sShared.SetEngineBornFadeDuration(kBornFade) || true); }
    void Idle() { AKIdlingCenter::sShared.DoGlobalIdling(); }
};

double FadeIn(unsigned long long frame)
{
    // The curve's position at a frame of the fade, as the buffer walks it.
    return 0.5 - 0.5 * std::cos(M_PI * static_cast<double>(frame) / static_cast<double>(kFadeFrames));
}

TEST_F(AudioSourceTest, NoBlockBeforeThePreparationThenSilenceWithoutSequences)
{
    MixDocument mix;
    ASSERT_NE(mix.source, nullptr);
    EXPECT_EQ(mix.Pull(), nullptr);
    mix.Prepare(256);
    QXSampleBuffer<double>* const block = mix.Pull();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->FrameCount(), 256u);
    EXPECT_TRUE(block->IsAlmostZero(kQVSampleRangeAll, 0.0));
    EXPECT_FALSE(mix.source->IsClipping());
}

TEST_F(AudioSourceTest, AnEditPlaysAfterTheIdlePassFadingInThenContinuesUntouched)
{
    MixDocument mix;
    mix.Prepare(256);
    QVObjectAtomic* player = nullptr;
    mix.AddSequence(mix.Sound(Dc(0.25), 4.0), 4.0, &player);
    // Away from the zone's own fade at its start.
    ASSERT_TRUE(player->LowSetUserTimeAndSpan(1.0, player->GetUserSpan(), false));
    player->SetUserPlay(1);

    // Before the idle pass the old (empty) structure plays.
    EXPECT_TRUE(mix.Pull()->IsAlmostZero(kQVSampleRangeAll, 0.0));
    EXPECT_TRUE(mix.source->IsSpareReady());
    Idle();
    QXSampleBuffer<double>* block = mix.Pull();
    ASSERT_NE(block, nullptr);
    EXPECT_FALSE(mix.source->IsTradePending());
    EXPECT_EQ(mix.source->GetLivePool().pools.at(0).life, static_cast<unsigned int>(kQVAudioPoolLife));
    // The born fade: silent at the first frame, full after 96 frames.
    EXPECT_EQ(At(block, 0, 0), 0.0);
    EXPECT_NEAR(At(block, 0, kFadeFrames / 2), 0.25 * FadeIn(kFadeFrames / 2), 0.01);
    EXPECT_NEAR(At(block, 0, kFadeFrames), 0.25, 1e-6);
    EXPECT_NEAR(At(block, 1, 200), 0.5, 1e-6);
    // A continuous stream: the overlap step changes nothing.
    double const mark = player->GetRTInfo().rtMarkTime;
    for (int i = 0; i < 4; ++i) {
        block = mix.Pull();
        EXPECT_NEAR(At(block, 0, 0), 0.25, 1e-6);
        EXPECT_NEAR(At(block, 1, 255), 0.5, 1e-6);
    }
    EXPECT_EQ(player->GetRTInfo().rtMarkTime, mark);
    EXPECT_TRUE(player->GetRTInfo().rtSounding);
    EXPECT_NEAR(mix.source->GetMeter(1), 0.5, 1e-6);
}

TEST_F(AudioSourceTest, ADeletedSequenceSoundsOneFadedBlockThenLetsGo)
{
    MixDocument mix;
    mix.Prepare(256);
    QVObjectAtomic* player = nullptr;
    QVObjectSequence* const sequence = mix.AddSequence(mix.Sound(Dc(0.25), 4.0), 4.0, &player);
    player->SetUserPlay(1);
    Idle();
    mix.Pull();
    mix.Pull();
    EXPECT_EQ(sequence->GetHoldCount(), 1);
    EXPECT_EQ(player->GetHoldCount(), 1);

    mix.DeleteObject(sequence);
    // Still the old structure until the idle pass.
    EXPECT_NEAR(At(mix.Pull(), 0, 0), 0.25, 1e-6);
    Idle();
    QXSampleBuffer<double>* const block = mix.Pull();
    EXPECT_NEAR(At(block, 0, 0), 0.25, 1e-6);
    EXPECT_NEAR(At(block, 0, 255 - kFadeFrames), 0.25, 1e-6);
    EXPECT_NEAR(At(block, 0, 255 - kFadeFrames / 2), 0.25 * FadeIn(kFadeFrames / 2), 0.01);
    EXPECT_NEAR(At(block, 0, 255), 0.0, 0.001);
    // The block let go of everything it held.
    EXPECT_EQ(mix.source->GetLivePool().pools.at(0).life, static_cast<unsigned int>(kQVAudioPoolDead));
    EXPECT_TRUE(mix.Pull()->IsAlmostZero(kQVSampleRangeAll, 0.0));
}

TEST_F(AudioSourceTest, StoppingFadesOutAndLeavesNoTail)
{
    MixDocument mix;
    mix.Prepare(256);
    QVObjectAtomic* player = nullptr;
    mix.AddSequence(mix.Sound(Dc(0.25), 4.0), 4.0, &player);
    player->SetUserPlay(1);
    Idle();
    mix.Pull();
    mix.Pull();
    player->SetUserPlay(0);
    QXSampleBuffer<double>* block = mix.Pull();
    EXPECT_NEAR(At(block, 0, 100), 0.25, 1e-6);
    EXPECT_NEAR(At(block, 0, 255), 0.0, 0.001);
    block = mix.Pull();
    EXPECT_TRUE(block->IsAlmostZero(kQVSampleRangeAll, 0.0));
    // Muting fades out within one block as well; unmuting fades in.
    player->SetUserPlay(1);
    mix.Pull();
    mix.Pull();
    player->SetUserMute(1);
    block = mix.Pull();
    EXPECT_NEAR(At(block, 0, 0), 0.25, 1e-6);
    EXPECT_NEAR(At(block, 0, 255), 0.0, 0.001);
    player->SetUserMute(0);
    block = mix.Pull();
    EXPECT_EQ(At(block, 0, 0), 0.0);
    EXPECT_NEAR(At(block, 0, 200), 0.25, 1e-6);
}

TEST_F(AudioSourceTest, TheOverlapStepSmoothsAJump)
{
    MixDocument mix;
    mix.Prepare(256);
    QVObjectAtomic* player = nullptr;
    // A ramp sound: a jump of the time is a step in the signal.
    mix.AddSequence(mix.Sound(Ramp(), 4.0), 4.0, &player);
    player->SetUserPlay(1);
    Idle();
    mix.Pull();
    QXSampleBuffer<double>* block = mix.Pull();
    double const before = At(block, 0, 255);
    EXPECT_EQ(player->GetRTInfo().rtMarkTime, 0.0);
    ASSERT_TRUE(player->LowSetUserTimeAndSpan(2.0 + 1000.5 / kMixRate, player->GetUserSpan(), false));
    block = mix.Pull();
    EXPECT_GT(player->GetRTInfo().rtMarkTime, 0.0);
    // The first frame continues the old stream, not the new one.
    EXPECT_NEAR(At(block, 0, 0), before + 1.0 / 8192.0, 0.01);
}

TEST_F(AudioSourceTest, MasterVolumeRampsOverOneBlockAndMarksTheDocument)
{
    MixDocument mix;
    mix.Prepare(256);
    QVObjectAtomic* player = nullptr;
    mix.AddSequence(mix.Sound(Dc(0.25), 4.0), 4.0, &player);
    player->SetUserPlay(1);
    Idle();
    mix.Pull();
    mix.document->SetModified(0);
    double const halfGainDb = 20.0 * std::log10(0.5);
    EXPECT_TRUE(mix.source->SetMasterVolume(halfGainDb));
    EXPECT_FALSE(mix.source->SetMasterVolume(halfGainDb));
    EXPECT_GE(mix.document->GetModifiedLevel(), static_cast<unsigned int>(kQVDocumentModifiedStrong));
    QXSampleBuffer<double>* block = mix.Pull();
    EXPECT_NEAR(At(block, 0, 0), 0.25, 1e-6);
    EXPECT_NEAR(At(block, 0, 128), 0.25 * (1.0 - 0.5 * 128.0 / 256.0), 0.002);
    EXPECT_NEAR(At(mix.Pull(), 0, 0), 0.125, 1e-6);
    // Out of range: clamped to the top.
    EXPECT_TRUE(mix.source->SetMasterVolume(40.0));
    EXPECT_EQ(mix.source->GetMasterVolume(), 12.0);
}

TEST_F(AudioSourceTest, ALoudBlockIsClippedAndMeteredTheNextOneClears)
{
    MixDocument mix;
    mix.Prepare(256);
    QVObjectAtomic* player = nullptr;
    QVObjectSequence* const sequence = mix.AddSequence(mix.Sound(Dc(0.25), 4.0), 4.0, &player);
    player->SetUserPlay(1);
    Idle();
    mix.Pull();
    // 0.5 x 4 on the second channel.
    static_cast<QVObjectTrack*>(sequence->GetFLSubTracks()[0])->SetUserTrackGain(4.0);
    mix.Pull();
    QXSampleBuffer<double>* block = mix.Pull();
    EXPECT_TRUE(mix.source->IsClipping());
    EXPECT_NEAR(mix.source->GetMeter(1), 2.0, 1e-6);
    EXPECT_NEAR(mix.source->GetMeter(0), 1.0, 1e-6);
    EXPECT_EQ(At(block, 1, 100), 1.0);
    static_cast<QVObjectTrack*>(sequence->GetFLSubTracks()[0])->SetUserTrackGain(1.0);
    mix.Pull();
    mix.Pull();
    EXPECT_FALSE(mix.source->IsClipping());
    EXPECT_NEAR(mix.source->GetMeter(1), 0.5, 1e-6);
}

TEST_F(AudioSourceTest, BlocksPulledOnAnotherThreadWhileTheMainThreadEdits)
{
    MixDocument mix;
    mix.Prepare(128);
    QVProvider* const sound = mix.Sound(Dc(0.125), 4.0);
    QVObjectAtomic* player = nullptr;
    QVObjectSequence* const first = mix.AddSequence(sound, 4.0, &player);
    player->SetUserPlay(1);
    Idle();

    std::atomic<bool> stop{false};
    std::atomic<unsigned long> blocks{0};
    std::atomic<bool> bad{false};
    std::thread puller([&] {
        while (!stop.load()) {
            QXSampleBuffer<double>* const block = mix.Pull();
            if (block != nullptr && !block->IsAlmostZero(kQVSampleRangeAll, 1.0))
                bad = true;
            blocks.fetch_add(1);
            std::this_thread::yield();
        }
    });
    auto waitBlocks = [&](unsigned long n) {
        unsigned long const target = blocks.load() + n;
        while (blocks.load() < target)
            std::this_thread::yield();
    };
    for (int round = 0; round < 20; ++round) {
        QVObjectAtomic* added = nullptr;
        QVObjectSequence* const sequence = mix.AddSequence(sound, 4.0, &added);
        added->SetUserPlay(1);
        waitBlocks(2);
        Idle();
        waitBlocks(2);
        Idle();
        mix.DeleteObject(sequence);
        waitBlocks(2);
        Idle();
        waitBlocks(2);
        Idle();
        mix.document->DoIdlingForTreeObjectsAndGarbage();
    }
    stop = true;
    puller.join();
    EXPECT_FALSE(bad.load());
    EXPECT_EQ(first->GetHoldCount(), 1);
    EXPECT_FALSE(mix.source->IsTradePending());
    // Every added sequence died in the live copy.
    unsigned int living = 0;
    for (QVAudioPool const& pool : mix.source->GetLivePool().pools)
        living += pool.IsDead() ? 0 : 1;
    EXPECT_EQ(living, 1u);
}

}  // namespace

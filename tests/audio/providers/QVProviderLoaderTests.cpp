// The provider manager's loader thread: pacing by "Provider.SimultaneousLoad"
// under idle passes, the deferred start, and providers registered, removed
// and re-pointed while the loader runs and the audio thread reads.

#include "AKSys.h"
#include "LogCapture.h"
#include "ProviderTestSupport.h"
#include "QVProviderMgr.h"
#include "SoundFixtures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace SoundFixtures;

namespace {

bool HasLine(LogCapture const& log, std::string const& part)
{
    for (std::string const& line : log.Lines())
        if (line.find(part) != std::string::npos)
            return true;
    return false;
}

class ProviderLoaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mServices.realTime = true;
        Reset();
    }
    void TearDown() override { Reset(); }

    void Reset()
    {
        mMgr.RemoveAllProviders(nullptr);
        // Let a deferred start or a running loader wind down.
        for (int i = 0; i < 25; ++i)
            AKIdlingCenter::sShared.DoGlobalIdling();
        DrainReleaseQueue();
    }

    AKFilePath Sound(std::string const& name, unsigned long long frames)
    {
        SoundRecipe recipe;
        recipe.frames = frames;
        recipe.signal = Signal::Sine;
        EXPECT_TRUE(WriteSoundFile(mFolder.File(name), recipe));
        return EnginePath(mFolder.File(name));
    }

    unsigned int CountInState(unsigned int state) const
    {
        unsigned int n = 0;
        for (QVProvider* provider : mMgr.GetProviders())
            n += provider->GetState() == state;
        return n;
    }

    // Idle passes until the loader has stopped; false after too long.
    bool RunUntilLoaded()
    {
        for (int pass = 0; pass < 20000; ++pass) {
            AKIdlingCenter::sShared.DoGlobalIdling();
            if (!mMgr.IsLoaderRunning() && mMgr.GetDelay() == 0)
                return true;
            AKSys::SleepMicroSec(1000);
        }
        return false;
    }

    QVProviderMgr& mMgr = QVProviderMgr::sShared;
    ProviderTestServices mServices;
    ScopedAudioPrefs mPrefs;
    TempFolder mFolder;
};

// With three loads at once and five sounds, the first pass starts three and
// each later pass starts one more for each load that ended.
TEST_F(ProviderLoaderTest, LoadsArePacedBySimultaneousLoad)
{
    QVAudioResourcePrefs::sShared.providerSimultaneousLoad = 3;
    QVAudioResourcePrefs::sShared.providerUseMemoryMapping = false;
    for (int i = 0; i < 5; ++i)
        mMgr.RegisterProvider(Sound("s" + std::to_string(i) + ".wav", 2000));
    ATArray<QVProvider*> const providers = mMgr.GetProviders();

    ASSERT_EQ(mMgr.LoadAllProvidersSoundFileAsync(kQVProviderLoadNow), 0);
    ASSERT_TRUE(mMgr.IsLoaderRunning());
    // Hold the loader so that only this test advances the loads.
    mMgr.GetThread().Pause();
    AKIdlingCenter::sShared.DoGlobalIdling();
    EXPECT_EQ(mMgr.GetLoadingCount(), 3u);
    EXPECT_EQ(CountInState(kQVProviderStateLoading), 3u);
    EXPECT_EQ(providers[3]->GetState(), kQVProviderStateIdle);

    while (providers[1]->GetState() == kQVProviderStateLoading)
        ASSERT_EQ(providers[1]->LowLoadNext(), 0);
    AKIdlingCenter::sShared.DoGlobalIdling();
    EXPECT_EQ(providers[1]->GetState(), kQVProviderStateDone);
    EXPECT_EQ(mMgr.GetFinishedCount(), 1u);
    EXPECT_EQ(mMgr.GetLoadingCount(), 3u);
    EXPECT_EQ(providers[3]->GetState(), kQVProviderStateLoading);
    EXPECT_EQ(providers[4]->GetState(), kQVProviderStateIdle);
    mMgr.GetThread().UnPause();

    LogCapture log;
    ASSERT_TRUE(RunUntilLoaded());
    EXPECT_EQ(CountInState(kQVProviderStateDone), 5u);
    EXPECT_EQ(mMgr.GetFinishedCount(), 5u);
    EXPECT_EQ(mMgr.GetLoadingCount(), 0u);
    EXPECT_EQ(mMgr.GetMemory(), 5u * 2u * 2000u * sizeof(float));
    EXPECT_FALSE(mMgr.IsIdlingRegistered());
    EXPECT_TRUE(HasLine(log, "# PROVIDERS: Has finished to load some sounds (5 in total).\n\n"));
}

// Mode 2 waits twenty idle passes; a start in mode 0 meanwhile changes
// nothing, and mode 1 starts with a pass of its own.
TEST_F(ProviderLoaderTest, DeferredAndImmediateStarts)
{
    QVProvider* provider = mMgr.RegisterProvider(Sound("a.wav", 500));
    mMgr.LoadAllProvidersSoundFile(kQVProviderLoadDeferred);
    EXPECT_EQ(mMgr.GetDelay(), kQVProviderMgrDeferredStartPasses);
    EXPECT_EQ(mMgr.LoadAllProvidersSoundFileAsync(kQVProviderLoadNow), 0);
    for (int pass = 1; pass < kQVProviderMgrDeferredStartPasses; ++pass) {
        AKIdlingCenter::sShared.DoGlobalIdling();
        ASSERT_FALSE(mMgr.IsLoaderRunning()) << pass;
    }
    AKIdlingCenter::sShared.DoGlobalIdling();
    EXPECT_TRUE(mMgr.IsLoaderRunning());
    EXPECT_EQ(mMgr.GetDelay(), 0);
    ASSERT_TRUE(RunUntilLoaded());
    EXPECT_EQ(provider->GetState(), kQVProviderStateDone);

    QVProvider* second = mMgr.RegisterProvider(Sound("b.wav", 500));
    unsigned int const stamp = mMgr.GetLoadStamp();
    mMgr.LoadAllProvidersSoundFile(kQVProviderLoadNowAndIdle);
    EXPECT_NE(second->GetState(), kQVProviderStateIdle);  // started by the immediate pass
    EXPECT_GT(mMgr.GetLoadStamp(), stamp);
    ASSERT_TRUE(RunUntilLoaded());
    EXPECT_EQ(second->GetState(), kQVProviderStateDone);

    // Nothing idle: nothing starts.
    mMgr.LoadAllProvidersSoundFile(kQVProviderLoadNow);
    EXPECT_FALSE(mMgr.IsLoaderRunning());
}

// Registering, removing and re-pointing while the loader decodes and an
// audio thread copies: every sound ends loaded or gone, and no memory is
// released under a reader (checked by the sanitizers).
TEST_F(ProviderLoaderTest, ChangesWhileTheLoaderAndTheAudioThreadRun)
{
    mServices.waveform = true;
    QVAudioResourcePrefs::sShared.providerReadBlockSizeMB = 1;  // many steps per sound
    QVAudioResourcePrefs::sShared.providerSimultaneousLoad = 2;
    std::vector<AKFilePath> paths;
    for (int i = 0; i < 8; ++i)
        paths.push_back(Sound("s" + std::to_string(i) + ".wav", 300000));

    for (bool mapping : {false, true}) {
        QVAudioResourcePrefs::sShared.providerUseMemoryMapping = mapping;
        Reset();
        QVProvider* played = mMgr.RegisterProvider(paths[0]);
        QVProvider* replaced = mMgr.RegisterProvider(paths[1]);
        QVProvider* removed = mMgr.RegisterProvider(paths[2]);
        mMgr.LoadAllProvidersSoundFile(kQVProviderLoadNow);

        // The audio thread reads what the mixing path may: sounds done
        // loading, and mapped sounds at any time (the file is not written).
        std::atomic<QVProvider*> slots[3] = {{played}, {replaced}, {removed}};
        std::atomic<bool> stop{false};
        std::atomic<unsigned long long> blocks{0};
        std::thread audio([&] {
            QXSampleBuffer<double> block;
            block.AllocateClean(2, 512, 44100.0);
            long long position = 0;
            while (!stop.load()) {
                for (std::atomic<QVProvider*>& slot : slots) {
                    QVProvider* provider = slot.load();
                    if (provider == nullptr)
                        continue;
                    unsigned int const state = provider->GetState();
                    if (state == kQVProviderStateDone ||
                        (state != kQVProviderStateIdle && provider->GetMode() == kQVProviderModeMapped))
                        provider->CopySampleBuffer(&block, -1, -1, position, true, nullptr);
                }
                position = (position + 4096) % 300000;
                blocks.fetch_add(1);
            }
        });
        // Like the mixing path, a block in flight ends long before the
        // release queue's passes: wait for the audio thread to move on.
        auto waitForBlocks = [&blocks] {
            unsigned long long const seen = blocks.load();
            while (blocks.load() < seen + 2)
                AKSys::SleepMicroSec(100);
        };

        int step = 0;
        while (mMgr.IsLoaderRunning() || step < 6) {
            AKIdlingCenter::sShared.DoGlobalIdling();
            switch (step++) {
            case 1:
                mMgr.RegisterProvider(paths[3]);
                break;
            case 2:
                slots[2].store(nullptr);
                EXPECT_TRUE(mMgr.RemoveProvider(removed));
                waitForBlocks();
                break;
            case 3:
                EXPECT_EQ(mMgr.ReplaceSoundProvider(replaced->GetPath(), paths[4], false), 0);
                waitForBlocks();
                break;
            case 4:
                mMgr.RegisterProvider(paths[5]);
                mMgr.LoadAllProvidersSoundFile(kQVProviderLoadNow);  // the running loader picks it up
                break;
            default:
                break;
            }
            if (step >= 50000) {
                ADD_FAILURE() << "the loader never stopped";
                break;
            }
            AKSys::SleepMicroSec(500);
        }
        stop.store(true);
        audio.join();

        EXPECT_EQ(mMgr.GetProviders().Count(), 4u);
        EXPECT_EQ(CountInState(kQVProviderStateDone), 4u);
        EXPECT_EQ(replaced->GetPath(), paths[4]);
        EXPECT_EQ(replaced->GetError(), kQVProviderErrorNone);
        QXSampleBuffer<float> check;
        ASSERT_TRUE(check.AllocateClean(2, 300000, 44100.0));
        ASSERT_TRUE(replaced->CopySampleBuffer(&check, -1, -1, 0, false, nullptr));
        std::vector<float> const expected = ReadSoundFile(mFolder.File("s4.wav"));
        for (unsigned long long f = 0; f < 300000; f += 997)
            ASSERT_EQ(*check.SamplePtrConst(1, f), expected[f * 2 + 1]) << f;
    }
}

// A synchronous load while the loader thread runs: the two never step the
// same sound at once (checked under ThreadSanitizer), and every sound ends
// loaded with its own samples.
TEST_F(ProviderLoaderTest, SyncLoadWhileTheLoaderRuns)
{
    QVAudioResourcePrefs::sShared.providerReadBlockSizeMB = 1;  // many steps per sound
    QVAudioResourcePrefs::sShared.providerSimultaneousLoad = 2;
    std::vector<AKFilePath> paths;
    for (int i = 0; i < 3; ++i)
        paths.push_back(Sound("s" + std::to_string(i) + ".wav", 300000));

    for (bool mapping : {false, true}) {
        QVAudioResourcePrefs::sShared.providerUseMemoryMapping = mapping;
        Reset();
        for (AKFilePath const& path : paths)
            mMgr.RegisterProvider(path);
        unsigned int const finished = mMgr.GetFinishedCount();
        // The loader runs but no idle pass has started a load yet.
        ASSERT_EQ(mMgr.LoadAllProvidersSoundFileAsync(kQVProviderLoadNow), 0);
        ASSERT_TRUE(mMgr.IsLoaderRunning());
        mMgr.LoadAllProvidersSoundFileSync();

        EXPECT_EQ(CountInState(kQVProviderStateDone), 3u) << mapping;
        EXPECT_EQ(mMgr.GetFinishedCount(), finished + 3u) << mapping;
        QXSampleBuffer<float> check;
        ASSERT_TRUE(check.AllocateClean(2, 300000, 44100.0));
        for (unsigned int i = 0; i < 3; ++i) {
            QVProvider* provider = mMgr.GetProviders()[i];
            EXPECT_EQ(provider->GetError(), kQVProviderErrorNone);
            ASSERT_TRUE(provider->CopySampleBuffer(&check, -1, -1, 0, false, nullptr));
            std::vector<float> const expected = ReadSoundFile(mFolder.File("s" + std::to_string(i) + ".wav"));
            for (unsigned long long f = 0; f < 300000; f += 997)
                ASSERT_EQ(*check.SamplePtrConst(1, f), expected[f * 2 + 1]) << mapping << " " << i << " " << f;
        }
        // The loader finds nothing left and stops.
        ASSERT_TRUE(RunUntilLoaded());
    }
}

}  // namespace
